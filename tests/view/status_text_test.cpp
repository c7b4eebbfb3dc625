#include "app/app_state.h"
#include "view/status_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace orva {
namespace {

TEST(StatusText, PageStatusPiecesInOrder) {
    struct Case {
        std::uint64_t page, count;
        std::uint32_t width, height, dpi;
        const char* expected;
    };
    constexpr auto kU64 = std::numeric_limits<std::uint64_t>::max();
    constexpr auto kU32 = std::numeric_limits<std::uint32_t>::max();
    const Case cases[] = {
        {1, 5, 1275, 1650, 150, "  Page 2 of 5  |  1275 x 1650 px  |  DPI: 150"},
        {0, 1, 0, 0, 0, "  Page 1 of 1  |  0 x 0 px  |  DPI: 0"},
        {9, 10, 1, 1000000, 600, "  Page 10 of 10  |  1 x 1000000 px  |  DPI: 600"},
        {kU64 - 1, kU64, kU32, kU32, 65535,
         "  Page 18446744073709551615 of 18446744073709551615  |  4294967295 x 4294967295 px  |  DPI: 65535"},
    };
    for (const Case& c : cases) {
        const FixedText<256> text = composePageStatus(c.page, c.count, c.width, c.height, c.dpi);
        EXPECT_TRUE(text.fits());
        EXPECT_EQ(std::string(text.view()), c.expected);
        EXPECT_STREQ(text.c_str(), c.expected);
    }
}

TEST(StatusText, FollowsTheStateOfTheDocument) {
    Allocator allocator;
    AppState state;
    EXPECT_EQ(std::string(composeStatusText(state).view()), "  No document loaded");

    auto pages = OwnedArray<PageImage>::create(allocator, 3);
    ASSERT_TRUE(pages.has_value());
    auto pixels = ByteBuffer::create(allocator, 4 * 2 * 3);
    ASSERT_TRUE(pixels.has_value());
    (*pages)[1] = PageImage{std::move(*pixels), true, 4, 2};
    state.document.pages = std::move(*pages);
    state.document.dpi = 150;
    state.documentLoaded = true;

    state.currentPage = 1;
    EXPECT_EQ(std::string(composeStatusText(state).view()), "  Page 2 of 3  |  4 x 2 px  |  DPI: 150");
    state.currentPage = 2;  // never produced yet
    EXPECT_EQ(std::string(composeStatusText(state).view()), "  Page 3 of 3  |  0 x 0 px  |  DPI: 150");
    state.currentPage = 7;  // a stale index reads no size rather than past the array
    EXPECT_EQ(std::string(composeStatusText(state).view()), "  Page 8 of 3  |  0 x 0 px  |  DPI: 150");

    state.documentLoaded = false;
    EXPECT_EQ(std::string(composeStatusText(state).view()), "  No document loaded");
    state.document = Document{};
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

}  // namespace
}  // namespace orva
