#include "view/paint_gdi_win.h"

#include "base/scoped_win.h"

namespace orva {

namespace {

// Runs `draw` with a fresh pen selected, then puts the previous pen back and
// deletes the fresh one.
template <class Draw>
void withPen(HDC dc, const Pen& pen, Draw&& draw) {
    const ScopedPen created(CreatePen(PS_SOLID, pen.width, pen.colour));
    if (!created) return;
    const Selection selected(dc, created.get());
    draw();
}

}  // namespace

void fillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    const ScopedBrush brush(CreateSolidBrush(colour));
    if (brush) FillRect(dc, &rect, brush.get());
}

void drawLine(HDC dc, const Pen& pen, POINT from, POINT to) {
    withPen(dc, pen, [&] {
        MoveToEx(dc, from.x, from.y, nullptr);
        LineTo(dc, to.x, to.y);
    });
}

void traceRectangle(HDC dc, const Pen& pen, int left, int top, int right, int bottom) {
    withPen(dc, pen, [&] {
        MoveToEx(dc, left, top, nullptr);
        LineTo(dc, right, top);
        LineTo(dc, right, bottom);
        LineTo(dc, left, bottom);
        LineTo(dc, left, top);
    });
}

void drawCentredText(HDC dc, const RECT& rect, std::string_view text, COLORREF colour) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    RECT box = rect;
    DrawTextA(dc, text.data(), static_cast<int>(text.size()), &box, kCentredLine);
}

}  // namespace orva
