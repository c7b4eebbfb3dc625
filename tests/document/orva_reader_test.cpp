#include "document/orva_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "support/orva_bytes.h"

namespace orva {
namespace {

using testing::appendEnd;
using testing::appendLiteral;
using testing::appendRun;
using testing::Bytes;
using testing::OrvaBytes;
using testing::OrvaPageBytes;
using testing::Pixel;

constexpr Pixel kBlue{255, 0, 0};
constexpr Pixel kGrey{10, 20, 30};

Result<OrvaContents> readBytes(Allocator& allocator, const Bytes& bytes) {
    MemorySource source(bytes);
    return readOrva(source, allocator);
}

ErrorCode errorOf(const Bytes& bytes) {
    Allocator allocator;
    auto contents = readBytes(allocator, bytes);
    EXPECT_EQ(allocator.liveBlocks(), 0u);
    return contents ? ErrorCode{} : contents.error();
}

OrvaBytes rawDocument(std::uint32_t pages = 1) {
    OrvaBytes doc;
    doc.title = "Raw";
    for (std::uint32_t n = 0; n < pages; ++n) doc.pages.push_back({3, 2, testing::patternPixels(3, 2, n), {}, {}, 0});
    return doc;
}

OrvaBytes rleDocument(Bytes tokens, std::uint32_t width = 4, std::uint32_t height = 1) {
    OrvaBytes doc;
    doc.encoding = 1;
    doc.pages.push_back({width, height, std::move(tokens), {}, {}, 0});
    return doc;
}

Bytes minimalContainer() {
    OrvaBytes doc;
    doc.encoding = 1;
    doc.dpi = 300;
    doc.pages.push_back({2, 1, {2, 255, 0, 0}, {}, {}, 0});
    return doc.build();
}

TEST(OrvaReader, MinimalContainerIsOneBluePageOfTwoPixels) {
    const Bytes bytes = minimalContainer();
    ASSERT_EQ(bytes.size(), 96u);
    Allocator allocator;
    auto contents = readBytes(allocator, bytes);
    ASSERT_TRUE(contents) << errorName(contents.error());
    EXPECT_EQ(contents->dpi, 300);
    EXPECT_EQ(contents->encoding, 1);
    EXPECT_EQ(contents->pageCount, 1u);
    EXPECT_EQ(contents->indexOffset, 64u);
    EXPECT_TRUE(contents->title.empty());
    ASSERT_EQ(contents->pages.size(), 1u);
    const PageImage& page = contents->pages[0];
    EXPECT_TRUE(page.present);
    EXPECT_EQ(page.width, 2u);
    EXPECT_EQ(page.height, 1u);
    const Bytes expected{255, 0, 0, 255, 0, 0};
    EXPECT_EQ(Bytes(page.pixels.begin(), page.pixels.end()), expected);
}

TEST(OrvaReader, HeaderFieldsAndTitleBytesAreCarriedUnchanged) {
    OrvaBytes doc = rawDocument(2);
    doc.title = std::string("T\xFF\x00itle", 7);
    doc.dpi = 0;
    doc.reserved1 = 0x1122334455667788u;
    doc.reserved2 = 42;
    Allocator allocator;
    auto contents = readBytes(allocator, doc.build());
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->title.view(), doc.title);
    EXPECT_EQ(contents->dpi, 0);
    EXPECT_EQ(contents->reserved1, doc.reserved1);
    EXPECT_EQ(contents->reserved2, 42u);
    EXPECT_EQ(contents->indexOffset, 71u);
    EXPECT_EQ(contents->pageCount, 2u);
}

TEST(OrvaReader, EveryEncodingButOneIsRaw) {
    for (const std::uint8_t encoding : {0, 2, 255}) {
        OrvaBytes doc = rawDocument(3);
        doc.encoding = encoding;
        Allocator allocator;
        auto contents = readBytes(allocator, doc.build());
        ASSERT_TRUE(contents) << int{encoding};
        EXPECT_EQ(contents->encoding, encoding);
        for (std::size_t n = 0; n < 3; ++n) {
            const PageImage& page = contents->pages[n];
            EXPECT_TRUE(page.present);
            EXPECT_EQ(Bytes(page.pixels.begin(), page.pixels.end()), doc.pages[n].data) << n;
        }
    }
}

TEST(OrvaReader, ShortHeaderAtEveryLengthIsEndOfStream) {
    const Bytes full = minimalContainer();
    for (std::size_t length = 0; length < 64; ++length) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(errorOf(cut), ErrorCode::EndOfStream) << length;
    }
}

