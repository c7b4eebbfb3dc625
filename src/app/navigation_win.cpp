#include "app/navigation.h"

#include "app/page_change.h"
#include "view/view.h"

namespace orva {

namespace {

ViewPosition here(const AppState& state) { return {state.currentPage, state.scrollX, state.scrollY}; }

void returnTo(AppState& state, const ViewPosition& position) {
    goToPage(state, position.page);
    if (state.currentPage != position.page) return;
    state.scrollX = position.scrollX;
    state.scrollY = position.scrollY;
    updateScrollBars(state);
    invalidateMainWindow(state, true);
}

}  // namespace

void jumpToPage(AppState& state, std::uint64_t page) {
    if (!state.documentLoaded) return;
    const ViewPosition from = here(state);
    goToPage(state, page);
    // A page that could not be shown is no jump: the view stayed.
    if (state.currentPage != from.page || page == from.page) state.history.jump(from, here(state));
}

void goBack(AppState& state) {
    if (!state.documentLoaded) return;
    if (const auto position = state.history.back(here(state))) returnTo(state, *position);
}

void goForward(AppState& state) {
    if (!state.documentLoaded) return;
    if (const auto position = state.history.forward(here(state))) returnTo(state, *position);
}

}  // namespace orva
