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

// Bytes held in page images, thumbnail copies, sharp parts and text.
std::uint64_t heldPageBytes(const Document& document);

// Releases the sharp parts of a PDF document, then its least recently used
// pages, one at a time, while the held bytes exceed the budget; never
// `requested`, the shown page
// and its neighbours, or a pinned page. A released page is unloaded again
// (the next request renders it) and leaves its copy, when one can be made.
void keepWithinBudget(Document& document, std::uint64_t requested);

// The page's thumbnail-sized copy, for the strip to draw while the page's
// own image is not loaded: the copy a released page left, or the thumbnail
// the strip had drawn for it. Null when the page is loaded or has none.
const PageImage* releasedPageCopy(const Document& document, std::uint64_t index);

// The copies' slots, one a page, made with the first copy; false when they
// cannot be had.
bool makeThumbnailSlots(Document& document);
// Keeps `copy` as page `index`'s thumbnail copy, in place of any before it.
bool keepThumbnailCopy(Document& document, std::uint64_t index, PageImage&& copy);
bool hasThumbnailCopy(const Document& document, std::uint64_t index);

// The page shrunk to fit the copy box, each pixel the average of the pixels
// it covers; a page that fits is copied as it is. OutOfMemory.
Result<PageImage> shrinkPage(Allocator& allocator, const PageImage& page);
// The same into a box of another size.
Result<PageImage> shrinkPageInto(Allocator& allocator, const PageImage& page, std::uint32_t boxWidth,
                                 std::uint32_t boxHeight);

}  // namespace orva
