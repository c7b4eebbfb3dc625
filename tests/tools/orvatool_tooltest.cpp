#include "orvatool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

#include "container_writer.h"
#include "document/orva_reader.h"
#include "files.h"
#include "image_io.h"
#include "rle_encoder.h"
#include "support/orva_bytes.h"

namespace orvatool {
namespace {

namespace fs = std::filesystem;
using orva::testing::Bytes;

// Pixels from a string: each letter is one colour.
Bytes row(std::string_view letters) {
    Bytes out;
    for (const char c : letters) out.insert(out.end(), {static_cast<std::uint8_t>(c), 1, 2});
    return out;
}

Bytes decode(const Bytes& tokens, std::size_t bytes) {
    Bytes out(bytes);
    auto written = orva::decodeRleInto(tokens, out);
    EXPECT_TRUE(written && *written == bytes);
    return out;
}

// The plain search over every last token, to hold the linear encoder to.
std::size_t smallestSize(const Bytes& pixels) {
    const std::size_t n = pixels.size() / 3;
    std::vector<std::size_t> best(n + 1, SIZE_MAX);
    best[0] = 0;
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t k = 1; k <= std::min<std::size_t>(255, i); ++k) {
            best[i] = std::min(best[i], best[i - k] + 2 + 3 * k);
        }
        for (std::size_t c = 1; c <= std::min<std::size_t>(255, i); ++c) {
            if (!std::equal(&pixels[3 * (i - c)], &pixels[3 * (i - c) + 3], &pixels[3 * (i - 1)])) break;
            best[i] = std::min(best[i], best[i - c] + 4);
        }
    }
    return best[n];
}

TEST(RleEncoder, CraftedRowsGetTheSmallestEncoding) {
    struct Case {
        const char* name;
        std::string letters;
        std::size_t size;
    };
    const Case cases[] = {
        {"one pixel is a run of 1", "A", 4},
        {"two different pixels", "AB", 8},
        {"three different pixels are one literal", "ABC", 11},
        {"pair then single", "AAB", 8},
        {"255 equal pixels", std::string(255, 'A'), 4},
        {"256 equal pixels need two runs", std::string(256, 'A'), 8},
        {"a pair inside a literal costs the same either way", "ABCDDEFG", 26},
        {"three equal inside a literal break it", "ABCDDDEFG", 26},
        {"a pair before a literal stands alone", "AABCD", 15},
        {"single between runs is a run of 1", "AAAABAAAA", 12},
        {"literal split at 255", [] {
             std::string s;
             for (int i = 0; i < 300; ++i) s += static_cast<char>('A' + i % 2);
             return s;
         }(),
         904},
        {"256 different pixels: a full literal and a run of 1", [] {
             std::string s;
             for (int i = 0; i < 256; ++i) s += static_cast<char>(i % 3 == 0 ? 'x' : 'A' + i % 7);
             return s;
         }(),
         0},
    };
    for (const Case& c : cases) {
        const Bytes pixels = row(c.letters);
        const Bytes tokens = encodeRle(pixels);
        const std::size_t expected = c.size != 0 ? c.size : smallestSize(pixels);
        EXPECT_EQ(tokens.size(), expected) << c.name;
        EXPECT_EQ(decode(tokens, pixels.size()), pixels) << c.name;
    }
}

TEST(RleEncoder, MatchesTheExhaustiveSearchOnManyRows) {
    std::uint32_t state = 99;
    for (int trial = 0; trial < 200; ++trial) {
        std::string letters;
        const int length = 1 + static_cast<int>((state = state * 1103515245u + 12345u) >> 8) % 700;
        // Few colours and long stretches, so runs of every length show up.
        char current = 'A';
        for (int i = 0; i < length; ++i) {
            state = state * 1103515245u + 12345u;
            if ((state >> 10) % (trial % 5 + 2) == 0) current = static_cast<char>('A' + (state >> 16) % 4);
            letters += current;
        }
        const Bytes pixels = row(letters);
        const Bytes tokens = encodeRle(pixels);
        ASSERT_EQ(tokens.size(), smallestSize(pixels)) << letters;
        ASSERT_EQ(decode(tokens, pixels.size()), pixels) << letters;
    }
}

TEST(RleEncoder, EmptyPageIsTheEndTokenAlone) { EXPECT_EQ(encodeRle({}), (Bytes{0, 0})); }

