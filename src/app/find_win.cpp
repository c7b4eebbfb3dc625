#include "app/find.h"

#include "app/app_state.h"
#include "app/page_change.h"
#include "app/page_text.h"
#include "base/fixed_text.h"
#include "base/scoped_win.h"
#include "base/utf.h"
#include "app/busy_window.h"
#include "platform/tool_wait.h"
#include "platform/window_kit.h"
#include "view/page_placement.h"
#include "view/view.h"
#include "view/view_geometry.h"

namespace orva {

namespace {

constexpr char kFindBarClass[] = "OrvaReaderFindBar";
// One text run asks for this many pages; a search needs most of the pages
// anyway, and a tool start costs about as much as thirty pages of text.
constexpr std::uint32_t kSearchRun = 24;

enum FindBarControl : int {
    ControlEdit = 1,
    ControlPrevious = 2,
    ControlNext = 3,
    ControlMatchCase = 4,
    ControlStatus = 5,
    ControlClose = 6,
};

WNDPROC gEditProcedure = nullptr;

// The bar's font: the dialog font, which the system makes at its own DPI,
// scaled to the window's.
HFONT barFont(int dpi) {
    static GdiObject<HFONT> font;
    static int fontDpi = 0;
    const HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const int system = systemDpi();
    if (dpi == system) return stock;
    if (!font || fontDpi != dpi) {
        LOGFONTW look{};
        GetObjectW(stock, sizeof look, &look);
        look.lfHeight = static_cast<LONG>(std::int64_t{look.lfHeight} * dpi / system);
        look.lfWidth = 0;
        font = GdiObject<HFONT>(CreateFontIndirectW(&look));
        fontDpi = dpi;
    }
    return font ? font.get() : stock;
}

void say(const FindState& find, std::string_view text) {
    if (find.status == nullptr) return;
    FixedText<256> line;
    line.append(text.substr(0, 255));
    SetWindowTextA(find.status, line.c_str());
}

// The text field's contents as UTF-8.
OwnedString fieldText(Allocator& allocator, HWND edit) {
    const int length = GetWindowTextLengthW(edit);
    if (length <= 0) return {};
    auto wide = OwnedArray<char16_t>::createUninitialized(allocator, static_cast<std::size_t>(length) + 1);
    if (!wide) return {};
    const int got = GetWindowTextW(edit, reinterpret_cast<wchar_t*>(wide->data()), length + 1);
    auto utf8 = utf16ToUtf8(allocator, std::u16string_view(wide->data(), static_cast<std::size_t>(got)));
    return utf8 ? std::move(*utf8) : OwnedString{};
}

bool caseWanted(const FindState& find) {
    return find.matchCase != nullptr && SendMessageA(find.matchCase, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Takes the query from the bar; a new query (or case rule) forgets the hit
// of the old one. False when there is nothing to look for.
bool takeQuery(AppState& state) {
    FindState& find = state.find;
    OwnedString typed = fieldText(*state.allocator, find.edit);
    const bool matchCase = caseWanted(find);
    if (typed.view() != find.query.view() || matchCase != find.caseMatched || find.prepared.empty()) {
        auto prepared = prepareQuery(*state.allocator, typed.view(), matchCase);
        find.prepared = prepared ? std::move(*prepared) : PreparedQuery{};
        find.query = std::move(typed);
        find.caseMatched = matchCase;
        find.hitPage = kNoPage;
    }
    return !find.prepared.empty();
}

bool startsBefore(const TextHit& a, const TextHit& b) {
    return a.firstWord != b.firstWord ? a.firstWord < b.firstWord : a.firstOffset < b.firstOffset;
}

// The hit to go to among a page's, in the search's direction, after (or
// before) the last one when the search starts from it.
const TextHit* pickHit(const FindState& find, const OwnedArray<TextHit>& hits) {
    if (hits.empty()) return nullptr;
    if (!find.fromHit) return find.forward ? &hits[0] : &hits[hits.size() - 1];
    if (find.forward) {
        for (const TextHit& hit : hits) {
            if (startsBefore(find.hit, hit)) return &hit;
        }
        return nullptr;
    }
    for (std::size_t i = hits.size(); i-- > 0;) {
        if (startsBefore(hits[i], find.hit)) return &hits[i];
    }
    return nullptr;
}

// Scrolls the view so that the hit's first box lies well inside the page
// view.
void revealHit(AppState& state, const TextHit& hit) {
    const PageImage& page = state.document.pages[state.currentPage];
    const PageText& text = state.document.text.pages[state.currentPage];
    if (!page.present) return;
    TextBox boxes[1];
    if (hitBoxes(text, hit, boxes) == 0) return;
    const ClientArea client = viewClientArea(state);
    const PagePlacement placement = placePage(client, page.width, page.height, displayZoom(state), 0, 0, state.quarterTurns);
    const ClientRect box = toClient(placement, boxes[0]);
    const std::int32_t viewTop = client.top + bandHeight(client);
    const std::int32_t viewBottom = client.bottom - bandHeight(client);
    const std::int32_t viewLeft = client.left + sidebarWidth(client);
    // Where the box lies with the view scrolled to 0, 0: inside the view
    // scrolled as it is, it stays; otherwise it comes to a third of the way
    // down (and to the middle across).
    if (box.top - state.scrollY < viewTop || box.bottom - state.scrollY > viewBottom) {
        state.scrollY = box.top - viewTop - (viewBottom - viewTop) / 3;
    }
    if (box.left - state.scrollX < viewLeft || box.right - state.scrollX > client.right) {
        state.scrollX = box.left - viewLeft - (client.right - viewLeft) / 2;
    }
    if (state.scrollX < 0) state.scrollX = 0;
    if (state.scrollY < 0) state.scrollY = 0;
    updateScrollBars(state);
    invalidateMainWindow(state, true);
}

void found(AppState& state, std::uint64_t page, const TextHit& hit) {
    FindState& find = state.find;
    find.searching = false;
    find.hitPage = page;
    find.hit = hit;
    if (page != state.currentPage) goToPage(state, page);
    // The page change may fail (the rasteriser); the hit is then not shown.
    if (state.currentPage != page) {
        say(find, "The page with the next match could not be shown");
        return;
    }
    refreshFindMarks(state);
    revealHit(state, hit);
    if (find.wrapped) {
        say(find, find.forward ? "Reached the end of the document, continued from the start"
                               : "Reached the start of the document, continued from the end");
    } else {
        FixedText<96> where;
        const TextMarks& marks = state.marks;
        where.append("Match ").appendDecimal(marks.currentHit + 1).append(" of ").appendDecimal(marks.hits.size());
        where.append(" on this page");
        say(find, where.view());
    }
}

void noMatch(AppState& state) {
    FindState& find = state.find;
    find.searching = false;
    const DocumentText& text = state.document.text;
    if (!state.document.isPdf() || (!find.anyText && text.failure == TextFailure::None)) {
        say(find, "This document has no text");
    } else if (text.failure == TextFailure::ToolMissing) {
        say(find, "pdftotext.exe was not found: the text cannot be searched");
    } else if (text.failure == TextFailure::ToolFailed && !find.anyText) {
        say(find, "pdftotext.exe could not read the text of this document");
    } else {
        say(find, "No matches");
    }
}

// Looks at page after page until a hit turns up, every page has been looked
// at, or a page's text is still to come (the search then waits for it).
void continueSearch(AppState& state) {
    FindState& find = state.find;
    Document& document = state.document;
    const std::uint64_t count = document.pageCount();
    while (find.pagesLeft > 0) {
        const TextNeed need = needPageText(state, find.page, find.forward, kSearchRun);
        if (need == TextNeed::Coming) {
            find.searching = true;
            FixedText<96> progress;
            progress.append("Searching page ").appendDecimal(find.page + 1).append(" of ").appendDecimal(count);
            say(find, progress.view());
            return;
        }
        if (need == TextNeed::Ready) {
            const PageText& text = document.text.pages[find.page];
            if (!text.empty()) find.anyText = true;
            auto hits = findOnPage(*state.allocator, text, find.prepared);
            if (hits) {
                if (const TextHit* hit = pickHit(find, *hits)) return found(state, find.page, *hit);
            }
        }
        find.fromHit = false;
        --find.pagesLeft;
        if (find.forward) {
            find.page = find.page + 1 < count ? find.page + 1 : 0;
            if (find.page == 0) find.wrapped = true;
        } else {
            if (find.page == 0) find.wrapped = true;
            find.page = find.page > 0 ? find.page - 1 : count - 1;
        }
    }
    noMatch(state);
}

LRESULT CALLBACK editProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    AppState& state = app();
    // While a tool runs, the field's keys wait as the window's do.
    if (LRESULT held = 0; message == WM_KEYDOWN && holdWhileBusy(edit, message, wParam, lParam, held)) return held;
    if (message == WM_KEYDOWN) {
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        switch (wParam) {
            case VK_RETURN: findNext(state, !shift); return 0;
            case VK_F3: findNext(state, !shift); return 0;
            case VK_ESCAPE:
                if (!stopSearch(state)) hideFindBar(state);
                return 0;
            default: break;
        }
    }
    // Enter and Esc as characters would only make the field beep.
    if (message == WM_CHAR && (wParam == '\r' || wParam == 0x1B)) return 0;
    return CallWindowProcW(gEditProcedure, edit, message, wParam, lParam);
}

LRESULT CALLBACK findBarProcedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    AppState& state = app();
    if (LRESULT held = 0; holdWhileBusy(bar, message, wParam, lParam, held)) return held;
    if (message == WM_COMMAND) {
        const int control = LOWORD(wParam);
        const int notification = HIWORD(wParam);
        if (control == ControlEdit && notification == EN_CHANGE) {
            // A new query: the old one's hits go.
            state.find.prepared = PreparedQuery{};
            state.find.hitPage = kNoPage;
            refreshFindMarks(state);
        } else if (notification == BN_CLICKED) {
            switch (control) {
                case ControlPrevious: findNext(state, false); break;
                case ControlNext: findNext(state, true); break;
                case ControlMatchCase:
                    state.find.prepared = PreparedQuery{};
                    state.find.hitPage = kNoPage;
                    refreshFindMarks(state);
                    break;
                case ControlClose: hideFindBar(state); break;
                default: break;
            }
        }
        return 0;
    }
    return DefWindowProcA(bar, message, wParam, lParam);
}

HWND addControl(HWND bar, const wchar_t* kind, const wchar_t* text, DWORD style, int id, DWORD exStyle = 0) {
    HWND control = CreateWindowExW(exStyle, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, bar,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return control;
}

bool makeFindBar(AppState& state) {
    FindState& find = state.find;
    if (find.bar != nullptr) return true;
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXA type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = findBarProcedure;
        type.hInstance = state.instance;
        type.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        type.lpszClassName = kFindBarClass;
        registered = RegisterClassExA(&type) != 0;
    }
    find.bar = CreateWindowExA(0, kFindBarClass, "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, state.mainWindow,
                               nullptr, state.instance, nullptr);
    if (find.bar == nullptr) return false;
    addControl(find.bar, L"STATIC", L"Find:", SS_CENTERIMAGE, 0);
    find.edit = addControl(find.bar, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, ControlEdit, WS_EX_CLIENTEDGE);
    addControl(find.bar, L"BUTTON", L"Previous", WS_TABSTOP | BS_PUSHBUTTON, ControlPrevious);
    addControl(find.bar, L"BUTTON", L"Next", WS_TABSTOP | BS_PUSHBUTTON, ControlNext);
    find.matchCase = addControl(find.bar, L"BUTTON", L"Match case", WS_TABSTOP | BS_AUTOCHECKBOX, ControlMatchCase);
    find.status = addControl(find.bar, L"STATIC", L"", SS_CENTERIMAGE | SS_ENDELLIPSIS, ControlStatus);
    addControl(find.bar, L"BUTTON", L"\u00D7", BS_PUSHBUTTON, ControlClose);
    gEditProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(find.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProcedure)));
    layoutFindBar(state);
    return true;
}

}  // namespace

