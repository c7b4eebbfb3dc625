#include "app/bookmarks.h"

#include "base/win32.h"

#include <commctrl.h>

#include <algorithm>

#include "app/app_state.h"
#include "app/document_jobs.h"
#include "app/navigation.h"
#include "base/utf.h"
#include "pdf/html_report.h"
#include "pdf/tool_jobs.h"
#include "view/view.h"

namespace orva {

namespace {

// An item that stands for no entry: the panel's message.
constexpr LPARAM kNoEntry = -1;

WNDPROC gTreeProcedure = nullptr;

// A jump to the page of the entry an item stands for; the selection stays
// on that entry (not on another of the same page).
void goToEntryOf(AppState& state, HTREEITEM chosen) {
    BookmarksState& bookmarks = state.bookmarks;
    if (chosen == nullptr) return;
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = chosen;
    if (!SendMessageW(bookmarks.tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) || item.lParam == kNoEntry) return;
    const auto index = static_cast<std::size_t>(item.lParam);
    if (index >= bookmarks.outline.entries.size() || bookmarks.outline.entries[index].page == 0) return;
    jumpToPage(state, bookmarks.outline.entries[index].page - 1);
    bookmarks.followedPage = state.currentPage;
}

// The keys of the window's own go to it from the tree too: F11, F12, Esc
// and Alt+Left / Alt+Right; Enter on an entry jumps to its page.
LRESULT CALLBACK treeProcedure(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    AppState& state = app();
    if (message == WM_KEYDOWN && (wParam == VK_F11 || wParam == VK_F12 || wParam == VK_ESCAPE)) {
        return SendMessageW(state.mainWindow, message, wParam, lParam);
    }
    if (message == WM_SYSKEYDOWN && (wParam == VK_LEFT || wParam == VK_RIGHT)) {
        return SendMessageW(state.mainWindow, message, wParam, lParam);
    }
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        goToEntryOf(state, reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)));
        return 0;
    }
    // Enter would beep as a key the tree does not take.
    if (message == WM_CHAR && wParam == '\r') return 0;
    return CallWindowProcW(gTreeProcedure, tree, message, wParam, lParam);
}

bool makeTree(AppState& state) {
    BookmarksState& bookmarks = state.bookmarks;
    if (bookmarks.tree != nullptr) return true;
    // Titles too long for the panel show whole in the tree's own tooltip.
    constexpr DWORD kStyle = WS_CHILD | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                             TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP;
    bookmarks.tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", kStyle, 0, 0, 0, 0, state.mainWindow, nullptr,
                                     state.instance, nullptr);
    if (bookmarks.tree == nullptr) return false;
    gTreeProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(bookmarks.tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(treeProcedure)));
    return true;
}

