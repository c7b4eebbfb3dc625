#pragma once
// Go to Page: the small dialog that asks for a page number, and the jump.
#include "app/app_state.h"

namespace orva {

// Ctrl+G and View > Go to Page...: asks (the current page offered) and goes
// there; an answer that is no page of the document is refused in the dialog.
void goToPageAsked(AppState& state);

}  // namespace orva
