#pragma once
// The viewer with the print preview's own state: the page it shows and its
// window, which lives beside the main window and pages on its own.
#include <cstdint>

#include "view/viewer.h"

namespace orva {

struct PrintState : Viewer {
    std::uint64_t previewPage = 0;
    WindowHandle previewWindow = nullptr;
    bool previewOpen = false;
    bool previewClassRegistered = false;
    // Called after each paint of the preview, to ask for what it lacked (a
    // sharp part of its page); set by the application.
    void (*previewPainted)(PrintState& state) = nullptr;
    // The application's first look at each of the preview's messages (what
    // waits while it is busy); true when it was dealt with, its result in
    // the last argument.
    bool (*holdMessage)(HWND__* window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                        std::intptr_t& result) = nullptr;
};

}  // namespace orva
