#include "print/print_layout.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace orva {

namespace {

constexpr int kPrintMargin = 50;

// Truncation toward zero; a product that is not a number (a zero-sized page
// times an unbounded scale) draws nothing, and one past the int range is
// held at its top rather than wrapped.
int truncateToInt(float value) {
    if (!(value >= 0.0f)) return 0;
    if (value >= 2147483648.0f) return INT_MAX;
    return static_cast<int>(value);
}

}  // namespace

int usablePrintExtent(int resolution) { return resolution < 2 * kPrintMargin + 2 ? 1 : resolution - 2 * kPrintMargin; }

// Single precision throughout: the sizes on paper and in the preview are
// those of the single-precision quotients, truncated.
FittedSize fitPage(int aw, int ah, std::uint32_t pageWidth, std::uint32_t pageHeight) {
    const float sx = static_cast<float>(aw) / static_cast<float>(pageWidth);
    const float sy = static_cast<float>(ah) / static_cast<float>(pageHeight);
    float scale = std::min(sx, sy);
    if (std::isnan(sx)) scale = sy;
    return {truncateToInt(static_cast<float>(pageWidth) * scale), truncateToInt(scale * static_cast<float>(pageHeight))};
}

PlacedRect placePrintedPage(int usableWidth, int usableHeight, std::uint32_t pageWidth, std::uint32_t pageHeight) {
    const FittedSize size = fitPage(usableWidth, usableHeight, pageWidth, pageHeight);
    return {(usableWidth - size.width) / 2 + kPrintMargin, (usableHeight - size.height) / 2 + kPrintMargin, size.width,
            size.height};
}

PreviewLayout layoutPreview(int clientWidth, int clientHeight, std::uint32_t pageWidth, std::uint32_t pageHeight,
                            int dpi) {
    const auto px = [dpi](int size) { return dpi == 96 ? size : (size * dpi + 48) / 96; };
    const int margins = px(48);
    const int aw = clientWidth < margins + 1 ? 1 : clientWidth - margins;
    const int ah = clientHeight < margins + 1 ? 1 : clientHeight - margins;
    const FittedSize size = fitPage(aw, ah, pageWidth, pageHeight);
    const int ox = (aw - size.width) / 2;
    const int oy = (ah - size.height) / 2;
    PreviewLayout layout;
    layout.paperLeft = ox + px(20);
    layout.paperTop = oy + px(20);
    layout.paperRight = ox + size.width + px(28);
    layout.paperBottom = oy + size.height + px(28);
    layout.shadowLeft = layout.paperLeft + px(6);
    layout.shadowTop = layout.paperTop + px(6);
    layout.shadowRight = layout.paperRight + px(6);
    layout.shadowBottom = layout.paperBottom + px(6);
    layout.image = {ox + px(24), oy + px(24), size.width, size.height};
    return layout;
}

std::uint16_t dialogPageLimit(std::uint64_t pageCount) {
    return static_cast<std::uint16_t>(std::min<std::uint64_t>(pageCount, 0xFFFF));
}

PrintRange resolvePrintRange(const DialogRange& dialog, std::uint64_t pageCount) {
    if (!dialog.pageNumbers) {
        if (pageCount == 0) return {0, 0};
        return {0, pageCount - 1};
    }
    std::uint16_t limit = dialogPageLimit(pageCount);
    if (dialog.maxPage != 0 && dialog.maxPage < limit) limit = dialog.maxPage;
    std::uint16_t from = std::min(dialog.fromPage, limit);
    from = std::max(from, dialog.minPage);
    from = std::max<std::uint16_t>(from, 1);
    std::uint16_t to = std::min(dialog.toPage, limit);
    to = std::max(to, from);
    return {static_cast<std::uint64_t>(from - 1), static_cast<std::uint64_t>(to - 1)};
}

}  // namespace orva
