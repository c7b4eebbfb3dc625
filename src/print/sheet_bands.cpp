#include "print/sheet_bands.h"

#include <algorithm>

#include "view/sharp_parts.h"

namespace orva {

namespace {

// `length` printer pixels at `dpi`, at no more than kSheetMostDpi.
std::uint32_t renderedLength(int length, int dpi) {
    if (length <= 0) return 0;
    if (dpi <= kSheetMostDpi) return static_cast<std::uint32_t>(length);
    const std::int64_t scaled = std::int64_t{length} * kSheetMostDpi / dpi;
    return static_cast<std::uint32_t>(std::max<std::int64_t>(1, scaled));
}

}  // namespace

SheetRender planSheetRender(const PlacedRect& place, int dpiX, int dpiY, std::uint8_t quarterTurns,
                            std::uint64_t bandBytes) {
    SheetRender render;
    render.quarterTurns = static_cast<std::uint8_t>(quarterTurns & 3);
    const std::uint32_t width = renderedLength(place.width, dpiX);
    const std::uint32_t height = renderedLength(place.height, dpiY);
    if (width == 0 || height == 0) return render;
    const bool sideways = (render.quarterTurns & 1) != 0;
    render.scaledWidth = sideways ? height : width;
    render.scaledHeight = sideways ? width : height;
    const std::uint64_t row = std::uint64_t{render.scaledWidth} * 3 * 3;
    render.bandRows = static_cast<std::uint32_t>(std::clamp<std::uint64_t>(bandBytes / row, 1, render.scaledHeight));
    return render;
}

PlacedRect bandOnSheet(const SheetRender& render, const PlacedRect& place, std::uint32_t top, std::uint32_t rows) {
    const PartRect band = turnedRect({0, top, render.scaledWidth, rows}, render.scaledWidth, render.scaledHeight,
                                     render.quarterTurns);
    const bool sideways = (render.quarterTurns & 1) != 0;
    const std::int64_t turnedWidth = sideways ? render.scaledHeight : render.scaledWidth;
    const std::int64_t turnedHeight = sideways ? render.scaledWidth : render.scaledHeight;
    // Edges mapped one by one, so neighbouring bands meet without a gap.
    const auto mapX = [&](std::int64_t x) { return static_cast<int>(place.x + x * place.width / turnedWidth); };
    const auto mapY = [&](std::int64_t y) { return static_cast<int>(place.y + y * place.height / turnedHeight); };
    const int left = mapX(band.x), right = mapX(std::int64_t{band.x} + band.width);
    const int upper = mapY(band.y), lower = mapY(std::int64_t{band.y} + band.height);
    return {left, upper, right - left, lower - upper};
}

}  // namespace orva