HTREEITEM insertItem(HWND tree, HTREEITEM parent, const wchar_t* text, LPARAM entry) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text);
    insert.item.lParam = entry;
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void clearTree(BookmarksState& bookmarks) {
    bookmarks.items = OwnedArray<void*>{};
    bookmarks.followedPage = UINT64_MAX;
    if (bookmarks.tree != nullptr) SendMessageW(bookmarks.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
}

void showMessage(BookmarksState& bookmarks, const wchar_t* text) {
    clearTree(bookmarks);
    if (bookmarks.tree != nullptr) insertItem(bookmarks.tree, TVI_ROOT, text, kNoEntry);
}

// The outline's entries, each under the last entry above it one level up.
void fillTree(AppState& state) {
    BookmarksState& bookmarks = state.bookmarks;
    clearTree(bookmarks);
    if (bookmarks.outline.empty()) {
        showMessage(bookmarks, kNoOutline);
        return;
    }
    auto items = OwnedArray<void*>::create(*state.allocator, bookmarks.outline.entries.size());
    if (!items) {
        showMessage(bookmarks, kOutlineFailed);
        return;
    }
    HTREEITEM parents[kMostOutlineDepth + 1] = {};
    for (std::size_t i = 0; i < bookmarks.outline.entries.size(); ++i) {
        const OutlineEntry& entry = bookmarks.outline.entries[i];
        const std::uint32_t depth = entry.depth <= kMostOutlineDepth ? entry.depth : kMostOutlineDepth;
        HTREEITEM parent = depth == 0 ? TVI_ROOT : parents[depth - 1];
        if (parent == nullptr) parent = TVI_ROOT;
        auto title = utf8ToUtf16(*state.allocator, entry.title.view(), true);
        const wchar_t* text = title ? reinterpret_cast<const wchar_t*>(title->data()) : L"";
        HTREEITEM item = insertItem(bookmarks.tree, parent, text, static_cast<LPARAM>(i));
        parents[depth] = item;
        (*items)[i] = item;
    }
    bookmarks.items = std::move(*items);
}

void fetchOutline(AppState& state) {
    BookmarksState& bookmarks = state.bookmarks;
    Document& document = state.document;
    bookmarks.serial = document.serial;
    bookmarks.outline = Outline{};
    if (!document.isPdf()) {
        bookmarks.fetch = OutlineFetch::Ready;
        fillTree(state);
        return;
    }
    auto job = makeOutlineJob(*state.allocator, document);
    if (!job) {
        bookmarks.fetch = OutlineFetch::Failed;
        showMessage(bookmarks, job.error() == ErrorCode::PdftoppmNotFound ? kOutlineToolMissing : kOutlineFailed);
        return;
    }
    job->kind = JobOutline;
    job->priority = PriorityPanel;
    if (!startDocumentJob(state, std::move(*job))) {
        bookmarks.fetch = OutlineFetch::Failed;
        showMessage(bookmarks, kOutlineFailed);
        return;
    }
    ++bookmarks.runs;
    bookmarks.fetch = OutlineFetch::Coming;
    showMessage(bookmarks, kOutlineLoading);
}

// The panel holds the open document's outline, or is on its way to.
void refresh(AppState& state) {
    BookmarksState& bookmarks = state.bookmarks;
    if (!state.documentLoaded) {
        if (bookmarks.serial != 0) {
            bookmarks.serial = 0;
            bookmarks.fetch = OutlineFetch::None;
            bookmarks.outline = Outline{};
            clearTree(bookmarks);
        }
        return;
    }
    if (bookmarks.serial != state.document.serial) fetchOutline(state);
}

void followShownPage(AppState& state) {
    BookmarksState& bookmarks = state.bookmarks;
    if (bookmarks.fetch != OutlineFetch::Ready || bookmarks.items.empty()) return;
    if (bookmarks.followedPage == state.currentPage) return;
    bookmarks.followedPage = state.currentPage;
    const auto entry = entryOfPage(bookmarks.outline, static_cast<std::uint32_t>(state.currentPage + 1));
    const LPARAM item = entry ? reinterpret_cast<LPARAM>(bookmarks.items[*entry]) : 0;
    SendMessageW(bookmarks.tree, TVM_SELECTITEM, TVGN_CARET, item);
}

int atDpi(const AppState& state, int size) { return state.dpi == 96 ? size : size * state.dpi / 96; }

// Whether client x lies on the grip of a panel shown.
bool onGrip(const AppState& state, int x) {
    if (state.panelWidth == 0) return false;
    RECT client{};
    GetClientRect(state.mainWindow, &client);
    const int left = client.right - state.panelWidth;
    return x >= left && x < left + atDpi(state, kBookmarksGrip);
}

void relayoutView(AppState& state) {
    clampSidebarScroll(state);
    updateScrollBars(state);
    invalidateMainWindow(state, true);
}

}  // namespace

void layoutBookmarks(AppState& state) {
    BookmarksState& bookmarks = state.bookmarks;
    const bool visible = bookmarks.shown && !state.fullScreen;
    state.panelWidth = visible ? atDpi(state, bookmarks.width) : 0;
    if (bookmarks.tree == nullptr) return;
    RECT client{};
    GetClientRect(state.mainWindow, &client);
    // The grip is the window's own, left of the tree.
    const int grip = atDpi(state, kBookmarksGrip);
    MoveWindow(bookmarks.tree, client.right - state.panelWidth + grip, client.top, state.panelWidth - grip,
               client.bottom - client.top, TRUE);
    ShowWindow(bookmarks.tree, visible ? SW_SHOWNA : SW_HIDE);
}

