#pragma once
// Files dropped on the main window from Explorer (WM_DROPFILES).
#include "app/app_state.h"
#include "base/win32.h"

#include <shellapi.h>

namespace orva {

// Opens the first of the dropped files through the open flow, exactly as
// File > Open would open it; the others are ignored. While a dialog or
// message box holds the main window disabled, the drop is ignored: the
// document it belongs to may be in use below it. The drop is finished in
// every case.
void openDroppedFile(AppState& state, HDROP drop);

}  // namespace orva