TEST(ImageIo, PpmHeadersWithCommentsAndTheirFaults) {
    const std::string good = "P6 # made by hand\n2 1\n# depth\n255\n";
    Bytes bytes(good.begin(), good.end());
    bytes.insert(bytes.end(), {1, 2, 3, 4, 5, 6});
    auto image = decodeImage(bytes);
    ASSERT_TRUE(image) << image.error();
    EXPECT_EQ(image->width, 2u);
    EXPECT_EQ(image->bgr, (Bytes{3, 2, 1, 6, 5, 4}));

    const char* bad[] = {"P6\n2 1\n65535\n", "P6\n2 1\n255\n\x01", "P3\n1 1\n255\n", "P6\n2\n", "GIF89a"};
    for (const char* text : bad) {
        const std::string s(text);
        EXPECT_FALSE(decodeImage(Bytes(s.begin(), s.end()))) << text;
    }
}

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("orvatool_") + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string path(const std::string& name) const { return utf8(folder_ / name); }

    int run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return runOrvatool(args, out_, err_);
    }

    void writeFile(const std::string& name, const Bytes& bytes) {
        ASSERT_TRUE(orva::testing::writeBytesToFile(path(name), bytes));
    }
    Bytes readFile(const std::string& name) {
        auto bytes = readWholeFile(folder_ / name);
        return bytes ? *bytes : Bytes{};
    }
    std::vector<std::string> filesInFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(utf8(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder_;
    std::ostringstream out_;
    std::ostringstream err_;
};

Image patternImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
    Image image{width, height, orva::testing::patternPixels(width, height, seed)};
    // Some runs too, so both token kinds are exercised.
    for (std::size_t i = 0; i + 3 <= image.bgr.size() / 2; i += 3) std::fill_n(&image.bgr[i], 3, 200);
    return image;
}

TEST_F(ToolTest, PackThenExtractGivesBackTheSameFiles) {
    const Image pages[] = {patternImage(5, 3, 1), patternImage(1, 1, 2), patternImage(64, 7, 3)};
    std::vector<std::string> packArgs{"pack", "--dpi", "300", "--title", "Round trip", "-o", ""};
    for (std::size_t n = 0; n < 3; ++n) {
        writeFile("in" + std::to_string(n) + ".ppm", encodePpm(pages[n]));
        packArgs.push_back(path("in" + std::to_string(n) + ".ppm"));
    }
    for (const char* encoding : {"--rle", "--raw"}) {
        SCOPED_TRACE(encoding);
        std::vector<std::string> args = packArgs;
        args[6] = path("doc.orva");
        args.push_back(encoding);
        ASSERT_EQ(run(args), 0) << err_.str();
        ASSERT_EQ(run({"extract", path("doc.orva"), path("out")}), 0) << err_.str();
        for (std::size_t n = 0; n < 3; ++n) {
            EXPECT_EQ(readFile("out/page-00" + std::to_string(n + 1) + ".ppm"),
                      readFile("in" + std::to_string(n) + ".ppm"));
        }
        orva::Allocator allocator;
        auto contents = orva::readOrvaFile(allocator, path("doc.orva"));
        ASSERT_TRUE(contents);
        EXPECT_EQ(contents->title.view(), "Round trip");
        EXPECT_EQ(contents->dpi, 300);
        EXPECT_EQ(contents->encoding, std::string_view(encoding) == "--rle" ? 1 : 0);
    }
}

