#pragma once
// Full screen: the page alone on the monitor the window is on, without the
// frame, the menu bar, the strip, the status line and the bookmarks; coming
// back restores the window's style, menu and rectangle exactly.
#include <cstdint>

#include "view/viewer.h"

namespace orva {

struct AppState;

struct WindowRestore {
    std::intptr_t style = 0;
    std::intptr_t exStyle = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    void* menu = nullptr;
};

// F11, View > Full Screen: in or out.
void toggleFullScreen(AppState& state);
// Esc: out of full screen; false when the window was not in it.
bool leaveFullScreen(AppState& state);

}  // namespace orva
