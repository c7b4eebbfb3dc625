#include "document/page_parts.h"

#include <gtest/gtest.h>

#include "document/page_memory.h"
#include "support/test_document.h"

namespace orva {
namespace {

PagePart partOf(Allocator& allocator, std::uint64_t page, ScaledSize scaled, PartRect at) {
    PagePart part;
    part.picture = testing::solidPage(allocator, at.width, at.height, 0x808080);
    part.page = page;
    part.scaledWidth = scaled.width;
    part.scaledHeight = scaled.height;
    part.x = at.x;
    part.y = at.y;
    return part;
}

TEST(PageParts, KeepsAFewFindsTheOneHoldingARectangleAndDrawsTheNewestLast) {
    Allocator allocator;
    Document document = testing::makeDocument(allocator, std::vector<PageImage>(3));
    document.kind = DocumentKind::Pdf;
    const ScaledSize at200{2550, 3300}, at220{2805, 3630};
    keepPart(document, partOf(allocator, 1, at200, {0, 0, 800, 600}));
    keepPart(document, partOf(allocator, 1, at200, {500, 400, 800, 600}));
    keepPart(document, partOf(allocator, 1, at220, {0, 0, 800, 600}));

    struct Case {
        std::uint64_t page;
        ScaledSize scaled;
        PartRect wanted;
        int expectedX;  // -1: none
    } const cases[] = {
        {1, at200, {10, 10, 700, 500}, 0},    {1, at200, {600, 500, 700, 500}, 500},
        {1, at200, {400, 300, 500, 400}, -1} /* across both, in neither whole */,
        {1, at220, {0, 0, 800, 600}, 0},      {1, {2550, 3301}, {0, 0, 10, 10}, -1},
        {2, at200, {0, 0, 10, 10}, -1},
    };
    for (const Case& c : cases) {
        const PagePart* part = partHolding(document, c.page, c.scaled, c.wanted);
        EXPECT_EQ(part == nullptr ? -1 : static_cast<int>(part->x), c.expectedX)
            << c.wanted.x << "," << c.wanted.y << " " << c.wanted.width << "x" << c.wanted.height;
    }
    const PagePart* drawn[kHeldParts];
    ASSERT_EQ(partsOf(document, 1, at200, drawn), 2u);
    EXPECT_EQ(drawn[0]->x, 0u);
    EXPECT_EQ(drawn[1]->x, 500u) << "the newer drawn last";
    EXPECT_EQ(heldPartBytes(document), 3u * 800 * 600 * 3);

    // Two more: the slot of the least recently drawn goes, the 220 % one
    // once the two at 200 % are drawn again.
    ASSERT_NE(partHolding(document, 1, at200, {0, 0, 10, 10}), nullptr);
    ASSERT_NE(partHolding(document, 1, at200, {1200, 900, 10, 10}), nullptr);
    keepPart(document, partOf(allocator, 2, at200, {0, 0, 10, 10}));
    keepPart(document, partOf(allocator, 2, at200, {0, 0, 20, 10}));
    EXPECT_EQ(partHolding(document, 1, at220, {0, 0, 10, 10}), nullptr);
    EXPECT_NE(partHolding(document, 1, at200, {0, 0, 10, 10}), nullptr);
    EXPECT_EQ(partsOf(document, 2, at200, drawn), 2u);
    EXPECT_EQ(drawn[1]->picture.width, 20u);
}

TEST(PageParts, GoBeforeAnyPageWhenTheBudgetIsExceeded) {
    Allocator allocator;
    Document document = testing::makeDocumentOf(allocator, 4, [&](std::size_t) {
        return testing::solidPage(allocator, 320, 296, 0xFFFFFF);
    });
    document.kind = DocumentKind::Pdf;
    setShownPage(document, 0);
    for (const std::uint64_t used : {3, 2, 1, 0}) notePageUsed(document, used);
    keepPart(document, partOf(allocator, 0, {640, 592}, {0, 0, 320, 296}));
    keepPart(document, partOf(allocator, 0, {640, 592}, {320, 296, 320, 296}));
    const std::uint64_t page = 320 * 296 * 3;
    EXPECT_EQ(heldPageBytes(document), 6 * page);
    // One part over: the older part goes, and every page stays.
    document.memory.budget = 5 * page;
    keepWithinBudget(document, 0);
    EXPECT_EQ(heldPartBytes(document), page);
    EXPECT_NE(partHolding(document, 0, {640, 592}, {320, 296, 1, 1}), nullptr);
    for (const PageImage& p : document.pages) EXPECT_TRUE(p.present);
    // Further over: the other part, then page 3, the least recently used
    // of those neither shown nor a neighbour.
    document.memory.budget = 4 * page - 1;
    keepWithinBudget(document, 0);
    EXPECT_EQ(heldPartBytes(document), 0u);
    EXPECT_FALSE(document.pages[3].present);
    EXPECT_TRUE(document.pages[2].present);
}

}  // namespace
}  // namespace orva
