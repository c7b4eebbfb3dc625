#pragma once
// Selecting the shown page's text with the pointer and copying it: a drag
// selects the words from the press to the release in reading order, a
// double-click a word, Ctrl+A the page; Ctrl+C copies the selection as
// shown, Ctrl+Shift+C reflowed into paragraphs.
#include <cstdint>
#include <optional>

#include "document/text_selection.h"
#include "view/page_placement.h"
#include "view/viewer.h"

namespace orva {

struct AppState;

struct ClientPoint {
    int x = 0;
    int y = 0;
};

struct SelectState {
    // The left button went down on the page and is still held.
    bool pressed = false;
    bool dragged = false;
    std::uint64_t page = UINT64_MAX;
    // Client points: where the press was, and the click before it.
    ClientPoint pressAt{};
    ImagePoint press;
    ImagePoint latest;
    // What the reader asked for before the page's text arrived.
    bool wantsWord = false;
    bool wantsAll = false;
    // The last click, for telling a double-click.
    std::uint32_t lastClickTime = 0;
    ClientPoint lastClickAt{};
};

// Where the shown page lies in the window, turned and zoomed as it is
// drawn; nothing while it is not there.
std::optional<PagePlacement> shownPagePlacement(const AppState& state);

// A press of the left button at a client point; false when it is not on the
// page (the strip and the rest keep their own handling).
bool selectPress(AppState& state, int x, int y, std::uint32_t time);
void selectMove(AppState& state, int x, int y);
void selectRelease(AppState& state, int x, int y);
void selectAllText(AppState& state);
void clearSelection(AppState& state);
void copySelection(AppState& state, CopyLayout layout);
// The pointer over the page's words is an I-beam; true when it was set.
bool setTextCursor(AppState& state);
// The shown page's text arrived: what was asked for before it is done now.
void selectTextArrived(AppState& state);

}  // namespace orva
