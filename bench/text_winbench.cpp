// The text layer with the Windows poppler the release ships: the text of
// the manual joined ten times (360 pages) fetched and read by the viewer, in
// its runs of pages on its worker, against pdftotext.exe started directly
// for the same runs; a search over those pages in memory; the memory their
// text holds; and a fit-width paint with the hits of a page marked against
// one without.
//   text_winbench [PDF]   (default: the libtasn1 manual, joined ten times)
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/app_state.h"
#include "app/document_jobs.h"
#include "app/main_window.h"
#include "app/page_text.h"
#include "document/page_request.h"
#include "harness/win_timer.h"
#include "pdf/pdf_backend.h"
#include "support/child_process_win.h"
#include "support/painted_bitmap_win.h"
#include "support/test_document.h"
#include "support/wide_text_win.h"
#include "view/paint.h"

using namespace orva;

namespace {

constexpr std::uint32_t kRun = 24;

std::string programFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/"));
}

// Its output read, through a pipe, as the viewer reads its tools'.
void runReading(const std::string& program, const std::string& arguments) {
    testing::ChildProcess child(program, arguments);
    child.drain();
    child.waitForExit(INFINITE);
}

void pump(const std::function<bool()>& done) {
    MSG message;
    while (!done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--trivial") return 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "orva-text-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(root.c_str(), nullptr);
    std::string pdf = argc > 1 ? argv[1] : root + "\\long.pdf";
    if (argc <= 1) {
        const std::string manual = "/usr/share/doc/libtasn1-doc/libtasn1.pdf";
        std::string joined;
        for (int i = 0; i < 10; ++i) joined += manual + " ";
        const std::string host = testing::hostPath(pdf);
        testing::runHostProgram(L"/bin/sh", testing::widen("/bin/sh -c \"pdfunite " + joined + "'" + host + "'\""),
                                [&] { return GetFileAttributesA(pdf.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
    }
    const std::string tools = programFolder() + "\\..\\bundled-poppler\\poppler";
    SetEnvironmentVariableA("PATH", tools.c_str());
    SetEnvironmentVariableA("TEMP", root.c_str());

    static Allocator allocator;
    AppState& state = app();
    state.allocator = &allocator;
    state.instance = GetModuleHandleA(nullptr);
    registerMainWindowClass(state);
    state.mainWindow = createMainWindow(state, 1000, 720);
    auto count = queryPdfPageCount(allocator, pdf);
    if (!count) {
        std::printf("text_winbench: %s: %s\n", pdf.c_str(), errorName(count.error()).data());
        return 0;
    }
    std::printf("%s: %u pages, runs of %u pages\n", pdf.c_str(), *count, kRun);

    const auto trivial = bench::measure([&] { runReading(argv[0], "--trivial"); }, 10, 1.0);
    bench::report("start a trivial process", trivial);
    const auto direct = bench::measure(
        [&] {
            for (std::uint32_t first = 1; first <= *count; first += kRun) {
                const std::uint32_t last = std::min(first + kRun - 1, *count);
                runReading(tools + "\\pdftotext.exe", "-bbox-layout -enc UTF-8 -f " + std::to_string(first) +
                                                             " -l " + std::to_string(last) + " \"" + pdf + "\" -");
            }
        },
        3, 0);
    bench::report("direct: pdftotext.exe, every run", direct);

    std::uint64_t textBytes = 0, words = 0, heldBytes = 0;
    const auto viewer = bench::measure(
        [&] {
            closeDocument(state);
            state.document = testing::unrenderedPdf(allocator, pdf, *count);
            state.document.serial = ++state.documentsOpened;
            state.documentLoaded = true;
            const std::size_t before = allocator.liveBytes();
            // As a search asks: the next page without text, a run from it.
            for (std::uint64_t page = 0; page < *count;) {
                if (needPageText(state, page, true, kRun) == TextNeed::Coming)
                    pump([&] { return state.document.text.state(page) != TextState::Fetching; });
                while (page < *count && state.document.text.state(page) == TextState::Fetched) ++page;
                if (page < *count && state.document.text.state(page) == TextState::Failed) break;
            }
            heldBytes = allocator.liveBytes() - before;
        },
        3, 0);
    bench::report("viewer: fetch and read every run", viewer);
    const double allowed = direct.median * 1.10 + trivial.median;
    std::printf("text of %u pages: viewer %.0f ms, direct %.0f ms (%+.1f%%); allowed %.0f ms: %s\n", *count,
                viewer.median * 1e3, direct.median * 1e3, (viewer.median / direct.median - 1) * 100, allowed * 1e3,
                viewer.median <= allowed ? "within" : "OVER");
    const DocumentText& text = state.document.text;
    for (const PageText& page : text.pages) {
        textBytes += page.text.size();
        words += page.words.size();
    }
    std::printf("text layer: %llu words, %.2f MB of text, %.2f MiB held (page budget counts %.2f MiB)\n",
                static_cast<unsigned long long>(words), textBytes / 1e6, heldBytes / 1048576.0,
                text.heldBytes / 1048576.0);

    auto query = prepareQuery(allocator, "asn1_der_decoding", false);
    std::size_t hits = 0;
    const auto search = bench::measure([&] {
        hits = 0;
        for (const PageText& page : text.pages) {
            if (auto found = findOnPage(allocator, page, *query)) hits += found->size();
        }
    });
    bench::report("search every page in memory", search);
    std::printf("search: %zu hits of asn1_der_decoding in %u pages\n", hits, *count);

    // The paint: fit width, page 23 of the manual (four hits), with and
    // without its hits marked.
    state.currentPage = 22;
    if (auto loaded = ensurePageLoaded(state.document, 22); !loaded) {
        std::printf("page 23: %s\n", errorName(loaded.error()).data());
        return 0;
    }
    RECT client{0, 0, 1276 + 228, 1650};
    testing::PaintedBitmap bitmap(client.right, client.bottom);
    state.zoom = 1.0f;
    const auto plain = bench::measure([&] { paintClient(state, bitmap.dc(), client); }, 20, 1.0);
    bench::report("fit-width paint", plain);
    state.marks.page = 22;
    state.marks.hits = std::move(*findOnPage(allocator, text.pages[22], *query));
    state.marks.currentHit = 0;
    const auto marked = bench::measure([&] { paintClient(state, bitmap.dc(), client); }, 20, 1.0);
    bench::report("fit-width paint with the page's hits marked", marked);
    std::printf("marks: %zu hits cost %.3f ms more (median)\n", state.marks.hits.size(),
                (marked.median - plain.median) * 1e3);

    state.marks = TextMarks{};
    closeDocument(state);
    DestroyWindow(state.mainWindow);
    DeleteFileA((root + "\\long.pdf").c_str());
    RemoveDirectoryA(root.c_str());
    return 0;
}
