// Bookmarks, links and full screen in a real main window, with the Windows
// tools the release ships, checked against what the host's own pdftohtml
// (through the bridge) reports of the same documents.
#include <gtest/gtest.h>

#include "base/win32.h"

#include <commctrl.h>

#include <regex>

#include "app/main_window.h"
#include "app/links.h"
#include "app/open_document.h"
#include "app/select_text.h"
#include "support/child_process_win.h"
#include "support/fake_poppler_win.h"
#include "support/main_window_fixture_win.h"
#include "support/wide_text_win.h"
#include "view/page_placement.h"
#include "view/view.h"

namespace orva {
namespace {

using testing::narrow;
using testing::widen;
using testing::windowsPath;

constexpr const char* kManual = "Z:\\usr\\share\\doc\\libtasn1-doc\\libtasn1.pdf";
const std::string kLinked = windowsPath(ORVA_BINARY_DIR "/tests/links.pdf");

// What the host's HTML tool prints for pages first..last.
std::string hostReport(const std::string& pdf, int first, int last) {
    const std::string pages = "-f " + std::to_string(first) + " -l " + std::to_string(last);
    const auto run = testing::runProgram(windowsPath(ORVA_BINARY_DIR "/poppler") + "\\pdftohtml.exe",
                                         "-xml -i -q -stdout -nodrm " + pages + " \"" + pdf + "\"");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    return run.output;
}

struct Entry {
    int depth;
    std::string title;
    int page;
    bool operator==(const Entry&) const = default;
};

// The host report's outline: an <outline> opens a level, its items stand at it.
std::vector<Entry> hostOutline(const std::string& report) {
    std::vector<Entry> entries;
    const std::regex tag(R"re(<outline>|</outline>|<item(?: page="(\d+)")?>([^<]*)</item>)re");
    int depth = -1;
    for (auto it = std::sregex_iterator(report.begin(), report.end(), tag); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        if (m.str() == "<outline>") ++depth;
        else if (m.str() == "</outline>") --depth;
        else entries.push_back({depth, m[2], m[1].matched ? std::stoi(m[1]) : 0});
    }
    return entries;
}

// A link's box in the host report (pixels at 108 dpi): the <text> whose <a>
// goes to `href`, the first of them.
std::optional<TextBox> hostLinkBox(const std::string& report, const std::string& href) {
    const std::regex text(R"re(<text top="(\d+)" left="(\d+)" width="(\d+)" height="(\d+)"[^>]*><a href="([^"]*)">)re");
    for (auto it = std::sregex_iterator(report.begin(), report.end(), text); it != std::sregex_iterator(); ++it) {
        const float top = std::stof((*it)[1]), left = std::stof((*it)[2]);
        if ((*it)[5] == href) return TextBox{left, top, left + std::stof((*it)[3]), top + std::stof((*it)[4])};
    }
    return std::nullopt;
}

// The stand-in for the system's handler of web and mail links.
std::vector<std::wstring> gOpened;
bool recordOpened(WindowHandle, const wchar_t* target) { return gOpened.push_back(target), true; }

class FindYourWayTest : public testing::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        path_ = std::make_unique<testing::ScopedVariable>(L"PATH", widen(windowsPath(ORVA_BUNDLED_POPPLER) + "\\poppler"));
        setClientSize(1000, 700);
        gOpened.clear();
        previousOpener_ = setLinkOpener(recordOpened);
    }
    void TearDown() override {
        setLinkOpener(previousOpener_);
        MainWindowTest::TearDown();
    }
    void open(const std::string& pdf) {
        openDocument(state(), pdf);
        ASSERT_TRUE(state().documentLoaded) << (ui.messages.empty() ? "" : ui.messages.front().text);
    }
    void key(WPARAM key) { send(WM_KEYDOWN, key, 1); }
    RECT windowRect() const {
        RECT rect{};
        GetWindowRect(window(), &rect);
        return rect;
    }
    HWND tree() const { return state().bookmarks.tree; }

    // The tree's items depth first, with their depth and text.
    std::vector<std::pair<HTREEITEM, Entry>> treeItems() const {
        std::vector<std::pair<HTREEITEM, Entry>> items;
        const auto walk = [&](auto& self, HTREEITEM item, int depth) -> void {
            for (; item != nullptr; item = TreeView_GetNextSibling(tree(), item)) {
                wchar_t text[512] = {};
                TVITEMW record{TVIF_TEXT, item, 0, 0, text, 512};
                SendMessageW(tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&record));
                items.push_back({item, {depth, narrow(text), 0}});
                self(self, TreeView_GetChild(tree(), item), depth + 1);
            }
        };
        walk(walk, TreeView_GetRoot(tree()), 0);
        return items;
    }
    std::string selectedTitle() const {
        for (const auto& [item, entry] : treeItems())
            if (item == TreeView_GetSelection(tree())) return entry.title;
        return "(none)";
    }
    // The page shown, its links asked for after the paint and arrived.
    void showAndSettle() {
        UpdateWindow(window());
        ASSERT_TRUE(settleJobs(60000));
        ASSERT_TRUE(linksLive(state()));
    }
    // The client point at the middle of a box of the host report's pixels,
    // as the page is shown now.
    POINT clientPoint(const TextBox& box) const {
        const auto placement = shownPagePlacement(state());
        EXPECT_TRUE(placement.has_value());
        const float scale = static_cast<float>(state().document.dpi) / 108.0f;
        const float x = (box.left + box.right) / 2 * scale, y = (box.top + box.bottom) / 2 * scale;
        const ClientRect spot = toClient(*placement, TextBox{x, y, x, y});
        return {spot.left, spot.top};
    }
    void clickAt(POINT at) {
        send(WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        send(WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }
    bool handOver(POINT at) {
        send(WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor() == LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));
    }

private:
    std::unique_ptr<testing::ScopedVariable> path_;
    LinkOpener previousOpener_ = nullptr;
};

TEST_F(FindYourWayTest, BookmarksShowTheHostsOutlineAndGoToItsPages) {
    if (GetFileAttributesA(kManual) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no libtasn1 manual";
    testing::PaintedBitmap before(1000, 700), after(1000, 700);
    open(kManual);
    UpdateWindow(window());
    ASSERT_TRUE(settleJobs(60000));
    paint(before);
    const auto range = scrollRange(SB_HORZ);
    key(VK_F12);
    // Asked for when first shown, never at open; said to be on its way.
    EXPECT_EQ(state().bookmarks.runs, 1u);
    EXPECT_EQ(state().panelWidth, 240);
    ASSERT_TRUE(IsWindowVisible(tree()));
    ASSERT_EQ(treeItems().size(), 1u);
    EXPECT_EQ(treeItems()[0].second.title, "Loading\u2026");
    ASSERT_TRUE(settleJobs(60000));

    const std::vector<Entry> host = hostOutline(hostReport(kManual, 1, 1));
    ASSERT_EQ(host.size(), 21u);
    const auto items = treeItems();
    ASSERT_EQ(items.size(), host.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        // Each entry's page is where Enter on it goes.
        TreeView_SelectItem(tree(), items[i].first);
        SendMessageW(tree(), WM_KEYDOWN, VK_RETURN, 0);
        const Entry shown{items[i].second.depth, items[i].second.title, static_cast<int>(state().currentPage) + 1};
        EXPECT_EQ(shown, host[i]) << i << ": " << host[i].title;
    }

    // A click on an entry goes to its page; its parent entry was collapsed.
    key(VK_HOME);
    UpdateWindow(window());
    const HTREEITEM functions = items[11].first;
    ASSERT_EQ(items[11].second.title, "4 Function reference");
    TreeView_EnsureVisible(tree(), functions);
    RECT box{};
    ASSERT_TRUE(TreeView_GetItemRect(tree(), functions, &box, TRUE));
    const LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    PostMessageW(tree(), WM_LBUTTONUP, 0, at);
    SendMessageW(tree(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    pumpMessages();
    EXPECT_EQ(state().currentPage, 10u);
    EXPECT_EQ(title().substr(0, 22), "libtasn1 - Page 11/36 ");
    EXPECT_EQ(selectedTitle(), "4 Function reference");

    // Paging on selects the entry of the page shown.
    for (int i = 0; i < 14; ++i) key(VK_NEXT);
    UpdateWindow(window());
    EXPECT_EQ(selectedTitle(), "Error handling functions");

    // Dragged by its left edge, the panel widens.
    const int edge = clientRect().right - 240;
    send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(edge + 2, 300));
    send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(edge - 100, 300));
    send(WM_LBUTTONUP, 0, MAKELPARAM(edge - 100, 300));
    EXPECT_EQ(state().panelWidth, 340);
    EXPECT_EQ(viewClientArea(state()).right, edge - 100);

    // Hidden, the window is as it was.
    key(VK_HOME);
    key(VK_F12);
    EXPECT_EQ(state().panelWidth, 0);
    EXPECT_FALSE(IsWindowVisible(tree()));
    paint(after);
    // The page view and the status line (the strip's thumbnails come from
    // other pictures once their pages have been shown).
    EXPECT_EQ(scrollRange(SB_HORZ), range);
    for (int y = 0; y < 700; y += 3)
        for (int x = 188; x < 1000; x += 3) ASSERT_EQ(after.at(x, y), before.at(x, y)) << x << "," << y;
}

TEST_F(FindYourWayTest, TheContentsLinkToChapterTwoGoesThereAndBackComesBack) {
    if (GetFileAttributesA(kManual) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no libtasn1 manual";
    open(kManual);
    key(VK_NEXT);
    key(VK_NEXT);  // the table of contents
    // Nothing is asked for before the page is on the screen.
    EXPECT_EQ(state().links.runs, 0u);
    showAndSettle();
    EXPECT_EQ(state().links.runs, 1u);
    const auto box = hostLinkBox(hostReport(kManual, 3, 3), "libtasn1.html#5");
    ASSERT_TRUE(box.has_value());
    const POINT link = clientPoint(*box);
    EXPECT_TRUE(handOver(link));
    EXPECT_EQ(state().statusNotice.view(), "Go to page 5");
    EXPECT_FALSE(handOver(POINT{link.x - 200, link.y}));

    clickAt(link);
    EXPECT_EQ(state().currentPage, 4u);
    send(WM_SYSKEYDOWN, VK_LEFT, 1 << 29);
    EXPECT_EQ(state().currentPage, 2u);

    // Turned and zoomed, the link is where the page shows it.
    command(CommandRotateRight);
    command(CommandZoomIn);
    UpdateWindow(window());
    const POINT turned = clientPoint(*box);
    EXPECT_NE(turned.x, link.x);
    clickAt(turned);
    EXPECT_EQ(state().currentPage, 4u);
}

TEST_F(FindYourWayTest, AWebLinkGoesToTheHandlerAndAFileLinkIsRefused) {
    open(kLinked);
    showAndSettle();
    const std::string report = hostReport(kLinked, 1, 1);
    const auto web = hostLinkBox(report, "https://example.org/orva");
    const auto file = hostLinkBox(report, "file:///etc/passwd");
    ASSERT_TRUE(web && file) << report;

    EXPECT_TRUE(handOver(clientPoint(*file)));
    EXPECT_EQ(state().statusNotice.view(), "file:///etc/passwd (not followed)");
    clickAt(clientPoint(*file));
    EXPECT_TRUE(gOpened.empty());
    EXPECT_EQ(state().statusNotice.view(), "Not followed: file:///etc/passwd");

    EXPECT_TRUE(handOver(clientPoint(*web)));
    EXPECT_EQ(state().statusNotice.view(), "https://example.org/orva");
    clickAt(clientPoint(*web));
    EXPECT_EQ(gOpened, std::vector<std::wstring>{L"https://example.org/orva"});
    EXPECT_EQ(state().currentPage, 0u);
}

TEST_F(FindYourWayTest, FullScreenFillsTheMonitorAndEscRestoresTheWindow) {
    open(kLinked);
    key(VK_F12);
    ASSERT_TRUE(settleJobs());
    ASSERT_EQ(treeItems().size(), 1u);  // the page has no outline
    EXPECT_EQ(treeItems()[0].second.title, "No outline");
    const RECT before = windowRect();
    const LONG_PTR style = GetWindowLongPtrW(window(), GWL_STYLE);
    const HMENU menu = GetMenu(window());

    key(VK_F11);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT full = windowRect();
    EXPECT_TRUE(EqualRect(&full, &monitor.rcMonitor));
    EXPECT_EQ(GetMenu(window()), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(window(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
    EXPECT_EQ(state().panelWidth, 0);
    EXPECT_FALSE(IsWindowVisible(tree()));

    key(VK_ESCAPE);
    const RECT restored = windowRect();
    EXPECT_TRUE(EqualRect(&restored, &before));
    EXPECT_EQ(GetWindowLongPtrW(window(), GWL_STYLE), style);
    EXPECT_EQ(GetMenu(window()), menu);
    EXPECT_EQ(state().panelWidth, 240);
    EXPECT_TRUE(IsWindowVisible(tree()));
}

}  // namespace
}  // namespace orva
