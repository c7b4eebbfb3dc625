#include "app/draw_page_image.h"
#include "document/page_request.h"
#include "print/preview.h"
#include "print/print_layout.h"

namespace orva {

namespace {

constexpr COLORREF kBackground = RGB(112, 112, 112);
constexpr COLORREF kShadow = RGB(64, 64, 64);
constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kOutline = RGB(144, 144, 144);
constexpr COLORREF kText = RGB(96, 96, 96);

void fill(HDC dc, const RECT& area, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

void outline(HDC dc, int left, int top, int right, int bottom) {
    HPEN pen = CreatePen(PS_SOLID, 1, kOutline);
    HGDIOBJ previous = SelectObject(dc, pen);
    MoveToEx(dc, left, top, nullptr);
    LineTo(dc, right, top);
    LineTo(dc, right, bottom);
    LineTo(dc, left, bottom);
    LineTo(dc, left, top);
    SelectObject(dc, previous);
    DeleteObject(pen);
}

// Centred across the client area, 30 pixels below its middle.
void drawNotice(HDC dc, const RECT& client, const char* text) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kText);
    RECT area = client;
    area.top += 60;
    DrawTextA(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void drawSheet(HDC dc, const RECT& client, const PageImage& page) {
    const PreviewLayout layout =
        layoutPreview(client.right - client.left, client.bottom - client.top, page.width, page.height);
    fill(dc, {layout.shadowLeft, layout.shadowTop, layout.shadowRight, layout.shadowBottom}, kShadow);
    fill(dc, {layout.paperLeft, layout.paperTop, layout.paperRight, layout.paperBottom}, kPaper);
    drawPageImage(dc, layout.image.x, layout.image.y, layout.image.width, layout.image.height, page);
    outline(dc, layout.paperLeft, layout.paperTop, layout.paperRight, layout.paperBottom);
}

}  // namespace

void paintPreviewClient(AppState& state, HDC dc, const RECT& client) {
    fill(dc, client, kBackground);
    if (!state.documentLoaded) {
        drawNotice(dc, client, "No document loaded");
        return;
    }
    if (state.document.pageCount() == 0) {
        drawNotice(dc, client, "Document has no pages");
        return;
    }
    // A page that cannot be loaded now is asked for again at the next paint.
    if (!ensurePageLoaded(state.document, state.previewPage) || !state.document.pages[state.previewPage].present) {
        drawNotice(dc, client, "Loading page...");
        return;
    }
    drawSheet(dc, client, state.document.pages[state.previewPage]);
}

void paintPreview(AppState& state, HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    paintPreviewClient(state, dc, client);
    EndPaint(window, &paint);
}

}  // namespace orva
