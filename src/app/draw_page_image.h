#pragma once
// The one routine that puts a page image on a device context: the screen,
// the printer and the preview all draw through it.
#include "document/page_image.h"
#include "platform/win32.h"

namespace orva {

// Stretches the whole page into the rectangle of size dw x dh at (x, y).
// Rows whose length is not a multiple of 4 bytes are first copied, padded,
// into `paddedRows`, which is kept by the caller and reused from draw to
// draw: a fresh page-sized block costs far more to touch than the copy
// itself. It grows from the page's own allocator; when it cannot, nothing
// is drawn.
void drawPageImage(HDC dc, int x, int y, int dw, int dh, const PageImage& page, ByteBuffer& paddedRows);

}  // namespace orva
