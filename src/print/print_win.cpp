// Placeholder until printing lands.
#include "print/print.h"

namespace orva {

void printDocument(AppState&) {}
void openPrintPreview(AppState&) {}

}  // namespace orva
