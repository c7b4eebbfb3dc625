#include "app/full_screen.h"

#include "app/app_state.h"
#include "app/bookmarks.h"
#include "app/find.h"
#include "base/win32.h"
#include "view/view.h"

namespace orva {

namespace {

void relayout(AppState& state) {
    layoutBookmarks(state);
    layoutFindBar(state);
    clampSidebarScroll(state);
    updateScrollBars(state);
    invalidateMainWindow(state, true);
}

void enter(AppState& state) {
    HWND window = state.mainWindow;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    RECT rect{};
    GetWindowRect(window, &rect);
    WindowRestore& saved = state.windowRestore;
    saved.style = GetWindowLongPtrW(window, GWL_STYLE);
    saved.exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    saved.left = rect.left;
    saved.top = rect.top;
    saved.right = rect.right;
    saved.bottom = rect.bottom;
    saved.menu = GetMenu(window);
    state.fullScreen = true;
    // The menu stays the window's, detached, so its keys still work.
    SetMenu(window, nullptr);
    // The scroll bars stay: a page larger than the monitor still scrolls.
    const LONG_PTR kept = saved.style & (WS_VISIBLE | WS_HSCROLL | WS_VSCROLL);
    SetWindowLongPtrW(window, GWL_STYLE, WS_POPUP | kept);
    SetWindowLongPtrW(window, GWL_EXSTYLE, saved.exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME));
    const RECT& screen = monitor.rcMonitor;
    SetWindowPos(window, HWND_TOP, screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top,
                 SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    relayout(state);
}

}  // namespace

void toggleFullScreen(AppState& state) {
    if (state.mainWindow == nullptr) return;
    if (!leaveFullScreen(state)) enter(state);
}

bool leaveFullScreen(AppState& state) {
    if (!state.fullScreen) return false;
    HWND window = state.mainWindow;
    const WindowRestore& saved = state.windowRestore;
    state.fullScreen = false;
    SetWindowLongPtrW(window, GWL_STYLE, saved.style);
    SetWindowLongPtrW(window, GWL_EXSTYLE, saved.exStyle);
    SetMenu(window, static_cast<HMENU>(saved.menu));
    SetWindowPos(window, nullptr, saved.left, saved.top, saved.right - saved.left, saved.bottom - saved.top,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOOWNERZORDER);
    relayout(state);
    return true;
}

}  // namespace orva
