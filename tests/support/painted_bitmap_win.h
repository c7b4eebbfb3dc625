#pragma once
// A memory device context over a 32-bit top-down bitmap, for reading back
// what painting code drew. Code under test may delete the context (a print
// job does); the bitmap stays with this object either way.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/win32.h"

namespace orva::testing {

class PaintedBitmap {
public:
    PaintedBitmap(int width, int height) : width_(width), height_(height) {
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
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~PaintedBitmap() {
        if (!dcDeleted()) {
            SelectObject(dc_, previous_);
            DeleteDC(dc_);
        }
        DeleteObject(bitmap_);
    }
    PaintedBitmap(const PaintedBitmap&) = delete;
    PaintedBitmap& operator=(const PaintedBitmap&) = delete;

    HDC dc() const { return dc_; }
    bool dcDeleted() const { return GetObjectType(dc_) == 0; }
    int width() const { return width_; }
    int height() const { return height_; }

    void fillWhite() {
        GdiFlush();
        std::memset(bits_, 0xFF, std::size_t(width_) * height_ * 4);
    }
    // 0xRRGGBB at (x, y).
    std::uint32_t at(int x, int y) const {
        GdiFlush();
        return bits_[y * width_ + x] & 0xFFFFFF;
    }
    // The smallest rectangle holding every pixel that is not white; all zero
    // when the bitmap is blank.
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
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

}  // namespace orva::testing
