// Reads arbitrary bytes as the PDF information tool's report and checks the
// page count against a second, plainer reading of the same rules: the first
// line (lines end at '\n') that starts with "Pages:" once spaces and carriage
// returns are cut from its ends; that line's second field, fields being
// parted by runs of spaces and tabs; the field as an unsigned decimal (an
// optional sign, underscores inside, leading zeros), where 0 means no pages.
// The plain reading compares digits as text instead of accumulating them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz_check.h"
#include "base/allocator.h"
#include "pdf/page_count_report.h"

namespace {

using namespace orva;

using fuzz::check;

enum class Reading { Count, NoLine, NoField, Malformed, TooLarge, Zero };

struct Expected {
    Reading reading;
    std::uint32_t count = 0;
    bool nonZeroDigit = false;  // a Malformed field may still overflow first
};

Expected readField(std::string_view field) {
    bool negative = false;
    if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    Expected result{Reading::Count};
    result.nonZeroDigit = field.find_first_of("123456789") != std::string_view::npos;
    if (field.empty() || field.front() == '_' || field.back() == '_' ||
        field.find_first_not_of("0123456789_") != std::string_view::npos) {
        result.reading = Reading::Malformed;
        return result;
    }
    // The significant digits, underscores left out.
    char digits[11];
    std::size_t count = 0;
    for (const char c : field) {
        if (c == '_' || (c == '0' && count == 0)) continue;
        if (count == sizeof digits) break;
        digits[count++] = c;
    }
    if (count == 0) {
        result.reading = Reading::Zero;
    } else if (negative || count > 10 || (count == 10 && std::string_view(digits, 10) > "4294967295")) {
        result.reading = Reading::TooLarge;
    } else {
        for (std::size_t i = 0; i < count; ++i) result.count = result.count * 10 + static_cast<std::uint32_t>(digits[i] - '0');
    }
    return result;
}

Expected readReport(std::string_view report) {
    for (std::size_t begin = 0; begin <= report.size();) {
        std::size_t end = report.find('\n', begin);
        if (end == std::string_view::npos) end = report.size();
        std::string_view line = report.substr(begin, end - begin);
        begin = end + 1;
        const std::size_t first = line.find_first_not_of(" \r");
        if (first == std::string_view::npos) continue;
        line = line.substr(first, line.find_last_not_of(" \r") + 1 - first);
        if (line.substr(0, 6) != "Pages:") continue;
        const std::size_t gap = line.find_first_of(" \t");
        const std::size_t field = line.find_first_not_of(" \t", gap);
        if (gap == std::string_view::npos || field == std::string_view::npos) return {Reading::NoField};
        return readField(line.substr(field, line.find_first_of(" \t", field) - field));
    }
    return {Reading::NoLine};
}

void compare(const Result<std::uint32_t>& count, const Expected& expected) {
    switch (expected.reading) {
        case Reading::Count:
            check(count && *count == expected.count, "the count both readings find");
            break;
        case Reading::NoLine:
        case Reading::NoField:
            check(!count && count.error() == ErrorCode::PdfInfoFailed, "no page line or no number: PdfInfoFailed");
            break;
        case Reading::Zero:
            check(!count && count.error() == ErrorCode::NoPages, "a count of 0: NoPages");
            break;
        case Reading::TooLarge:
            check(!count && count.error() == ErrorCode::Overflow, "a count past 32 bits: Overflow");
            break;
        case Reading::Malformed:
            check(!count && (count.error() == ErrorCode::InvalidCharacter ||
                             (count.error() == ErrorCode::Overflow && expected.nonZeroDigit)),
                  "a field that is not a number: InvalidCharacter, or Overflow when its digits say so");
            break;
    }
    check(!count || *count >= 1, "a page count is at least 1");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view report(reinterpret_cast<const char*>(data), size);
    const auto count = parsePageCountReport(report);
    const Expected expected = readReport(report);
    compare(count, expected);

    // Only the first page line counts: one more at the end changes nothing,
    // unless there was none.
    Allocator allocator;
    {
        ByteBuilder longer(allocator);
        if (longer.append(report) && longer.append("\nPages: 1\n")) {
            const auto again = parsePageCountReport(longer.text());
            if (expected.reading == Reading::NoLine) {
                check(again && *again == 1, "the added page line is read when there was none");
            } else {
                check(again == count, "a later page line changes nothing");
            }
        }
    }
    check(allocator.liveBlocks() == 0, "nothing left after release");
    return 0;
}
