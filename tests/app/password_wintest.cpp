// An encrypted PDF with the stand-in tools: the open asks for the password
// as often as the reader gets it wrong, refuses one longer than the tools
// read, ends with its own error when cancelled, and hands the password to
// every tool run for the document.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/open_document.h"
#include "app/page_change.h"
#include "app/page_text.h"
#include "app/pictures.h"
#include "support/fake_poppler_win.h"
#include "support/main_window_fixture_win.h"
#include "support/wide_text_win.h"

namespace orva::testing {
namespace {

constexpr WORD kFieldId = 101, kProblemId = 102;

std::string dialogText(HWND dialog, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    return narrow(text);
}

// One try in the dialog: typed and OK, or (null) Cancel.
struct Try {
    const wchar_t* typed;
};

class PasswordTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        for (const char* tool : {"pdfinfo.exe", "pdftoppm.exe", "pdftotext.exe"}) fake.install(std::string("bin\\") + tool);
        fake.control("log " + fake.path("runs.log") + "\npassword s3cret\npdfinfo.exe: stdout Pages: 5\\n\n"
                     "pdftoppm.exe: ppm page-{page}.ppm 40 50\n"
                     "pdftotext.exe: stdout <html><body><doc><page width=\\\"612\\\" height=\\\"792\\\"></page>"
                     "</doc></body></html>\n");
        writeTextFile(pdf, "%PDF-1.4 stand-in");
    }
    void TearDown() override {
        closeDocument(state());
        MainWindowTest::TearDown();
    }

    FakePoppler fake;
    std::string pdf = fake.path("docs\\locked.pdf");
};

TEST_F(PasswordTest, AsksUntilRightOrCancelledAndEveryRunGetsThePassword) {
    const std::wstring tooLong(33, L'x');
    const struct {
        const char* what;
        std::vector<std::vector<const wchar_t*>> dialogs;  // each dialog's tries; null: Cancel
        bool opens;
    } cases[] = {
        {"right at once", {{L"s3cret"}}, true},
        {"wrong, then right", {{L"wrong"}, {L"s3cret"}}, true},
        {"wrong twice, then right", {{L"wrong"}, {L""}, {L"s3cret"}}, true},
        {"too long, refused in the dialog, then right", {{tooLong.c_str(), L"s3cret"}}, true},
        {"cancelled", {{nullptr}}, false},
        {"wrong, then cancelled", {{L"wrong"}, {nullptr}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        closeDocument(state());
        ui.messages.clear();
        ui.calls.clear();
        std::vector<std::string> labels, problems, refusals;
        std::size_t shown = 0;
        ui.answerDialog = [&](HWND dialog) {
            labels.push_back(dialogText(dialog, 100));
            problems.push_back(dialogText(dialog, kProblemId));
            if (shown >= c.dialogs.size()) {
                SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            for (const wchar_t* typed : c.dialogs[shown]) {
                if (typed == nullptr) {
                    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                    break;
                }
                SetDlgItemTextW(dialog, kFieldId, typed);
                SendMessageW(dialog, WM_COMMAND, IDOK, 0);
                refusals.push_back(dialogText(dialog, kProblemId));
            }
            ++shown;
        };
        const std::size_t runsBefore = fake.runs().size();
        openDocument(state(), pdf);

        EXPECT_EQ(shown, c.dialogs.size()) << "dialogs shown";
        for (std::size_t i = 0; i < labels.size(); ++i) {
            EXPECT_EQ(labels[i], "locked.pdf is protected by a password:");
            EXPECT_EQ(problems[i], i == 0 ? "" : "Incorrect password") << "dialog " << i + 1;
        }
        if (std::string(c.what).starts_with("too long")) {
            ASSERT_GE(refusals.size(), 1u);
            EXPECT_EQ(refusals[0], "This password is too long: a PDF password has at most 32 bytes.");
        }
        ASSERT_EQ(state().documentLoaded, c.opens);
        if (!c.opens) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_NE(ui.messages[0].text.find("PdfPasswordRequired"), std::string::npos) << ui.messages[0].text;
            continue;
        }
        EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
        EXPECT_EQ(state().document.pageCount(), 5u);
        // A page render, a text run and the strip's thumbnails.
        send(WM_KEYDOWN, VK_NEXT);
        needPageText(state(), 1, true, 1);
        askForPictures(state());
        ASSERT_TRUE(settleJobs());
        const auto runs = fake.runs();
        ASSERT_GT(runs.size(), runsBefore + shown);
        std::set<std::string> kinds;
        // The first run probed without a password; every one after it got
        // the one that opened.
        for (std::size_t i = runsBefore + shown; i < runs.size(); ++i) {
            const auto& arguments = runs[i].arguments;
            const auto given = std::find(arguments.begin(), arguments.end(), "-upw");
            ASSERT_NE(given, arguments.end()) << runs[i].commandLine;
            ASSERT_NE(given + 1, arguments.end());
            EXPECT_EQ(*(given + 1), "s3cret") << runs[i].commandLine;
            const std::string program = runs[i].program.substr(runs[i].program.find_last_of('\\') + 1);
            const bool thumbnails = std::find(arguments.begin(), arguments.end(), "-scale-to") != arguments.end();
            kinds.insert(program + (thumbnails ? " thumbnails" : ""));
        }
        EXPECT_EQ(kinds, (std::set<std::string>{"pdfinfo.exe", "pdftoppm.exe", "pdftoppm.exe thumbnails", "pdftotext.exe"}));
        EXPECT_EQ(state().currentPage, 1u);
        EXPECT_EQ(state().document.text.state(1), TextState::Fetched);
    }
}

}  // namespace
}  // namespace orva::testing
