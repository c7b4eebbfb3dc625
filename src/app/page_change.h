#pragma once
#include <cstdint>

#include "app/app_state.h"

namespace orva {

// Shows page `index` (clamped to the last page) from its top left corner,
// with the page before and after it rendered too. A page that cannot be
// rendered is reported with the code PdftoppmFailed, whatever went wrong, and
// the view stays on the page it showed.
void goToPage(AppState& state, std::uint64_t index);

}  // namespace orva
