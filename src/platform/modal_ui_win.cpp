#include "platform/modal_ui.h"

namespace orva {

namespace {

class SystemModalUi final : public ModalUi {
public:
    int messageBox(HWND owner, const char* text, const char* caption, UINT style) override {
        return MessageBoxA(owner, text, caption, style);
    }
    BOOL getOpenFileName(OPENFILENAMEA* record) override { return GetOpenFileNameA(record); }
    BOOL printDialog(PRINTDLGA* record) override { return PrintDlgA(record); }
    INT_PTR dialogBox(HWND owner, const DLGTEMPLATE* dialog, DLGPROC procedure, LPARAM parameter) override {
        return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog, owner, procedure, parameter);
    }
    int startDoc(HDC printer, const DOCINFOA* job) override { return StartDocA(printer, job); }
    int getDeviceCaps(HDC printer, int index) override { return GetDeviceCaps(printer, index); }
    int startPage(HDC printer) override { return StartPage(printer); }
    int endPage(HDC printer) override { return EndPage(printer); }
    int endDoc(HDC printer) override { return EndDoc(printer); }
    BOOL deleteDC(HDC printer) override { return DeleteDC(printer); }
};

SystemModalUi gSystemUi;
ModalUi* gCurrent = &gSystemUi;

}  // namespace

ModalUi& modalUi() { return *gCurrent; }

ModalUi* setModalUi(ModalUi* ui) {
    ModalUi* previous = gCurrent;
    gCurrent = ui != nullptr ? ui : &gSystemUi;
    return previous;
}

}  // namespace orva
