#include "print/print.h"

#include "document/page_memory.h"
#include "document/page_request.h"
#include "platform/modal_ui.h"
#include "platform/window_kit.h"
#include "print/print_job.h"
#include "print/print_layout.h"
#include "print/sheet_bands.h"
#include "view/draw_page_image.h"
#include "view/messages.h"
#include "view/page_picture.h"

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

// The page drawn from renders at the printer's resolution (at most
// kSheetMostDpi), in bands, on `place`, turned as the view is. Canceled when
// a render was ended (Esc); any other failure leaves the sheet to the
// page's own image, and may have drawn some bands already, which that then
// covers.
Status drawSharpSheet(PrintState& state, HDC printer, std::uint64_t index, const PlacedRect& place, int dpiX,
                      int dpiY) {
    const Document& document = state.document;
    if (!document.isPdf() || document.renderer == nullptr || state.allocator == nullptr)
        return fail(ErrorCode::NotSupported);
    const SheetRender render = planSheetRender(place, dpiX, dpiY, state.quarterTurns, kSheetBandBytes);
    if (render.bandRows == 0) return fail(ErrorCode::NotSupported);
    for (std::uint32_t top = 0; top < render.scaledHeight; top += render.bandRows) {
        const std::uint32_t rows = std::min(render.bandRows, render.scaledHeight - top);
        const PictureRequest request{index, render.scaledWidth, render.scaledHeight, 0, top, render.scaledWidth, rows};
        auto band = document.renderer->renderPicture(document, request);
        if (!band) return fail(band.error());
        if (band->width != render.scaledWidth || band->height != rows) return fail(ErrorCode::PdftoppmFailed);
        const PlacedRect at = bandOnSheet(render, place, top, rows);
        if (state.quarterTurns == 0) {
            drawPageImage(printer, at.x, at.y, at.width, at.height, *band);
            continue;
        }
        auto turned = lookedPicture(*state.allocator, *band, {state.quarterTurns, false});
        if (!turned) return fail(turned.error());
        band->pixels.reset();
        drawPageImage(printer, at.x, at.y, at.width, at.height, *turned);
    }
    return {};
}

// Sends the pages first..last; null when every sheet went out, otherwise the
// message for the user. Sheets spooled before a failure stay in the job.
const char* printPages(PrintState& state, HDC printer, PrintRange range, PageLoader loadPage) {
    const int usableWidth = usablePrintExtent(modalUi().getDeviceCaps(printer, HORZRES));
    const int usableHeight = usablePrintExtent(modalUi().getDeviceCaps(printer, VERTRES));
    // A PDF's sheets are rendered at the printer's own resolution.
    const bool sharp = state.document.isPdf();
    const int dpiX = sharp ? modalUi().getDeviceCaps(printer, LOGPIXELSX) : 0;
    const int dpiY = sharp ? modalUi().getDeviceCaps(printer, LOGPIXELSY) : 0;
    if (range.first > range.last) return nullptr;
    for (std::uint64_t index = range.first;; ++index) {
        // The page being printed is held until the next one takes its place.
        pinPage(state.document, PagePin::Print, index);
        if (!loadPage(state.document, index)) return "Could not load a page for printing.";
        if (index >= state.document.pageCount() || !state.document.pages[index].present)
            return "A page was not loaded for printing.";
        if (modalUi().startPage(printer) < 1) return "Printer error while starting a page.";
        // The sheet's picture follows the view's turns; the page goes where
        // its own image would, the same fit inside the margin.
        const PageImage& page = state.document.pages[index];
        const PictureSize turned = turnedSize(page.width, page.height, state.quarterTurns);
        const PlacedRect place = placePrintedPage(usableWidth, usableHeight, turned.width, turned.height);
        if (auto drawn = drawSharpSheet(state, printer, index, place, dpiX, dpiY); !drawn) {
            if (drawn.error() == ErrorCode::Canceled) return "Could not load a page for printing.";
            // The page's own image, as a container's page is printed.
            const PageImage& image = state.document.pages[index];
            const PictureKey key{state.document.serial, index, PictureSource::Page, 0, {state.quarterTurns, false}};
            if (const PageImage* picture = lookedPictureFor(state.pictures, state.allocator, key, image))
                drawPageImage(printer, place.x, place.y, place.width, place.height, *picture);
        }
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
    const PrintRange range = resolvePrintRange(answer, state.documentLoaded ? state.document.pageCount() : 0);

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
