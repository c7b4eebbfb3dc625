#include "print/print.h"

#include "document/page_memory.h"
#include "document/page_request.h"
#include "platform/modal_ui.h"
#include "platform/window_kit.h"
#include "print/print_job.h"
#include "print/print_layout.h"
#include "view/draw_page_image.h"
#include "view/messages.h"

namespace orva {

static_assert(sizeof(PRINTDLGA) == 120, "the print dialog record of 64-bit Windows");
static_assert(sizeof(DOCINFOA) == 40, "the print job record of 64-bit Windows");

namespace {

// The dialog hands back copies of the printer's settings and name that the
// job never reads; they are given back as soon as the dialog returns.
void releaseDialogMemory(PRINTDLGA& record) {
    if (record.hDevMode != nullptr) GlobalFree(record.hDevMode);
    if (record.hDevNames != nullptr) GlobalFree(record.hDevNames);
    record.hDevMode = nullptr;
    record.hDevNames = nullptr;
}

void tellError(PrintState& state, std::string_view text) { showMessage(state, state.mainWindow, text, MB_ICONERROR); }

// Sends the pages first..last; null when every sheet went out, otherwise the
// message for the user. Sheets spooled before a failure stay in the job.
const char* printPages(PrintState& state, HDC printer, PageRange range, PageLoader loadPage) {
    const int usableWidth = usablePrintExtent(modalUi().getDeviceCaps(printer, HORZRES));
    const int usableHeight = usablePrintExtent(modalUi().getDeviceCaps(printer, VERTRES));
    if (range.first > range.last) return nullptr;
    for (std::uint64_t index = range.first;; ++index) {
        // The page being printed is held until the next one takes its place.
        pinPage(state.document, PagePin::Print, index);
        if (!loadPage(state.document, index)) return "Could not load a page for printing.";
        if (index >= state.document.pageCount() || !state.document.pages[index].present)
            return "A page was not loaded for printing.";
        const PageImage& page = state.document.pages[index];
        if (modalUi().startPage(printer) < 1) return "Printer error while starting a page.";
        const PlacedRect place = placePrintedPage(usableWidth, usableHeight, page.width, page.height);
        drawPageImage(printer, place.x, place.y, place.width, place.height, page);
        if (modalUi().endPage(printer) < 1) return "Printer error while finishing a page.";
        if (index == range.last) return nullptr;
    }
}

}  // namespace

PRINTDLGA makePrintDialogRecord(std::uint64_t pageCount) {
    PRINTDLGA record{};
    record.lStructSize = sizeof record;
    record.Flags = PD_RETURNDC | PD_ENABLEPRINTHOOK | PD_USEDEVMODECOPIESANDCOLLATE;
    const std::uint16_t pages = dialogPageLimit(pageCount);
    record.nFromPage = 1;
    record.nToPage = pages;
    record.nMinPage = 1;
    record.nMaxPage = pages;
    record.lpfnPrintHook = printDialogHook;
    return record;
}

UINT_PTR CALLBACK printDialogHook(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG ? TRUE : FALSE; }

void printDocumentWith(PrintState& state, PageLoader loadPage) {
    if (!state.documentLoaded) {
        showMessage(state, state.mainWindow, "No document to print.", MB_ICONINFORMATION);
        return;
    }
    if (state.document.pageCount() == 0) {
        showMessage(state, state.mainWindow, "Document has no pages.", MB_ICONINFORMATION);
        return;
    }
    PRINTDLGA dialog = makePrintDialogRecord(state.document.pageCount());
    // No owner: the main window stays live while the dialog is up, so the
    // document may be closed or replaced before it returns.
    const BOOL confirmed = modalUi().printDialog(&dialog);
    releaseDialogMemory(dialog);
    if (!confirmed || dialog.hDC == nullptr) return;
    HDC printer = dialog.hDC;

    const DialogRange answer{(dialog.Flags & PD_PAGENUMS) != 0, dialog.nFromPage, dialog.nToPage, dialog.nMinPage,
                             dialog.nMaxPage};
    const PageRange range = resolvePrintRange(answer, state.documentLoaded ? state.document.pageCount() : 0);

    // The wait cursor while the job is spooled; it is gone before any
    // message is shown.
    const char* failure = nullptr;
    {
        const WaitCursor busy;
        DOCINFOA job{};
        job.cbSize = sizeof job;
        job.lpszDocName = "OrvaReader";
        if (modalUi().startDoc(printer, &job) < 1) {
            failure = "Could not start print job.";
        } else if ((failure = printPages(state, printer, range, loadPage)) != nullptr) {
            // Ended, not aborted: the sheets already spooled still come out.
            modalUi().endDoc(printer);
        } else if (modalUi().endDoc(printer) < 1) {
            failure = "Printer error while finishing the job.";
        }
    }
    pinPage(state.document, PagePin::Print, kNoPage);
    if (failure != nullptr) tellError(state, failure);
    modalUi().deleteDC(printer);
}

void printDocument(PrintState& state) { printDocumentWith(state, ensurePageLoaded); }

}  // namespace orva
