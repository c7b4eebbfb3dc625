#pragma once
// Keeping a document's rendered pages within its memory budget: which pages
// may go, which go first, and the small copy a released page leaves behind.
// Under the budget nothing is ever released. Containers are never touched:
// their pages come from the file and cannot be produced again.
#include <cstdint>
#include <optional>
#include <string_view>

#include "document/document.h"

namespace orva {

// The box a released page's copy fits in: the thumbnail strip's image box.
inline constexpr std::uint32_t kThumbnailCopyWidth = 160;
inline constexpr std::uint32_t kThumbnailCopyHeight = 148;

// The budget a text gives in mebibytes ("512"): a whole number from 1 to
// 1048576 (1 TiB), digits only; nothing for anything else.
std::optional<std::uint64_t> parsePageMemoryBudget(std::string_view megabytes);

// The main view now shows `index`: it and its two neighbours stay.
void setShownPage(Document& document, std::uint64_t index);
// The preview or a print job holds `index` (kNoPage: nothing) until told
// otherwise.
void pinPage(Document& document, PagePin holder, std::uint64_t index);

// Records a request for page `index`: it becomes the most recently used.
void notePageUsed(Document& document, std::uint64_t index);

// Bytes held in page images and released pages' copies.
std::uint64_t heldPageBytes(const Document& document);

// Releases the least recently used pages of a PDF document, one at a time,
// while the held bytes exceed the budget; never `requested`, the shown page
// and its neighbours, or a pinned page. A released page is unloaded again
// (the next request renders it) and leaves its copy, when one can be made.
void keepWithinBudget(Document& document, std::uint64_t requested);

// The copy a released page left, for the strip to draw; null when the page
// is loaded or has none.
const PageImage* releasedPageCopy(const Document& document, std::uint64_t index);

// The page shrunk to fit the copy box, each pixel the average of the pixels
// it covers; a page that fits is copied as it is. OutOfMemory.
Result<PageImage> shrinkPage(Allocator& allocator, const PageImage& page);

}  // namespace orva
