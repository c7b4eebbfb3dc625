// Placeholder view operations until the view geometry lands.
#include "app/view.h"
#include "platform/win32.h"

namespace orva {

void zoomBy(AppState&, float) {}
void fitWidth(AppState&) {}
void fitWidthZoom(AppState&, const PageImage&) {}
void actualSize(AppState&) {}
void scrollView(AppState&, ScrollAxis, unsigned, unsigned) {}
void updateScrollBars(AppState&) {}
void scrollSidebar(AppState&, bool) {}
void clampSidebarScroll(AppState&) {}
void revealCurrentThumbnail(AppState&) {}
std::optional<std::uint64_t> thumbnailAt(const AppState&, int, int) { return std::nullopt; }
void goToPage(AppState&, std::uint64_t) {}
void invalidateMainWindow(AppState& state, bool erase) { InvalidateRect(state.mainWindow, nullptr, erase); }

}  // namespace orva
