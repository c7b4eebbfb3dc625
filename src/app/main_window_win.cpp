#include "app/main_window.h"

#include <commctrl.h>

#include "app/busy_window.h"
#include "app/bookmarks.h"
#include "app/document_jobs.h"
#include "app/file_drop.h"
#include "app/find.h"
#include "app/full_screen.h"
#include "app/go_to_page.h"
#include "app/links.h"
#include "app/navigation.h"
#include "app/open_dialog.h"
#include "app/open_document.h"
#include "app/page_change.h"
#include "app/page_look.h"
#include "app/pictures.h"
#include "app/reload.h"
#include "app/select_text.h"
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
        case VK_HOME: jumpToPage(state, 0); break;
        case VK_END: jumpToPage(state, UINT64_MAX); break;
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
        case 'F':
            if (keyHeld(VK_CONTROL)) runCommand(state, CommandFind);
            break;
        case VK_F3: runCommand(state, keyHeld(VK_SHIFT) ? CommandFindPrevious : CommandFindNext); break;
        case VK_OEM_MINUS:
        case VK_SUBTRACT:
        case VK_OEM_PLUS:
        case VK_ADD: {
            // Ctrl with the plus or minus key zooms, as the menu's labels
            // say; with Shift as well it turns the view (as the leading
            // viewer does), so on a keyboard whose + needs Shift, Ctrl+=
            // and the keypad's + zoom in.
            if (!keyHeld(VK_CONTROL)) break;
            const bool minus = key == VK_OEM_MINUS || key == VK_SUBTRACT;
            if (keyHeld(VK_SHIFT)) {
                runCommand(state, minus ? CommandRotateLeft : CommandRotateRight);
            } else {
                runCommand(state, minus ? CommandZoomOut : CommandZoomIn);
            }
            break;
        }
        case '0':
        case VK_NUMPAD0:
            if (keyHeld(VK_CONTROL)) runCommand(state, CommandActualSize);
            break;
        case 'G':
            if (keyHeld(VK_CONTROL)) runCommand(state, CommandGoToPage);
            break;
        case 'I':
            if (!keyHeld(VK_CONTROL) && !keyHeld(VK_MENU)) runCommand(state, CommandInvertColours);
            break;
        case 'C':
            if (keyHeld(VK_CONTROL)) runCommand(state, keyHeld(VK_SHIFT) ? CommandCopyReflowed : CommandCopy);
            break;
        case 'A':
            if (keyHeld(VK_CONTROL)) runCommand(state, CommandSelectAll);
            break;
        case VK_F11: runCommand(state, CommandFullScreen); break;
        case VK_F12: runCommand(state, CommandBookmarks); break;
        case VK_ESCAPE:
            // A search first, then full screen, the find bar, the selection.
            if (stopSearch(state) || leaveFullScreen(state)) break;
            if (state.find.shown) {
                hideFindBar(state);
            } else {
                clearSelection(state);
            }
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
    if (panelPress(state, x)) return;
    if (auto page = thumbnailAt(state, x, y)) {
        jumpToPage(state, *page);
        return;
    }
    // The page view keeps the focus for the keys (the find bar's field may
    // have had it); a press on the page starts a selection.
    SetFocus(state.mainWindow);
    if (pressLinkAt(state, x, y)) return;
    if (!selectPress(state, x, y, static_cast<DWORD>(GetMessageTime()))) clearSelection(state);
}

