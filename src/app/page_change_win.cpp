// The page change: the main view moves to another page, renders it (and its
// neighbours, so that paging on is quick) and shows it.
#include "app/page_change.h"

#include "app/find.h"
#include "app/select_text.h"
#include "document/page_memory.h"
#include "document/page_request.h"
#include "view/messages.h"
#include "view/view.h"
#include "view/view_geometry.h"

namespace orva {

void goToPage(AppState& state, std::uint64_t index) {
    // An open document has at least one page; the check keeps the last-page
    // arithmetic sound whatever the record holds.
    if (!state.documentLoaded || state.document.pageCount() == 0) return;
    Document& document = state.document;
    const std::uint64_t target = pageChangeTarget(index, document.pageCount());
    if (!ensurePageLoaded(document, target)) {
        // Whatever went wrong, the user is told the page could not be
        // rendered, and stays where they were: the title, the scroll bars
        // and the picture all still show the page they name.
        showOpenError(state, document.path.view(), ErrorCode::PdftoppmFailed);
        return;
    }
    state.currentPage = target;
    setShownPage(document, target);
    state.scrollX = 0;
    state.scrollY = 0;
    updateWindowTitle(state);
    updateScrollBars(state);
    revealCurrentThumbnail(state);
    invalidateMainWindow(state, true);
    // What was marked on the page before goes; the find bar's hits of this
    // one are marked (their text asked for, in the background).
    clearSelection(state);
    setStatusNotice(state, "");
    refreshFindMarks(state, true);
    // The neighbours last: the window shows the new page, under its title,
    // while they render. One that fails (or is ended with Esc) is left out
    // without a word; the page change has taken place.
    if (state.currentPage > 0) (void)ensurePageLoaded(document, state.currentPage - 1);
    if (state.currentPage + 1 < document.pageCount()) (void)ensurePageLoaded(document, state.currentPage + 1);
}

}  // namespace orva
