#include "platform/tool_wait.h"

namespace orva {

namespace {

// What wakes the waiting thread: a message sent to it, a window to paint, a
// key, a posted message. A message it has looked at once and left in the
// queue does not wake it again.
constexpr DWORD kWakeFor = QS_SENDMESSAGE | QS_PAINT | QS_KEY | QS_POSTMESSAGE;
// A wake can be missed (a message that arrives while the thread is inside
// the service counts as seen on some systems): the queue is looked at this
// often anyway.
constexpr DWORD kLookEveryMs = 50;
// A window that never validates itself must not keep the thread painting.
constexpr int kPaintsPerWake = 16;
constexpr UINT kEndedExitCode = ERROR_CANCELLED;

// Each thread waits in its own way: the window thread answers its windows,
// a worker thread waits plainly.
thread_local ToolWait* gWait = nullptr;
thread_local int tWaiting = 0;
thread_local bool tEndAsked = false;

class WindowAnsweringWait final : public ToolWait {
public:
    bool service() override {
        MSG message;
        // Looking at the queue answers every message sent to the thread.
        // Keys are taken out and kept, to go back in their order once the
        // tool has ended; an Esc among them ends it, and is used up.
        bool escape = false;
        while (held_ < kMostHeld && PeekMessageA(&message, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
            if (message.wParam == VK_ESCAPE) {
                escape = true;
            } else {
                keys_[held_++] = message;
            }
        }
        if (escape) return true;
        for (int i = 0; i < kPaintsPerWake && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
            DispatchMessageA(&message);
        }
        return false;
    }
    void finish() override {
        for (std::size_t i = 0; i < held_; ++i) {
            PostMessageA(keys_[i].hwnd, keys_[i].message, keys_[i].wParam, keys_[i].lParam);
        }
        held_ = 0;
    }

private:
    // Keys beyond these stay in the queue (an Esc behind them then waits).
    static constexpr std::size_t kMostHeld = 64;
    MSG keys_[kMostHeld]{};
    std::size_t held_ = 0;
};

WindowAnsweringWait gWindowAnsweringWait;

}  // namespace

ToolWait* toolWait() { return gWait; }

ToolWait* setToolWait(ToolWait* wait) {
    ToolWait* previous = gWait;
    gWait = wait;
    return previous;
}

ToolWait& windowAnsweringWait() { return gWindowAnsweringWait; }

bool waitingForTool() { return tWaiting > 0; }

bool holdWhileToolRuns(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (tWaiting == 0) return false;
    result = 0;
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));
            result = TRUE;
            return true;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                tEndAsked = true;
                return true;
            }
            [[fallthrough]];
        case WM_COMMAND:
        case WM_SYSCOMMAND:
        case WM_CLOSE:
        case WM_LBUTTONDOWN:
        case WM_MOUSEWHEEL:
        case WM_HSCROLL:
        case WM_VSCROLL:
            PostMessageA(window, message, wParam, lParam);
            return true;
        default: return false;
    }
}

bool waitServicing(ToolWait& wait, std::span<const HANDLE> handles, HANDLE job, HANDLE process) {
    ++tWaiting;
    tEndAsked = false;
    bool ended = false;
    for (std::size_t next = 0; next < handles.size() && !ended;) {
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &handles[next], kLookEveryMs, kWakeFor, 0);
        if (woke == WAIT_OBJECT_0 + 1 || woke == WAIT_TIMEOUT) {
            ended = wait.service() || tEndAsked;
            continue;
        }
        // Signalled; or a wait the system refuses, which then waits plainly.
        if (woke != WAIT_OBJECT_0) WaitForSingleObject(handles[next], INFINITE);
        ++next;
    }
    tEndAsked = false;
    --tWaiting;
    if (ended) {
        // Everything the tool started goes with it, and with it every end of
        // its streams: the threads reading them finish.
        if (job == nullptr || !TerminateJobObject(job, kEndedExitCode)) TerminateProcess(process, kEndedExitCode);
        for (HANDLE handle : handles) WaitForSingleObject(handle, INFINITE);
    }
    wait.finish();
    return !ended;
}

}  // namespace orva
