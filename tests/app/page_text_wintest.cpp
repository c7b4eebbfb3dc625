// The text layer's background fetch in a real main window, with the stand-in
// tools: when text is fetched and when not, what the find bar says when there
// is none, a search stopped with Esc, a document closed while its text is on
// its way, and a document that forbids copying.
#include <gtest/gtest.h>

#include "app/find.h"
#include "app/main_window.h"
#include "app/open_document.h"
#include "support/child_process_win.h"
#include "support/fake_poppler_win.h"
#include "support/main_window_fixture_win.h"
#include "support/orva_bytes.h"

namespace orva {
namespace {

using testing::FakePoppler;

// The text tool's report for one page of one line ("alpha beta").
constexpr const char* kReport =
    "pdftotext.exe: stdout <html><body><doc><page width=\\\"612\\\" height=\\\"792\\\"><flow><block><line>"
    "<word xMin=\\\"72\\\" yMin=\\\"72\\\" xMax=\\\"100\\\" yMax=\\\"84\\\">alpha</word>"
    "<word xMin=\\\"110\\\" yMin=\\\"72\\\" xMax=\\\"140\\\" yMax=\\\"84\\\">beta</word>"
    "</line></block></flow></page></doc></body></html>\n";

class PageTextTest : public testing::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        for (const char* tool : {"pdfinfo.exe", "pdftoppm.exe", "pdftotext.exe"}) fake.install(std::string("bin\\") + tool);
        hanging = CreateEventW(nullptr, TRUE, FALSE, L"OrvaPageTextHang");
    }
    void TearDown() override {
        CloseHandle(hanging);
        MainWindowTest::TearDown();
    }

    void control(const std::string& more) {
        fake.control("log " + fake.path("runs.log") + "\npdfinfo.exe: stdout Pages: 3\\n\n"
                     "pdftoppm.exe: ppm page-{page}.ppm 40 50\n" + more);
    }
    std::vector<testing::FakeRun> textRuns() const {
        std::vector<testing::FakeRun> runs;
        for (auto& run : fake.runs())
            if (run.program.ends_with("pdftotext.exe")) runs.push_back(run);
        return runs;
    }
    std::string findStatus() const { return testing::windowText(state().find.status); }
    void search(const wchar_t* query) {
        showFindBar(state());
        SetWindowTextW(state().find.edit, query);
        SendMessageW(state().find.edit, WM_KEYDOWN, VK_RETURN, 0);
    }

    FakePoppler fake;
    HANDLE hanging = nullptr;
};

TEST_F(PageTextTest, OpeningAndPagingFetchNoTextAndASearchFetchesOneRun) {
    control(kReport);
    openDocument(state(), fake.path("doc.pdf"));
    ASSERT_TRUE(state().documentLoaded);
    send(WM_KEYDOWN, VK_NEXT);
    send(WM_KEYDOWN, VK_NEXT);
    pumpMessages();
    EXPECT_TRUE(textRuns().empty());

    search(L"BETA");
    ASSERT_TRUE(pumpUntil([&] { return !state().find.searching; }));
    // The search started on page 3 and found the word there, with one run
    // of the text tool: from page 3 to the end.
    EXPECT_EQ(state().find.hitPage, 2u);
    const auto runs = textRuns();
    ASSERT_EQ(runs.size(), 1u);
    const auto& arguments = runs[0].arguments;
    EXPECT_EQ(std::vector<std::string>(arguments.begin() + 1, arguments.end()),
              (std::vector<std::string>{"-bbox-layout", "-enc", "UTF-8", "-f", "3", "-l", "3", fake.path("doc.pdf"), "-"}));
    EXPECT_EQ(state().marks.hits.size(), 1u);
    EXPECT_EQ(findStatus(), "Match 1 of 1 on this page");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PageTextTest, TheFindBarSaysWhyThereIsNothingToFind) {
    struct Case {
        const char* what;
        bool container;
        std::string control;
        bool toolThere;
        const char* said;
    };
    const Case cases[] = {
        {"a container", true, "", true, "This document has no text"},
        {"pages without words", false, "pdftotext.exe: stdout <html><body><doc><page width=\\\"1\\\" height=\\\"1\\\"></page></doc></body></html>\n",
         true, "This document has no text"},
        {"no text tool", false, "", false, "pdftotext.exe was not found: the text cannot be searched"},
        {"a failing text tool", false, "pdftotext.exe: exit 1\n", true,
         "pdftotext.exe could not read the text of this document"},
        {"words, none of them the query", false, kReport, true, "No matches"},
    };
    for (const Case& c : cases) {
        control(c.control);
        if (!c.toolThere) DeleteFileW(testing::widen(fake.path("bin\\pdftotext.exe")).c_str());
        if (c.container) {
            const std::string path = fake.path("doc.orva");
            testing::OrvaBytes file;
            file.pages.push_back({4, 3, testing::patternPixels(4, 3)});
            ASSERT_TRUE(testing::writeBytesToFile(path, file.build()));
            openDocument(state(), path);
        } else {
            openDocument(state(), fake.path("doc.pdf"));
        }
        ASSERT_TRUE(state().documentLoaded) << c.what;
        search(L"gamma");
        ASSERT_TRUE(pumpUntil([&] { return !state().find.searching; })) << c.what;
        EXPECT_EQ(findStatus(), c.said) << c.what;
        EXPECT_TRUE(ui.messages.empty()) << c.what;
        if (!c.toolThere) fake.install("bin\\pdftotext.exe");
    }
}

