#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/open_dialog.h"
#include "support/main_window_fixture_win.h"

namespace orva::testing {
namespace {

class OpenDialog : public MainWindowTest {};

// The filter list as the dialog reads it: pairs of zero-terminated strings,
// ended by an empty one.
std::vector<std::string> filterStrings(const char* list) {
    std::vector<std::string> out;
    while (*list != '\0') {
        out.emplace_back(list);
        list += std::strlen(list) + 1;
    }
    return out;
}

TEST_F(OpenDialog, RecordIsFilledAsTheDialogExpects) {
    EXPECT_FALSE(showOpenDialog(state()).has_value());
    ASSERT_EQ(ui.openRecords.size(), 1u);
    const OPENFILENAMEA& r = ui.openRecords[0];
    EXPECT_EQ(r.lStructSize, 152u);
    EXPECT_EQ(r.hwndOwner, window());
    const std::vector<std::string> filters = {"Orva / PDF", "*.orva;*.pdf", "Orva (.orva)", "*.orva",
                                              "PDF (.pdf)", "*.pdf",        "All Files",    "*.*"};
    EXPECT_EQ(filterStrings(r.lpstrFilter), filters);
    EXPECT_EQ(r.nFilterIndex, 0u);
    EXPECT_EQ(r.nMaxFile, 4096u);
    EXPECT_STREQ(r.lpstrTitle, "Open Document");
    EXPECT_EQ(r.Flags, 0x1808u);
    EXPECT_EQ(r.lpstrInitialDir, nullptr);
    EXPECT_EQ(r.lpstrCustomFilter, nullptr);
    EXPECT_EQ(r.lpstrFileTitle, nullptr);
    EXPECT_EQ(r.lpstrDefExt, nullptr);
    EXPECT_EQ(r.lpfnHook, nullptr);
    EXPECT_EQ(r.Flags & OFN_ENABLEHOOK, 0u);
}

TEST_F(OpenDialog, ReturnsNothingWhenCancelledOrEmpty) {
    EXPECT_FALSE(showOpenDialog(state()).has_value());
    ui.chooseFile("");
    EXPECT_FALSE(showOpenDialog(state()).has_value());
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

TEST_F(OpenDialog, ConvertsTheAnsiPathToUtf8) {
    char ansi[64] = {};
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, L"C:\\Docs\\r\u00e9sum\u00e9.orva", -1, ansi, sizeof ansi, nullptr, &lossy);
    ASSERT_FALSE(lossy) << "the code page cannot represent the test's accented letters";
    ui.chooseFile(ansi);
    auto path = showOpenDialog(state());
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(path->view(), "C:\\Docs\\r\xC3\xA9sum\xC3\xA9.orva");
}

TEST_F(OpenDialog, AllocationFailuresReturnNothingAndLeaveNothing) {
    ui.chooseFile("C:\\a.orva");
    for (std::size_t nth = 1; nth <= 3; ++nth) {
        allocator.failAllocation(nth);
        auto path = showOpenDialog(state());
        allocator.failAllocation(0);
        path.reset();
        EXPECT_EQ(allocator.liveBlocks(), 0u) << nth;
    }
}

}  // namespace
}  // namespace orva::testing
