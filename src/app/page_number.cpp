#include "app/page_number.h"

namespace orva {

std::optional<std::uint64_t> parsePageNumber(std::string_view text, std::uint64_t pageCount) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty() || text.size() > 19) return std::nullopt;
    std::uint64_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (number < 1 || number > pageCount) return std::nullopt;
    return number - 1;
}

FixedText<96> pageNumberRefusal(std::uint64_t pageCount) {
    FixedText<96> text;
    if (pageCount == 1) return text.append("This document has one page: enter 1."), text;
    text.append("Enter a page number from 1 to ").appendDecimal(pageCount).append(".");
    return text;
}

}  // namespace orva
