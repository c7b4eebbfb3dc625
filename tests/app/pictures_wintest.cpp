// The sharp parts of a PDF page with the stand-in tool, which draws pixel
// (x, y) of the page scaled as asked as red = page, green = x, blue = y
// (mod 256): wheel turns in a row leave one tool at most and show the last
// zoom's part where it belongs; the preview gets its part the same way.
#include <gtest/gtest.h>

#include "app/document_jobs.h"
#include "app/main_window.h"
#include "app/open_document.h"
#include "print/preview.h"
#include "print/print_layout.h"
#include "print/print.h"
#include "support/child_process_win.h"
#include "support/fake_poppler_win.h"
#include "support/main_window_fixture_win.h"
#include "support/view_test_win.h"
#include "view/page_placement.h"

namespace orva::testing {
namespace {

class PicturesTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        setClientSize(1000, 720);
        for (const char* tool : {"pdfinfo.exe", "pdftoppm.exe"}) fake.install(std::string("bin\\") + tool);
    }
    void open(const std::string& pages) {
        // Each run takes a while, so that requests overlap.
        fake.control("log " + fake.path("runs.log") + "\npdfinfo.exe: stdout Pages: 3\\n\npdftoppm.exe: ppm page-{page}.ppm " +
                     pages + "\npdftoppm.exe: sleep 150\n");
        openDocument(state(), fake.path("doc.pdf"));
        ASSERT_TRUE(state().documentLoaded);
    }
    std::vector<FakeRun> partRuns() const {
        std::vector<FakeRun> runs;
        for (FakeRun& run : fake.runs())
            if (std::find(run.arguments.begin(), run.arguments.end(), "-scale-to-x") != run.arguments.end())
                runs.push_back(std::move(run));
        return runs;
    }
    // Every page pixel of the view at `placement` as the stand-in draws the
    // page scaled to the shown size (inside the outline).
    void expectSharpView(const PaintedBitmap& bitmap, const PagePlacement& placement, RECT view) {
        int checked = 0;
        for (int y = std::max<int>(view.top, placement.origin.y + 1);
             y < std::min<int>(view.bottom, placement.origin.y + placement.displayed.height); y += 3) {
            for (int x = std::max<int>(view.left, placement.origin.x + 1);
                 x < std::min<int>(view.right, placement.origin.x + placement.displayed.width); x += 3, ++checked) {
                const int sx = x - placement.origin.x, sy = y - placement.origin.y;
                ASSERT_EQ(bitmap.at(x, y), rgb(1, sx & 255, sy & 255)) << x << "," << y;
            }
        }
        EXPECT_GT(checked, 1000);
    }

    FakePoppler fake;
};

TEST_F(PicturesTest, TenWheelNotchesLeaveOneToolAtMostAndShowTheLastZoomsPart) {
    open("300 400");
    command(CommandActualSize);
    ASSERT_TRUE(settleJobs());
    EXPECT_TRUE(partRuns().empty()) << "at its own size the page needs no sharper part";
    for (int notch = 0; notch < 10; ++notch) {
        turnWheel(WHEEL_DELTA, 600, 300);
        UpdateWindow(window());
    }
    const std::vector<FakeRun> asked = partRuns();
    int running = 0;
    for (const FakeRun& run : asked) running += !processEnds(run.processId, 0);
    EXPECT_LE(running, 1);
    EXPECT_GE(state().pictureJobs.partRuns, 2u) << "each notch's paint asked for its own part";
    ASSERT_TRUE(settleJobs());
    // Each newer request ended the one before it: few ran to their end.
    const PicturesState& jobs = state().pictureJobs;
    EXPECT_LE(jobs.partsKept, 2u);
    EXPECT_GE(jobs.partsKept + jobs.partsEnded, partRuns().size());

    const PagePlacement placement = placePage({0, 0, 1000, 720}, 300, 400, state().zoom, state().scrollX,
                                              state().scrollY, 0);
    const FakeRun& last = partRuns().back();
    const auto scaled = std::find(last.arguments.begin(), last.arguments.end(), "-scale-to-x");
    EXPECT_EQ(scaled[1], std::to_string(placement.displayed.width));
    EXPECT_EQ(scaled[3], std::to_string(placement.displayed.height));
    PaintedBitmap bitmap(1000, 720);
    paint(bitmap);
    expectSharpView(bitmap, placement, {SidebarWidth, BandHeight, 1000, 720 - BandHeight});
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PicturesTest, ThePreviewShowsASmallPageFromItsOwnSharpPart) {
    open("40 60");
    openPrintPreview(state());
    ASSERT_TRUE(state().previewOpen);
    UpdateWindow(state().previewWindow);
    ASSERT_TRUE(pumpUntil([&] { return !partRuns().empty() && !state().document.worker->pending(JobPreviewRegion); }));
    ASSERT_TRUE(settleJobs());
    RECT client;
    GetClientRect(state().previewWindow, &client);
    PaintedBitmap bitmap(client.right, client.bottom);
    paintPreviewClient(state(), bitmap.dc(), client);
    const PreviewLayout layout = layoutPreview(client.right, client.bottom, 40, 60);
    ASSERT_GT(layout.image.width, 40);
    PagePlacement placement;
    placement.origin = {layout.image.x, layout.image.y};
    placement.displayed = {layout.image.width, layout.image.height};
    expectSharpView(bitmap, placement, client);
}

}  // namespace
}  // namespace orva::testing
