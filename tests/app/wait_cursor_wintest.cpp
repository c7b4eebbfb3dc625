// The wait cursor while a document opens, a PDF page renders and a print job
// is spooled, as a thread sharing the window thread's input sees it; and the
// cursor from before it once the work is over, also when it failed and
// before any message is shown.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "app/main_window.h"
#include "app/open_document.h"
#include "app/page_change.h"
#include "print/print.h"
#include "support/fake_poppler_win.h"
#include "support/main_window_fixture_win.h"

namespace orva::testing {
namespace {

HCURSOR waitCursor() { return LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)); }
HCURSOR arrowCursor() { return LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); }

// Watches the cursor of the thread that makes it, from a thread of its own
// attached to that thread's input.
class CursorWatch {
public:
    CursorWatch() : watched_(GetCurrentThreadId()) {
        thread_ = std::thread([this] {
            AttachThreadInput(GetCurrentThreadId(), watched_, TRUE);
            attached_ = true;
            while (!stop_) {
                if (GetCursor() == waitCursor()) ++seen_;
                Sleep(2);
            }
            AttachThreadInput(GetCurrentThreadId(), watched_, FALSE);
        });
        while (!attached_) Sleep(1);
    }
    ~CursorWatch() {
        stop_ = true;
        thread_.join();
    }
    bool sawWait() const { return seen_ > 0; }

private:
    DWORD watched_;
    std::atomic<bool> attached_{false}, stop_{false};
    std::atomic<int> seen_{0};
    std::thread thread_;
};

class WaitCursorTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        fake.install("bin\\pdfinfo.exe");
        fake.install("bin\\pdftoppm.exe");
        writeTextFile(pdf, "%PDF-1.4 stand-in");
        SetCursor(arrowCursor());
    }
    void TearDown() override {
        closeDocument(state());
        MainWindowTest::TearDown();
    }

    // Whether the wait cursor showed during `action`, and that the arrow is
    // back after it.
    bool waitedDuring(const std::function<void()>& action) {
        bool seen = false;
        {
            CursorWatch watch;
            action();
            Sleep(20);
            seen = watch.sawWait();
        }
        EXPECT_EQ(GetCursor(), arrowCursor()) << "the cursor from before is not back";
        return seen;
    }

    FakePoppler fake;
    std::string pdf = fake.path("docs\\report.pdf");
};

TEST_F(WaitCursorTest, ShowsWhileADocumentOpensAndAPageRendersAndComesBackAfter) {
    // Every run of a tool takes a moment, long enough to be seen.
    fake.control("stdout Pages: 4\\n\nppm page-{page}.ppm 8 8\nsleep 150\n");
    EXPECT_TRUE(waitedDuring([&] { openDocument(state(), pdf); })) << "opening";
    ASSERT_TRUE(state().documentLoaded);
    EXPECT_TRUE(waitedDuring([&] { goToPage(state(), 2); })) << "a page change that renders";
    // A page already rendered costs nothing, and shows nothing.
    EXPECT_FALSE(waitedDuring([&] { goToPage(state(), 1); })) << "a page change that does not render";
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(WaitCursorTest, IsGoneBeforeAFailureIsShown) {
    const struct {
        const char* what;
        std::string control;
        std::function<void()> action;
    } cases[] = {
        {"an open that fails", "sleep 150\nexit 1\n", [&] { openDocument(state(), pdf); }},
        {"a page that does not render", "stdout Pages: 4\\n\nppm page-{page}.ppm 8 8\nsleep 150\n",
         [&] {
             openDocument(state(), pdf);
             fake.control("sleep 150\nexit 1\n");
             goToPage(state(), 3);
         }},
    };
    for (const auto& c : cases) {
        fake.control(c.control);
        ui.calls.clear();
        ui.cursors.clear();
        ui.messages.clear();
        EXPECT_TRUE(waitedDuring(c.action)) << c.what;
        ASSERT_EQ(ui.messages.size(), 1u) << c.what;
        ASSERT_EQ(ui.cursors.size(), ui.calls.size());
        EXPECT_NE(ui.cursors.back(), waitCursor()) << c.what << ": the wait cursor over the message";
        closeDocument(state());
    }
}

TEST_F(WaitCursorTest, ShowsWhileAPrintJobIsSpooledAndNotOverItsMessages) {
    fake.control("stdout Pages: 3\\n\nppm page-{page}.ppm 8 8\n");
    openDocument(state(), pdf);
    ASSERT_TRUE(state().documentLoaded);
    const auto answer = [](PRINTDLGA* record) {
        record->hDC = CreateCompatibleDC(nullptr);
        return TRUE;
    };
    ui.answerPrint = answer;
    for (const bool failing : {false, true}) {
        ui.calls.clear();
        ui.cursors.clear();
        // The second page of the second job: the count runs on from the
        // first job's three.
        ui.failEndPageAt = failing ? 3 + 2 : 0;
        printDocument(state());
        ASSERT_EQ(ui.cursors.size(), ui.calls.size());
        for (std::size_t i = 0; i < ui.calls.size(); ++i) {
            const std::string& call = ui.calls[i];
            // Only the dialog, the messages and giving the printer back lie
            // outside the spooling.
            const bool spooling = call != "printDialog" && call != "messageBox" && call != "deleteDC";
            if (spooling) {
                EXPECT_EQ(ui.cursors[i], waitCursor()) << call << (failing ? " (failing job)" : "");
            } else {
                EXPECT_NE(ui.cursors[i], waitCursor()) << call << (failing ? " (failing job)" : "");
            }
        }
        EXPECT_EQ(ui.calls.back() == "deleteDC" && ui.calls[ui.calls.size() - 2] == "messageBox", failing);
        EXPECT_EQ(GetCursor(), arrowCursor());
    }
}

}  // namespace
}  // namespace orva::testing
