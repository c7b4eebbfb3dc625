#pragma once
// Operations on the main window's view: zoom, fit, scrolling, the thumbnail
// strip and the page change. Each reads the client area afresh and applies
// its effects (scroll bars, invalidation) to the main window.
#include <cstdint>
#include <optional>

#include "view/view_geometry.h"
#include "view/viewer.h"

namespace orva {

enum class ScrollAxis { Horizontal, Vertical };

void zoomBy(Viewer& state, float factor);
void fitWidth(Viewer& state);
void fitWidthZoom(Viewer& state, const PageImage& page);
void actualSize(Viewer& state);
void scrollView(Viewer& state, ScrollAxis axis, unsigned requestCode, unsigned thumbPosition);
void updateScrollBars(Viewer& state);
void scrollSidebar(Viewer& state, bool up);
void clampSidebarScroll(Viewer& state);
void revealCurrentThumbnail(Viewer& state);
std::optional<std::uint64_t> thumbnailAt(const Viewer& state, int x, int y);
// Whether a client point lies where the wheel scrolls the sidebar.
bool pointInSidebarArea(const Viewer& state, int x, int y);

// The main window's client area as the view lays it out: its DPI, full
// screen, and without the panel at its right. Read afresh at every call;
// empty before the window exists.
ClientArea viewClientArea(const Viewer& state);
// Screen pixels a page-image pixel takes: the zoom at the window's DPI (at
// 96 dpi the zoom itself).
float displayZoom(const Viewer& state);

// Invalidates the main window's whole client area.
void invalidateMainWindow(Viewer& state, bool erase);

}  // namespace orva
