// The windows of other processes, kept apart from the rest of the process
// support so that a program that never looks at a window (the fake tools, the
// bridge, a benchmark's trivial child) does not load the window system.
#include <string>

#include "support/child_process_win.h"
#include "support/wide_text_win.h"

namespace orva::testing {

HWND findProcessWindow(DWORD processId, const char* className, DWORD ms) {
    struct Search {
        DWORD process;
        const char* className;
        HWND window = nullptr;
    };
    for (DWORD waited = 0;; waited += 50) {
        Search search{processId, className};
        EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                char name[64] = {};
                GetClassNameA(window, name, sizeof name);
                if (owner == s->process && std::string(name) == s->className && IsWindowVisible(window)) {
                    s->window = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.window != nullptr || waited >= ms) return search.window;
        Sleep(50);
    }
}

std::wstring windowTextW(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::string windowText(HWND window) { return narrow(windowTextW(window)); }

}  // namespace orva::testing
