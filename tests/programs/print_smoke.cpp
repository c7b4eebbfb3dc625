// A real print job for the smoke test of printing, in two steps:
//   print_smoke print GEOMETRY [all]
//       prints pages 2 to 3 of a five-page document on the default printer,
//       the print dialog answered as a person would (that range, the default
//       printer), and writes to GEOMETRY what the sheets must show: the
//       printer's resolution and sheet, and per printed page its rectangle
//       on the sheet and its two colours. With "all", the job is started by
//       Ctrl+P in the main window and the dialog's default of all pages kept;
//   print_smoke pdf GEOMETRY FILE.pdf POPPLER
//       opens FILE.pdf, a page red above and blue below, with the poppler
//       tools in the folder POPPLER (the only folder on PATH) and prints it;
//   print_smoke page GEOMETRY FILE POPPLER N
//       opens FILE (a PDF, or a container) with the tools in POPPLER and
//       prints its page N alone; GEOMETRY names the page's rectangle;
//   print_smoke verify GEOMETRY SHEET.ppm...
//       checks the rasterised sheets of the printed file against GEOMETRY;
//   print_smoke sharpness GEOMETRY REFERENCE.ppm SHARP.ppm TODAY.ppm CRISP.ppm
//       compares three sheets of one text page inside the rectangle GEOMETRY
//       names with REFERENCE, the page rendered at the printer's resolution
//       to that rectangle's size: the job that rendered it so (SHARP), one
//       that stretched the 150-dpi picture (TODAY) and that picture printed
//       one to one (CRISP). It prints each one's share of grey edge pixels
//       and its difference from REFERENCE, and fails unless SHARP is as
//       sharp as CRISP and as close to REFERENCE, give or take a little.
// Exit status 0 when all is well, 1 on a wrong result, 3 without a printer.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/open_document.h"
#include "document/page_request.h"
#include "platform/modal_ui.h"
#include "print/print.h"
#include "print/print_layout.h"

#include <winspool.h>

using namespace orva;

namespace {

struct Page {
    std::uint32_t width, height;
    std::uint32_t top, bottom;  // 0xRRGGBB
};

// Page 2 portrait, page 3 landscape, so both sides of the fit are printed.
const Page kPages[] = {
    {200, 200, 0x808080, 0x808080}, {170, 220, 0xC81E1E, 0x1E1EC8}, {220, 170, 0x1EA01E, 0xA01EA0},
    {200, 200, 0x404040, 0x404040}, {200, 200, 0xE0E000, 0xE0E000},
};

bool installDocument(AppState& state) {
    Allocator& allocator = *state.allocator;
    auto pages = OwnedArray<PageImage>::create(allocator, std::size(kPages));
    if (!pages) return false;
    for (std::size_t i = 0; i < std::size(kPages); ++i) {
        const Page& wanted = kPages[i];
        auto pixels = ByteBuffer::create(allocator, std::size_t{wanted.width} * wanted.height * 3);
        if (!pixels) return false;
        for (std::uint32_t y = 0; y < wanted.height; ++y) {
            const std::uint32_t colour = y < wanted.height / 2 ? wanted.top : wanted.bottom;
            for (std::uint32_t x = 0; x < wanted.width; ++x) {
                std::uint8_t* pixel = pixels->data() + (std::size_t{y} * wanted.width + x) * 3;
                pixel[0] = colour & 0xFF;
                pixel[1] = (colour >> 8) & 0xFF;
                pixel[2] = (colour >> 16) & 0xFF;
            }
        }
        PageImage& page = (*pages)[i];
        page.pixels = std::move(*pixels);
        page.present = true;
        page.width = wanted.width;
        page.height = wanted.height;
    }
    state.document.allocator = &allocator;
    state.document.dpi = 150;
    state.document.pages = std::move(*pages);
    state.documentLoaded = true;
    return true;
}

// The person at the screen: picks the default printer and pages 2 to 3 and
// reads no message box; the printer calls go to the system.
class PersonAtTheDialog final : public ModalUi {
public:
    PersonAtTheDialog(std::string printer, int from, int to, ModalUi& system)
        : printer_(std::move(printer)), from_(from), to_(to), system_(system) {}

