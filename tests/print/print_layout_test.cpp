#include <gtest/gtest.h>

#include "print/print_state.h"
#include "print/preview_title.h"
#include "print/print_layout.h"

namespace orva {
namespace {

TEST(PrintLayout, UsableExtentKeepsTwoMarginsAndAtLeastOnePixel) {
    const std::pair<int, int> cases[] = {{4800, 4700}, {6600, 6500}, {103, 3}, {102, 2},
                                         {101, 1},     {100, 1},     {0, 1},    {-20, 1}};
    for (auto [resolution, usable] : cases) EXPECT_EQ(usablePrintExtent(resolution), usable) << resolution;
}

TEST(PrintLayout, PlacesPagesCentredAndScaledInsideTheMargin) {
    struct Case {
        int horzRes, vertRes;
        std::uint32_t w, h;
        PlacedRect expected;
    };
    const Case cases[] = {
        {4800, 6600, 1275, 1650, {50, 259, 4700, 6082}},  // portrait fills the width
        {4800, 6600, 1650, 1275, {50, 1484, 4700, 3631}},  // landscape
        {4800, 6600, 1, 1, {50, 950, 4700, 4700}},         // a tiny page is enlarged
        {4800, 6600, 9400, 13000, {50, 50, 4700, 6500}},   // exactly twice the area
        {4800, 6600, 100, 1000, {2075, 50, 650, 6500}},    // narrow: fills the height
        {101, 6600, 1275, 1650, {50, 3299, 1, 1}},         // too narrow for both margins
        {101, 6600, 1700, 1650, {50, 3300, 0, 0}},         // truncation leaves nothing
        {60, 60, 1275, 1650, {50, 50, 0, 1}},
    };
    for (const Case& c : cases) {
        const PlacedRect got =
            placePrintedPage(usablePrintExtent(c.horzRes), usablePrintExtent(c.vertRes), c.w, c.h);
        EXPECT_EQ(got.x, c.expected.x) << c.w << "x" << c.h << " on " << c.horzRes;
        EXPECT_EQ(got.y, c.expected.y) << c.w << "x" << c.h << " on " << c.horzRes;
        EXPECT_EQ(got.width, c.expected.width) << c.w << "x" << c.h << " on " << c.horzRes;
        EXPECT_EQ(got.height, c.expected.height) << c.w << "x" << c.h << " on " << c.horzRes;
    }
}

TEST(PrintLayout, ZeroSizedPagesPlaceNothingInsteadOfAnUndefinedSize) {
    const PlacedRect flat = placePrintedPage(4700, 6500, 0, 0);
    EXPECT_EQ(flat.width, 0);
    EXPECT_EQ(flat.height, 0);
    EXPECT_EQ(flat.x, 2400);
    EXPECT_EQ(flat.y, 3300);
    const PlacedRect noWidth = placePrintedPage(4700, 6500, 0, 1650);
    EXPECT_EQ(noWidth.width, 0);
    EXPECT_EQ(noWidth.height, 6500);
}

TEST(PreviewLayout, SheetShadowAndImageFollowTheClientArea) {
    struct Case {
        int cw, ch;
        std::uint32_t w, h;
        int paper[4];
        PlacedRect image;
    };
    const Case cases[] = {
        {852, 600, 1275, 1650, {209, 20, 643, 580}, {213, 24, 426, 552}},
        {40, 40, 1275, 1650, {20, 20, 28, 29}, {24, 24, 0, 1}},
        {48, 48, 10, 10, {20, 20, 29, 29}, {24, 24, 1, 1}},  // below 49 the area is 1 x 1
        {1048, 248, 100, 100, {420, 20, 628, 228}, {424, 24, 200, 200}},
    };
    for (const Case& c : cases) {
        const PreviewLayout got = layoutPreview(c.cw, c.ch, c.w, c.h);
        EXPECT_EQ(got.paperLeft, c.paper[0]) << c.cw << "x" << c.ch;
        EXPECT_EQ(got.paperTop, c.paper[1]) << c.cw << "x" << c.ch;
        EXPECT_EQ(got.paperRight, c.paper[2]) << c.cw << "x" << c.ch;
        EXPECT_EQ(got.paperBottom, c.paper[3]) << c.cw << "x" << c.ch;
        EXPECT_EQ(got.shadowLeft, c.paper[0] + 6);
        EXPECT_EQ(got.shadowTop, c.paper[1] + 6);
        EXPECT_EQ(got.shadowRight, c.paper[2] + 6);
        EXPECT_EQ(got.shadowBottom, c.paper[3] + 6);
        EXPECT_EQ(got.image.x, c.image.x) << c.cw << "x" << c.ch;
        EXPECT_EQ(got.image.y, c.image.y) << c.cw << "x" << c.ch;
        EXPECT_EQ(got.image.width, c.image.width) << c.cw << "x" << c.ch;
        EXPECT_EQ(got.image.height, c.image.height) << c.cw << "x" << c.ch;
    }
}

TEST(PrintRange, DialogFieldsHoldAtMost65535Pages) {
    const std::pair<std::uint64_t, std::uint16_t> cases[] = {
        {0, 0}, {1, 1}, {5, 5}, {65535, 65535}, {65536, 65535}, {70000, 65535}, {UINT64_MAX, 65535}};
    for (auto [count, limit] : cases) EXPECT_EQ(dialogPageLimit(count), limit) << count;
}

TEST(PrintRange, ResolvesTheDialogAnswerAgainstThePageCountReadAfterIt) {
    struct Case {
        const char* what;
        DialogRange dialog;
        std::uint64_t pageCount;
        std::uint64_t first, last;
    };
    const Case cases[] = {
        {"all pages", {false, 1, 5, 1, 5}, 5, 0, 4},
        {"all pages of a closed document", {false, 1, 5, 1, 5}, 0, 0, 0},
        {"all pages past the dialog's range", {false, 1, 65535, 1, 65535}, 70000, 0, 69999},
        {"pages 2 to 3", {true, 2, 3, 1, 5}, 5, 1, 2},
        {"one page", {true, 4, 4, 1, 5}, 5, 3, 3},
        {"document shrank while the dialog was open", {true, 4, 5, 1, 5}, 3, 2, 2},
        {"document closed, range chosen", {true, 2, 3, 1, 5}, 0, 0, 0},
        {"maximum below the count limits", {true, 1, 9, 1, 4}, 9, 0, 3},
        {"maximum 0 is no limit", {true, 2, 9, 1, 0}, 5, 1, 4},
        {"from below the minimum", {true, 1, 5, 3, 5}, 5, 2, 4},
        {"from 0 and minimum 0", {true, 0, 2, 0, 5}, 5, 0, 1},
        {"to below from", {true, 4, 2, 1, 5}, 5, 3, 3},
        {"from past the end", {true, 9, 12, 1, 12}, 5, 4, 4},
        {"the last page the dialog can name", {true, 65535, 65535, 1, 65535}, 70000, 65534, 65534},
        {"a range of a huge document", {true, 100, 200, 1, 65535}, 65536, 99, 199},
    };
    for (const Case& c : cases) {
        const PrintRange got = resolvePrintRange(c.dialog, c.pageCount);
        EXPECT_EQ(got.first, c.first) << c.what;
        EXPECT_EQ(got.last, c.last) << c.what;
    }
}

TEST(PreviewTitle, NamesThePreviewedPageOfTheCount) {
    Allocator allocator;
    PrintState state;
    EXPECT_EQ(composePreviewTitle(state).view(), "Print Preview - OrvaReader");
    auto pages = OwnedArray<PageImage>::create(allocator, 12);
    ASSERT_TRUE(pages);
    state.document.pages = std::move(*pages);
    state.documentLoaded = true;
    state.previewPage = 2;
    EXPECT_EQ(composePreviewTitle(state).view(), "Print Preview - Page 3/12 - OrvaReader");
    state.previewPage = 30;  // past a document opened since: the number still reads
    EXPECT_EQ(composePreviewTitle(state).view(), "Print Preview - Page 31/12 - OrvaReader");
    state.documentLoaded = false;
    EXPECT_EQ(composePreviewTitle(state).view(), "Print Preview - OrvaReader");
    state.document = Document{};
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

}  // namespace
}  // namespace orva
