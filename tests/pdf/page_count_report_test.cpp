#include "pdf/page_count_report.h"

#include <gtest/gtest.h>

namespace orva {
namespace {

struct ReportCase {
    const char* what;
    std::string_view report;
    Result<std::uint32_t> count;
};

TEST(PageCountReport, ReadsTheNumberOnTheFirstPagesLine) {
    const ReportCase cases[] = {
        {"a full report with CR LF",
         "Title:          x\r\nProducer:       y\r\nPages:          36\r\nEncrypted:      no\r\n", 36u},
        {"no final line feed", "Producer: y\nPages: 12", 12u},
        {"indented with spaces", "   Pages: 5\n", 5u},
        {"tab between colon and number", "Pages:\t\t9\n", 9u},
        {"further text after the number", "Pages: 7 (approx)\n", 7u},
        {"the first of two page lines", "Pages: 3\nPages: 4\n", 3u},
        {"underscores and a plus sign", "Pages: +1_000\n", 1000u},
        {"the 32-bit maximum", "Pages: 4294967295\n", 4294967295u},
        {"stray carriage returns around the line", "\r\r Pages: 2 \r\r\n", 2u},
        {"indented with a tab, nothing else", "\tPages: 5\n", fail(ErrorCode::PdfInfoFailed)},
        {"indented with a tab, a later line counts", "\tPages: 5\nPages: 6\n", 6u},
        {"different letter case", "pages: 5\nPAGES: 5\n", fail(ErrorCode::PdfInfoFailed)},
        {"no page line", "Title: x\nProducer: y\n", fail(ErrorCode::PdfInfoFailed)},
        {"empty report", "", fail(ErrorCode::PdfInfoFailed)},
        {"no blank after the colon", "Pages:12\n", fail(ErrorCode::PdfInfoFailed)},
        {"no number at all", "Pages:\n", fail(ErrorCode::PdfInfoFailed)},
        {"only blanks after the colon", "Pages:   \t\n", fail(ErrorCode::PdfInfoFailed)},
        {"zero pages", "Pages: 0\n", fail(ErrorCode::NoPages)},
        {"minus zero", "Pages: -0_0\n", fail(ErrorCode::NoPages)},
        {"negative", "Pages: -3\n", fail(ErrorCode::Overflow)},
        {"too big", "Pages: 4294967296\n", fail(ErrorCode::Overflow)},
        {"a letter in the number", "Pages: 1O\n", fail(ErrorCode::InvalidCharacter)},
        {"the line is what counts, not a later one", "Pages: x\nPages: 4\n", fail(ErrorCode::InvalidCharacter)},
        {"short lines are skipped", "Pages\nP\nPages: 8\n", 8u},
    };
    for (const ReportCase& c : cases) EXPECT_EQ(parsePageCountReport(c.report), c.count) << c.what;
}

TEST(PageCountReport, CopyingIsForbiddenOnlyByTheEncryptedLine) {
    const std::pair<const char*, bool> cases[] = {
        {"Pages: 3\nEncrypted:      no\n", true},
        {"Pages: 3\nEncrypted:      yes (print:yes copy:no change:no addNotes:no algorithm:AES-256)\r\n", false},
        {"Encrypted: yes (print:no copy:yes change:no addNotes:no algorithm:RC4)\nPages: 3\n", true},
        {"Title: copy:no\nPages: 3\n", true},
        {"", true},
    };
    for (const auto& [report, allowed] : cases) EXPECT_EQ(reportAllowsCopying(report), allowed) << report;
}

}  // namespace
}  // namespace orva
