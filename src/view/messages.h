#pragma once
// What the main window tells the user outside its client area.
#include <string_view>

#include "base/error_code.h"
#include "view/viewer.h"

namespace orva {

// Sets the main window's title from the state (left as it is when the title
// would not fit its buffer).
void updateWindowTitle(Viewer& state);

// The "Failed to open file:" box for `path` (UTF-8) and `code`; returns when
// the user has closed it.
void showOpenError(Viewer& state, std::string_view path, ErrorCode code);

// An OK box captioned with the program's name, owned by `owner`.
void showMessage(Viewer& state, WindowHandle owner, std::string_view text, unsigned style);

}  // namespace orva
