// Opening a PDF (page count and first page) and rendering one more page
// through the viewer's backend, against the same poppler commands started
// directly, in the same run, and against the start of a trivial process.
// Twice: with the Windows poppler the release ships (bundled-poppler), and
// with the bridge programs to the host's tools; either way both sides run the
// very same programs.
//   pdf_winbench [PDF]   (default: a PDF that a Debian package ships)
#include <windows.h>

#include <cstdio>
#include <string>

#include "document/page_request.h"
#include "harness/win_timer.h"
#include "pdf/pdf_backend.h"
#include "support/child_process_win.h"
#include "support/test_document.h"
#include "support/wide_text_win.h"

using namespace orva;

namespace {

std::string quoted(const std::string& text) {
    std::string out(1, '"');
    out += text;
    out += '"';
    return out;
}

std::string programFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/"));
}

// Starts a program and waits for it, its output discarded.
void runAndWait(const std::string& program, const std::string& arguments, const std::string& directory = "") {
    testing::ChildOptions options;
    options.output = testing::ChildOptions::Output::Discard;
    options.directory = testing::widen(directory);
    testing::ChildProcess child(program, arguments, options);
    if (!child.started()) std::printf("cannot start %s\n", program.c_str());
    child.waitForExit(INFINITE);
}

void emptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE) return;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((folder + "\\" + entry.cFileName).c_str());
    } while (FindNextFileA(listing, &entry));
    FindClose(listing);
}

void compare(const char* what, const bench::Timing& viewer, const bench::Timing& direct,
             const bench::Timing& trivial) {
    const double allowed = direct.median * 1.10 + trivial.median;
    std::printf("%s: viewer %.1f ms, direct %.1f ms, overhead %.1f ms (%.1f%%); allowed %.1f ms: %s\n", what,
                viewer.median * 1e3, direct.median * 1e3, (viewer.median - direct.median) * 1e3,
                (viewer.median / direct.median - 1) * 100, allowed * 1e3, viewer.median <= allowed ? "within" : "OVER");
}

// Both sides with the tools in `tools`, named `name` in the report.
void benchTools(const char* name, const std::string& tools, const std::string& pdf, const std::string& root,
                const bench::Timing& trivial) {
    if (GetFileAttributesA((tools + "\\pdftoppm.exe").c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("%s: no pdftoppm.exe in %s\n", name, tools.c_str());
        return;
    }
    std::printf("-- %s: %s\n", name, tools.c_str());
    const std::string direct = root + "\\direct";
    CreateDirectoryA(direct.c_str(), nullptr);
    SetEnvironmentVariableA("PATH", tools.c_str());
    const std::string pdfinfo = tools + "\\pdfinfo.exe", pdftoppm = tools + "\\pdftoppm.exe";
    const auto pageArguments = [&](int page) {
        return "-q -f " + std::to_string(page) + " -l " + std::to_string(page) + " -r 150 " + quoted(pdf) + " page";
    };

    Allocator allocator;
    const auto directOpen = bench::measure(
        [&] {
            runAndWait(pdfinfo, quoted(pdf));
            runAndWait(pdftoppm, pageArguments(1), direct);
            emptyFolder(direct);
        },
        5, 0);
    bench::report("direct: pdfinfo + pdftoppm page 1", directOpen);
    const auto viewerOpen = bench::measure(
        [&] {
            auto count = queryPdfPageCount(allocator, pdf);
            if (!count) std::printf("page count: %s\n", errorName(count.error()).data());
            Document document = testing::unrenderedPdf(allocator, pdf, count ? *count : 1);
            if (auto loaded = ensurePageLoaded(document, 0); !loaded)
                std::printf("page 1: %s\n", errorName(loaded.error()).data());
        },
        5, 0);
    bench::report("viewer: open (count + first page)", viewerOpen);

    const auto directPage = bench::measure(
        [&] {
            runAndWait(pdftoppm, pageArguments(2), direct);
            emptyFolder(direct);
        },
        5, 0);
    bench::report("direct: pdftoppm page 2", directPage);
    Document document = testing::unrenderedPdf(allocator, pdf, 2);
    const auto viewerPage = bench::measure(
        [&] {
            document.pages[1] = PageImage{};
            if (auto loaded = ensurePageLoaded(document, 1); !loaded)
                std::printf("page 2: %s\n", errorName(loaded.error()).data());
        },
        5, 0);
    bench::report("viewer: render page 2", viewerPage);

    compare("open", viewerOpen, directOpen, trivial);
    compare("one more page", viewerPage, directPage, trivial);
    RemoveDirectoryA(direct.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--trivial") return 0;
    const std::string pdf = argc > 1 ? argv[1] : "Z:\\usr\\share\\doc\\libtasn1-doc\\libtasn1.pdf";
    if (GetFileAttributesA(pdf.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("pdf_winbench: no %s\n", pdf.c_str());
        return 0;
    }
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "orva-pdf-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(root.c_str(), nullptr);
    SetEnvironmentVariableA("TEMP", root.c_str());

    const auto trivial = bench::measure([&] { runAndWait(argv[0], "--trivial"); }, 10, 1.0);
    bench::report("start a trivial process", trivial);
    benchTools("the bundled Windows poppler", programFolder() + "\\..\\bundled-poppler\\poppler", pdf, root, trivial);
    benchTools("the bridge to the host's poppler", programFolder() + "\\..\\poppler", pdf, root, trivial);
    RemoveDirectoryA((root + "\\Orva").c_str());
    RemoveDirectoryA(root.c_str());
    return 0;
}
