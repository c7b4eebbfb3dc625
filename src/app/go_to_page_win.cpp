#include "app/go_to_page.h"

#include "app/busy_window.h"
#include "app/navigation.h"
#include "app/page_number.h"
#include "base/win32.h"
#include "platform/dialog_template_win.h"
#include "platform/modal_ui.h"

namespace orva {

namespace {

enum : WORD { kLabelId = 100, kFieldId = 101, kProblemId = 102 };

struct GoToPageCall {
    std::uint64_t current = 0;
    std::uint64_t pageCount = 0;
    bool accepted = false;
    std::uint64_t page = 0;
};

INT_PTR CALLBACK goToPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* call = reinterpret_cast<GoToPageCall*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            call = reinterpret_cast<GoToPageCall*>(lParam);
            FixedText<64> label;
            label.append("Page number (1 to ").appendDecimal(call->pageCount).append("):");
            SetDlgItemTextA(dialog, kLabelId, label.c_str());
            FixedText<24> offered;
            offered.appendDecimal(call->current + 1);
            SetDlgItemTextA(dialog, kFieldId, offered.c_str());
            SendDlgItemMessageW(dialog, kFieldId, EM_LIMITTEXT, 20, 0);
            SendDlgItemMessageW(dialog, kFieldId, EM_SETSEL, 0, -1);
            SetFocus(GetDlgItem(dialog, kFieldId));
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (call == nullptr) return FALSE;
            if (LOWORD(wParam) == IDOK) {
                char typed[32] = {};
                const UINT length = GetDlgItemTextA(dialog, kFieldId, typed, sizeof typed);
                if (const auto page = parsePageNumber(std::string_view(typed, length), call->pageCount)) {
                    call->accepted = true;
                    call->page = *page;
                    EndDialog(dialog, IDOK);
                } else {
                    SetDlgItemTextA(dialog, kProblemId, pageNumberRefusal(call->pageCount).c_str());
                    SendDlgItemMessageW(dialog, kFieldId, EM_SETSEL, 0, -1);
                    SetFocus(GetDlgItem(dialog, kFieldId));
                }
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default: return FALSE;
    }
}

const DialogTemplate& goToPageTemplate() {
    static const DialogTemplate layout = [] {
        DialogTemplate made;
        made.begin(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 5, 200, 78, L"Go to Page");
        made.item(SS_LEFT | SS_NOPREFIX, 7, 9, 110, 10, kLabelId, kDialogStatic, L"");
        made.item(ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 120, 7, 73, 14, kFieldId, kDialogEdit, L"");
        made.item(SS_LEFT | SS_NOPREFIX, 7, 28, 186, 18, kProblemId, kDialogStatic, L"");
        made.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 87, 57, 50, 14, IDOK, kDialogButton, L"OK");
        made.item(BS_PUSHBUTTON | WS_TABSTOP, 143, 57, 50, 14, IDCANCEL, kDialogButton, L"Cancel");
        return made;
    }();
    return layout;
}

}  // namespace

void goToPageAsked(AppState& state) {
    if (!state.documentLoaded || state.document.pageCount() == 0) return;
    GoToPageCall call{state.currentPage, state.document.pageCount()};
    {
        const ModalScope modal;
        modalUi().dialogBox(state.mainWindow, goToPageTemplate().get(), goToPageProc, reinterpret_cast<LPARAM>(&call));
    }
    // The document may have changed while the dialog was up.
    if (call.accepted && state.documentLoaded && call.page < state.document.pageCount()) jumpToPage(state, call.page);
}

}  // namespace orva
