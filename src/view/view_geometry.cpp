#include "view/view_geometry.h"

#include <algorithm>
#include <limits>

namespace orva {

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

std::int32_t saturate(std::int64_t value) { return static_cast<std::int32_t>(std::clamp(value, kInt32Min, kInt32Max)); }

// No document holds more pages than a 32-bit count; capping the count before
// multiplying keeps the 64-bit products exact for every real document.
std::int64_t contentOffset(const ClientArea& client, std::uint64_t page) {
    return static_cast<std::int64_t>(std::min<std::uint64_t>(page, std::uint64_t{1} << 33)) * scaled(client, ThumbnailPitch);
}

}  // namespace

std::int32_t displayedLength(std::uint32_t side, float zoom) {
    const float scaled = static_cast<float>(side) * zoom;
    if (!(scaled >= 0.0f)) return 0;
    if (scaled >= static_cast<float>(MaxDisplayedSize)) return MaxDisplayedSize;
    return static_cast<std::int32_t>(scaled);
}

DisplayedSize displayedSize(std::uint32_t width, std::uint32_t height, float zoom) {
    return {displayedLength(width, zoom), displayedLength(height, zoom)};
}

float steppedZoom(float zoom, float factor) {
    float next = zoom * factor;
    next = std::min(next, ZoomMax);
    next = std::max(next, ZoomMin);
    return next;
}

std::optional<float> fitWidthZoomFor(const ClientArea& client, std::uint32_t pageWidth) {
    if (pageWidth == 0) return std::nullopt;
    const std::int32_t room = saturate(std::int64_t{client.right} - client.left - fitWidthReserve(client));
    if (room <= 0) return ZoomMin;
    return static_cast<float>(room) / static_cast<float>(pageWidth);
}

ScrollLimits scrollLimits(const ClientArea& client, DisplayedSize displayed) {
    const std::int64_t horizontal = std::int64_t{displayed.width} - pageViewWidth(client);
    const std::int64_t vertical = std::int64_t{displayed.height} - pageViewHeight(client);
    return {saturate(std::max<std::int64_t>(0, horizontal)), saturate(std::max<std::int64_t>(0, vertical))};
}

std::int32_t clampScroll(std::int32_t position, std::int32_t limit) { return std::max(std::min(position, limit), 0); }

std::optional<std::int32_t> steppedScroll(std::int32_t position, unsigned requestCode, unsigned thumbPosition,
                                         const ViewLayout& layout) {
    std::int64_t next = position;
    switch (requestCode) {
        case 0: next -= scaled(layout, LineStep); break;
        case 1: next += scaled(layout, LineStep); break;
        case 2: next -= scaled(layout, PageStep); break;
        case 3: next += scaled(layout, PageStep); break;
        case 4:
        case 5: next = thumbPosition & 0xFFFFu; break;
        default: return std::nullopt;
    }
    return saturate(std::max<std::int64_t>(0, next));
}

std::int32_t sidebarScrollLimit(const ClientArea& client, std::uint64_t pageCount) {
    if (client.layout.fullScreen) return 0;
    const std::int64_t content = scaled(client, 8) + contentOffset(client, pageCount);
    return saturate(std::max<std::int64_t>(0, content - pageViewHeight(client)));
}

std::int32_t clampedSidebarScroll(std::int64_t scroll, const ClientArea& client, std::uint64_t pageCount) {
    return saturate(std::max<std::int64_t>(std::min<std::int64_t>(scroll, sidebarScrollLimit(client, pageCount)), 0));
}

std::int32_t revealedSidebarScroll(std::int32_t scroll, const ClientArea& client, std::uint64_t page,
                                   std::uint64_t pageCount) {
    const std::int64_t top = contentOffset(client, page) + scaled(client, 8);
    const std::int64_t bottom = contentOffset(client, page) + scaled(client, ThumbnailPitch);
    std::int64_t next = scroll;
    if (top < next) {
        next = top;
    } else if (bottom > next + pageViewHeight(client)) {
        next = bottom - pageViewHeight(client);
    }
    return clampedSidebarScroll(next, client, pageCount);
}

