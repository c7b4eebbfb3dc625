// The view operations applied to the main window: each computes its numbers
// with the view geometry, stores them in the state and then publishes them to
// the scroll bars and asks for the repaint its change needs.
#include "view/view.h"

#include "base/win32.h"
#include "document/page_request.h"
#include "view/page_picture.h"
#include "view/page_placement.h"
#include "view/view_geometry.h"

namespace orva {

namespace {

// The geometry is read afresh every time: nothing about the window's size is
// kept. Before the window exists the area is empty.
ClientArea clientArea(const Viewer& state) { return viewClientArea(state); }

const PageImage* currentEntry(const Viewer& state) {
    if (!state.documentLoaded || state.currentPage >= state.document.pageCount()) return nullptr;
    return &state.document.pages[state.currentPage];
}

void setScrollBar(HWND window, int bar, std::int32_t limit, std::int32_t position) {
    SetScrollRange(window, bar, 0, limit, TRUE);
    SetScrollPos(window, bar, position, TRUE);
}

}  // namespace

ClientArea viewClientArea(const Viewer& state) {
    RECT rect{};
    if (state.mainWindow != nullptr) GetClientRect(state.mainWindow, &rect);
    const std::int32_t right = rect.right - state.panelWidth > rect.left ? rect.right - state.panelWidth : rect.left;
    return {rect.left, rect.top, right, rect.bottom, ViewLayout{state.dpi, state.fullScreen}};
}

float displayZoom(const Viewer& state) {
    if (state.dpi == 96) return state.zoom;
    return state.zoom * (static_cast<float>(state.dpi) / 96.0f);
}

void invalidateMainWindow(Viewer& state, bool erase) {
    // A null window would invalidate every window on the desktop.
    if (state.mainWindow != nullptr) InvalidateRect(state.mainWindow, nullptr, erase ? TRUE : FALSE);
}

void setStatusNotice(Viewer& state, std::string_view text) {
    if (state.statusNotice.view() == text) return;
    state.statusNotice = FixedText<512>{};
    state.statusNotice.append(text.substr(0, 511));
    if (state.mainWindow == nullptr) return;
    const ClientArea client = clientArea(state);
    const RECT bar{0, client.bottom - bandHeight(client), client.right, client.bottom};
    InvalidateRect(state.mainWindow, &bar, FALSE);
}

void zoomBy(Viewer& state, float factor) {
    state.fitMode = FitMode::None;
    state.zoom = steppedZoom(state.zoom, factor);
    updateScrollBars(state);
    invalidateMainWindow(state, true);
}

void fitWidthZoom(Viewer& state, const PageImage& page) {
    if (state.fitMode != FitMode::FitWidth) return;
    // A turned page fits its turned width.
    const PictureSize turned = turnedSize(page.width, page.height, state.quarterTurns);
    if (auto zoom = fitWidthZoomFor(clientArea(state), turned.width)) {
        // At another DPI the page fills the same width with fewer zoom steps.
        state.zoom = state.dpi == 96 ? *zoom : *zoom * (96.0f / static_cast<float>(state.dpi));
    }
}

void fitWidth(Viewer& state) {
    state.fitMode = FitMode::FitWidth;
    if (!state.documentLoaded || !ensurePageLoaded(state.document, state.currentPage)) return;
    const PageImage& page = state.document.pages[state.currentPage];
    if (!page.present) return;
    fitWidthZoom(state, page);
    updateScrollBars(state);
    invalidateMainWindow(state, true);
}

void actualSize(Viewer& state) {
    state.fitMode = FitMode::ActualSize;
    state.zoom = 1.0f;
    updateScrollBars(state);
    invalidateMainWindow(state, true);
}

void updateScrollBars(Viewer& state) {
    if (state.mainWindow == nullptr) return;
    if (!state.documentLoaded) {
        SetScrollRange(state.mainWindow, SB_HORZ, 0, 0, TRUE);
        SetScrollRange(state.mainWindow, SB_VERT, 0, 0, TRUE);
        return;
    }
    const PageImage* page = currentEntry(state);
    if (page == nullptr || !page->present || page->width == 0) return;
    const DisplayedSize displayed = turnedDisplayedSize(page->width, page->height, displayZoom(state), state.quarterTurns);
    // Showing or hiding a bar resizes the client area on the spot (WM_SIZE
    // runs inside the call), so limits computed before it can be stale by a
    // bar's width; they are computed again until the area holds still. A bar
    // appearing only shrinks the area, so this settles within a few passes.
    for (int pass = 0; pass < 4; ++pass) {
        const ClientArea area = clientArea(state);
        const ScrollLimits limits = scrollLimits(area, displayed);
        state.scrollX = clampScroll(state.scrollX, limits.horizontal);
        state.scrollY = clampScroll(state.scrollY, limits.vertical);
        const std::int32_t scrollX = state.scrollX;
        const std::int32_t scrollY = state.scrollY;
        setScrollBar(state.mainWindow, SB_HORZ, limits.horizontal, scrollX);
        setScrollBar(state.mainWindow, SB_VERT, limits.vertical, scrollY);
        const ClientArea after = clientArea(state);
        if (after.right - after.left == area.right - area.left && after.bottom - after.top == area.bottom - area.top)
            break;
    }
}

void scrollView(Viewer& state, ScrollAxis axis, unsigned requestCode, unsigned thumbPosition) {
    std::int32_t& position = axis == ScrollAxis::Horizontal ? state.scrollX : state.scrollY;
    const auto next = steppedScroll(position, requestCode, thumbPosition, clientArea(state).layout);
    if (!next) return;
    position = *next;
    updateScrollBars(state);
    invalidateMainWindow(state, true);
}

void clampSidebarScroll(Viewer& state) {
    state.sidebarScroll =
        state.documentLoaded ? clampedSidebarScroll(state.sidebarScroll, clientArea(state), state.document.pageCount()) : 0;
}

void scrollSidebar(Viewer& state, bool up) {
    const std::int32_t wheelStep = scaled(clientArea(state), WheelSidebarStep);
    const std::int64_t step = up ? -wheelStep : wheelStep;
    state.sidebarScroll = state.documentLoaded
                              ? clampedSidebarScroll(std::int64_t{state.sidebarScroll} + step, clientArea(state),
                                                     state.document.pageCount())
                              : 0;
    invalidateMainWindow(state, true);
}

void revealCurrentThumbnail(Viewer& state) {
    if (!state.documentLoaded) return;
    state.sidebarScroll =
        revealedSidebarScroll(state.sidebarScroll, clientArea(state), state.currentPage, state.document.pageCount());
}

std::optional<std::uint64_t> thumbnailAt(const Viewer& state, int x, int y) {
    if (!state.documentLoaded) return std::nullopt;
    return thumbnailAt(clientArea(state), state.sidebarScroll, state.document.pageCount(), x, y);
}

bool pointInSidebarArea(const Viewer& state, int x, int y) { return inSidebarArea(clientArea(state), x, y); }

}  // namespace orva
