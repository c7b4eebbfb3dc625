#pragma once
#include <string_view>

#include "app/app_state.h"

namespace orva {

// Opens `path` (UTF-8, as the caller got it) in place of the open document;
// a failure is reported to the user and leaves no document open.
void openDocument(AppState& state, std::string_view path);

}  // namespace orva
