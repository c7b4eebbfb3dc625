#pragma once
// Documents built in memory for the printing and preview tests, and a
// printer stand-in whose sheets can be read back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "platform/win32.h"

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

// A memory device context over a white 32-bit bitmap. The context can be
// handed to code that deletes it; the bitmap stays with this object.
class Sheet {
public:
    Sheet(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<std::uint32_t*>(bits);
        dc_ = CreateCompatibleDC(nullptr);
        SelectObject(dc_, bitmap_);
        clear();
    }
    ~Sheet() {
        if (GetObjectType(dc_) != 0) DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    HDC dc() const { return dc_; }
    bool dcDeleted() const { return GetObjectType(dc_) == 0; }
    void clear() {
        GdiFlush();
        std::memset(bits_, 0xFF, std::size_t(width_) * height_ * 4);
    }
    std::uint32_t at(int x, int y) const {
        GdiFlush();
        return bits_[y * width_ + x] & 0xFFFFFF;
    }
    // The smallest rectangle holding every pixel that is not white; width 0
    // when the sheet is blank.
    RECT inked() const {
        GdiFlush();
        RECT box{width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if ((bits_[y * width_ + x] & 0xFFFFFF) == 0xFFFFFF) continue;
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        }
        if (box.right == 0) box = {0, 0, 0, 0};
        return box;
    }

private:
    int width_, height_;
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

// Holds Ctrl (and Shift) down in this thread's key state while alive.
class HeldKeys {
public:
    explicit HeldKeys(bool control, bool shift = false) {
        GetKeyboardState(saved_);
        BYTE keys[256];
        std::memcpy(keys, saved_, sizeof keys);
        keys[VK_CONTROL] = control ? 0x80 : 0;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }

private:
    BYTE saved_[256];
};

}  // namespace orva::testing
