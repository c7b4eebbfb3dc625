#pragma once
// The whole run-time state of the program, one record for the process: the
// viewer (main window, document, view) extended by the print preview's state.
#include "app/bookmarks.h"
#include "app/find.h"
#include "app/full_screen.h"
#include "app/links.h"
#include "app/pictures.h"
#include "app/select_text.h"
#include "print/print_state.h"
#include "view/jump_history.h"

namespace orva {

struct AppState : PrintState {
    // What each PDF document opened may hold in page images (ORVA_PAGE_MEMORY_MB
    // at start, in mebibytes).
    std::uint64_t pageMemoryBudget = kDefaultPageMemoryBudget;
    // Documents opened so far: the next one's serial (document.h).
    std::uint64_t documentsOpened = 0;
    FindState find;
    SelectState select;
    // Back and forward through the jumps in the open document.
    JumpHistory history;
    PicturesState pictureJobs;
    BookmarksState bookmarks;
    LinksState links;
    // What full screen restores the window to.
    WindowRestore windowRestore;
};

// The process-wide record, zero at start.
AppState& app();

}  // namespace orva
