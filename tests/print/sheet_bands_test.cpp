#include "print/sheet_bands.h"

#include <gtest/gtest.h>

#include <vector>

namespace orva {
namespace {

// A sheet at any resolution and turn: the render is the placed rectangle's
// size at the printer's resolution (at most 600 dpi), in its own
// orientation; its bands stay within the budget and, drawn where
// bandOnSheet puts them, cover the rectangle exactly once.
TEST(SheetBands, BandsTileThePlacedPageWithinTheirBudget) {
    struct Case {
        const char* what;
        PlacedRect place;
        int dpiX, dpiY;
        std::uint8_t turns;
        std::uint32_t width, height;  // the render, unturned
        std::uint32_t bands;
    } const cases[] = {
        {"letter on A4 at 300 dpi: one band", {50, 52, 2380, 3080}, 300, 300, 0, 2380, 3080, 1},
        {"the same at 600 dpi", {50, 104, 4760, 6160}, 600, 600, 0, 4760, 6160, 4},
        {"1200 dpi renders at 600", {50, 104, 9520, 12320}, 1200, 1200, 0, 4760, 6160, 4},
        {"a quarter turn renders the page upright", {50, 700, 4760, 3678}, 600, 600, 1, 3678, 4760, 3},
        {"half a turn", {50, 104, 4760, 6160}, 600, 600, 2, 4760, 6160, 4},
        {"three quarters, uneven resolutions", {50, 80, 2380, 1839}, 300, 600, 3, 1839, 2380, 1},
    };
    constexpr std::uint64_t kBudget = std::uint64_t{64} << 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SheetRender render = planSheetRender(c.place, c.dpiX, c.dpiY, c.turns, kBudget);
        EXPECT_EQ(render.scaledWidth, c.width);
        EXPECT_EQ(render.scaledHeight, c.height);
        ASSERT_GT(render.bandRows, 0u);
        EXPECT_LE(std::uint64_t{render.bandRows} * render.scaledWidth * 3 * 3, kBudget);
        std::vector<PlacedRect> drawn;
        std::uint32_t bands = 0;
        for (std::uint32_t top = 0; top < render.scaledHeight; top += render.bandRows, ++bands) {
            const std::uint32_t rows = std::min(render.bandRows, render.scaledHeight - top);
            const PlacedRect at = bandOnSheet(render, c.place, top, rows);
            ASSERT_GE(at.x, c.place.x);
            ASSERT_GE(at.y, c.place.y);
            ASSERT_LE(at.x + at.width, c.place.x + c.place.width);
            ASSERT_LE(at.y + at.height, c.place.y + c.place.height);
            drawn.push_back(at);
        }
        EXPECT_EQ(bands, c.bands);
        // Inside the rectangle, no two overlapping, together as large as it:
        // every pixel drawn by exactly one band.
        std::int64_t area = 0;
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            area += std::int64_t{drawn[i].width} * drawn[i].height;
            for (std::size_t j = 0; j < i; ++j) {
                const PlacedRect &a = drawn[i], &b = drawn[j];
                EXPECT_TRUE(a.x >= b.x + b.width || b.x >= a.x + a.width || a.y >= b.y + b.height ||
                            b.y >= a.y + a.height)
                    << "bands " << j << " and " << i << " overlap";
            }
        }
        EXPECT_EQ(area, std::int64_t{c.place.width} * c.place.height);
    }
    EXPECT_EQ(planSheetRender({50, 50, 0, 100}, 300, 300, 0, kBudget).bandRows, 0u) << "no room, no render";
}

}  // namespace
}  // namespace orva
