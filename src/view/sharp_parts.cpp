#include "view/sharp_parts.h"

#include <algorithm>

namespace orva {

namespace {

bool sideways(std::uint8_t quarterTurns) { return (quarterTurns & 1) != 0; }

}  // namespace

ShownPage shownPage(const PagePlacement& placement) {
    return {placement.origin.x, placement.origin.y, static_cast<std::uint32_t>(std::max(0, placement.displayed.width)),
            static_cast<std::uint32_t>(std::max(0, placement.displayed.height)), placement.quarterTurns};
}

ScaledSize scaledPageSize(const ShownPage& shown) {
    return sideways(shown.quarterTurns) ? ScaledSize{shown.height, shown.width} : ScaledSize{shown.width, shown.height};
}

bool shownLarger(const ShownPage& shown, std::uint32_t imageWidth, std::uint32_t imageHeight) {
    const ScaledSize scaled = scaledPageSize(shown);
    return scaled.width > imageWidth || scaled.height > imageHeight;
}

PartRect turnedRect(const PartRect& r, std::uint32_t width, std::uint32_t height, std::uint8_t quarterTurns) {
    switch (quarterTurns & 3) {
        case 1: return {height - r.y - r.height, r.x, r.height, r.width};
        case 2: return {width - r.x - r.width, height - r.y - r.height, r.width, r.height};
        case 3: return {r.y, width - r.x - r.width, r.height, r.width};
        default: return r;
    }
}

PartRect unturnedRect(const PartRect& r, std::uint32_t width, std::uint32_t height, std::uint8_t quarterTurns) {
    const std::uint8_t back = static_cast<std::uint8_t>((4 - (quarterTurns & 3)) & 3);
    return sideways(quarterTurns) ? turnedRect(r, height, width, back) : turnedRect(r, width, height, back);
}

std::optional<PartRect> wantedPart(const ClientRect& view, const ShownPage& shown, std::uint32_t margin) {
    // In the turned picture's pixels, 64-bit so no sum can wrap.
    const std::int64_t left = std::max<std::int64_t>(view.left, shown.left) - shown.left;
    const std::int64_t top = std::max<std::int64_t>(view.top, shown.top) - shown.top;
    const std::int64_t right = std::min<std::int64_t>(view.right, std::int64_t{shown.left} + shown.width) - shown.left;
    const std::int64_t bottom = std::min<std::int64_t>(view.bottom, std::int64_t{shown.top} + shown.height) - shown.top;
    if (right <= left || bottom <= top) return std::nullopt;
    const std::int64_t x0 = std::max<std::int64_t>(0, left - margin);
    const std::int64_t y0 = std::max<std::int64_t>(0, top - margin);
    const std::int64_t x1 = std::min<std::int64_t>(shown.width, right + margin);
    const std::int64_t y1 = std::min<std::int64_t>(shown.height, bottom + margin);
    const PartRect turned{static_cast<std::uint32_t>(x0), static_cast<std::uint32_t>(y0),
                          static_cast<std::uint32_t>(x1 - x0), static_cast<std::uint32_t>(y1 - y0)};
    const ScaledSize scaled = scaledPageSize(shown);
    return unturnedRect(turned, scaled.width, scaled.height, shown.quarterTurns);
}

ClientRect partInView(const ShownPage& shown, const PartRect& part) {
    const ScaledSize scaled = scaledPageSize(shown);
    const PartRect turned = turnedRect(part, scaled.width, scaled.height, shown.quarterTurns);
    const std::int64_t left = std::int64_t{shown.left} + turned.x;
    const std::int64_t top = std::int64_t{shown.top} + turned.y;
    const auto clamp = [](std::int64_t v) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -1000000000, 1000000000));
    };
    return {clamp(left), clamp(top), clamp(left + turned.width), clamp(top + turned.height)};
}

}  // namespace orva
