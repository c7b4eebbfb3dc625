#pragma once
// The one line of text along the bottom of the main window.
#include <cstdint>

#include "base/fixed_text.h"
#include "view/viewer.h"

namespace orva {

inline constexpr char kNoDocumentStatus[] = "  No document loaded";

// "  Page n of c  |  w x h px  |  DPI: d"; always fits its 256 bytes.
FixedText<256> composePageStatus(std::uint64_t page, std::uint64_t pageCount, std::uint32_t width,
                                 std::uint32_t height, std::uint32_t dpi);

// The status line for the state: the page status of the current page (its
// size reads 0 x 0 until its image exists), or the no-document text.
FixedText<256> composeStatusText(const Viewer& state);

}  // namespace orva
