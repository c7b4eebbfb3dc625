#pragma once
// The program from start to exit status.
#include "base/allocator.h"
#include "base/win32.h"

namespace orva {

// Builds the state, the main window and the first document, runs the
// message loop and returns the exit status.
int runApplication();

// The argument list of a command line, element 0 the program name.
Result<OwnedArray<OwnedString>> buildArgumentList(Allocator& allocator, const wchar_t* commandLine);

// "error: <name>" and a line feed, for a start that cannot go on.
void writeStartupError(HANDLE stream, ErrorCode code);

}  // namespace orva
