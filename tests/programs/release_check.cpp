// Checks an unpacked release as a user meets it:
//   release_check FOLDER [PDF]
// starts FOLDER\OrvaReader.exe on sample.orva, in FOLDER, waits for its
// window to show the sample's first page, closes it and reads its exit
// status; runs "FOLDER\orvatool.exe info sample.orva" there. With PDF, also
// opens that PDF with a PATH that holds no poppler, so that only the release's
// own poppler folder can draw it, pages to its last page, and checks that the
// work folder is left empty. Prints what it saw and exits 0 when everything
// held.
#include <cstdio>
#include <filesystem>
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

// "STEM - Page N/COUNT (Z%) - OrvaReader", whatever the zoom Z, where `page`
// begins "N/COUNT (".
auto showsPage(const std::wstring& stem, const std::wstring& page) {
    return [head = stem + L" - Page " + page, tail = std::wstring(L"%) - OrvaReader")](const std::wstring& title) {
        return title.size() > head.size() + tail.size() && title.starts_with(head) && title.ends_with(tail);
    };
}

void checkPdf(const std::wstring& folder, const std::wstring& pdf) {
    const std::filesystem::path path(pdf);
    report(!std::filesystem::exists(L"C:\\poppler") && !std::filesystem::exists(folder + L"\\pdftoppm.exe"),
           "no poppler but the release's own poppler folder is where the viewer looks");
    const std::wstring temp = folder + L"\\temp";
    std::filesystem::create_directories(temp);
    ChildOptions options;
    options.output = ChildOptions::Output::Inherit;
    options.directory = folder;
    options.variables = {{L"PATH", L"C:\\windows\\system32;C:\\windows"}, {L"PDFTOPPM_PATH", L""},
                         {L"POPPLER_DATADIR", L""}, {L"TEMP", temp}, {L"TMP", temp}};
    ChildProcess viewer(folder + L"\\OrvaReader.exe", L"\"" + pdf + L"\"", options);
    report(viewer.started(), "OrvaReader.exe starts on " + narrow(pdf));
    if (!viewer.started()) return;
    HWND window = findProcessWindow(viewer.id(), "OrvaReaderWnd");
    report(window != nullptr, "its main window comes up");
    if (window == nullptr) return;
    const std::wstring stem = path.stem().wstring();
    std::wstring title = waitForTitleWhere(window, showsPage(stem, L"1/"));
    report(showsPage(stem, L"1/")(title), "it shows the PDF's first page: \"" + narrow(title) + "\"");
    const std::wstring count = title.substr(stem.size() + 10, title.find(L" (") - stem.size() - 10);
    PostMessageW(window, WM_KEYDOWN, VK_END, 0);
    const auto showsLast = showsPage(stem, count + L"/" + count + L" (");
    title = waitForTitleWhere(window, showsLast);
    report(showsLast(title), "End shows its last page: \"" + narrow(title) + "\"");
    PostMessageW(window, WM_CLOSE, 0, 0);
    const DWORD status = viewer.waitForExit();
    report(status == 0, "it closes with status " + std::to_string(status));
    const std::wstring work = temp + L"\\Orva\\work";
    report(!std::filesystem::exists(work) || std::filesystem::is_empty(work), "the work folder is left empty");
    std::filesystem::remove_all(temp);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::printf("usage: release_check FOLDER [PDF]\n");
        return 2;
    }
    const std::wstring folder = widen(argv[1]);
    checkViewer(folder);
    checkTool(folder);
    if (argc == 3) checkPdf(folder, widen(argv[2]));
    return failures == 0 ? 0 : 1;
}