TEST(OrvaReader, ErrorsInTheOrderTheFileIsRead) {
    struct Case {
        const char* name;
        Bytes bytes;
        ErrorCode expected;
    };
    auto with = [](auto change) {
        OrvaBytes doc = rawDocument(2);
        change(doc);
        return doc.build();
    };
    auto withoutLastByte = [](const Bytes& bytes) { return Bytes(bytes.begin(), bytes.begin() + (bytes.size() - 1)); };
    const Case cases[] = {
        {"magic only, wrong", {'X', 'R', 'V', 'A'}, ErrorCode::InvalidMagic},
        {"magic wrong in a whole file", with([](OrvaBytes& d) { d.magic = "orva"; }), ErrorCode::InvalidMagic},
        {"magic right, nothing more", {'O', 'R', 'V', 'A'}, ErrorCode::EndOfStream},
        {"version 2, file well formed", with([](OrvaBytes& d) { d.version = 2; }), ErrorCode::UnsupportedVersion},
        {"version 0 before a short header", {'O', 'R', 'V', 'A', 0, 1}, ErrorCode::UnsupportedVersion},
        {"no pages", with([](OrvaBytes& d) { d.pageCount = 0; }), ErrorCode::NoPages},
        {"no pages, title cut",
         with([](OrvaBytes& d) {
             d.pages.clear();
             d.titleLength = 10;
         }),
         ErrorCode::EndOfStream},
        {"title cut", withoutLastByte(with([](OrvaBytes& d) { d.pages.clear(); })), ErrorCode::EndOfStream},
        {"index past the end", with([](OrvaBytes& d) { d.indexOffset = 1u << 20; }), ErrorCode::EndOfStream},
        {"index cut",
         with([](OrvaBytes& d) {
             d.pageCount = 3;
             d.indexOffset = d.firstDataOffset() + 12;
         }),
         ErrorCode::EndOfStream},
        {"data length 0", with([](OrvaBytes& d) { d.pages[1].dataLength = 0; }), ErrorCode::InvalidPageData},
        {"data length 0, empty page",
         with([](OrvaBytes& d) {
             d.pages[0] = {0, 0, {}, {}, {}, 0};
         }),
         ErrorCode::InvalidPageData},
        {"data past the end", with([](OrvaBytes& d) { d.pages[1].dataOffset = 5000; }), ErrorCode::EndOfStream},
        {"raw one byte short", with([](OrvaBytes& d) { d.pages[1].data.pop_back(); }), ErrorCode::InvalidPageData},
        {"raw one byte long", with([](OrvaBytes& d) { d.pages[1].data.push_back(7); }), ErrorCode::InvalidPageData},
        {"raw, file ends inside the data", withoutLastByte(rawDocument(2).build()), ErrorCode::EndOfStream},
        // A short read outranks a length that could never have matched.
        {"raw length wrong, reaching past the end", with([](OrvaBytes& d) { d.pages[1].dataLength = 30; }),
         ErrorCode::EndOfStream},
        {"raw page of 0 width with data", with([](OrvaBytes& d) { d.pages[0].width = 0; }), ErrorCode::InvalidPageData},
        {"pixel size above 32 bits",
         with([](OrvaBytes& d) {
             d.pages[0].width = 65536;
             d.pages[0].height = 21846;
         }),
         ErrorCode::InvalidPageData},
        {"pixel size above 32 bits, data cut",
         with([](OrvaBytes& d) {
             d.pages[1].width = 0xFFFFFFFF;
             d.pages[1].height = 0xFFFFFFFF;
             d.pages[1].dataLength = 100;
         }),
         ErrorCode::EndOfStream},
        {"run-length pixel size above 32 bits",
         [] {
             OrvaBytes d = rleDocument({1, 0, 0, 0}, 0x10000, 0x5556);
             return d.build();
         }(),
         ErrorCode::InvalidPageData},
        {"run-length token cut", rleDocument({3, 1, 2}).build(), ErrorCode::RleTruncated},
    };
    for (const Case& c : cases) EXPECT_EQ(errorOf(c.bytes), c.expected) << c.name;
}

