// Which outline entry stands for a page, and which link lies under a point.
#include <gtest/gtest.h>

#include "document/outline.h"
#include "document/page_links.h"

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

TEST(NavigationRecords, TheLinkUnderAPointIsTheTopmostHoldingIt) {
    Allocator allocator;
    auto links = OwnedArray<PageLink>::create(allocator, 3);
    ASSERT_TRUE(links);
    (*links)[0].box = {10, 10, 50, 20};
    (*links)[1].box = {40, 15, 80, 30};  // overlaps the first, drawn after it
    (*links)[2].box = {100, 100, 100, 110};  // a box of no width
    const PageLinks page{std::move(*links)};
    const struct {
        float x, y;
        int link;  // -1: none
    } cases[] = {{10, 10, 0}, {50, 20, 1}, {30, 15, 0}, {45, 18, 1}, {60, 25, 1}, {81, 25, -1},
                 {9.9f, 15, -1}, {100, 105, 2}, {100.5f, 105, -1}};
    for (const auto& c : cases) {
        const PageLink* found = linkAt(page, ImagePoint{c.x, c.y});
        EXPECT_EQ(found == nullptr ? -1 : static_cast<int>(found - page.links.data()), c.link) << c.x << "," << c.y;
    }
}

}  // namespace
}  // namespace orva