    int messageBox(HWND, const char* text, const char*, UINT) override {
        messages.emplace_back(text);
        return IDOK;
    }
    BOOL getOpenFileName(OPENFILENAMEA*) override { return FALSE; }
    INT_PTR dialogBox(HWND, const DLGTEMPLATE*, DLGPROC, LPARAM) override { return IDCANCEL; }
    BOOL printDialog(PRINTDLGA* record) override {
        record->hDC = CreateDCA("WINSPOOL", printer_.c_str(), nullptr, nullptr);
        if (record->hDC == nullptr) return FALSE;
        if (from_ != 0) {
            record->Flags |= PD_PAGENUMS;
            record->nFromPage = static_cast<WORD>(from_);
            record->nToPage = static_cast<WORD>(to_);
        }
        for (int index : {HORZRES, VERTRES, PHYSICALWIDTH, PHYSICALHEIGHT, PHYSICALOFFSETX, PHYSICALOFFSETY,
                          LOGPIXELSX, LOGPIXELSY})
            caps.push_back(GetDeviceCaps(record->hDC, index));
        return TRUE;
    }
    int startDoc(HDC printer, const DOCINFOA* job) override { return system_.startDoc(printer, job); }
    int getDeviceCaps(HDC printer, int index) override { return system_.getDeviceCaps(printer, index); }
    int startPage(HDC printer) override { return system_.startPage(printer); }
    int endPage(HDC printer) override { return system_.endPage(printer); }
    int endDoc(HDC printer) override { return system_.endDoc(printer); }
    BOOL deleteDC(HDC printer) override { return system_.deleteDC(printer); }

