#pragma once
// How a printed sheet is drawn from renders at the printer's resolution:
// the size the page is rendered at (before it is turned as the view is),
// and the bands it is rendered in, so a sheet at 600 dpi never needs the
// whole page's picture in memory at once.
#include <cstdint>

#include "print/print_layout.h"

namespace orva {

// Renders go no finer than this; a finer printer gets them stretched.
inline constexpr int kSheetMostDpi = 600;
// What one band may hold in memory at once: the tool's output, the picture
// read from it and the copy that is drawn (padded or turned).
inline constexpr std::uint64_t kSheetBandBytes = std::uint64_t{64} << 20;

struct SheetRender {
    // The page scaled to this for the render, in its own orientation.
    std::uint32_t scaledWidth = 0;
    std::uint32_t scaledHeight = 0;
    // Rows of the scaled page a band holds; 0 for a sheet with no room.
    std::uint32_t bandRows = 0;
    std::uint8_t quarterTurns = 0;
};

// The render for a page placed on `place` (printer pixels) by a printer of
// dpiX x dpiY, turned by quarterTurns, with bands of at most bandBytes.
SheetRender planSheetRender(const PlacedRect& place, int dpiX, int dpiY, std::uint8_t quarterTurns,
                            std::uint64_t bandBytes);

// Where the band of rows top..top+rows of the render lies on the sheet.
PlacedRect bandOnSheet(const SheetRender& render, const PlacedRect& place, std::uint32_t top, std::uint32_t rows);

}  // namespace orva
