#pragma once
// The open document follows its file. While it is open its folder is
// watched (so that a delete and re-create is seen as well as a rewrite);
// once the file has changed and then stayed as it is for half a second, the
// document is opened again in place: the page (clamped to the new count),
// the zoom, the scroll position, the rotation and the open panels stay, and
// no box is shown. A reload that fails (the file missing or half-written)
// keeps the last good document, says so in the status line and tries again
// on the next change, or a few times after a short while. Nothing is
// started while the window is busy (app/busy_window.h). The watch ends with
// the document.
#include <cstdint>

#include "app/app_state.h"
#include "base/win32.h"

namespace orva {

inline constexpr std::uint32_t kReloadSettleMs = 500;
// How often a failed reload is tried again without a change, and after how long.
inline constexpr int kReloadRetries = 4;
inline constexpr std::uint32_t kReloadRetryMs = 1000;

// The main window's timer that looks at the watch.
inline constexpr UINT_PTR kReloadTimer = 0x524C;

// Watches the folder of the document just opened (any earlier watch ends).
void watchDocument(AppState& state);
// Ends the watch (the window goes).
void endDocumentWatch(AppState& state);
// kReloadTimer: a change seen, settled, and the window free: a reload.
void onReloadTimer(AppState& state);

// Opens the open document again from its file, in place, as above;
// CommandReload. False when it failed (the old one is kept and the status
// line says why) or the window was busy.
bool reloadDocument(AppState& state);

}  // namespace orva
