#pragma once
// Operations on the main window's view: zoom, fit, scrolling, the thumbnail
// strip and the page change. Each reads the client area afresh and applies
// its effects (scroll bars, invalidation) to the main window.
#include <cstdint>
#include <optional>

#include "app/app_state.h"

namespace orva {

enum class ScrollAxis { Horizontal, Vertical };

void zoomBy(AppState& state, float factor);
void fitWidth(AppState& state);
void fitWidthZoom(AppState& state, const PageImage& page);
void actualSize(AppState& state);
void scrollView(AppState& state, ScrollAxis axis, unsigned requestCode, unsigned thumbPosition);
void updateScrollBars(AppState& state);
void scrollSidebar(AppState& state, bool up);
void clampSidebarScroll(AppState& state);
void revealCurrentThumbnail(AppState& state);
std::optional<std::uint64_t> thumbnailAt(const AppState& state, int x, int y);
// Whether a client point lies where the wheel scrolls the sidebar.
bool pointInSidebarArea(const AppState& state, int x, int y);
void goToPage(AppState& state, std::uint64_t index);

// Invalidates the main window's whole client area.
void invalidateMainWindow(AppState& state, bool erase);

}  // namespace orva
