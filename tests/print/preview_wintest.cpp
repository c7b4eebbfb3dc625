#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "print/preview.h"
#include "print/print.h"
#include "print/print_fixtures_win.h"
#include "support/main_window_fixture_win.h"

namespace orva::testing {
namespace {

constexpr std::uint32_t kBackground = rgb(112, 112, 112);
constexpr std::uint32_t kShadow = rgb(64, 64, 64);
constexpr std::uint32_t kPaper = rgb(255, 255, 255);
constexpr std::uint32_t kOutline = rgb(144, 144, 144);
constexpr std::uint32_t kText = rgb(96, 96, 96);

class Preview : public MainWindowTest {
protected:
    HWND preview() const { return state().previewWindow; }
    std::string caption() const {
        char text[1024] = {};
        GetWindowTextA(preview(), text, sizeof text);
        return text;
    }
    LRESULT key(WPARAM code) const { return SendMessageA(preview(), WM_KEYDOWN, code, 0); }
    void paint(PaintedBitmap& bitmap) {
        RECT client{0, 0, bitmap.width(), bitmap.height()};
        paintPreviewClient(state(), bitmap.dc(), client);
    }
    int previewWindowsOfThread() const {
        int count = 0;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND w, LPARAM counter) -> BOOL {
                char name[64] = {};
                GetClassNameA(w, name, sizeof name);
                if (std::string(name) == kPreviewWindowClass) ++*reinterpret_cast<int*>(counter);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&count));
        return count;
    }
    // The box around the pixels of the notice colour.
    RECT noticeBox(const PaintedBitmap& bitmap) const {
        RECT box{bitmap.width(), bitmap.height(), 0, 0};
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x)
                if (bitmap.at(x, y) == kText) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }
};

TEST_F(Preview, OpensOneOwnedCentredWindowWithItsMenuOnTheCurrentPage) {
    installDocument(state(), plainPages(7));
    state().currentPage = 4;
    openPrintPreview(state());
    ASSERT_TRUE(state().previewOpen);
    ASSERT_NE(preview(), nullptr);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(state().previewPage, 4u);
    EXPECT_EQ(caption(), "Print Preview - Page 5/7 - OrvaReader");
    char className[64] = {};
    GetClassNameA(preview(), className, sizeof className);
    EXPECT_STREQ(className, "OrvaReaderPreviewWnd");
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(preview(), GWL_STYLE));
    EXPECT_EQ(style & 0x10CF0000u, 0x10CF0000u);
    EXPECT_FALSE(style & (WS_HSCROLL | WS_VSCROLL));
    EXPECT_TRUE(GetWindowLongPtrA(preview(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(GetWindow(preview(), GW_OWNER), window());
    RECT frame;
    GetWindowRect(preview(), &frame);
    EXPECT_EQ(frame.right - frame.left, 900);
    EXPECT_EQ(frame.bottom - frame.top, 700);
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - 900) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - 700) / 2);

    HMENU bar = GetMenu(preview());
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    struct Item {
        const char* label;
        int id;
    };
    const std::vector<std::vector<Item>> expected = {
        {{"Print...\tCtrl+P", 100}, {"", -1}, {"Close Preview\tEsc", 101}},
        {{"First Page\tHome", 104},
         {"Previous Page\tUp / PgUp", 102},
         {"Next Page\tDown / PgDn", 103},
         {"Last Page\tEnd", 105}},
    };
    const char* popups[] = {"File", "View"};
    for (int p = 0; p < 2; ++p) {
        char text[128] = {};
        GetMenuStringA(bar, p, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, popups[p]);
        HMENU popup = GetSubMenu(bar, p);
        ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(expected[p].size()));
        for (UINT i = 0; i < expected[p].size(); ++i) {
            if (expected[p][i].id < 0) {
                EXPECT_TRUE(GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR);
                continue;
            }
            GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
            EXPECT_STREQ(text, expected[p][i].label);
            EXPECT_EQ(static_cast<int>(GetMenuItemID(popup, i)), expected[p][i].id);
        }
    }
}

