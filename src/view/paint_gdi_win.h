#pragma once
// The drawing steps the main window's paint is made of. Every brush and pen
// is created for its one use and deleted right after it, a pen only once it
// has been deselected.
#include <string_view>

#include "base/win32.h"

namespace orva {

inline constexpr COLORREF kViewBackground = RGB(224, 224, 224);
inline constexpr COLORREF kPlaceholderText = RGB(96, 96, 96);
inline constexpr COLORREF kSidebarBackground = RGB(208, 208, 208);
inline constexpr COLORREF kSidebarBorder = RGB(160, 160, 160);
inline constexpr COLORREF kCurrentFrameFill = RGB(240, 212, 184);
inline constexpr COLORREF kCurrentFramePen = RGB(160, 96, 32);
inline constexpr COLORREF kOtherFrameFill = RGB(244, 244, 244);
inline constexpr COLORREF kOtherFramePen = RGB(144, 144, 144);
inline constexpr COLORREF kEmptyImageBox = RGB(232, 232, 232);
inline constexpr COLORREF kCurrentLabel = RGB(96, 48, 16);
inline constexpr COLORREF kOtherLabel = RGB(64, 64, 64);
inline constexpr COLORREF kPageOutline = RGB(128, 128, 128);

inline constexpr UINT kCentredLine = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

struct Pen {
    int width;
    COLORREF colour;
};

void fillSolid(HDC dc, const RECT& rect, COLORREF colour);

// One line from `from` to `to` (the end point itself is not drawn).
void drawLine(HDC dc, const Pen& pen, POINT from, POINT to);

// The outline of the rectangle with corners (left, top) and (right, bottom):
// a move to the top-left corner and lines clockwise back to it.
void traceRectangle(HDC dc, const Pen& pen, int left, int top, int right, int bottom);

// One line of text centred in `rect`, over whatever is below it.
void drawCentredText(HDC dc, const RECT& rect, std::string_view text, COLORREF colour);

}  // namespace orva
