#pragma once
// The one routine that puts a page image on a device context: the screen,
// the printer and the preview all draw through it.
#include "base/win32.h"
#include "document/page_image.h"

namespace orva {

// Stretches the whole page into the rectangle of size dw x dh at (x, y).
// Rows whose length is not a multiple of 4 bytes are padded in a temporary
// copy taken from the page's own allocator; when that copy cannot be made
// nothing is drawn.
void drawPageImage(HDC dc, int x, int y, int dw, int dh, const PageImage& page);

}  // namespace orva
