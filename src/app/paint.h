#pragma once
// Painting of the main window's client area.
#include "app/app_state.h"
#include "platform/win32.h"

namespace orva {

// WM_PAINT of the main window.
void paintMainWindow(AppState& state);

// Everything the paint draws, onto any device context, for a client
// rectangle `client`; tests paint into a bitmap through it.
void paintClient(AppState& state, HDC dc, const RECT& client);

}  // namespace orva