    std::vector<std::string> messages;
    std::vector<int> caps;

private:
    std::string printer_;
    int from_, to_;
    ModalUi& system_;
};

// Ctrl+P as a person presses it in the main window.
bool printFromMainWindow(AppState& state) {
    state.instance = GetModuleHandleA(nullptr);
    registerMainWindowClass(state);
    state.mainWindow = createMainWindow(state, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    if (state.mainWindow == nullptr) return false;
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(state.mainWindow, WM_KEYDOWN, 'P', 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    DestroyWindow(state.mainWindow);
    return true;
}

// The pages of an opened file as the viewer rendered them: the one page of
// the colours PDF in the colours it was drawn with, or page `only` of any
// other (its colours not checked).
std::vector<Page> filePages(AppState& state, int only) {
    if (!state.documentLoaded) return {};
    const std::uint64_t index = only == 0 ? 0 : static_cast<std::uint64_t>(only - 1);
    if ((only == 0 && state.document.pageCount() != 1) || index >= state.document.pageCount()) return {};
    if (!ensurePageLoaded(state.document, index)) return {};
    const PageImage& page = state.document.pages[index];
    std::vector<Page> pages(index + 1, Page{0, 0, 0, 0});
    pages[index] = {page.width, page.height, 0xFF0000, 0x0000FF};
    return pages;
}

int print(const char* geometryPath, bool wholeDocument, const char* pdf = nullptr, int only = 0) {
    char printer[512] = {};
    DWORD size = sizeof printer;
    if (!GetDefaultPrinterA(printer, &size)) {
        std::fprintf(stderr, "print_smoke: no default printer\n");
        return 3;
    }
    Allocator allocator;
    AppState& state = app();
    state.allocator = &allocator;
    ModalUi* system = setModalUi(nullptr);
    const int from = only != 0 ? only : wholeDocument ? 0 : 2, to = only != 0 ? only : 3;
    PersonAtTheDialog person(printer, from, to, *system);
    setModalUi(&person);
    std::vector<Page> pages(std::begin(kPages), std::end(kPages));
    if (pdf != nullptr) {
        openDocument(state, pdf);
        pages = filePages(state, only);
        if (pages.empty()) {
            std::fprintf(stderr, "print_smoke: %s did not open with that page%s%s\n", pdf,
                         person.messages.empty() ? "" : ": ", person.messages.empty() ? "" : person.messages[0].c_str());
            return 1;
        }
    } else if (!installDocument(state)) {
        return 1;
    }
    const int firstPrinted = only != 0 ? only : wholeDocument ? 1 : 2;
    const int lastPrinted = only != 0 ? only : wholeDocument ? static_cast<int>(pages.size()) : 3;
    if (pdf != nullptr) {
        printDocument(state);
    } else if (wholeDocument) {
        if (!printFromMainWindow(state)) std::fprintf(stderr, "print_smoke: no main window\n");
    } else {
        printDocument(state);
    }
    setModalUi(nullptr);
    closeDocument(state);
    for (const std::string& message : person.messages) std::fprintf(stderr, "print_smoke: message \"%s\"\n", message.c_str());
    if (person.caps.size() != 8) {
        std::fprintf(stderr, "print_smoke: no device context for \"%s\"\n", printer);
        return 1;
    }
    if (!person.messages.empty()) return 1;
    if (allocator.liveBlocks() != 0) {
        std::fprintf(stderr, "print_smoke: %zu blocks left\n", allocator.liveBlocks());
        return 1;
    }
    const std::vector<int>& c = person.caps;
    FILE* out = std::fopen(geometryPath, "w");
    if (out == nullptr) return 1;
    std::fprintf(out, "printer %s\n", printer);
    std::fprintf(out, "resolution %d %d\nprintable %d %d\nsheet %d %d\noffset %d %d\n", c[6], c[7], c[0], c[1], c[2],
                 c[3], c[4], c[5]);
    for (int number = firstPrinted; number <= lastPrinted; ++number) {
        const Page& page = pages[number - 1];
        const PlacedRect place =
            placePrintedPage(usablePrintExtent(c[0]), usablePrintExtent(c[1]), page.width, page.height);
        // The printable area starts at the physical offset on the sheet.
        std::fprintf(out, "page %d %d %d %d %06X %06X\n", c[4] + place.x, c[5] + place.y, place.width, place.height,
                     page.top, page.bottom);
    }
    std::fclose(out);
    std::printf("print_smoke: printed pages %d to %d on \"%s\": %d x %d dpi, printable %d x %d of %d x %d at (%d, %d)\n",
                firstPrinted, lastPrinted, printer, c[6], c[7], c[0], c[1], c[2], c[3], c[4], c[5]);
    return 0;
}

struct Raster {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    std::uint32_t at(int x, int y) const {
        const unsigned char* p = rgb.data() + (std::size_t(y) * width + x) * 3;
        return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
    }
};

bool readPpm(const char* path, Raster& raster) {
    FILE* in = std::fopen(path, "rb");
    if (in == nullptr) return false;
    int maxValue = 0;
    const bool header = std::fscanf(in, "P6 %d %d %d", &raster.width, &raster.height, &maxValue) == 3 &&
                        maxValue == 255 && std::fgetc(in) != EOF;
    bool ok = false;
    if (header && raster.width > 0 && raster.height > 0) {
        raster.rgb.resize(std::size_t(raster.width) * raster.height * 3);
        ok = std::fread(raster.rgb.data(), 1, raster.rgb.size(), in) == raster.rgb.size();
    }
    std::fclose(in);
    return ok;
}

bool closeTo(std::uint32_t got, std::uint32_t want, int tolerance) {
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((got >> shift) & 0xFF), b = static_cast<int>((want >> shift) & 0xFF);
        if (std::abs(a - b) > tolerance) return false;
    }
    return true;
}

int verify(const char* geometryPath, int sheetCount, char** sheets) {
    FILE* in = std::fopen(geometryPath, "r");
    if (in == nullptr) return 1;
    char line[600];
    int sheetWidth = 0, sheetHeight = 0;
    struct Expected {
        int x, y, w, h;
        unsigned top, bottom;
    };
    std::vector<Expected> pages;
    while (std::fgets(line, sizeof line, in)) {
        Expected e{};
        if (std::sscanf(line, "sheet %d %d", &sheetWidth, &sheetHeight) == 2) continue;
        if (std::sscanf(line, "page %d %d %d %d %X %X", &e.x, &e.y, &e.w, &e.h, &e.top, &e.bottom) == 6)
            pages.push_back(e);
    }
    std::fclose(in);
    if (static_cast<int>(pages.size()) != sheetCount) {
        std::fprintf(stderr, "print_smoke: %d sheets printed, %zu expected\n", sheetCount, pages.size());
        return 1;
    }
    int failures = 0;
    auto check = [&](bool ok, int sheet, const char* what, long got, long want) {
        if (ok) return;
        std::fprintf(stderr, "print_smoke: sheet %d: %s is %ld, expected %ld\n", sheet + 1, what, got, want);
        ++failures;
    };
    for (int s = 0; s < sheetCount; ++s) {
        Raster raster;
        if (!readPpm(sheets[s], raster)) {
            std::fprintf(stderr, "print_smoke: cannot read %s\n", sheets[s]);
            return 1;
        }
        check(std::abs(raster.width - sheetWidth) <= 2, s, "sheet width", raster.width, sheetWidth);
        check(std::abs(raster.height - sheetHeight) <= 2, s, "sheet height", raster.height, sheetHeight);
        // Ink: anything clearly darker than the paper.
        int left = raster.width, top = raster.height, right = 0, bottom = 0;
        for (int y = 0; y < raster.height; ++y)
            for (int x = 0; x < raster.width; ++x) {
                const std::uint32_t c = raster.at(x, y);
                if (std::min({c >> 16, (c >> 8) & 0xFF, c & 0xFF}) >= 200) continue;
                left = std::min(left, x), top = std::min(top, y);
                right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
            }
        const Expected& e = pages[s];
        check(std::abs(left - e.x) <= 2, s, "left edge", left, e.x);
        check(std::abs(top - e.y) <= 2, s, "top edge", top, e.y);
        check(std::abs(right - (e.x + e.w)) <= 2, s, "right edge", right, e.x + e.w);
        check(std::abs(bottom - (e.y + e.h)) <= 2, s, "bottom edge", bottom, e.y + e.h);
        if (right <= left || bottom <= top) continue;
        const int midX = e.x + e.w / 2;
        const std::uint32_t upper = raster.at(midX, e.y + e.h / 4);
        const std::uint32_t lower = raster.at(midX, e.y + e.h - 1 - e.h / 4);
        check(closeTo(upper, e.top, 40), s, "upper colour", upper, e.top);
        check(closeTo(lower, e.bottom, 40), s, "lower colour", lower, e.bottom);
        std::printf("print_smoke: sheet %d: %d x %d, ink (%d, %d)-(%d, %d), expected (%d, %d)-(%d, %d)\n", s + 1,
                    raster.width, raster.height, left, top, right, bottom, e.x, e.y, e.x + e.w, e.y + e.h);
    }
    return failures == 0 ? 0 : 1;
}

// Inside the page's rectangle: the share of inked pixels (anything short of
// the paper's white) that are grey edge pixels rather than solid ink, and the
// mean difference from the reference, per channel.
struct Sharpness {
    double greyShare = 0;
    double difference = 0;
};

Sharpness measure(const Raster& sheet, const Raster& reference, int left, int top) {
    std::size_t inked = 0, grey = 0;
    double difference = 0;
    for (int y = 0; y < reference.height; ++y) {
        for (int x = 0; x < reference.width; ++x) {
            const std::uint32_t c = sheet.at(left + x, top + y), r = reference.at(x, y);
            const unsigned lo = std::min({c >> 16, (c >> 8) & 0xFF, c & 0xFF});
            const unsigned hi = std::max({c >> 16, (c >> 8) & 0xFF, c & 0xFF});
            if (hi < 250) {
                ++inked;
                grey += lo >= 64;
            }
            for (int shift : {0, 8, 16}) difference += std::abs(int((c >> shift) & 0xFF) - int((r >> shift) & 0xFF));
        }
    }
    return {inked == 0 ? 0 : double(grey) / double(inked), difference / (3.0 * reference.width * reference.height)};
}

int sharpness(const char* geometryPath, char** sheets) {
    FILE* in = std::fopen(geometryPath, "r");
    if (in == nullptr) return 1;
    char line[600];
    int x = -1, y = -1, w = 0, h = 0;
    while (std::fgets(line, sizeof line, in)) std::sscanf(line, "page %d %d %d %d", &x, &y, &w, &h);
    std::fclose(in);
    Raster reference, sheet[3];
    if (!readPpm(sheets[0], reference) || reference.width != w || reference.height != h) {
        std::fprintf(stderr, "print_smoke: the reference is not %d x %d\n", w, h);
        return 1;
    }
    const char* names[] = {"rendered at the printer's resolution", "today's 150-dpi picture stretched",
                           "a crisp picture one to one"};
    Sharpness got[3];
    for (int i = 0; i < 3; ++i) {
        if (!readPpm(sheets[i + 1], sheet[i]) || sheet[i].width < x + w || sheet[i].height < y + h) {
            std::fprintf(stderr, "print_smoke: cannot read %s\n", sheets[i + 1]);
            return 1;
        }
        got[i] = measure(sheet[i], reference, x, y);
        std::printf("print_smoke: %s: %.1f %% of inked pixels grey, %.2f levels from the render on average\n",
                    names[i], 100 * got[i].greyShare, got[i].difference);
    }
    // As sharp as the crisp picture and as close to the render, give or take
    // the little that two renders of one page by two builds of the tool differ.
    const bool sharp = got[0].greyShare <= got[2].greyShare + 0.03 && got[0].greyShare + 0.08 < got[1].greyShare;
    const bool close = got[0].difference <= got[2].difference + 1.0 && got[0].difference < got[1].difference;
    if (!sharp) std::fprintf(stderr, "print_smoke: the printed text is not as sharp as the crisp picture\n");
    if (!close) std::fprintf(stderr, "print_smoke: the printed text is not where the render puts it\n");
    return sharp && close ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "print") == 0) return print(argv[2], false);
    if (argc == 4 && std::strcmp(argv[1], "print") == 0 && std::strcmp(argv[3], "all") == 0) return print(argv[2], true);
    if (argc == 5 && std::strcmp(argv[1], "pdf") == 0) {
        SetEnvironmentVariableA("PATH", argv[4]);
        SetEnvironmentVariableA("PDFTOPPM_PATH", nullptr);
        return print(argv[2], true, argv[3]);
    }
    if (argc == 6 && std::strcmp(argv[1], "page") == 0) {
        SetEnvironmentVariableA("PATH", argv[4]);
        SetEnvironmentVariableA("PDFTOPPM_PATH", nullptr);
        return print(argv[2], true, argv[3], std::atoi(argv[5]));
    }
    if (argc >= 3 && std::strcmp(argv[1], "verify") == 0) return verify(argv[2], argc - 3, argv + 3);
    if (argc == 7 && std::strcmp(argv[1], "sharpness") == 0) return sharpness(argv[2], argv + 3);
    std::fprintf(stderr, "usage: print_smoke print GEOMETRY [all] | pdf GEOMETRY FILE.pdf POPPLER | page GEOMETRY FILE POPPLER N"
                         " | verify GEOMETRY SHEET.ppm... | sharpness GEOMETRY REFERENCE.ppm SHARP.ppm TODAY.ppm CRISP.ppm\n");
    return 2;
}
