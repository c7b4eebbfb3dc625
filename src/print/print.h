#pragma once
#include "app/app_state.h"

namespace orva {

// Prints the open document on a printer chosen in the print dialog.
void printDocument(AppState& state);

// Opens the print preview for the current page, or brings it forward.
void openPrintPreview(AppState& state);

}  // namespace orva
