// The client area as painted into a bitmap at known sizes, read back at the
// points where each element must be.
#include <gtest/gtest.h>

#include <string>

#include "support/view_test_win.h"
#include "view/paint.h"
#include "view/status_text.h"

namespace orva::testing {
namespace {

constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kBlack = 0x000000;
constexpr std::uint32_t kViewBackground = rgb(224, 224, 224);
constexpr std::uint32_t kSidebar = rgb(208, 208, 208);
constexpr std::uint32_t kBorder = rgb(160, 160, 160);
constexpr std::uint32_t kCurrentFill = rgb(240, 212, 184);
constexpr std::uint32_t kCurrentPen = rgb(160, 96, 32);
constexpr std::uint32_t kOtherFill = rgb(244, 244, 244);
constexpr std::uint32_t kOtherPen = rgb(144, 144, 144);
constexpr std::uint32_t kEmptyBox = rgb(232, 232, 232);
constexpr std::uint32_t kCurrentLabel = rgb(96, 48, 16);
constexpr std::uint32_t kOtherLabel = rgb(64, 64, 64);
constexpr std::uint32_t kOutline = rgb(128, 128, 128);
constexpr std::uint32_t kPlaceholder = rgb(96, 96, 96);

std::uint32_t buttonFace() {
    const COLORREF c = GetSysColor(COLOR_BTNFACE);
    return rgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Where one colour occurs inside a region: its bounding box and pixel count.
struct Found {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
};

Found find(const PaintedBitmap& bitmap, std::uint32_t colour, RECT region) {
    Found found;
    for (int y = std::max<int>(region.top, 0); y < std::min<int>(region.bottom, bitmap.height()); ++y) {
        for (int x = std::max<int>(region.left, 0); x < std::min<int>(region.right, bitmap.width()); ++x) {
            if (bitmap.at(x, y) != colour) continue;
            found.left = std::min(found.left, x);
            found.right = std::max(found.right, x);
            found.top = std::min(found.top, y);
            found.bottom = std::max(found.bottom, y);
            ++found.count;
        }
    }
    return found;
}

int textWidth(const PaintedBitmap& bitmap, const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(bitmap.dc(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// Ink of a one-line text drawn from x = `left`: it starts after the leading
// spaces and ends within the text's advance.
void expectTextInk(const PaintedBitmap& bitmap, const Found& ink, int left, const std::string& text) {
    ASSERT_GT(ink.count, 0) << text;
    const std::string leading = text.substr(0, text.find_first_not_of(' '));
    EXPECT_NEAR(ink.left, left + textWidth(bitmap, leading), 2) << text;
    EXPECT_NEAR(ink.right + 1, left + textWidth(bitmap, text), 3) << text;
}

// Ink of a text centred between `left` and `right`.
void expectCentredInk(const PaintedBitmap& bitmap, const Found& ink, int left, int right, const std::string& text) {
    ASSERT_GT(ink.count, 0) << text;
    const int width = textWidth(bitmap, text);
    EXPECT_NEAR(ink.left, left + (right - left - width) / 2, 3) << text;
    EXPECT_NEAR(ink.right + 1, left + (right - left + width) / 2, 3) << text;
}

class Painting : public ViewTest {};

TEST_F(Painting, EmptyViewHasTheHintAndNoSidebar) {
    PaintedBitmap bitmap(1000, 720);
    paint(bitmap);
    EXPECT_EQ(bitmap.at(500, 10), kBlack) << "the top band is left to the class background";
    EXPECT_EQ(bitmap.at(100, 300), kViewBackground) << "no sidebar without a document";
    EXPECT_EQ(bitmap.at(187, 300), kViewBackground);
    EXPECT_EQ(bitmap.at(5, 30), kViewBackground);
    EXPECT_EQ(bitmap.at(995, 698), buttonFace());
    EXPECT_EQ(bitmap.at(0, 719), buttonFace());

    expectTextInk(bitmap, find(bitmap, kBlack, {0, 696, 1000, 720}), 4, "  No document loaded");
    const Found hint = find(bitmap, kPlaceholder, {0, 24, 1000, 696});
    expectCentredInk(bitmap, hint, 188, 1000, "Use File > Open to load a .orva or .pdf document");
    EXPECT_NEAR((hint.top + hint.bottom) / 2, (84 + 696) / 2, 8);
}

TEST_F(Painting, SidebarThumbnailsPageAndStatus) {
    std::vector<PageImage> pages;
    pages.push_back(solidPage(allocator, 100, 100, 0x00FF00));
    pages.push_back(redOverBluePage(allocator, 200, 100));
    pages.push_back(missingPage());
    install(makeDocument(allocator, std::move(pages)));
    state().currentPage = 1;
    PaintedBitmap bitmap(1000, 720);
    paint(bitmap);

    EXPECT_EQ(bitmap.at(3, 300), kSidebar);
    EXPECT_EQ(bitmap.at(186, 300), kSidebar);
    EXPECT_EQ(bitmap.at(187, 24), kBorder);
    EXPECT_EQ(bitmap.at(187, 300), kBorder);
    EXPECT_EQ(bitmap.at(187, 695), kBorder);
    EXPECT_EQ(bitmap.at(187, 696), buttonFace()) << "the border stops at the status bar";
    EXPECT_EQ(bitmap.at(188, 300), kViewBackground);

    // Thumbnails at 32, 216 and 400; page 1 is the current one.
    struct Thumb {
        int top;
        std::uint32_t fill, pen, label;
        int penWidth;
    };
    const Thumb thumbs[] = {{32, kOtherFill, kOtherPen, kOtherLabel, 1},
                            {216, kCurrentFill, kCurrentPen, kCurrentLabel, 2},
                            {400, kOtherFill, kOtherPen, kOtherLabel, 1}};
    for (const Thumb& t : thumbs) {
        SCOPED_TRACE(t.top);
        EXPECT_EQ(bitmap.at(11, t.top + 160), t.fill);
        EXPECT_EQ(bitmap.at(177, t.top + 100), t.fill);
        // The pen's width, across each of the four sides.
        EXPECT_EQ(find(bitmap, t.pen, {3, t.top + 100, 14, t.top + 101}).count, t.penWidth);
        EXPECT_EQ(find(bitmap, t.pen, {175, t.top + 100, 186, t.top + 101}).count, t.penWidth);
        EXPECT_EQ(find(bitmap, t.pen, {60, t.top - 5, 61, t.top + 4}).count, t.penWidth);
        EXPECT_EQ(find(bitmap, t.pen, {60, t.top + 170, 61, t.top + 182}).count, t.penWidth);
        const Found label = find(bitmap, t.label, {8, t.top + 154, 180, t.top + 176});
        expectCentredInk(bitmap, label, 8, 180, std::to_string((t.top - 32) / 184 + 1));
    }
    // 100 x 100 scaled by 1.48 into the box: 148 x 148 from x 20.
    EXPECT_EQ(bitmap.at(21, 32 + 5), 0x00FF00u);
    EXPECT_EQ(bitmap.at(166, 32 + 150), 0x00FF00u);
    EXPECT_EQ(bitmap.at(17, 32 + 40), kOtherFill);
    // 200 x 100 scaled by 0.8: 160 x 80 from y 34 of the box.
    EXPECT_EQ(bitmap.at(94, 216 + 4 + 34 + 5), kRed);
    EXPECT_EQ(bitmap.at(94, 216 + 4 + 34 + 75), kBlue);
    EXPECT_EQ(bitmap.at(94, 216 + 4 + 20), kCurrentFill);
    // A page never produced: a grey box, and the paint does not ask for it.
    EXPECT_EQ(bitmap.at(20, 400 + 10), kEmptyBox);
    EXPECT_EQ(bitmap.at(173, 400 + 151), kEmptyBox);
    EXPECT_FALSE(state().document.pages[2].present);

    // The page, centred: x = 188 + (1000 - 200 - 188) / 2 = 494, y = 44.
    EXPECT_EQ(bitmap.at(495, 45), kRed);
    EXPECT_EQ(bitmap.at(692, 93), kRed);
    EXPECT_EQ(bitmap.at(495, 94), kBlue);
    EXPECT_EQ(bitmap.at(692, 142), kBlue);
    for (const POINT p : {POINT{494, 60}, POINT{600, 44}, POINT{694, 60}, POINT{600, 144}, POINT{694, 144}}) {
        EXPECT_EQ(bitmap.at(p.x, p.y), kOutline) << p.x << "," << p.y;
    }
    EXPECT_EQ(bitmap.at(695, 60), kViewBackground);
    EXPECT_EQ(bitmap.at(600, 145), kViewBackground);

    expectTextInk(bitmap, find(bitmap, kBlack, {0, 696, 1000, 720}), 4,
                  "  Page 2 of 3  |  200 x 100 px  |  DPI: 150");
}

// A page larger than the view is drawn inside the page view only: the
// strip, its border, the top band and the status line stay as they are.
TEST_F(Painting, PagesLargerThanTheViewStayInsideThePageView) {
    struct Case {
        std::uint32_t width, height;
        int scrollX, scrollY;
        std::vector<POINT> pagePoints;
        std::vector<std::pair<POINT, std::uint32_t>> others;
    };
    const Case cases[] = {
        // 1200 wide: starts at 188 + (1000 - 1200 - 188) / 2 = -6, under the sidebar.
        {1200, 100, 0, 0, {{188, 50}, {999, 60}}, {{{3, 50}, kSidebar}, {{184, 60}, kSidebar}, {{187, 60}, kBorder}}},
        // Taller than the view: under the status bar, and under the top band
        // once scrolled.
        {100, 1000, 0, 0, {{590, 695}}, {{{590, 700}, buttonFace()}, {{590, 719}, buttonFace()}}},
        {100, 1000, 0, 40, {{590, 24}, {590, 695}}, {{{590, 10}, kBlack}, {{590, 23}, kBlack}, {{590, 719}, buttonFace()}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        install(makeDocument(allocator, [&] {
            std::vector<PageImage> pages;
            pages.push_back(solidPage(allocator, c.width, c.height, kBlue));
            return pages;
        }()));
        state().scrollX = c.scrollX;
        state().scrollY = c.scrollY;
        PaintedBitmap bitmap(1000, 720);
        paint(bitmap);
        for (const POINT p : c.pagePoints) EXPECT_EQ(bitmap.at(p.x, p.y), kBlue) << p.x << "," << p.y;
        for (const auto& [p, colour] : c.others) EXPECT_EQ(bitmap.at(p.x, p.y), colour) << p.x << "," << p.y;
        // The status text reads in full: its ink is where it would be over the background alone.
        expectTextInk(bitmap, find(bitmap, kBlack, {0, 696, 1000, 720}), 4, composeStatusText(state()).c_str());
    }
}

TEST_F(Painting, RowsArePaddedOnlyWhenTheirLengthIsNotAMultipleOfFour) {
    struct Case {
        std::uint32_t width;
        std::size_t copies;  // per paint: the thumbnail's and the page's
    };
    for (const Case c : {Case{4, 0}, Case{5, 2}, Case{7, 2}, Case{8, 0}}) {
        SCOPED_TRACE(c.width);
        // Every pixel its own colour, so a wrong row length shows at once.
        auto colourAt = [](std::uint32_t x, std::uint32_t y) { return rgb(40 + 20 * x, 10 + 5 * y, 255 - 30 * x); };
        install(makeDocument(allocator, [&] {
            std::vector<PageImage> pages;
            pages.push_back(paintedPage(allocator, c.width, 40, colourAt));
            return pages;
        }()));
        PaintedBitmap bitmap(1000, 720);
        const std::size_t before = allocator.allocationCount();
        paint(bitmap);
        EXPECT_EQ(allocator.allocationCount() - before, c.copies);
        EXPECT_EQ(allocator.liveBlocks(), 4u) << "title, path, page array, pixels: the copies are gone";
        const int left = 188 + (1000 - static_cast<int>(c.width) - 188) / 2;
        // The outline covers the left column and the top row.
        for (std::uint32_t y = 1; y < 40; ++y) {
            for (std::uint32_t x = 1; x < c.width; ++x) {
                ASSERT_EQ(bitmap.at(left + static_cast<int>(x), 44 + static_cast<int>(y)), colourAt(x, y))
                    << x << "," << y;
            }
        }
    }
}

TEST_F(Painting, OnePixelWidePageIsDrawnThroughFourByteRows) {
    // Red above blue. Read through 3-byte rows as if they were 4 bytes long,
    // every row after the first would start a byte further on and its pixel
    // would come out green or dark.
    std::vector<PageImage> pages;
    pages.push_back(redOverBluePage(allocator, 1, 40));
    install(makeDocument(allocator, std::move(pages)), 4.0f);
    PaintedBitmap bitmap(1000, 720);
    const std::size_t before = allocator.allocationCount();
    paint(bitmap);
    EXPECT_EQ(allocator.allocationCount() - before, 2u);
    // The page at zoom 4: 4 x 160 from x = 188 + (1000 - 4 - 188) / 2 = 592.
    // The halftone stretch blends the rows next to the boundary at 124.
    for (int y = 46; y < 114; ++y) ASSERT_EQ(bitmap.at(594, y), kRed) << y;
    for (int y = 134; y < 200; ++y) ASSERT_EQ(bitmap.at(594, y), kBlue) << y;
    // The thumbnail: scaled by 3.7 into 3 x 148 from x = 14 + 78.
    EXPECT_EQ(bitmap.at(93, 32 + 4 + 10), kRed);
    EXPECT_EQ(bitmap.at(93, 32 + 4 + 140), kBlue);
}

TEST_F(Painting, AFailedPaddingCopyLeavesThePageUndrawnButOutlined) {
    std::vector<PageImage> pages;
    pages.push_back(solidPage(allocator, 5, 40, kRed));
    install(makeDocument(allocator, std::move(pages)));
    PaintedBitmap bitmap(1000, 720);
    allocator.failAllocation(2);  // the thumbnail's copy succeeds, the page's fails
    paint(bitmap);
    allocator.failAllocation(0);
    const int left = 188 + (1000 - 5 - 188) / 2;
    EXPECT_EQ(bitmap.at(left + 2, 60), kViewBackground);
    EXPECT_EQ(bitmap.at(left, 60), kOutline);
    EXPECT_EQ(bitmap.at(left + 5, 60), kOutline);
    EXPECT_EQ(bitmap.at(left + 2, 84), kOutline);
    EXPECT_EQ(bitmap.at(14 + 80, 32 + 80), kRed) << "the thumbnail was drawn";
}

TEST_F(Painting, MissingCurrentPageShowsLoadingAndZeroSize) {
    std::vector<PageImage> pages;
    pages.push_back(missingPage());
    install(makeDocument(allocator, std::move(pages)));
    PaintedBitmap bitmap(1000, 720);
    paint(bitmap);
    expectCentredInk(bitmap, find(bitmap, kPlaceholder, {188, 24, 1000, 696}), 188, 1000, "Loading page...");
    expectTextInk(bitmap, find(bitmap, kBlack, {0, 696, 1000, 720}), 4, "  Page 1 of 1  |  0 x 0 px  |  DPI: 150");
    EXPECT_EQ(bitmap.at(187, 300), kBorder);
    EXPECT_EQ(find(bitmap, kOutline, {188, 24, 1000, 696}).count, 0);
}

TEST_F(Painting, PageOfZeroSizeIsAnEmptyFrame) {
    std::vector<PageImage> pages;
    pages.push_back(emptyPage(0, 50));
    pages.push_back(emptyPage(60, 0));
    install(makeDocument(allocator, std::move(pages)), 2.0f);
    PaintedBitmap bitmap(1000, 720);
    paint(bitmap);
    // Width 0 at zoom 2: a 100-pixel line at the centre of the view.
    const Found line = find(bitmap, kOutline, {188, 24, 1000, 720});
    EXPECT_EQ(line.left, 188 + (1000 - 188) / 2);
    EXPECT_EQ(line.right, line.left);
    EXPECT_EQ(line.top, 44);
    EXPECT_EQ(line.bottom, 144);
    // Their thumbnails are frames with nothing inside.
    EXPECT_EQ(bitmap.at(94, 32 + 78), kCurrentFill);
    EXPECT_EQ(bitmap.at(94, 216 + 78), kOtherFill);
    expectTextInk(bitmap, find(bitmap, kBlack, {0, 696, 1000, 720}), 4, "  Page 1 of 2  |  0 x 50 px  |  DPI: 150");
}

TEST_F(Painting, ThumbnailsReachingIntoTheStripAreDrawnInsideIt) {
    struct Case {
        int height, scroll, x, y;
        std::uint32_t expected;
    };
    const Case cases[] = {
        // Frame 0 from -68 to 108: drawn below the top band only.
        {720, 100, 11, 30, kCurrentFill},
        {720, 100, 11, 10, kBlack},
        // Frame 2 starts at 400: the status bar of a 424-high view covers it.
        {424, 0, 11, 410, buttonFace()},
        {420, 0, 11, 410, buttonFace()},
        // Frame 1 from 216 to 392 reaches into the status bar, which stays.
        {300, 0, 11, 270, kOtherFill},
        {300, 0, 11, 290, buttonFace()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.height) + " scroll " + std::to_string(c.scroll) + " y " + std::to_string(c.y));
        install(makeDocumentOf(allocator, 3, [&](std::size_t) { return solidPage(allocator, 8, 8, kRed); }));
        state().sidebarScroll = c.scroll;
        PaintedBitmap bitmap(1000, c.height);
        paint(bitmap);
        EXPECT_EQ(bitmap.at(c.x, c.y), c.expected);
    }
}

TEST_F(Painting, TheDeviceContextIsHandedBackAsItCame) {
    std::vector<PageImage> pages;
    pages.push_back(redOverBluePage(allocator, 300, 200));
    pages.push_back(solidPage(allocator, 30, 20, kBlue));
    install(makeDocument(allocator, std::move(pages)));
    PaintedBitmap bitmap(1000, 720);
    HGDIOBJ pen = GetCurrentObject(bitmap.dc(), OBJ_PEN);
    HGDIOBJ brush = GetCurrentObject(bitmap.dc(), OBJ_BRUSH);
    const COLORREF text = GetTextColor(bitmap.dc());
    const int mode = GetBkMode(bitmap.dc());
    paint(bitmap);
    EXPECT_EQ(GetCurrentObject(bitmap.dc(), OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(bitmap.dc(), OBJ_BRUSH), brush);
    EXPECT_EQ(GetTextColor(bitmap.dc()), text);
    EXPECT_EQ(GetBkMode(bitmap.dc()), mode);
    // So a second paint into it draws the status text in the default colour.
    paint(bitmap);
    EXPECT_GT(find(bitmap, kBlack, {0, 696, 1000, 720}).count, 0);
}

// How many more brushes the process could create: the room left in its
// table of drawing objects. Every one is deleted again.
int roomForDrawingObjects() {
    std::vector<HBRUSH> brushes;
    brushes.reserve(70000);
    while (brushes.size() < 200000) {
        HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
        if (brush == nullptr) break;
        brushes.push_back(brush);
    }
    for (HBRUSH brush : brushes) DeleteObject(brush);
    return static_cast<int>(brushes.size());
}

TEST_F(Painting, RepeatedPaintsLeaveNoDrawingObjectsBehind) {
    install(makeDocumentOf(allocator, 3, [&](std::size_t i) {
        return i == 1 ? missingPage() : redOverBluePage(allocator, 30, 20);
    }));
    PaintedBitmap bitmap(1000, 720);
    paint(bitmap);
    InvalidateRect(window(), nullptr, TRUE);
    UpdateWindow(window());
    // Wine answers 0 here; its table of drawing objects is then measured by
    // filling it up.
    const DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const int roomBefore = objectsBefore == 0 ? roomForDrawingObjects() : 0;
    for (int i = 0; i < 100; ++i) paint(bitmap);
    // The window's own paint too: BeginPaint, the status bar's system brush.
    for (int i = 0; i < 20; ++i) {
        InvalidateRect(window(), nullptr, TRUE);
        UpdateWindow(window());
    }
    if (objectsBefore != 0) {
        EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objectsBefore + 2);
    } else {
        EXPECT_GE(roomForDrawingObjects(), roomBefore - 2);
    }
}

}  // namespace
}  // namespace orva::testing
