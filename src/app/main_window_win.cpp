#include "app/main_window.h"

#include <commctrl.h>

#include "app/file_drop.h"
#include "app/open_dialog.h"
#include "app/open_document.h"
#include "app/page_change.h"
#include "platform/tool_wait.h"
#include "platform/window_kit.h"
#include "print/print.h"
#include "view/paint.h"
#include "view/view.h"
#include "view/view_geometry.h"

namespace orva {

namespace {

void openFromDialog(AppState& state) {
    if (auto path = showOpenDialog(state)) openDocument(state, path->view());
}

std::uint64_t previousPage(const AppState& state) { return previousPageIndex(state.currentPage); }

bool keyHeld(int key) { return GetKeyState(key) < 0; }

void onKeyDown(AppState& state, WPARAM key) {
    switch (key) {
        case VK_HOME: goToPage(state, 0); break;
        case VK_END: goToPage(state, UINT64_MAX); break;
        case VK_PRIOR:
        case VK_UP: goToPage(state, previousPage(state)); break;
        case VK_NEXT:
        case VK_DOWN: goToPage(state, state.currentPage + 1); break;
        case 'O':
            if (keyHeld(VK_CONTROL)) runCommand(state, CommandOpen);
            break;
        case 'P':
            if (keyHeld(VK_CONTROL)) runCommand(state, keyHeld(VK_SHIFT) ? CommandPrintPreview : CommandPrint);
            break;
        default: break;
    }
}

void onScroll(AppState& state, ScrollAxis axis, WPARAM wParam) {
    const unsigned request = LOWORD(wParam);
    if (request > SB_THUMBTRACK) return;
    scrollView(state, axis, request, HIWORD(wParam));
}

void onLeftButtonDown(AppState& state, LPARAM lParam) {
    if (!state.documentLoaded) return;
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    if (auto page = thumbnailAt(state, x, y)) goToPage(state, *page);
}

void onMouseWheel(AppState& state, WPARAM wParam, LPARAM lParam) {
    const short delta = static_cast<short>(HIWORD(wParam));
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(state.mainWindow, &point);
    if (pointInSidebarArea(state, point.x, point.y)) {
        scrollSidebar(state, delta > 0);
    } else {
        zoomBy(state, delta > 0 ? WheelZoomInFactor : WheelZoomOutFactor);
    }
}

void onDestroy(AppState& state) {
    closeDocument(state);
    PostQuitMessage(0);
}

void onSize(AppState& state) {
    clampSidebarScroll(state);
    updateScrollBars(state);
    InvalidateRect(state.mainWindow, nullptr, FALSE);
}

}  // namespace

void runCommand(AppState& state, std::uint16_t id) {
    switch (id) {
        case CommandOpen: openFromDialog(state); break;
        case CommandPrint: printDocument(state); break;
        case CommandExit: DestroyWindow(state.mainWindow); break;
        case CommandPrintPreview: openPrintPreview(state); break;
        case CommandZoomIn: zoomBy(state, ZoomInFactor); break;
        case CommandZoomOut: zoomBy(state, ZoomOutFactor); break;
        case CommandFitWidth: fitWidth(state); break;
        case CommandActualSize: actualSize(state); break;
        case CommandFirstPage: goToPage(state, 0); break;
        case CommandPreviousPage: goToPage(state, previousPage(state)); break;
        case CommandNextPage: goToPage(state, state.currentPage + 1); break;
        case CommandLastPage: goToPage(state, UINT64_MAX); break;
        default: break;
    }
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    AppState& state = app();
    // Until CreateWindowExA has returned and the handle is stored, the
    // window is not the main window yet: its first WM_SIZE must not reach
    // the view, which would act on no window at all.
    if (window != state.mainWindow) return DefWindowProcA(window, message, wParam, lParam);
    if (LRESULT held = 0; holdWhileToolRuns(window, message, wParam, lParam, held)) return held;
    switch (message) {
        case WM_DESTROY: onDestroy(state); return 0;
        case WM_SIZE: onSize(state); return 0;
        case WM_PAINT: paintMainWindow(state); return 0;
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_KEYDOWN: onKeyDown(state, wParam); return 0;
        case WM_COMMAND: runCommand(state, LOWORD(wParam)); return 0;
        case WM_HSCROLL: onScroll(state, ScrollAxis::Horizontal, wParam); return 0;
        case WM_VSCROLL: onScroll(state, ScrollAxis::Vertical, wParam); return 0;
        case WM_LBUTTONDOWN: onLeftButtonDown(state, lParam); return 0;
        case WM_MOUSEWHEEL: onMouseWheel(state, wParam, lParam); return 0;
        case WM_DROPFILES: openDroppedFile(state, reinterpret_cast<HDROP>(wParam)); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

void registerMainWindowClass(AppState& state) {
    registerProgramWindowClass(state.instance, kMainWindowClass, mainWindowProc, true);
}

HMENU buildMainMenu() {
    return buildMenuBar({
        {"File",
         {{CommandOpen, "Open...\tCtrl+O"},
          {CommandPrint, "Print...\tCtrl+P"},
          {CommandPrintPreview, "Print Preview...\tCtrl+Shift+P"},
          {},
          {CommandExit, "Exit"}}},
        {"Edit",
         {{CommandZoomIn, "Zoom In\tCtrl++"},
          {CommandZoomOut, "Zoom Out\tCtrl+-"},
          {},
          {CommandFitWidth, "Fit Width"},
          {CommandActualSize, "Actual Size\tCtrl+0"}}},
        {"View",
         {{CommandFirstPage, "First Page\tHome"},
          {CommandPreviousPage, "Previous Page\tUp / PgUp"},
          {CommandNextPage, "Next Page\tDown / PgDn"},
          {CommandLastPage, "Last Page\tEnd"}}},
    });
}

HWND createMainWindow(AppState& state, int screenWidth, int screenHeight) {
    constexpr int kWidth = 1000;
    constexpr int kHeight = 720;
    // Files dropped from Explorer arrive as WM_DROPFILES.
    constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_ACCEPTFILES;
    return CreateWindowExA(kExStyle, kMainWindowClass, "OrvaReader", WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL,
                           (screenWidth - kWidth) / 2, (screenHeight - kHeight) / 2, kWidth, kHeight, nullptr,
                           buildMainMenu(), state.instance, nullptr);
}

}  // namespace orva
