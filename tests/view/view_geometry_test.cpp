#include "view/view_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace orva {
namespace {

constexpr ClientArea kWindow{0, 0, 1000, 720};  // page view 812 x 672

TEST(ViewZoom, StepsStayWithinTheLimitsInSinglePrecision) {
    struct Case {
        float zoom, factor, expected;
    };
    const Case cases[] = {
        {0.0f, ZoomInFactor, 0.1f},   // the first zoom before any document
        {0.0f, ZoomOutFactor, 0.1f},  //
        {1.0f, ZoomInFactor, 1.25f},
        {1.0f, ZoomOutFactor, 0.8f},
        {1.0f, WheelZoomInFactor, 1.1f},
        {1.0f, WheelZoomOutFactor, 0.90909094f},
        {7.0f, ZoomInFactor, 8.0f},
        {0.12f, ZoomOutFactor, 0.1f},
        {20.0f, ZoomOutFactor, 8.0f},   // a fitted zoom past the top comes down to it
        {0.01f, ZoomInFactor, 0.1f},    // and one below the bottom comes up
        {-3.0f, ZoomInFactor, 0.1f},
    };
    for (const Case& c : cases) EXPECT_EQ(steppedZoom(c.zoom, c.factor), c.expected) << c.zoom << " x " << c.factor;
    // One wheel notch down and one up lands back on 1 exactly.
    EXPECT_EQ(steppedZoom(steppedZoom(1.0f, WheelZoomOutFactor), WheelZoomInFactor), 1.0f);
}

TEST(ViewZoom, RepeatedStepsStopExactlyAtTheLimits) {
    float in = 1.0f, out = 1.0f, wheelIn = 0.0f, wheelOut = 3.0f;
    for (int i = 0; i < 60; ++i) {
        in = steppedZoom(in, ZoomInFactor);
        out = steppedZoom(out, ZoomOutFactor);
        wheelIn = steppedZoom(wheelIn, WheelZoomInFactor);
        wheelOut = steppedZoom(wheelOut, WheelZoomOutFactor);
    }
    EXPECT_EQ(in, 8.0f);
    EXPECT_EQ(wheelIn, 8.0f);
    EXPECT_EQ(out, 0.1f);
    EXPECT_EQ(wheelOut, 0.1f);
}

TEST(ViewZoom, DisplayedSizeTruncatesTheSinglePrecisionProduct) {
    struct Case {
        std::uint32_t side;
        float zoom;
        std::int32_t expected;
    };
    const Case cases[] = {
        {1275, 1.0f, 1275},
        {1275, 0.5f, 637},
        {3, 0.9f, 2},
        {1000, 0.1f, 100},
        // 0.7f is just below 0.7: in double 10 x 0.7f is 6.99999988, in
        // single it rounds to 7.
        {10, 0.7f, 7},
        {1650, 772.0f / 1275.0f, 999},
        {0, 8.0f, 0},
        {1275, 0.0f, 0},
        {1275, -1.0f, 0},
        {1275, std::numeric_limits<float>::quiet_NaN(), 0},
        {1275, std::numeric_limits<float>::infinity(), MaxDisplayedSize},
        {0, std::numeric_limits<float>::infinity(), 0},  // 0 x inf is not a number
        {4'000'000'000u, 8.0f, MaxDisplayedSize},
    };
    for (const Case& c : cases) EXPECT_EQ(displayedLength(c.side, c.zoom), c.expected) << c.side << " x " << c.zoom;
    const DisplayedSize both = displayedSize(1275, 1650, 0.5f);
    EXPECT_EQ(both.width, 637);
    EXPECT_EQ(both.height, 825);
}

TEST(ViewZoom, FitWidthFillsTheViewAndNeverYieldsAnUnusableZoom) {
    struct Case {
        ClientArea client;
        std::uint32_t width;
        std::optional<float> expected;
    };
    const Case cases[] = {
        {{0, 0, 1228, 700}, 1000, 1.0f},
        {{100, 0, 1328, 700}, 1000, 1.0f},  // the width, not the right edge
        {kWindow, 1275, 772.0f / 1275.0f},
        {{0, 0, 10228, 700}, 100, 100.0f},  // not clamped to the zoom limits
        {{0, 0, 238, 700}, 1000, 0.01f},
        {{0, 0, 229, 700}, 1, 1.0f},
        // No room for the page: the smallest zoom, never 0 or below.
        {{0, 0, 228, 700}, 1000, ZoomMin},
        {{0, 0, 100, 700}, 1000, ZoomMin},
        {{0, 0, 0, 0}, 1, ZoomMin},
        // A page of width 0 leaves the zoom as it is.
        {kWindow, 0, std::nullopt},
        {{0, 0, 100, 700}, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto zoom = fitWidthZoomFor(c.client, c.width);
        ASSERT_EQ(zoom.has_value(), c.expected.has_value()) << c.client.right << " / " << c.width;
        if (zoom) {
            EXPECT_EQ(*zoom, *c.expected) << c.client.right << " / " << c.width;
        }
    }
}

TEST(ViewScroll, LimitsAreTheOverhangOfThePageOverTheView) {
    struct Case {
        ClientArea client;
        DisplayedSize displayed;
        std::int32_t horizontal, vertical;
    };
    const Case cases[] = {
        {kWindow, {800, 600}, 0, 0},
        {kWindow, {812, 672}, 0, 0},
        {kWindow, {813, 673}, 1, 1},
        {kWindow, {1000, 1000}, 188, 328},
        {{0, 0, 100, 40}, {10, 0}, 98, 8},  // a view of negative size
        {{50, 30, 1050, 750}, {1000, 1000}, 188, 328},
    };
    for (const Case& c : cases) {
        const ScrollLimits limits = scrollLimits(c.client, c.displayed);
        EXPECT_EQ(limits.horizontal, c.horizontal) << c.displayed.width;
        EXPECT_EQ(limits.vertical, c.vertical) << c.displayed.height;
    }
    EXPECT_EQ(clampScroll(-5, 100), 0);
    EXPECT_EQ(clampScroll(50, 100), 50);
    EXPECT_EQ(clampScroll(150, 100), 100);
    EXPECT_EQ(clampScroll(150, 0), 0);
}

TEST(ViewScroll, StepTableWithThumbAndFloor) {
    struct Case {
        std::int32_t position;
        unsigned code, thumb;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {100, 0, 0, 70},        {10, 0, 0, 0},          {100, 1, 0, 130},     {100, 2, 0, 0},
        {300, 2, 0, 100},       {100, 3, 0, 300},       {5, 4, 65535, 65535}, {70000, 5, 12, 12},
        {70000, 4, 0, 0},       {65500, 3, 0, 65700},   {65535, 1, 0, 65565}, {100, 6, 50, std::nullopt},
        {100, 7, 50, std::nullopt}, {100, 8, 50, std::nullopt}, {100, 0xFFFF, 50, std::nullopt},
        {std::numeric_limits<std::int32_t>::max(), 3, 0, std::numeric_limits<std::int32_t>::max()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(steppedScroll(c.position, c.code, c.thumb), c.expected) << c.position << " code " << c.code;
    }
}

TEST(ViewSidebar, ScrollLimitClampAndReveal) {
    EXPECT_EQ(sidebarScrollLimit(kWindow, 3), 0);      // 8 + 552 fits in 672
    EXPECT_EQ(sidebarScrollLimit(kWindow, 10), 1176);  // 8 + 1840 - 672
    EXPECT_EQ(sidebarScrollLimit(kWindow, std::uint64_t{1} << 40), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(clampedSidebarScroll(-40, kWindow, 10), 0);
    EXPECT_EQ(clampedSidebarScroll(5000, kWindow, 10), 1176);
    EXPECT_EQ(clampedSidebarScroll(500, kWindow, 3), 0);
    EXPECT_EQ(clampedSidebarScroll(500, kWindow, 10), 500);

    struct Case {
        ClientArea client;
        std::int32_t scroll;
        std::uint64_t page, count;
        std::int32_t expected;
    };
    const ClientArea shortView{0, 0, 1000, 100};  // 52 pixels: less than one frame
    const Case cases[] = {
        {kWindow, 0, 0, 10, 0},
        {kWindow, 0, 3, 10, 64},       // bottom 736 comes to 672
        {kWindow, 0, 9, 10, 1168},     // the last one
        {kWindow, 1000, 2, 10, 376},   // its top comes to the top
        {kWindow, 1000, 0, 10, 8},     // the first one's top comes to the strip's top
        {kWindow, 100, 1, 10, 100},    // already in view
        {kWindow, 5000, 9, 10, 1176},  // a stale scroll past the end is clamped
        {kWindow, 0, 2, 3, 0},         // no room to scroll at all
        {shortView, 0, 1, 2, 316},     // the top is below, so the bottom is brought up
        {shortView, 400, 1, 2, 192},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(revealedSidebarScroll(c.scroll, c.client, c.page, c.count), c.expected)
            << "scroll " << c.scroll << " page " << c.page;
    }
}

TEST(ViewSidebar, AreaIsTheStripBetweenTheBands) {
    struct Case {
        ClientArea client;
        std::int32_t x, y;
        bool inside;
    };
    const ClientArea shifted{10, 20, 1010, 740};
    const Case cases[] = {
        {kWindow, 0, 24, true},     {kWindow, 187, 696, true},  {kWindow, 188, 100, false},
        {kWindow, -1, 100, false},  {kWindow, 0, 23, false},    {kWindow, 0, 697, false},
        {shifted, 10, 44, true},    {shifted, 197, 716, true},  {shifted, 198, 44, false},
        {shifted, 9, 44, false},    {shifted, 10, 43, false},   {shifted, 10, 717, false},
    };
    for (const Case& c : cases) EXPECT_EQ(inSidebarArea(c.client, c.x, c.y), c.inside) << c.x << "," << c.y;
}

// The hit test as the strip is drawn: try every page in order.
std::optional<std::uint64_t> hitByTrying(const ClientArea& client, std::int32_t scroll, std::uint64_t count,
                                         std::int32_t x, std::int32_t y) {
    if (!inSidebarArea(client, x, y)) return std::nullopt;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::int64_t top = client.top + 32 + 184 * static_cast<std::int64_t>(i) - scroll;
        if (top <= y && y < top + 176) return i;
    }
    return std::nullopt;
}

TEST(ViewSidebar, ThumbnailHitTest) {
    struct Case {
        std::int32_t scroll, x, y;
        std::optional<std::uint64_t> page;
    };
    const Case cases[] = {
        {0, 50, 32, 0},     {0, 50, 207, 0},    {0, 50, 208, std::nullopt}, {0, 50, 213, std::nullopt},
        {0, 50, 215, std::nullopt}, {0, 50, 216, 1}, {0, 0, 400, 2},  {0, 187, 400, 2},
        {0, 188, 400, std::nullopt}, {0, 50, 31, std::nullopt},       {0, 50, 24, std::nullopt},
        {0, 50, 584, std::nullopt},  // where a fourth page would be
        {100, 50, 32, 0},  {100, 50, 107, 0}, {100, 50, 108, std::nullopt}, {100, 50, 116, 1},
        {300, 50, 24, 1},  // page 1 reaches above the strip; its visible part is hit
    };
    for (const Case& c : cases) {
        EXPECT_EQ(thumbnailAt(kWindow, c.scroll, 3, c.x, c.y), c.page) << "scroll " << c.scroll << " y " << c.y;
    }
    for (const ClientArea client : {kWindow, ClientArea{5, 7, 300, 500}}) {
        for (std::int32_t scroll : {0, 1, 8, 100, 183, 184, 185, 1000}) {
            for (std::int32_t y = -10; y < 760; ++y) {
                for (std::uint64_t count : {1u, 3u, 12u}) {
                    ASSERT_EQ(thumbnailAt(client, scroll, count, client.left + 20, y),
                              hitByTrying(client, scroll, count, client.left + 20, y))
                        << "scroll " << scroll << " y " << y << " count " << count;
                }
            }
        }
    }
}

TEST(ViewSidebar, VisibleThumbnailsAreExactlyThoseThatReachTheStrip) {
    for (const std::int32_t height : {0, 40, 48, 100, 230, 720, 1000}) {
        const ClientArea client{0, 3, 1000, 3 + height};
        for (std::int32_t scroll = 0; scroll < 1200; scroll += 7) {
            for (std::uint64_t count : {1u, 3u, 20u}) {
                const PageRange range = visibleThumbnails(client, scroll, count);
                for (std::uint64_t i = 0; i < count; ++i) {
                    const std::int64_t top = thumbnailTop(client, scroll, i);
                    const bool shown = top + 176 >= client.top + 24 && top <= client.bottom - 24;
                    ASSERT_EQ(i >= range.first && i < range.end, shown)
                        << "height " << height << " scroll " << scroll << " page " << i;
                }
            }
        }
    }
    EXPECT_EQ(thumbnailTop(kWindow, 100, 2), 32 + 368 - 100);
}

TEST(ViewLayout, ThumbnailImageIsScaledIntoItsBoxAndCentred) {
    struct Case {
        std::uint32_t width, height;
        PlacedImage expected;
    };
    const Case cases[] = {
        {100, 100, {6, 0, 148, 148}},
        {1275, 1650, {23, 0, 114, 148}},
        {320, 10, {0, 71, 160, 5}},
        {1, 1, {6, 0, 148, 148}},
        {1, 1'000'000, {80, 0, 0, 148}},
        {160, 148, {0, 0, 160, 148}},
    };
    for (const Case& c : cases) {
        const auto placed = thumbnailImage(c.width, c.height);
        ASSERT_TRUE(placed.has_value()) << c.width << "x" << c.height;
        EXPECT_EQ(placed->x, c.expected.x) << c.width << "x" << c.height;
        EXPECT_EQ(placed->y, c.expected.y) << c.width << "x" << c.height;
        EXPECT_EQ(placed->width, c.expected.width) << c.width << "x" << c.height;
        EXPECT_EQ(placed->height, c.expected.height) << c.width << "x" << c.height;
    }
    EXPECT_FALSE(thumbnailImage(0, 100).has_value());
    EXPECT_FALSE(thumbnailImage(100, 0).has_value());
}

TEST(ViewLayout, PageIsCentredInTheViewAndShiftedByTheScroll) {
    struct Case {
        ClientArea client;
        DisplayedSize displayed;
        std::int32_t scrollX, scrollY;
        Point expected;
    };
    const Case cases[] = {
        {kWindow, {500, 400}, 0, 0, {344, 44}},
        {kWindow, {812, 400}, 0, 0, {188, 44}},
        {kWindow, {1200, 400}, 0, 0, {-6, 44}},  // wider than the view: starts left of it
        {kWindow, {1201, 400}, 0, 0, {-6, 44}},  // -389 / 2 truncates toward zero
        {kWindow, {500, 400}, 30, 50, {314, -6}},
        {{10, 20, 1010, 740}, {500, 400}, 0, 0, {354, 64}},
    };
    for (const Case& c : cases) {
        const Point origin = pageOrigin(c.client, c.displayed, c.scrollX, c.scrollY);
        EXPECT_EQ(origin.x, c.expected.x) << c.displayed.width;
        EXPECT_EQ(origin.y, c.expected.y) << c.displayed.width;
    }
}

TEST(ViewPages, PageChangeTargetsClampToTheLastPage) {
    constexpr std::uint64_t kLast = std::numeric_limits<std::uint64_t>::max();
    EXPECT_EQ(pageChangeTarget(0, 5), 0u);
    EXPECT_EQ(pageChangeTarget(4, 5), 4u);
    EXPECT_EQ(pageChangeTarget(5, 5), 4u);
    EXPECT_EQ(pageChangeTarget(kLast, 5), 4u);
    EXPECT_EQ(pageChangeTarget(kLast, 1), 0u);
    EXPECT_EQ(previousPageIndex(0), 0u);
    EXPECT_EQ(previousPageIndex(3), 2u);
}

}  // namespace
}  // namespace orva
