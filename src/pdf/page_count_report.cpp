#include "pdf/page_count_report.h"

#include <optional>

#include "pdf/decimal_field.h"

namespace orva {

namespace {

std::string_view stripLine(std::string_view line) {
    const auto stripped = [](char c) { return c == ' ' || c == '\r'; };
    while (!line.empty() && stripped(line.front())) line.remove_prefix(1);
    while (!line.empty() && stripped(line.back())) line.remove_suffix(1);
    return line;
}

std::optional<std::string_view> findLine(std::string_view report, std::string_view label) {
    for (;;) {
        const std::size_t feed = report.find('\n');
        const std::string_view line = stripLine(report.substr(0, feed));
        if (line.size() >= label.size() && line.starts_with(label)) return line;
        if (feed == std::string_view::npos) return std::nullopt;
        report.remove_prefix(feed + 1);
    }
}

// The second field of a line split at runs of spaces and tabs.
std::optional<std::string_view> secondField(std::string_view line) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t i = 0;
    while (i < line.size() && !blank(line[i])) ++i;
    while (i < line.size() && blank(line[i])) ++i;
    if (i == line.size()) return std::nullopt;
    std::size_t end = i;
    while (end < line.size() && !blank(line[end])) ++end;
    return line.substr(i, end - i);
}

}  // namespace

Result<std::uint32_t> parsePageCountReport(std::string_view report) {
    const auto line = findLine(report, "Pages:");
    if (!line) return fail(ErrorCode::PdfInfoFailed);
    const auto field = secondField(*line);
    if (!field) return fail(ErrorCode::PdfInfoFailed);
    auto count = parseDecimalU32(*field);
    if (!count) return count;
    if (*count == 0) return fail(ErrorCode::NoPages);
    return count;
}

bool reportAllowsCopying(std::string_view report) {
    // "Encrypted:      yes (print:yes copy:no change:no addNotes:no algorithm:AES-256)"
    const auto line = findLine(report, "Encrypted:");
    return !line || line->find("copy:no") == std::string_view::npos;
}

}  // namespace orva