TEST(OrvaReader, LargestPixelSizeThatFitsIsAccepted) {
    EXPECT_EQ(pagePixelBytes(0x10000, 0x5555).value(), 0xFFFF0000u);
    EXPECT_FALSE(pagePixelBytes(0x10000, 0x5556));
    EXPECT_EQ(pagePixelBytes(0x55555555, 1).value(), 0xFFFFFFFFu);
    EXPECT_FALSE(pagePixelBytes(0x55555556, 1));
    EXPECT_FALSE(pagePixelBytes(0xFFFFFFFF, 0xFFFFFFFF));
    EXPECT_EQ(pagePixelBytes(0, 0xFFFFFFFF).value(), 0u);
}

struct RleCase {
    const char* name;
    Bytes tokens;
    std::uint32_t width;
    std::uint32_t height;
    std::optional<Bytes> pixels;  // none: RleTruncated
};

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}
Bytes run(std::uint8_t count, Pixel p) {
    Bytes out;
    appendRun(out, count, p);
    return out;
}
Bytes literal(const Bytes& pixelBytes) {
    Bytes out;
    appendLiteral(out, pixelBytes);
    return out;
}
Bytes end() {
    Bytes out;
    appendEnd(out);
    return out;
}
Bytes white(std::size_t pixels) { return Bytes(pixels * 3, kUnwrittenPixelByte); }

TEST(RleDecoding, Tokens) {
    const Bytes six{1, 2, 3, 4, 5, 6};
    const RleCase cases[] = {
        {"run of three", run(3, kGrey), 3, 1, testing::solidPixels(3, kGrey)},
        {"literal of two", literal(six), 2, 1, six},
        {"end token stops even before more data", cat({end(), run(2, kGrey)}), 2, 1, white(2)},
        {"run cut silently at the page end", cat({run(2, kBlue), run(255, kGrey)}), 7, 1,
         cat({testing::solidPixels(2, kBlue), testing::solidPixels(5, kGrey)})},
        {"literal that does not fit", cat({run(2, kBlue), literal(testing::patternPixels(6, 1))}), 7, 1, {}},
        {"run token with 1 byte", cat({run(1, kBlue), {5}}), 3, 1, {}},
        {"run token with 2 bytes", cat({run(1, kBlue), {5, 1}}), 3, 1, {}},
        {"run token with 3 bytes", cat({run(1, kBlue), {5, 1, 2}}), 3, 1, {}},
        {"literal header alone", {0}, 3, 1, {}},
        {"literal cut", {0, 2, 1, 2, 3, 4, 5}, 3, 1, {}},
        {"stream ends between tokens", run(1, kBlue), 3, 1, cat({testing::solidPixels(1, kBlue), white(2)})},
        {"data after a full page ignored", cat({run(2, kBlue), {9, 9}}), 2, 1, testing::solidPixels(2, kBlue)},
        {"width 0", run(5, kBlue), 0, 7, Bytes{}},
        {"height 0", {0}, 9, 0, Bytes{}},
        {"rows run into each other", cat({run(5, kGrey), literal(six)}), 7, 1,
         cat({testing::solidPixels(5, kGrey), six})},
    };
    for (const RleCase& c : cases) {
        Allocator allocator;
        auto pixels = decodeRlePage(allocator, c.tokens, c.width, c.height);
        if (!c.pixels) {
            ASSERT_FALSE(pixels) << c.name;
            EXPECT_EQ(pixels.error(), ErrorCode::RleTruncated) << c.name;
        } else {
            ASSERT_TRUE(pixels) << c.name;
            EXPECT_EQ(Bytes(pixels->begin(), pixels->end()), *c.pixels) << c.name;
        }
        pixels = fail(ErrorCode::Unexpected);
        EXPECT_EQ(allocator.liveBlocks(), 0u) << c.name;
    }
}

