// The streaming container writer against the one in memory, and the
// run-length encoder's bounded scratch and its failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "container_writer.h"
#include "files.h"
#include "image_io.h"
#include "rle_encoder.h"
#include "support/orva_bytes.h"

namespace orvatool {
namespace {

namespace fs = std::filesystem;
using orva::testing::Bytes;

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(utf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

// The streaming writer against the one in memory, and what a failing or
// interrupted write leaves.
TEST(ContainerWriter, FileAndMemoryGiveTheSameBytes) {
    const fs::path folder = fs::temp_directory_path() / "orvatool_writer";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const Image pages[] = {{3, 2, orva::testing::patternPixels(3, 2, 1)}, {1, 1, {9, 9, 9}}};
    for (const bool runLength : {true, false}) {
        const PackOptions options{runLength, 200, "Two"};
        const auto memory = buildContainer(options, {pages[0], pages[1]});
        ASSERT_TRUE(memory);
        orva::Allocator allocator;
        {
            auto file = PartialFile::create(folder / "doc.orva");
            ASSERT_TRUE(file);
            auto writer = ContainerWriter::begin(*file, allocator, options, 2);
            ASSERT_TRUE(writer);
            for (const Image& page : pages) ASSERT_TRUE(writer->addPage(page.width, page.height, page.bgr));
            ASSERT_TRUE(writer->finish());
            ASSERT_TRUE(file->commit());
        }
        EXPECT_EQ(*readWholeFile(folder / "doc.orva"), *memory);
        EXPECT_EQ(namesIn(folder), std::vector<std::string>{"doc.orva"});
        EXPECT_EQ(allocator.liveBytes(), 0u);
    }
    {
        orva::Allocator allocator;
        auto file = PartialFile::create(folder / "short.orva");
        ASSERT_TRUE(file);
        auto writer = ContainerWriter::begin(*file, allocator, {}, 2);
        ASSERT_TRUE(writer->addPage(pages[0].width, pages[0].height, pages[0].bgr));
        EXPECT_FALSE(writer->finish());  // one page short
        EXPECT_FALSE(writer->addPage(2, 2, pages[0].bgr));  // not 2 x 2 pixels
    }
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"doc.orva"});
    fs::remove_all(folder);
}

TEST(RleEncoder, FailingMemoryOrSinkIsReportedAndLeavesNothing) {
    const Bytes pixels = orva::testing::patternPixels(300, 40, 7);
    struct Refusing final : ByteSink {
        bool write(std::span<const std::uint8_t>) override { return false; }
    } refusing;
    struct Collect final : ByteSink {
        Bytes bytes;
        bool write(std::span<const std::uint8_t> piece) override {
            bytes.insert(bytes.end(), piece.begin(), piece.end());
            return true;
        }
    };
    struct Case {
        std::size_t failingAllocation;  // 0: none
        bool refuse;
        orva::ErrorCode error;
    };
    const Case cases[] = {
        {1, false, orva::ErrorCode::OutOfMemory},
        {2, false, orva::ErrorCode::OutOfMemory},
        {3, false, orva::ErrorCode::OutOfMemory},
        {0, true, orva::ErrorCode::InputOutput},
    };
    for (const Case& c : cases) {
        orva::Allocator allocator;
        allocator.failAllocation(c.failingAllocation);
        Collect collect;
        const auto status = encodeRleTo(allocator, pixels, c.refuse ? static_cast<ByteSink&>(refusing) : collect);
        ASSERT_FALSE(status);
        EXPECT_EQ(status.error(), c.error);
        EXPECT_EQ(allocator.liveBytes(), 0u);
    }
    // Scratch: a byte and a bit a pixel, and one output block.
    orva::Allocator allocator;
    Collect collect;
    ASSERT_TRUE(encodeRleTo(allocator, pixels, collect));
    EXPECT_EQ(collect.bytes, encodeRle(pixels));
    EXPECT_LE(allocator.peakBytes(), pixels.size() / 3 * 9 / 8 + (std::size_t{64} << 10) + 16);
}

}  // namespace
}  // namespace orvatool
