#include "view/paint.h"

#include "base/scoped_win.h"
#include "document/page_request.h"
#include "platform/window_kit.h"
#include "view/draw_page_image.h"
#include "view/page_picture.h"
#include "view/page_placement.h"
#include "view/paint_gdi_win.h"
#include "view/paint_sidebar_win.h"
#include "view/paint_parts_win.h"
#include "view/status_text.h"
#include "view/view.h"
#include "view/view_geometry.h"

namespace orva {

namespace {

constexpr std::string_view kOpenHint = "Use File > Open to load a .orva or .pdf document";
constexpr std::string_view kLoadingPage = "Loading page...";

void drawPlaceholder(HDC dc, const ClientArea& client, std::string_view text) {
    drawCentredText(dc, RECT{client.left + sidebarWidth(client), client.top + scaled(client, PlaceholderTopOffset),
                             client.right, client.bottom - bandHeight(client)},
                    text, kPlaceholderText);
}

void paintStatusBar(const Viewer& state, HDC dc, const ClientArea& client) {
    // In full screen the page stands alone.
    if (client.layout.fullScreen) return;
    const RECT bar{0, client.bottom - bandHeight(client), client.right, client.bottom};
    FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNFACE));
    // Composed before the page request below: a page rendered by this very
    // paint still reads 0 x 0 here.
    const FixedText<256> status = composeStatusText(state);
    SetBkMode(dc, TRANSPARENT);
    const int x = scaled(client, 4);
    const int y = client.bottom - scaled(client, 20);
    TextOutA(dc, x, y, status.c_str(), static_cast<int>(status.view().size()));
    if (!state.statusNotice.view().empty()) {
        SIZE extent{};
        GetTextExtentPoint32A(dc, status.c_str(), static_cast<int>(status.view().size()), &extent);
        const std::string_view notice = state.statusNotice.view();
        TextOutA(dc, x + extent.cx + scaled(client, 24), y, notice.data(), static_cast<int>(notice.size()));
    }
}

// The page view's rectangle: what the page and the marks are clipped to.
RECT pageView(const ClientArea& client) {
    return {client.left + sidebarWidth(client), client.top + bandHeight(client), client.right,
            client.bottom - bandHeight(client)};
}

// Translucent marks: the colour multiplies what lies below, as a
// highlighter does (white takes the colour, black text stays black).
constexpr DWORD kMultiply = 0x00A000C9;  // DPa
constexpr COLORREF kHitMark = RGB(255, 226, 64);
constexpr COLORREF kCurrentHitMark = RGB(255, 140, 40);
constexpr COLORREF kSelectionMark = RGB(140, 186, 255);

void markBox(HDC dc, const PagePlacement& placement, const TextBox& box) {
    const ClientRect r = toClient(placement, box);
    PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, kMultiply);
}

// The find bar's hits and the selection over the page's text, inside the
// page view only.
void paintMarks(HDC dc, const ClientArea& client, const Viewer& state, const PageImage& page) {
    const TextMarks& marks = state.marks;
    if (marks.page != state.currentPage || state.document.text.state(marks.page) != TextState::Fetched) return;
    const PageText& text = state.document.text.pages[marks.page];
    if (text.empty()) return;
    const PagePlacement placement =
        placePage(client, page.width, page.height, displayZoom(state), state.scrollX, state.scrollY, state.quarterTurns);
    const SavedDc saved(dc);
    const RECT view = pageView(client);
    IntersectClipRect(dc, view.left, view.top, view.right, view.bottom);
    const auto paintWith = [&](COLORREF colour, auto&& boxes) {
        const ScopedBrush brush(CreateSolidBrush(colour));
        const Selection chosen(dc, brush.get());
        boxes();
    };
    if (marks.hasSelection) {
        paintWith(kSelectionMark, [&] {
            for (std::uint32_t w = marks.selection.first; w <= marks.selection.last && w < text.words.size(); ++w)
                markBox(dc, placement, text.words[w].box);
        });
    }
    TextBox boxes[64];
    for (const COLORREF colour : {kHitMark, kCurrentHitMark}) {
        paintWith(colour, [&] {
            for (std::uint32_t i = 0; i < marks.hits.size(); ++i) {
                if ((i == marks.currentHit) != (colour == kCurrentHitMark)) continue;
                const std::size_t count = hitBoxes(text, marks.hits[i], boxes);
                for (std::size_t b = 0; b < count; ++b) markBox(dc, placement, boxes[b]);
            }
        });
    }
}

