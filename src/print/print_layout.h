#pragma once
// Where a page lands on a printed sheet and in the preview, and which pages a
// print job covers. Plain arithmetic, shared by the printer, the preview and
// their tests.
#include <cstdint>

namespace orva {

// A rectangle by its top-left corner and size.
struct PlacedRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The sheet's printable extent less the two 50-pixel margins; a printer too
// small for both margins still gets one pixel.
int usablePrintExtent(int resolution);

// The largest rectangle of the page's proportions inside a usableWidth x
// usableHeight area, centred in it, in the area's coordinates offset by the
// 50-pixel margin. Small pages are enlarged as large ones are reduced.
PlacedRect placePrintedPage(int usableWidth, int usableHeight, std::uint32_t pageWidth, std::uint32_t pageHeight);

struct FittedSize {
    int width = 0;
    int height = 0;
};

// The size, truncated, of a page of pageWidth x pageHeight scaled to fill as
// much of aw x ah as its proportions allow.
FittedSize fitPage(int aw, int ah, std::uint32_t pageWidth, std::uint32_t pageHeight);

// The sheet of paper the preview draws for a client area of clientWidth x
// clientHeight: paper and shadow as left/top/right/bottom (right and bottom
// exclusive for fills), the page image inside the paper's 4-pixel margin.
struct PreviewLayout {
    int paperLeft = 0, paperTop = 0, paperRight = 0, paperBottom = 0;
    int shadowLeft = 0, shadowTop = 0, shadowRight = 0, shadowBottom = 0;
    PlacedRect image;
};
// Its margins and shadow are for 96 dots per inch, scaled to `dpi`.
PreviewLayout layoutPreview(int clientWidth, int clientHeight, std::uint32_t pageWidth, std::uint32_t pageHeight,
                            int dpi = 96);

// The page numbers offered by the print dialog, whose fields are 16-bit: a
// document past their range is offered its first 65535 pages.
std::uint16_t dialogPageLimit(std::uint64_t pageCount);

// What the print dialog handed back, as far as the page range goes.
struct DialogRange {
    bool pageNumbers = false;  // the user chose a range rather than all pages
    std::uint16_t fromPage = 0;
    std::uint16_t toPage = 0;
    std::uint16_t minPage = 0;
    std::uint16_t maxPage = 0;
};

// Zero-based, inclusive page indexes to print.
struct PrintRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
};

// The pages to print for the dialog's answer and the page count read after
// the dialog (the document may have changed while it was open). A count of 0
// yields page 0, whose load then fails and ends the job with a message.
PrintRange resolvePrintRange(const DialogRange& dialog, std::uint64_t pageCount);

}  // namespace orva
