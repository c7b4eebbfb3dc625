#include "view/paint_parts_win.h"

#include "document/page_parts.h"
#include "view/draw_page_image.h"

namespace orva {

void paintSharpParts(HDC dc, PictureCache& pictures, Allocator* allocator, const Document& document,
                     std::uint64_t page, const ShownPage& shown, PictureLook look) {
    if (!document.isPdf() || page >= document.pageCount()) return;
    const PageImage& image = document.pages[page];
    if (!shownLarger(shown, image.width, image.height)) return;
    const PagePart* parts[kHeldParts];
    const std::size_t count = partsOf(document, page, scaledPageSize(shown), parts);
    for (std::size_t i = 0; i < count; ++i) {
        const PagePart& part = *parts[i];
        const PictureKey key{document.serial, page, PictureSource::Part, part.number, look};
        const PageImage* picture = lookedPictureFor(pictures, allocator, key, part.picture);
        if (picture == nullptr) continue;
        const ClientRect at = partInView(shown, {part.x, part.y, part.picture.width, part.picture.height});
        drawPageImage(dc, at.left, at.top, at.right - at.left, at.bottom - at.top, *picture);
    }
}

}  // namespace orva
