#pragma once
// The small dialog that asks for the password of an encrypted PDF.
#include <string_view>

#include "app/app_state.h"

namespace orva {

// Asks for the password of the PDF named `name` (its file name, UTF-8);
// `wrongBefore` says the last one tried was wrong ("Incorrect password" is
// shown). A password longer than the tools read is refused in the dialog.
// The typed text, UTF-8; Canceled when the reader cancelled. The caller
// owns the secret and wipes it (wipeSecret) once done with it.
Result<OwnedString> askPassword(AppState& state, std::string_view name, bool wrongBefore);

}  // namespace orva