TEST_F(ToolTest, PngPagesKeepTheirPixelsBothWays) {
    const Image page = patternImage(9, 4, 5);
    auto png = encodePng(page);
    ASSERT_TRUE(png);
    writeFile("in.png", *png);
    ASSERT_EQ(run({"pack", "-o", path("doc.orva"), path("in.png")}), 0) << err_.str();
    ASSERT_EQ(run({"extract", path("doc.orva"), path("out"), "--png"}), 0) << err_.str();
    auto back = decodeImage(readFile("out/page-001.png"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->bgr, page.bgr);
    EXPECT_EQ(back->width, 9u);
}

TEST_F(ToolTest, InfoNamesTheErrorTheReaderGives) {
    using orva::testing::OrvaBytes;
    auto document = [](auto change) {
        OrvaBytes doc;
        doc.encoding = 1;
        doc.title = "Fixture";
        doc.pages.push_back({2, 1, {2, 0, 0, 255}, {}, {}, 0});
        doc.pages.push_back({4, 1, {0, 5, 1, 2, 3}, {}, {}, 0});
        change(doc);
        return doc.build();
    };
    struct Case {
        const char* name;
        Bytes bytes;
        std::vector<std::string> pageChecks;
    };
    const Case cases[] = {
        {"second page cut", document([](OrvaBytes&) {}), {"ok", "RleTruncated"}},
        {"good", document([](OrvaBytes& d) { d.pages[1].data = {4, 9, 9, 9}; }), {"ok", "ok"}},
        {"bad magic", document([](OrvaBytes& d) { d.magic = "ORVX"; }), {}},
        {"version", document([](OrvaBytes& d) { d.version = 9; }), {}},
        {"no pages", document([](OrvaBytes& d) { d.pageCount = 0; }), {}},
        {"short", Bytes{'O', 'R'}, {}},
        {"second page empty", document([](OrvaBytes& d) { d.pages[1].dataLength = 0; }), {"ok", "InvalidPageData"}},
        {"first page literal too long",
         document([](OrvaBytes& d) {
             d.pages[1].data = {1, 0, 0, 0};
             d.pages[0].data = {0, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9};
         }),
         {"RleTruncated", "ok"}},
        {"index cut", document([](OrvaBytes& d) { d.pageCount = 9; d.indexOffset = d.firstDataOffset(); }), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("fixture.orva", c.bytes);
        orva::Allocator allocator;
        orva::MemorySource source(c.bytes);
        const auto expected = orva::readOrva(source, allocator);
        const int status = run({"info", path("fixture.orva")});
        const std::string text = out_.str();
        EXPECT_EQ(status, expected ? 0 : 1);
        const std::string verdict = expected ? "result: ok" : "result: " + std::string(orva::errorName(expected.error()));
        EXPECT_NE(text.find(verdict), std::string::npos) << text;
        // Page lines: number, data offset, data length, width, height, check.
        std::vector<std::string> checks;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::vector<std::string> tokens;
            for (std::string word; words >> word;) tokens.push_back(word);
            if (tokens.size() == 6 && std::isdigit(static_cast<unsigned char>(tokens[0][0]))) checks.push_back(tokens[5]);
        }
        EXPECT_EQ(checks, c.pageChecks) << text;
        if (!expected) {
            EXPECT_NE(err_.str().find(orva::errorName(expected.error())), std::string::npos);
        }
    }
}

TEST_F(ToolTest, FailuresLeaveNoOutputFileBehind) {
    writeFile("good.ppm", encodePpm(patternImage(2, 2, 1)));
    writeFile("bad.ppm", {'P', '6', '\n', '9'});
    const Bytes before{1, 2, 3};
    writeFile("old.orva", before);
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {"unreadable page", {"pack", "-o", path("new.orva"), path("good.ppm"), path("bad.ppm")}, 1},
        {"missing page", {"pack", "-o", path("new.orva"), path("missing.ppm")}, 1},
        {"existing file kept", {"pack", "-o", path("old.orva"), path("bad.ppm")}, 1},
        {"no pages", {"pack", "-o", path("new.orva")}, 2},
        {"bad dpi", {"pack", "--dpi", "70000", "-o", path("new.orva"), path("good.ppm")}, 2},
        {"folder missing", {"pack", "-o", path("nowhere/new.orva"), path("good.ppm")}, 1},
        {"unknown command", {"squash"}, 2},
        {"extract of a damaged file", {"extract", path("old.orva"), path("out")}, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.args), c.status) << c.name;
        EXPECT_FALSE(err_.str().empty()) << c.name;
        EXPECT_EQ(filesInFolder(), (std::vector<std::string>{"bad.ppm", "good.ppm", "old.orva"})) << c.name;
        EXPECT_EQ(readFile("old.orva"), before) << c.name;
    }
}

TEST_F(ToolTest, ReplacingWriteOverwritesWholeFiles) {
    writeFile("target", Bytes(100, 7));
    ASSERT_TRUE(writeFileReplacing(folder_ / "target", Bytes{1, 2}));
    EXPECT_EQ(readFile("target"), (Bytes{1, 2}));
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"target"});
}

}  // namespace
}  // namespace orvatool
