#pragma once
// The program from start to exit status.
#include "app/app_state.h"
#include "base/allocator.h"
#include "base/win32.h"

namespace orva {

// Builds the state, the main window and the first document, runs the
// message loop and returns the exit status.
int runApplication();

// The argument list of a command line, element 0 the program name.
Result<OwnedArray<OwnedString>> buildArgumentList(Allocator& allocator, const wchar_t* commandLine);

// The budget for page images from ORVA_PAGE_MEMORY_MB (mebibytes), when it
// names a valid one; otherwise the budget stays as it is.
void readPageMemoryBudget(AppState& state);

// "error: <name>" and a line feed, for a start that cannot go on.
void writeStartupError(HANDLE stream, ErrorCode code);

}  // namespace orva
