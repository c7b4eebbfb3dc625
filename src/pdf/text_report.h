#pragma once
// Reading the text layer of PDF pages from what the text tool prints:
// `pdftotext -bbox-layout -enc UTF-8 -f A -l B FILE -` writes XHTML, one
// <page width height> (points) a page, holding <flow><block><line><word
// xMin yMin xMax yMax>text</word>, word text XML-escaped. Pure: no system
// calls, every buffer from the allocator, bounded whatever the input.
#include <cstdint>
#include <string_view>

#include "base/allocator.h"
#include "document/text_layer.h"

namespace orva {

// Limits past which a report is refused (Overflow) rather than read: far
// beyond any real page, small enough that a hostile report cannot make the
// viewer hold more than a few times its own size.
inline constexpr std::uint32_t kMostWordsPerPage = 200'000;
inline constexpr std::uint32_t kMostPagesPerReport = 100'000;
inline constexpr std::uint32_t kMostWordBytes = 4'096;

// One PageText a <page> element, in the report's order, boxes scaled by
// `pixelsPerPoint` (the page images' dpi / 72). Fails with one code and no
// text at all: InvalidCharacter for a report that is not the tool's XHTML
// (broken markup, a missing or malformed box attribute, an unknown entity),
// InvalidUtf8 for bytes that are not UTF-8, Overflow past the limits above
// (or a coordinate beyond a million points), OutOfMemory; InvalidArgument
// for a scale that is not a positive number.
Result<OwnedArray<PageText>> parseTextReport(Allocator& allocator, std::string_view report, float pixelsPerPoint);

}  // namespace orva
