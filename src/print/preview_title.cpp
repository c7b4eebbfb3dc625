#include "print/preview_title.h"

#include "view/window_title.h"

namespace orva {

FixedText<512> composePreviewTitle(const PrintState& state) {
    FixedText<512> title;
    title.append("Print Preview - ");
    if (state.documentLoaded) {
        title.append("Page ")
            .appendDecimal(state.previewPage + 1)
            .append("/")
            .appendDecimal(state.document.pageCount())
            .append(" - ");
    }
    title.append(kProgramName);
    return title;
}

}  // namespace orva
