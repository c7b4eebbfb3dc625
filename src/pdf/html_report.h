#pragma once
// Reading the outline and the links of a PDF from what the HTML tool prints:
// `pdftohtml -xml -i -q -stdout -f N -l N FILE`. Its <outline> holds <item
// page="P">title</item> entries, a child <outline> standing after its parent
// item; each page's <text> elements wrap the text a link covers in <a
// href="...">, with positions in pixels at 108 dpi. Pure, bounded, every
// buffer from the allocator.
#include <cstdint>
#include <string_view>

#include "base/allocator.h"
#include "document/outline.h"
#include "document/page_links.h"

namespace orva {

inline constexpr std::uint32_t kMostOutlineEntries = 100'000;
inline constexpr std::uint32_t kMostOutlineDepth = 64;
inline constexpr std::uint32_t kMostLinksPerPage = 20'000;

// The outline at the end of the report (none there: an empty Outline).
// InvalidCharacter for broken markup, InvalidUtf8, Overflow past the limits,
// OutOfMemory.
Result<Outline> parseOutlineReport(Allocator& allocator, std::string_view report);

// The links of the report's page, boxes scaled by `pixelsPerUnit` (the page
// images' dpi / 108). An href of the form `<htmlName>#N` (htmlName being the
// document's file stem with ".html", as the tool names its own output) is a
// link to page N; http:, https: and mailto: targets (letter case ignored)
// are Web and Mail; everything else is Other. A link's box is its <text>
// element's, or the share of it that the link's characters take when the
// link covers only part of the element's text ("Name <a>(</a>"). Same
// codes as above, and InvalidArgument for a scale that is not a positive
// number. A report of several pages gives the links of all, in order.
Result<PageLinks> parseLinkReport(Allocator& allocator, std::string_view report, std::string_view htmlName,
                                  float pixelsPerUnit);

}  // namespace orva
