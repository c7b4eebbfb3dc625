#include "view/paint.h"

#include "base/scoped_win.h"
#include "document/page_request.h"
#include "view/draw_page_image.h"
#include "view/paint_gdi_win.h"
#include "view/paint_sidebar_win.h"
#include "view/status_text.h"
#include "view/view_geometry.h"

namespace orva {

namespace {

constexpr std::string_view kOpenHint = "Use File > Open to load a .orva or .pdf document";
constexpr std::string_view kLoadingPage = "Loading page...";

void drawPlaceholder(HDC dc, const ClientArea& client, std::string_view text) {
    drawCentredText(dc, RECT{client.left + SidebarWidth, client.top + PlaceholderTopOffset, client.right,
                             client.bottom - BandHeight},
                    text, kPlaceholderText);
}

void paintStatusBar(const Viewer& state, HDC dc, const ClientArea& client) {
    const RECT bar{0, client.bottom - BandHeight, client.right, client.bottom};
    FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNFACE));
    // Composed before the page request below: a page rendered by this very
    // paint still reads 0 x 0 here.
    const FixedText<256> status = composeStatusText(state);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 4, client.bottom - 20, status.c_str(), static_cast<int>(status.view().size()));
    if (!state.statusNotice.view().empty()) {
        SIZE extent{};
        GetTextExtentPoint32A(dc, status.c_str(), static_cast<int>(status.view().size()), &extent);
        const std::string_view notice = state.statusNotice.view();
        TextOutA(dc, 4 + extent.cx + 24, client.bottom - 20, notice.data(), static_cast<int>(notice.size()));
    }
}

// The current page at the current zoom and scroll position, drawn last and
// unclipped: a page larger than the view covers the sidebar, the top band
// and the status bar wherever it reaches them.
void paintPage(HDC dc, const ClientArea& client, const Viewer& state, const PageImage& page) {
    const DisplayedSize displayed = displayedSize(page.width, page.height, state.zoom);
    const Point origin = pageOrigin(client, displayed, state.scrollX, state.scrollY);
    drawPageImage(dc, origin.x, origin.y, displayed.width, displayed.height, page);
    // A produced page of width or height 0 is only this (empty) outline.
    traceRectangle(dc, Pen{1, kPageOutline}, origin.x, origin.y, origin.x + displayed.width,
                   origin.y + displayed.height);
}

}  // namespace

void paintClient(Viewer& state, HDC dc, const RECT& rect) {
    const ClientArea client{rect.left, rect.top, rect.right, rect.bottom};
    // The device context is handed back as it came, so that a context drawn
    // into again starts from its own defaults.
    const SavedDc saved(dc);

    fillSolid(dc, RECT{client.left, client.top + BandHeight, client.right, client.bottom - BandHeight},
              kViewBackground);
    paintStatusBar(state, dc, client);

    if (!state.documentLoaded) {
        drawPlaceholder(dc, client, kOpenHint);
    } else {
        paintSidebar(state, dc, client);
        // A failure shows as the placeholder; the next paint asks again.
        (void)ensurePageLoaded(state.document, state.currentPage);
        const PageImage* page =
            state.currentPage < state.document.pageCount() ? &state.document.pages[state.currentPage] : nullptr;
        if (page == nullptr || !page->present) {
            drawPlaceholder(dc, client, kLoadingPage);
        } else {
            paintPage(dc, client, state, *page);
        }
    }
}

void paintMainWindow(Viewer& state) {
    const PaintDc dc(state.mainWindow);
    RECT client{};
    GetClientRect(state.mainWindow, &client);
    if (dc.get() != nullptr) paintClient(state, dc.get(), client);
}

}  // namespace orva
