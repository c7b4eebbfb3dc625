// The main window at 144 dots per inch (the test run in a Wine prefix set to
// 150 % scaling; the "dpi" test of the build): every fixed size 1.5 times its
// 96-dpi size, a page at 100 % 1.5 times as many device pixels, and a move to
// a monitor of another scale laying the window out again.
#include <gtest/gtest.h>

#include "app/find.h"
#include "app/main_window.h"
#include "platform/window_kit.h"
#include "support/test_document.h"
#include "support/view_test_win.h"
#include "view/view.h"
#include "view/view_geometry.h"

namespace orva::testing {
namespace {

class HighDpi : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        ASSERT_EQ(systemDpi(), 144) << "run in a prefix at 144 dpi (the build's dpi test)";
        install(makeDocumentOf(allocator, 3, [&](std::size_t) { return solidPage(allocator, 400, 500, 0x2040C0); }),
                1.0f);
    }
    // The first x (from the left) on row y whose colour is not `colour`.
    int endOf(const PaintedBitmap& bitmap, int y, std::uint32_t colour) const {
        int x = 0;
        while (x < bitmap.width() && bitmap.at(x, y) == colour) ++x;
        return x;
    }
};

// The size a main window is made with, as the system is asked for it (the
// screen of Wine's null driver is too small for the window to keep it).
SIZE madeSize(AppState& state) {
    static SIZE made{};
    HHOOK hook = SetWindowsHookExW(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (code == HCBT_CREATEWND) {
                const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
                if (create->hwndParent == nullptr) made = SIZE{create->cx, create->cy};
            }
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    HWND main = state.mainWindow;
    HWND other = createMainWindow(state, 1920, 1200);
    UnhookWindowsHookEx(hook);
    DestroyWindow(other);
    state.mainWindow = main;
    return made;
}

TEST_F(HighDpi, TheWindowAndItsPartsAreHalfAsLargeAgainAndAPageAtFullSizeToo) {
    EXPECT_EQ(state().dpi, 144);
    const SIZE made = madeSize(state());
    EXPECT_EQ(made.cx, 1500);
    EXPECT_EQ(made.cy, 1080);

    setClientSize(1200, 900);
    const ClientArea client = viewClientArea(state());
    EXPECT_EQ(sidebarWidth(client), 282);
    EXPECT_EQ(bandHeight(client), 36);
    PaintedBitmap bitmap(1200, 900);
    paint(bitmap);
    // The strip, then its border (two pixels wide now), on a row between
    // two thumbnails' frames; the status line 36 pixels high.
    const int gapRow = static_cast<int>(thumbnailTop(client, 0, 1)) - 3;
    EXPECT_EQ(endOf(bitmap, gapRow, rgb(208, 208, 208)), 280);
    const std::uint32_t face = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t faceRgb = rgb(GetRValue(face), GetGValue(face), GetBValue(face));
    EXPECT_EQ(bitmap.at(1199, 900 - 36), faceRgb);
    EXPECT_NE(bitmap.at(1199, 900 - 37), faceRgb);
    // The thumbnail frame: 264 pixels high from 48 down.
    EXPECT_EQ(thumbnailTop(client, 0, 0), 48);
    EXPECT_EQ(bitmap.at(30, 48 + 100), rgb(240, 212, 184));
    // The status line's text in a font half as large again: its ink at
    // least 14 rows high.
    int first = -1, last = -1;
    for (int y = 900 - 36; y < 900; ++y) {
        for (int x = 0; x < 300; ++x) {
            if (bitmap.at(x, y) == faceRgb) continue;
            if (first < 0) first = y;
            last = y;
            break;
        }
    }
    EXPECT_GE(last - first + 1, 14);

    // At 100 % the 400-pixel page takes 600 device pixels.
    command(CommandActualSize);
    EXPECT_EQ(displayZoom(state()), 1.5f);
    PaintedBitmap full(1200, 900);
    paint(full);
    const int pageRow = 400;
    int left = sidebarWidth(client);
    while (left < 1200 && full.at(left, pageRow) != rgb(0x20, 0x40, 0xC0)) ++left;
    int right = left;
    while (right < 1200 && full.at(right, pageRow) == rgb(0x20, 0x40, 0xC0)) ++right;
    EXPECT_EQ(right - left, 600 - 1);  // the outline covers the last column
    EXPECT_EQ(title(), "test - Page 1/3 (100%) - OrvaReader");
}

TEST_F(HighDpi, AMoveToAMonitorOfAnotherScaleLaysTheWindowOutAgain) {
    showFindBar(state());
    const RECT suggested{10, 20, 10 + 2000, 20 + 1440};
    send(WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(state().dpi, 192);
    RECT frame{};
    GetWindowRect(window(), &frame);
    EXPECT_EQ(frame.left, 10);
    EXPECT_EQ(frame.top, 20);
    EXPECT_EQ(sidebarWidth(viewClientArea(state())), 376);
    RECT bar{};
    GetWindowRect(state().find.bar, &bar);
    EXPECT_EQ(bar.bottom - bar.top, 48);
}

}  // namespace
}  // namespace orva::testing
