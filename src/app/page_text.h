#pragma once
// The text of the open document's pages, fetched when the reader first
// searches, selects or copies, in runs of pages by the document's worker;
// never at open or on a page change.
#include <cstdint>

#include "app/app_state.h"
#include "platform/background_worker.h"

namespace orva {

enum class TextNeed {
    Ready,   // the page's text is in memory
    Coming,  // a run that holds the page is on its way
    None,    // there is none to be had: a container, or the tool missing or failing
};

// Page `page`'s text, asking for a run of up to `run` pages from it onward
// (or, going back, up to it) when it is not in memory or on its way.
TextNeed needPageText(AppState& state, std::uint64_t page, bool forward, std::uint32_t run);

// A finished text job: its pages are stored (or marked as failed), and the
// find bar and the selection go on with them.
void textArrived(AppState& state, ToolJob& job);

// Ends every text run queued or running; their pages can be asked for again.
void stopTextFetch(AppState& state);

}  // namespace orva
