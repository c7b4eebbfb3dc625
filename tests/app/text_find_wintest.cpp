// Finding, selecting and copying text with the Windows tools the release
// ships, checked against the host's own pdftotext (through the bridge): the
// page a word is found on and its hits there, the marks over the word's ink,
// a word hyphenated at a line end, and what a drag puts on the clipboard.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "app/find.h"
#include "app/main_window.h"
#include "app/open_document.h"
#include "app/page_change.h"
#include "support/child_process_win.h"
#include "support/fake_poppler_win.h"
#include "support/main_window_fixture_win.h"
#include "view/page_placement.h"
#include "view/view_geometry.h"

namespace orva {
namespace {

using testing::widen;
using testing::windowsPath;

constexpr const char* kManual = "Z:\\usr\\share\\doc\\libtasn1-doc\\libtasn1.pdf";
const std::string kHyphenated = windowsPath(ORVA_BINARY_DIR "/tests/hyphenated.pdf");

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A word of the host's report: its text and box in points.
struct HostWord {
    std::string text;
    double left, top, right, bottom;
    int line, block;
};

// The host pdftotext's words, page by page, in its reading order.
std::vector<std::vector<HostWord>> hostWords(const std::string& pdf, const std::string& out) {
    const auto run = testing::runProgram(windowsPath(ORVA_BINARY_DIR "/poppler") + "\\pdftotext.exe",
                                         "-bbox-layout -enc UTF-8 \"" + pdf + "\" \"" + out + "\"");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    const std::string report = testing::readTextFile(out);
    std::vector<std::vector<HostWord>> pages;
    const std::regex tag(R"re(<(page|block|line)[ >]|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    int line = -1, block = -1;
    for (auto it = std::sregex_iterator(report.begin(), report.end(), tag); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        if (m[1] == "page") pages.emplace_back();
        else if (m[1] == "block") ++block;
        else if (m[1] == "line") ++line;
        else {
            std::string text = std::regex_replace(m[6].str(), std::regex("&amp;"), "&");
            pages.back().push_back({text, std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), std::stod(m[5]), line, block});
        }
    }
    return pages;
}

std::size_t hostCount(const std::vector<HostWord>& words, const std::string& query) {
    std::size_t count = 0;
    for (const HostWord& word : words) {
        const std::string text = lower(word.text);
        for (std::size_t at = text.find(query); at != std::string::npos; at = text.find(query, at + query.size())) ++count;
    }
    return count;
}

std::wstring clipboardText(HWND owner) {
    std::wstring text;
    if (!OpenClipboard(owner)) return L"(no clipboard)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

class TextFindTest : public testing::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        path_ = std::make_unique<testing::ScopedVariable>(L"PATH", widen(windowsPath(ORVA_BUNDLED_POPPLER) + "\\poppler"));
        setClientSize(1000, 700);
    }
    void TearDown() override {
        closeDocument(state());
        MainWindowTest::TearDown();
    }
    void open(const std::string& pdf) {
        openDocument(state(), pdf);
        ASSERT_TRUE(state().documentLoaded) << (ui.messages.empty() ? "" : ui.messages.front().text);
    }
    // Types the query in the find bar (a new query starts afresh) and
    // presses `key` in its field; returns once the search has ended.
    void find(const std::wstring& query, WPARAM key = VK_RETURN) {
        showFindBar(state());
        if (testing::windowTextW(state().find.edit) != query) SetWindowTextW(state().find.edit, query.c_str());
        SendMessageW(state().find.edit, WM_KEYDOWN, key, 0);
        ASSERT_TRUE(pumpUntil([&] { return !state().find.searching; }, 60000));
    }
    PagePlacement placement() const {
        const PageImage& page = state().document.pages[state().currentPage];
        const RECT c = clientRect();
        return placePage({c.left, c.top, c.right, c.bottom}, page.width, page.height, state().zoom, state().scrollX,
                         state().scrollY, state().quarterTurns);
    }
    // The client point at the middle of a host word's box.
    POINT middle(const HostWord& word) const {
        const float k = 150.0f / 72.0f;
        const ClientRect r = toClient(placement(), TextBox{float(word.left * k), float(word.top * k), float(word.right * k),
                                                           float(word.bottom * k)});
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    testing::FakePoppler fake;  // a temporary folder of the test's own
    std::unique_ptr<testing::ScopedVariable> path_;
};

TEST_F(TextFindTest, FindsAWordWhereTheHostsToolPutsItAndMarksItsInk) {
    open(kManual);
    const auto host = hostWords(kManual, fake.path("manual.html"));
    ASSERT_EQ(host.size(), 36u);
    const std::string query = "asn1_der_decoding";
    const auto nextWithHits = [&](std::uint64_t page) {
        while (page < host.size() && hostCount(host[page], query) == 0) ++page;
        return page;
    };
    // The document's first hit, then F3 past every hit of its page.
    find(L"ASN1_der_decoding");
    std::uint64_t expected = nextWithHits(0);
    for (int round = 0; round < 2; ++round) {
        ASSERT_LT(expected, host.size());
        ASSERT_EQ(state().currentPage, expected) << "round " << round;
        ASSERT_EQ(state().marks.hits.size(), hostCount(host[expected], query)) << "page " << expected + 1;
        EXPECT_EQ(state().marks.currentHit, 0u);
        if (round == 1) break;
        const std::size_t onPage = state().marks.hits.size();
        for (std::size_t i = 0; i < onPage; ++i) find(L"ASN1_der_decoding", VK_F3);
        expected = nextWithHits(expected + 1);
    }

    // Each mark lies over the word's ink: dark pixels of the page inside
    // it, and the page's white there drawn in the mark's colour.
    const PageImage& page = state().document.pages[state().currentPage];
    testing::PaintedBitmap bitmap(clientRect().right, clientRect().bottom);
    paint(bitmap);
    const PageText& text = state().document.text.pages[state().currentPage];
    int seen = 0;
    for (const TextHit& hit : state().marks.hits) {
        TextBox boxes[8];
        const std::size_t count = hitBoxes(text, hit, boxes);
        ASSERT_GT(count, 0u);
        int dark = 0, marked = 0, area = 0;
        for (int y = int(boxes[0].top); y < int(boxes[0].bottom); ++y) {
            for (int x = int(boxes[0].left); x < int(boxes[0].right); ++x, ++area) {
                const std::uint8_t* p = page.pixels.data() + (std::size_t(y) * page.width + x) * 3;
                dark += p[0] + p[1] + p[2] < 3 * 96;
            }
        }
        const ClientRect r = toClient(placement(), boxes[0]);
        // Only the marks in view are drawn (the current one is).
        if (r.left < SidebarWidth || r.top < BandHeight || r.right > bitmap.width() || r.bottom > bitmap.height() - BandHeight)
            continue;
        ++seen;
        for (int y = r.top + 1; y < r.bottom - 1; ++y) {
            for (int x = r.left + 1; x < r.right - 1; ++x) {
                const std::uint32_t c = bitmap.at(x, y);
                marked += (c >> 16) > 200 && ((c >> 8) & 0xFF) > 100 && (c & 0xFF) < 120;
            }
        }
        EXPECT_GT(dark, area / 20) << "no ink under a mark";
        EXPECT_GT(marked, (r.right - r.left - 2) * (r.bottom - r.top - 2) / 4) << "mark not drawn";
    }
    EXPECT_GE(seen, 1);
}

TEST_F(TextFindTest, FindsAWordHyphenatedAtALineEnd) {
    open(kHyphenated);
    const auto host = hostWords(kHyphenated, fake.path("hyphenated.html"));
    ASSERT_FALSE(host.empty());
    // The document splits "extraordinarily" as "extraordi-" / "narily".
    bool split = false;
    for (std::size_t i = 0; i + 1 < host[0].size(); ++i)
        split |= host[0][i].text == "extraordi-" && host[0][i + 1].line == host[0][i].line + 1;
    ASSERT_TRUE(split) << "groff no longer hyphenates the word";
    find(L"extraordinarily");
    ASSERT_EQ(state().find.hitPage, 0u);
    const TextHit& hit = state().find.hit;
    EXPECT_EQ(state().document.text.pages[0].wordText(hit.firstWord), "extraordi-");
    EXPECT_EQ(hit.lastWord, hit.firstWord + 1);
}

TEST_F(TextFindTest, ADragAcrossTwoLinesCopiesThemAsShownAndReflowed) {
    open(kManual);
    goToPage(state(), 3);  // the introduction
    ASSERT_EQ(state().currentPage, 3u);
    const auto host = hostWords(kManual, fake.path("manual.html"))[3];
    // The first block of two or more lines whose first line ends in no hyphen.
    std::size_t first = 0;
    for (; first < host.size(); ++first) {
        const HostWord& w = host[first];
        std::size_t end = first;
        while (end < host.size() && host[end].line == w.line) ++end;
        if (end < host.size() && host[end].block == w.block && host[end - 1].text.back() != '-' && end - first > 3) break;
    }
    ASSERT_LT(first, host.size());
    std::size_t second = first;
    while (host[second].line == host[first].line) ++second;
    std::size_t last = second;
    while (last + 1 < host.size() && host[last + 1].line == host[second].line) ++last;
    std::string asShown, reflowed;
    for (std::size_t i = first; i <= last; ++i) {
        if (i > first) asShown += i == second ? "\r\n" : " ";
        if (i > first) reflowed += " ";
        asShown += host[i].text;
        reflowed += host[i].text;
    }

    const POINT from = middle(host[first]);
    const POINT to = middle(host[last]);
    send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    ASSERT_TRUE(pumpUntil([&] { return state().document.text.state(3) == TextState::Fetched; }));
    send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    send(WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    ASSERT_TRUE(state().marks.hasSelection);
    {
        const testing::HeldKeys control({VK_CONTROL});
        send(WM_KEYDOWN, 'C');
        EXPECT_EQ(testing::narrow(clipboardText(window())), asShown);
        const testing::HeldKeys shift({VK_CONTROL, VK_SHIFT});
        send(WM_KEYDOWN, 'C');
        EXPECT_EQ(testing::narrow(clipboardText(window())), reflowed);
    }
    // A click elsewhere on the page clears it.
    send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y - 200));
    send(WM_LBUTTONUP, 0, MAKELPARAM(from.x, from.y - 200));
    EXPECT_FALSE(state().marks.hasSelection);
}

}  // namespace
}  // namespace orva
