#include "view/draw_page_image.h"

#include <cstring>

namespace orva {

void drawPageImage(HDC dc, int x, int y, int dw, int dh, const PageImage& page) {
    if (!page.present || page.width == 0 || page.height == 0) return;
    // The bitmap header carries signed 32-bit sizes.
    if (page.width > 0x7FFFFFFFu || page.height > 0x7FFFFFFFu) return;
    const std::uint64_t row = std::uint64_t{page.width} * 3;
    // Never read past the buffer, whatever the record claims about its size.
    if (row > page.pixels.size() / page.height) return;
    const std::uint64_t stride = paddedStride(page.width);
    const void* bits = page.pixels.data();
    ByteBuffer padded;
    if (stride != row) {
        if (page.pixels.allocator() == nullptr) return;
        auto copy = ByteBuffer::createUninitialized(*page.pixels.allocator(), static_cast<std::size_t>(stride * page.height));
        if (!copy) return;
        padded = std::move(*copy);
        for (std::uint32_t r = 0; r < page.height; ++r) {
            std::uint8_t* out = padded.data() + r * stride;
            std::memcpy(out, page.pixels.data() + r * row, row);
            std::memset(out + row, 0, stride - row);
        }
        bits = padded.data();
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(page.width);
    info.bmiHeader.biHeight = -static_cast<LONG>(page.height);  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, x, y, dw, dh, 0, 0, static_cast<int>(page.width), static_cast<int>(page.height), bits, &info,
                  DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace orva
