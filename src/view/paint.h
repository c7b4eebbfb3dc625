#pragma once
// Painting of the main window's client area.
#include "base/win32.h"
#include "view/viewer.h"

namespace orva {

// WM_PAINT of the main window.
void paintMainWindow(Viewer& state);

// Everything the paint draws, onto any device context, for a client
// rectangle `client`; tests paint into a bitmap through it.
void paintClient(Viewer& state, HDC dc, const RECT& client);

}  // namespace orva
