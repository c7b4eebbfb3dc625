// The soak run's own rules: what it reads from the title, where it expects a
// page change to land, which thumbnails it may click, which part of a page it
// compares, how it reads reference pages and what it calls flat.
#include "support/soak_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace orva::soak {
namespace {

TEST(SoakTitle, ReadsPageCountAndZoomFromTheEnd) {
    auto claim = parseTitle("libtasn1 - Page 7/36 (118%) - OrvaReader");
    ASSERT_TRUE(claim);
    EXPECT_EQ(claim->page, 6u);
    EXPECT_EQ(claim->count, 36u);
    EXPECT_EQ(claim->zoomPercent, 118u);
    // A name that itself looks like a title does not mislead the reading.
    claim = parseTitle("Notes - Page 1/2 (5%) - Page 12/40 (80%) - OrvaReader");
    ASSERT_TRUE(claim);
    EXPECT_EQ(claim->page, 11u);
    EXPECT_EQ(claim->count, 40u);
}

TEST(SoakTitle, NamesNoPageWithoutAnOpenDocument) {
    for (const char* title : {"OrvaReader", "OrvaReader - Loading...", "", "x - Page 0/3 (100%) - OrvaReader",
                              "x - Page 4/3 (100%) - OrvaReader", "x - Page 2/3 (100) - OrvaReader",
                              "x - Page 2/ (100%) - OrvaReader", "x - Page 2/3 (1a0%) - OrvaReader",
                              "x - Page -1/3 (100%) - OrvaReader"})
        EXPECT_FALSE(parseTitle(title)) << title;
}

TEST(SoakSteps, PageChangesStopAtTheEnds) {
    EXPECT_EQ(pageAfter(Action::PageDown, 4, 5, 0), 4u);
    EXPECT_EQ(pageAfter(Action::Down, 2, 5, 0), 3u);
    EXPECT_EQ(pageAfter(Action::PageUp, 0, 5, 0), 0u);
    EXPECT_EQ(pageAfter(Action::Up, 3, 5, 0), 2u);
    EXPECT_EQ(pageAfter(Action::Home, 3, 5, 0), 0u);
    EXPECT_EQ(pageAfter(Action::End, 0, 5, 0), 4u);
    EXPECT_EQ(pageAfter(Action::Thumbnail, 0, 5, 3), 3u);
    for (Action zoom : {Action::ZoomIn, Action::ZoomOut, Action::FitWidth, Action::ActualSize, Action::WheelPage,
                        Action::WheelStrip}) {
        EXPECT_FALSE(changesPage(zoom));
        EXPECT_EQ(pageAfter(zoom, 2, 5, 4), 2u);
    }
}

TEST(SoakSteps, APlanRepeatsForItsSeedAndFollowsItsMix) {
    StepPlan first(7, kMixedSteps), again(7, kMixedSteps), other(8, kMixedSteps);
    bool differs = false;
    for (int i = 0; i < 200; ++i) {
        const Step a = first.next(), b = again.next(), c = other.next();
        EXPECT_EQ(a.action, b.action);
        EXPECT_EQ(a.pick, b.pick);
        differs |= a.action != c.action;
    }
    EXPECT_TRUE(differs);

    StepPlan onward(3, kOnwardSteps);
    std::map<Action, int> seen;
    constexpr int kDraws = 20000;
    for (int i = 0; i < kDraws; ++i) ++seen[onward.next().action];
    unsigned total = 0;
    for (unsigned w : kOnwardSteps.weight) total += w;
    for (int a = 0; a < static_cast<int>(Action::Count); ++a) {
        const double expected = kDraws * double(kOnwardSteps.weight[a]) / total;
        if (kOnwardSteps.weight[a] == 0) {
            EXPECT_EQ(seen[Action(a)], 0) << kActionNames[a];
        } else {
            EXPECT_NEAR(seen[Action(a)], expected, expected * 0.15 + 30) << kActionNames[a];
        }
    }
}

TEST(SoakSteps, ClickableThumbnailsAreWhollyInTheStripAndHitTheirOwnPage) {
    const ClientArea client{0, 0, 992, 674};
    for (std::int32_t scroll : {0, 40, 100, 184 * 3 + 17}) {
        const auto pages = clickableThumbnails(client, scroll, 30);
        ASSERT_FALSE(pages.empty()) << scroll;
        for (std::uint64_t page : pages) {
            const std::int64_t top = thumbnailTop(client, scroll, page);
            EXPECT_GE(top, BandHeight);
            EXPECT_LE(top + ThumbnailHeight, client.bottom - BandHeight);
            const auto hit = thumbnailAt(client, scroll, 30, (ThumbnailFrameLeft + ThumbnailFrameRight) / 2,
                                         static_cast<std::int32_t>(top) + ThumbnailHeight / 2);
            EXPECT_EQ(hit, page);
        }
    }
    // A thumbnail cut by the strip's bottom edge is not offered.
    const auto pages = clickableThumbnails(client, 0, 30);
    EXPECT_EQ(pages.back(), 2u);  // frames at 32, 216, 400; the next at 584 ends below 650
}

TEST(SoakRegions, TheActualSizeRegionLiesInsideThePageAndTheView) {
    const ClientArea client{0, 0, 976, 658};
    struct Size {
        std::uint32_t w, h;
    };
    for (Size page : {Size{1275, 1650}, Size{300, 300}, Size{333, 222}, Size{1650, 1275}}) {
        const CompareRegion r = actualSizeRegion(client, page.w, page.h);
        ASSERT_FALSE(r.empty());
        EXPECT_GE(r.left, client.left);
        EXPECT_GE(r.top, client.top + BandHeight);
        EXPECT_LE(r.left + r.width, client.right);
        EXPECT_LE(r.top + r.height, client.bottom - BandHeight);
        EXPECT_GE(r.pageX, 0);
        EXPECT_GE(r.pageY, 0);
        EXPECT_LE(r.pageX + r.width, static_cast<std::int32_t>(page.w));
        EXPECT_LE(r.pageY + r.height, static_cast<std::int32_t>(page.h));
        // The region keeps away from the page's outline.
        const Point origin = pageOrigin(client, {std::int32_t(page.w), std::int32_t(page.h)}, 0, 0);
        EXPECT_GT(r.left, origin.x);
        EXPECT_GT(r.top, origin.y);
    }
}

TEST(SoakRegions, ARegionCutForTheSmallestClientStaysOnScreenInLargerOnes) {
    const ClientArea smallest{0, 0, 976, 658};
    for (std::uint32_t width : {300u, 1275u}) {
        const CompareRegion cut = actualSizeRegion(smallest, width, 1650);
        for (ClientArea larger : {smallest, ClientArea{0, 0, 992, 658}, ClientArea{0, 0, 976, 674},
                                  ClientArea{0, 0, 992, 674}}) {
            const CompareRegion placed = placedRegion(larger, width, 1650, cut);
            const Point origin = pageOrigin(larger, {std::int32_t(width), 1650}, 0, 0);
            EXPECT_EQ(placed.left - origin.x, cut.pageX);
            EXPECT_EQ(placed.top - origin.y, cut.pageY);
            EXPECT_GE(placed.left, larger.left);
            EXPECT_LE(placed.left + placed.width, larger.right);
            EXPECT_GE(placed.top, larger.top + BandHeight);
            EXPECT_LE(placed.top + placed.height, larger.bottom - BandHeight);
        }
    }
}

TEST(SoakRegions, TheColourProbeIsInsideEvenTheSmallestPage) {
    const ClientArea client{0, 0, 992, 674};
    const CompareRegion probe = colourProbe(client);
    // 200 x 200 pixels at the smallest zoom.
    const DisplayedSize page = displayedSize(200, 200, ZoomMin);
    const Point origin = pageOrigin(client, page, 0, 0);
    EXPECT_GT(probe.left, origin.x);
    EXPECT_GT(probe.top, origin.y);
    EXPECT_LT(probe.left + probe.width, origin.x + page.width);
    EXPECT_LT(probe.top + probe.height, origin.y + page.height);
}

std::vector<std::uint8_t> bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(SoakReferences, ReadsBinaryPpmWithComments) {
    const auto image = parsePpm(bytes(std::string("P6\n# made by hand\n2 1\n255\n") + std::string("\x01\x02\x03\xFF\x00\x10", 6)));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 2u);
    EXPECT_EQ(image->height, 1u);
    EXPECT_EQ(image->at(0, 0), 0x010203u);
    EXPECT_EQ(image->at(1, 0), 0xFF0010u);
    EXPECT_FALSE(image->solidColour());
    const auto solid = parsePpm(bytes(std::string("P6 2 2 255\n") + std::string(12, '\x40')));
    ASSERT_TRUE(solid);
    EXPECT_EQ(solid->solidColour(), 0x404040u);
}