void onMouseMove(AppState& state, LPARAM lParam) {
    if (panelDrag(state, static_cast<short>(LOWORD(lParam)))) return;
    selectMove(state, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    linksPointerMoved(state, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}

// What waits for the page to be on the screen: its sharper parts and
// thumbnails, its links, the bookmark of the page.
void afterPaint(AppState& state) {
    askForPictures(state);
    askForLinks(state);
    bookmarksAfterPaint(state);
}

void onLeftButtonUp(AppState& state, LPARAM lParam) {
    if (panelRelease(state)) return;
    if (releaseLinkAt(state, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))) return;
    selectRelease(state, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}

// Alt+Left and Alt+Right come as system keys.
bool onSystemKeyDown(AppState& state, WPARAM key) {
    if (key != VK_LEFT && key != VK_RIGHT) return false;
    runCommand(state, key == VK_LEFT ? CommandBack : CommandForward);
    return true;
}

void onMouseWheel(AppState& state, WPARAM wParam, LPARAM lParam) {
    const short delta = static_cast<short>(HIWORD(wParam));
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(state.mainWindow, &point);
    // With Ctrl the wheel zooms wherever the pointer is.
    if ((LOWORD(wParam) & MK_CONTROL) == 0 && pointInSidebarArea(state, point.x, point.y)) {
        scrollSidebar(state, delta > 0);
    } else {
        zoomBy(state, delta > 0 ? WheelZoomInFactor : WheelZoomOutFactor);
    }
}

void onDestroy(AppState& state) {
    endDocumentWatch(state);
    closeDocument(state);
    // The find bar went with the window; what it and the marks held goes too.
    state.find = FindState{};
    state.marks = TextMarks{};
    // So did the bookmarks' tree, and the menu of a window in full screen.
    state.bookmarks = BookmarksState{};
    state.links = LinksState{};
    if (state.fullScreen) DestroyMenu(static_cast<HMENU>(state.windowRestore.menu));
    PostQuitMessage(0);
}

// Moved to a monitor of another scale (or the scale changed): the window
// takes the rectangle the system suggests and lays itself out at the new
// DPI.
void onDpiChanged(AppState& state, WPARAM wParam, LPARAM lParam) {
    state.dpi = LOWORD(wParam) != 0 ? LOWORD(wParam) : 96;
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(state.mainWindow, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (state.fitMode == FitMode::FitWidth && state.documentLoaded &&
        state.currentPage < state.document.pageCount() && state.document.pages[state.currentPage].present) {
        fitWidthZoom(state, state.document.pages[state.currentPage]);
    }
    layoutBookmarks(state);
    clampSidebarScroll(state);
    updateScrollBars(state);
    layoutFindBar(state);
    invalidateMainWindow(state, true);
}

void onSize(AppState& state) {
    layoutBookmarks(state);
    clampSidebarScroll(state);
    updateScrollBars(state);
    layoutFindBar(state);
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
        case CommandFirstPage: jumpToPage(state, 0); break;
        case CommandPreviousPage: goToPage(state, previousPage(state)); break;
        case CommandNextPage: goToPage(state, state.currentPage + 1); break;
        case CommandLastPage: jumpToPage(state, UINT64_MAX); break;
        case CommandGoToPage: goToPageAsked(state); break;
        case CommandBack: goBack(state); break;
        case CommandForward: goForward(state); break;
        case CommandReload: reloadDocument(state); break;
        case CommandFind: showFindBar(state); break;
        case CommandFindNext: findNext(state, true); break;
        case CommandFindPrevious: findNext(state, false); break;
        case CommandCopy: copySelection(state, CopyLayout::AsShown); break;
        case CommandCopyReflowed: copySelection(state, CopyLayout::Reflowed); break;
        case CommandSelectAll: selectAllText(state); break;
        case CommandRotateLeft: rotateView(state, false); break;
        case CommandRotateRight: rotateView(state, true); break;
        case CommandInvertColours: toggleInvertedColours(state); break;
        case CommandBookmarks: toggleBookmarks(state); break;
        case CommandFullScreen: toggleFullScreen(state); break;
        default: break;
    }
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    AppState& state = app();
    // Until CreateWindowExA has returned and the handle is stored, the
    // window is not the main window yet: its first WM_SIZE must not reach
    // the view, which would act on no window at all.
    if (window != state.mainWindow) return DefWindowProcA(window, message, wParam, lParam);
    if (LRESULT held = 0; holdWhileBusy(window, message, wParam, lParam, held)) return held;
    switch (message) {
        case WM_DESTROY: onDestroy(state); return 0;
        case WM_SIZE: onSize(state); return 0;
        case WM_DPICHANGED: onDpiChanged(state, wParam, lParam); return 0;
        case WM_PAINT:
            paintMainWindow(state);
            afterPaint(state);
            return 0;
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_KEYDOWN: onKeyDown(state, wParam); return 0;
        case WM_COMMAND: runCommand(state, LOWORD(wParam)); return 0;
        case WM_HSCROLL: onScroll(state, ScrollAxis::Horizontal, wParam); return 0;
        case WM_VSCROLL: onScroll(state, ScrollAxis::Vertical, wParam); return 0;
        case WM_LBUTTONDOWN: onLeftButtonDown(state, lParam); return 0;
        case WM_MOUSEMOVE: onMouseMove(state, lParam); return 0;
        case WM_LBUTTONUP: onLeftButtonUp(state, lParam); return 0;
        case WM_SETCURSOR:
            // The main window's own client area: its children (the find
            // bar, the bookmarks) ask it first for theirs.
            if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == window &&
                (setPanelCursor(state) || setLinkCursor(state) || setTextCursor(state)))
                return TRUE;
            return DefWindowProcA(window, message, wParam, lParam);
        case kJobsFinishedMessage: onJobsFinished(state, wParam); return 0;
        case WM_TIMER:
            if (wParam == kJobsRetryTimer) onJobsFinished(state, state.document.serial);
            if (wParam == kPicturesRetryTimer) afterPaint(state), askForPreviewPicture(state);
            if (wParam == kHeldRetryTimer) releaseHeld(state);
            if (wParam == kReloadTimer) onReloadTimer(state);
            return 0;
        case WM_MOUSEWHEEL: onMouseWheel(state, wParam, lParam); return 0;
        case WM_SYSKEYDOWN:
            if (onSystemKeyDown(state, wParam)) return 0;
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_XBUTTONUP:
            runCommand(state, HIWORD(wParam) == XBUTTON1 ? CommandBack : CommandForward);
            return TRUE;
        case WM_NOTIFY:
            if (bookmarksNotified(state, reinterpret_cast<const NMHDR*>(lParam))) return 0;
            return DefWindowProcA(window, message, wParam, lParam);
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
          {CommandActualSize, "Actual Size\tCtrl+0"},
          {},
          {CommandFind, "Find...\tCtrl+F"},
          {CommandFindNext, "Find Next\tF3"},
          {CommandFindPrevious, "Find Previous\tShift+F3"},
          {},
          {CommandCopy, "Copy\tCtrl+C"},
          {CommandCopyReflowed, "Copy as Paragraphs\tCtrl+Shift+C"},
          {CommandSelectAll, "Select All\tCtrl+A"}}},
        {"View",
         {{CommandFirstPage, "First Page\tHome"},
          {CommandPreviousPage, "Previous Page\tUp / PgUp"},
          {CommandNextPage, "Next Page\tDown / PgDn"},
          {CommandLastPage, "Last Page\tEnd"},
          {},
          {CommandRotateLeft, "Rotate Left\tCtrl+Shift+-"},
          {CommandRotateRight, "Rotate Right\tCtrl+Shift++"},
          {CommandInvertColours, "Invert Colours\tI"},
          {},
          {CommandGoToPage, "Go to Page...\tCtrl+G"},
          {CommandBack, "Back\tAlt+Left"},
          {CommandForward, "Forward\tAlt+Right"},
          {},
          {CommandBookmarks, "Bookmarks\tF12"},
          {CommandFullScreen, "Full Screen\tF11"}}},
    });
}

HWND createMainWindow(AppState& state, int screenWidth, int screenHeight) {
    constexpr int kWidth = 1000;
    constexpr int kHeight = 720;
    // Files dropped from Explorer arrive as WM_DROPFILES.
    constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_ACCEPTFILES;
    // The preview, a window of the print layer, asks for its pictures here.
    state.previewPainted = askForPreviewPicture;
    state.holdMessage = [](HWND__* window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                           std::intptr_t& result) { return holdWhileBusy(window, message, wParam, lParam, result); };
    // 1000 x 720 at 96 dots per inch, as large on the glass at any other.
    const int dpi = systemDpi();
    const int width = dpi == 96 ? kWidth : kWidth * dpi / 96;
    const int height = dpi == 96 ? kHeight : kHeight * dpi / 96;
    HWND window = CreateWindowExA(kExStyle, kMainWindowClass, "OrvaReader", WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL,
                                  (screenWidth - width) / 2, (screenHeight - height) / 2, width, height, nullptr,
                                  buildMainMenu(), state.instance, nullptr);
    if (window != nullptr) state.dpi = windowDpi(window);
    return window;
}

}  // namespace orva
