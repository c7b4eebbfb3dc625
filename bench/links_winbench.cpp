// The links of the shown page with the Windows poppler the release ships:
// for each of the manual's first pages, the time from the page being on the
// screen (painted) to its links being live in the viewer, against
// pdftohtml.exe started directly for the same page; each page once.
//   links_winbench [PDF]   (default: the libtasn1 manual)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/links.h"
#include "app/main_window.h"
#include "app/page_change.h"
#include "harness/win_timer.h"
#include "pdf/pdf_backend.h"
#include "support/child_process_win.h"
#include "support/test_document.h"

using namespace orva;

namespace {

constexpr std::uint32_t kPages = 12;

std::string programFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/"));
}

void pump(const std::function<bool()>& done) {
    MSG message;
    while (!done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double total(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) sum += v;
    return sum;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string pdf = argc > 1 ? argv[1] : "Z:\\usr\\share\\doc\\libtasn1-doc\\libtasn1.pdf";
    const std::string tools = programFolder() + "\\..\\bundled-poppler\\poppler";
    SetEnvironmentVariableA("PATH", tools.c_str());

    static Allocator allocator;
    AppState& state = app();
    state.allocator = &allocator;
    state.instance = GetModuleHandleA(nullptr);
    registerMainWindowClass(state);
    state.mainWindow = createMainWindow(state, 1000, 720);
    ShowWindow(state.mainWindow, SW_SHOWNOACTIVATE);
    auto count = queryPdfPageCount(allocator, pdf);
    if (!count) {
        std::printf("links_winbench: %s: %s\n", pdf.c_str(), errorName(count.error()).data());
        return 0;
    }
    const std::uint32_t pages = std::min(kPages, *count);
    std::printf("%s: %u pages, links of the first %u\n", pdf.c_str(), *count, pages);

    std::vector<double> direct;
    for (std::uint32_t page = 1; page <= pages; ++page) {
        const double t0 = bench::nowSeconds();
        testing::ChildProcess child(tools + "\\pdftohtml.exe", "-xml -i -q -stdout -nodrm -f " + std::to_string(page) +
                                                                   " -l " + std::to_string(page) + " \"" + pdf + "\"");
        child.drain();
        child.waitForExit(INFINITE);
        direct.push_back(bench::nowSeconds() - t0);
    }

    state.document = testing::unrenderedPdf(allocator, pdf, *count);
    state.document.serial = ++state.documentsOpened;
    state.documentLoaded = true;
    std::vector<double> viewer;
    std::size_t links = 0;
    for (std::uint32_t page = 1; page <= pages; ++page) {
        goToPage(state, page - 1);
        // The page is on the screen once the paint has drawn it; its links
        // are asked for after that paint.
        UpdateWindow(state.mainWindow);
        const double t0 = bench::nowSeconds();
        pump([&] { return linksLive(state); });
        viewer.push_back(bench::nowSeconds() - t0);
        links += state.links.links.links.size();
    }
    std::printf("pdftohtml.exe directly, one page:      median %8.1f ms  total %8.1f ms\n", median(direct) * 1e3,
                total(direct) * 1e3);
    std::printf("page shown to its links live (viewer): median %8.1f ms  total %8.1f ms  (%zu links)\n",
                median(viewer) * 1e3, total(viewer) * 1e3, links);

    closeDocument(state);
    DestroyWindow(state.mainWindow);
    return 0;
}
