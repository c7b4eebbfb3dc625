#pragma once
// Documents built in memory, page by page, the way an opened container
// leaves them: every buffer from the given allocator, kind Orva.
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "document/document.h"
#include "pdf/pdf_backend.h"

namespace orva::testing {

// 0xRRGGBB of the pixel at (x, y).
using PixelColour = std::function<std::uint32_t(std::uint32_t x, std::uint32_t y)>;

inline PageImage paintedPage(Allocator& allocator, std::uint32_t width, std::uint32_t height,
                             const PixelColour& colourAt) {
    PageImage page;
    page.pixels = ByteBuffer::createUninitialized(allocator, std::size_t{width} * height * 3).value();
    page.present = true;
    page.width = width;
    page.height = height;
    std::uint8_t* out = page.pixels.data();
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t rgb = colourAt(x, y);
            *out++ = static_cast<std::uint8_t>(rgb);        // blue
            *out++ = static_cast<std::uint8_t>(rgb >> 8);   // green
            *out++ = static_cast<std::uint8_t>(rgb >> 16);  // red
        }
    }
    return page;
}

inline PageImage solidPage(Allocator& allocator, std::uint32_t width, std::uint32_t height, std::uint32_t rgb) {
    return paintedPage(allocator, width, height, [rgb](std::uint32_t, std::uint32_t) { return rgb; });
}

// Red in the upper half, blue in the lower.
inline PageImage redOverBluePage(Allocator& allocator, std::uint32_t width, std::uint32_t height) {
    return paintedPage(allocator, width, height,
                       [height](std::uint32_t, std::uint32_t y) { return y < height / 2 ? 0xFF0000u : 0x0000FFu; });
}

// A slot whose page has never been produced.
inline PageImage missingPage() { return PageImage{}; }

// A produced page with no pixels at all (width or height 0).
inline PageImage emptyPage(std::uint32_t width, std::uint32_t height) {
    PageImage page;
    page.present = true;
    page.width = width;
    page.height = height;
    return page;
}

inline Document makeDocument(Allocator& allocator, std::vector<PageImage> pages, std::string_view title = "test",
                             std::string_view path = "C:\\docs\\test.orva", std::uint16_t dpi = 150) {
    Document document;
    document.title = OwnedString::copy(allocator, title).value();
    document.path = OwnedString::copy(allocator, path).value();
    document.pages = OwnedArray<PageImage>::create(allocator, pages.size()).value();
    for (std::size_t i = 0; i < pages.size(); ++i) document.pages[i] = std::move(pages[i]);
    document.headerPageCount = static_cast<std::uint32_t>(pages.size());
    document.dpi = dpi;
    document.allocator = &allocator;
    document.kind = DocumentKind::Orva;
    return document;
}

// A PDF as opening leaves it before any page is rendered: every slot empty,
// the PDF backend rendering them on request.
inline Document unrenderedPdf(Allocator& allocator, std::string_view path, std::uint32_t pages) {
    Document document;
    document.path = OwnedString::copy(allocator, path).value();
    document.pages = OwnedArray<PageImage>::create(allocator, pages).value();
    document.headerPageCount = pages;
    document.dpi = 150;
    document.allocator = &allocator;
    document.kind = DocumentKind::Pdf;
    document.renderer = &pdfPageRenderer();
    return document;
}

// `count` pages made by `make(i)`.
template <class Make>
Document makeDocumentOf(Allocator& allocator, std::size_t count, Make&& make) {
    std::vector<PageImage> pages;
    pages.reserve(count);
    for (std::size_t i = 0; i < count; ++i) pages.push_back(make(i));
    return makeDocument(allocator, std::move(pages));
}

}  // namespace orva::testing