bool inSidebarArea(const ClientArea& client, std::int32_t x, std::int32_t y) {
    if (client.layout.fullScreen) return false;
    const std::int64_t left = client.left;
    return x >= left && x < left + sidebarWidth(client) && y >= std::int64_t{client.top} + bandHeight(client) &&
           y <= std::int64_t{client.bottom} - bandHeight(client);
}

std::int64_t thumbnailTop(const ClientArea& client, std::int32_t sidebarScroll, std::uint64_t page) {
    return std::int64_t{client.top} + scaled(client, ThumbnailFirstTop) + contentOffset(client, page) - sidebarScroll;
}

std::optional<std::uint64_t> thumbnailAt(const ClientArea& client, std::int32_t sidebarScroll, std::uint64_t pageCount,
                                         std::int32_t x, std::int32_t y) {
    if (!inSidebarArea(client, x, y)) return std::nullopt;
    const std::int64_t offset = std::int64_t{y} - thumbnailTop(client, sidebarScroll, 0);
    if (offset < 0) return std::nullopt;
    const std::int32_t pitch = scaled(client, ThumbnailPitch);
    const auto page = static_cast<std::uint64_t>(offset / pitch);
    if (page >= pageCount || offset % pitch >= scaled(client, ThumbnailHeight)) return std::nullopt;
    return page;
}

PageRange visibleThumbnails(const ClientArea& client, std::int32_t sidebarScroll, std::uint64_t pageCount) {
    // top_i + 176 >= T + 24  <=>  184 i >= scroll - 184
    // top_i <= B - 24        <=>  184 i <= B - T - 56 + scroll
    if (client.layout.fullScreen) return {};
    const std::int32_t pitch = scaled(client, ThumbnailPitch);
    const std::int64_t low = std::int64_t{sidebarScroll} + bandHeight(client) - scaled(client, ThumbnailFirstTop) -
                             scaled(client, ThumbnailHeight);
    const std::int64_t high = std::int64_t{client.bottom} - client.top - scaled(client, ThumbnailFirstTop) - bandHeight(client) +
                              sidebarScroll;
    if (high < 0) return {};
    const std::uint64_t first = low <= 0 ? 0 : static_cast<std::uint64_t>((low + pitch - 1) / pitch);
    const std::uint64_t end = std::min(pageCount, static_cast<std::uint64_t>(high / pitch) + 1);
    return {std::min(first, end), end};
}

std::optional<PlacedImage> thumbnailImage(std::uint32_t width, std::uint32_t height, const ViewLayout& layout) {
    if (width == 0 || height == 0) return std::nullopt;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const std::int32_t boxWidth = scaled(layout, ThumbnailBoxWidth);
    const std::int32_t boxHeight = scaled(layout, ThumbnailBoxHeight);
    const float scale = std::min(static_cast<float>(boxWidth) / w, static_cast<float>(boxHeight) / h);
    // The scaled sides stay within the box (give or take a rounding step), so
    // they always fit 32 bits.
    const auto tw = static_cast<std::int32_t>(w * scale);
    const auto th = static_cast<std::int32_t>(h * scale);
    return PlacedImage{(boxWidth - tw) / 2, (boxHeight - th) / 2, tw, th};
}

Point pageOrigin(const ClientArea& client, DisplayedSize displayed, std::int32_t scrollX, std::int32_t scrollY) {
    const std::int64_t spare = std::int64_t{client.right} - client.left - displayed.width - sidebarWidth(client);
    const std::int64_t x = std::int64_t{client.left} + sidebarWidth(client) + spare / 2 - scrollX;
    const std::int64_t y = std::int64_t{client.top} + pageTopOffset(client) - scrollY;
    return {saturate(x), saturate(y)};
}

std::uint64_t pageChangeTarget(std::uint64_t index, std::uint64_t pageCount) { return std::min(index, pageCount - 1); }

std::uint64_t previousPageIndex(std::uint64_t current) { return current == 0 ? 0 : current - 1; }

}  // namespace orva
