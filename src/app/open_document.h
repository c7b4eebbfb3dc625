#pragma once
#include <string_view>

#include "app/app_state.h"

namespace orva {

// Opens `path` (UTF-8, as the caller got it) in place of the open document;
// a failure is reported to the user and leaves no document open.
void openDocument(AppState& state, std::string_view path);

// The open document read afresh from its file, with the password it was
// opened with, not installed: nothing is asked, nothing shown. The open's
// failures (PdfPasswordRequired when the password no longer opens it);
// NotSupported with no document open.
Result<Document> readDocumentAgain(AppState& state);

// Makes `document` the open one (the old one already closed), with a serial
// of its own and nothing marked on it; the view is the caller's.
void installDocument(AppState& state, Document&& document);

}  // namespace orva
