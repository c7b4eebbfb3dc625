#include "pdf/ppm_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace orva {
namespace {

using namespace std::literals;
using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A source that serves memory but lets the test decide how much each read
// after the first gives, and which read fails with what.
class ScriptedSource final : public ByteSource {
public:
    explicit ScriptedSource(Bytes bytes) : bytes_(std::move(bytes)), memory_(bytes_) {}
    std::size_t chunk = SIZE_MAX;  // largest answer after the first read
    int failingRead = 0;           // 1-based
    ErrorCode failure = ErrorCode::Unexpected;
    int reads = 0;
    std::vector<std::size_t> asked;

    Result<std::size_t> read(std::span<std::uint8_t> destination) override {
        ++reads;
        asked.push_back(destination.size());
        if (reads == failingRead) return fail(failure);
        if (reads > 1 && destination.size() > chunk) destination = destination.first(chunk);
        return memory_.read(destination);
    }
    Status seek(std::uint64_t offset) override { return memory_.seek(offset); }

private:
    Bytes bytes_;
    MemorySource memory_;
};

struct Read {
    Result<PageImage> image;
    Bytes pixels;
};

Read readAll(Allocator& allocator, ByteSource& source) {
    Read read{readPpm(source, allocator), {}};
    if (read.image) read.pixels.assign(read.image->pixels.begin(), read.image->pixels.end());
    return read;
}

Read readBytes(Allocator& allocator, const Bytes& file) {
    MemorySource source(file);
    return readAll(allocator, source);
}

const Bytes kRedBlue = {0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF};
const Bytes kRedBlueStored = {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00};

TEST(PpmReader, ReadsAValidHeaderInEveryAcceptedSpelling) {
    const struct {
        const char* what;
        std::string_view header;
    } cases[] = {
        {"LF line ends", "P6\n2 1\n255\n"},
        {"CR LF line ends", "P6\r\n2 1\r\n255\r\n"},
        {"blanks around and between the dimensions", "P6\n  2\t1  \n255\n"},
        {"a third dimension field is ignored", "P6\n2 1 7\n255\n"},
        {"empty lines before the maximum value", "P6\n2 1\n\n\r\n\n255\n"},
        {"a 16-bit maximum is not refused", "P6\n2 1\n65535\n"},
        {"a maximum-value line of any content", "P6\n2 1\nwhatever it says\n"},
        {"padded, signed and underscored dimensions", "P6\n+0_2 001\n255\n"},
    };
    for (const auto& c : cases) {
        Allocator allocator;
        {
            const Read read = readBytes(allocator, concat(bytesOf(c.header), kRedBlue));
            ASSERT_TRUE(read.image) << c.what << ": " << errorName(read.image.error());
            EXPECT_TRUE(read.image->present);
            EXPECT_EQ(read.image->width, 2u) << c.what;
            EXPECT_EQ(read.image->height, 1u) << c.what;
            EXPECT_EQ(read.pixels, kRedBlueStored) << c.what;
        }
        EXPECT_EQ(allocator.liveBlocks(), 0u);
    }
}

TEST(PpmReader, RefusesWhatIsNotTheRawForm) {
    const struct {
        std::string_view file;
        ErrorCode error;
    } cases[] = {
        {"", ErrorCode::InvalidPpm},
        {"P6", ErrorCode::InvalidPpm},
        {"P6\n", ErrorCode::InvalidPpm},
        {"P6\r\n", ErrorCode::InvalidPpm},
        {"P6\r", ErrorCode::InvalidPpm},
        {"P6\rX2 1\n255\n", ErrorCode::InvalidPpm},
        {"P6 \n2 1\n255\n", ErrorCode::InvalidPpm},
        {"P5\n2 1\n255\n", ErrorCode::InvalidPpm},
        {"P3\n2 1\n255\n", ErrorCode::InvalidPpm},
        {"p6\n2 1\n255\n", ErrorCode::InvalidPpm},
        {"P6\n2 1", ErrorCode::InvalidPpm},
        {"P6\n2\n255\n", ErrorCode::InvalidPpm},
        {"P6\n#\n2 1\n255\n", ErrorCode::InvalidPpm},
        {"P6\n \t \n255\n", ErrorCode::InvalidPpm},
        {"P6\n# comment\n2 1\n255\n", ErrorCode::InvalidCharacter},
        {"P6\n2 x\n255\n", ErrorCode::InvalidCharacter},
        {"P6\nx 99999999999\n255\n", ErrorCode::InvalidCharacter},
        {"P6\n99999999999 x\n255\n", ErrorCode::Overflow},
        {"P6\n2 -1\n255\n", ErrorCode::Overflow},
        {"P6\n2 1\n255\n\xFF\x00\x00\x00\x00"sv, ErrorCode::PpmTruncated},
        {"P6\n2 1\n255\n", ErrorCode::PpmTruncated},
    };
    for (const auto& c : cases) {
        Allocator allocator;
        EXPECT_EQ(readBytes(allocator, bytesOf(c.file)).image.error(), c.error) << c.file;
        EXPECT_EQ(allocator.liveBlocks(), 0u);
    }
}

TEST(PpmReader, AZeroDimensionGivesALoadedEmptyImageAndReadsNothingMore) {
    Allocator allocator;
    ScriptedSource source(bytesOf("P6\n0 480\n255\n"));
    const Read read = readAll(allocator, source);
    ASSERT_TRUE(read.image);
    EXPECT_TRUE(read.image->present);
    EXPECT_EQ(read.image->width, 0u);
    EXPECT_EQ(read.image->height, 480u);
    EXPECT_EQ(read.image->length(), 0u);
    EXPECT_EQ(source.reads, 1);
    EXPECT_EQ(allocator.allocationCount(), 0u);
}

TEST(PpmReader, TakesExactlyTheImageBytesAndIgnoresTheRest) {
    Allocator allocator;
    const Bytes extra = {1, 2, 3, 4, 5, 6, 7};
    const Read inBlock = readBytes(allocator, concat(concat(bytesOf("P6\n2 1\n255\n"), kRedBlue), extra));
    EXPECT_EQ(inBlock.pixels, kRedBlueStored);

    // Data beyond the first block is asked for only as far as it is needed.
    Bytes large = bytesOf("P6\n1000 2\n255\n");
    const std::size_t header = large.size();
    for (std::size_t i = 0; i < 6000 + 100; ++i) large.push_back(static_cast<std::uint8_t>(i * 7));
    ScriptedSource source(large);
    const Read read = readAll(allocator, source);
    ASSERT_TRUE(read.image);
    ASSERT_EQ(read.pixels.size(), 6000u);
    EXPECT_EQ(source.asked, (std::vector<std::size_t>{kPpmHeaderBlock, 6000 - (kPpmHeaderBlock - header)}));
    for (std::size_t i = 0; i < 6000; i += 3) {
        EXPECT_EQ(read.pixels[i], large[header + i + 2]);
        EXPECT_EQ(read.pixels[i + 1], large[header + i + 1]);
        EXPECT_EQ(read.pixels[i + 2], large[header + i]);
    }
}

TEST(PpmReader, CollectsPixelDataOverManyShortReads) {
    Allocator allocator;
    Bytes file = bytesOf("P6\n3 700\n255\n");
    Bytes expected;
    for (int i = 0; i < 3 * 700; ++i) {
        const std::uint8_t r = static_cast<std::uint8_t>(i), g = static_cast<std::uint8_t>(i >> 8), b = 0x5A;
        file.insert(file.end(), {r, g, b});
        expected.insert(expected.end(), {b, g, r});
    }
    ScriptedSource source(file);
    source.chunk = 7;
    const Read read = readAll(allocator, source);
    ASSERT_TRUE(read.image);
    EXPECT_EQ(read.pixels, expected);
    EXPECT_GT(source.reads, 100);
}

TEST(PpmReader, FindsTheDataWhereverTheMaximumValueLineEnds) {
    Allocator allocator;
    // A lone CR ends the line too, and the byte after it is taken as part of
    // the line break.
    EXPECT_EQ(readBytes(allocator, concat(bytesOf("P6\n2 1\n255\rX"), kRedBlue)).pixels, kRedBlueStored);

    // A maximum-value line that does not end within the first block: the data
    // starts right after the block.
    Bytes longLine = bytesOf("P6\n2 1\n");
    longLine.resize(kPpmHeaderBlock, '9');
    EXPECT_EQ(readBytes(allocator, concat(longLine, kRedBlue)).pixels, kRedBlueStored);

    // CR LF split by the block's end: the LF is not pixel data.
    Bytes straddling = bytesOf("P6\n2 1\n");
    straddling.resize(kPpmHeaderBlock - 4, '\n');
    straddling.insert(straddling.end(), {'2', '5', '5', '\r', '\n'});
    ASSERT_EQ(straddling[kPpmHeaderBlock - 1], '\r');
    EXPECT_EQ(readBytes(allocator, concat(straddling, kRedBlue)).pixels, kRedBlueStored);

    // Empty lines that fill the whole block: again the data follows the block.
    Bytes emptyLines = bytesOf("P6\n2 1\n");
    emptyLines.resize(kPpmHeaderBlock, '\n');
    EXPECT_EQ(readBytes(allocator, concat(emptyLines, kRedBlue)).pixels, kRedBlueStored);
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

TEST(PpmReader, PassesOnReadFailuresOfTheHeaderAndOfThePixelData) {
    Bytes file = bytesOf("P6\n2000 1\n255\n");
    file.resize(file.size() + 6000, 0x11);
    for (const ErrorCode failure :
         {ErrorCode::LockViolation, ErrorCode::ConnectionResetByPeer, ErrorCode::Unexpected}) {
        for (int failingRead : {1, 2}) {
            Allocator allocator;
            ScriptedSource source(file);
            source.failure = failure;
            source.failingRead = failingRead;
            EXPECT_EQ(readAll(allocator, source).image.error(), failure);
            EXPECT_EQ(allocator.liveBlocks(), 0u);
        }
    }
}

TEST(PpmReader, EveryAllocationFailureIsOutOfMemoryAndLeavesNothing) {
    const Bytes file = concat(bytesOf("P6\n2 1\n255\n"), kRedBlue);
    Allocator allocator;
    allocator.failAllocation(1);
    EXPECT_EQ(readBytes(allocator, file).image.error(), ErrorCode::OutOfMemory);
    EXPECT_EQ(allocator.liveBlocks(), 0u);
    // A size that cannot be held at all is treated the same way.
    for (std::string_view header : {"P6\n4294967295 4294967295\n255\n", "P6\n4294967295 2147483648\n255\n"}) {
        EXPECT_EQ(readBytes(allocator, bytesOf(header)).image.error(), ErrorCode::OutOfMemory) << header;
    }
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

TEST(SwapRedAndBlue, ExchangesTheOuterBytesOfEveryPixelForAnyLength) {
    for (std::size_t pixels = 0; pixels < 40; ++pixels) {
        Bytes data(pixels * 3);
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i + 1);
        Bytes expected = data;
        for (std::size_t i = 0; i < pixels; ++i) std::swap(expected[i * 3], expected[i * 3 + 2]);
        swapRedAndBlue(data);
        EXPECT_EQ(data, expected) << pixels;
    }
}

TEST(PpmFile, ReadsAFileAndClosesItOnEveryPath) {
    const std::string path = ::testing::TempDir() + "orva_ppm_reader_test.ppm";
    const Bytes file = concat(bytesOf("P6\r\n2 1\r\n255\r\n"), kRedBlue);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    Allocator allocator;
    {
        auto image = readPpmFile(allocator, path);
        ASSERT_TRUE(image);
        EXPECT_EQ(Bytes(image->pixels.begin(), image->pixels.end()), kRedBlueStored);
        allocator.failAllocation(1);
        EXPECT_EQ(readPpmFile(allocator, path).error(), ErrorCode::OutOfMemory);
        EXPECT_EQ(readPpmFile(allocator, path + ".missing").error(), ErrorCode::FileNotFound);
    }
    EXPECT_EQ(FileSource::openCount(), 0);
    EXPECT_EQ(allocator.liveBlocks(), 0u);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace orva

namespace orva {
namespace {

// What a run with no output root prints: several images one after
// another, each taken by the same rules as a file.
TEST(PpmSequence, SplitsTheImagesAToolPrintedOneAfterAnother) {
    Allocator allocator;
    const Bytes red = {255, 0, 0};
    Bytes two = concat(bytesOf("P6\n2 1\n255\n"), kRedBlue);
    two = concat(two, concat(bytesOf("P6\r\n1 1\r\n255\r\n"), red));
    // A large one, its pixels past the first 4096 bytes.
    Bytes large = bytesOf("P6\n100 30\n255\n");
    for (std::size_t i = 0; i < 9000; ++i) large.push_back(static_cast<std::uint8_t>(i));
    struct Case {
        const char* what;
        Bytes bytes;
        std::size_t most;
        std::vector<std::uint32_t> widths;
        std::optional<ErrorCode> error;
    } const cases[] = {
        {"nothing at all", {}, 8, {}, std::nullopt},
        {"two, in both line ends", two, 8, {2, 1}, std::nullopt},
        {"a large one between small ones", concat(concat(two, large), two), 8, {2, 1, 100, 2, 1}, std::nullopt},
        {"more than allowed", concat(two, two), 3, {}, ErrorCode::Overflow},
        {"the last cut short", concat(two, bytesOf("P6\n2 2\n255\n\x01\x02")), 8, {}, ErrorCode::PpmTruncated},
        {"something else after", concat(two, bytesOf("\n")), 8, {}, ErrorCode::InvalidPpm},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto images = readPpmSequence(allocator, c.bytes, c.most);
        if (c.error) {
            ASSERT_FALSE(images);
            EXPECT_EQ(images.error(), *c.error);
            continue;
        }
        ASSERT_TRUE(images) << errorName(images.error());
        ASSERT_EQ(images->size(), c.widths.size());
        for (std::size_t i = 0; i < c.widths.size(); ++i) EXPECT_EQ((*images)[i].width, c.widths[i]);
    }
    auto images = readPpmSequence(allocator, two, 8);
    ASSERT_TRUE(images);
    EXPECT_EQ(Bytes((*images)[0].pixels.begin(), (*images)[0].pixels.end()), kRedBlueStored);
    EXPECT_EQ(Bytes((*images)[1].pixels.begin(), (*images)[1].pixels.end()), (Bytes{0, 0, 255}));
    auto one = readPpmBytes(allocator, concat(large, two));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->consumed, large.size());
    EXPECT_EQ(one->image.pixels[2], 0) << "stored blue, green, red";
    EXPECT_EQ(one->image.pixels[0], 2);
}

}  // namespace
}  // namespace orva
