#include "view/page_placement.h"

#include <algorithm>
#include <cmath>

namespace orva {

namespace {

bool sideways(std::uint8_t quarterTurns) { return (quarterTurns & 1) != 0; }

// The turned image's size in image pixels.
float turnedWidth(const PagePlacement& p) { return static_cast<float>(sideways(p.quarterTurns) ? p.imageHeight : p.imageWidth); }
float turnedHeight(const PagePlacement& p) { return static_cast<float>(sideways(p.quarterTurns) ? p.imageWidth : p.imageHeight); }

// An image point as a point of the turned image.
ImagePoint turn(const PagePlacement& p, float x, float y) {
    const float w = static_cast<float>(p.imageWidth);
    const float h = static_cast<float>(p.imageHeight);
    switch (p.quarterTurns & 3) {
        case 1: return {h - y, x};
        case 2: return {w - x, h - y};
        case 3: return {y, w - x};
        default: return {x, y};
    }
}

// The reverse of turn.
ImagePoint unturn(const PagePlacement& p, float x, float y) {
    const float w = static_cast<float>(p.imageWidth);
    const float h = static_cast<float>(p.imageHeight);
    switch (p.quarterTurns & 3) {
        case 1: return {y, h - x};
        case 2: return {w - x, h - y};
        case 3: return {w - y, x};
        default: return {x, y};
    }
}

float scaleX(const PagePlacement& p) {
    const float w = turnedWidth(p);
    return w > 0 ? static_cast<float>(p.displayed.width) / w : 0.0f;
}
float scaleY(const PagePlacement& p) {
    const float h = turnedHeight(p);
    return h > 0 ? static_cast<float>(p.displayed.height) / h : 0.0f;
}

std::int32_t clampToInt(float value) {
    if (!(value > -1e9f)) return -1000000000;
    if (value > 1e9f) return 1000000000;
    return static_cast<std::int32_t>(value);
}

}  // namespace

DisplayedSize turnedDisplayedSize(std::uint32_t width, std::uint32_t height, float zoom, std::uint8_t quarterTurns) {
    const DisplayedSize size = displayedSize(width, height, zoom);
    return sideways(quarterTurns) ? DisplayedSize{size.height, size.width} : size;
}

PagePlacement placePage(const ClientArea& client, std::uint32_t imageWidth, std::uint32_t imageHeight, float zoom,
                        std::int32_t scrollX, std::int32_t scrollY, std::uint8_t quarterTurns) {
    PagePlacement placement;
    placement.imageWidth = imageWidth;
    placement.imageHeight = imageHeight;
    placement.quarterTurns = static_cast<std::uint8_t>(quarterTurns & 3);
    placement.displayed = turnedDisplayedSize(imageWidth, imageHeight, zoom, placement.quarterTurns);
    placement.origin = pageOrigin(client, placement.displayed, scrollX, scrollY);
    return placement;
}

ClientRect toClient(const PagePlacement& placement, const TextBox& box) {
    const ImagePoint a = turn(placement, box.left, box.top);
    const ImagePoint b = turn(placement, box.right, box.bottom);
    const float sx = scaleX(placement);
    const float sy = scaleY(placement);
    const float left = std::min(a.x, b.x) * sx + static_cast<float>(placement.origin.x);
    const float right = std::max(a.x, b.x) * sx + static_cast<float>(placement.origin.x);
    const float top = std::min(a.y, b.y) * sy + static_cast<float>(placement.origin.y);
    const float bottom = std::max(a.y, b.y) * sy + static_cast<float>(placement.origin.y);
    return {clampToInt(std::floor(left)), clampToInt(std::floor(top)), clampToInt(std::ceil(right)),
            clampToInt(std::ceil(bottom))};
}

ImagePoint toImage(const PagePlacement& placement, std::int32_t x, std::int32_t y) {
    const float sx = scaleX(placement);
    const float sy = scaleY(placement);
    const float tx = sx > 0 ? static_cast<float>(x - placement.origin.x) / sx : 0.0f;
    const float ty = sy > 0 ? static_cast<float>(y - placement.origin.y) / sy : 0.0f;
    return unturn(placement, tx, ty);
}

bool onPage(const PagePlacement& placement, std::int32_t x, std::int32_t y) {
    return x >= placement.origin.x && y >= placement.origin.y &&
           x < placement.origin.x + placement.displayed.width && y < placement.origin.y + placement.displayed.height;
}

}  // namespace orva
