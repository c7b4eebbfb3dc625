#pragma once
// Finding text: the find bar along the window's top band, the search that
// goes from the current page and position on through the document (its
// pages' text fetched in runs as it goes), and the hits marked on the shown
// page.
#include <cstdint>

#include "document/text_search.h"
#include "view/viewer.h"

namespace orva {

struct AppState;

struct FindState {
    // The bar and the controls on it, children of the main window made the
    // first time it is shown and gone with the window.
    WindowHandle bar = nullptr;
    WindowHandle edit = nullptr;
    WindowHandle matchCase = nullptr;
    WindowHandle status = nullptr;
    bool shown = false;

    // The query of the last search, as typed (UTF-8) and made ready.
    OwnedString query;
    bool caseMatched = false;
    PreparedQuery prepared;

    // The hit last found, on page hitPage (kNoPage: none).
    std::uint64_t hitPage = UINT64_MAX;
    TextHit hit;

    // A search under way: the page it looks at next, how many are left to
    // look at, whether it has gone past the end (or the start) and whether
    // it starts after (or before) `hit` on that page.
    bool searching = false;
    bool forward = true;
    std::uint64_t page = 0;
    std::uint64_t pagesLeft = 0;
    bool wrapped = false;
    bool fromHit = false;
    bool anyText = false;
};

// Ctrl+F: shows the bar with its text field focused and selected.
void showFindBar(AppState& state);
// The bar's close button, Esc: hides it and the hits.
void hideFindBar(AppState& state);
// F3 / Shift+F3, Enter / Shift+Enter, Next / Previous.
void findNext(AppState& state, bool forward);
// Esc during a search: ends it (and its text runs). False when none ran.
bool stopSearch(AppState& state);
// Text arrived: a search waiting for it goes on; the shown page's hits are
// marked.
void findTextArrived(AppState& state);
// The shown page's hits are marked; when `fetch` (the page changed), its
// text is asked for while the bar holds a query.
void refreshFindMarks(AppState& state, bool fetch = false);
// The main window was resized: the bar spans its width.
void layoutFindBar(AppState& state);

}  // namespace orva
