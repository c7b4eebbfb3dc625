#include "document/text_selection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "document/page_text_maker.h"

namespace orva {
namespace {

using test::makePage;

// Words on the grid of makePage: "one"(0-30) "two"(40-70) on the line at 0-15,
// "three"(0-50) at 20-35; the next block's "decod-"(0-60) at 60-75,
// "ing"(0-30) and "well-"(40-90) at 80-95, "known"(0-50) at 100-115.
const test::Blocks kBlocks = {{{"one", "two"}, {"three"}}, {{"decod-"}, {"ing", "well-"}, {"known"}}};

TEST(TextSelection, FindsTheWordUnderOrNearThePointer) {
    Allocator allocator;
    const PageText page = makePage(allocator, kBlocks);
    const struct {
        float x, y;
        std::optional<std::uint32_t> at, nearest;
    } cases[] = {
        {5, 5, 0u, 0u},           {45, 10, 1u, 1u},       {70, 15, 1u, 1u},
        {35, 5, std::nullopt, 0u}, {200, 8, std::nullopt, 1u}, {25, 500, std::nullopt, 6u},
        {-40, 62, std::nullopt, 3u}, {NAN, 5, std::nullopt, 0u},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wordAt(page, c.x, c.y), c.at) << c.x << "," << c.y;
        EXPECT_EQ(wordNearest(page, c.x, c.y), c.nearest) << c.x << "," << c.y;
    }
    const PageText none;
    EXPECT_EQ(wordNearest(none, 1, 1), std::nullopt);
    EXPECT_EQ(wordsBetween(5, 2).first, 2u);
    EXPECT_EQ(wordsBetween(5, 2).last, 5u);
}

TEST(TextSelection, CopiesAsShownOrReflowed) {
    Allocator allocator;
    {
        const PageText page = makePage(allocator, kBlocks);
        const struct {
            WordRange words;
            CopyLayout layout;
            std::string text;
        } cases[] = {
            {{1, 1}, CopyLayout::AsShown, "two"},
            {{0, 2}, CopyLayout::AsShown, "one two\r\nthree"},
            {{0, 6}, CopyLayout::AsShown, "one two\r\nthree\r\n\r\ndecod-\r\ning well-\r\nknown"},
            {{0, 6}, CopyLayout::Reflowed, "one two three\r\n\r\ndecoding wellknown"},
            {{3, 3}, CopyLayout::Reflowed, "decod-"},
            {{2, 4}, CopyLayout::Reflowed, "three\r\n\r\ndecoding"},
            {{6, 4}, CopyLayout::AsShown, "ing well-\r\nknown"},
            {{5, 99}, CopyLayout::AsShown, "well-\r\nknown"},
        };
        for (const auto& c : cases) {
            auto text = selectedText(allocator, page, c.words, c.layout);
            ASSERT_TRUE(text);
            EXPECT_EQ(text->view(), c.text) << c.words.first << "-" << c.words.last;
        }
        // Numbers, blanks and punctuation around a line-end hyphen are no split word.
        const PageText numbers = makePage(allocator, {{{"pages", "12-"}, {"14", "a"}, {"-"}, {"b-"}, {"(c)"}}});
        auto text = selectedText(allocator, numbers, {0, 6}, CopyLayout::Reflowed);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->view(), "pages 12- 14 a - b- (c)");
        allocator.failAllocation(1);
        EXPECT_EQ(selectedText(allocator, page, {0, 6}, CopyLayout::AsShown).error(), ErrorCode::OutOfMemory);
    }
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

}  // namespace
}  // namespace orva
