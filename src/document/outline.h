#pragma once
// A document's outline (its bookmarks): the entries in the order they stand,
// each with its depth (0 at the top) and the page it goes to.
#include <cstdint>
#include <optional>

#include "base/allocator.h"

namespace orva {

struct OutlineEntry {
    OwnedString title;  // UTF-8, entities decoded
    // 1-based page number; 0 when the entry goes to no page of this document.
    std::uint32_t page = 0;
    std::uint32_t depth = 0;
};

struct Outline {
    // Depth first: every entry is followed by its children, at depth + 1.
    OwnedArray<OutlineEntry> entries;
    bool empty() const noexcept { return entries.empty(); }
};

// The entry that stands for 1-based page `page`: of those going to it or to
// a page before it, the one going furthest, and of several going there the
// last (the most particular). Nothing before the first entry's page.
std::optional<std::uint32_t> entryOfPage(const Outline& outline, std::uint32_t page);

}  // namespace orva
