#include "document/page_memory.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "document/page_request.h"
#include "support/test_document.h"
#include "view/view_geometry.h"

namespace orva {
namespace {

// Pages of 320 x 296 in a colour of their own; a released page's copy is a
// quarter of one.
constexpr std::uint64_t kPageBytes = 320 * 296 * 3;
std::uint32_t colourOf(std::uint64_t index) { return 0x102030u * static_cast<std::uint32_t>(index + 1); }

struct CountingRenderer final : PageRenderer {
    mutable int renders = 0;
    Status renderPage(Document& document, std::uint64_t index) const override {
        ++renders;
        document.pages[index] = testing::solidPage(*document.allocator, 320, 296, colourOf(index));
        return {};
    }
};

TEST(PageMemory, ReleasesTheLeastRecentlyUsedUnheldPagesPastTheBudget) {
    // ops: rN request page N, sN the view shows N, pN / qN the preview / a
    // print job holds N (p-: lets go). expected, a letter a page:
    // L loaded, t released with its copy, - never rendered.
    struct Case {
        const char *ops, *expected;
        std::uint64_t budgetPages;
        int renders;
    } const cases[] = {
        {"r0 r1 r2 r3 r4 r5", "LLLLLL", 6, 6},
        {"r0 r1 r2 r3 r4 r5", "LLtttL", 3, 6},
        {"s5 r0 r1 r2 r0 r3 r4", "LttLL-", 4, 5},
        {"s5 p0 q1 r0 r1 r2 r3", "LLtL--", 3, 4},
        {"s5 p0 q1 r0 r1 r2 r3 p- r4", "tLttL-", 3, 5},
        {"s3 r0 r1 r2 r0", "LtL-", 2, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ops);
        Allocator allocator;
        const CountingRenderer renderer;
        Document document = testing::makeDocument(allocator, std::vector<PageImage>(std::string(c.expected).size()));
        document.kind = DocumentKind::Pdf;
        document.renderer = &renderer;
        document.memory.budget = c.budgetPages * kPageBytes;
        std::istringstream ops(c.ops);
        for (std::string op; ops >> op;) {
            const std::uint64_t page = op[1] == '-' ? kNoPage : static_cast<std::uint64_t>(op[1] - '0');
            if (op[0] == 'r') {
                ASSERT_TRUE(ensurePageLoaded(document, page));
            }
            if (op[0] == 's') setShownPage(document, page);
            if (op[0] == 'p' || op[0] == 'q') pinPage(document, op[0] == 'p' ? PagePin::Preview : PagePin::Print, page);
        }
        std::string state;
        for (std::uint64_t i = 0; i < document.pageCount(); ++i) {
            const PageImage* copy = releasedPageCopy(document, i);
            state += document.pages[i].present ? 'L' : copy != nullptr ? 't' : '-';
            if (copy == nullptr) continue;
            // The copy is as large as the strip draws the page, in its colour.
            const auto drawn = thumbnailImage(320, 296);
            EXPECT_EQ(copy->width, static_cast<std::uint32_t>(drawn->width));
            EXPECT_EQ(copy->height, static_cast<std::uint32_t>(drawn->height));
            const std::uint8_t* last = copy->pixels.end() - 3;
            EXPECT_EQ(last[2] << 16 | last[1] << 8 | last[0], static_cast<int>(colourOf(i)));
        }
        EXPECT_EQ(state, c.expected);
        EXPECT_EQ(renderer.renders, c.renders);
    }
}

TEST(PageMemory, CopiesAverageThePixelsTheyCoverAndFailWithoutMemory) {
    Allocator allocator;
    // Black and white pixels alternating: every 2 x 2 block averages to grey.
    const PageImage checks = testing::paintedPage(allocator, 320, 296, [](std::uint32_t x, std::uint32_t y) {
        return (x + y) % 2 == 0 ? 0xFFFFFFu : 0u;
    });
    auto copy = shrinkPage(allocator, checks);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->width * copy->height, 160u * 148u);
    for (const std::uint8_t byte : copy->pixels) ASSERT_EQ(byte, 128);
    const std::size_t before = allocator.liveBytes();
    allocator.failAllocation(1);
    const auto failed = shrinkPage(allocator, checks);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error(), ErrorCode::OutOfMemory);
    EXPECT_EQ(allocator.liveBytes(), before);
}

TEST(PageMemory, BudgetInMebibytes) {
    EXPECT_EQ(parsePageMemoryBudget("1"), std::uint64_t{1} << 20);
    EXPECT_EQ(parsePageMemoryBudget("1024"), std::uint64_t{1} << 30);
    EXPECT_EQ(parsePageMemoryBudget("1048576"), std::uint64_t{1} << 40);
    for (const char* text : {"", "0", "1048577", "99999999", "12a", " 5", "-5", "+5"})
        EXPECT_EQ(parsePageMemoryBudget(text), std::nullopt) << text;
}

}  // namespace
}  // namespace orva
