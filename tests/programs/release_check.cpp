// Checks an unpacked release as a user meets it:
//   release_check FOLDER
// starts FOLDER\OrvaReader.exe on sample.orva, in FOLDER, waits for its
// window to show the sample's first page, closes it and reads its exit
// status; runs "FOLDER\orvatool.exe info sample.orva" there. Prints what it
// saw and exits 0 when everything held.
#include <cstdio>
#include <string>

#include "base/scoped_win.h"
#include "support/viewer_process_win.h"
#include "support/wide_text_win.h"

using namespace orva;
using namespace orva::testing;

namespace {

constexpr wchar_t kSampleTitle[] = L"OrvaReader sample document";

int failures = 0;

void report(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    if (!ok) ++failures;
}

// "NAME - Page 1/4 (Z%) - OrvaReader", whatever the zoom Z.
bool showsFirstPage(const std::wstring& title) {
    const std::wstring head = std::wstring(kSampleTitle) + L" - Page 1/4 (";
    const std::wstring tail = L"%) - OrvaReader";
    return title.size() > head.size() + tail.size() && title.starts_with(head) && title.ends_with(tail);
}

void checkViewer(const std::wstring& folder) {
    ProgramProcess viewer(folder + L"\\OrvaReader.exe", L" sample.orva", folder);
    report(viewer.started(), "OrvaReader.exe starts");
    if (!viewer.started()) return;
    HWND window = findProcessWindow(viewer.id(), L"OrvaReaderWnd");
    report(window != nullptr, "its main window comes up");
    if (window == nullptr) return;
    const std::wstring title = waitForTitleWhere(window, showsFirstPage);
    report(showsFirstPage(title), "its title names the sample's first page: \"" + narrow(title) + "\"");
    PostMessageW(window, WM_CLOSE, 0, 0);
    const DWORD status = viewer.waitForExit();
    report(status == 0, "it closes with status " + std::to_string(status));
}

void checkTool(const std::wstring& folder) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, &inheritable, 0)) {
        report(false, "a pipe for orvatool's output");
        return;
    }
    UniqueHandle output(read);
    UniqueHandle input(write);
    SetHandleInformation(output.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = input.get();
    startup.hStdError = input.get();
    const std::wstring program = folder + L"\\orvatool.exe";
    std::wstring line = L"\"" + program + L"\" info sample.orva";
    PROCESS_INFORMATION info{};
    const bool started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                        nullptr, folder.c_str(), &startup, &info);
    input.reset();
    report(started, "orvatool.exe starts");
    if (!started) return;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(output.get(), buffer, sizeof buffer, &got, nullptr) && got != 0) text.append(buffer, got);
    WaitForSingleObject(process.get(), 20000);
    DWORD status = STILL_ACTIVE;
    GetExitCodeProcess(process.get(), &status);
    report(status == 0, "orvatool info sample.orva exits with status " + std::to_string(status));
    report(text.find(narrow(kSampleTitle)) != std::string::npos, "and names the sample's title");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: release_check FOLDER\n");
        return 2;
    }
    const std::wstring folder = widen(argv[1]);
    checkViewer(folder);
    checkTool(folder);
    return failures == 0 ? 0 : 1;
}
