#include "view/sharp_parts.h"

#include <gtest/gtest.h>

namespace orva {
namespace {

// Where the view wants its sharp part, and where the part it gets is drawn,
// for a page placed by the view's own placement: a part drawn where
// partInView says covers exactly the client rectangle that toClient gives
// for the same pixels, at every turn.
TEST(SharpParts, WantedPartsLieUnderTheViewAtEveryTurn) {
    const ClientArea client{0, 0, 1000, 720};
    const ClientRect view{SidebarWidth, BandHeight, 1000, 720 - BandHeight};
    struct Case {
        const char* what;
        std::uint32_t w, h;
        float zoom;
        std::int32_t scrollX, scrollY;
        std::uint8_t turns;
    } const cases[] = {
        {"letter at 200 %, top left", 1275, 1650, 2.0f, 0, 0, 0},
        {"letter at 200 %, scrolled", 1275, 1650, 2.0f, 900, 1500, 0},
        {"letter at 200 %, a quarter turn", 1275, 1650, 2.0f, 300, 200, 1},
        {"letter at 200 %, half a turn", 1275, 1650, 2.0f, 1000, 2000, 2},
        {"letter at 200 %, three quarters", 1275, 1650, 2.0f, 40, 700, 3},
        {"a small page larger, centred", 300, 200, 1.5f, 0, 0, 1},
        {"wheel zoom", 1275, 1650, 1.1f, 55, 33, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PagePlacement placement = placePage(client, c.w, c.h, c.zoom, c.scrollX, c.scrollY, c.turns);
        const ShownPage shown = shownPage(placement);
        ASSERT_TRUE(shownLarger(shown, c.w, c.h));
        const ScaledSize scaled = scaledPageSize(shown);
        EXPECT_EQ(scaled.width, static_cast<std::uint32_t>(displayedLength(c.w, c.zoom)));
        EXPECT_EQ(scaled.height, static_cast<std::uint32_t>(displayedLength(c.h, c.zoom)));

        const auto wanted = wantedPart(view, shown, kSharpMargin);
        ASSERT_TRUE(wanted);
        EXPECT_LE(wanted->x + wanted->width, scaled.width);
        EXPECT_LE(wanted->y + wanted->height, scaled.height);
        const ClientRect drawn = partInView(shown, *wanted);
        // The part, drawn, covers the view's share of the page, and reaches
        // past it by the margin at most.
        const ClientRect page{placement.origin.x, placement.origin.y, placement.origin.x + placement.displayed.width,
                              placement.origin.y + placement.displayed.height};
        EXPECT_LE(drawn.left, std::max(view.left, page.left));
        EXPECT_LE(drawn.top, std::max(view.top, page.top));
        EXPECT_GE(drawn.right, std::min(view.right, page.right));
        EXPECT_GE(drawn.bottom, std::min(view.bottom, page.bottom));
        EXPECT_GE(drawn.left, std::max(view.left, page.left) - static_cast<std::int32_t>(kSharpMargin));
        EXPECT_LE(drawn.right, std::min(view.right, page.right) + static_cast<std::int32_t>(kSharpMargin));
        // The same pixels, mapped by the placement (what text marks use):
        // scaled pixels are image pixels times the zoom.
        const float sx = static_cast<float>(c.w) / static_cast<float>(scaled.width);
        const float sy = static_cast<float>(c.h) / static_cast<float>(scaled.height);
        const ClientRect mapped = toClient(placement, TextBox{wanted->x * sx, wanted->y * sy,
                                                              (wanted->x + wanted->width) * sx,
                                                              (wanted->y + wanted->height) * sy});
        EXPECT_NEAR(mapped.left, drawn.left, 1);
        EXPECT_NEAR(mapped.top, drawn.top, 1);
        EXPECT_NEAR(mapped.right, drawn.right, 1);
        EXPECT_NEAR(mapped.bottom, drawn.bottom, 1);
    }
}

TEST(SharpParts, TurnedRectanglesTurnBackAndNothingIsWantedOutOfView) {
    const PartRect r{10, 20, 30, 5};
    for (std::uint8_t turns = 0; turns < 4; ++turns) {
        const PartRect t = turnedRect(r, 100, 60, turns);
        EXPECT_EQ(unturnedRect(t, 100, 60, turns), r) << int(turns);
        const bool sideways = (turns & 1) != 0;
        EXPECT_LE(t.x + t.width, sideways ? 60u : 100u);
        EXPECT_LE(t.y + t.height, sideways ? 100u : 60u);
    }
    EXPECT_EQ(turnedRect(r, 100, 60, 1), (PartRect{35, 10, 5, 30}));
    EXPECT_EQ(turnedRect(r, 100, 60, 2), (PartRect{60, 35, 30, 5}));
    EXPECT_EQ(turnedRect(r, 100, 60, 3), (PartRect{20, 60, 5, 30}));

    const ClientRect view{188, 24, 1000, 696};
    EXPECT_FALSE(wantedPart(view, {-5000, 24, 2550, 3300, 0}, 64)) << "scrolled past the page";
    EXPECT_FALSE(wantedPart(view, {188, 700, 2550, 3300, 0}, 64)) << "below the view";
    const auto whole = wantedPart(view, {300, 100, 400, 300, 0}, 64);
    ASSERT_TRUE(whole);
    EXPECT_EQ(*whole, (PartRect{0, 0, 400, 300})) << "a page inside the view is wanted whole";
    EXPECT_FALSE(shownLarger({0, 0, 1275, 1650, 0}, 1275, 1650));
    EXPECT_TRUE(shownLarger({0, 0, 1651, 1276, 1}, 1275, 1650));
}

}  // namespace
}  // namespace orva
