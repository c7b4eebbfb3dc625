#include "app/app_state.h"
#include "support/view_test_win.h"

#include "view/messages.h"
#include "view/view.h"

namespace orva::testing {

namespace {

// Counts WM_ERASEBKGND on its way to the main window.
int erasures = 0;
WNDPROC mainProcedure = nullptr;

LRESULT CALLBACK countingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) ++erasures;
    return CallWindowProcA(mainProcedure, window, message, wParam, lParam);
}

}  // namespace

void ViewTest::install(Document document, float zoom) {
    AppState& s = state();
    closeDocument(s);
    s.document = std::move(document);
    s.documentLoaded = true;
    s.currentPage = 0;
    s.zoom = zoom;
    s.fitMode = FitMode::None;
    s.sidebarScroll = 0;
    updateWindowTitle(s);
    updateScrollBars(s);
    clampSidebarScroll(s);
    revealCurrentThumbnail(s);
    invalidateMainWindow(s, true);
}

void ViewTest::pressKey(WPARAM key, std::initializer_list<int> held) {
    HeldKeys keys(held);
    send(WM_KEYDOWN, key, 1);
}

void ViewTest::turnWheel(short delta, int x, int y, WORD keys) {
    POINT point{x, y};
    ClientToScreen(window(), &point);
    const auto high = (static_cast<WPARAM>(static_cast<unsigned short>(delta)) << 16) | keys;
    send(WM_MOUSEWHEEL, high, MAKELPARAM(static_cast<short>(point.x), static_cast<short>(point.y)));
}

void ViewTest::click(int x, int y) { send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }

void ViewTest::validate() {
    UpdateWindow(window());
    ValidateRect(window(), nullptr);
}

ViewTest::Repaint ViewTest::settle() {
    Repaint repaint{};
    repaint.invalidated = GetUpdateRect(window(), nullptr, FALSE) != 0;
    mainProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingProcedure)));
    erasures = 0;
    UpdateWindow(window());
    repaint.erased = erasures > 0;
    SetWindowLongPtrA(window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mainProcedure));
    return repaint;
}

}  // namespace orva::testing
