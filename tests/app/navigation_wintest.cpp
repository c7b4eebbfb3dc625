// Go to Page answered for real in its dialog, and Back and Forward through
// the jumps, in a real main window on a container of 36 pages.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "support/child_process_win.h"
#include "support/test_document.h"
#include "support/view_test_win.h"
#include "view/view.h"

namespace orva::testing {
namespace {

class Navigation : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        install(makeDocumentOf(allocator, 36, [&](std::size_t) { return solidPage(allocator, 300, 2000, 0x808080); }),
                1.0f);
        setClientSize(800, 600);
    }
    // Answers Go to Page with each of `answers` in turn, reading what the
    // dialog says to each.
    std::vector<std::string> answerGoToPage(std::vector<std::wstring> answers) {
        std::vector<std::string> said;
        ui.answerDialog = [&](HWND dialog) {
            said.push_back(windowText(GetDlgItem(dialog, 101)));  // the page offered
            for (const std::wstring& answer : answers) {
                SetDlgItemTextW(dialog, 101, answer.c_str());
                SendMessageW(dialog, WM_COMMAND, IDOK, 0);
                said.push_back(windowText(GetDlgItem(dialog, 102)));
            }
        };
        pressKey('G', {VK_CONTROL});
        return said;
    }
};

TEST_F(Navigation, GoToPageRefusesWhatIsNoPageInTheDialogAndGoesToThePageTyped) {
    pressKey(VK_NEXT);
    const auto said = answerGoToPage({L"0", L"37", L"abc", L"", L"25"});
    const std::string refused = "Enter a page number from 1 to 36.";
    EXPECT_EQ(said, (std::vector<std::string>{"2", refused, refused, refused, refused, refused}));
    EXPECT_EQ(state().currentPage, 24u);
    EXPECT_EQ(title(), "test - Page 25/36 (100%) - OrvaReader");
    EXPECT_TRUE(ui.messages.empty());
    // Cancelled, it goes nowhere.
    answerGoToPage({});
    EXPECT_EQ(state().currentPage, 24u);
}

TEST_F(Navigation, BackAndForwardRetraceTheJumpsButNotThePaging) {
    state().scrollY = 300;
    updateScrollBars(state());
    answerGoToPage({L"20"});  // a jump from page 1, scrolled
    pressKey(VK_NEXT);        // no jump: page 21
    pressKey(VK_END);         // a jump from page 21
    ASSERT_EQ(state().currentPage, 35u);
    const auto altKey = [&](WPARAM key) { send(WM_SYSKEYDOWN, key, 1 << 29); };
    altKey(VK_LEFT);
    EXPECT_EQ(state().currentPage, 20u);
    altKey(VK_LEFT);
    EXPECT_EQ(state().currentPage, 0u);
    EXPECT_EQ(state().scrollY, 300);
    altKey(VK_LEFT);  // nothing further back
    EXPECT_EQ(state().currentPage, 0u);
    send(WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON2), 0);  // the mouse's forward button
    EXPECT_EQ(state().currentPage, 20u);
    altKey(VK_RIGHT);
    EXPECT_EQ(state().currentPage, 35u);
    send(WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON1), 0);
    EXPECT_EQ(state().currentPage, 20u);
    // A click on a thumbnail is a jump too, and drops what lay ahead.
    state().sidebarScroll = 0;
    click(50, 40);
    EXPECT_EQ(state().currentPage, 0u);
    altKey(VK_RIGHT);
    EXPECT_EQ(state().currentPage, 0u);
    altKey(VK_LEFT);
    EXPECT_EQ(state().currentPage, 20u);
}

}  // namespace
}  // namespace orva::testing