TEST_F(Preview, OpeningAgainRetargetsTheOneWindow) {
    installDocument(state(), plainPages(5));
    openPrintPreview(state());
    HWND first = preview();
    key(VK_DOWN);
    EXPECT_EQ(state().previewPage, 1u);
    state().currentPage = 3;
    openPrintPreview(state());
    EXPECT_EQ(preview(), first);
    EXPECT_EQ(previewWindowsOfThread(), 1);
    EXPECT_EQ(state().previewPage, 3u);
    EXPECT_EQ(caption(), "Print Preview - Page 4/5 - OrvaReader");
    EXPECT_TRUE(IsWindowVisible(preview()));
    // Closed and opened again: a new window, the class registered once.
    key(VK_ESCAPE);
    EXPECT_EQ(previewWindowsOfThread(), 0);
    openPrintPreview(state());
    EXPECT_TRUE(state().previewOpen);
    EXPECT_EQ(previewWindowsOfThread(), 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Preview, PagesOnItsOwnApartFromTheMainView) {
    installDocument(state(), plainPages(6));
    state().currentPage = 2;
    openPrintPreview(state());
    key(VK_NEXT);
    EXPECT_EQ(state().previewPage, 3u);
    EXPECT_EQ(state().currentPage, 2u);
    command(CommandNextPage);
    EXPECT_EQ(state().currentPage, 3u);
    EXPECT_EQ(state().previewPage, 3u);
    command(CommandFirstPage);
    EXPECT_EQ(state().previewPage, 3u);
    EXPECT_EQ(caption(), "Print Preview - Page 4/6 - OrvaReader");
}

TEST_F(Preview, KeysAndCommandsMoveThroughThePagesAndStopAtTheEnds) {
    installDocument(state(), plainPages(5));
    state().currentPage = 2;
    openPrintPreview(state());
    struct Step {
        bool isKey;
        WPARAM code;
        std::uint64_t page;
    };
    const Step steps[] = {
        {true, VK_DOWN, 3},  {true, VK_NEXT, 4},  {true, VK_DOWN, 4},  {true, VK_UP, 3},
        {true, VK_PRIOR, 2}, {true, VK_HOME, 0},  {true, VK_UP, 0},    {true, VK_PRIOR, 0},
        {true, VK_END, 4},   {true, 'A', 4},      {true, VK_LEFT, 4},  {false, 102, 3},
        {false, 104, 0},     {false, 103, 1},     {false, 105, 4},     {false, 103, 4},
        {false, 999, 4},
    };
    for (const Step& s : steps) {
        const LRESULT result = s.isKey ? key(s.code) : SendMessageA(preview(), WM_COMMAND, s.code, 0);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(state().previewPage, s.page) << (s.isKey ? "key " : "command ") << s.code;
        EXPECT_EQ(caption(), "Print Preview - Page " + std::to_string(s.page + 1) + "/5 - OrvaReader");
    }
    EXPECT_EQ(state().currentPage, 2u);
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(Preview, PrintsTheWholeDocumentFromMenuAndCtrlPButNotFromPAlone) {
    installDocument(state(), plainPages(3));
    openPrintPreview(state());
    key('P');
    EXPECT_TRUE(ui.printRecords.empty());
    {
        HeldKeys ctrl{VK_CONTROL};
        key('P');
    }
    {
        HeldKeys ctrlShift{VK_CONTROL, VK_SHIFT};
        key('P');
    }
    SendMessageA(preview(), WM_COMMAND, PreviewPrint, 0);
    ASSERT_EQ(ui.printRecords.size(), 3u);
    for (const PRINTDLGA& record : ui.printRecords) {
        EXPECT_EQ(record.nFromPage, 1);
        EXPECT_EQ(record.nToPage, 3);
    }
    EXPECT_TRUE(state().previewOpen);
}

TEST_F(Preview, ClosesByEscapeCommandCloseBoxAndWithItsOwner) {
    installDocument(state(), plainPages(2));
    const std::vector<std::pair<const char*, UINT>> ways = {
        {"Esc", WM_KEYDOWN}, {"command 101", WM_COMMAND}, {"close box", WM_CLOSE}};
    for (const auto& [what, message] : ways) {
        openPrintPreview(state());
        HWND window_ = preview();
        ASSERT_TRUE(state().previewOpen) << what;
        const WPARAM wParam = message == WM_KEYDOWN ? VK_ESCAPE : message == WM_COMMAND ? PreviewClose : 0;
        EXPECT_EQ(SendMessageA(window_, message, wParam, 0), 0) << what;
        EXPECT_FALSE(IsWindow(window_)) << what;
        EXPECT_FALSE(state().previewOpen) << what;
        EXPECT_EQ(preview(), nullptr) << what;
    }
    openPrintPreview(state());
    HWND owned = preview();
    DestroyWindow(window());
    EXPECT_FALSE(IsWindow(owned));
    EXPECT_FALSE(state().previewOpen);
    EXPECT_EQ(preview(), nullptr);
}

TEST_F(Preview, OpeningFailuresAreToldOwnedByTheMainWindow) {
    struct Case {
        const char* what;
        void (*arrange)(AppState&);
        const char* message;
        UINT style;
    };
    const Case cases[] = {
        {"no document", [](AppState& s) { closeDocument(s); }, "No document to preview.", MB_ICONINFORMATION},
        {"no pages", [](AppState& s) { installDocument(s, {}); }, "Document has no pages.", MB_ICONINFORMATION},
        {"current page missing",
         [](AppState& s) {
             std::vector<TestPage> pages = plainPages(3);
             pages[1].loaded = false;
             installDocument(s, pages);
             s.currentPage = 1;
         },
         "Could not load page for preview.", MB_ICONERROR},
        {"window cannot be made",
         [](AppState& s) {
             installDocument(s, plainPages(3));
             UnregisterClassA(kPreviewWindowClass, s.instance);
             s.previewClassRegistered = true;  // as after a registration that failed
         },
         "Could not open print preview window.", MB_ICONERROR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingUi recording;
        state().previewPage = 9;
        c.arrange(state());
        openPrintPreview(state());
        ASSERT_EQ(recording.messages.size(), 1u);
        EXPECT_EQ(recording.messages[0].text, c.message);
        EXPECT_EQ(recording.messages[0].style, c.style);
        EXPECT_EQ(recording.messages[0].caption, "OrvaReader");
        EXPECT_EQ(recording.messages[0].owner, window());
        EXPECT_FALSE(state().previewOpen);
        EXPECT_EQ(preview(), nullptr);
        EXPECT_EQ(previewWindowsOfThread(), 0);
        if (std::string(c.what) != "window cannot be made") {
            EXPECT_EQ(state().previewPage, 9u);
        }
    }
    state().previewClassRegistered = false;
}

TEST_F(Preview, APageThatCannotBeLoadedIsToldOwnedByThePreviewAndKeptAsTarget) {
    std::vector<TestPage> pages = plainPages(4);
    pages[2].loaded = false;
    installDocument(state(), pages);
    state().currentPage = 1;
    openPrintPreview(state());
    key(VK_DOWN);
    EXPECT_EQ(state().previewPage, 2u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Could not load page for preview.");
    EXPECT_EQ(ui.messages[0].style, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(ui.messages[0].caption, "OrvaReader");
    EXPECT_EQ(ui.messages[0].owner, preview());
    EXPECT_EQ(caption(), "Print Preview - Page 2/4 - OrvaReader");
    PaintedBitmap bitmap(300, 200);
    paint(bitmap);
    EXPECT_GT(noticeBox(bitmap).right, 0);  // "Loading page..."
    key(VK_DOWN);
    EXPECT_EQ(state().previewPage, 3u);
    EXPECT_EQ(caption(), "Print Preview - Page 4/4 - OrvaReader");
}

TEST_F(Preview, NavigationDoesNothingOnceTheDocumentIsGone) {
    installDocument(state(), plainPages(4));
    state().currentPage = 1;
    openPrintPreview(state());
    closeDocument(state());
    for (WPARAM code : {VK_DOWN, VK_UP, VK_HOME, VK_END}) key(code);
    EXPECT_EQ(state().previewPage, 1u);
    EXPECT_EQ(caption(), "Print Preview - Page 2/4 - OrvaReader");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Preview, PaintsThePageAsASheetWithShadowOnGrey) {
    installDocument(state(), {{1275, 1650, rgb(200, 0, 0), rgb(0, 0, 200)}});
    openPrintPreview(state());
    PaintedBitmap bitmap(852, 600);
    paint(bitmap);
    // Paper (209, 20)-(643, 580) traced in grey, image (213, 24) 426 x 552.
    struct Probe {
        int x, y;
        std::uint32_t colour;
    };
    const Probe probes[] = {
        {5, 5, kBackground},       {208, 300, kBackground}, {400, 19, kBackground},   {851, 599, kBackground},
        {209, 300, kOutline},      {643, 300, kOutline},    {400, 20, kOutline},      {400, 580, kOutline},
        {209, 20, kOutline},       {643, 580, kOutline},    {210, 21, kPaper},        {212, 300, kPaper},
        {639, 300, kPaper},        {642, 300, kPaper},      {400, 23, kPaper},        {400, 576, kPaper},
        {400, 579, kPaper},        {213, 24, rgb(200, 0, 0)}, {638, 24, rgb(200, 0, 0)}, {400, 200, rgb(200, 0, 0)},
        {213, 575, rgb(0, 0, 200)}, {638, 575, rgb(0, 0, 200)}, {400, 500, rgb(0, 0, 200)},
        {644, 26, kShadow},        {648, 585, kShadow},     {215, 581, kShadow},      {644, 25, kBackground},
        {214, 581, kBackground},   {649, 300, kBackground}, {400, 586, kBackground},
    };
    for (const Probe& p : probes) EXPECT_EQ(bitmap.at(p.x, p.y), p.colour) << p.x << "," << p.y;
}

TEST_F(Preview, ATinyClientStillPaintsASheet) {
    installDocument(state(), {{1275, 1650, rgb(200, 0, 0), rgb(0, 0, 200)}});
    openPrintPreview(state());
    PaintedBitmap bitmap(40, 40);
    paint(bitmap);
    // Paper (20, 20)-(28, 29), the image 0 x 1 at (24, 24) draws nothing.
    struct Probe {
        int x, y;
        std::uint32_t colour;
    };
    const Probe probes[] = {{19, 19, kBackground}, {20, 20, kOutline},   {28, 20, kOutline}, {28, 29, kOutline},
                            {20, 29, kOutline},    {24, 24, kPaper},     {27, 28, kPaper},   {21, 21, kPaper},
                            {30, 30, kShadow},     {33, 34, kShadow},    {25, 33, kBackground}, {34, 30, kBackground}};
    for (const Probe& p : probes) EXPECT_EQ(bitmap.at(p.x, p.y), p.colour) << p.x << "," << p.y;
}

TEST_F(Preview, NoticesAreCentredThirtyPixelsBelowTheMiddle) {
    PaintedBitmap bitmap(500, 300);
    struct Case {
        const char* text;
        void (*arrange)(AppState&);
    };
    const Case cases[] = {
        {"No document loaded", [](AppState& s) { closeDocument(s); }},
        {"Document has no pages", [](AppState& s) { installDocument(s, {}); }},
        {"Loading page...",
         [](AppState& s) {
             installDocument(s, plainPages(2));
             s.previewPage = 5;  // beyond a document opened since
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        c.arrange(state());
        paint(bitmap);
        EXPECT_EQ(bitmap.at(2, 2), kBackground);
        const RECT box = noticeBox(bitmap);
        SIZE extent{};
        GetTextExtentPoint32A(bitmap.dc(), c.text, static_cast<int>(strlen(c.text)), &extent);
        ASSERT_GT(box.right, box.left);
        // Ink stops short of the last character's advance.
        EXPECT_NEAR(box.right - box.left, extent.cx, 6);
        EXPECT_NEAR((box.left + box.right) / 2.0, 250, 4);
        EXPECT_NEAR((box.top + box.bottom) / 2.0, 180, extent.cy / 2.0);
    }
}

TEST_F(Preview, PaintingLeavesNoBrushOrPenBehind) {
    installDocument(state(), {{4, 4, rgb(200, 0, 0), rgb(0, 0, 200)}});
    openPrintPreview(state());
    PaintedBitmap bitmap(60, 60);
    HGDIOBJ pen = GetCurrentObject(bitmap.dc(), OBJ_PEN);
    HGDIOBJ brush = GetCurrentObject(bitmap.dc(), OBJ_BRUSH);
    // More paints than the process has object handles: one object left behind
    // by each paint would use them all up.
    for (int i = 0; i < 70000; ++i) paint(bitmap);
    EXPECT_EQ(GetCurrentObject(bitmap.dc(), OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(bitmap.dc(), OBJ_BRUSH), brush);
    HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_NE(probe, nullptr);
    DeleteObject(probe);
    EXPECT_EQ(bitmap.at(0, 0), kBackground);
    EXPECT_EQ(bitmap.at(20, 20), kOutline);
    EXPECT_EQ(bitmap.at(30, 26), rgb(200, 0, 0));
    EXPECT_EQ(bitmap.at(30, 33), rgb(0, 0, 200));
}

TEST_F(Preview, WindowPaintsThroughItsOwnMessages) {
    installDocument(state(), plainPages(2));
    openPrintPreview(state());
    EXPECT_EQ(SendMessageA(preview(), WM_SIZE, 0, 0), 0);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(preview(), &update, FALSE));
    UpdateWindow(preview());
    EXPECT_FALSE(GetUpdateRect(preview(), &update, FALSE));
}

}  // namespace
}  // namespace orva::testing
