#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "app/open_document.h"
#include "support/main_window_fixture_win.h"
#include "support/title_recorder_win.h"

namespace orva::testing {
namespace {

class OpenDocument : public MainWindowTest {
protected:
    std::string expectedMessage(const std::string& path, const char* code) {
        return "Failed to open file:\n" + path + "\n\nError: " + code;
    }
};

TEST_F(OpenDocument, FailuresAreReportedWithTheUntrimmedPathAndTheirCode) {
    struct Case {
        std::string path;
        const char* code;
    };
    const Case cases[] = {
        {"C:/docs/notes.txt", "UnsupportedFormat"},
        {"C:/docs/.orva", "UnsupportedFormat"},
        {"C:\\docs\\plain", "UnsupportedFormat"},
        {"no-such-file-here.orva", "FileNotFound"},
        // The relative name is resolved before the extension is looked at.
        {"  no-such-file-here.txt\r\n", "FileNotFound"},
        {"", "FileNotFound"},
        {" \t ", "FileNotFound"},
        {"Z:\\no\\such\\folder\\x.orva", "FileNotFound"},
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        openDocument(state(), c.path);
        ASSERT_EQ(ui.messages.size(), 1u) << c.path;
        EXPECT_EQ(ui.messages[0].text, expectedMessage(c.path, c.code));
        EXPECT_EQ(ui.messages[0].caption, "OrvaReader");
        EXPECT_EQ(ui.messages[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
        EXPECT_EQ(ui.messages[0].owner, window());
        EXPECT_FALSE(state().documentLoaded);
        EXPECT_EQ(title(), "OrvaReader");
        EXPECT_EQ(allocator.liveBlocks(), 0u) << c.path;
    }
}

TEST_F(OpenDocument, ShowsTheLoadingTitleFirstAndTheProgramNameAfterAFailure) {
    TitleRecorder recorder(window());
    openDocument(state(), "C:/docs/notes.txt");
    const std::vector<std::string> expected = {"OrvaReader - Loading...", "OrvaReader"};
    EXPECT_EQ(recorder.titles, expected);
}

TEST_F(OpenDocument, APathTooLongForTheMessageFallsBackToTheShortText) {
    const std::string path = "C:/" + std::string(1100, 'x') + ".txt";
    openDocument(state(), path);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Failed to open file.");
}

TEST_F(OpenDocument, NonAsciiPathsReachTheMessageInTheAnsiCodePage) {
    const std::string utf8Path = "C:/docs/r\xC3\xA9sum\xC3\xA9.txt";
    char ansi[64] = {};
    WideCharToMultiByte(CP_ACP, 0, L"C:/docs/r\u00e9sum\u00e9.txt", -1, ansi, sizeof ansi, nullptr, nullptr);
    openDocument(state(), utf8Path);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, expectedMessage(ansi, "UnsupportedFormat"));
}

TEST_F(OpenDocument, OpenCommandPassesTheChosenFileToTheOpenFlow) {
    ui.chooseFile("C:\\chosen\\file.txt");
    command(CommandOpen);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, expectedMessage("C:\\chosen\\file.txt", "UnsupportedFormat"));
}

TEST_F(OpenDocument, CtrlOShowsTheDialogAndOAloneDoesNot) {
    BYTE keys[256] = {};
    SetKeyboardState(keys);
    send(WM_KEYDOWN, 'O');
    EXPECT_TRUE(ui.openRecords.empty());
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    send(WM_KEYDOWN, 'O');
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(ui.openRecords.size(), 1u);
}

}  // namespace
}  // namespace orva::testing