// A plain pixel-by-pixel decoder, to hold the fast one to on many streams.
Bytes referenceDecode(const Bytes& data, std::size_t size) {
    Bytes start;
    std::size_t i = 0, o = 0;
    while (i < data.size() && o < size) {
        if (data[i] != 0) {
            for (int k = 0; k < data[i] && o < size; ++k, o += 3) start.insert(start.end(), &data[i + 1], &data[i + 4]);
            i += 4;
        } else {
            const std::size_t n = data[i + 1] * 3u;
            if (n == 0) break;
            start.insert(start.end(), &data[i + 2], &data[i + 2 + n]);
            i += 2 + n;
            o += n;
        }
    }
    return start;
}

TEST(RleDecoding, WideStoresAgreeWithPixelByPixelDecoding) {
    std::uint32_t state = 7;
    auto next = [&state](std::uint32_t range) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % range;
    };
    for (int trial = 0; trial < 300; ++trial) {
        const std::size_t pixels = 1 + next(900);
        Bytes tokens;
        for (std::size_t planned = 0; planned < pixels;) {
            if (next(3) != 0) {
                const auto count = static_cast<std::uint8_t>(1 + next(255));
                appendRun(tokens, count, {static_cast<std::uint8_t>(next(256)), 7, static_cast<std::uint8_t>(trial)});
                planned += count;
            } else {
                const std::size_t n = 1 + next(std::min<std::size_t>(20, pixels - planned));
                appendLiteral(tokens, testing::patternPixels(static_cast<std::uint32_t>(n), 1, trial));
                planned += n;
            }
        }
        // Cut the stream at a token boundary now and then, to leave a tail unwritten.
        if (trial % 4 == 0) tokens.resize(std::min<std::size_t>(tokens.size(), 4 * (1 + next(8))));
        // An exact-size heap block, so that AddressSanitizer sees any store past the page.
        const auto output = std::make_unique<std::uint8_t[]>(pixels * 3);
        auto written = decodeRleInto(tokens, {output.get(), pixels * 3});
        if (!written) {
            EXPECT_EQ(written.error(), ErrorCode::RleTruncated);
            continue;
        }
        ASSERT_EQ(Bytes(output.get(), output.get() + *written), referenceDecode(tokens, pixels * 3)) << trial;
    }
}

TEST(OrvaReader, EmptyRunLengthPagesArePresentAndEmpty) {
    OrvaBytes doc = rleDocument(run(1, kBlue), 0, 5);
    doc.pages.push_back({5, 0, end(), {}, {}, 0});
    Allocator allocator;
    auto contents = readBytes(allocator, doc.build());
    ASSERT_TRUE(contents);
    for (const PageImage& page : contents->pages) {
        EXPECT_TRUE(page.present);
        EXPECT_EQ(page.length(), 0u);
    }
    EXPECT_EQ(contents->pages[0].height, 5u);
    EXPECT_EQ(contents->pages[1].width, 5u);
}

TEST(OrvaReader, ShortRunLengthStreamShowsBlankPaperNotOldMemory) {
    // Fill the heap with a block of non-white bytes first, so that a page
    // reusing it would show them.
    Allocator allocator;
    {
        auto dirty = ByteBuffer::create(allocator, 3000);
        ASSERT_TRUE(dirty);
        std::memset(dirty->data(), 0x11, dirty->size());
    }
    auto contents = readBytes(allocator, rleDocument(run(1, kBlue), 1000, 1).build());
    ASSERT_TRUE(contents);
    const PageImage& page = contents->pages[0];
    EXPECT_EQ(Bytes(page.pixels.begin(), page.pixels.begin() + 3), testing::solidPixels(1, kBlue));
    EXPECT_EQ(Bytes(page.pixels.begin() + 3, page.pixels.end()), white(999));
}

TEST(OrvaReader, EntriesSharingDataGiveIndependentEqualPages) {
    OrvaBytes doc = rawDocument(1);
    doc.pages.push_back(doc.pages[0]);
    doc.pages[1].dataOffset = doc.firstDataOffset();
    Allocator allocator;
    auto contents = readBytes(allocator, doc.build());
    ASSERT_TRUE(contents);
    const PageImage& a = contents->pages[0];
    const PageImage& b = contents->pages[1];
    EXPECT_NE(a.pixels.data(), b.pixels.data());
    EXPECT_EQ(Bytes(a.pixels.begin(), a.pixels.end()), Bytes(b.pixels.begin(), b.pixels.end()));
}

