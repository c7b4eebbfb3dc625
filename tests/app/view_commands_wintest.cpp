// The main window driven by real messages: menu commands, keys, the wheel,
// clicks and scroll-bar requests, read back from the state, the title and
// the window's own scroll bars.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "support/view_test_win.h"
#include "view/view.h"

namespace orva::testing {
namespace {

// The page view is 612 x 552 pixels.
constexpr int kWidth = 800, kHeight = 600;

class ViewCommands : public ViewTest {
protected:
    void open(Document document, float zoom = 1.0f) {
        install(std::move(document), zoom);
        setClientSize(kWidth, kHeight);
        ASSERT_EQ(clientRect().right, kWidth);
        ASSERT_EQ(clientRect().bottom, kHeight);
    }
    void openPages(std::size_t count, std::uint32_t width, std::uint32_t height, float zoom = 1.0f) {
        open(makeDocumentOf(allocator, count, [&](std::size_t) { return solidPage(allocator, width, height, 0x808080); }),
             zoom);
    }

    // What the view shows, compared as a whole.
    struct View {
        std::uint64_t page;
        float zoom;
        FitMode fit;
        std::int32_t scrollX, scrollY, sidebar;
        std::string title;
        bool operator==(const View&) const = default;
    };
    View view() const {
        const AppState& s = state();
        return {s.currentPage, s.zoom, s.fitMode, s.scrollX, s.scrollY, s.sidebarScroll, title()};
    }
    void setView(std::uint64_t page, float zoom, FitMode fit, std::int32_t scrollX = 0, std::int32_t scrollY = 0) {
        AppState& s = state();
        s.currentPage = page;
        s.zoom = zoom;
        s.fitMode = fit;
        s.scrollX = scrollX;
        s.scrollY = scrollY;
    }
};

TEST_F(ViewCommands, EachMenuCommandDoesWhatItSays) {
    openPages(5, 400, 500);
    struct Case {
        std::uint16_t id;
        std::uint64_t page;
        float zoom;
        FitMode fit;
    };
    // Fit Width fills the width the vertical scroll bar leaves.
    const float fitted = static_cast<float>(800 - GetSystemMetrics(SM_CXVSCROLL) - 228) / 400.0f;
    const Case cases[] = {
        {CommandZoomIn, 2, 2.5f, FitMode::None},
        {CommandZoomOut, 2, 1.6f, FitMode::None},
        {CommandFitWidth, 2, fitted, FitMode::FitWidth},
        {CommandActualSize, 2, 1.0f, FitMode::ActualSize},
        {CommandFirstPage, 0, 2.0f, FitMode::FitWidth},
        {CommandPreviousPage, 1, 2.0f, FitMode::FitWidth},
        {CommandNextPage, 3, 2.0f, FitMode::FitWidth},
        {CommandLastPage, 4, 2.0f, FitMode::FitWidth},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        // Start from page 2 at zoom 2 in fit mode, scrolled, with the bars
        // that brings.
        setView(2, 2.0f, FitMode::FitWidth, 30, 60);
        updateScrollBars(state());
        ASSERT_EQ(clientRect().right, 800 - GetSystemMetrics(SM_CXVSCROLL));
        command(c.id);
        EXPECT_EQ(state().currentPage, c.page);
        EXPECT_EQ(state().zoom, c.zoom);
        EXPECT_EQ(state().fitMode, c.fit);
        if (c.id >= CommandFirstPage) {
            EXPECT_EQ(state().scrollX, 0);
            EXPECT_EQ(state().scrollY, 0);
            EXPECT_EQ(title(), "test - Page " + std::to_string(c.page + 1) + "/5 (200%) - OrvaReader");
        }
    }
}

TEST_F(ViewCommands, IdsOutsideTheMenuDoNothing) {
    openPages(5, 2000, 3000);
    setView(2, 1.0f, FitMode::FitWidth, 30, 60);
    const View before = view();
    for (const std::uint16_t id : {0, 5, 6, 7, 8, 9, 14, 15, 16, 17, 18, 19, 24, 30, 100, 0xFFFF}) {
        command(id);
        EXPECT_EQ(view(), before) << id;
    }
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(ViewCommands, PageChangesStopAtTheEndsAndStillRefresh) {
    openPages(3, 2000, 3000);
    // Page Up on page 0: stays, but the scroll goes back to the top and the
    // title catches up with a zoom changed since.
    command(CommandZoomIn);
    EXPECT_EQ(title(), "test - Page 1/3 (100%) - OrvaReader");
    send(WM_VSCROLL, SB_PAGEDOWN);
    ASSERT_EQ(scrollPos(SB_VERT), 200);
    command(CommandPreviousPage);
    EXPECT_EQ(state().currentPage, 0u);
    EXPECT_EQ(state().scrollY, 0);
    EXPECT_EQ(scrollPos(SB_VERT), 0);
    EXPECT_EQ(title(), "test - Page 1/3 (125%) - OrvaReader");
    command(CommandLastPage);
    command(CommandNextPage);
    EXPECT_EQ(state().currentPage, 2u);
    EXPECT_EQ(title(), "test - Page 3/3 (125%) - OrvaReader");

    openPages(1, 100, 100);
    command(CommandLastPage);
    EXPECT_EQ(state().currentPage, 0u);
    command(CommandNextPage);
    EXPECT_EQ(state().currentPage, 0u);
}

TEST_F(ViewCommands, KeysOfTheTableAndNoOthers) {
    openPages(5, 400, 500);
    struct Case {
        WPARAM key;
        std::vector<int> held;
        std::uint64_t page;  // from page 2
        bool opens;
        float zoom = 2.0f;  // from 2.0
        FitMode fit = FitMode::None;
    };
    const Case cases[] = {
        {VK_HOME, {}, 0, false},
        {VK_HOME, {VK_CONTROL}, 0, false},
        {VK_END, {}, 4, false},
        {VK_END, {VK_SHIFT}, 4, false},
        {VK_PRIOR, {}, 1, false},
        {VK_UP, {VK_CONTROL, VK_SHIFT}, 1, false},
        {VK_NEXT, {}, 3, false},
        {VK_DOWN, {}, 3, false},
        {'O', {VK_CONTROL}, 2, true},
        {'O', {VK_CONTROL, VK_SHIFT}, 2, true},
        // The keys the Edit menu's labels promise.
        {VK_ADD, {VK_CONTROL}, 2, false, 2.5f},
        {VK_OEM_PLUS, {VK_CONTROL}, 2, false, 2.5f},
        {VK_SUBTRACT, {VK_CONTROL}, 2, false, 1.6f},
        {VK_OEM_MINUS, {VK_CONTROL}, 2, false, 1.6f},
        {'0', {VK_CONTROL}, 2, false, 1.0f, FitMode::ActualSize},
        {VK_NUMPAD0, {VK_CONTROL}, 2, false, 1.0f, FitMode::ActualSize},
        // Nothing else.
        {'O', {}, 2, false},
        {'O', {VK_SHIFT}, 2, false},
        {'P', {}, 2, false},
        {'P', {VK_SHIFT}, 2, false},
        {VK_LEFT, {}, 2, false},
        {VK_RIGHT, {}, 2, false},
        {VK_ADD, {}, 2, false},
        {'0', {}, 2, false},
        {VK_ESCAPE, {}, 2, false},
        {VK_SPACE, {}, 2, false},
        {VK_F1, {}, 2, false},
        {VK_F5, {VK_CONTROL}, 2, false},
        {VK_INSERT, {}, 2, false},
        {'Q', {VK_CONTROL}, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        setView(2, 2.0f, FitMode::None, 0, 0);
        ui.openRecords.clear();
        switch (c.held.size()) {
            case 0: pressKey(c.key); break;
            case 1: pressKey(c.key, {c.held[0]}); break;
            default: pressKey(c.key, {c.held[0], c.held[1]}); break;
        }
        EXPECT_EQ(state().currentPage, c.page);
        EXPECT_EQ(state().zoom, c.zoom);
        EXPECT_EQ(state().fitMode, c.fit);
        EXPECT_EQ(ui.openRecords.size(), c.opens ? 1u : 0u);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ViewCommands, PageKeysAndCommandsWithoutADocumentDoNothing) {
    state().currentPage = 3;  // left over from a closed document
    for (const WPARAM key : {VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_UP, VK_DOWN}) pressKey(key);
    for (const std::uint16_t id : {CommandFirstPage, CommandPreviousPage, CommandNextPage, CommandLastPage}) command(id);
    EXPECT_EQ(state().currentPage, 3u);
    EXPECT_EQ(title(), "OrvaReader");
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(ViewCommands, SizingCommandsWithoutADocument) {
    command(CommandZoomIn);
    EXPECT_EQ(state().zoom, 0.1f) << "0 x 1.25 is raised to the minimum";
    EXPECT_EQ(state().fitMode, FitMode::None);
    command(CommandFitWidth);
    EXPECT_EQ(state().fitMode, FitMode::FitWidth);
    EXPECT_EQ(state().zoom, 0.1f);
    command(CommandActualSize);
    EXPECT_EQ(state().zoom, 1.0f);
    EXPECT_EQ(state().fitMode, FitMode::ActualSize);
    EXPECT_EQ(scrollRange(SB_HORZ), std::make_pair(0, 0));
    EXPECT_EQ(scrollRange(SB_VERT), std::make_pair(0, 0));
    EXPECT_EQ(title(), "OrvaReader") << "a zoom step does not touch the title";
}

TEST_F(ViewCommands, FitWidthKeepsTheZoomWhenThereIsNothingToFit) {
    std::vector<PageImage> pages;
    pages.push_back(solidPage(allocator, 572, 100, 0));
    pages.push_back(missingPage());
    pages.push_back(emptyPage(0, 100));
    pages.push_back(emptyPage(286, 0));
    open(makeDocument(allocator, std::move(pages)), 3.0f);
    struct Case {
        std::uint64_t page;
        float zoom;
    };
    const Case cases[] = {{0, 1.0f}, {1, 3.0f}, {2, 3.0f}, {3, 2.0f}};
    for (const Case& c : cases) {
        setView(c.page, 3.0f, FitMode::None);
        command(CommandFitWidth);
        EXPECT_EQ(state().zoom, c.zoom) << c.page;
        EXPECT_EQ(state().fitMode, FitMode::FitWidth);
    }
    EXPECT_TRUE(ui.messages.empty()) << "a failed page request is not reported here";

    // A client area too narrow to leave room for the page.
    setView(0, 3.0f, FitMode::None);
    setClientSize(200, 400);
    ASSERT_LE(clientRect().right, 228);
    command(CommandFitWidth);
    EXPECT_EQ(state().zoom, 0.1f);
}

TEST_F(ViewCommands, TheWheelScrollsTheSidebarOrZooms) {
    openPages(10, 400, 500);  // sidebar limit 8 + 1840 - 552 = 1296
    struct Case {
        short delta;
        POINT at;
        std::int32_t sidebarFrom, sidebar;
        float zoom;
        WORD keys = 0;
    };
    const Case cases[] = {
        {120, {50, 300}, 200, 160, 1.0f},
        {-120, {50, 300}, 200, 240, 1.0f},
        {0, {50, 300}, 200, 240, 1.0f},  // no turn counts as down
        {1, {50, 300}, 200, 160, 1.0f},
        {-1200, {50, 300}, 200, 240, 1.0f},
        {120, {0, 24}, 200, 160, 1.0f},
        {120, {187, 576}, 200, 160, 1.0f},
        {120, {50, 300}, 20, 0, 1.0f},        // clamped at the top
        {-120, {50, 300}, 1280, 1296, 1.0f},  // and at the bottom
        {120, {188, 300}, 200, 200, 1.1f},
        {-120, {500, 300}, 200, 200, 0.90909094f},
        {0, {500, 300}, 200, 200, 0.90909094f},
        {120, {50, 23}, 200, 200, 1.1f},   // the top band
        {120, {50, 577}, 200, 200, 1.1f},  // the status bar
        {120, {-30, 300}, 200, 200, 1.1f},  // outside the client area
        {120, {900, 300}, 200, 200, 1.1f},
        // With Ctrl it zooms wherever the pointer is.
        {120, {50, 300}, 200, 200, 1.1f, MK_CONTROL},
        {-120, {500, 300}, 200, 200, 0.90909094f, MK_CONTROL},
    };
    const auto horizontal = scrollRange(SB_HORZ);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.delta) + " at " + std::to_string(c.at.x) + "," + std::to_string(c.at.y));
        setView(0, 1.0f, FitMode::FitWidth);
        state().sidebarScroll = c.sidebarFrom;
        turnWheel(c.delta, c.at.x, c.at.y, c.keys);
        EXPECT_EQ(state().sidebarScroll, c.sidebar);
        EXPECT_EQ(state().zoom, c.zoom);
        EXPECT_EQ(state().fitMode, c.zoom == 1.0f ? FitMode::FitWidth : FitMode::None);
    }
    EXPECT_EQ(scrollRange(SB_HORZ), horizontal);
}

TEST_F(ViewCommands, TheWheelWithoutADocument) {
    setClientSize(kWidth, kHeight);
    turnWheel(-120, 50, 300);
    EXPECT_EQ(state().sidebarScroll, 0);
    EXPECT_EQ(state().zoom, 0.0f);
    turnWheel(120, 500, 300);
    EXPECT_EQ(state().zoom, 0.1f);
    turnWheel(120, 500, 300);
    EXPECT_EQ(state().zoom, 0.1f * 1.1f);
}

TEST_F(ViewCommands, ClicksOnThumbnailsChangeThePage) {
    openPages(5, 400, 500);
    struct Case {
        int x, y;
        std::int32_t sidebar;
        std::uint64_t page;  // from page 4
    };
    const Case cases[] = {
        {50, 32, 0, 0},
        {50, 207, 0, 0},
        {50, 213, 0, 4},  // 5 pixels below frame 0, in the gap
        {50, 216, 0, 1},
        {0, 400, 0, 2},
        {187, 400, 0, 2},
        {188, 400, 0, 4},
        {50, 30, 0, 4},
        {50, 24, 200, 1},  // frame 1, from 216 - 200 = 16, reaches into the strip
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        setView(4, 1.0f, FitMode::None);
        state().sidebarScroll = c.sidebar;
        click(c.x, c.y);
        EXPECT_EQ(state().currentPage, c.page);
    }
    setView(4, 1.0f, FitMode::None);
    state().sidebarScroll = 0;
    click(50, 400);
    EXPECT_EQ(title(), "test - Page 3/5 (100%) - OrvaReader");
}

TEST_F(ViewCommands, ClicksWithoutADocumentDoNothing) {
    setClientSize(kWidth, kHeight);
    state().currentPage = 2;
    click(50, 216);
    EXPECT_EQ(state().currentPage, 2u);
    EXPECT_EQ(title(), "OrvaReader");
}

TEST_F(ViewCommands, ScrollStepsAndClampsOnTheRealBars) {
    openPages(2, 2000, 3000);  // limits 2000 - 612 and 3000 - 552
    EXPECT_EQ(scrollRange(SB_HORZ), std::make_pair(0, 1388));
    EXPECT_EQ(scrollRange(SB_VERT), std::make_pair(0, 2448));
    struct Step {
        UINT message;
        WPARAM code;
        int thumb;
        int position;
    };
    const Step steps[] = {
        {WM_VSCROLL, SB_LINEDOWN, 0, 30},          {WM_VSCROLL, SB_PAGEDOWN, 0, 230},
        {WM_VSCROLL, SB_LINEUP, 0, 200},           {WM_VSCROLL, SB_PAGEUP, 0, 0},
        {WM_VSCROLL, SB_PAGEUP, 0, 0},             {WM_VSCROLL, SB_LINEUP, 0, 0},
        {WM_VSCROLL, SB_THUMBTRACK, 500, 500},     {WM_VSCROLL, SB_THUMBPOSITION, 65535, 2448},
        {WM_VSCROLL, SB_LINEDOWN, 0, 2448},        {WM_VSCROLL, SB_TOP, 0, 2448},
        {WM_VSCROLL, SB_BOTTOM, 0, 2448},          {WM_VSCROLL, SB_ENDSCROLL, 0, 2448},
        {WM_VSCROLL, SB_THUMBTRACK, 100, 100},     {WM_VSCROLL, SB_TOP, 900, 100},
        {WM_HSCROLL, SB_LINERIGHT, 0, 30},         {WM_HSCROLL, SB_PAGERIGHT, 0, 230},
        {WM_HSCROLL, SB_LINELEFT, 0, 200},         {WM_HSCROLL, SB_PAGELEFT, 0, 0},
        {WM_HSCROLL, SB_THUMBPOSITION, 1388, 1388}, {WM_HSCROLL, SB_PAGERIGHT, 0, 1388},
        {WM_HSCROLL, 9, 5, 1388},
    };
    for (const Step& s : steps) {
        const int bar = s.message == WM_VSCROLL ? SB_VERT : SB_HORZ;
        send(s.message, MAKEWPARAM(s.code, s.thumb));
        EXPECT_EQ(scrollPos(bar), s.position) << (bar == SB_VERT ? "V " : "H ") << s.code << " " << s.thumb;
        EXPECT_EQ(bar == SB_VERT ? state().scrollY : state().scrollX, s.position);
    }
    EXPECT_EQ(state().scrollY, 100) << "the vertical position was left alone by the horizontal steps";
}

TEST_F(ViewCommands, PositionsPastTheThumbsReachAreReachedByStepsOnly) {
    openPages(1, 10, 100000);  // vertical limit 99448
    ASSERT_EQ(scrollRange(SB_VERT), std::make_pair(0, 99448));
    EXPECT_EQ(scrollRange(SB_HORZ), std::make_pair(0, 0)) << "a page narrower than the view hides the bar";
    send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0xFFFF));
    EXPECT_EQ(scrollPos(SB_VERT), 65535);
    send(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(scrollPos(SB_VERT), 65735);
    send(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(scrollPos(SB_VERT), 65765);
    EXPECT_EQ(state().scrollY, 65765);
    send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0xFFFF));
    EXPECT_EQ(scrollPos(SB_VERT), 65535);
    send(WM_HSCROLL, SB_PAGERIGHT);
    EXPECT_EQ(state().scrollX, 0);
}

TEST_F(ViewCommands, RangesAccountForTheBarsTheyBringUp) {
    setClientSize(kWidth, kHeight);  // no bars yet: no document
    ASSERT_EQ(scrollRange(SB_VERT), std::make_pair(0, 0));
    install(makeDocumentOf(allocator, 1, [&](std::size_t) { return solidPage(allocator, 2000, 3000, 0); }));
    const RECT client = clientRect();
    ASSERT_LT(client.right, kWidth) << "the vertical bar took its room";
    ASSERT_LT(client.bottom, kHeight) << "and the horizontal one its";
    EXPECT_EQ(scrollRange(SB_HORZ).second, 2000 - (client.right - 188));
    EXPECT_EQ(scrollRange(SB_VERT).second, 3000 - (client.bottom - 48));
}

TEST_F(ViewCommands, ResizingClampsTheSidebarButKeepsTheZoom) {
    openPages(20, 400, 600, 2.5f);  // shown 1000 x 1500
    setClientSize(kWidth, 500);  // sidebar limit 3688 - 452
    state().fitMode = FitMode::FitWidth;
    state().sidebarScroll = 3236;
    setClientSize(kWidth, kHeight);
    EXPECT_EQ(state().sidebarScroll, 3136);
    EXPECT_EQ(state().zoom, 2.5f);
    EXPECT_EQ(state().fitMode, FitMode::FitWidth);
    EXPECT_EQ(scrollRange(SB_VERT), std::make_pair(0, 1500 - 552));
    EXPECT_EQ(scrollRange(SB_HORZ), std::make_pair(0, 1000 - 612));
}

TEST_F(ViewCommands, PageChangeRevealsItsThumbnail) {
    openPages(20, 400, 500);
    command(CommandLastPage);
    EXPECT_EQ(state().sidebarScroll, 184 * 20 - 552);
    command(CommandFirstPage);
    EXPECT_EQ(state().sidebarScroll, 8);
    state().sidebarScroll = 0;
    command(CommandNextPage);
    EXPECT_EQ(state().sidebarScroll, 0) << "already in view";
}

TEST_F(ViewCommands, APageThatCannotBeMadeAvailableIsReported) {
    std::vector<PageImage> pages;
    pages.push_back(solidPage(allocator, 2000, 3000, 0));
    pages.push_back(solidPage(allocator, 2000, 3000, 0));
    pages.push_back(missingPage());
    open(makeDocument(allocator, std::move(pages), "test", "C:\\docs\\test.orva"));
    command(CommandNextPage);
    send(WM_VSCROLL, SB_PAGEDOWN);
    state().sidebarScroll = 20;
    const auto vertical = scrollRange(SB_VERT);
    command(CommandNextPage);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Failed to open file:\nC:\\docs\\test.orva\n\nError: PdftoppmFailed");
    EXPECT_EQ(ui.messages[0].caption, "OrvaReader");
    EXPECT_EQ(ui.messages[0].owner, window());
    // The page change does not take place: the view stays on the page its
    // title names. (It used to move to the page it could not show while the
    // title and the picture stayed behind, so that the next paint showed a
    // page the title did not name.)
    EXPECT_EQ(state().currentPage, 1u);
    EXPECT_EQ(state().scrollY, 200);
    EXPECT_EQ(title(), "test - Page 2/3 (100%) - OrvaReader") << "the title is not refreshed";
    EXPECT_EQ(scrollRange(SB_VERT), vertical);
    EXPECT_EQ(scrollPos(SB_VERT), 200) << "nor are the scroll bars";
    EXPECT_EQ(state().sidebarScroll, 20);
}

TEST_F(ViewCommands, EachOperationAsksForItsRepaint) {
    std::vector<PageImage> pages;
    pages.push_back(solidPage(allocator, 2000, 3000, 0));
    pages.push_back(solidPage(allocator, 2000, 3000, 0));
    pages.push_back(missingPage());
    open(makeDocument(allocator, std::move(pages)));
    struct Case {
        const char* name;
        std::function<void()> action;
        bool invalidated, erased;
    };
    const std::vector<Case> cases = {
        {"zoom in", [&] { command(CommandZoomIn); }, true, true},
        {"actual size", [&] { command(CommandActualSize); }, true, true},
        {"fit width", [&] { command(CommandFitWidth); }, true, true},
        {"actual size again", [&] { command(CommandActualSize); }, true, true},
        {"line down", [&] { send(WM_VSCROLL, SB_LINEDOWN); }, true, true},
        {"end scroll", [&] { send(WM_VSCROLL, SB_ENDSCROLL); }, false, false},
        {"sidebar wheel", [&] { turnWheel(-120, 50, 300); }, true, true},
        {"next page", [&] { command(CommandNextPage); }, true, true},
        {"failed page change", [&] { command(CommandNextPage); }, false, false},
        // A failed page change no longer leaves the view on the missing page,
        // so the view is put there by hand.
        {"fit width without the page",
         [&] {
             state().currentPage = 2;
             command(CommandFitWidth);
         },
         false, false},
        {"first page", [&] { command(CommandFirstPage); }, true, true},
        {"resize", [&] { send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientRect().right, clientRect().bottom)); }, true,
         false},
        {"unknown command", [&] { command(14); }, false, false},
        {"left arrow", [&] { pressKey(VK_LEFT); }, false, false},
        {"click in a gap",
         [&] {
             state().sidebarScroll = 0;
             click(50, 210);
         },
         false, false},
    };
    for (const Case& c : cases) {
        const Repaint repaint = repaintAfter(c.action);
        EXPECT_EQ(repaint.invalidated, c.invalidated) << c.name;
        EXPECT_EQ(repaint.erased, c.erased) << c.name;
    }
}

TEST_F(ViewCommands, ClosingWithADocumentOpenGivesBackAllItsMemory) {
    openPages(3, 300, 400);
    ASSERT_GT(allocator.liveBlocks(), 0u);
    send(WM_CLOSE);
    EXPECT_FALSE(IsWindow(window()));
    EXPECT_FALSE(state().documentLoaded);
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

}  // namespace
}  // namespace orva::testing
