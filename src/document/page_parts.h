#pragma once
// The sharp parts a document keeps of its pages: parts of a page drawn at
// the resolution a view shows the page at, larger than the page's own. A
// few are kept, whichever page and scale they are of; a new one takes the
// slot of the least recently drawn. They count in the page budget and are
// the first to go past it (document/page_memory.h).
#include <cstddef>
#include <cstdint>
#include <span>

#include "document/document.h"

namespace orva {

// A rectangle of a scaled page's pixels.
struct PartRect {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool operator==(const PartRect&) const = default;
};

// The size a page is scaled to.
struct ScaledSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool operator==(const ScaledSize&) const = default;
};

// Keeps `part` in an empty slot or in that of the least recently drawn one.
void keepPart(Document& document, PagePart&& part);

// The part of `page` scaled to `scaled` whose picture holds `rect` whole,
// which then counts as drawn; null when none does.
const PagePart* partHolding(Document& document, std::uint64_t page, ScaledSize scaled, const PartRect& rect);

// The parts of `page` scaled to `scaled`, the least recently kept first (so
// that the newest is drawn last, over the others), as many as `out` holds.
std::size_t partsOf(const Document& document, std::uint64_t page, ScaledSize scaled, std::span<const PagePart*> out);

// Bytes the parts' pictures hold.
std::uint64_t heldPartBytes(const Document& document);

// Releases the least recently drawn part; the bytes this gives back (0 when
// there is none).
std::uint64_t releaseOldestPart(Document& document);

}  // namespace orva
