#include "support/recording_ui_win.h"

#include <cstring>

namespace orva::testing {

int RecordingUi::messageBox(HWND owner, const char* text, const char* caption, UINT style) {
    note("messageBox");
    messages.push_back({owner, text ? text : "", caption ? caption : "", style});
    if (onMessage) onMessage();
    return IDOK;
}

BOOL RecordingUi::getOpenFileName(OPENFILENAMEA* record) {
    note("getOpenFileName");
    openRecords.push_back(*record);
    return answerOpen(record);
}

BOOL RecordingUi::printDialog(PRINTDLGA* record) {
    note("printDialog");
    printRecords.push_back(*record);
    return answerPrint(record);
}

INT_PTR RecordingUi::dialogBox(HWND owner, const DLGTEMPLATE* dialog, DLGPROC procedure, LPARAM parameter) {
    note("dialogBox");
    HWND made = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog, owner, procedure, parameter);
    if (made == nullptr) return -1;
    answerDialog(made);
    DestroyWindow(made);
    return 0;
}

int RecordingUi::startDoc(HDC, const DOCINFOA* job) {
    note("startDoc");
    jobNames.emplace_back(job && job->lpszDocName ? job->lpszDocName : "");
    return startDocResult;
}

int RecordingUi::getDeviceCaps(HDC, int index) {
    note(index == HORZRES ? "getDeviceCaps(HORZRES)"
                       : index == VERTRES ? "getDeviceCaps(VERTRES)"
                                          : "getDeviceCaps(" + std::to_string(index) + ")");
    if (index == LOGPIXELSX || index == LOGPIXELSY) return logPixels;
    return index == HORZRES ? horzRes : index == VERTRES ? vertRes : 0;
}

int RecordingUi::startPage(HDC) {
    note("startPage");
    return ++startPages_ == failStartPageAt ? 0 : startPageResult;
}

int RecordingUi::endPage(HDC) {
    note("endPage");
    return ++endPages_ == failEndPageAt ? 0 : endPageResult;
}

int RecordingUi::endDoc(HDC) {
    note("endDoc");
    return endDocResult;
}

BOOL RecordingUi::deleteDC(HDC printer) {
    note("deleteDC");
    return DeleteDC(printer);
}

void RecordingUi::chooseFile(std::string path) {
    answerOpen = [path](OPENFILENAMEA* record) {
        if (path.size() + 1 > record->nMaxFile) return FALSE;
        std::memcpy(record->lpstrFile, path.c_str(), path.size() + 1);
        return TRUE;
    };
}

}  // namespace orva::testing
