#include "base/utf.h"

namespace orva {

std::size_t decodeUtf8(std::string_view text, std::size_t at, char32_t& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(at);
    std::size_t count;
    char32_t value;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        count = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        count = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        count = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < count) return 0;
    for (std::size_t k = 1; k < count; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(at + k) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[count] || value > 0x10FFFF) return 0;
    codePoint = value;
    return count;
}

Result<std::size_t> utf16LengthOf(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const std::size_t n = decodeUtf8(text, i, cp);
        if (n == 0) return fail(ErrorCode::InvalidUtf8);
        units += cp >= 0x10000 ? 2 : 1;
        i += n;
    }
    return units;
}

Result<OwnedArray<char16_t>> utf8ToUtf16(Allocator& allocator, std::string_view text, bool terminate) {
    auto units = utf16LengthOf(text);
    if (!units) return fail(units.error());
    auto out = OwnedArray<char16_t>::createUninitialized(allocator, *units + (terminate ? 1 : 0));
    if (!out) return out;
    std::size_t o = 0;
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        i += decodeUtf8(text, i, cp);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            (*out)[o++] = static_cast<char16_t>(0xD800 + (cp >> 10));
            (*out)[o++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            (*out)[o++] = static_cast<char16_t>(cp);
        }
    }
    if (terminate) (*out)[o] = 0;
    return out;
}

Result<OwnedString> utf16ToUtf8(Allocator& allocator, std::u16string_view text) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u < 0x80) {
            bytes += 1;
        } else if (u < 0x800) {
            bytes += 2;
        } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            bytes += 4;
            ++i;
        } else {
            bytes += 3;
        }
    }
    auto out = OwnedArray<char>::createUninitialized(allocator, bytes);
    if (!out) return fail(out.error());
    std::size_t o = 0;
    const auto put = [&](char32_t b) { (*out)[o++] = static_cast<char>(b); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            put(cp);
        } else if (cp < 0x800) {
            put(0xC0 | (cp >> 6));
            put(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            put(0xE0 | (cp >> 12));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        } else {
            put(0xF0 | (cp >> 18));
            put(0x80 | ((cp >> 12) & 0x3F));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        }
    }
    return OwnedString::adopt(std::move(*out));
}

}  // namespace orva
