#pragma once
// The parts of printing that tests reach into: the dialog's hook and the job
// with the page request passed in, so a request that claims success without
// producing the page can be tried.
#include <cstdint>

#include "base/win32.h"
#include "print/print_state.h"

#include <commdlg.h>

namespace orva {

// The record the print dialog is opened with, for a document of pageCount
// pages.
PRINTDLGA makePrintDialogRecord(std::uint64_t pageCount);

// The print dialog's hook: the dialog keeps its default focus handling.
UINT_PTR CALLBACK printDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

using PageLoader = Status (*)(Document& document, std::uint64_t index);

// printDocument with `loadPage` in place of the page request.
void printDocumentWith(PrintState& state, PageLoader loadPage);

}  // namespace orva
