#pragma once
// The numbers of the main window's view: how the client area is divided, how
// large a page is drawn, the zoom and its limits, the scroll ranges and steps
// and the thumbnail strip. Everything here computes values from its arguments;
// the shell applies them to the window.
#include <cstdint>
#include <optional>

namespace orva {

// How the view is laid out beyond its rectangle: the window's dots per inch
// (every fixed size below is for 96 and is scaled to it), and full screen,
// where the page stands alone: no sidebar, no top band, no status line.
struct ViewLayout {
    std::int32_t dpi = 96;
    bool fullScreen = false;
};

// A client rectangle as the window reports it (left and top are 0 in
// practice, but every formula uses them), and its layout.
struct ClientArea {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    ViewLayout layout;
};

// A size of 96 dots per inch at the layout's: size x dpi / 96, rounded.
inline std::int32_t scaled(const ViewLayout& layout, std::int32_t size) {
    if (layout.dpi == 96) return size;
    return static_cast<std::int32_t>((std::int64_t{size} * layout.dpi + (size >= 0 ? 48 : -48)) / 96);
}
inline std::int32_t scaled(const ClientArea& client, std::int32_t size) { return scaled(client.layout, size); }

inline constexpr std::int32_t SidebarWidth = 188;
inline constexpr std::int32_t BandHeight = 24;
inline constexpr std::int32_t PageTopOffset = 44;
inline constexpr std::int32_t FitWidthReserve = 228;
inline constexpr std::int32_t ThumbnailPitch = 184;
inline constexpr std::int32_t ThumbnailHeight = 176;
inline constexpr std::int32_t ThumbnailFirstTop = 32;
inline constexpr std::int32_t LineStep = 30;
inline constexpr std::int32_t PageStep = 200;
inline constexpr std::int32_t WheelSidebarStep = 40;
inline constexpr float ZoomMin = 0.1f;
inline constexpr float ZoomMax = 8.0f;

inline constexpr float ZoomInFactor = 1.25f;
inline constexpr float ZoomOutFactor = 0.8f;
inline constexpr float WheelZoomInFactor = 1.1f;
// The single nearest to 1 / 1.1.
inline constexpr float WheelZoomOutFactor = 0.90909094f;

// Inside the sidebar, relative to its left edge and to a thumbnail's top.
inline constexpr std::int32_t ThumbnailFrameLeft = 8;
inline constexpr std::int32_t ThumbnailFrameRight = 180;
inline constexpr std::int32_t ThumbnailBoxLeft = 14;
inline constexpr std::int32_t ThumbnailBoxTop = 4;
inline constexpr std::int32_t ThumbnailBoxWidth = 160;
inline constexpr std::int32_t ThumbnailBoxHeight = 148;
inline constexpr std::int32_t ThumbnailLabelTop = 154;
// The placeholder texts are centred below this distance from the top.
inline constexpr std::int32_t PlaceholderTopOffset = 84;

// Displayed sizes stop here: far beyond any screen, and small enough that
// positions computed from them stay well inside 32 bits.
inline constexpr std::int32_t MaxDisplayedSize = 1 << 26;

// The sidebar's width, the height of the top band and of the status line,
// in the area's pixels: 188 and 24 at 96 dpi, none in full screen.
inline std::int32_t sidebarWidth(const ClientArea& c) { return c.layout.fullScreen ? 0 : scaled(c, SidebarWidth); }
inline std::int32_t bandHeight(const ClientArea& c) { return c.layout.fullScreen ? 0 : scaled(c, BandHeight); }
// Where the page's top lies at scroll 0: the band and a margin of 20.
inline std::int32_t pageTopOffset(const ClientArea& c) {
    return c.layout.fullScreen ? scaled(c, PageTopOffset - BandHeight) : scaled(c, PageTopOffset);
}
// What Fit Width leaves beside the page: the sidebar and 20 on each side.
inline std::int32_t fitWidthReserve(const ClientArea& c) {
    return c.layout.fullScreen ? scaled(c, FitWidthReserve - SidebarWidth) : scaled(c, FitWidthReserve);
}

inline std::int32_t pageViewWidth(const ClientArea& c) { return c.right - c.left - sidebarWidth(c); }
inline std::int32_t pageViewHeight(const ClientArea& c) { return c.bottom - c.top - 2 * bandHeight(c); }

struct DisplayedSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// One side: side x zoom in single precision, truncated toward zero. What is
// not a number or below zero reads 0; sizes past MaxDisplayedSize stop there.
std::int32_t displayedLength(std::uint32_t side, float zoom);
DisplayedSize displayedSize(std::uint32_t width, std::uint32_t height, float zoom);

// min(zoom x factor, ZoomMax), then max(that, ZoomMin), in single precision.
float steppedZoom(float zoom, float factor);

// (client width - FitWidthReserve) / page width, not clamped to the zoom
// limits. Nothing for a page of width 0 (the zoom stays as it is); ZoomMin
// when the client area is too narrow to leave any room for the page.
std::optional<float> fitWidthZoomFor(const ClientArea& client, std::uint32_t pageWidth);

// Largest scroll positions of the page view for a page drawn dw x dh.
struct ScrollLimits {
    std::int32_t horizontal = 0;
    std::int32_t vertical = 0;
};
ScrollLimits scrollLimits(const ClientArea& client, DisplayedSize displayed);

// `position` kept to 0..limit.
std::int32_t clampScroll(std::int32_t position, std::int32_t limit);

// The scroll-bar step for a request code (0 to 5); nothing for any other
// code. Never negative.
std::optional<std::int32_t> steppedScroll(std::int32_t position, unsigned requestCode, unsigned thumbPosition,
                                         const ViewLayout& layout = {});

// The sidebar: content 8 + 184 x n pixels high, shown in the page view's
// height. Values past the 32-bit range stop at its ends.
std::int32_t sidebarScrollLimit(const ClientArea& client, std::uint64_t pageCount);
std::int32_t clampedSidebarScroll(std::int64_t scroll, const ClientArea& client, std::uint64_t pageCount);
// The scroll that brings thumbnail `page` fully into view, clamped.
std::int32_t revealedSidebarScroll(std::int32_t scroll, const ClientArea& client, std::uint64_t page,
                                   std::uint64_t pageCount);
// The area in which the wheel scrolls the sidebar and clicks pick pages.
bool inSidebarArea(const ClientArea& client, std::int32_t x, std::int32_t y);
// The page whose thumbnail frame holds (x, y); nothing in the gaps between
// frames or outside the sidebar area.
std::optional<std::uint64_t> thumbnailAt(const ClientArea& client, std::int32_t sidebarScroll, std::uint64_t pageCount,
                                         std::int32_t x, std::int32_t y);
// Client y of thumbnail `page`'s top.
std::int64_t thumbnailTop(const ClientArea& client, std::int32_t sidebarScroll, std::uint64_t page);

// The pages whose thumbnails the paint draws: top + 176 >= T + 24 and
// top <= B - 24, as the half-open index range [first, end).
struct PageRange {
    std::uint64_t first = 0;
    std::uint64_t end = 0;
};
PageRange visibleThumbnails(const ClientArea& client, std::int32_t sidebarScroll, std::uint64_t pageCount);

// Where a page image of width x height goes inside a thumbnail's image box,
// relative to the box's top-left corner; nothing for a page of width or
// height 0, which has nothing to show.
struct PlacedImage {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};
std::optional<PlacedImage> thumbnailImage(std::uint32_t width, std::uint32_t height, const ViewLayout& layout = {});

// Top-left corner of the page in the page view: centred horizontally when it
// is narrower than the view, shifted by the scroll positions.
struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
};
Point pageOrigin(const ClientArea& client, DisplayedSize displayed, std::int32_t scrollX, std::int32_t scrollY);

// The page a page change lands on: `index`, or the last page beyond it.
// Requires a page count of at least 1.
std::uint64_t pageChangeTarget(std::uint64_t index, std::uint64_t pageCount);
std::uint64_t previousPageIndex(std::uint64_t current);

}  // namespace orva
