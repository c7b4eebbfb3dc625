#pragma once
// The window's policy while it is busy: while a tool runs on its thread, or
// while a modal dialog of its own is up. Nothing that arrives then may
// replace, close or release the document a flow still works on:
// - while a tool runs, a drop, a command (Open, Print, Preview, Exit,
//   Reload, ...), a close, keys, clicks, the wheel and scrolling are held,
//   and carried out in their order once the window is free again; under a
//   dialog, commands and a close are held so, and a drop is ignored;
// - a close (the close box, Alt+F4, File > Exit) also ends the running tool
//   at once and silences what the ended flow would say, so that the window
//   goes as soon as the flow has unwound;
// - Esc ends the running tool, however many keys came before it;
// - moving, sizing, minimising and restoring the window go on as ever.
#include "app/app_state.h"
#include "base/win32.h"
#include "platform/tool_wait.h"

namespace orva {

// The wait the program installs on the window's thread (platform/tool_wait.h):
// what is sent to the thread's windows is answered as it comes, windows that
// need it are painted, every key is taken out of the queue and held (an Esc
// among them ends the tool and is used up).
ToolWait& busyWindowWait();

// True while a tool runs on this thread, while a modal dialog of the
// program's is up (ModalScope), or while the main window is disabled (a
// system dialog or box owns it).
bool windowBusy(const AppState& state);

// A window procedure's first look at a message: true when it was held or
// dealt with as above (its result is `result`).
bool holdWhileBusy(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Carries out what was held, when the window is free; otherwise looks
// again a little later (kHeldRetryTimer of the main window).
void releaseHeld(AppState& state);
inline constexpr UINT_PTR kHeldRetryTimer = 0x484C;

// Marks a modal dialog of the program's as up for as long as it lives.
class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};

}  // namespace orva
