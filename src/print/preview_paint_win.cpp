#include "base/scoped_win.h"
#include "document/page_memory.h"
#include "document/page_request.h"
#include "platform/window_kit.h"
#include "print/preview.h"
#include "print/print_layout.h"
#include "view/draw_page_image.h"
#include "view/page_picture.h"
#include "view/paint_gdi_win.h"
#include "view/paint_parts_win.h"

namespace orva {

namespace {

constexpr COLORREF kBackground = RGB(112, 112, 112);
constexpr COLORREF kShadow = RGB(64, 64, 64);
constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kOutline = RGB(144, 144, 144);
constexpr COLORREF kText = RGB(96, 96, 96);

// Centred across the client area, 30 pixels below its middle.
void drawNotice(HDC dc, const RECT& client, const char* text) {
    drawCentredText(dc, RECT{client.left, client.top + 60, client.right, client.bottom}, text, kText);
}

// The page as it prints: turned as the view is, never inverted; drawn from
// the sharp parts held for its size here where the sheet shows it larger
// than its image, as the main window does.
void drawSheet(PrintState& state, HDC dc, const RECT& client, const PageImage& page) {
    const PictureLook look{state.quarterTurns, false};
    const PictureSize turned = turnedSize(page.width, page.height, look.quarterTurns);
    const PreviewLayout layout =
        layoutPreview(client.right - client.left, client.bottom - client.top, turned.width, turned.height,
                      windowDpi(state.previewWindow));
    fillSolid(dc, {layout.shadowLeft, layout.shadowTop, layout.shadowRight, layout.shadowBottom}, kShadow);
    fillSolid(dc, {layout.paperLeft, layout.paperTop, layout.paperRight, layout.paperBottom}, kPaper);
    const Document& document = state.document;
    const PictureKey key{document.serial, state.previewPage, PictureSource::Page, 0, look};
    if (const PageImage* picture = lookedPictureFor(state.pictures, state.allocator, key, page))
        drawPageImage(dc, layout.image.x, layout.image.y, layout.image.width, layout.image.height, *picture);
    const ShownPage shown{layout.image.x, layout.image.y, static_cast<std::uint32_t>(layout.image.width),
                          static_cast<std::uint32_t>(layout.image.height), look.quarterTurns};
    paintSharpParts(dc, state.pictures, state.allocator, document, state.previewPage, shown, look);
    traceRectangle(dc, Pen{1, kOutline}, layout.paperLeft, layout.paperTop, layout.paperRight, layout.paperBottom);
}

}  // namespace

void paintPreviewClient(PrintState& state, HDC dc, const RECT& client) {
    fillSolid(dc, client, kBackground);
    if (!state.documentLoaded) {
        drawNotice(dc, client, "No document loaded");
        return;
    }
    if (state.document.pageCount() == 0) {
        drawNotice(dc, client, "Document has no pages");
        return;
    }
    // A page that cannot be loaded now is asked for again at the next paint.
    // The page shown here is held while the main view pages elsewhere (a
    // new document of the main window starts without the hold).
    pinPage(state.document, PagePin::Preview, state.previewPage);
    if (!ensurePageLoaded(state.document, state.previewPage) || !state.document.pages[state.previewPage].present) {
        drawNotice(dc, client, "Loading page...");
        return;
    }
    drawSheet(state, dc, client, state.document.pages[state.previewPage]);
}

void paintPreview(PrintState& state, HWND window) {
    const PaintDc dc(window);
    RECT client;
    GetClientRect(window, &client);
    if (dc.get() != nullptr) paintPreviewClient(state, dc.get(), client);
}

}  // namespace orva
