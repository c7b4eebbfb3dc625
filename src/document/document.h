#pragma once
// The one open document: its title, path, resolution and the page array that
// doubles as the page cache. Every buffer it holds comes from the program's
// allocator; releasing the document gives all of them back.
#include <cstdint>

#include "app/allocator.h"
#include "document/page_image.h"

namespace orva {

enum class DocumentKind : std::uint8_t { Orva = 0, Pdf = 1 };

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

    std::uint64_t pageCount() const noexcept { return pages.size(); }
    bool isPdf() const noexcept { return (static_cast<std::uint8_t>(kind) & 1) != 0; }
};

// Gives back every page buffer, the page array, the title and the path, and
// leaves the record all zero.
void releaseDocument(Document& document);

}  // namespace orva
