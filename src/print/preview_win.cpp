#include "print/preview.h"

#include "document/page_memory.h"
#include "document/page_request.h"
#include "platform/tool_wait.h"
#include "platform/window_kit.h"
#include "print/preview_title.h"
#include "print/print.h"
#include "view/messages.h"

namespace orva {

namespace {

constexpr int kPreviewWidth = 900;
constexpr int kPreviewHeight = 700;
constexpr DWORD kPreviewStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

enum class Step { Previous, Next, First, Last };

bool previewHasPages(const PrintState& state) {
    return state.previewOpen && state.documentLoaded && state.document.pageCount() > 0;
}

// The preview keeps the target even when it cannot be loaded: the next
// paint then shows "Loading page..." and tries again. A render ended with
// Esc leaves it on the page it showed.
void stepPreview(PrintState& state, Step step) {
    if (!previewHasPages(state)) return;
    const std::uint64_t lastPage = state.document.pageCount() - 1;
    std::uint64_t target = 0;
    switch (step) {
        case Step::Previous: target = state.previewPage == 0 ? 0 : state.previewPage - 1; break;
        case Step::Next: target = state.previewPage == UINT64_MAX ? UINT64_MAX : state.previewPage + 1; break;
        case Step::First: target = 0; break;
        case Step::Last: target = lastPage; break;
    }
    if (target > lastPage) target = lastPage;
    const std::uint64_t shown = state.previewPage;
    state.previewPage = target;
    pinPage(state.document, PagePin::Preview, target);
    if (auto loaded = ensurePageLoaded(state.document, target); !loaded) {
        if (loaded.error() == ErrorCode::Canceled) {
            state.previewPage = shown;
            pinPage(state.document, PagePin::Preview, shown);
        }
        showMessage(state, state.previewWindow, "Could not load page for preview.", MB_ICONERROR);
        return;
    }
    updatePreviewTitle(state, state.previewWindow);
    InvalidateRect(state.previewWindow, nullptr, TRUE);
}

void closePreview(PrintState& state) {
    if (state.previewOpen) DestroyWindow(state.previewWindow);
}

void onKeyDown(PrintState& state, WPARAM key) {
    switch (key) {
        case VK_ESCAPE: closePreview(state); break;
        case VK_PRIOR:
        case VK_UP: stepPreview(state, Step::Previous); break;
        case VK_NEXT:
        case VK_DOWN: stepPreview(state, Step::Next); break;
        case VK_HOME: previewCommand(state, PreviewFirstPage); break;
        case VK_END: previewCommand(state, PreviewLastPage); break;
        case 'P':
            if (GetKeyState(VK_CONTROL) < 0) printDocument(state);
            break;
        default: break;
    }
}

void registerPreviewClass(PrintState& state) {
    registerProgramWindowClass(state.instance, kPreviewWindowClass, previewWndProc, false);
}

HMENU buildPreviewMenu() {
    return buildMenuBar({
        {"File", {{PreviewPrint, "Print...\tCtrl+P"}, {}, {PreviewClose, "Close Preview\tEsc"}}},
        {"View",
         {{PreviewFirstPage, "First Page\tHome"},
          {PreviewPreviousPage, "Previous Page\tUp / PgUp"},
          {PreviewNextPage, "Next Page\tDown / PgDn"},
          {PreviewLastPage, "Last Page\tEnd"}}},
    });
}

}  // namespace

void openPrintPreview(PrintState& state) {
    if (!state.documentLoaded) {
        showMessage(state, state.mainWindow, "No document to preview.", MB_ICONINFORMATION);
        return;
    }
    if (state.document.pageCount() == 0) {
        showMessage(state, state.mainWindow, "Document has no pages.", MB_ICONINFORMATION);
        return;
    }
    if (!ensurePageLoaded(state.document, state.currentPage)) {
        showMessage(state, state.mainWindow, "Could not load page for preview.", MB_ICONERROR);
        return;
    }
    state.previewPage = state.currentPage;
    pinPage(state.document, PagePin::Preview, state.previewPage);
    if (state.previewOpen) {
        updatePreviewTitle(state, state.previewWindow);
        ShowWindow(state.previewWindow, SW_SHOW);
        SetForegroundWindow(state.previewWindow);
        InvalidateRect(state.previewWindow, nullptr, TRUE);
        return;
    }
    if (!state.previewClassRegistered) {
        // A failed registration shows up as the failed creation below.
        registerPreviewClass(state);
        state.previewClassRegistered = true;
    }
    // 900 x 700 at 96 dots per inch, as large on the glass at any other.
    const int width = state.dpi == 96 ? kPreviewWidth : kPreviewWidth * state.dpi / 96;
    const int height = state.dpi == 96 ? kPreviewHeight : kPreviewHeight * state.dpi / 96;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HMENU menu = buildPreviewMenu();
    HWND window = CreateWindowExA(WS_EX_APPWINDOW, kPreviewWindowClass, "Print Preview", kPreviewStyle, x, y, width,
                                  height, state.mainWindow, menu, state.instance, &state);
    if (window == nullptr) {
        DestroyMenu(menu);
        showMessage(state, state.mainWindow, "Could not open print preview window.", MB_ICONERROR);
        return;
    }
    state.previewWindow = window;
    state.previewOpen = true;
    updatePreviewTitle(state, window);
    UpdateWindow(window);
}

void updatePreviewTitle(PrintState& state, HWND window) {
    const FixedText<512> title = composePreviewTitle(state);
    if (title.fits()) SetWindowTextA(window, title.c_str());
}

void previewCommand(PrintState& state, std::uint16_t id) {
    switch (id) {
        case PreviewPrint: printDocument(state); break;
        case PreviewClose: closePreview(state); break;
        case PreviewPreviousPage: stepPreview(state, Step::Previous); break;
        case PreviewNextPage: stepPreview(state, Step::Next); break;
        case PreviewFirstPage: stepPreview(state, Step::First); break;
        case PreviewLastPage: stepPreview(state, Step::Last); break;
        default: break;
    }
}

LRESULT CALLBACK previewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The state the window was made for travels with it from its creation.
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* owner = reinterpret_cast<PrintState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (owner == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    PrintState& state = *owner;
    if (LRESULT held = 0; state.holdMessage != nullptr && state.holdMessage(window, message, wParam, lParam, held)) {
        return held;
    }
    switch (message) {
        case WM_DESTROY:
            state.previewWindow = nullptr;
            state.previewOpen = false;
            pinPage(state.document, PagePin::Preview, kNoPage);
            return 0;
        case WM_SIZE: InvalidateRect(window, nullptr, TRUE); return 0;
        case WM_DPICHANGED: {
            // Moved to a monitor of another scale: the size the system
            // suggests, and a paint at the new scale.
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        }
        case WM_PAINT:
            paintPreview(state, window);
            if (state.previewPainted != nullptr) state.previewPainted(state);
            return 0;
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_KEYDOWN: onKeyDown(state, wParam); return 0;
        case WM_COMMAND: previewCommand(state, LOWORD(wParam)); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace orva
