#include "document/text_folding.h"

#include "base/utf.h"
#include "document/case_fold_table.h"

namespace orva {

char32_t foldCase(char32_t c) noexcept {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
    // The last run that starts at or before c.
    std::size_t low = 0, high = std::size(case_fold::kRuns);
    while (high - low > 1) {
        const std::size_t middle = (low + high) / 2;
        if (case_fold::kRuns[middle].first <= c) {
            low = middle;
        } else {
            high = middle;
        }
    }
    const case_fold::Run& run = case_fold::kRuns[low];
    if (c < run.first) return c;
    const char32_t step = c - run.first;
    if (step % run.stride != 0 || step / run.stride >= run.count) return c;
    return static_cast<char32_t>(static_cast<std::int64_t>(c) + run.offset);
}

std::u32string_view ligatureLetters(char32_t c) noexcept {
    switch (c) {
        case 0xFB00: return U"ff";
        case 0xFB01: return U"fi";
        case 0xFB02: return U"fl";
        case 0xFB03: return U"ffi";
        case 0xFB04: return U"ffl";
        case 0xFB05:
        case 0xFB06: return U"st";
        default: return {};
    }
}

bool isWhiteSpace(char32_t c) noexcept {
    if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D);
    return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isLineEndHyphen(char32_t c) noexcept { return c == '-' || c == 0x2010 || c == 0xAD; }

bool isWordCharacter(char32_t c) noexcept {
    if (c < 0x80) return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
    if (c < 0xC0) return c == 0xAA || c == 0xB5 || c == 0xBA;
    if (c == 0xD7 || c == 0xF7) return false;
    if (c >= 0x2000 && c <= 0x2BFF) return false;  // punctuation, symbols, arrows, shapes
    if (c >= 0x3000 && c <= 0x303F) return false;  // CJK punctuation
    if (c >= 0xFE10 && c <= 0xFE6F) return false;  // forms of punctuation
    if (c >= 0xFF00 && c <= 0xFF20) return false;  // full-width punctuation and digits
    return c != 0xFFFD && !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF;
}

DecodedCharacter decodeAt(std::string_view text, std::size_t at) noexcept {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) return {byte, 1};
    char32_t c = 0;
    const std::size_t length = decodeUtf8(text, at, c);
    if (length == 0) return {0xFFFD, 1};
    return {c, static_cast<std::uint32_t>(length)};
}

std::size_t countCharacters(std::string_view text) noexcept {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at += decodeAt(text, at).length) ++count;
    return count;
}

}  // namespace orva
