#include "platform/window_kit.h"

namespace orva {

void registerProgramWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, bool smallIconToo) {
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    windowClass.hIconSm = smallIconToo ? icon : nullptr;
    RegisterClassExA(&windowClass);
}

HMENU buildMenuBar(std::initializer_list<MenuPopup> popups) {
    HMENU bar = CreateMenu();
    for (const MenuPopup& popup : popups) {
        HMENU menu = CreatePopupMenu();
        for (const MenuItem& item : popup.items) {
            if (item.text == nullptr) {
                AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            } else {
                AppendMenuA(menu, MF_STRING, item.id, item.text);
            }
        }
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), popup.title);
    }
    return bar;
}

WaitCursor::WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)))) {}

WaitCursor::~WaitCursor() { SetCursor(previous_); }

int windowDpi(HWND window) {
    const UINT dpi = window != nullptr ? GetDpiForWindow(window) : 0;
    return dpi != 0 ? static_cast<int>(dpi) : systemDpi();
}

int systemDpi() {
    const UINT dpi = GetDpiForSystem();
    return dpi != 0 ? static_cast<int>(dpi) : 96;
}

}  // namespace orva
