#include "view/paint_sidebar_win.h"

#include "base/fixed_text.h"
#include "document/page_memory.h"
#include "view/draw_page_image.h"
#include "view/paint_gdi_win.h"

namespace orva {

namespace {

static_assert(kThumbnailCopyWidth == ThumbnailBoxWidth && kThumbnailCopyHeight == ThumbnailBoxHeight,
              "a released page's copy is drawn at its own size");

// `page` is the page's image, or the small copy a released page left.
void paintThumbnail(HDC dc, const ClientArea& client, int top, std::uint64_t index, const PageImage& page,
                    bool current) {
    const int left = client.left;
    const RECT frame{left + ThumbnailFrameLeft, top, left + ThumbnailFrameRight, top + ThumbnailHeight};
    fillSolid(dc, frame, current ? kCurrentFrameFill : kOtherFrameFill);
    traceRectangle(dc, current ? Pen{2, kCurrentFramePen} : Pen{1, kOtherFramePen}, frame.left, frame.top,
                   frame.right, frame.bottom);

    const int boxLeft = left + ThumbnailBoxLeft;
    const int boxTop = top + ThumbnailBoxTop;
    if (!page.present) {
        fillSolid(dc, RECT{boxLeft, boxTop, boxLeft + ThumbnailBoxWidth, boxTop + ThumbnailBoxHeight}, kEmptyImageBox);
    } else if (auto image = thumbnailImage(page.width, page.height)) {
        drawPageImage(dc, boxLeft + image->x, boxTop + image->y, image->width, image->height, page);
    }
    // A produced page of width or height 0 has nothing to show: its box
    // stays empty inside the frame.

    FixedText<24> label;
    label.appendDecimal(index + 1);
    drawCentredText(dc, RECT{frame.left, top + ThumbnailLabelTop, frame.right, frame.bottom}, label.view(),
                    current ? kCurrentLabel : kOtherLabel);
}

}  // namespace

void paintSidebar(const Viewer& state, HDC dc, const ClientArea& client) {
    const int top = client.top + BandHeight;
    const int bottom = client.bottom - BandHeight;
    fillSolid(dc, RECT{client.left, top, client.left + SidebarWidth, bottom}, kSidebarBackground);
    drawLine(dc, Pen{1, kSidebarBorder}, POINT{client.left + SidebarWidth - 1, top},
             POINT{client.left + SidebarWidth - 1, bottom});
    SetBkMode(dc, TRANSPARENT);

    const Document& document = state.document;
    const PageRange visible = visibleThumbnails(client, state.sidebarScroll, document.pageCount());
    for (std::uint64_t i = visible.first; i < visible.end; ++i) {
        // A visible thumbnail's top lies within the client area's height.
        const int frameTop = static_cast<int>(thumbnailTop(client, state.sidebarScroll, i));
        const PageImage* copy = releasedPageCopy(document, i);
        paintThumbnail(dc, client, frameTop, i, copy != nullptr ? *copy : document.pages[i], i == state.currentPage);
    }
}

}  // namespace orva
