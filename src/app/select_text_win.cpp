#include "app/select_text.h"

#include <cstdlib>
#include <cstring>

#include "app/app_state.h"
#include "app/page_text.h"
#include "base/win32.h"
#include "base/utf.h"
#include "view/page_placement.h"
#include "view/view.h"

namespace orva {

namespace {

// Selecting needs only the shown page's text: one page, fetched at once.
constexpr std::uint32_t kSelectRun = 1;
// A press that moves less than this is a click, not a drag.
constexpr int kDragSlop = 3;

const PageText* shownText(const AppState& state) {
    if (!state.documentLoaded || state.document.text.state(state.currentPage) != TextState::Fetched) return nullptr;
    return &state.document.text.pages[state.currentPage];
}

void showSelection(AppState& state, WordRange words) {
    TextMarks& marks = state.marks;
    marks.page = state.currentPage;
    marks.hasSelection = true;
    marks.selection = words;
    invalidateMainWindow(state, false);
}

// The drag's words, once the page's text is there.
void applyDrag(AppState& state) {
    const SelectState& select = state.select;
    const PageText* text = shownText(state);
    if (text == nullptr || !select.dragged || select.page != state.currentPage) return;
    const auto pressed = wordNearest(*text, select.press.x, select.press.y);
    const auto reached = wordNearest(*text, select.latest.x, select.latest.y);
    if (pressed && reached) showSelection(state, wordsBetween(*pressed, *reached));
}

void applyWord(AppState& state) {
    SelectState& select = state.select;
    const PageText* text = shownText(state);
    if (text == nullptr || !select.wantsWord) return;
    select.wantsWord = false;
    if (const auto word = wordAt(*text, select.press.x, select.press.y)) showSelection(state, {*word, *word});
}

void applyAll(AppState& state) {
    SelectState& select = state.select;
    const PageText* text = shownText(state);
    if (text == nullptr || !select.wantsAll) return;
    select.wantsAll = false;
    if (!text->empty()) showSelection(state, {0, static_cast<std::uint32_t>(text->words.size() - 1)});
}

bool isDoubleClick(const SelectState& select, int x, int y, DWORD time) {
    return time - select.lastClickTime <= GetDoubleClickTime() &&
           std::abs(x - select.lastClickAt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
           std::abs(y - select.lastClickAt.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
}

// UTF-8 text as the clipboard's Unicode text.
bool putOnClipboard(HWND owner, Allocator& allocator, std::string_view text) {
    auto wide = utf8ToUtf16(allocator, text, true);
    if (!wide) return false;
    // The array holds the terminating zero too.
    const std::size_t bytes = wide->size() * sizeof(char16_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block == nullptr) return false;
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(target, wide->data(), bytes);
    GlobalUnlock(block);
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    // The clipboard owns the block once it takes it.
    const bool taken = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    if (!taken) GlobalFree(block);
    return taken;
}

}  // namespace

std::optional<PagePlacement> shownPagePlacement(const AppState& state) {
    if (!state.documentLoaded || state.currentPage >= state.document.pageCount()) return std::nullopt;
    const PageImage& page = state.document.pages[state.currentPage];
    if (!page.present) return std::nullopt;
    return placePage(viewClientArea(state), page.width, page.height, displayZoom(state), state.scrollX, state.scrollY,
                     state.quarterTurns);
}

bool selectPress(AppState& state, int x, int y, std::uint32_t time) {
    const auto placement = shownPagePlacement(state);
    if (!placement || !onPage(*placement, x, y) || x < sidebarWidth(viewClientArea(state))) return false;
    SelectState& select = state.select;
    const bool twice = isDoubleClick(select, x, y, time);
    select.lastClickTime = twice ? 0 : time;
    select.lastClickAt = ClientPoint{x, y};
    select.pressed = true;
    select.dragged = false;
    select.page = state.currentPage;
    select.pressAt = ClientPoint{x, y};
    select.press = toImage(*placement, x, y);
    select.latest = select.press;
    SetCapture(state.mainWindow);
    if (state.document.isPdf()) (void)needPageText(state, state.currentPage, true, kSelectRun);
    if (twice) {
        select.wantsWord = true;
        applyWord(state);
    }
    return true;
}

void selectMove(AppState& state, int x, int y) {
    SelectState& select = state.select;
    if (!select.pressed || select.page != state.currentPage) return;
    const auto placement = shownPagePlacement(state);
    if (!placement) return;
    if (!select.dragged && std::abs(x - select.pressAt.x) < kDragSlop && std::abs(y - select.pressAt.y) < kDragSlop)
        return;
    select.dragged = true;
    select.wantsWord = false;
    select.latest = toImage(*placement, x, y);
    applyDrag(state);
}

void selectRelease(AppState& state, int x, int y) {
    SelectState& select = state.select;
    if (!select.pressed) return;
    selectMove(state, x, y);
    select.pressed = false;
    if (GetCapture() == state.mainWindow) ReleaseCapture();
    // A click that selects no word clears the selection.
    if (!select.dragged && !select.wantsWord && select.lastClickTime != 0) clearSelection(state);
}

void selectAllText(AppState& state) {
    if (!state.documentLoaded) return;
    state.select.wantsAll = true;
    state.select.page = state.currentPage;
    if (needPageText(state, state.currentPage, true, kSelectRun) == TextNeed::Ready) applyAll(state);
}

void clearSelection(AppState& state) {
    SelectState& select = state.select;
    select.wantsAll = false;
    select.wantsWord = false;
    select.dragged = false;
    if (!state.marks.hasSelection) return;
    state.marks.hasSelection = false;
    invalidateMainWindow(state, false);
}

void copySelection(AppState& state, CopyLayout layout) {
    const PageText* text = shownText(state);
    if (text == nullptr || !state.marks.hasSelection || state.marks.page != state.currentPage) return;
    if (!state.document.copyAllowed) {
        setStatusNotice(state, "This document does not allow copying its text");
        return;
    }
    auto copied = selectedText(*state.allocator, *text, state.marks.selection, layout);
    if (!copied || !putOnClipboard(state.mainWindow, *state.allocator, copied->view())) {
        setStatusNotice(state, "The text could not be copied");
        return;
    }
    setStatusNotice(state, "");
}

bool setTextCursor(AppState& state) {
    const PageText* text = shownText(state);
    const auto placement = shownPagePlacement(state);
    if (text == nullptr || !placement) return false;
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(state.mainWindow, &point);
    if (point.x < sidebarWidth(viewClientArea(state)) || !onPage(*placement, point.x, point.y)) return false;
    const ImagePoint at = toImage(*placement, point.x, point.y);
    if (!wordAt(*text, at.x, at.y) && !state.select.pressed) return false;
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32513)));  // IDC_IBEAM
    return true;
}

void selectTextArrived(AppState& state) {
    if (state.select.page != state.currentPage) return;
    applyWord(state);
    applyAll(state);
    applyDrag(state);
}

}  // namespace orva