void layoutFindBar(AppState& state) {
    FindState& find = state.find;
    if (find.bar == nullptr) return;
    const ClientArea client = viewClientArea(state);
    // No band to stand in, in full screen.
    ShowWindow(find.bar, find.shown && !client.layout.fullScreen ? SW_SHOWNA : SW_HIDE);
    const int width = client.right - client.left;
    const int band = bandHeight(client);
    const auto px = [&](int size) { return scaled(client, size); };
    MoveWindow(find.bar, client.left, client.top, width, band, TRUE);
    const HFONT font = barFont(client.layout.dpi);
    for (HWND child = GetWindow(find.bar, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // Left to right: the label, the field, Previous, Next, Match case, the
    // bar's message; the close button at the right end.
    struct Place {
        int id, left, width;
    };
    const Place places[] = {{0, 6, 30}, {ControlEdit, 38, 220}, {ControlPrevious, 264, 68}, {ControlNext, 336, 68},
                            {ControlMatchCase, 412, 90}};
    HWND child = GetWindow(find.bar, GW_CHILD);
    for (const Place& place : places) {
        if (child == nullptr) break;
        MoveWindow(child, px(place.left), px(2), px(place.width), band - px(4), TRUE);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    const int messageWidth = width - px(508) - px(30);
    if (child != nullptr) MoveWindow(child, px(508), px(2), messageWidth > 0 ? messageWidth : 0, band - px(4), TRUE);
    if (child != nullptr) child = GetWindow(child, GW_HWNDNEXT);
    if (child != nullptr) MoveWindow(child, width - px(26), px(2), px(22), band - px(4), TRUE);
}

void showFindBar(AppState& state) {
    if (!makeFindBar(state)) return;
    FindState& find = state.find;
    if (!find.shown) {
        find.shown = true;
        layoutFindBar(state);
        invalidateMainWindow(state, false);
    }
    SetFocus(find.edit);
    SendMessageW(find.edit, EM_SETSEL, 0, -1);
}

void hideFindBar(AppState& state) {
    FindState& find = state.find;
    if (find.bar == nullptr || !find.shown) return;
    (void)stopSearch(state);
    find.shown = false;
    find.hitPage = kNoPage;
    ShowWindow(find.bar, SW_HIDE);
    SetFocus(state.mainWindow);
    refreshFindMarks(state);
    invalidateMainWindow(state, false);
}

void findNext(AppState& state, bool forward) {
    FindState& find = state.find;
    if (!find.shown) showFindBar(state);
    if (!state.documentLoaded || !takeQuery(state)) return;
    if (find.searching) stopSearch(state);
    find.forward = forward;
    find.wrapped = false;
    find.anyText = false;
    find.page = state.currentPage;
    // From the hit shown, on its page; else from the top (or the bottom,
    // going back) of the page shown.
    find.fromHit = find.hitPage == state.currentPage;
    find.pagesLeft = state.document.pageCount() + (find.fromHit ? 1 : 0);
    continueSearch(state);
}

bool stopSearch(AppState& state) {
    FindState& find = state.find;
    if (!find.searching) return false;
    find.searching = false;
    stopTextFetch(state);
    say(find, "Search stopped");
    return true;
}

void findTextArrived(AppState& state) {
    if (state.find.searching) continueSearch(state);
    refreshFindMarks(state);
}

void refreshFindMarks(AppState& state, bool fetch) {
    FindState& find = state.find;
    TextMarks& marks = state.marks;
    const bool hadHits = !marks.hits.empty();
    marks.hits = OwnedArray<TextHit>{};
    marks.currentHit = kNoHit;
    if (state.documentLoaded && find.shown && !find.prepared.empty()) {
        marks.page = state.currentPage;
        const bool ready = fetch ? needPageText(state, state.currentPage, true, kSearchRun) == TextNeed::Ready
                                 : state.document.text.state(state.currentPage) == TextState::Fetched;
        if (ready) {
            auto hits = findOnPage(*state.allocator, state.document.text.pages[state.currentPage], find.prepared);
            if (hits) marks.hits = std::move(*hits);
            for (std::uint32_t i = 0; find.hitPage == state.currentPage && i < marks.hits.size(); ++i) {
                const TextHit& hit = marks.hits[i];
                if (hit.firstWord == find.hit.firstWord && hit.firstOffset == find.hit.firstOffset) marks.currentHit = i;
            }
        }
    }
    if (hadHits || !marks.hits.empty()) invalidateMainWindow(state, false);
}

}  // namespace orva
