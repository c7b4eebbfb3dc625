#include <gtest/gtest.h>

#include "app/main_window.h"
#include "support/main_window_fixture_win.h"

namespace orva::testing {
namespace {

class StartupWindow : public MainWindowTest {};

std::string menuText(HMENU menu, UINT position) {
    char text[256] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

// The style a window of the thread is created with. The live style is no
// witness: with no document the scroll ranges are 0 to 0, which hides the
// bars and clears their style bits.
DWORD createdStyle = 0;
LRESULT CALLBACK recordCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) createdStyle = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->style;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(StartupWindow, IsTheCentredOverlappedWindowWithScrollBars) {
    char className[64] = {};
    GetClassNameA(window(), className, sizeof className);
    EXPECT_STREQ(className, "OrvaReaderWnd");
    EXPECT_EQ(title(), "OrvaReader");
    HHOOK hook = SetWindowsHookExA(WH_CBT, recordCreation, nullptr, GetCurrentThreadId());
    HWND probe = createMainWindow(state(), 1000, 720);
    UnhookWindowsHookEx(hook);
    ASSERT_NE(probe, nullptr);
    DestroyWindow(probe);
    EXPECT_EQ(createdStyle & 0x00FF0000u, 0x00FF0000u);
    EXPECT_TRUE(GetWindowLongPtrA(window(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    RECT frame;
    GetWindowRect(window(), &frame);
    EXPECT_EQ(frame.right - frame.left, 1000);
    EXPECT_EQ(frame.bottom - frame.top, 720);
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - 1000) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - 720) / 2);
}

TEST_F(StartupWindow, CentringTruncatesTowardZeroOnNarrowScreens) {
    struct Case {
        int screen;
        int left;
    };
    for (const Case c : {Case{999, 0}, Case{998, -1}, Case{1000, 0}, Case{1921, 460}}) {
        HWND other = createMainWindow(state(), c.screen, 720 + 7);
        ASSERT_NE(other, nullptr);
        RECT frame;
        GetWindowRect(other, &frame);
        EXPECT_EQ(frame.left, c.left) << c.screen;
        EXPECT_EQ(frame.top, 3);
        // Destroying it must not end the test's main window state: detach first.
        SetWindowLongPtrA(other, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
        DestroyWindow(other);
    }
}

TEST_F(StartupWindow, MenuBarHoldsTheThreeMenusWithTheirLabelsAndIds) {
    HMENU bar = GetMenu(window());
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    struct Item {
        const char* label;
        int id;  // -1 for a separator
    };
    const std::vector<std::vector<Item>> expected = {
        {{"Open...\tCtrl+O", 1}, {"Print...\tCtrl+P", 2}, {"Print Preview...\tCtrl+Shift+P", 4}, {"", -1}, {"Exit", 3}},
        {{"Zoom In\tCtrl++", 10}, {"Zoom Out\tCtrl+-", 11}, {"", -1}, {"Fit Width", 12}, {"Actual Size\tCtrl+0", 13},
         {"", -1}, {"Find...\tCtrl+F", 30}, {"Find Next\tF3", 31}, {"Find Previous\tShift+F3", 32}, {"", -1},
         {"Copy\tCtrl+C", 33}, {"Copy as Paragraphs\tCtrl+Shift+C", 34}, {"Select All\tCtrl+A", 35}},
        {{"First Page\tHome", 20},
         {"Previous Page\tUp / PgUp", 21},
         {"Next Page\tDown / PgDn", 22},
         {"Last Page\tEnd", 23},
         {"", -1},
         {"Rotate Left\tCtrl+Shift+-", 40},
         {"Rotate Right\tCtrl+Shift++", 41},
         {"Invert Colours\tI", 42},
         {"", -1},
         {"Go to Page...\tCtrl+G", 43},
         {"Back\tAlt+Left", 44},
         {"Forward\tAlt+Right", 45},
         {"", -1},
         {"Bookmarks\tF12", 46},
         {"Full Screen\tF11", 47}},
    };
    const char* popups[] = {"File", "Edit", "View"};
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(menuText(bar, p), popups[p]);
        HMENU popup = GetSubMenu(bar, p);
        ASSERT_NE(popup, nullptr);
        ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(expected[p].size())) << popups[p];
        for (UINT i = 0; i < expected[p].size(); ++i) {
            const Item& item = expected[p][i];
            if (item.id < 0) {
                EXPECT_TRUE(GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR);
                continue;
            }
            EXPECT_EQ(menuText(popup, i), item.label);
            EXPECT_EQ(static_cast<int>(GetMenuItemID(popup, i)), item.id);
        }
    }
}

TEST_F(StartupWindow, ExitDestroysTheWindowAndPostsQuit) {
    command(CommandExit);
    EXPECT_FALSE(IsWindow(window()));
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(StartupWindow, OpenCancelledChangesNothing) {
    command(CommandOpen);
    ASSERT_EQ(ui.openRecords.size(), 1u);
    EXPECT_EQ(title(), "OrvaReader");
    EXPECT_FALSE(state().documentLoaded);
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace orva::testing