// The current page at the current zoom and scroll position, turned and
// inverted as the view says, inside the page view only: the top band, the
// status line and the strip stay as they are drawn.
void paintPage(HDC dc, const ClientArea& client, Viewer& state, const PageImage& page) {
    const PagePlacement placement =
        placePage(client, page.width, page.height, displayZoom(state), state.scrollX, state.scrollY, state.quarterTurns);
    const Point origin = placement.origin;
    const DisplayedSize displayed = placement.displayed;
    {
        const SavedDc clipped(dc);
        const RECT view = pageView(client);
        IntersectClipRect(dc, view.left, view.top, view.right, view.bottom);
        const PictureKey key{state.document.serial, state.currentPage, PictureSource::Page, 0, viewLook(state)};
        // Without memory for a turned copy the page is not drawn; the next
        // paint tries again.
        if (const PageImage* picture = lookedPictureFor(state.pictures, state.allocator, key, page))
            drawPageImage(dc, origin.x, origin.y, displayed.width, displayed.height, *picture);
        // Drawn pixel for pixel over the stretched page where it is shown larger.
        paintSharpParts(dc, state.pictures, state.allocator, state.document, state.currentPage, shownPage(placement),
                        viewLook(state));
        // A produced page of width or height 0 is only this (empty) outline.
        traceRectangle(dc, Pen{1, kPageOutline}, origin.x, origin.y, origin.x + displayed.width,
                       origin.y + displayed.height);
    }
    paintMarks(dc, client, state, page);
}

// The main window's visible children (the find bar, a panel) are left out
// of the paint: what it draws never covers them.
void excludeChildren(HDC dc, HWND window) {
    if (window == nullptr) return;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT box{};
        GetWindowRect(child, &box);
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&box), 2);
        ExcludeClipRect(dc, box.left, box.top, box.right, box.bottom);
    }
}

// The font of the window's texts at its DPI: the device context's own,
// which the system makes at its own DPI; on a monitor of another, the same
// font scaled to it.
GdiObject<HFONT> scaledFont(const ClientArea& client) {
    const int system = systemDpi();
    if (client.layout.dpi == system) return GdiObject<HFONT>();
    LOGFONTW font{};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof font, &font);
    const LONG height = font.lfHeight != 0 ? font.lfHeight : 16;
    font.lfHeight = static_cast<LONG>(std::int64_t{height} * client.layout.dpi / system);
    font.lfWidth = 0;
    return GdiObject<HFONT>(CreateFontIndirectW(&font));
}

}  // namespace

void paintClient(Viewer& state, HDC dc, const RECT& rect) {
    // The panel at the right (the bookmarks) is a window of its own.
    const std::int32_t right = rect.right - state.panelWidth > rect.left ? rect.right - state.panelWidth : rect.left;
    const ClientArea client{rect.left, rect.top, right, rect.bottom, ViewLayout{state.dpi, state.fullScreen}};
    // The device context is handed back as it came, so that a context drawn
    // into again starts from its own defaults.
    const SavedDc saved(dc);
    excludeChildren(dc, state.mainWindow);
    const GdiObject<HFONT> font = scaledFont(client);
    const Selection withFont(dc, font.get());

    fillSolid(dc, RECT{client.left, client.top + bandHeight(client), client.right, client.bottom - bandHeight(client)},
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
