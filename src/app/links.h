#pragma once
// The links of the shown page: fetched by a background job once the page is
// on the screen (never before, never at open), live from then on. Over a
// link the pointer is a hand and the status line names its target; a click
// follows a link to a page of the document (a jump), opens a web or mail
// link with the system's handler, and only names any other target.
#include <cstdint>

#include "document/page_links.h"
#include "platform/background_worker.h"
#include "view/viewer.h"

namespace orva {

struct AppState;

struct LinksState {
    // The document (by serial) and page the links are held or coming for.
    std::uint64_t serial = 0;
    std::uint64_t page = UINT64_MAX;
    bool coming = false;
    PageLinks links;
    // The document whose links cannot be had: the tool is missing or
    // cannot read it.
    std::uint64_t failedSerial = 0;
    // The status line's notice is the target of the link under the pointer.
    bool noticeShown = false;
    // Where the pointer last moved over the client area.
    bool pointerKnown = false;
    std::int32_t pointerX = 0;
    std::int32_t pointerY = 0;
    // Link runs started, for tests and benchmarks.
    std::uint64_t runs = 0;
};

// Whether the shown page's links are in memory.
bool linksLive(const AppState& state);

// After a paint of the main window: the shown page's links, when they are
// neither held nor coming (one coming for another page is ended).
void askForLinks(AppState& state);
// A finished JobLinks.
void linksArrived(AppState& state, ToolJob& job);

// The pointer moved over the page: the status line names the link under
// it, or stops naming one it left.
void linksPointerMoved(AppState& state, int x, int y);
// WM_SETCURSOR over the client area: the hand over a link. False elsewhere.
bool setLinkCursor(AppState& state);
// A press on the page: the link under it is followed. False where there is
// none.
bool followLinkAt(AppState& state, int x, int y);

// What opens web and mail links: the system's handler (ShellExecuteW) unless
// a test installed another. Returns whether it opened the target.
using LinkOpener = bool (*)(WindowHandle owner, const wchar_t* target);
// Installs `opener` (null restores the system's); returns the one replaced.
LinkOpener setLinkOpener(LinkOpener opener);

}  // namespace orva
