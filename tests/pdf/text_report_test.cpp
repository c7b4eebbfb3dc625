#include "pdf/text_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "pdf/report_data.h"

namespace orva {
namespace {

constexpr float kScale = 150.0f / 72;

// The words of each line, "|" between lines, "||" between blocks.
std::string layout(const PageText& page) {
    std::string out;
    for (std::uint32_t b = 0; b < page.blocks.size(); ++b) {
        if (b != 0) out += "||";
        const TextBlock& block = page.blocks[b];
        for (std::uint32_t l = block.firstLine; l < block.firstLine + block.lineCount; ++l) {
            if (l != block.firstLine) out += "|";
            const TextLine& line = page.lines[l];
            EXPECT_EQ(line.block, b);
            for (std::uint32_t w = line.firstWord; w < line.firstWord + line.wordCount; ++w) {
                if (w != line.firstWord) out += " ";
                EXPECT_EQ(page.words[w].line, l);
                out += page.wordText(w);
            }
        }
    }
    return out;
}

TEST(TextReport, ReadsTheToolsOwnReports) {
    Allocator allocator;
    {
        const std::string manual = test::reportData("libtasn1-page1.bbox.html");
        auto pages = parseTextReport(allocator, manual, kScale);
        ASSERT_TRUE(pages) << errorName(pages.error());
        ASSERT_EQ(pages->size(), 1u);
        const PageText& page = (*pages)[0];
        EXPECT_EQ(layout(page),
                  "Libtasn1||Abstract Syntax Notation One (ASN.1) library for the GNU system|"
                  "for version 4.19.0, 18 August 2022||Fabio Fiorina|Simon Josefsson|"
                  "Nikos Mavrogiannopoulos (help-libtasn1@gnu.org)");
        // <word xMin="90.000000" yMin="215.875001" xMax="177.366862" yMax="234.219749">Libtasn1</word>
        const TextBox box = page.words[0].box;
        EXPECT_FLOAT_EQ(box.left, 90.0f * kScale);
        EXPECT_FLOAT_EQ(box.top, 215.875001f * kScale);
        EXPECT_FLOAT_EQ(box.right, 177.366862f * kScale);
        EXPECT_FLOAT_EQ(box.bottom, 234.219749f * kScale);

        const std::string groff = test::reportData("groff-hyphenated.bbox.html");
        pages = parseTextReport(allocator, groff, kScale);
        ASSERT_TRUE(pages) << errorName(pages.error());
        EXPECT_EQ(layout((*pages)[0]),
                  "Internationalization considerations notwithstanding,|characteristically uncompromising "
                  "implementations|demonstrate extraordinarily comprehensive interoper-|ability, notwithstanding "
                  "incomprehensibilities.");
        EXPECT_TRUE(lineEndsInSplitWord((*pages)[0], 2));
        EXPECT_FALSE(lineEndsInSplitWord((*pages)[0], 1));
    }
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

std::string page(const std::string& inside) {
    return "<html>\n<head>\n<title>T &amp; U</title>\n<meta name=\"Creator\" content=\"TeX\"/>\n</head>\n<body>\n"
           "<doc>\n<page width=\"612.000000\" height=\"792.000000\">\n" + inside + "\n</page>\n</doc>\n</body>\n</html>\n";
}

std::string word(const std::string& text, const std::string& box = "xMin=\"1\" yMin=\"2\" xMax=\"3\" yMax=\"4\"") {
    return "<flow><block><line><word " + box + ">" + text + "</word></line></block></flow>";
}

TEST(TextReport, ReadsEveryAcceptedSpelling) {
    const struct {
        const char* what;
        std::string report;
        std::string layout;
    } cases[] = {
        {"entities", page(word("&lt;a&amp;b&gt; &quot;&apos;&#65;&#x3a3;&#X1F600;")), "<a&b> \"'AΣ😀"},
        {"attributes in any order and quote, blanks around",
         page(word("x", "yMax='4'  xMax = \"3\"\n xMin=\"1\" yMin=\"2\" extra=\"\"")), "x"},
        {"an empty page", page(""), ""},
        {"empty words, lines and blocks are left out",
         page("<flow><block><line><word xMin=\"1\" yMin=\"2\" xMax=\"3\" yMax=\"4\"></word></line></block><block>"
              "</block><block><line></line><line><word xMin=\"1\" yMin=\"2\" xMax=\"3\" yMax=\"4\"/></line></block></flow>"),
         ""},
        {"a comment, the DOCTYPE and the XML declaration",
         "<?xml version=\"1.0\"?><!DOCTYPE html PUBLIC \"a\" \"b\"><!-- c -->" + page(word("y")), "y"},
    };
    for (const auto& c : cases) {
        Allocator allocator;
        {
            auto pages = parseTextReport(allocator, c.report, 1);
            ASSERT_TRUE(pages) << c.what << ": " << errorName(pages.error());
            ASSERT_EQ(pages->size(), 1u) << c.what;
            EXPECT_EQ(layout((*pages)[0]), c.layout) << c.what;
        }
        EXPECT_EQ(allocator.liveBlocks(), 0u) << c.what;
    }
}

std::string many(const std::string& item, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += item;
    return out;
}

TEST(TextReport, RefusesWhatTheToolDoesNotPrint) {
    const std::string oneWord = "<word xMin=\"1\" yMin=\"2\" xMax=\"3\" yMax=\"4\">w</word>";
    const struct {
        const char* what;
        std::string report;
        ErrorCode error;
    } cases[] = {
        {"empty", "", ErrorCode::InvalidCharacter},
        {"cut short", page(word("x")).substr(0, 200), ErrorCode::InvalidCharacter},
        {"no html root", "<doc><page width=\"1\" height=\"1\"></page></doc>", ErrorCode::InvalidCharacter},
        {"a word outside a line", page("<flow><block>" + oneWord + "</block></flow>"), ErrorCode::InvalidCharacter},
        {"an unknown element", page("<flow><table/></flow>"), ErrorCode::InvalidCharacter},
        {"a misnested close", page("<flow><block></flow></block>"), ErrorCode::InvalidCharacter},
        {"text between elements", page("<flow>x</flow>"), ErrorCode::InvalidCharacter},
        {"a missing coordinate", page(word("x", "xMin=\"1\" yMin=\"2\" xMax=\"3\"")), ErrorCode::InvalidCharacter},
        {"a doubled coordinate", page(word("x", "xMin=\"1\" xMin=\"1\" yMin=\"2\" xMax=\"3\" yMax=\"4\"")),
         ErrorCode::InvalidCharacter},
        {"a coordinate with an exponent", page(word("x", "xMin=\"1e3\" yMin=\"2\" xMax=\"3\" yMax=\"4\"")),
         ErrorCode::InvalidCharacter},
        {"nan", page(word("x", "xMin=\"nan\" yMin=\"2\" xMax=\"3\" yMax=\"4\"")), ErrorCode::InvalidCharacter},
        {"inf", page(word("x", "xMin=\"-inf\" yMin=\"2\" xMax=\"3\" yMax=\"4\"")), ErrorCode::InvalidCharacter},
        {"a huge coordinate", page(word("x", "xMin=\"1" + std::string(400, '0') + "\" yMin=\"2\" xMax=\"3\" yMax=\"4\"")),
         ErrorCode::Overflow},
        {"an unquoted attribute", page(word("x", "xMin=1 yMin=\"2\" xMax=\"3\" yMax=\"4\"")), ErrorCode::InvalidCharacter},
        {"no blank between attributes", page(word("x", "xMin=\"1\"yMin=\"2\" xMax=\"3\" yMax=\"4\"")),
         ErrorCode::InvalidCharacter},
        {"a page without its size", "<html><body><doc><page></page></doc></body></html>", ErrorCode::InvalidCharacter},
        {"an unknown entity", page(word("&nbsp;")), ErrorCode::InvalidCharacter},
        {"a stray ampersand", page(word("a & b")), ErrorCode::InvalidCharacter},
        {"a surrogate entity", page(word("&#xD800;")), ErrorCode::InvalidCharacter},
        {"entity zero", page(word("&#0;")), ErrorCode::InvalidCharacter},
        {"an entity past Unicode", page(word("&#x110000;")), ErrorCode::InvalidCharacter},
        {"Latin-1 bytes", page(word("caf\xE9")), ErrorCode::InvalidUtf8},
        {"an encoded surrogate", page(word("\xED\xA0\x80")), ErrorCode::InvalidUtf8},
        {"an overlong form", page(word("\xC0\xAF")), ErrorCode::InvalidUtf8},
        {"a word too long", page(word(std::string(kMostWordBytes + 1, 'w'))), ErrorCode::Overflow},
        {"too many words", page("<flow><block><line>" + many(oneWord, kMostWordsPerPage + 1) + "</line></block></flow>"),
         ErrorCode::Overflow},
        {"too many pages",
         "<html><body><doc>" + many("<page width=\"1\" height=\"1\"/>", kMostPagesPerReport + 1) + "</doc></body></html>",
         ErrorCode::Overflow},
        {"a second root", page("") + "<html></html>", ErrorCode::InvalidCharacter},
        {"a declaration after the root", page("") + "<!DOCTYPE x>", ErrorCode::InvalidCharacter},
    };
    for (const auto& c : cases) {
        Allocator allocator;
        EXPECT_EQ(parseTextReport(allocator, c.report, kScale).error(), c.error) << c.what;
        EXPECT_EQ(allocator.liveBlocks(), 0u) << c.what;
    }
    Allocator allocator;
    EXPECT_EQ(parseTextReport(allocator, page(""), NAN).error(), ErrorCode::InvalidArgument);
    EXPECT_EQ(parseTextReport(allocator, page(word("x", "xMin=\"999999\" yMin=\"2\" xMax=\"3\" yMax=\"4\"")), 1e38f).error(),
              ErrorCode::Overflow);
}

TEST(TextReport, GivesBackEverythingWhenMemoryRunsOut) {
    const std::string report = test::reportData("groff-hyphenated.bbox.html");
    std::size_t failures = 0;
    for (std::size_t nth = 1;; ++nth) {
        Allocator allocator;
        allocator.failAllocation(nth);
        auto pages = parseTextReport(allocator, report, kScale);
        if (pages) break;
        EXPECT_EQ(pages.error(), ErrorCode::OutOfMemory) << nth;
        EXPECT_EQ(allocator.liveBlocks(), 0u) << nth;
        ++failures;
    }
    EXPECT_GT(failures, 5u);
}

}  // namespace
}  // namespace orva
