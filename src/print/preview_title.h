#pragma once
// The caption of the print preview window.
#include "base/fixed_text.h"
#include "print/print_state.h"

namespace orva {

// "Print Preview - Page n/c - OrvaReader", or "Print Preview - OrvaReader"
// without a document; `fits()` is false when it overflows 512 bytes, and the
// caption is then left as it is.
FixedText<512> composePreviewTitle(const PrintState& state);

}  // namespace orva
