#pragma once
// The tool runs of a PDF document's background jobs, ready for its worker:
// each names its tool (found afresh, as every run's is), its arguments and
// its environment. The tools print to standard output, so no job needs the
// work folder or waits for another viewer's turn in it.
#include <cstdint>

#include "document/document.h"
#include "platform/background_worker.h"

namespace orva {

// The text of pages first..last (0-based, inclusive):
// pdftotext -bbox-layout -enc UTF-8 -f A -l B FILE -
// PdftoppmNotFound when the text tool is nowhere; OutOfMemory.
Result<ToolJob> makeTextJob(Allocator& allocator, const Document& document, std::uint64_t first, std::uint64_t last);

// A picture of a page as the request names it, printed to standard output
// as one image: pdftoppm -scale-to-x W -scale-to-y H -x X -y Y -W w -H h
// -f N -l N FILE. PdftoppmNotFound; OutOfMemory.
Result<ToolJob> makePictureJob(Allocator& allocator, const Document& document, const PictureRequest& request);

// The request a picture job was made for, from its key.
inline PictureRequest pictureRequestOf(const ToolJob& job) {
    const auto low = [](std::uint64_t v) { return static_cast<std::uint32_t>(v); };
    const auto high = [](std::uint64_t v) { return static_cast<std::uint32_t>(v >> 32); };
    return {job.key[0], low(job.key[1]), high(job.key[1]), low(job.key[2]), high(job.key[2]), low(job.key[3]),
            high(job.key[3])};
}

// The thumbnails of pages first..last (0-based, inclusive), each fitting
// kThumbnailRunSide pixels square, one image a page on standard output:
// pdftoppm -scale-to 160 -f A -l B FILE. PdftoppmNotFound; OutOfMemory.
inline constexpr std::uint32_t kThumbnailRunSide = 160;
Result<ToolJob> makeThumbnailJob(Allocator& allocator, const Document& document, std::uint64_t first,
                                 std::uint64_t last);

// The outline, which the HTML tool prints whatever pages it is given (one
// page keeps the rest of its work small):
// pdftohtml -xml -i -q -stdout -nodrm -f 1 -l 1 FILE. Outline and links only
// navigate, so a document that forbids copying gives them too.
// PdftoppmNotFound when the HTML tool is nowhere; OutOfMemory.
Result<ToolJob> makeOutlineJob(Allocator& allocator, const Document& document);

// The links of page `page` (0-based): the same run with -f N -l N.
Result<ToolJob> makeLinksJob(Allocator& allocator, const Document& document, std::uint64_t page);

// The name the HTML tool gives its own output for a document, which its
// links to the document's pages carry: the file's name without ".pdf" (or
// ".PDF"), with ".html". NameTooLong; OutOfMemory.
Result<OwnedString> htmlReportName(Allocator& allocator, std::string_view documentPath);

}  // namespace orva
