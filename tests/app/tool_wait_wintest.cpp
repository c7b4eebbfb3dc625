// A tool that hangs on one page: meanwhile the windows answer and paint
// without starting another render, Esc ends the tool at once, and each
// command ends as its failure (or, for a neighbour, its success) says.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "app/busy_window.h"
#include "app/open_document.h"
#include "app/page_change.h"
#include "platform/tool_wait.h"
#include "print/preview.h"
#include "print/print.h"
#include "support/fake_poppler_win.h"
#include "support/main_window_fixture_win.h"

namespace orva::testing {
namespace {

constexpr wchar_t kHanging[] = L"orva-tool-wait-test-hanging";
constexpr const char* kPages = "stdout Pages: 4\\n\nppm page-{page}.ppm 8 8\n";

// What a thread of the test saw while the window thread waited for the tool.
struct Rescue {
    bool hung = false, answered = false, painted = false, ended = false;
    std::uint64_t pageWhileHeld = 0;
};

class ToolWaitTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        previous_ = setToolWait(&busyWindowWait());
        fake.install("bin\\pdfinfo.exe");
        fake.install("bin\\pdftoppm.exe");
        writeTextFile(pdf, "%PDF-1.4 stand-in");
        hanging_ = CreateEventW(nullptr, TRUE, FALSE, kHanging);
    }
    void TearDown() override {
        closeDocument(state());
        setToolWait(previous_);
        CloseHandle(hanging_);
        MainWindowTest::TearDown();
    }

    // Runs `action` on this thread while another waits for the tool to hang,
    // sends End (answered at once, carried out only later), checks that the
    // window paints, then posts Esc to `escTo` as a key press arrives.
    Rescue runAndRescue(const std::function<void()>& action, const std::function<HWND()>& escTo) {
        ResetEvent(hanging_);
        Rescue rescue;
        std::thread helper([&] {
            if (WaitForSingleObject(hanging_, 20000) != WAIT_OBJECT_0) return;
            rescue.hung = true;
            const auto runs = fake.runs();
            const HANDLE tool = OpenProcess(SYNCHRONIZE, FALSE, runs.empty() ? 0 : runs.back().processId);
            InvalidateRect(window(), nullptr, FALSE);
            DWORD_PTR result = 0;
            rescue.answered =
                SendMessageTimeoutA(window(), WM_KEYDOWN, VK_END, 0x00010001, SMTO_NORMAL, 2000, &result) != 0;
            rescue.pageWhileHeld = state().currentPage;
            // The paint follows the answer within the same wake.
            for (int i = 0; i < 200 && GetUpdateRect(window(), nullptr, FALSE); ++i) Sleep(10);
            rescue.painted = !GetUpdateRect(window(), nullptr, FALSE);
            PostMessageA(escTo(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            rescue.ended = tool != nullptr && WaitForSingleObject(tool, 1000) == WAIT_OBJECT_0;
            if (tool != nullptr) CloseHandle(tool);
        });
        action();
        helper.join();
        return rescue;
    }

    void openQuietly() {
        fake.control(kPages);
        openDocument(state(), pdf);
        ASSERT_TRUE(state().documentLoaded);
    }

    FakePoppler fake;
    std::string pdf = fake.path("docs\\report.pdf");

private:
    ToolWait* previous_ = nullptr;
    HANDLE hanging_ = nullptr;
};

std::string hangOn(const char* page) {
    return std::string(kPages) + "hang " + page + " orva-tool-wait-test-hanging\n";
}

TEST_F(ToolWaitTest, EscEndsAHangingToolAndEachCommandEndsAsItShould) {
    const auto mainWindow = [this] { return window(); };
    const struct {
        const char* what;
        const char* hangPage;  // "0": the page count
        std::function<void()> before;
        std::function<void()> action;
        std::function<HWND()> escTo;
        std::size_t runs;           // tools started by the action
        std::string message;        // "" for none
        bool loaded;                // a document open afterwards
        std::uint64_t currentPage;  // and its page
        std::uint64_t previewPage;
    } cases[] = {
        {"an open waiting for the page count", "0", [] {}, [&] { openDocument(state(), pdf); }, mainWindow, 1,
         "Error: Canceled", false, 0, 0},
        {"an open waiting for its first page", "1", [] {}, [&] { openDocument(state(), pdf); }, mainWindow, 2,
         "Error: Canceled", false, 0, 0},
        // Its current page gone, the paint meanwhile would render it if it
        // could.
        {"a page change waiting for its page", "3",
         [&] {
             openQuietly();
             state().document.pages[0] = PageImage{};
         },
         [&] { goToPage(state(), 2); }, mainWindow, 1, "Error: PdftoppmFailed", true, 0, 0},
        {"a page change waiting for a neighbour", "3", [&] { openQuietly(); }, [&] { goToPage(state(), 1); },
         mainWindow, 2, "", true, 1, 0},
        {"the preview waiting for the next page", "2",
         [&] {
             openQuietly();
             openPrintPreview(state());
             ASSERT_TRUE(state().previewOpen);
             // Its small page shown larger: the sharp part it asked for is done first.
             ASSERT_TRUE(settleJobs());
         },
         [&] { previewCommand(state(), PreviewNextPage); }, [&] { return state().previewWindow; }, 1,
         "Could not load page for preview.", true, 0, 0},
        {"a print job waiting for its second page", "2",
         [&] {
             openQuietly();
             ui.answerPrint = [](PRINTDLGA* record) {
                 record->hDC = CreateCompatibleDC(nullptr);
                 return TRUE;
             };
         },
         // Its first sheet rendered at the printer's resolution (4700 pixels
         // square, in three bands), then the second page, which hangs.
         [&] { printDocument(state()); }, mainWindow, 4, "Could not load a page for printing.", true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.before();
        fake.control(hangOn(c.hangPage));
        ui.messages.clear();
        const std::size_t runsBefore = fake.runs().size();
        const std::string titleBefore = title();

        const Rescue rescue = runAndRescue(c.action, c.escTo);
        ASSERT_TRUE(rescue.hung) << "the tool never hung";
        EXPECT_TRUE(rescue.answered) << "no answer within 2 s";
        EXPECT_TRUE(rescue.painted) << "the window was not painted while the tool ran";
        EXPECT_TRUE(rescue.ended) << "the tool outlived Esc by a second";
        EXPECT_NE(rescue.pageWhileHeld, 3u) << "End was carried out while the tool ran";

        EXPECT_EQ(fake.runs().size() - runsBefore, c.runs) << "another tool was started meanwhile";
        if (c.message.empty()) {
            EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
        } else {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_NE(ui.messages[0].text.find(c.message), std::string::npos) << ui.messages[0].text;
        }
        EXPECT_EQ(state().documentLoaded, c.loaded);
        if (c.loaded) {
            EXPECT_EQ(state().currentPage, c.currentPage);
            EXPECT_EQ(state().previewPage, c.previewPage);
            const std::string named = "Page " + std::to_string(state().currentPage + 1) + "/4";
            EXPECT_NE(title().find(named), std::string::npos) << title();
            EXPECT_EQ(title() == titleBefore, c.currentPage == 0) << "the title moved, or did not";
        }
        EXPECT_FALSE(fileExists(fake.workFolder())) << "the work folder outlives the render";
        fake.control(kPages);
        pumpMessages();
        if (c.loaded) {
            EXPECT_EQ(state().currentPage, 3u) << "End, held meanwhile, was lost";
        }
        if (state().previewOpen) DestroyWindow(state().previewWindow);
        closeDocument(state());
    }
}

}  // namespace
}  // namespace orva::testing