TEST(OrvaReader, DataMayStandAnywhereAndInAnyOrder) {
    OrvaBytes doc = rawDocument(2);
    const std::uint64_t first = doc.firstDataOffset();
    doc.pages[0].dataOffset = first + doc.pages[0].data.size();
    doc.pages[1].dataOffset = first;
    std::swap(doc.pages[0].data, doc.pages[1].data);
    Bytes bytes = doc.build();
    bytes.insert(bytes.end(), 100, 0xEE);  // ignored trailing bytes
    Allocator allocator;
    auto contents = readBytes(allocator, bytes);
    ASSERT_TRUE(contents);
    EXPECT_EQ(Bytes(contents->pages[0].pixels.begin(), contents->pages[0].pixels.end()), doc.pages[1].data);
}

TEST(OrvaReader, AFailureOnTheLastPageReleasesTheEarlierOnes) {
    for (const bool rle : {false, true}) {
        OrvaBytes doc = rle ? rleDocument(run(4, kBlue)) : rawDocument(1);
        doc.title = "kept until the failure";
        doc.pages.push_back(doc.pages[0]);
        doc.pages.push_back(doc.pages[0]);
        doc.pages.back().dataLength = 0;
        EXPECT_EQ(errorOf(doc.build()), ErrorCode::InvalidPageData) << rle;  // checks live blocks too
    }
}

TEST(OrvaReader, EveryAllocationFailureIsOutOfMemoryAndLeavesNothing) {
    OrvaBytes rle = rleDocument(cat({run(2, kBlue), literal(testing::patternPixels(2, 1))}), 4, 1);
    rle.title = "walk";
    rle.pages.push_back(rle.pages[0]);
    OrvaBytes raw = rawDocument(3);
    for (const Bytes& bytes : {rle.build(), raw.build()}) {
        std::size_t n = 1;
        for (;; ++n) {
            Allocator allocator;
            allocator.failAllocation(n);
            auto contents = readBytes(allocator, bytes);
            if (contents) break;
            EXPECT_EQ(contents.error(), ErrorCode::OutOfMemory) << n;
            EXPECT_EQ(allocator.liveBlocks(), 0u) << n;
        }
        EXPECT_GT(n, 3u);
    }
}

TEST(OrvaReader, ClaimedLengthsFarBeyondTheFileFailWithoutGiantAllocations) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    auto with = [](auto change) {
        OrvaBytes doc = rawDocument(1);
        change(doc);
        return doc.build();
    };
    const Case cases[] = {
        {"title", with([](OrvaBytes& d) { d.titleLength = 0xFFFFFFF0u; })},
        {"index", with([](OrvaBytes& d) { d.pageCount = 0xFFFFFFFFu; })},
        {"page data", with([](OrvaBytes& d) { d.pages[0].dataLength = 0xFFFFFFFFu; })},
        {"page data at the top of the offsets",
         with([](OrvaBytes& d) {
             d.pages[0].dataOffset = ~std::uint64_t{0} - 5;
             d.pages[0].dataLength = 0x7FFFFFFFu;
         })},
    };
    for (const Case& c : cases) {
        Allocator allocator;
        auto contents = readBytes(allocator, c.bytes);
        ASSERT_FALSE(contents) << c.name;
        EXPECT_EQ(contents.error(), ErrorCode::EndOfStream) << c.name;
        EXPECT_LT(allocator.peakBytes(), 4096u) << c.name;
    }
}

TEST(OrvaReader, LongPagesAreReadWhole) {
    OrvaBytes doc = rawDocument(1);
    doc.pages[0] = {700, 600, testing::patternPixels(700, 600, 3), {}, {}, 0};
    doc.pages.push_back(doc.pages[0]);
    Allocator allocator;
    auto contents = readBytes(allocator, doc.build());
    ASSERT_TRUE(contents);
    EXPECT_EQ(Bytes(contents->pages[1].pixels.begin(), contents->pages[1].pixels.end()), doc.pages[0].data);
    // The raw pages went straight into their own buffers: no second copy.
    EXPECT_LT(allocator.peakBytes() - allocator.liveBytes(), 1024u);
}

