// An encrypted PDF with the stand-in tools: the open asks for the password
// as often as the reader gets it wrong, refuses one longer than the tools
// read, ends with its own error when cancelled, and hands the password to
// every tool run for the document.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/open_document.h"
#include "app/page_text.h"
#include "app/pictures.h"
#include "support/main_window_fixture_win.h"
#include "support/wide_text_win.h"

namespace orva::testing {
namespace {

std::string dialogText(HWND dialog, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, id, text, 256);
    return narrow(text);
}

using PasswordTest = FakeToolWindowTest;

TEST_F(PasswordTest, AsksUntilRightOrCancelledAndEveryRunGetsThePassword) {
    fake.control("log " + fake.path("runs.log") + "\npassword s3cret\npdfinfo.exe: stdout Pages: 5\\n\n"
                 "pdftoppm.exe: ppm page-{page}.ppm 40 50\npdftotext.exe: stdout <html><body><doc><page width=\\\"612\\\" "
                 "height=\\\"792\\\"></page></doc></body></html>\n");
    const std::string pdf = fake.path("docs\\locked.pdf");
    writeTextFile(pdf, "%PDF-1.4 stand-in");
    const std::wstring tooLong(33, L'x');
    const struct {
        const char* what;
        std::vector<std::vector<const wchar_t*>> dialogs;  // each dialog's tries, OK after each; null: Cancel
        const char* refusal;                               // what the first try in a dialog got
    } cases[] = {
        {"right at once", {{L"s3cret"}}, ""},
        {"wrong twice, then right", {{L"wrong"}, {L""}, {L"s3cret"}}, ""},
        {"too long, then right", {{tooLong.c_str(), L"s3cret"}},
         "This password is too long: a PDF password has at most 32 bytes."},
        {"wrong, then cancelled", {{L"wrong"}, {nullptr}}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        closeDocument(state());
        ui.messages.clear();
        std::vector<std::string> problems, refusals;
        ui.answerDialog = [&](HWND dialog) {
            EXPECT_EQ(dialogText(dialog, 100), "locked.pdf is protected by a password:");
            problems.push_back(dialogText(dialog, 102));
            for (const wchar_t* typed : c.dialogs.at(problems.size() - 1)) {
                if (typed != nullptr) SetDlgItemTextW(dialog, 101, typed);
                SendMessageW(dialog, WM_COMMAND, typed != nullptr ? IDOK : IDCANCEL, 0);
                refusals.push_back(dialogText(dialog, 102));
            }
        };
        const std::size_t runsBefore = fake.runs().size();
        openDocument(state(), pdf);

        ASSERT_EQ(problems.size(), c.dialogs.size()) << "dialogs shown";
        for (std::size_t i = 0; i < problems.size(); ++i) EXPECT_EQ(problems[i], i == 0 ? "" : "Incorrect password");
        if (*c.refusal != '\0') EXPECT_EQ(refusals.at(0), c.refusal);
        const bool cancelled = c.dialogs.back().back() == nullptr;
        ASSERT_EQ(state().documentLoaded, !cancelled);
        if (cancelled) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_NE(ui.messages[0].text.find("Error: PdfPasswordRequired"), std::string::npos) << ui.messages[0].text;
            continue;
        }
        EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
        EXPECT_EQ(state().document.pageCount(), 5u);
        // A page render, a text run and the strip's thumbnails.
        send(WM_KEYDOWN, VK_NEXT);
        needPageText(state(), 1, true, 1);
        askForPictures(state());
        ASSERT_TRUE(settleJobs());
        EXPECT_EQ(state().document.text.state(1), TextState::Fetched);
        // The first run probed without a password, then one a try; every
        // run from the right one on got it.
        const auto runs = fake.runs();
        std::set<std::string> kinds;
        for (std::size_t i = runsBefore + problems.size(); i < runs.size(); ++i) {
            const auto& arguments = runs[i].arguments;
            const auto given = std::find(arguments.begin(), arguments.end(), "-upw");
            ASSERT_TRUE(given != arguments.end() && given + 1 != arguments.end()) << runs[i].commandLine;
            EXPECT_EQ(*(given + 1), "s3cret") << runs[i].commandLine;
            const bool thumbnails = std::find(arguments.begin(), arguments.end(), "-scale-to") != arguments.end();
            kinds.insert(runs[i].program.substr(runs[i].program.find_last_of('\\') + 1) + (thumbnails ? "+" : ""));
        }
        EXPECT_EQ(kinds, (std::set<std::string>{"pdfinfo.exe", "pdftoppm.exe", "pdftoppm.exe+", "pdftotext.exe"}));
    }
}

}  // namespace
}  // namespace orva::testing
