// What one paint of the main window costs, and one page change: into a
// window-sized bitmap through paintClient, and through the real window.
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/page_change.h"
#include "harness/win_timer.h"
#include "support/painted_bitmap_win.h"
#include "support/test_document.h"
#include "view/draw_page_image.h"
#include "view/messages.h"
#include "view/paint.h"
#include "view/view.h"
#include "view/view_geometry.h"

using namespace orva;
using orva::bench::measure;
using orva::bench::report;

namespace {

constexpr int kWidth = 1000, kHeight = 720;
constexpr std::uint32_t kPageWidth = 1275, kPageHeight = 1650;

// A page with some structure, so the stretch has real work to do.
PageImage letterPage(Allocator& allocator, std::uint32_t width, std::uint32_t height) {
    return testing::paintedPage(allocator, width, height, [](std::uint32_t x, std::uint32_t y) {
        return ((x / 8 + y / 8) % 2 != 0) ? 0x202020u : (0xF0F0F0u ^ (x * 7 + y * 13));
    });
}

void memoryRates() {
    constexpr std::size_t kBytes = std::size_t{kPageWidth} * kPageHeight * 3;
    std::vector<std::uint8_t> source(kBytes, 1), target(kBytes);
    const auto warm = measure([&] { std::memcpy(target.data(), source.data(), kBytes); });
    report("memcpy of one page, warm", warm, kBytes);
    const auto fresh = measure([&] {
        auto* block = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, kBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        std::memset(block, 0, kBytes);
        VirtualFree(block, 0, MEM_RELEASE);
    });
    report("first touch of one page's memory", fresh, kBytes);
}

Allocator& allocator(AppState& state) { return *state.allocator; }

void paintIntoBitmap(AppState& state) {
    testing::PaintedBitmap canvas(kWidth, kHeight);
    const RECT client{0, 0, kWidth, kHeight};
    const ClientArea area{0, 0, kWidth, kHeight};
    state.zoom = *fitWidthZoomFor(area, kPageWidth);
    report("paintClient 1275x1650 at fit width, 1000x720", measure([&] { paintClient(state, canvas.dc(), client); }));

    const PageImage& page = state.document.pages[0];
    const DisplayedSize shown = displayedSize(page.width, page.height, state.zoom);
    const Point origin = pageOrigin(area, shown, 0, 0);
    report("  of which drawPageImage of the page",
           measure([&] { drawPageImage(canvas.dc(), origin.x, origin.y, shown.width, shown.height, page); }));
    report("  of which drawPageImage of the thumbnail", measure([&] {
               const auto image = *thumbnailImage(page.width, page.height);
               drawPageImage(canvas.dc(), 14 + image.x, 36 + image.y, image.width, image.height, page);
           }));
    // 1275 x 3 is not a multiple of 4: every draw pads a copy. Apart: the
    // copy (in the block the allocator keeps back, and in fresh memory), and
    // the stretch from rows padded once beforehand.
    const std::size_t row = std::size_t{page.width} * 3, stride = paddedStride(page.width);
    std::vector<std::uint8_t> padded(stride * page.height);
    const auto padInto = [&](std::uint8_t* out) {
        for (std::uint32_t r = 0; r < page.height; ++r) {
            std::memcpy(out + r * stride, page.pixels.data() + r * row, row);
            std::memset(out + r * stride + row, 0, stride - row);
        }
    };
    report("  padded copy through the program's allocator", measure([&] {
               auto copy = ByteBuffer::createUninitialized(allocator(state), stride * page.height);
               padInto(copy->data());
           }), static_cast<double>(stride) * page.height);
    report("  padded copy into fresh memory", measure([&] {
               auto* block = static_cast<std::uint8_t*>(
                   VirtualAlloc(nullptr, stride * page.height, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
               padInto(block);
               VirtualFree(block, 0, MEM_RELEASE);
           }), static_cast<double>(stride) * page.height);
    for (std::uint32_t r = 0; r < page.height; ++r) std::memcpy(padded.data() + r * stride, page.pixels.data() + r * row, row);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), static_cast<LONG>(page.width), -static_cast<LONG>(page.height), 1, 24,
                      BI_RGB, 0, 0, 0, 0, 0};
    auto stretch = [&](int mode, int w, int h) {
        SetStretchBltMode(canvas.dc(), mode);
        StretchDIBits(canvas.dc(), origin.x, origin.y, w, h, 0, 0, page.width, page.height, padded.data(), &info,
                      DIB_RGB_COLORS, SRCCOPY);
    };
    report("  halftone stretch of padded rows, page", measure([&] { stretch(HALFTONE, shown.width, shown.height); }));
    report("  halftone stretch of padded rows, thumbnail", measure([&] { stretch(HALFTONE, 114, 148); }));
    report("  (the page's stretch without halftone)", measure([&] { stretch(COLORONCOLOR, shown.width, shown.height); }));

    // For comparison: a page whose rows need no padding, drawn straight.
    Document aligned = testing::makeDocumentOf(allocator(state), 1, [&](std::size_t) {
        return letterPage(allocator(state), kPageWidth + 1, kPageHeight);
    });
    std::swap(state.document, aligned);
    report("paintClient 1276x1650 (no padding) at fit width", measure([&] { paintClient(state, canvas.dc(), client); }));
    std::swap(state.document, aligned);

    state.zoom = 1.0f;
    report("paintClient 1275x1650 at zoom 1, 1000x720", measure([&] { paintClient(state, canvas.dc(), client); }));
    state.zoom = 8.0f;
    report("paintClient 1275x1650 at zoom 8, 1000x720", measure([&] { paintClient(state, canvas.dc(), client); }));
    state.scrollX = 4000;
    state.scrollY = 6000;
    report("paintClient at zoom 8 scrolled to the middle", measure([&] { paintClient(state, canvas.dc(), client); }));
    state.scrollX = state.scrollY = 0;
}

HWND makeWindow(AppState& state) {
    registerMainWindowClass(state);
    state.mainWindow = createMainWindow(state, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    ShowWindow(state.mainWindow, SW_SHOWDEFAULT);
    UpdateWindow(state.mainWindow);
    return state.mainWindow;
}

void install(AppState& state, Document document) {
    state.document = std::move(document);
    state.documentLoaded = true;
    state.currentPage = 0;
    state.fitMode = FitMode::FitWidth;
    fitWidthZoom(state, state.document.pages[0]);
    updateScrollBars(state);
    clampSidebarScroll(state);
}

void repaint(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

}  // namespace

int main() {
    Allocator allocator;
    AppState& state = app();
    state.allocator = &allocator;
    state.instance = GetModuleHandleA(nullptr);

    memoryRates();

    std::vector<PageImage> pages;
    pages.push_back(letterPage(allocator, kPageWidth, kPageHeight));
    state.document = testing::makeDocument(allocator, std::move(pages));
    state.documentLoaded = true;
    paintIntoBitmap(state);

    HWND window = makeWindow(state);
    install(state, std::move(state.document));
    RECT client;
    GetClientRect(window, &client);
    std::printf("window client area %ldx%ld, zoom %.4f\n", client.right, client.bottom, state.zoom);
    report("RedrawWindow of the main window at fit width", measure([&] { repaint(window); }));
    state.zoom = 8.0f;
    updateScrollBars(state);
    report("RedrawWindow of the main window at zoom 8", measure([&] { repaint(window); }));

    // A 500-page container: letter pages at a third of the size keep it
    // within a few hundred megabytes.
    const double t0 = bench::nowSeconds();
    install(state, testing::makeDocumentOf(allocator, 500, [&](std::size_t) { return letterPage(allocator, 425, 550); }));
    std::printf("built 500 pages of 425x550 in %.0f ms\n", (bench::nowSeconds() - t0) * 1e3);
    std::uint64_t target = 0;
    report("goToPage on 500 pages (no paint)", measure([&] { goToPage(state, ++target % 500); }));
    report("  of which updateWindowTitle", measure([&] { updateWindowTitle(state); }));
    report("  of which updateScrollBars", measure([&] { updateScrollBars(state); }));
    report("  of which SetScrollPos with redraw", measure([&] { SetScrollPos(window, SB_VERT, 0, TRUE); }));
    report("  of which invalidating", measure([&] { invalidateMainWindow(state, true); }));
    report("goToPage on 500 pages and its paint", measure([&] {
               goToPage(state, ++target % 500);
               UpdateWindow(window);
           }));
    report("Last Page / First Page and its paint", measure([&] {
               goToPage(state, target++ % 2 == 0 ? UINT64_MAX : 0);
               UpdateWindow(window);
           }));

    install(state, testing::makeDocumentOf(allocator, 20, [&](std::size_t) {
                return letterPage(allocator, kPageWidth, kPageHeight);
            }));
    report("goToPage on 20 full-size pages and its paint", measure([&] {
               goToPage(state, ++target % 20);
               UpdateWindow(window);
           }));

    DestroyWindow(window);
    return allocator.liveBlocks() == 0 ? 0 : 1;
}
