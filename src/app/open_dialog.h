#pragma once
#include <optional>

#include "app/app_state.h"

namespace orva {

// The open-file dialog; the chosen path in UTF-8, or nothing when the user
// cancelled or anything on the way failed.
std::optional<OwnedString> showOpenDialog(AppState& state);

}  // namespace orva
