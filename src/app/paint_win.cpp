// Placeholder paint until the page painting lands.
#include "app/paint.h"

namespace orva {

void paintClient(AppState&, HDC, const RECT&) {}

void paintMainWindow(AppState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(state.mainWindow, &paint);
    RECT client;
    GetClientRect(state.mainWindow, &client);
    paintClient(state, dc, client);
    EndPaint(state.mainWindow, &paint);
}

}  // namespace orva