TEST(SoakReferences, RejectsWhatItCannotReadWhole) {
    for (const std::string& text : {std::string("P5\n1 1\n255\n\x01"), std::string("P6\n1 1\n65535\n\x01\x02\x03"),
                                   std::string("P6\n2 1\n255\n\x01\x02\x03"), std::string("P6\n0 1\n255\n"),
                                   std::string("P6\n1\n"), std::string("P6\n99999999999 1\n255\n")})
        EXPECT_FALSE(parsePpm(bytes(text))) << text;
}

TEST(SoakReferences, ColoursAreCloseChannelByChannel) {
    EXPECT_TRUE(closeColours(0x102030, 0x131d33, 3));
    EXPECT_FALSE(closeColours(0x102030, 0x102034, 3));
    EXPECT_FALSE(closeColours(0x102030, 0x0c2030, 3));
}

TEST(SoakReferences, PagesOfColoursTooCloseToTellApartAreFound) {
    std::vector<std::optional<std::uint32_t>> colours{0x1e1e1e, std::nullopt, 0x46be6e, 0x1e46be};
    EXPECT_FALSE(lookAlikePages(colours, 6));
    colours.push_back(0x44bb70);  // within 6 of page 3 in every channel
    colours.push_back(std::nullopt);
    const auto pair = lookAlikePages(colours, 6);
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->first, 2u);
    EXPECT_EQ(pair->second, 4u);
}

