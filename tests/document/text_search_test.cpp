#include "document/text_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/page_text_maker.h"
#include "document/text_folding.h"
#include "pdf/text_report.h"

namespace orva {
namespace {

using test::Blocks;
using test::makePage;
using Hits = std::vector<std::string>;

// Every hit as "firstWord:firstOffset-lastWord:lastEnd".
Hits hitsOf(Allocator& allocator, const PageText& page, std::string_view query, bool matchCase) {
    auto prepared = prepareQuery(allocator, query, matchCase);
    if (!prepared) return {"error"};
    auto hits = findOnPage(allocator, page, *prepared);
    if (!hits) return {"error"};
    Hits written;
    for (const TextHit& hit : *hits) {
        written.push_back(std::to_string(hit.firstWord) + ":" + std::to_string(hit.firstOffset) + "-" +
                          std::to_string(hit.lastWord) + ":" + std::to_string(hit.lastEnd));
    }
    return written;
}

struct SearchCase {
    const char* what;
    Blocks page;
    std::string query;
    bool matchCase;
    Hits hits;
};

TEST(TextSearch, FindsWhatAReaderExpects) {
    const Blocks fox = {{{"The", "Quick", "brown"}, {"fox", "jumps"}}, {{"over", "the", "lazy", "dog."}}};
    const SearchCase cases[] = {
        {"letter case ignored", fox, "the", false, {"0:0-0:3", "6:0-6:3"}},
        {"letter case matched", fox, "the", true, {"6:0-6:3"}},
        {"a blank run between words", fox, "QUICK  \t Brown", false, {"1:0-2:5"}},
        {"a line break", fox, "brown fox", false, {"2:0-3:3"}},
        {"a block break", fox, "jumps over", false, {"4:0-5:4"}},
        {"blanks around the query", fox, "  fox\n", false, {"3:0-3:3"}},
        {"parts of words", fox, "own f", false, {"2:2-3:1"}},
        {"no gap is no match", fox, "brownfox", false, {}},
        {"every hit in reading order", fox, "O", false, {"2:2-2:3", "3:1-3:2", "5:0-5:1", "8:1-8:2"}},
        {"hits do not overlap", {{{"aaaaa"}}}, "aa", false, {"0:0-0:2", "0:2-0:4"}},
        {"past the last word", fox, "dog. x", false, {}},
        {"accented Greek, final sigma", {{{"ΣΟΦΊΑ", "λόγος"}}}, "σοφία ΛΌΓΟΣ", false, {"0:0-1:10"}},
        {"Greek case matched", {{{"ΣΟΦΊΑ", "σοφία"}}}, "σοφία", true, {"1:0-1:10"}},
        {"Cyrillic", {{{"ЀЛКА", "ѠҀ"}}}, "ѐлка ѡҁ", false, {"0:0-1:4"}},
        {"Latin Extended-A and B", {{{"ĀǄǅ", "Ʃ"}}}, "āǆǆ ʃ", false, {"0:0-1:2"}},
        {"Kelvin sign and long s", {{{"\u212Aiſs"}}}, "KISS", false, {"0:0-0:7"}},
        {"split word joined", {{{"decod-"}, {"ing"}}}, "decoding", false, {"0:0-1:3"}},
        {"split word with its hyphen", {{{"decod-"}, {"ing"}}}, "decod-ing", false, {"0:0-1:3"}},
        {"split word with hyphen and blank", {{{"decod-"}, {"ing"}}}, "decod- ing", false, {"0:0-1:3"}},
        {"split by a soft hyphen", {{{"a", "decod\u00AD"}, {"ing"}}}, "decoding", false, {"1:0-2:3"}},
        {"split by U+2010", {{{"decod\u2010"}, {"ing"}}}, "decoding", false, {"0:0-1:3"}},
        {"the hyphen alone", {{{"decod-"}, {"ing"}}}, "-", false, {"0:5-0:6"}},
        {"not across blocks", {{{"decod-"}}, {{"ing"}}}, "decoding", false, {}},
        {"not between numbers", {{{"12-"}, {"14"}}}, "1214", false, {}},
        {"a hyphen inside a line is kept", {{{"decod-", "ing"}}}, "decoding", false, {}},
        {"a soft hyphen inside a word is not seen", {{{"de\u00ADcoding"}}}, "decoding", false, {"0:0-0:10"}},
        {"U+2010 found by '-'", {{{"well\u2010known"}}}, "well-known", false, {"0:0-0:12"}},
        {"an empty query finds nothing", fox, " \t ", false, {}},
    };
    for (const SearchCase& c : cases) {
        Allocator allocator;
        {
            const PageText page = makePage(allocator, c.page);
            EXPECT_EQ(hitsOf(allocator, page, c.query, c.matchCase), c.hits) << c.what;
        }
        EXPECT_EQ(allocator.liveBlocks(), 0u) << c.what;
    }
}

TEST(TextSearch, LigaturesAndSplitWordsOfRealReports) {
    // Hand-written in the text tool's form: groff and pdfTeX map their
    // ligatures to letters, other producers do not.
    const std::string_view ligatures =
        "<html><body><doc><page width=\"612\" height=\"792\"><flow><block><line>"
        "<word xMin=\"1\" yMin=\"1\" xMax=\"2\" yMax=\"2\">\uFB01nd</word>"
        "<word xMin=\"3\" yMin=\"1\" xMax=\"4\" yMax=\"2\">e\uFB03cient</word>"
        "<word xMin=\"5\" yMin=\"1\" xMax=\"6\" yMax=\"2\">\uFB06op</word>"
        "<word xMin=\"7\" yMin=\"1\" xMax=\"8\" yMax=\"2\">find</word>"
        "</line></block></flow></page></doc></body></html>";
    // groff -Tpdf hyphenated "interoperability" at a line's end.
    const std::string_view hyphenated =
        "<html><body><doc><page width=\"595.000000\" height=\"842.000000\"><flow>"
        "<block xMin=\"72.000000\" yMin=\"77.170000\" xMax=\"288.000000\" yMax=\"122.170000\">\n"
        "<line xMin=\"72.000000\" yMin=\"101.170000\" xMax=\"288.000000\" yMax=\"110.170000\">\n"
        "<word xMin=\"185.807000\" yMin=\"101.170000\" xMax=\"245.947000\" yMax=\"110.170000\">comprehensive</word>\n"
        "<word xMin=\"248.770000\" yMin=\"101.170000\" xMax=\"288.000000\" yMax=\"110.170000\">interoper-</word>\n"
        "</line>\n"
        "<line xMin=\"72.000000\" yMin=\"113.170000\" xMax=\"257.470000\" yMax=\"122.170000\">\n"
        "<word xMin=\"72.000000\" yMin=\"113.170000\" xMax=\"99.410000\" yMax=\"122.170000\">ability,</word>\n"
        "<word xMin=\"101.910000\" yMin=\"113.170000\" xMax=\"166.360000\" yMax=\"122.170000\">notwithstanding</word>\n"
        "</line></block></flow></page></doc></body></html>";
    const struct {
        std::string_view report;
        std::string query;
        bool matchCase;
        Hits hits;
    } cases[] = {
        {ligatures, "find", false, {"0:0-0:5", "3:0-3:4"}},
        {ligatures, "FFI", false, {"1:1-1:4"}},
        {ligatures, "fic", true, {"1:1-1:5"}},
        {ligatures, "st", true, {"2:0-2:3"}},
        {ligatures, "\uFB01nd", false, {"0:0-0:5", "3:0-3:4"}},
        {ligatures, "cient \uFB06", false, {"1:4-2:3"}},
        {hyphenated, "interoperability", false, {"1:0-2:7"}},
        {hyphenated, "Interoper-ability,", false, {"1:0-2:8"}},
        {hyphenated, "comprehensive interoper- ability", false, {"0:0-2:7"}},
        {hyphenated, "ability", false, {"2:0-2:7"}},
    };
    for (const auto& c : cases) {
        Allocator allocator;
        {
            auto pages = parseTextReport(allocator, c.report, 150.0f / 72);
            ASSERT_TRUE(pages) << errorName(pages.error());
            ASSERT_EQ(pages->size(), 1u);
            EXPECT_EQ(hitsOf(allocator, (*pages)[0], c.query, c.matchCase), c.hits) << c.query;
        }
        EXPECT_EQ(allocator.liveBlocks(), 0u);
    }
}

TEST(TextSearch, FoldsCaseAsTheUnicodeTableSays) {
    const struct {
        char32_t from, to;
    } cases[] = {
        {U'A', U'a'},       {U'z', U'z'},       {0xC0, 0xE0},       {0xDE, 0xFE},       {0xDF, 0xDF},
        {0xB5, 0x3BC},      {0x100, 0x101},     {0x101, 0x101},     {0x178, 0xFF},      {0x17F, U's'},
        {0x130, 0x130},     {0x1C4, 0x1C6},     {0x1C5, 0x1C6},     {0x1A9, 0x283},     {0x245, 0x28C},
        {0x386, 0x3AC},     {0x38F, 0x3CE},     {0x3A3, 0x3C3},     {0x3C2, 0x3C3},     {0x3D0, 0x3B2},
        {0x3F4, 0x3B8},     {0x1F88, 0x1F80},   {0x1FD3, 0x390},    {0x400, 0x450},     {0x40F, 0x45F},
        {0x410, 0x430},     {0x460, 0x461},     {0x480, 0x481},     {0x481, 0x481},     {0x4C0, 0x4CF},
        {0x1E9E, 0xDF},     {0x212A, U'k'},     {0x2126, 0x3C9},    {0x13A0, 0x13A0},   {0xAB70, 0x13A0},
        {0xFF21, 0xFF41},   {0x10400, 0x10428}, {0x1E921, 0x1E943}, {0x10FFFF, 0x10FFFF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<std::uint32_t>(foldCase(c.from)), static_cast<std::uint32_t>(c.to))
            << std::hex << static_cast<std::uint32_t>(c.from);
    }
}

TEST(TextSearch, HighlightsTheShareOfEachWordAHitCovers) {
    Allocator allocator;
    const PageText page = makePage(allocator, {{{"abcd", "efgh"}, {"\u00E9t\u00E9s"}}});
    const struct {
        TextHit hit;
        std::vector<float> edges;  // left and right of each box
    } cases[] = {
        {{0, 2, 1, 1}, {20, 40, 50, 60}},
        {{0, 0, 0, 4}, {0, 40}},
        {{1, 1, 1, 3}, {60, 80}},
        // Four characters in six bytes (and a box 60 wide): é is one.
        {{2, 2, 2, 5}, {15, 45}},
        {{1, 0, 0, 1}, {}},
        {{0, 0, 9, 1}, {}},
    };
    for (const auto& c : cases) {
        TextBox boxes[4];
        const std::size_t count = hitBoxes(page, c.hit, boxes);
        std::vector<float> edges;
        for (std::size_t i = 0; i < count; ++i) {
            edges.push_back(boxes[i].left);
            edges.push_back(boxes[i].right);
        }
        EXPECT_EQ(edges, c.edges) << c.hit.firstWord << ":" << c.hit.firstOffset;
    }
    TextBox one[1];
    EXPECT_EQ(hitBoxes(page, {0, 0, 1, 4}, one), 1u);
}

TEST(TextSearch, FailsCleanly) {
    Allocator allocator;
    EXPECT_EQ(prepareQuery(allocator, "ab\xC3", false).error(), ErrorCode::InvalidUtf8);
    EXPECT_EQ(prepareQuery(allocator, "\xED\xA0\x80", false).error(), ErrorCode::InvalidUtf8);
    {
        const PageText page = makePage(allocator, {{{"aa", "aa"}}});
        auto query = prepareQuery(allocator, "a", false);
        ASSERT_TRUE(query);
        allocator.failAllocation(1);
        EXPECT_EQ(findOnPage(allocator, page, *query).error(), ErrorCode::OutOfMemory);
        allocator.failAllocation(1);
        EXPECT_EQ(prepareQuery(allocator, "a", false).error(), ErrorCode::OutOfMemory);
    }
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

}  // namespace
}  // namespace orva
