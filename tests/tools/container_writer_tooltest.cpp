// The streaming container writer against hand-made bytes and the viewer's
// reader, and the run-length encoder's bounded scratch and its failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "container_writer.h"
#include "document/orva_reader.h"
#include "files.h"
#include "image_io.h"
#include "rle_encoder.h"
#include "support/folder_names.h"
#include "support/orva_bytes.h"

namespace orvatool {
namespace {

namespace fs = std::filesystem;
using orva::testing::Bytes;
using orva::testing::namesIn;

// The streaming writer's file against bytes made by hand from the format's
// layout, and read back by the viewer's reader; what a failing or
// interrupted write leaves.
TEST(ContainerWriter, WritesTheBytesTheFormatDescribes) {
    const fs::path folder = fs::temp_directory_path() / "orvatool_writer";
    fs::remove_all(folder);
    fs::create_directories(folder);
    // Three equal pixels then three different ones: the one shortest
    // encoding is a run of 3 and a literal of 3.
    const Bytes first = {1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const Bytes second = {9, 9, 9};
    Bytes firstTokens, secondTokens;
    orva::testing::appendRun(firstTokens, 3, {1, 2, 3});
    orva::testing::appendLiteral(firstTokens, std::span(first).subspan(9));
    orva::testing::appendRun(secondTokens, 1, {9, 9, 9});
    for (const bool runLength : {true, false}) {
        orva::testing::OrvaBytes expected;
        expected.encoding = runLength ? orva::kOrvaEncodingRle : orva::kOrvaEncodingRaw;
        expected.dpi = 200;
        expected.title = "Two";
        expected.pages.resize(2);
        expected.pages[0].width = 3;
        expected.pages[0].height = 2;
        expected.pages[0].data = runLength ? firstTokens : first;
        expected.pages[1].width = expected.pages[1].height = 1;
        expected.pages[1].data = runLength ? secondTokens : second;
        orva::Allocator allocator;
        {
            auto file = PartialFile::create(folder / "doc.orva");
            ASSERT_TRUE(file);
            auto writer = ContainerWriter::begin(*file, allocator, {runLength, 200, "Two"}, 2);
            ASSERT_TRUE(writer);
            ASSERT_TRUE(writer->addPage(3, 2, first));
            ASSERT_TRUE(writer->addPage(1, 1, second));
            ASSERT_TRUE(writer->finish());
            ASSERT_TRUE(file->commit());
        }
        EXPECT_EQ(*readWholeFile(folder / "doc.orva"), expected.build()) << runLength;
        EXPECT_EQ(namesIn(folder), std::vector<std::string>{"doc.orva"});
        EXPECT_EQ(allocator.liveBytes(), 0u);
    }
    {
        orva::Allocator allocator;
        auto file = PartialFile::create(folder / "short.orva");
        ASSERT_TRUE(file);
        auto writer = ContainerWriter::begin(*file, allocator, {}, 2);
        ASSERT_TRUE(writer->addPage(3, 2, first));
        EXPECT_FALSE(writer->finish());  // one page short
        EXPECT_FALSE(writer->addPage(2, 2, first));  // not 2 x 2 pixels
    }
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"doc.orva"});
    fs::remove_all(folder);
}

// Larger pages, with runs of every length and runs that cross the
// encoder's output blocks, come back from the viewer's reader as they went in.
TEST(ContainerWriter, TheReaderGivesBackEveryPixel) {
    // Runs of 1, 2, 3, ... pixels, up to 599.
    Bytes striped;
    for (std::size_t run = 1; striped.size() < 200 * 300 * 3; ++run) {
        const auto shade = static_cast<std::uint8_t>(run);
        for (std::size_t i = 0; i < run % 600 && striped.size() < 200 * 300 * 3; ++i) {
            striped.insert(striped.end(), {shade, static_cast<std::uint8_t>(shade / 3), 200});
        }
    }
    const Image pages[] = {{300, 40, orva::testing::patternPixels(300, 40, 7)},
                           {200, 300, striped},
                           {256, 1, orva::testing::solidPixels(256, {4, 5, 6})}};
    for (const bool runLength : {true, false}) {
        const auto bytes = buildContainer({runLength, 96, ""}, {pages[0], pages[1], pages[2]});
        ASSERT_TRUE(bytes);
        orva::Allocator allocator;
        orva::MemorySource source(*bytes);
        auto contents = orva::readOrva(source, allocator);
        ASSERT_TRUE(contents) << orva::errorName(contents.error());
        ASSERT_EQ(contents->pages.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            const orva::PageImage& page = contents->pages[i];
            EXPECT_EQ(page.width, pages[i].width) << i;
            EXPECT_EQ(page.height, pages[i].height) << i;
            EXPECT_EQ(Bytes(page.pixels.begin(), page.pixels.end()), pages[i].bgr) << i << " " << runLength;
        }
    }
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
    // Scratch: a byte and a bit a pixel, and one output block. Pixels that
    // never repeat are literals of 255 and what is left: 12000 pixels in
    // 47 full literals and one of 15.
    orva::Allocator allocator;
    Collect collect;
    ASSERT_TRUE(encodeRleTo(allocator, pixels, collect));
    EXPECT_EQ(collect.bytes.size(), pixels.size() + 2 * 48);
    Bytes decoded(pixels.size());
    const auto written = orva::decodeRleInto(collect.bytes, decoded);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, pixels.size());
    EXPECT_EQ(decoded, pixels);
    EXPECT_LE(allocator.peakBytes(), pixels.size() / 3 * 9 / 8 + (std::size_t{64} << 10) + 16);
}

}  // namespace
}  // namespace orvatool
