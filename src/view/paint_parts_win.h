#pragma once
// Drawing the sharp parts a document holds of a page over the page as a
// view shows it: the main window and the preview alike.
#include "base/win32.h"
#include "document/document.h"
#include "view/page_picture.h"
#include "view/sharp_parts.h"

namespace orva {

// Every part held for `page` at the size `shown` gives it, pixel for pixel
// (turned and inverted as `look` says), the newest last; nothing where the
// page is shown at or below its image's size.
void paintSharpParts(HDC dc, PictureCache& pictures, Allocator* allocator, const Document& document,
                     std::uint64_t page, const ShownPage& shown, PictureLook look);

}  // namespace orva
