// The open PDF rewritten on disk: with another page count, deleted and made
// again, written slowly in parts. The viewer shows the new document on the
// same page (clamped), zoom and rotation kept, and never a box; meanwhile a
// file it cannot read leaves the last good document up, said so in the
// status line.
#include <gtest/gtest.h>

#include <functional>

#include "app/main_window.h"
#include "app/open_document.h"
#include "app/page_change.h"
#include "support/main_window_fixture_win.h"
#include "support/wide_text_win.h"

namespace orva::testing {
namespace {

std::string standIn(int pages) { return "%PDF-1.4\nPages: " + std::to_string(pages) + "\n%%EOF\n"; }

using ReloadTest = FakeToolWindowTest;

TEST_F(ReloadTest, ARewrittenFileIsShownAgainOnTheSamePageWithoutABox) {
    fake.control("pdfinfo.exe: count-input\npdftoppm.exe: ppm page-{page}.ppm 40 50\n");
    const std::string pdf = fake.path("docs\\report.pdf");
    const auto notice = [this] { return std::string(state().statusNotice.view()); };
    const auto rewrite = [&](int pages) { return [&pdf, pages] { writeTextFile(pdf, standIn(pages)); }; };
    const struct {
        const char* what;
        std::function<void()> first;  // then, when it is "", nothing unreadable comes between
        const char* unreadable;       // what the status line says meanwhile
        std::function<void()> then;
        std::uint64_t pages, page;
    } cases[] = {
        {"more pages", rewrite(7), "", [] {}, 7, 3},
        {"fewer pages: the page is clamped", rewrite(2), "", [] {}, 2, 1},
        {"deleted, then made again", [&] { DeleteFileW(widen(pdf).c_str()); }, "could not be read again", rewrite(6), 6, 3},
        {"written slowly in parts", [&] { writeTextFile(pdf, "%PDF-1.4\n"); }, "(PdfInfoFailed)",
         [&] { writeTextFile(pdf, "%PDF-1.4\nPages: 9\n%%EOF\n"); }, 9, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeTextFile(pdf, standIn(5));
        openDocument(state(), pdf);
        ASSERT_TRUE(state().documentLoaded);
        goToPage(state(), 3);
        command(CommandRotateRight);
        command(CommandZoomIn);
        const float zoom = state().zoom;
        const std::uint64_t serial = state().document.serial;
        ui.messages.clear();

        c.first();
        if (*c.unreadable != '\0') {
            ASSERT_TRUE(pumpUntil([&] { return notice().find(c.unreadable) != std::string::npos; }, 10000))
                << "the status line says: " << notice();
            EXPECT_EQ(state().document.serial, serial) << "the last good document is gone";
            EXPECT_EQ(state().document.pageCount(), 5u);
            c.then();
        }
        ASSERT_TRUE(pumpUntil([&] { return state().document.serial != serial; }, 10000)) << "never shown again";
        EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
        EXPECT_EQ(state().document.pageCount(), c.pages);
        EXPECT_EQ(state().currentPage, c.page);
        EXPECT_EQ(state().zoom, zoom);
        EXPECT_EQ(state().quarterTurns, 1);
        EXPECT_TRUE(state().document.pages[c.page].present);
        EXPECT_EQ(notice(), "");
        EXPECT_NE(title().find("Page " + std::to_string(c.page + 1) + "/" + std::to_string(c.pages)), std::string::npos)
            << title();
        closeDocument(state());
    }
}

}  // namespace
}  // namespace orva::testing
