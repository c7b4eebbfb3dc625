#pragma once
// The one open document: its title, path, resolution and the page array that
// doubles as the page cache. Every buffer it holds comes from the program's
// allocator; releasing the document gives all of them back.
#include <cstdint>

#include "base/allocator.h"
#include "document/page_image.h"

namespace orva {

enum class DocumentKind : std::uint8_t { Orva = 0, Pdf = 1 };

struct Document;

// How the pages of a document that are not in its file are produced, one at
// a time on request; a backend implements it (the PDF one runs a rasteriser).
class PageRenderer {
public:
    // Loads slot `index` of the document, or fails with the backend's code
    // and leaves the slot as it was.
    virtual Status renderPage(Document& document, std::uint64_t index) const = 0;

protected:
    ~PageRenderer() = default;
};

struct Document {
    OwnedString title;
    std::uint64_t indexOffset = 0;
    std::uint64_t reserved1 = 0;
    std::uint64_t reserved2 = 0;
    std::uint32_t headerPageCount = 0;
    std::uint16_t dpi = 0;
    std::uint8_t encoding = 0;
    OwnedArray<PageImage> pages;
    OwnedString path;
    Allocator* allocator = nullptr;
    DocumentKind kind = DocumentKind::Orva;
    // What renders the missing pages of a PDF document; none for a container.
    const PageRenderer* renderer = nullptr;

    std::uint64_t pageCount() const noexcept { return pages.size(); }
    bool isPdf() const noexcept { return (static_cast<std::uint8_t>(kind) & 1) != 0; }
};

// Gives back every page buffer, the page array, the title and the path, and
// leaves the record all zero.
void releaseDocument(Document& document);

}  // namespace orva