TEST(OrvaReader, RunLengthOpenHoldsAtMostOnePagesDataBesideThePages) {
    OrvaBytes doc;
    doc.encoding = 1;
    std::size_t largest = 0;
    for (std::uint32_t n = 1; n <= 3; ++n) {
        Bytes tokens;
        for (std::uint32_t k = 0; k < 400 * n; ++k) appendRun(tokens, 200, kGrey);
        largest = std::max(largest, tokens.size());
        doc.pages.push_back({1000, 80 * n, tokens, {}, {}, 0});
    }
    Allocator allocator;
    auto contents = readBytes(allocator, doc.build());
    ASSERT_TRUE(contents);
    std::size_t pages = 0;
    for (const PageImage& page : contents->pages) pages += page.length();
    EXPECT_LE(allocator.peakBytes(), pages + largest + 1024);  // the rest: index and page array
}

// A source over memory that refuses one chosen seek, or fails reads from a
// chosen byte on, as a damaged disk or a dropped share would.
class FaultySource final : public ByteSource {
public:
    FaultySource(const Bytes& bytes, int refuseSeek, std::size_t failReadAt, ErrorCode readError)
        : inner_(bytes), refuseSeek_(refuseSeek), failReadAt_(failReadAt), readError_(readError) {}
    Result<std::size_t> read(std::span<std::uint8_t> destination) override {
        if (position_ + destination.size() > failReadAt_) return fail(readError_);
        position_ += destination.size();
        return inner_.read(destination);
    }
    Status seek(std::uint64_t offset) override {
        if (++seeks_ == refuseSeek_) return fail(ErrorCode::Unexpected);
        position_ = offset;
        return inner_.seek(offset);
    }

private:
    MemorySource inner_;
    int refuseSeek_;
    int seeks_ = 0;
    std::size_t failReadAt_;
    ErrorCode readError_;
    std::size_t position_ = 0;
};

TEST(OrvaReader, RefusedMovesAndFailedReadsEndTheRead) {
    const Bytes bytes = rawDocument(2).build();
    struct Case {
        const char* name;
        int refuseSeek;
        std::size_t failReadAt;
        ErrorCode expected;
    };
    const Case cases[] = {
        {"move to the index", 1, SIZE_MAX, ErrorCode::Unexpected},
        {"move to the second page", 3, SIZE_MAX, ErrorCode::Unexpected},
        {"lock violation in the header", 0, 10, ErrorCode::LockViolation},
        {"network name gone in the last page", 0, bytes.size() - 1, ErrorCode::ConnectionResetByPeer},
    };
    for (const Case& c : cases) {
        Allocator allocator;
        FaultySource source(bytes, c.refuseSeek, c.failReadAt, c.expected);
        auto contents = readOrva(source, allocator);
        ASSERT_FALSE(contents) << c.name;
        EXPECT_EQ(contents.error(), c.expected) << c.name;
        EXPECT_EQ(allocator.liveBlocks(), 0u) << c.name;
    }
}

std::string tempFile(const char* name) {
    const auto path = std::filesystem::temp_directory_path() / name;
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

TEST(OrvaReaderFile, ClosesTheFileOnEveryPath) {
    const long before = FileSource::openCount();
    struct Case {
        const char* name;
        Bytes bytes;
        bool opens;
    };
    Bytes damaged = minimalContainer();
    damaged[92] = 0;  // a literal header where the run was
    const Case cases[] = {
        {"orva_reader_ok.orva", minimalContainer(), true},
        {"orva_reader_bad.orva", damaged, false},
        {"orva_reader_empty.orva", {}, false},
    };
    for (const Case& c : cases) {
        const std::string path = tempFile(c.name);
        ASSERT_TRUE(testing::writeBytesToFile(path, c.bytes));
        Allocator allocator;
        {
            auto contents = readOrvaFile(allocator, path);
            EXPECT_EQ(contents.has_value(), c.opens) << c.name;
            EXPECT_EQ(FileSource::openCount(), before) << c.name;
        }
        EXPECT_EQ(allocator.liveBlocks(), 0u);
        std::filesystem::remove(path);
    }
    Allocator allocator;
    auto missing = readOrvaFile(allocator, tempFile("orva_reader_missing.orva"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(), ErrorCode::FileNotFound);
    EXPECT_EQ(FileSource::openCount(), before);
}

}  // namespace
}  // namespace orva
