// installer_probe: what the installer tests (scripts/smoke-installer) ask
// of the Windows side, one command a run, the findings printed as
// "name: value" lines:
//
//   installer_probe open FILE
//       opens FILE through its association (ShellExecuteEx, as a double
//       click does), waits for the viewer's window and its title, closes it;
//       prints "exe:" (the program started), "title:" and "exit:".
//   installer_probe assoc NAME...
//       the command the shell finds for opening each extension or ProgID:
//       "NAME: command".
//   installer_probe box PROGRAM ARGUMENTS BUTTON
//       starts PROGRAM, waits for its first message box, prints its "text:",
//       presses BUTTON (a dialog id: 6 Yes, 7 No) and prints "exit:".
#include "support/child_process_win.h"
#include "support/wide_text_win.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>

namespace {

using orva::testing::narrow;
using orva::testing::widen;

void print(const char* name, const std::wstring& value) { std::printf("%s: %s\n", name, narrow(value).c_str()); }

int openThroughAssociation(const std::wstring& file) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info) || info.hProcess == nullptr) {
        std::printf("error: ShellExecuteEx failed (%lu)\n", GetLastError());
        return 1;
    }
    const DWORD id = GetProcessId(info.hProcess);
    wchar_t image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    QueryFullProcessImageNameW(info.hProcess, 0, image, &size);
    print("exe", image);
    HWND window = orva::testing::findProcessWindow(id, "OrvaReaderWnd");
    if (window == nullptr) {
        std::printf("error: no viewer window\n");
        TerminateProcess(info.hProcess, 1);
        return 1;
    }
    print("title", orva::testing::waitForTitleWhere(window, [](const std::wstring& title) {
              return title.find(L" - Page ") != std::wstring::npos;
          }));
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
    std::printf("exit: %lu\n", code);
    CloseHandle(info.hProcess);
    return 0;
}

int associations(int count, wchar_t** names) {
    for (int i = 0; i < count; ++i) {
        wchar_t command[1024] = {};
        DWORD size = 1024;
        const HRESULT found = AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_COMMAND, names[i], L"open", command, &size);
        print(narrow(names[i]).c_str(), SUCCEEDED(found) ? std::wstring(command) : L"(none)");
    }
    return 0;
}

int answerBox(const std::wstring& program, const std::wstring& arguments, int button) {
    orva::testing::ChildProcess child(program, arguments, orva::testing::withOutput(orva::testing::ChildOptions::Output::Discard));
    if (!child.started()) {
        std::printf("error: cannot start %s (%lu)\n", narrow(program).c_str(), child.startError());
        return 1;
    }
    HWND box = orva::testing::findProcessWindow(child.id(), "#32770", 60000);
    if (box == nullptr) {
        std::printf("error: no message box\n");
        return 1;
    }
    wchar_t text[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 2048);
    print("text", text);
    PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
    std::printf("exit: %lu\n", child.waitForExit(60000));
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"open" && argc == 3) return openThroughAssociation(argv[2]);
    if (command == L"assoc" && argc >= 3) return associations(argc - 2, argv + 2);
    if (command == L"box" && argc == 5) return answerBox(argv[2], argv[3], _wtoi(argv[4]));
    std::fprintf(stderr, "usage: installer_probe open FILE | assoc NAME... | box PROGRAM ARGUMENTS BUTTON\n");
    return 2;
}
