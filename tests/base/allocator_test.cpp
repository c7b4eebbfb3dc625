#include "base/allocator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "document/page_image.h"

namespace orva {
namespace {

TEST(Allocator, CountsLiveBlocksAndBytesUntilReleased) {
    Allocator allocator;
    {
        auto a = ByteBuffer::create(allocator, 100);
        auto b = OwnedString::copy(allocator, "hello");
        ASSERT_TRUE(a && b);
        EXPECT_EQ(allocator.liveBlocks(), 2u);
        EXPECT_EQ(allocator.liveBytes(), 105u);
        ByteBuffer moved = std::move(*a);
        EXPECT_EQ(allocator.liveBlocks(), 2u);
        EXPECT_EQ(b->view(), "hello");
    }
    EXPECT_EQ(allocator.liveBlocks(), 0u);
    EXPECT_EQ(allocator.liveBytes(), 0u);
    EXPECT_EQ(allocator.peakBytes(), 105u);
}

TEST(Allocator, InjectedFailureHitsExactlyTheNthAllocation) {
    Allocator allocator;
    allocator.failAllocation(3);
    auto first = ByteBuffer::create(allocator, 1);
    auto second = ByteBuffer::create(allocator, 1);
    auto third = ByteBuffer::create(allocator, 1);
    auto fourth = ByteBuffer::create(allocator, 1);
    EXPECT_TRUE(first && second && fourth);
    ASSERT_FALSE(third);
    EXPECT_EQ(third.error(), ErrorCode::OutOfMemory);
    EXPECT_EQ(allocator.liveBlocks(), 3u);
}

TEST(Allocator, EmptyArraysHoldNoBlockAndHugeOnesFailCleanly) {
    Allocator allocator;
    auto empty = ByteBuffer::create(allocator, 0);
    ASSERT_TRUE(empty);
    EXPECT_EQ(allocator.liveBlocks(), 0u);
    auto huge = OwnedArray<std::uint64_t>::create(allocator, SIZE_MAX / 4);
    ASSERT_FALSE(huge);
    EXPECT_EQ(huge.error(), ErrorCode::OutOfMemory);
}

TEST(Allocator, ArraysOfOwnersReleaseWhatTheirElementsOwn) {
    Allocator allocator;
    {
        auto pages = OwnedArray<PageImage>::create(allocator, 3);
        ASSERT_TRUE(pages);
        for (auto& page : *pages) {
            auto pixels = ByteBuffer::create(allocator, 12);
            ASSERT_TRUE(pixels);
            page.pixels = std::move(*pixels);
            page.present = true;
        }
        EXPECT_EQ(allocator.liveBlocks(), 4u);
    }
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

TEST(Allocator, ALargeReleasedBlockServesTheNextRequestThatFits) {
    if (!Allocator::kKeepsSpare) GTEST_SKIP() << "blocks go straight back under AddressSanitizer";
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    const struct {
        const char* what;
        std::vector<std::size_t> released;  // in this order
        std::size_t asked;
        int served;  // index into `released`, or -1 for a new block
    } cases[] = {
        {"the same size", {kMiB}, kMiB, 0},
        {"a smaller size", {kMiB}, kMiB * 3 / 5, 0},
        {"less than half: a new block", {kMiB}, kMiB * 2 / 5, -1},
        {"a larger size: a new block", {kMiB}, 2 * kMiB, -1},
        {"the later of two stays", {kMiB, 2 * kMiB}, 2 * kMiB, 1},
        {"also when it is the smaller", {2 * kMiB, kMiB}, kMiB, 1},
    };
    for (const auto& c : cases) {
        Allocator allocator;
        std::vector<void*> blocks;
        for (const std::size_t bytes : c.released) blocks.push_back(allocator.allocate(bytes));
        for (std::size_t i = 0; i < blocks.size(); ++i) allocator.release(blocks[i], c.released[i]);
        ASSERT_EQ(allocator.liveBlocks(), 0u) << c.what;
        void* block = allocator.allocate(c.asked);
        ASSERT_NE(block, nullptr) << c.what;
        if (c.served >= 0) {
            EXPECT_EQ(block, blocks[static_cast<std::size_t>(c.served)]) << c.what;
        } else {
            for (void* old : blocks) EXPECT_NE(block, old) << c.what;
        }
        std::memset(block, 0xAB, c.asked);  // the whole request is usable
        EXPECT_EQ(allocator.liveBlocks(), 1u) << c.what;
        EXPECT_EQ(allocator.liveBytes(), c.asked) << c.what;
        allocator.release(block, c.asked);
        // Kept again at its own size, not at the size last asked of it.
        const std::size_t held = c.served >= 0 ? c.released[static_cast<std::size_t>(c.served)] : c.asked;
        EXPECT_EQ(allocator.spareBytes(), held) << c.what;
        void* again = allocator.allocate(held);
        EXPECT_EQ(again, block) << c.what << ": the whole block serves a request of its size";
        allocator.release(again, held);
    }
}

TEST(Allocator, HoldsBackOnlyBlocksBetweenTheSmallestAndLargestKeptSize) {
    if (!Allocator::kKeepsSpare) GTEST_SKIP() << "blocks go straight back under AddressSanitizer";
    const struct {
        std::size_t released;
        std::size_t held;
    } cases[] = {
        {Allocator::kSpareMinimum - 1, 0},
        {Allocator::kSpareMinimum, Allocator::kSpareMinimum},
        {Allocator::kSpareMaximum, Allocator::kSpareMaximum},
        {Allocator::kSpareMaximum + 1, 0},
        {std::size_t{256} << 20, 0},
    };
    for (const auto& c : cases) {
        Allocator allocator;
        allocator.release(allocator.allocate(c.released), c.released);
        EXPECT_EQ(allocator.spareBytes(), c.held) << c.released;
        // A block too large to keep leaves the one already kept in place.
        allocator.release(allocator.allocate(Allocator::kSpareMinimum), Allocator::kSpareMinimum);
        allocator.release(allocator.allocate(c.released), c.released);
        EXPECT_EQ(allocator.spareBytes(), c.held == 0 ? Allocator::kSpareMinimum : c.held) << c.released;
    }
}

TEST(Allocator, AnInjectedFailureIsNotServedFromTheKeptBlock) {
    Allocator allocator;
    constexpr std::size_t kBytes = Allocator::kSpareMinimum;
    allocator.release(allocator.allocate(kBytes), kBytes);
    allocator.failAllocation(1);
    EXPECT_EQ(allocator.allocate(kBytes), nullptr);
    void* block = allocator.allocate(kBytes);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(allocator.liveBlocks(), 1u);
    EXPECT_EQ(allocator.allocationCount(), 2u);
    allocator.release(block, kBytes);
}

TEST(ByteBuilder, GrowsAcrossManyAppendsAndHandsOverItsBytes) {
    Allocator allocator;
    ByteBuilder builder(allocator);
    std::string expected;
    for (int i = 0; i < 1000; ++i) {
        const std::string piece = std::to_string(i) + ",";
        ASSERT_TRUE(builder.append(piece));
        expected += piece;
    }
    EXPECT_EQ(builder.text(), expected);
    ByteBuffer bytes = builder.take();
    EXPECT_EQ(bytes.size(), expected.size());
    EXPECT_EQ(allocator.liveBlocks(), 1u);
    bytes.reset();
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

TEST(ByteBuilder, AFailedGrowthKeepsWhatWasCollected) {
    Allocator allocator;
    ByteBuilder builder(allocator);
    ASSERT_TRUE(builder.append(std::string(64, 'a')));
    allocator.failAllocation(1);
    EXPECT_FALSE(builder.append("b"));
    EXPECT_EQ(builder.text(), std::string(64, 'a'));
}

TEST(GrowableArray, KeepsItemsInOrderThroughGrowth) {
    Allocator allocator;
    {
        GrowableArray<OwnedString> names(allocator);
        for (int i = 0; i < 20; ++i) {
            auto name = OwnedString::copy(allocator, std::to_string(i));
            ASSERT_TRUE(name);
            ASSERT_TRUE(names.push(std::move(*name)));
        }
        auto taken = names.take();
        ASSERT_EQ(taken.size(), 20u);
        EXPECT_EQ(taken[0].view(), "0");
        EXPECT_EQ(taken[19].view(), "19");
    }
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

}  // namespace
}  // namespace orva