void toggleBookmarks(AppState& state) {
    BookmarksState& bookmarks = state.bookmarks;
    if (!bookmarks.shown && !makeTree(state)) return;
    bookmarks.shown = !bookmarks.shown;
    if (!bookmarks.shown && GetFocus() == bookmarks.tree) SetFocus(state.mainWindow);
    layoutBookmarks(state);
    if (bookmarks.shown) {
        refresh(state);
        followShownPage(state);
    }
    relayoutView(state);
}

void bookmarksAfterPaint(AppState& state) {
    if (!state.bookmarks.shown) return;
    refresh(state);
    followShownPage(state);
}

void outlineArrived(AppState& state, ToolJob& job) {
    BookmarksState& bookmarks = state.bookmarks;
    // One for a document the panel no longer waits for.
    if (bookmarks.fetch != OutlineFetch::Coming || bookmarks.serial != state.document.serial) return;
    if (!job.outcome || job.exitCode != 0) {
        bookmarks.fetch = OutlineFetch::Failed;
        showMessage(bookmarks, kOutlineFailed);
        return;
    }
    const std::string_view report(reinterpret_cast<const char*>(job.output.data()), job.output.size());
    auto outline = parseOutlineReport(*state.allocator, report);
    if (!outline) {
        bookmarks.fetch = OutlineFetch::Failed;
        showMessage(bookmarks, kOutlineFailed);
        return;
    }
    bookmarks.outline = std::move(*outline);
    bookmarks.fetch = OutlineFetch::Ready;
    fillTree(state);
    followShownPage(state);
}

bool panelPress(AppState& state, int x) {
    if (!onGrip(state, x)) return false;
    state.bookmarks.widening = true;
    SetCapture(state.mainWindow);
    return true;
}

bool panelDrag(AppState& state, int x) {
    BookmarksState& bookmarks = state.bookmarks;
    if (!bookmarks.widening) return false;
    RECT client{};
    GetClientRect(state.mainWindow, &client);
    // In 96-dpi units, from the pointer to the window's right edge.
    const int wanted = (client.right - x) * 96 / state.dpi;
    const int widest = std::max<int>(kBookmarksMinWidth, client.right * 96 / state.dpi / 2);
    const int width = std::clamp<int>(wanted, kBookmarksMinWidth, widest);
    if (width != bookmarks.width) {
        bookmarks.width = width;
        layoutBookmarks(state);
        relayoutView(state);
    }
    return true;
}

bool panelRelease(AppState& state) {
    if (!state.bookmarks.widening) return false;
    state.bookmarks.widening = false;
    ReleaseCapture();
    return true;
}

bool setPanelCursor(AppState& state) {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(state.mainWindow, &point);
    if (!state.bookmarks.widening && !onGrip(state, point.x)) return false;
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32644)));  // IDC_SIZEWE
    return true;
}

bool bookmarksNotified(AppState& state, const void* header) {
    const auto* notice = static_cast<const NMHDR*>(header);
    BookmarksState& bookmarks = state.bookmarks;
    if (bookmarks.tree == nullptr || notice->hwndFrom != bookmarks.tree) return false;
    HTREEITEM chosen = nullptr;
    if (notice->code == TVN_SELCHANGEDW || notice->code == TVN_SELCHANGEDA) {
        // The A and W records differ only in their texts' type.
        const auto* change = static_cast<const NMTREEVIEWW*>(header);
        if (change->action == TVC_BYMOUSE) chosen = change->itemNew.hItem;
    } else if (notice->code == NM_CLICK) {
        // A click on the entry already selected changes nothing: it is
        // told by where the click was.
        TVHITTESTINFO hit{};
        const DWORD at = GetMessagePos();
        hit.pt = POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
        ScreenToClient(bookmarks.tree, &hit.pt);
        SendMessageW(bookmarks.tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        const auto selected =
            reinterpret_cast<HTREEITEM>(SendMessageW(bookmarks.tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        if ((hit.flags & TVHT_ONITEM) != 0 && hit.hItem == selected) chosen = selected;
    } else {
        return false;
    }
    goToEntryOf(state, chosen);
    return true;
}

}  // namespace orva
