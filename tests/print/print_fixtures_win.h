#pragma once
// Documents built in memory for the printing and preview tests, and a
// printer stand-in whose sheets can be read back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "base/win32.h"
#include "pdf/pdf_backend.h"
#include "support/painted_bitmap_win.h"

namespace orva::testing {

// One page: the top half in one colour, the bottom half in another (both
// 0xRRGGBB), so a sheet shows which page it carries and which way up.
// An unloaded page keeps an empty slot.
struct TestPage {
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t top;
    std::uint32_t bottom;
    bool loaded = true;
};

inline void fillPage(Allocator& allocator, PageImage& page, const TestPage& wanted) {
    auto pixels = ByteBuffer::create(allocator, std::size_t{wanted.width} * wanted.height * 3);
    ASSERT_TRUE(pixels);
    page.pixels = std::move(*pixels);
    for (std::uint32_t y = 0; y < wanted.height; ++y) {
        const std::uint32_t colour = y < wanted.height / 2 ? wanted.top : wanted.bottom;
        for (std::uint32_t x = 0; x < wanted.width; ++x) {
            std::uint8_t* pixel = page.pixels.data() + (std::size_t{y} * wanted.width + x) * 3;
            pixel[0] = colour & 0xFF;
            pixel[1] = (colour >> 8) & 0xFF;
            pixel[2] = (colour >> 16) & 0xFF;
        }
    }
    page.present = true;
    page.width = wanted.width;
    page.height = wanted.height;
}

// Installs a document of these pages as the open one, replacing any other.
inline void installDocument(AppState& state, const std::vector<TestPage>& pageList,
                            DocumentKind kind = DocumentKind::Orva) {
    closeDocument(state);
    Allocator& allocator = *state.allocator;
    Document document;
    document.allocator = &allocator;
    document.dpi = 150;
    document.kind = kind;
    if (kind == DocumentKind::Pdf) document.renderer = &pdfPageRenderer();
    auto pages = OwnedArray<PageImage>::create(allocator, pageList.size());
    ASSERT_TRUE(pages);
    document.pages = std::move(*pages);
    for (std::size_t i = 0; i < pageList.size(); ++i) {
        if (pageList[i].loaded) fillPage(allocator, document.pages[i], pageList[i]);
    }
    state.document = std::move(document);
    state.documentLoaded = true;
    state.currentPage = 0;
}

// `count` distinct pages of 100 x 130 pixels.
inline std::vector<TestPage> plainPages(std::size_t count) {
    std::vector<TestPage> pageList;
    for (std::size_t i = 0; i < count; ++i) {
        const auto shade = static_cast<std::uint32_t>(20 + 40 * i);
        pageList.push_back({100, 130, 0xC00000u | shade, 0x0000C0u | (shade << 8)});
    }
    return pageList;
}

// A white sheet for a print job to draw on.
class Sheet : public PaintedBitmap {
public:
    Sheet(int width, int height) : PaintedBitmap(width, height) { fillWhite(); }
};

}  // namespace orva::testing
