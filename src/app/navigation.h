#pragma once
// Jumps through the document, remembered for Back and Forward: a link, a
// bookmark, Go to Page, Home and End, a thumbnail. Paging on with Page Up
// and Page Down (goToPage alone) is no jump.
#include <cstdint>

#include "app/app_state.h"

namespace orva {

// Goes to `page` as goToPage does, and remembers where the view was.
void jumpToPage(AppState& state, std::uint64_t page);
// Alt+Left / Alt+Right and the mouse's back and forward buttons: the view
// goes back to where it was before a jump (scrolled as it was), or forward
// again.
void goBack(AppState& state);
void goForward(AppState& state);

}  // namespace orva
