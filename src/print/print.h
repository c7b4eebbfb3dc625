#pragma once
#include "print/print_state.h"

namespace orva {

// Prints the open document on a printer chosen in the print dialog.
void printDocument(PrintState& state);

// Opens the print preview for the current page, or brings it forward.
void openPrintPreview(PrintState& state);

}  // namespace orva
