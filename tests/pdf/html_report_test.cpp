#include "pdf/html_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/report_data.h"

namespace orva {
namespace {

constexpr float kScale = 150.0f / 108;

// The failure, or ErrorCode{} for a success.
template <class T>
ErrorCode errorOf(const Result<T>& result) {
    return result ? ErrorCode{} : result.error();
}

// "depth page title" for every entry.
std::vector<std::string> entriesOf(const Outline& outline) {
    std::vector<std::string> out;
    for (const OutlineEntry& entry : outline.entries) {
        out.push_back(std::to_string(entry.depth) + " " + std::to_string(entry.page) + " " + std::string(entry.title.view()));
    }
    return out;
}

TEST(HtmlReport, ReadsTheOutlineAndLinksOfTheManual) {
    Allocator allocator;
    {
        const std::string report = test::reportData("libtasn1-page1.xml");
        auto outline = parseOutlineReport(allocator, report);
        ASSERT_TRUE(outline) << errorName(outline.error());
        const std::vector<std::string> entries = entriesOf(*outline);
        ASSERT_EQ(entries.size(), 21u);
        EXPECT_EQ(entries[0], "0 4 1 Introduction");
        EXPECT_EQ(entries[2], "1 5 ASN.1 syntax");
        EXPECT_EQ(entries[7], "0 8 3 Utilities");
        EXPECT_EQ(entries[20], "0 36 Function and Data Index");
        std::size_t top = 0;
        for (const OutlineEntry& entry : outline->entries) top += entry.depth == 0;
        EXPECT_EQ(top, 7u);

        auto links = parseLinkReport(allocator, report, "libtasn1.html", kScale);
        ASSERT_TRUE(links) << errorName(links.error());
        ASSERT_EQ(links->links.size(), 3u);
        // <text top="1004" left="135" width="291" height="19">Nikos Mavrogiannopoulos <a>(</a></text>:
        // the link is the last of 25 characters.
        const PageLink& opening = links->links[0];
        EXPECT_EQ(opening.kind, LinkKind::Mail);
        EXPECT_EQ(opening.target.view(), "mailto:help-libtasn1@gnu.org");
        EXPECT_FLOAT_EQ(opening.box.left, (135 + 291 * 24 / 25.0f) * kScale);
        EXPECT_FLOAT_EQ(opening.box.right, (135 + 291) * kScale);
        EXPECT_FLOAT_EQ(opening.box.top, 1004 * kScale);
        EXPECT_FLOAT_EQ(opening.box.bottom, 1023 * kScale);
        // <text top="1006" left="426" width="233" height="18"><a>help-libtasn1@gnu.org</a></text>
        EXPECT_FLOAT_EQ(links->links[1].box.left, 426 * kScale);
        EXPECT_FLOAT_EQ(links->links[1].box.right, 659 * kScale);
    }
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

std::string report(const std::string& page, const std::string& outline = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE pdf2xml SYSTEM \"pdf2xml.dtd\">\n\n"
           "<pdf2xml producer=\"poppler\" version=\"22.12.0\">\n<page number=\"1\" position=\"absolute\" top=\"0\" "
           "left=\"0\" height=\"1188\" width=\"918\">\n\t<fontspec id=\"0\" size=\"16\" family=\"A\" color=\"#000000\"/>\n" +
           page + "\n</page>\n" + outline + "</pdf2xml>\n";
}

std::string text(const std::string& inside) {
    return "<text top=\"10\" left=\"100\" width=\"40\" height=\"20\" font=\"0\">" + inside + "</text>";
}

TEST(HtmlReport, TellsTheKindsOfLinks) {
    const struct {
        std::string page;
        std::vector<std::string> links;  // "kind page target left right"
    } cases[] = {
        {text("<a href=\"x y.html#4\">four</a>"), {"0 4 x y.html#4 100 140"}},
        {text("<b><a href=\"x y.html#12\"><i>ab</i></a>cd</b>"), {"0 12 x y.html#12 100 120"}},
        {text("ab<a href=\"HTTPS://e.org/?a=1&amp;b=2\">cd</a>") + text("<a href=\"http://e.org\">x</a>"),
         {"1 0 HTTPS://e.org/?a=1&b=2 120 140", "1 0 http://e.org 100 140"}},
        {text("<a href=\"MailTo:a@b.c\">&#34;m&#34;</a>"), {"2 0 MailTo:a@b.c 100 140"}},
        {text("<a href=\"other.html#4\">a</a><a href=\"x y.html#\">b</a><a href=\"x y.html#0\">c</a>"
              "<a href=\"file:///c:/x\">d</a>"),
         {"3 0 other.html#4 100 110", "3 0 x y.html# 110 120", "3 0 x y.html#0 120 130", "3 0 file:///c:/x 130 140"}},
        {text("<a href=\"x y.html#4\"></a>"), {"0 4 x y.html#4 100 140"}},
        {text("no link") + "<text top=\"1\" left=\"2\" width=\"3\" height=\"4\" font=\"0\"><a>named</a></text>", {}},
    };
    for (const auto& c : cases) {
        Allocator allocator;
        {
            auto links = parseLinkReport(allocator, report(c.page), "x y.html", 1);
            ASSERT_TRUE(links) << c.page << ": " << errorName(links.error());
            std::vector<std::string> found;
            for (const PageLink& link : links->links) {
                found.push_back(std::to_string(static_cast<int>(link.kind)) + " " + std::to_string(link.page) + " " +
                                std::string(link.target.view()) + " " + std::to_string(static_cast<int>(link.box.left)) +
                                " " + std::to_string(static_cast<int>(link.box.right)));
            }
            EXPECT_EQ(found, c.links) << c.page;
        }
        EXPECT_EQ(allocator.liveBlocks(), 0u);
    }
}

TEST(HtmlReport, ReadsOutlinesAsTheToolNestsThem) {
    Allocator allocator;
    {
        auto outline = parseOutlineReport(
            allocator, report("", "<outline>\n<item page=\"2\">A &amp; B &lt;&#233;&#x3A3;&gt;</item>\n<outline>\n"
                                  "<item>No page</item>\n<outline>\n<item page=\"9\"></item>\n</outline>\n</outline>\n"
                                  "<item page=\"3\">C</item>\n</outline>\n"));
        ASSERT_TRUE(outline) << errorName(outline.error());
        EXPECT_EQ(entriesOf(*outline),
                  (std::vector<std::string>{"0 2 A & B <éΣ>", "1 0 No page", "2 9 ", "0 3 C"}));
        auto none = parseOutlineReport(allocator, report(text("x")));
        ASSERT_TRUE(none);
        EXPECT_TRUE(none->empty());
    }
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

std::string nested(std::size_t depth) {
    std::string out;
    for (std::size_t i = 0; i < depth; ++i) out += "<outline><item page=\"1\">x</item>";
    for (std::size_t i = 0; i < depth; ++i) out += "</outline>";
    return out;
}

TEST(HtmlReport, RefusesWhatTheToolDoesNotPrint) {
    std::string manyLinks;
    for (std::uint32_t i = 0; i <= kMostLinksPerPage; ++i) manyLinks += text("<a href=\"h\">x</a>");
    std::string manyEntries = "<outline>";
    for (std::uint32_t i = 0; i <= kMostOutlineEntries; ++i) manyEntries += "<item>x</item>";
    manyEntries += "</outline>";
    const struct {
        const char* what;
        std::string report;
        ErrorCode error;
    } cases[] = {
        {"cut short", report(text("x")).substr(0, 150), ErrorCode::InvalidCharacter},
        {"text outside a text element", report("loose"), ErrorCode::InvalidCharacter},
        {"a text element without its box", report("<text top=\"1\" left=\"2\" width=\"3\">x</text>"),
         ErrorCode::InvalidCharacter},
        {"a position that is no number", report("<text top=\"1\" left=\"2\" width=\"3\" height=\"x\">x</text>"),
         ErrorCode::InvalidCharacter},
        {"a huge position", report("<text top=\"1\" left=\"99999999999\" width=\"3\" height=\"4\">x</text>"),
         ErrorCode::Overflow},
        {"a link inside a link", report(text("<a href=\"a\"><b><a href=\"b\">x</a></b></a>")),
         ErrorCode::InvalidCharacter},
        {"an unknown element", report(text("<span>x</span>")), ErrorCode::InvalidCharacter},
        {"a bad entity in a target", report(text("<a href=\"a&b\">x</a>")), ErrorCode::InvalidCharacter},
        {"an item outside an outline", report("", "<item page=\"1\">x</item>"), ErrorCode::InvalidCharacter},
        {"a child outline first", report("", "<outline><outline><item>x</item></outline></outline>"),
         ErrorCode::InvalidCharacter},
        {"two child outlines in a row",
         report("", "<outline><item>a</item><outline><item>b</item></outline><outline><item>c</item></outline></outline>"),
         ErrorCode::InvalidCharacter},
        {"two outlines", report("", "<outline></outline><outline></outline>"), ErrorCode::InvalidCharacter},
        {"a page that is no number", report("", "<outline><item page=\"-1\">x</item></outline>"),
         ErrorCode::InvalidCharacter},
        {"a page past 32 bits", report("", "<outline><item page=\"4294967296\">x</item></outline>"),
         ErrorCode::Overflow},
        {"markup in a title", report("", "<outline><item page=\"1\"><b>x</b></item></outline>"),
         ErrorCode::InvalidCharacter},
        {"Latin-1 in a title", report("", "<outline><item page=\"1\">caf\xE9</item></outline>"), ErrorCode::InvalidUtf8},
        {"too deep an outline", report("", nested(kMostOutlineDepth + 1)), ErrorCode::Overflow},
    };
    for (const auto& c : cases) {
        Allocator allocator;
        const auto outline = parseOutlineReport(allocator, c.report);
        const auto links = parseLinkReport(allocator, c.report, "x.html", kScale);
        EXPECT_EQ(errorOf(outline), c.error) << c.what;
        EXPECT_EQ(errorOf(links), c.error) << c.what;
        EXPECT_EQ(allocator.liveBlocks(), 0u) << c.what;
    }
    // Each reader counts only what it keeps.
    Allocator allocator;
    EXPECT_EQ(parseOutlineReport(allocator, report("", manyEntries)).error(), ErrorCode::Overflow);
    EXPECT_TRUE(parseLinkReport(allocator, report("", manyEntries), "x.html", 1));
    EXPECT_EQ(parseLinkReport(allocator, report(manyLinks), "x.html", 1).error(), ErrorCode::Overflow);
    EXPECT_TRUE(parseOutlineReport(allocator, report(manyLinks)));
    EXPECT_TRUE(parseOutlineReport(allocator, report("", nested(kMostOutlineDepth))));
    EXPECT_EQ(parseLinkReport(allocator, report(""), "x.html", -1).error(), ErrorCode::InvalidArgument);
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

TEST(HtmlReport, GivesBackEverythingWhenMemoryRunsOut) {
    const std::string manual = test::reportData("libtasn1-page1.xml");
    for (const bool outline : {true, false}) {
        std::size_t failures = 0;
        for (std::size_t nth = 1;; ++nth) {
            Allocator allocator;
            allocator.failAllocation(nth);
            const ErrorCode error = outline ? errorOf(parseOutlineReport(allocator, manual))
                                            : errorOf(parseLinkReport(allocator, manual, "libtasn1.html", kScale));
            EXPECT_EQ(allocator.liveBlocks(), 0u) << nth;
            if (error == ErrorCode{}) break;
            EXPECT_EQ(error, ErrorCode::OutOfMemory) << nth;
            ++failures;
        }
        EXPECT_GT(failures, 3u);
    }
}

}  // namespace
}  // namespace orva
