// The view turned by quarter turns and with inverted colours, read back from
// the paint: the page's pixels turned, four turns giving the same paint as
// none, the keys and the fit of a turned page, and the lightness rule.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "support/view_test_win.h"
#include "view/page_picture.h"
#include "view/page_placement.h"
#include "view/paint.h"

namespace orva::testing {
namespace {

// Every pixel its own colour, so a pixel out of place shows.
std::uint32_t colourAt(std::uint32_t x, std::uint32_t y) { return rgb(x, y, (x * 7 + y * 3) & 255); }

class PageLookTest : public ViewTest {
protected:
    static constexpr std::uint32_t kWidth = 150, kHeight = 100;

    void SetUp() override {
        ViewTest::SetUp();
        setClientSize(1000, 720);
        install(makeDocumentOf(allocator, 2, [&](std::size_t) { return paintedPage(allocator, kWidth, kHeight, colourAt); }));
    }
    std::vector<std::uint32_t> painted() {
        PaintedBitmap bitmap(1000, 720);
        paint(bitmap);
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < 720; ++y)
            for (int x = 0; x < 1000; ++x) pixels.push_back(bitmap.at(x, y));
        return pixels;
    }
    PagePlacement placement() const {
        return placePage({0, 0, 1000, 720}, kWidth, kHeight, state().zoom, 0, 0, state().quarterTurns);
    }
};

TEST_F(PageLookTest, AQuarterTurnShowsThePagesPixelsTurnedAndFourShowTheViewAsBefore) {
    const std::vector<std::uint32_t> upright = painted();
    pressKey(VK_OEM_PLUS, {VK_CONTROL, VK_SHIFT});
    ASSERT_EQ(state().quarterTurns, 1);
    PaintedBitmap bitmap(1000, 720);
    paint(bitmap);
    const PagePlacement turned = placement();
    ASSERT_EQ(turned.displayed.width, static_cast<int>(kHeight));
    // Inside the outline, which the first column and row carry.
    for (std::uint32_t j = 1; j < kWidth; ++j)
        for (std::uint32_t i = 1; i < kHeight; ++i)
            ASSERT_EQ(bitmap.at(turned.origin.x + i, turned.origin.y + j), colourAt(j, kHeight - 1 - i)) << i << "," << j;
    // The strip's thumbnail stands upright too: taller than wide.
    const RECT box{ThumbnailBoxLeft, ThumbnailFirstTop + ThumbnailBoxTop, ThumbnailBoxLeft + ThumbnailBoxWidth,
                   ThumbnailFirstTop + ThumbnailBoxTop + ThumbnailBoxHeight};
    int left = box.right, right = box.left, top = box.bottom, bottom = box.top;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (bitmap.at(x, y) != rgb(232, 232, 232) && bitmap.at(x, y) != rgb(240, 212, 184))
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    EXPECT_GT(bottom - top, right - left);

    pressKey(VK_OEM_MINUS, {VK_CONTROL, VK_SHIFT});
    EXPECT_EQ(state().quarterTurns, 0);
    EXPECT_EQ(painted(), upright) << "turned back";
    for (int turn = 0; turn < 4; ++turn) command(CommandRotateRight);
    EXPECT_EQ(state().quarterTurns, 0);
    EXPECT_EQ(painted(), upright) << "four turns";
    pressKey(VK_OEM_PLUS, {VK_CONTROL});
    EXPECT_EQ(state().quarterTurns, 0) << "Ctrl+Plus alone does not turn";
}

TEST_F(PageLookTest, FitWidthFitsTheTurnedPage) {
    command(CommandFitWidth);
    const float upright = state().zoom;
    command(CommandRotateLeft);
    EXPECT_EQ(state().quarterTurns, 3);
    // The turned page's width, 100 pixels, fills the view but for the
    // reserve (and a scroll bar that came with it).
    EXPECT_NEAR(state().zoom * kHeight, clientRect().right - FitWidthReserve, 20);
    EXPECT_GT(state().zoom, upright);
    command(CommandRotateRight);
    EXPECT_NEAR(state().zoom, upright, 0.01f);
}

TEST_F(PageLookTest, InvertedColoursTakeEachPixelsLightnessAndKeepItsHue) {
    const std::vector<std::uint32_t> plain = painted();
    pressKey('I');
    ASSERT_TRUE(state().inverted);
    PaintedBitmap bitmap(1000, 720);
    paint(bitmap);
    const PagePlacement at = placement();
    for (std::uint32_t y = 1; y < kHeight; ++y) {
        for (std::uint32_t x = 1; x < kWidth; ++x) {
            const std::uint32_t c = colourAt(x, y);
            const int r = c >> 16, g = (c >> 8) & 255, b = c & 255;
            const int shift = 255 - std::max({r, g, b}) - std::min({r, g, b});
            ASSERT_EQ(bitmap.at(at.origin.x + x, at.origin.y + y), rgb(r + shift, g + shift, b + shift)) << x << "," << y;
        }
    }
    EXPECT_NE(bitmap.at(ThumbnailBoxLeft + 80, ThumbnailFirstTop + 60), plain[(ThumbnailFirstTop + 60) * 1000 + ThumbnailBoxLeft + 80])
        << "the thumbnail is inverted too";
    pressKey('I');
    EXPECT_EQ(painted(), plain);
}

}  // namespace
}  // namespace orva::testing