TEST(SoakReferences, RasteriserNamesArePaddedToThePageCount) {
    EXPECT_EQ(rasteriserFileName(1, 9), "page-1.ppm");
    EXPECT_EQ(rasteriserFileName(1, 36), "page-01.ppm");
    EXPECT_EQ(rasteriserFileName(12, 200), "page-012.ppm");
    EXPECT_EQ(rasteriserFileName(200, 200), "page-200.ppm");
}

TEST(SoakFlatness, APdfKeepsThePagesShownAndTheirNeighbours) {
    PageCacheModel pdf(true, {10, 20, 30, 40, 50});
    EXPECT_EQ(pdf.bytes(), 10u);  // the first page renders on opening
    pdf.shown(2);
    EXPECT_EQ(pdf.bytes(), 10u + 20 + 30 + 40);
    pdf.shown(3);
    EXPECT_EQ(pdf.bytes(), 10u + 20 + 30 + 40 + 50);
    pdf.shown(4);
    pdf.shown(0);
    EXPECT_EQ(pdf.pages(), 5u);
    EXPECT_EQ(pdf.bytes(), 150u);

    PageCacheModel container(false, {10, 20, 30});
    container.shown(1);
    EXPECT_EQ(container.bytes(), 0u);
}

TEST(SoakFlatness, GrowthWithinTheAllowancePasses) {
    const Sample middle{100 << 20, 150 << 20, 64, 60};
    Sample end = middle;
    end.privateBytes += 4 << 20;
    end.handles += 6;
    end.gdiObjects += 2;
    EXPECT_TRUE(growthPastAllowance(middle, end, 0, false).empty());
    // Page images added since the middle are allowed on top of the slack.
    end.privateBytes = middle.privateBytes + (60 << 20);
    end.workingSet = middle.workingSet + (60 << 20);
    EXPECT_TRUE(growthPastAllowance(middle, end, 55 << 20, false).empty());
    EXPECT_FALSE(growthPastAllowance(middle, end, 40 << 20, false).empty());
}

