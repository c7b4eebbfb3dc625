#pragma once
// A PDF made into a container: each page rendered by pdftoppm into a private
// folder, read back and appended to the container while pdftoppm renders the
// next, so that memory holds about one page however long the document.
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "base/allocator.h"
#include "container_writer.h"

namespace orvatool {

// Pages first to last, counted from 1; last 0 means the document's last page.
struct PageRange {
    std::uint32_t first = 1;
    std::uint32_t last = 0;
};

// "N", "A-B" or "A-", with 1 <= A <= B.
std::expected<PageRange, std::string> parsePageRange(std::string_view text);

// The range made concrete for a document of `pageCount` pages; a message
// when it reaches past the end.
std::expected<PageRange, std::string> pagesWithin(PageRange range, std::uint32_t pageCount);

struct PdfJob {
    std::string input;   // UTF-8 paths
    std::string output;
    PackOptions pack;
    PageRange pages;
};

class PdfProgress {
public:
    virtual ~PdfProgress() = default;
    // `page` of the document is in the container, the `done`th of `total`.
    virtual void pageDone(std::uint32_t page, std::uint32_t done, std::uint32_t total) = 0;
};

struct PdfOutcome {
    std::uint32_t pages = 0;
    std::uint64_t bytes = 0;
};

struct PdfFailure {
    std::string message;
    int interruption = 0;  // the signal that stopped the run, or 0
};

// Writes job.output (through job.output + ".partial", renamed at the end);
// on any failure or interruption neither that file nor the private folder is
// left behind, and an existing output file is as it was. Every buffer the
// pages pass through comes from `allocator`.
std::expected<PdfOutcome, PdfFailure> convertPdf(const PdfJob& job, orva::Allocator& allocator,
                                                 PdfProgress* progress);

}  // namespace orvatool
