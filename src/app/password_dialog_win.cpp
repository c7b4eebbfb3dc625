#include "app/password_dialog.h"

#include "app/busy_window.h"
#include "base/utf.h"
#include "base/win32.h"
#include "pdf/password_options.h"
#include "platform/dialog_template_win.h"
#include "platform/modal_ui.h"

namespace orva {

namespace {

enum : WORD { kLabelId = 100, kFieldId = 101, kProblemId = 102 };

constexpr const char* kTooLong = "This password is too long: a PDF password has at most 32 bytes.";

struct PasswordCall {
    Allocator* allocator = nullptr;
    std::string_view name;
    bool wrongBefore = false;
    bool accepted = false;
    OwnedString password;
};

void refuse(HWND dialog, const char* reason) {
    SetDlgItemTextA(dialog, kProblemId, reason);
    SendDlgItemMessageW(dialog, kFieldId, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, kFieldId));
}

// The field's text as UTF-8; the wide copy is wiped before it goes.
void takeTyped(HWND dialog, PasswordCall& call) {
    wchar_t typed[128] = {};
    const UINT length = GetDlgItemTextW(dialog, kFieldId, typed, 128);
    auto utf8 = utf16ToUtf8(*call.allocator, std::u16string_view(reinterpret_cast<const char16_t*>(typed), length));
    SecureZeroMemory(typed, sizeof typed);
    if (!utf8) return refuse(dialog, "The password could not be read.");
    if (utf8->size() > kMostPasswordBytes) {
        wipeSecret(*utf8);
        return refuse(dialog, kTooLong);
    }
    call.password = std::move(*utf8);
    call.accepted = true;
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK passwordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* call = reinterpret_cast<PasswordCall*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            call = reinterpret_cast<PasswordCall*>(lParam);
            FixedText<320> label;
            label.append(call->name).append(" is protected by a password:");
            if (auto wide = toWide(*call->allocator, label.view())) {
                SetDlgItemTextW(dialog, kLabelId, reinterpret_cast<const wchar_t*>(wide->data()));
            }
            if (call->wrongBefore) SetDlgItemTextA(dialog, kProblemId, "Incorrect password");
            // Room for a few bytes past the most, so that a longer one is
            // refused with its reason rather than cut.
            SendDlgItemMessageW(dialog, kFieldId, EM_LIMITTEXT, 100, 0);
            SetFocus(GetDlgItem(dialog, kFieldId));
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (call == nullptr) return FALSE;
            if (LOWORD(wParam) == IDOK) {
                takeTyped(dialog, *call);
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

const DialogTemplate& passwordTemplate() {
    static const DialogTemplate layout = [] {
        DialogTemplate made;
        made.begin(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 5, 220, 88, L"Password");
        made.item(SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 7, 7, 206, 10, kLabelId, kDialogStatic, L"");
        made.item(ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 20, 206, 14, kFieldId, kDialogEdit, L"");
        made.item(SS_LEFT | SS_NOPREFIX, 7, 39, 206, 20, kProblemId, kDialogStatic, L"");
        made.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 107, 67, 50, 14, IDOK, kDialogButton, L"OK");
        made.item(BS_PUSHBUTTON | WS_TABSTOP, 163, 67, 50, 14, IDCANCEL, kDialogButton, L"Cancel");
        return made;
    }();
    return layout;
}

}  // namespace

Result<OwnedString> askPassword(AppState& state, std::string_view name, bool wrongBefore) {
    PasswordCall call;
    call.allocator = state.allocator;
    call.name = name;
    call.wrongBefore = wrongBefore;
    const ModalScope modal;
    modalUi().dialogBox(state.mainWindow, passwordTemplate().get(), passwordProc, reinterpret_cast<LPARAM>(&call));
    if (!call.accepted) return fail(ErrorCode::Canceled);
    return std::move(call.password);
}

}  // namespace orva
