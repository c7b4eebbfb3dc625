#include "view/jump_history.h"

#include <gtest/gtest.h>

#include "app/page_number.h"

namespace orva {
namespace {

ViewPosition at(std::uint64_t page, std::int32_t y = 0) { return {page, 0, y}; }

TEST(JumpHistory, BackAndForwardRetraceTheJumpsAndAJumpDropsWhatLayAhead) {
    JumpHistory history;
    EXPECT_FALSE(history.back(at(0)));
    history.jump(at(0, 120), at(10));
    history.jump(at(10, 40), at(20));
    // Back keeps where the reader had scrolled on the page left.
    EXPECT_EQ(history.back(at(20, 7))->scrollY, 40);
    EXPECT_EQ(history.back(at(10, 40))->page, 0u);
    EXPECT_EQ(history.back(at(0, 120)).has_value(), false);
    EXPECT_EQ(history.forward(at(0, 5))->page, 10u);
    EXPECT_EQ(history.forward(at(10))->scrollY, 7);
    EXPECT_FALSE(history.forward(at(20)));
    EXPECT_EQ(history.back(at(20))->page, 10u);
    EXPECT_EQ(history.back(at(10))->scrollY, 5);
    // A jump from here forgets 10 and 20 ahead.
    history.jump(at(0), at(30));
    EXPECT_FALSE(history.canGoForward());
    EXPECT_EQ(history.back(at(30))->page, 0u);
    // A jump to where the view is is none.
    history.jump(at(0), at(0));
    EXPECT_TRUE(history.canGoForward());
}

TEST(JumpHistory, KeepsTheNewestPositionsOnly) {
    JumpHistory history;
    for (std::uint64_t page = 0; page < 500; ++page) history.jump(at(page), at(page + 1));
    std::size_t steps = 0;
    std::uint64_t page = 500;
    while (const auto back = history.back(at(page))) {
        EXPECT_EQ(back->page, page - 1);
        page = back->page;
        ++steps;
    }
    EXPECT_EQ(steps, JumpHistory::kMostPositions - 1);
}

TEST(PageNumber, TakesAPageOfTheDocumentAndNothingElse) {
    const std::pair<const char*, std::optional<std::uint64_t>> cases[] = {
        {"25", 24}, {" 7 ", 6}, {"1", 0}, {"36", 35}, {"036", 35}, {"0", std::nullopt}, {"37", std::nullopt},
        {"abc", std::nullopt}, {"", std::nullopt}, {"   ", std::nullopt}, {"-1", std::nullopt}, {"+3", std::nullopt},
        {"2 5", std::nullopt}, {"1e1", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    for (const auto& [typed, page] : cases) EXPECT_EQ(parsePageNumber(typed, 36), page) << typed;
    EXPECT_EQ(pageNumberRefusal(36).view(), "Enter a page number from 1 to 36.");
}

}  // namespace
}  // namespace orva
