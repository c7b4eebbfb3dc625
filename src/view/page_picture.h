#pragma once
// What is drawn of a page picture: the picture as rendered, turned by
// quarter turns (clockwise) and with its lightness inverted where the view
// asks for it. The one place that makes such a copy, and a small cache of
// the copies last made, so that a paint does not turn a whole page again
// each time it draws it. A plain look draws the picture itself.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/allocator.h"
#include "document/page_image.h"

namespace orva {

struct PictureLook {
    std::uint8_t quarterTurns = 0;  // 0 to 3, clockwise
    bool inverted = false;

    bool plain() const noexcept { return (quarterTurns & 3) == 0 && !inverted; }
    bool operator==(const PictureLook&) const = default;
};

// The size of a width x height picture once turned.
struct PictureSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};
PictureSize turnedSize(std::uint32_t width, std::uint32_t height, std::uint8_t quarterTurns);

// Lightness inverted, hue and saturation kept (HSL: L' = 1 - L), in place,
// for pixels of 3 bytes in any channel order: each channel c of a pixel
// becomes c + 255 - (max + min), which keeps max - min and the order of
// the channels.
void invertLightness(std::span<std::uint8_t> pixels);

// A copy of `picture` as `look` says; a picture of width or height 0 gives
// a present picture of the turned size with no pixels. InvalidPageData when
// the buffer is shorter than its size; OutOfMemory.
Result<PageImage> lookedPicture(Allocator& allocator, const PageImage& picture, PictureLook look);

// What a picture drawn by the view is: the page's image, the small copy the
// strip draws, or one of the sharp parts of the page.
enum class PictureSource : std::uint8_t { Page = 0, Thumbnail = 1, Part = 2 };

struct PictureKey {
    std::uint64_t serial = 0;  // the document's
    std::uint64_t page = 0;
    PictureSource source = PictureSource::Page;
    // Tells pictures of one source and page apart (a part's number).
    std::uint64_t tag = 0;
    PictureLook look;

    bool operator==(const PictureKey&) const = default;
};

// The copies last made, the least recently drawn going first; of whole
// pages only two are kept (the main view's and the preview's), and of parts
// as many as a document holds, so the copies stay small beside the budget.
inline constexpr std::size_t kCachedPictures = 16;
inline constexpr std::size_t kCachedPages = 2;
inline constexpr std::size_t kCachedParts = 4;

struct PictureCache {
    struct Entry {
        PictureKey key;
        PageImage picture;
        std::uint64_t lastUse = 0;
    };
    Entry entries[kCachedPictures];
    std::uint64_t clock = 0;
    // Copies made, for tests and benchmarks.
    std::uint64_t made = 0;

    // Drops every copy.
    void clear() noexcept;
    // Bytes the copies hold.
    std::uint64_t heldBytes() const noexcept;
};

// The copy held for `key`, or null; a copy found counts as drawn now.
const PageImage* findCachedPicture(PictureCache& cache, const PictureKey& key);
// Keeps `picture` for `key` in the slot of the least recently drawn copy
// (or the key's own), and returns where it is kept.
const PageImage* keepCachedPicture(PictureCache& cache, const PictureKey& key, PageImage&& picture);

// The picture to draw for `picture` under `key.look`: `picture` itself for
// a plain look, otherwise the copy held for the key, made now when there is
// none. Null when that copy cannot be made (or there is no allocator).
const PageImage* lookedPictureFor(PictureCache& cache, Allocator* allocator, const PictureKey& key,
                                  const PageImage& picture);

}  // namespace orva
