#pragma once
// The PDF backend as the document layer sees it.
#include <cstdint>
#include <string_view>

#include "document/document.h"

namespace orva {

// What the information tool reports of a PDF: its page count and whether
// its permissions allow copying its text.
struct PdfInfo {
    std::uint32_t pageCount = 0;
    bool copyAllowed = true;
};

// The page count from the tool's report; NoPages for 0. Canceled when the
// tool was ended while it ran (Esc), as for a render. PdfPasswordRequired
// when the document is encrypted and `password` (empty: none) does not open
// it.
Result<PdfInfo> queryPdfInfo(Allocator& allocator, std::string_view path, std::string_view password = {});
Result<std::uint32_t> queryPdfPageCount(Allocator& allocator, std::string_view path);

// Renders page `index` of a PDF document into its slot. Canceled when the
// tool was ended while it ran; the work folder is removed as on any failure.
Status renderPdfPage(Document& document, std::uint64_t index);

// A picture of a page as the request names it (PageRenderer::renderPicture),
// from the rasteriser's standard output, while the caller waits.
// PdftoppmFailed, Canceled, the PPM reader's failures.
Result<PageImage> renderPdfPicture(const Document& document, const PictureRequest& request);

// renderPdfPage as the renderer a PDF document is opened with.
const PageRenderer& pdfPageRenderer();

}  // namespace orva
