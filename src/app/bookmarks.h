#pragma once
// The bookmarks panel: the document's outline in a tree along the window's
// right edge, in the width the view leaves to it (Viewer::panelWidth). The
// outline is fetched by a background job the first time the panel is shown
// for a document, never at open; a click or Enter on an entry jumps to its
// page, and the entry of the shown page is selected as pages change.
// Hidden, the panel takes no room and the window is as it was without it.
#include <cstdint>

#include "document/outline.h"
#include "platform/background_worker.h"
#include "view/viewer.h"

namespace orva {

struct AppState;

enum class OutlineFetch : std::uint8_t { None, Coming, Ready, Failed };

struct BookmarksState {
    // The tree, a child of the main window made the first time the panel
    // is shown and gone with the window.
    WindowHandle tree = nullptr;
    bool shown = false;
    // The document (by serial) the tree holds the outline of, or waits for.
    std::uint64_t serial = 0;
    OutlineFetch fetch = OutlineFetch::None;
    Outline outline;
    // The tree's item of each outline entry, in the outline's order.
    OwnedArray<void*> items;
    // The shown page the selection was last set for.
    std::uint64_t followedPage = UINT64_MAX;
    // Outline runs started, for tests.
    std::uint64_t runs = 0;
    // The panel's width at 96 dots per inch, which the reader can change by
    // dragging its left edge, and whether a drag is under way.
    std::int32_t width = 240;
    bool widening = false;
};

// The panel's width at first and its limits, at 96 dots per inch, and the
// grip along its left edge that widens it.
inline constexpr std::int32_t kBookmarksWidth = 240;
inline constexpr std::int32_t kBookmarksMinWidth = 120;
inline constexpr std::int32_t kBookmarksGrip = 5;

// The panel's messages while it holds no outline.
inline constexpr const wchar_t* kOutlineLoading = L"Loading\u2026";
inline constexpr const wchar_t* kNoOutline = L"No outline";
inline constexpr const wchar_t* kOutlineToolMissing = L"pdftohtml.exe was not found";
inline constexpr const wchar_t* kOutlineFailed = L"The outline could not be read";

// F12, View > Bookmarks: shows the panel (fetching the outline when it has
// none for the open document) or hides it.
void toggleBookmarks(AppState& state);
// The window was resized, moved to another DPI or left full screen: the
// panel takes its place again (none in full screen).
void layoutBookmarks(AppState& state);
// After a paint: the outline of a document opened while the panel is shown
// is asked for, and the shown page's entry selected.
void bookmarksAfterPaint(AppState& state);
// A finished JobOutline.
void outlineArrived(AppState& state, ToolJob& job);
// The left button pressed, the pointer moved, the button released, over
// the main window's client area: a press on the grip starts widening the
// panel, and the moves widen it (to half the window at most). False where
// the panel has nothing to do with it.
bool panelPress(AppState& state, int x);
bool panelDrag(AppState& state, int x);
bool panelRelease(AppState& state);
// WM_SETCURSOR: the sizing arrows over the grip. False elsewhere.
bool setPanelCursor(AppState& state);
// WM_NOTIFY from the tree: a click on an entry. False for others.
bool bookmarksNotified(AppState& state, const void* header);

}  // namespace orva
