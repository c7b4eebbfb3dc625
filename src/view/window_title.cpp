#include "view/window_title.h"

#include <cmath>

#include "document/path_rules.h"

namespace orva {

std::string_view documentDisplayName(std::string_view title, std::string_view path) {
    if (!title.empty()) return title;
    if (path.empty()) return "Untitled";
    return lastPathComponent(path);
}

std::uint32_t zoomPercent(float zoom) {
    const float percent = zoom * 100.0f;
    if (!(percent >= 0.0f)) return 0;
    if (percent >= 4294967296.0f) return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(percent);
}

FixedText<512> composeWindowTitle(const Viewer& state) {
    FixedText<512> title;
    if (!state.documentLoaded) {
        title.append(kProgramName);
        return title;
    }
    const Document& document = state.document;
    title.append(documentDisplayName(document.title.view(), document.path.view()))
        .append(" - Page ")
        .appendDecimal(state.currentPage + 1)
        .append("/")
        .appendDecimal(document.pageCount())
        .append(" (")
        .appendDecimal(zoomPercent(state.zoom))
        .append("%) - ")
        .append(kProgramName);
    return title;
}

FixedText<1024> composeOpenErrorText(std::string_view path, ErrorCode code) {
    FixedText<1024> text;
    text.append("Failed to open file:\n").append(path).append("\n\nError: ").append(errorName(code));
    if (!text.fits()) {
        FixedText<1024> fallback;
        fallback.append("Failed to open file.");
        return fallback;
    }
    return text;
}

}  // namespace orva
