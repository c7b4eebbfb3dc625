#include "view/paint_sidebar_win.h"

#include "base/fixed_text.h"
#include "base/scoped_win.h"
#include "document/page_memory.h"
#include "view/draw_page_image.h"
#include "view/page_picture.h"
#include "view/paint_gdi_win.h"

namespace orva {

namespace {

static_assert(kThumbnailCopyWidth == ThumbnailBoxWidth && kThumbnailCopyHeight == ThumbnailBoxHeight,
              "a released page's copy is drawn at its own size");

// `page` is the page's image, or the small copy a released page left.
void paintThumbnail(HDC dc, const ClientArea& client, int top, std::uint64_t index, const PageImage& page,
                    bool current) {
    const int left = client.left;
    const RECT frame{left + scaled(client, ThumbnailFrameLeft), top, left + scaled(client, ThumbnailFrameRight),
                     top + scaled(client, ThumbnailHeight)};
    fillSolid(dc, frame, current ? kCurrentFrameFill : kOtherFrameFill);
    traceRectangle(dc, current ? Pen{scaled(client, 2), kCurrentFramePen} : Pen{scaled(client, 1), kOtherFramePen},
                   frame.left, frame.top, frame.right, frame.bottom);

    const int boxLeft = left + scaled(client, ThumbnailBoxLeft);
    const int boxTop = top + scaled(client, ThumbnailBoxTop);
    if (!page.present) {
        fillSolid(dc,
                  RECT{boxLeft, boxTop, boxLeft + scaled(client, ThumbnailBoxWidth),
                       boxTop + scaled(client, ThumbnailBoxHeight)},
                  kEmptyImageBox);
    } else if (auto image = thumbnailImage(page.width, page.height, client.layout)) {
        drawPageImage(dc, boxLeft + image->x, boxTop + image->y, image->width, image->height, page);
    }
    // A produced page of width or height 0 has nothing to show: its box
    // stays empty inside the frame.

    FixedText<24> label;
    label.appendDecimal(index + 1);
    drawCentredText(dc, RECT{frame.left, top + scaled(client, ThumbnailLabelTop), frame.right, frame.bottom}, label.view(),
                    current ? kCurrentLabel : kOtherLabel);
}

// The thumbnail of page `index` as the view draws pages: `source` itself,
// or a thumbnail-sized copy of it turned and inverted (shrunk first, into
// the box turned, so the turned copy fits the box).
const PageImage* lookedThumbnail(Viewer& state, std::uint64_t index, const PageImage& source, bool isCopy) {
    const PictureLook look = viewLook(state);
    if (look.plain() || !source.present || state.allocator == nullptr) return &source;
    const PictureKey key{state.document.serial, index, PictureSource::Thumbnail, isCopy ? 1u : 0u, look};
    if (const PageImage* held = findCachedPicture(state.pictures, key)) return held;
    const bool sideways = (look.quarterTurns & 1) != 0;
    auto small = shrinkPageInto(*state.allocator, source, sideways ? ThumbnailBoxHeight : ThumbnailBoxWidth,
                                sideways ? ThumbnailBoxWidth : ThumbnailBoxHeight);
    if (!small) return nullptr;
    auto copy = lookedPicture(*state.allocator, *small, look);
    if (!copy) return nullptr;
    return keepCachedPicture(state.pictures, key, std::move(*copy));
}

}  // namespace

void paintSidebar(Viewer& state, HDC dc, const ClientArea& client) {
    // In full screen the page stands alone.
    if (client.layout.fullScreen) return;
    const int top = client.top + bandHeight(client);
    const int bottom = client.bottom - bandHeight(client);
    const int width = sidebarWidth(client);
    fillSolid(dc, RECT{client.left, top, client.left + width, bottom}, kSidebarBackground);
    drawLine(dc, Pen{scaled(client, 1), kSidebarBorder}, POINT{client.left + width - 1, top},
             POINT{client.left + width - 1, bottom});
    SetBkMode(dc, TRANSPARENT);

    // The frames stay inside the strip, clear of the top band, the status
    // line and the border.
    const SavedDc clipped(dc);
    IntersectClipRect(dc, client.left, top, client.left + width - 1, bottom);
    const Document& document = state.document;
    const PageRange visible = visibleThumbnails(client, state.sidebarScroll, document.pageCount());
    for (std::uint64_t i = visible.first; i < visible.end; ++i) {
        // A visible thumbnail's top lies within the client area's height.
        const int frameTop = static_cast<int>(thumbnailTop(client, state.sidebarScroll, i));
        const PageImage* copy = releasedPageCopy(document, i);
        const PageImage& source = copy != nullptr ? *copy : document.pages[i];
        const PageImage* shown = lookedThumbnail(state, i, source, copy != nullptr);
        // Without memory for a turned copy the box stays empty.
        const PageImage none;
        paintThumbnail(dc, client, frameTop, i, shown != nullptr ? *shown : none, i == state.currentPage);
    }
}

}  // namespace orva
