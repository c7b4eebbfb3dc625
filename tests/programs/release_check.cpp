// Checks an unpacked release as a user meets it:
//   release_check FOLDER
// starts FOLDER\OrvaReader.exe on sample.orva, in FOLDER, waits for its
// window to show the sample's first page, closes it and reads its exit
// status; runs "FOLDER\orvatool.exe info sample.orva" there. Prints what it
// saw and exits 0 when everything held.
#include <cstdio>
#include <string>

#include "base/scoped_win.h"
#include "support/child_process_win.h"
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
    ChildOptions options;
    options.output = ChildOptions::Output::Inherit;
    options.directory = folder;
    ChildProcess viewer(folder + L"\\OrvaReader.exe", L"sample.orva", options);
    report(viewer.started(), "OrvaReader.exe starts");
    if (!viewer.started()) return;
    HWND window = findProcessWindow(viewer.id(), "OrvaReaderWnd");
    report(window != nullptr, "its main window comes up");
    if (window == nullptr) return;
    const std::wstring title = waitForTitleWhere(window, showsFirstPage);
    report(showsFirstPage(title), "its title names the sample's first page: \"" + narrow(title) + "\"");
    PostMessageW(window, WM_CLOSE, 0, 0);
    const DWORD status = viewer.waitForExit();
    report(status == 0, "it closes with status " + std::to_string(status));
}

void checkTool(const std::wstring& folder) {
    ChildOptions options;
    options.directory = folder;
    ChildProcess tool(folder + L"\\orvatool.exe", L"info sample.orva", options);
    report(tool.started(), "orvatool.exe starts");
    if (!tool.started()) return;
    const ProgramRun run = tool.finish();
    report(run.exitCode == 0, "orvatool info sample.orva exits with status " + std::to_string(run.exitCode));
    report(run.output.find(narrow(kSampleTitle)) != std::string::npos, "and names the sample's title");
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
