#include "pdf/decimal_field.h"

namespace orva {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

Result<std::uint32_t> parseDecimalU32(std::string_view text) {
    if (text.empty() || text.front() == '_' || text.back() == '_') return fail(ErrorCode::InvalidCharacter);
    const char sign = text.front();
    if (sign == '+' || sign == '-') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '_') return fail(ErrorCode::InvalidCharacter);
    }
    if (sign == '-') {
        // Only a negative zero fits in an unsigned value.
        for (const char c : text) {
            if (c == '0' || c == '_') continue;
            return fail(isDigit(c) ? ErrorCode::Overflow : ErrorCode::InvalidCharacter);
        }
        return 0u;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c == '_') continue;
        if (!isDigit(c)) return fail(ErrorCode::InvalidCharacter);
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > UINT32_MAX) return fail(ErrorCode::Overflow);
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace orva