TEST(SoakFlatness, EachMeasurePastItsAllowanceIsNamed) {
    const Sample middle{400 << 20, 400 << 20, 64, 60};
    Sample end = middle;
    end.privateBytes += 21 << 20;  // 5% of 400 MiB is 20 MiB
    end.handles += 7;
    end.gdiObjects += 3;
    const auto growth = growthPastAllowance(middle, end, 0, false);
    ASSERT_EQ(growth.size(), 3u);
    EXPECT_EQ(growth[0], "private +21504K");
    EXPECT_EQ(growth[1], "handles +7");
    EXPECT_EQ(growth[2], "gdi +3");
}

TEST(SoakFlatness, TheFirstMessageBoxMayAddItsDialogObjectsOnce) {
    const Sample middle{100 << 20, 150 << 20, 64, 61};
    Sample end = middle;
    end.gdiObjects = 91;
    EXPECT_EQ(growthPastAllowance(middle, end, 0, false).size(), 1u);
    EXPECT_TRUE(growthPastAllowance(middle, end, 0, true).empty());
    end.gdiObjects = 61 + 43;
    EXPECT_EQ(growthPastAllowance(middle, end, 0, true).size(), 1u);
}

Outcome cleanRun() {
    Outcome o;
    o.middle = o.end = Sample{50 << 20, 80 << 20, 64, 60};
    o.checks = 100;
    return o;
}

TEST(SoakVerdict, ACleanRunPassesAndEachFaultFailsItWithItsReason) {
    EXPECT_TRUE(failures(cleanRun()).empty());
    struct Case {
        void (*spoil)(Outcome&);
        const char* reason;
    };
    const Case cases[] = {
        {[](Outcome& o) { o.failure = "the viewer did not close"; }, "the viewer did not close"},
        {[](Outcome& o) { o.exitCode = 3; }, "exit status 3"},
        {[](Outcome& o) { o.end.handles += 10; }, "not flat: handles +10"},
        {[](Outcome& o) { o.wrongPages = 4; }, "4 wrong pages"},
        {[](Outcome& o) { o.titleMismatches = 2; }, "2 titles naming another page"},
        {[](Outcome& o) { o.unexpectedMessages = 1; }, "1 unexpected messages"},
        {[](Outcome& o) { o.filesLeft = 2; }, "2 files left"},
        {[](Outcome& o) { o.checks = 0; }, "nothing was checked"},
    };
    for (const Case& c : cases) {
        Outcome o = cleanRun();
        c.spoil(o);
        const auto reasons = failures(o);
        ASSERT_EQ(reasons.size(), 1u) << c.reason;
        EXPECT_EQ(reasons[0], c.reason);
    }
}

TEST(SoakVerdict, MessagesAreExpectedOnlyWhileTempIsFullAndRecoveryIsRequired) {
    Outcome o = cleanRun();
    o.expectedMessages = 3;
    EXPECT_TRUE(failures(o).empty());
    o.fillsTemp = true;
    o.recovered = true;
    EXPECT_TRUE(failures(o).empty());
    o.recovered = false;
    EXPECT_EQ(failures(o), std::vector<std::string>{"no page shown after space came back"});
    o.recovered = true;
    o.expectedMessages = 0;
    EXPECT_EQ(failures(o), std::vector<std::string>{"no message while TEMP was full"});
}

}  // namespace
}  // namespace orva::soak
