#include "app/page_look.h"

#include "base/win32.h"
#include "view/messages.h"
#include "view/view.h"

namespace orva {

namespace {

void refreshPreview(AppState& state) {
    if (state.previewOpen) InvalidateRect(state.previewWindow, nullptr, TRUE);
}

}  // namespace

void rotateView(AppState& state, bool right) {
    state.quarterTurns = static_cast<std::uint8_t>((state.quarterTurns + (right ? 1 : 3)) & 3);
    // At Fit Width the turned page is fitted again; a scroll bar that comes
    // or goes with the new size changes the room, so the fit is made again
    // until it holds (turning back then gives the zoom it had).
    const bool shown = state.documentLoaded && state.currentPage < state.document.pageCount() &&
                       state.document.pages[state.currentPage].present;
    for (int pass = 0; pass < 3; ++pass) {
        const float zoom = state.zoom;
        if (shown) fitWidthZoom(state, state.document.pages[state.currentPage]);
        updateScrollBars(state);
        if (state.zoom == zoom && pass > 0) break;
    }
    updateWindowTitle(state);
    invalidateMainWindow(state, true);
    refreshPreview(state);
}

void toggleInvertedColours(AppState& state) {
    state.inverted = !state.inverted;
    invalidateMainWindow(state, false);
}

}  // namespace orva
