#include "view/page_picture.h"

#include <algorithm>
#include <cstring>

namespace orva {

PictureSize turnedSize(std::uint32_t width, std::uint32_t height, std::uint8_t quarterTurns) {
    return (quarterTurns & 1) != 0 ? PictureSize{height, width} : PictureSize{width, height};
}

void invertLightness(std::span<std::uint8_t> pixels) {
    std::uint8_t* p = pixels.data();
    for (std::size_t count = pixels.size() / 3; count > 0; --count, p += 3) {
        const int a = p[0], b = p[1], c = p[2];
        const int shift = 255 - std::max({a, b, c}) - std::min({a, b, c});
        p[0] = static_cast<std::uint8_t>(a + shift);
        p[1] = static_cast<std::uint8_t>(b + shift);
        p[2] = static_cast<std::uint8_t>(c + shift);
    }
}

Result<PageImage> lookedPicture(Allocator& allocator, const PageImage& picture, PictureLook look) {
    const std::uint64_t w = picture.width, h = picture.height;
    if (picture.pixels.size() < w * h * 3) return fail(ErrorCode::InvalidPageData);
    const std::uint8_t turns = look.quarterTurns & 3;
    const PictureSize size = turnedSize(picture.width, picture.height, turns);
    PageImage copy;
    copy.present = true;
    copy.width = size.width;
    copy.height = size.height;
    copy.lastUse = picture.lastUse;
    if (w == 0 || h == 0) return copy;
    auto pixels = ByteBuffer::createUninitialized(allocator, static_cast<std::size_t>(w * h * 3));
    if (!pixels) return fail(pixels.error());
    const std::uint8_t* in = picture.pixels.data();
    std::uint8_t* out = pixels->data();
    if (turns == 0) {
        std::memcpy(out, in, static_cast<std::size_t>(w * h * 3));
    } else {
        // Source pixel (x, y) lands on (ox, oy) of the turned picture, which
        // is size.width wide: a quarter turn clockwise puts the source's
        // left column on the top row, read from the bottom up.
        const std::uint64_t ow = size.width;
        for (std::uint64_t y = 0; y < h; ++y) {
            const std::uint8_t* row = in + y * w * 3;
            for (std::uint64_t x = 0; x < w; ++x) {
                std::uint64_t ox = x, oy = y;
                switch (turns) {
                    case 1: ox = h - 1 - y, oy = x; break;
                    case 2: ox = w - 1 - x, oy = h - 1 - y; break;
                    default: ox = y, oy = w - 1 - x; break;
                }
                std::memcpy(out + (oy * ow + ox) * 3, row + x * 3, 3);
            }
        }
    }
    if (look.inverted) invertLightness(pixels->span());
    copy.pixels = std::move(*pixels);
    return copy;
}

void PictureCache::clear() noexcept {
    for (Entry& entry : entries) entry = Entry{};
}

std::uint64_t PictureCache::heldBytes() const noexcept {
    std::uint64_t held = 0;
    for (const Entry& entry : entries) held += entry.picture.length();
    return held;
}

const PageImage* findCachedPicture(PictureCache& cache, const PictureKey& key) {
    for (PictureCache::Entry& entry : cache.entries) {
        if (entry.picture.present && entry.key == key) {
            entry.lastUse = ++cache.clock;
            return &entry.picture;
        }
    }
    return nullptr;
}

const PageImage* keepCachedPicture(PictureCache& cache, const PictureKey& key, PageImage&& picture) {
    // The key's own slot; else, where its source has all the slots it may
    // have, the least recently drawn of those; else an empty one; else the
    // least recently drawn of all.
    PictureCache::Entry* slot = nullptr;
    PictureCache::Entry* oldestAlike = nullptr;
    std::size_t alike = 0;
    for (PictureCache::Entry& entry : cache.entries) {
        if (!entry.picture.present) continue;
        if (entry.key == key) slot = &entry;
        if (entry.key.source != key.source) continue;
        ++alike;
        if (oldestAlike == nullptr || entry.lastUse < oldestAlike->lastUse) oldestAlike = &entry;
    }
    const std::size_t most = key.source == PictureSource::Page   ? kCachedPages
                             : key.source == PictureSource::Part ? kCachedParts
                                                                 : kCachedPictures;
    if (slot == nullptr && alike >= most) slot = oldestAlike;
    for (PictureCache::Entry& entry : cache.entries) {
        if (slot == nullptr && !entry.picture.present) slot = &entry;
    }
    if (slot == nullptr) {
        slot = &cache.entries[0];
        for (PictureCache::Entry& entry : cache.entries) {
            if (entry.lastUse < slot->lastUse) slot = &entry;
        }
    }
    slot->key = key;
    slot->picture = std::move(picture);
    slot->lastUse = ++cache.clock;
    ++cache.made;
    return &slot->picture;
}

const PageImage* lookedPictureFor(PictureCache& cache, Allocator* allocator, const PictureKey& key,
                                  const PageImage& picture) {
    if (key.look.plain()) return &picture;
    if (const PageImage* held = findCachedPicture(cache, key)) return held;
    if (allocator == nullptr) return nullptr;
    auto copy = lookedPicture(*allocator, picture, key.look);
    if (!copy) return nullptr;
    return keepCachedPicture(cache, key, std::move(*copy));
}

}  // namespace orva
