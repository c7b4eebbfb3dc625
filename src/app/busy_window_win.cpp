#include "app/busy_window.h"

#include "app/main_window.h"

namespace orva {

namespace {

// A window that never validates itself must not keep the thread painting,
// nor a stream of messages keep it from looking at the tool.
constexpr int kPaintsPerWake = 16;
constexpr int kMessagesPerWake = 256;
// What is held, in order. Keys beyond these are still taken out of the
// queue, so that an Esc behind them is seen, but dropped: they are the
// repeats of a key held down.
constexpr std::size_t kMostHeld = 1024;
constexpr DWORD kRetryMs = 100;

MSG gHeld[kMostHeld];
std::size_t gHeldCount = 0;
int gModalDepth = 0;

void hold(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (gHeldCount < kMostHeld) gHeld[gHeldCount++] = MSG{window, message, wParam, lParam, 0, {}};
}

bool isCloseRequest(const AppState& state, HWND window, UINT message, WPARAM wParam) {
    if (window != state.mainWindow) return false;
    if (message == WM_CLOSE) return true;
    if (message == WM_SYSCOMMAND) return (wParam & 0xFFF0) == SC_CLOSE;
    return message == WM_COMMAND && LOWORD(wParam) == CommandExit;
}

// Moving and sizing the window touch no document.
bool isWindowArrangement(WPARAM command) {
    switch (command & 0xFFF0) {
        case SC_MOVE:
        case SC_SIZE:
        case SC_MINIMIZE:
        case SC_MAXIMIZE:
        case SC_RESTORE: return true;
        default: return false;
    }
}

class BusyWindowWait final : public ToolWait {
public:
    bool service() override {
        MSG message;
        // Looking at the queue answers every message sent to the thread.
        // Every key is taken out and held, so that an Esc behind any number
        // of them is seen; the Esc ends the tool and is used up.
        bool escape = false;
        while (PeekMessageA(&message, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
            if (message.wParam == VK_ESCAPE) {
                escape = true;
            } else {
                hold(message.hwnd, message.message, message.wParam, message.lParam);
            }
        }
        if (escape || app().closing) return true;
        for (int i = 0; i < kPaintsPerWake && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
            DispatchMessageA(&message);
        }
        // Everything else goes to its window, whose procedure holds what
        // must wait (holdWhileBusy): so the window is moved, sized and
        // closed, and its timers run, while the tool runs.
        for (int i = 0; i < kMessagesPerWake && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
            if (message.message == WM_QUIT) {
                quit_ = true;
                quitCode_ = static_cast<int>(message.wParam);
            } else if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
                escape = true;
            } else if (message.message == WM_KEYDOWN) {
                hold(message.hwnd, message.message, message.wParam, message.lParam);
            } else {
                DispatchMessageA(&message);
            }
        }
        return escape || app().closing;
    }
    void finish() override {
        releaseHeld(app());
        if (quit_) PostQuitMessage(quitCode_);
        quit_ = false;
    }

private:
    bool quit_ = false;
    int quitCode_ = 0;
};

BusyWindowWait gBusyWindowWait;

}  // namespace

ToolWait& busyWindowWait() { return gBusyWindowWait; }

ModalScope::ModalScope() { ++gModalDepth; }
ModalScope::~ModalScope() { --gModalDepth; }

bool windowBusy(const AppState& state) {
    return waitingForTool() || gModalDepth > 0 || (state.mainWindow != nullptr && !IsWindowEnabled(state.mainWindow));
}

bool holdWhileBusy(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    AppState& state = app();
    const bool tool = waitingForTool();
    if (!tool && !windowBusy(state)) return false;
    result = 0;
    if (isCloseRequest(state, window, message, wParam)) {
        // Closing ends the tool now and the window as soon as the flow that
        // ran it has unwound; the ended flow says nothing of its end.
        state.closing = true;
        endToolRun();
        hold(window, WM_CLOSE, 0, 0);
        if (!tool) SetTimer(state.mainWindow, kHeldRetryTimer, kRetryMs, nullptr);
        return true;
    }
    switch (message) {
        case WM_DROPFILES:
            // Under a dialog a drop is finished and ignored (file_drop.h).
            if (!tool) return false;
            break;
        case WM_CLOSE:
        case WM_COMMAND: break;
        case WM_SYSCOMMAND:
            if (isWindowArrangement(wParam)) return false;
            break;
        case WM_SETCURSOR:
            if (!tool) return false;
            SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));
            result = TRUE;
            return true;
        case WM_MOUSEMOVE:
            // A selection is neither started nor dragged meanwhile.
            return tool;
        case WM_SYSKEYDOWN:
            // Alt+Left and Alt+Right page back and forth; the others (Alt+F4
            // among them) go on as ever.
            if (!tool || (wParam != VK_LEFT && wParam != VK_RIGHT)) return false;
            break;
        case WM_KEYDOWN:
            if (tool && wParam == VK_ESCAPE) {
                endToolRun();
                return true;
            }
            [[fallthrough]];
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_MOUSEWHEEL:
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_XBUTTONUP:
            // A disabled window gets no input; what comes anyway is a
            // tool's time only.
            if (!tool) return false;
            break;
        default: return false;
    }
    hold(window, message, wParam, lParam);
    if (!tool) SetTimer(state.mainWindow, kHeldRetryTimer, kRetryMs, nullptr);
    return true;
}

void releaseHeld(AppState& state) {
    if (gHeldCount == 0) {
        if (state.mainWindow != nullptr) KillTimer(state.mainWindow, kHeldRetryTimer);
        return;
    }
    if (windowBusy(state)) {
        if (state.mainWindow != nullptr) SetTimer(state.mainWindow, kHeldRetryTimer, kRetryMs, nullptr);
        return;
    }
    if (state.mainWindow != nullptr) KillTimer(state.mainWindow, kHeldRetryTimer);
    // Posted in their order, behind whatever else is queued; a window gone
    // meanwhile gets nothing.
    const std::size_t count = gHeldCount;
    gHeldCount = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (IsWindow(gHeld[i].hwnd)) PostMessageA(gHeld[i].hwnd, gHeld[i].message, gHeld[i].wParam, gHeld[i].lParam);
    }
}

}  // namespace orva
