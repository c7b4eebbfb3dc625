#pragma once
// A stand-in for the person at the screen and for the printer: records every
// modal call with its arguments and answers as the test says.
#include <functional>
#include <string>
#include <vector>

#include "platform/modal_ui.h"

namespace orva::testing {

struct MessageRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

class RecordingUi : public ModalUi {
public:
    RecordingUi() : previous_(setModalUi(this)) {}
    ~RecordingUi() override { setModalUi(previous_); }

    // Every call in order, by name ("messageBox", "printDialog", "startDoc", ...).
    std::vector<std::string> calls;
    // The thread's cursor at each of those calls, in the same order.
    std::vector<HCURSOR> cursors;
    std::vector<MessageRecord> messages;
    std::vector<OPENFILENAMEA> openRecords;
    std::vector<PRINTDLGA> printRecords;
    std::vector<std::string> jobNames;

    // Answers. The dialogs are cancelled unless a test says otherwise.
    std::function<BOOL(OPENFILENAMEA*)> answerOpen = [](OPENFILENAMEA*) { return FALSE; };
    std::function<BOOL(PRINTDLGA*)> answerPrint = [](PRINTDLGA*) { return FALSE; };
    std::function<void()> onMessage;  // runs while the "box" is up
    std::function<void(HWND)> answerDialog = [](HWND dialog) { SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); };
    int startDocResult = 1;
    int startPageResult = 1;
    int endPageResult = 1;
    int endDocResult = 1;
    int horzRes = 4800;
    int vertRes = 6600;
    // LOGPIXELSX and LOGPIXELSY; anything else asked for reads 0.
    int logPixels = 0;
    // Which StartPage / EndPage (1-based) fails, when set.
    int failStartPageAt = 0;
    int failEndPageAt = 0;

    int messageBox(HWND owner, const char* text, const char* caption, UINT style) override;
    BOOL getOpenFileName(OPENFILENAMEA* record) override;
    BOOL printDialog(PRINTDLGA* record) override;
    // The dialog is made for real, modeless, and handed to answerDialog,
    // which types and clicks in it as a person would; it is then destroyed.
    INT_PTR dialogBox(HWND owner, const DLGTEMPLATE* dialog, DLGPROC procedure, LPARAM parameter) override;
    int startDoc(HDC printer, const DOCINFOA* job) override;
    int getDeviceCaps(HDC printer, int index) override;
    int startPage(HDC printer) override;
    int endPage(HDC printer) override;
    int endDoc(HDC printer) override;
    BOOL deleteDC(HDC printer) override;

    // Answers the open dialog with `path` (ANSI).
    void chooseFile(std::string path);

private:
    void note(std::string call) {
        calls.push_back(std::move(call));
        cursors.push_back(GetCursor());
    }

    ModalUi* previous_;
    int startPages_ = 0;
    int endPages_ = 0;
};

}  // namespace orva::testing