TEST_F(PageTextTest, EscStopsASearchAndItsTool) {
    control("pdftotext.exe: hang any OrvaPageTextHang\n");
    openDocument(state(), fake.path("doc.pdf"));
    search(L"alpha");
    ASSERT_EQ(WaitForSingleObject(hanging, 20000), WAIT_OBJECT_0);
    EXPECT_TRUE(state().find.searching);
    EXPECT_EQ(findStatus(), "Searching page 1 of 3");
    SendMessageW(state().find.edit, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(state().find.searching);
    EXPECT_EQ(findStatus(), "Search stopped");
    EXPECT_TRUE(testing::processEnds(textRuns().at(0).processId, 1000));
    // The ended run comes back and is put aside: its pages can be asked for again.
    ASSERT_TRUE(pumpUntil([&] { return !state().document.worker->pending(1); }));
    EXPECT_EQ(state().document.text.state(0), TextState::NotFetched);
    EXPECT_TRUE(state().find.shown);
}

TEST_F(PageTextTest, ADocumentClosedWhileItsTextIsOnItsWayLeavesNoTool) {
    control("pdftotext.exe: hang any OrvaPageTextHang\n");
    openDocument(state(), fake.path("doc.pdf"));
    search(L"alpha");
    ASSERT_EQ(WaitForSingleObject(hanging, 20000), WAIT_OBJECT_0);
    const DWORD tool = textRuns().at(0).processId;
    const std::uint64_t before = state().document.serial;
    // Replaced by another document: the old one's jobs end before it goes.
    openDocument(state(), fake.path("other.pdf"));
    EXPECT_TRUE(testing::processEnds(tool, 1000));
    EXPECT_NE(state().document.serial, before);
    pumpMessages();
    EXPECT_EQ(state().document.text.states.size(), 0u);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PageTextTest, ADocumentThatForbidsCopyingCopiesNothingAndSaysSo) {
    control(std::string(kReport) + "pdfinfo.exe: stdout Encrypted: yes (print:yes copy:no change:no)\\n\n");
    openDocument(state(), fake.path("doc.pdf"));
    ASSERT_FALSE(state().document.copyAllowed);
    OpenClipboard(window());
    EmptyClipboard();
    CloseClipboard();
    command(CommandSelectAll);
    ASSERT_TRUE(pumpUntil([&] { return state().marks.hasSelection; }));
    command(CommandCopy);
    EXPECT_EQ(state().statusNotice.view(), "This document does not allow copying its text");
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    // Finding still works.
    search(L"alpha");
    ASSERT_TRUE(pumpUntil([&] { return !state().find.searching; }));
    EXPECT_EQ(state().find.hitPage, 0u);
}

}  // namespace
}  // namespace orva
