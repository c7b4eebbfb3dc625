#pragma once
// The characters of a page's text as the search and the selection see them:
// letter case folded, ligatures spelt out, white space and hyphens told
// apart from the rest.
#include <cstdint>
#include <string_view>

namespace orva {

// Unicode simple case folding: one code point to one code point (itself when
// it has no folding). ς and σ fold alike, as do K and the Kelvin sign.
char32_t foldCase(char32_t c) noexcept;

// The letters of the ligatures ff fi fl ffi ffl and the two st ligatures
// (U+FB00 to U+FB06), the long s of U+FB05 written as a plain s; empty for
// every other code point.
std::u32string_view ligatureLetters(char32_t c) noexcept;

// White space that parts words: the ASCII blanks and line ends, no-break and
// typographic spaces, the line and paragraph separators.
bool isWhiteSpace(char32_t c) noexcept;

// The hyphens that may end a line inside a word: '-', U+2010 and the soft
// hyphen U+00AD.
bool isLineEndHyphen(char32_t c) noexcept;

// A character that may stand on either side of a hyphen that splits a word:
// a letter, roughly (no digit, punctuation, white space or symbol of the
// ASCII and Latin-1 ranges, nothing of the punctuation blocks).
bool isWordCharacter(char32_t c) noexcept;

// The code point that starts at text[at] and its length; a byte that starts
// no valid sequence reads as U+FFFD, one byte long, so any text can be walked.
struct DecodedCharacter {
    char32_t value;
    std::uint32_t length;
};
DecodedCharacter decodeAt(std::string_view text, std::size_t at) noexcept;

// The number of code points of `text`, counted as decodeAt walks it.
std::size_t countCharacters(std::string_view text) noexcept;

}  // namespace orva
