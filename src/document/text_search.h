#pragma once
// Finding a query in a page's text the way a reader expects: letter case
// folded (Unicode simple case folding) unless asked to match it, any run of
// white space in the query matching any white space or line break between
// words, a word hyphenated at a line end matching unhyphenated, and the
// ligatures ff fi fl ffi ffl and the two st ligatures matching their letters.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/allocator.h"
#include "document/text_layer.h"

namespace orva {

// A query made ready for searching: its characters folded as the page's are.
struct PreparedQuery {
    OwnedArray<char32_t> characters;  // folded; a white-space run is one U+0020
    bool matchCase = false;
    bool empty() const noexcept { return characters.empty(); }
};

// InvalidUtf8 for a query that is not UTF-8; an empty or all-white query
// gives an empty PreparedQuery, which finds nothing.
Result<PreparedQuery> prepareQuery(Allocator& allocator, std::string_view query, bool matchCase);

// One hit: from byte `firstOffset` of word `firstWord` to byte `lastEnd`
// (exclusive) of word `lastWord`, in the words' own text.
struct TextHit {
    std::uint32_t firstWord = 0;
    std::uint32_t firstOffset = 0;
    std::uint32_t lastWord = 0;
    std::uint32_t lastEnd = 0;
};

// Every hit on the page, in reading order, not overlapping (each search goes
// on after the end of the hit before). OutOfMemory.
Result<OwnedArray<TextHit>> findOnPage(Allocator& allocator, const PageText& page, const PreparedQuery& query);

// The boxes to highlight for a hit, one a word it covers; a hit that starts
// or ends inside a word covers the share of its box that its characters take.
// Returns how many boxes were written (at most out.size()).
std::size_t hitBoxes(const PageText& page, const TextHit& hit, std::span<TextBox> out);

}  // namespace orva
