#pragma once
// One page as a raster: 3 bytes a pixel in the order blue, green, red, rows
// from top to bottom with no padding between them. A slot that has never been
// produced holds no pixels; a produced page of width or height 0 is present
// with an empty buffer, so presence, not length, tells the two apart.
#include <cstdint>

#include "base/allocator.h"

namespace orva {

struct PageImage {
    ByteBuffer pixels;
    bool present = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // The document's request count when this page was last asked for.
    std::uint64_t lastUse = 0;

    bool loaded() const noexcept { return present; }
    std::uint64_t length() const noexcept { return pixels.size(); }
};

// Bytes of one 24-bit bitmap row padded to a multiple of 4.
constexpr std::uint64_t paddedStride(std::uint32_t width) {
    return (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
}

}  // namespace orva
