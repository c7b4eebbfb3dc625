#pragma once
// What every window of the program is made with: its class and its menu bar.
#include <cstdint>
#include <initializer_list>

#include "base/win32.h"

namespace orva {

// Registers a window class of the program: icon resource 1 (also given as
// the small icon when `smallIconToo`, else the system picks one), the arrow
// cursor, the dialog-face background, repainted whole on every resize. The
// result is not needed: a failed registration shows as a failed creation.
void registerProgramWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, bool smallIconToo);

// One item of a menu; an item without text is a separator.
struct MenuItem {
    std::uint16_t id = 0;
    const char* text = nullptr;
};

struct MenuPopup {
    const char* title;
    std::initializer_list<MenuItem> items;
};

// A menu bar of popups, in order.
HMENU buildMenuBar(std::initializer_list<MenuPopup> popups);

// The dots per inch of the monitor the window is on, as the window is to
// draw at (96 where the system cannot tell).
int windowDpi(HWND window);
// The system's dots per inch, for a window about to be made.
int systemDpi();

// The wait cursor while something long runs on this thread (an open, a
// render, a print job); the cursor it replaced comes back when it goes, on
// every way out.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace orva
