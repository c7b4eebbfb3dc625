// Which outline entry stands for a page.
#include <gtest/gtest.h>

#include "document/outline.h"

namespace orva {
namespace {

TEST(NavigationRecords, TheEntryOfAPageIsTheLastGoingFurthestNotPastIt) {
    Allocator allocator;
    // Pages of the entries in order: a parent and its first child share a
    // page, an entry goes nowhere, one goes back to an earlier page.
    const std::uint32_t pages[] = {4, 5, 5, 0, 9, 7, 12};
    auto entries = OwnedArray<OutlineEntry>::create(allocator, std::size(pages));
    ASSERT_TRUE(entries);
    for (std::size_t i = 0; i < std::size(pages); ++i) (*entries)[i].page = pages[i];
    Outline outline{std::move(*entries)};
    const struct {
        std::uint32_t page;
        std::optional<std::uint32_t> entry;
    } cases[] = {{1, std::nullopt}, {3, std::nullopt}, {4, 0u}, {5, 2u}, {6, 2u}, {7, 5u},
                 {8, 5u},           {9, 4u},           {11, 4u}, {12, 6u}, {900, 6u}};
    for (const auto& c : cases) EXPECT_EQ(entryOfPage(outline, c.page), c.entry) << "page " << c.page;
    EXPECT_EQ(entryOfPage(Outline{}, 3), std::nullopt);
}

}  // namespace
}  // namespace orva
