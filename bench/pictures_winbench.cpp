// The pictures of a PDF page with the Windows poppler the release ships:
// from a zoom to 200 % to the sharp part on the screen, against pdftoppm.exe
// started directly for the same part; and a sheet printed at 600 dpi from
// renders at that resolution, against the 150-dpi picture stretched as
// before, in time and in the memory the program's own buffers peak at.
//   pictures_winbench [PDF [PAGE]]   (default: the libtasn1 manual, page 5)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/open_document.h"
#include "app/page_change.h"
#include "document/page_parts.h"
#include "harness/win_timer.h"
#include "platform/modal_ui.h"
#include "print/print.h"
#include "support/child_process_win.h"
#include "view/view.h"

using namespace orva;

namespace {

std::string programFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/"));
}

void runReading(const std::string& program, const std::string& arguments) {
    testing::ChildProcess child(program, arguments);
    child.drain();
    child.waitForExit(INFINITE);
}

// Dispatches messages until `done`; a minute without it ends the run (a
// part that never comes: a tool missing or failing).
void pump(const std::function<bool()>& done) {
    MSG message;
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (!done()) {
        if (GetTickCount64() > deadline) {
            std::printf("pictures_winbench: no sharp part came within a minute\n");
            std::exit(1);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
}

// A printer of A4 at 600 dpi that is a bitmap in memory: the job's own work
// is timed, not a driver's.
class MemoryPrinter final : public ModalUi {
public:
    MemoryPrinter(int page) : page_(page) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc_ = CreateCompatibleDC(nullptr);
        SelectObject(dc_, bitmap_);
    }
    ~MemoryPrinter() override {
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    int messageBox(HWND, const char* text, const char*, UINT) override {
        std::printf("message: %s\n", text);
        return IDOK;
    }
    BOOL getOpenFileName(OPENFILENAMEA*) override { return FALSE; }
    INT_PTR dialogBox(HWND, const DLGTEMPLATE*, DLGPROC, LPARAM) override { return IDCANCEL; }
    BOOL printDialog(PRINTDLGA* record) override {
        record->hDC = dc_;
        record->Flags |= PD_PAGENUMS;
        record->nFromPage = record->nToPage = static_cast<WORD>(page_);
        return TRUE;
    }
    int startDoc(HDC, const DOCINFOA*) override { return 1; }
    int getDeviceCaps(HDC, int index) override {
        return index == HORZRES ? kWidth : index == VERTRES ? kHeight : index == LOGPIXELSX || index == LOGPIXELSY ? 600 : 0;
    }
    int startPage(HDC) override { return 1; }
    int endPage(HDC) override { return 1; }
    int endDoc(HDC) override { return 1; }
    BOOL deleteDC(HDC) override { return TRUE; }

private:
    static constexpr int kWidth = 4760, kHeight = 6816;  // A4's printable part at 600 dpi
    int page_;
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
};

// The PDF renderer as printing was before: no picture at another resolution.
class PagesOnly final : public PageRenderer {
public:
    explicit PagesOnly(const PageRenderer& pages) : pages_(pages) {}
    Status renderPage(Document& document, std::uint64_t index) const override { return pages_.renderPage(document, index); }

private:
    const PageRenderer& pages_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--trivial") return 0;
    const std::string pdf = argc > 1 ? argv[1] : "Z:\\usr\\share\\doc\\libtasn1-doc\\libtasn1.pdf";
    const int pageNumber = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string tools = programFolder() + "\\..\\bundled-poppler\\poppler";
    SetEnvironmentVariableA("PATH", tools.c_str());

    static Allocator allocator;
    AppState& state = app();
    state.allocator = &allocator;
    state.instance = GetModuleHandleA(nullptr);
    registerMainWindowClass(state);
    state.mainWindow = createMainWindow(state, 1000, 720);
    ShowWindow(state.mainWindow, SW_SHOWDEFAULT);
    openDocument(state, pdf);
    if (!state.documentLoaded) {
        std::printf("pictures_winbench: %s did not open\n", pdf.c_str());
        return 0;
    }
    goToPage(state, static_cast<std::uint64_t>(pageNumber - 1));
    const auto idle = [&] {
        for (std::uint32_t kind = 1; kind < 8; ++kind)
            if (state.document.worker && state.document.worker->pending(kind)) return false;
        return !state.document.worker || !state.document.worker->anyFinished();
    };
    UpdateWindow(state.mainWindow);
    pump(idle);

    const auto trivial = bench::measure([&] { runReading(argv[0], "--trivial"); }, 10, 1.0);
    bench::report("start a trivial process", trivial);

    // From the zoom to the part drawn: the paint, the job, its arrival and
    // the paint that draws it.
    const auto viewer = bench::measure(
        [&] {
            while (releaseOldestPart(state.document) != 0) {
            }
            state.fitMode = FitMode::None;
            state.zoom = 2.0f;
            state.scrollX = 300;
            state.scrollY = 900;
            updateScrollBars(state);
            invalidateMainWindow(state, false);
            const std::uint64_t kept = state.pictureJobs.partsKept;
            UpdateWindow(state.mainWindow);
            pump([&] { return state.pictureJobs.partsKept > kept; });
            UpdateWindow(state.mainWindow);
        },
        5, 2.0);
    bench::report("viewer: zoom to 200 % until the sharp part is drawn", viewer);
    const PartWanted& asked = state.pictureJobs.main;
    const std::string region = "-scale-to-x " + std::to_string(asked.scaled.width) + " -scale-to-y " +
                               std::to_string(asked.scaled.height) + " -x " + std::to_string(asked.rect.x) + " -y " +
                               std::to_string(asked.rect.y) + " -W " + std::to_string(asked.rect.width) + " -H " +
                               std::to_string(asked.rect.height) + " -f " + std::to_string(pageNumber) + " -l " +
                               std::to_string(pageNumber) + " \"" + pdf + "\"";
    const auto direct = bench::measure([&] { runReading(tools + "\\pdftoppm.exe", region); }, 5, 2.0);
    bench::report("direct: pdftoppm.exe for the same part", direct);
    const double allowed = direct.median * 1.10 + trivial.median;
    std::printf("zoom to sharp (%u x %u of %u x %u): viewer %.0f ms, direct %.0f ms (%+.1f%%); allowed %.0f ms: %s\n",
                asked.rect.width, asked.rect.height, asked.scaled.width, asked.scaled.height, viewer.median * 1e3,
                direct.median * 1e3, (viewer.median / direct.median - 1) * 100, allowed * 1e3,
                viewer.median <= allowed ? "within" : "OVER");

    // A sheet at 600 dpi: rendered at that resolution, and as before.
    MemoryPrinter printer(pageNumber);
    ModalUi* previous = setModalUi(&printer);
    const PageRenderer* renderer = state.document.renderer;
    const PagesOnly before(*renderer);
    for (const bool sharp : {true, false}) {
        state.document.renderer = sharp ? renderer : &before;
        std::size_t peak = 0;
        const auto printed = bench::measure(
            [&] {
                allocator.resetPeak();
                const std::size_t base = allocator.liveBytes();
                printDocument(state);
                peak = std::max(peak, allocator.peakBytes() - base);
            },
            3, 0);
        bench::report(sharp ? "a 600-dpi sheet from renders at 600 dpi" : "a 600-dpi sheet from the 150-dpi picture",
                      printed);
        std::printf("  peak of the program's own buffers above what it held: %.1f MiB\n", peak / 1048576.0);
    }
    state.document.renderer = renderer;
    setModalUi(previous);

    closeDocument(state);
    DestroyWindow(state.mainWindow);
    return 0;
}
