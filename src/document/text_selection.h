#pragma once
// Selecting words of a page with the pointer and turning them into the text
// the clipboard gets.
#include <cstdint>
#include <optional>

#include "base/allocator.h"
#include "document/text_layer.h"

namespace orva {

// Words [first, last] in reading order (first <= last).
struct WordRange {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
};

// The word whose box holds the point (page-image pixels); nothing elsewhere.
std::optional<std::uint32_t> wordAt(const PageText& page, float x, float y);

// The word a drag that passes through the point reaches, in reading order:
// the word under it, or else the nearest one. Nothing on a page without words.
std::optional<std::uint32_t> wordNearest(const PageText& page, float x, float y);

// The words from the press to the release in reading order, whichever came
// first.
WordRange wordsBetween(std::uint32_t pressed, std::uint32_t released);

// The selected text: the words of a line joined by one space, lines by CR LF,
// blocks by an empty line (CR LF CR LF). Reflowed: the lines of a block joined
// into one paragraph with a space, and a line that ends in a hyphen joined to
// the next line's first word without the hyphen (decod- / ing: decoding).
// OutOfMemory.
enum class CopyLayout { AsShown, Reflowed };
Result<OwnedString> selectedText(Allocator& allocator, const PageText& page, WordRange words, CopyLayout layout);

}  // namespace orva
