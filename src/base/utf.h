#pragma once
// UTF-8 <-> UTF-16 for the places where the program meets the system's wide
// entry points. Unpaired surrogates (legal in Windows names) travel through
// UTF-8 in their generalised three-byte form, so any name the system hands
// over can be given back to it unchanged.
#include <string_view>

#include "base/allocator.h"

namespace orva {

// With `terminate`, a zero code unit follows the text (not counted in the
// returned text's length, but present in the array's size).
Result<OwnedArray<char16_t>> utf8ToUtf16(Allocator& allocator, std::string_view text, bool terminate);
Result<OwnedString> utf16ToUtf8(Allocator& allocator, std::u16string_view text);

// Decodes the code point that starts at text[at] into `codePoint`; returns
// its length in bytes, or 0 where no valid sequence starts (a stray byte, an
// overlong form, a sequence cut short by the end of the text).
std::size_t decodeUtf8(std::string_view text, std::size_t at, char32_t& codePoint);

// Length of the conversion, or InvalidUtf8 for text that is not UTF-8.
Result<std::size_t> utf16LengthOf(std::string_view text);

}  // namespace orva
