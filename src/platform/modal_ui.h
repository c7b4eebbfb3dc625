#pragma once
// The calls that block on a person or bind to a printer: message boxes, the
// open and print dialogs and the printer device. They pass through this seam
// so tests can record them and answer for the person; everything else in the
// shell talks to the system directly.
#include "base/win32.h"

#include <commdlg.h>

namespace orva {

class ModalUi {
public:
    virtual ~ModalUi() = default;
    virtual int messageBox(HWND owner, const char* text, const char* caption, UINT style) = 0;
    virtual BOOL getOpenFileName(OPENFILENAMEA* record) = 0;
    virtual BOOL printDialog(PRINTDLGA* record) = 0;
    // Go to Page, owned by `owner`: the dialog (dialog_template_win.h) and
    // its procedure come from the caller, who also checks the answers;
    // returns what the procedure ended the dialog with.
    virtual INT_PTR dialogBox(HWND owner, const DLGTEMPLATE* dialog, DLGPROC procedure, LPARAM parameter) = 0;
    virtual int startDoc(HDC printer, const DOCINFOA* job) = 0;
    virtual int getDeviceCaps(HDC printer, int index) = 0;
    virtual int startPage(HDC printer) = 0;
    virtual int endPage(HDC printer) = 0;
    virtual int endDoc(HDC printer) = 0;
    virtual BOOL deleteDC(HDC printer) = 0;
};

// The seam in force: the system's own calls unless a test installed another.
ModalUi& modalUi();
// Installs `ui` (null restores the system's); returns the one it replaces.
ModalUi* setModalUi(ModalUi* ui);

}  // namespace orva
