#pragma once
// The whole run-time state of the program, one record for the process: the
// viewer (main window, document, view) extended by the print preview's state.
#include "print/print_state.h"

namespace orva {

struct AppState : PrintState {
    // What each PDF document opened may hold in page images (ORVA_PAGE_MEMORY_MB
    // at start, in mebibytes).
    std::uint64_t pageMemoryBudget = kDefaultPageMemoryBudget;
    // Documents opened so far: the next one's serial (document.h).
    std::uint64_t documentsOpened = 0;
};

// The process-wide record, zero at start.
AppState& app();

}  // namespace orva
