#include "view/status_text.h"

namespace orva {

FixedText<256> composePageStatus(std::uint64_t page, std::uint64_t pageCount, std::uint32_t width,
                                 std::uint32_t height, std::uint32_t dpi) {
    FixedText<256> text;
    text.append("  Page ")
        .appendDecimal(page + 1)
        .append(" of ")
        .appendDecimal(pageCount)
        .append("  |  ")
        .appendDecimal(width)
        .append(" x ")
        .appendDecimal(height)
        .append(" px  |  DPI: ")
        .appendDecimal(dpi);
    return text;
}

FixedText<256> composeStatusText(const Viewer& state) {
    if (!state.documentLoaded) {
        FixedText<256> text;
        text.append(kNoDocumentStatus);
        return text;
    }
    const Document& document = state.document;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (state.currentPage < document.pageCount()) {
        width = document.pages[state.currentPage].width;
        height = document.pages[state.currentPage].height;
    }
    return composePageStatus(state.currentPage, document.pageCount(), width, height, document.dpi);
}

}  // namespace orva
