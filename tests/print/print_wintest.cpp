#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "print/print.h"
#include "print/print_fixtures_win.h"
#include "print/print_job.h"
#include "print/print_layout.h"
#include "support/fake_poppler_win.h"
#include "support/main_window_fixture_win.h"

namespace orva::testing {
namespace {

using Calls = std::vector<std::string>;

// What one printed sheet showed: where ink fell and the colours at the
// middle of its upper and lower halves.
struct PrintedSheet {
    RECT inked;
    std::uint32_t upper;
    std::uint32_t lower;
};

// The recording stand-in with a readable sheet behind the printer context:
// every EndPage takes a picture of the sheet, every StartPage starts a clean one.
class PrinterUi : public RecordingUi {
public:
    explicit PrinterUi(Sheet& sheet) : sheet_(sheet) {}

    int startPage(HDC printer) override {
        sheet_.fillWhite();
        return RecordingUi::startPage(printer);
    }
    int endPage(HDC printer) override {
        const RECT box = sheet_.inked();
        const int midX = (box.left + box.right) / 2;
        const int quarter = (box.bottom - box.top) / 4;
        printed.push_back({box, box.right > 0 ? sheet_.at(midX, box.top + quarter) : 0u,
                           box.right > 0 ? sheet_.at(midX, box.bottom - 1 - quarter) : 0u});
        return RecordingUi::endPage(printer);
    }

    // The dialog confirmed on `sheet`, for all pages or for from..to.
    void confirm(int from = 0, int to = 0) {
        HDC dc = sheet_.dc();
        answerPrint = [dc, from, to](PRINTDLGA* record) {
            record->hDC = dc;
            if (from != 0) {
                record->Flags |= PD_PAGENUMS;
                record->nFromPage = static_cast<WORD>(from);
                record->nToPage = static_cast<WORD>(to);
            }
            return TRUE;
        };
    }

    std::vector<PrintedSheet> printed;

private:
    Sheet& sheet_;
};

class Printing : public MainWindowTest {
protected:
    static constexpr int kSheetWidth = 600;
    static constexpr int kSheetHeight = 800;

    void SetUp() override {
        MainWindowTest::SetUp();
        printer.horzRes = kSheetWidth;
        printer.vertRes = kSheetHeight;
    }

    // Expects the sheets to carry exactly these pages, placed by the rule.
    void expectSheets(const std::vector<TestPage>& pages, const std::vector<std::size_t>& indexes) {
        ASSERT_EQ(printer.printed.size(), indexes.size());
        for (std::size_t s = 0; s < indexes.size(); ++s) {
            const TestPage& page = pages[indexes[s]];
            const PlacedRect place = placePrintedPage(usablePrintExtent(printer.horzRes),
                                                      usablePrintExtent(printer.vertRes), page.width, page.height);
            const PrintedSheet& got = printer.printed[s];
            EXPECT_EQ(got.inked.left, place.x) << "sheet " << s;
            EXPECT_EQ(got.inked.top, place.y) << "sheet " << s;
            EXPECT_EQ(got.inked.right, place.x + place.width) << "sheet " << s;
            EXPECT_EQ(got.inked.bottom, place.y + place.height) << "sheet " << s;
            EXPECT_EQ(got.upper, page.top) << "sheet " << s;
            EXPECT_EQ(got.lower, page.bottom) << "sheet " << s;
        }
    }

    void expectOneMessage(const char* text, UINT style) {
        ASSERT_EQ(printer.messages.size(), 1u);
        EXPECT_EQ(printer.messages[0].text, text);
        EXPECT_EQ(printer.messages[0].caption, "OrvaReader");
        EXPECT_EQ(printer.messages[0].style, style);
        EXPECT_EQ(printer.messages[0].owner, window());
    }

    Sheet sheet{kSheetWidth, kSheetHeight};
    PrinterUi printer{sheet};
};

const Calls kJobStart = {"printDialog", "startDoc", "getDeviceCaps(HORZRES)", "getDeviceCaps(VERTRES)"};
// A PDF's job asks for the printer's resolution too, to render its sheets at it.
const Calls kPdfJobStart = {"printDialog",           "startDoc",       "getDeviceCaps(HORZRES)",
                            "getDeviceCaps(VERTRES)", "getDeviceCaps(88)", "getDeviceCaps(90)"};

Calls join(Calls head, const Calls& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST_F(Printing, DialogIsOfferedTheDocumentsPagesWithNoOwnerAndTheHook) {
    installDocument(state(), plainPages(5));
    printDocument(state());
    EXPECT_EQ(printer.calls, Calls{"printDialog"});  // cancelled: nothing else
    EXPECT_TRUE(printer.messages.empty());
    ASSERT_EQ(printer.printRecords.size(), 1u);
    const PRINTDLGA& record = printer.printRecords[0];
    EXPECT_EQ(record.lStructSize, 120u);
    EXPECT_EQ(record.hwndOwner, nullptr);
    EXPECT_EQ(record.hDevMode, nullptr);
    EXPECT_EQ(record.hDevNames, nullptr);
    EXPECT_EQ(record.hDC, nullptr);
    EXPECT_EQ(record.Flags, 0x41100u);
    EXPECT_EQ(record.nFromPage, 1);
    EXPECT_EQ(record.nToPage, 5);
    EXPECT_EQ(record.nMinPage, 1);
    EXPECT_EQ(record.nMaxPage, 5);
    EXPECT_EQ(record.nCopies, 0);
    EXPECT_EQ(record.hInstance, nullptr);
    EXPECT_EQ(record.lCustData, 0);
    EXPECT_EQ(record.lpfnPrintHook, &printDialogHook);
    EXPECT_EQ(record.lpfnSetupHook, nullptr);
    EXPECT_EQ(record.lpPrintTemplateName, nullptr);
    EXPECT_EQ(record.lpSetupTemplateName, nullptr);
    EXPECT_EQ(record.hPrintTemplate, nullptr);
    EXPECT_EQ(record.hSetupTemplate, nullptr);
}

TEST_F(Printing, HookOnlyAnswersTheDialogsInitialisation) {
    EXPECT_EQ(printDialogHook(nullptr, WM_INITDIALOG, 0, 0), TRUE);
    for (UINT message : {UINT{WM_COMMAND}, UINT{WM_DESTROY}, UINT{WM_PAINT}, UINT{WM_NOTIFY}, 0u})
        EXPECT_EQ(printDialogHook(nullptr, message, 0, 0), FALSE) << message;
}

TEST_F(Printing, DialogPageFieldsStopAt65535) {
    std::vector<TestPage> many(70000, TestPage{1, 1, 0, 0, false});
    installDocument(state(), many);
    printDocument(state());
    ASSERT_EQ(printer.printRecords.size(), 1u);
    EXPECT_EQ(printer.printRecords[0].nToPage, 65535);
    EXPECT_EQ(printer.printRecords[0].nMaxPage, 65535);
}

TEST_F(Printing, ConfirmedWithoutADeviceContextDoesNothingMore) {
    installDocument(state(), plainPages(2));
    printer.answerPrint = [](PRINTDLGA*) { return TRUE; };
    printDocument(state());
    EXPECT_EQ(printer.calls, Calls{"printDialog"});
    EXPECT_TRUE(printer.messages.empty());
}

TEST_F(Printing, ThePrinterSettingsTheDialogHandsBackAreGivenBack) {
    installDocument(state(), plainPages(1));
    for (const bool confirmed : {false, true}) {
        HGLOBAL mode = GlobalAlloc(GMEM_MOVEABLE, 220);
        HGLOBAL names = GlobalAlloc(GMEM_MOVEABLE, 64);
        HDC dc = sheet.dc();
        printer.answerPrint = [&](PRINTDLGA* record) {
            record->hDevMode = mode;
            record->hDevNames = names;
            if (confirmed) record->hDC = dc;
            return confirmed ? TRUE : FALSE;
        };
        printDocument(state());
        EXPECT_EQ(GlobalFlags(mode), static_cast<UINT>(GMEM_INVALID_HANDLE)) << confirmed;
        EXPECT_EQ(GlobalFlags(names), static_cast<UINT>(GMEM_INVALID_HANDLE)) << confirmed;
    }
    EXPECT_EQ(printer.printed.size(), 1u);
}

TEST_F(Printing, EveryPageGoesOnItsOwnSheetInOrderCentredInsideTheMargin) {
    std::vector<TestPage> pages = plainPages(3);
    pages[1] = {130, 100, 0x20A020, 0xA020A0};  // landscape
    pages[2] = {1, 1, 0x102030, 0x102030};      // enlarged to the whole area
    installDocument(state(), pages);
    printer.confirm();
    printDocument(state());
    EXPECT_EQ(printer.calls, join(kJobStart, {"startPage", "endPage", "startPage", "endPage", "startPage", "endPage",
                                              "endDoc", "deleteDC"}));
    EXPECT_TRUE(printer.messages.empty());
    EXPECT_EQ(printer.jobNames, std::vector<std::string>{"OrvaReader"});
    expectSheets(pages, {0, 1, 2});
    EXPECT_TRUE(sheet.dcDeleted());
}

TEST_F(Printing, APageRangePrintsExactlyThosePages) {
    const std::vector<TestPage> pages = plainPages(5);
    installDocument(state(), pages);
    printer.confirm(2, 3);
    printDocument(state());
    EXPECT_EQ(printer.calls, join(kJobStart, {"startPage", "endPage", "startPage", "endPage", "endDoc", "deleteDC"}));
    expectSheets(pages, {1, 2});
}

TEST_F(Printing, ANarrowPrinterStillPlacesThePageFiftyPixelsIn) {
    const std::vector<TestPage> pages = {{1275, 1650, 0x800000, 0x000080}};
    installDocument(state(), pages);
    printer.horzRes = 101;
    printer.confirm();
    printDocument(state());
    ASSERT_EQ(printer.printed.size(), 1u);
    EXPECT_EQ(printer.printed[0].inked.left, 50);
    EXPECT_EQ(printer.printed[0].inked.right, 51);
}

TEST_F(Printing, RangeIsResolvedAgainstTheDocumentAsItIsAfterTheDialog) {
    const std::vector<TestPage> shorter = plainPages(3);
    installDocument(state(), plainPages(5));
    HDC dc = sheet.dc();
    printer.answerPrint = [&](PRINTDLGA* record) {
        installDocument(state(), shorter);  // another document opened meanwhile
        record->hDC = dc;
        record->Flags |= PD_PAGENUMS;
        record->nFromPage = 4;
        record->nToPage = 5;
        return TRUE;
    };
    printDocument(state());
    expectSheets(shorter, {2});
}

TEST_F(Printing, DocumentClosedDuringTheDialogEndsTheEmptyJobWithTheLoadMessage) {
    installDocument(state(), plainPages(2));
    HDC dc = sheet.dc();
    printer.answerPrint = [&](PRINTDLGA* record) {
        closeDocument(state());
        record->hDC = dc;
        return TRUE;
    };
    printDocument(state());
    EXPECT_EQ(printer.calls, join(kJobStart, {"endDoc", "messageBox", "deleteDC"}));
    expectOneMessage("Could not load a page for printing.", MB_ICONERROR);
    EXPECT_TRUE(sheet.dcDeleted());
}

// A page request that reports success but leaves the slot empty.
Status claimLoaded(Document&, std::uint64_t) { return {}; }

TEST_F(Printing, EveryFailureIsToldAfterTheJobIsEndedAndBeforeTheContextGoes) {
    struct Case {
        const char* what;
        std::vector<TestPage> pages;
        void (*arrange)(PrinterUi&);
        PageLoader loader;
        const char* message;
        UINT style;
        Calls calls;  // after the dialog
    };
    std::vector<TestPage> secondMissing = plainPages(3);
    secondMissing[1].loaded = false;
    std::vector<TestPage> noneLoaded = plainPages(2);
    for (TestPage& page : noneLoaded) page.loaded = false;
    const Case cases[] = {
        {"StartDoc refused", plainPages(2), [](PrinterUi& p) { p.startDocResult = 0; }, nullptr,
         "Could not start print job.", MB_ICONERROR, {"printDialog", "startDoc", "messageBox", "deleteDC"}},
        {"StartDoc negative", plainPages(2), [](PrinterUi& p) { p.startDocResult = -1; }, nullptr,
         "Could not start print job.", MB_ICONERROR, {"printDialog", "startDoc", "messageBox", "deleteDC"}},
        {"a page cannot be loaded", secondMissing, [](PrinterUi&) {}, nullptr, "Could not load a page for printing.",
         MB_ICONERROR, join(kJobStart, {"startPage", "endPage", "endDoc", "messageBox", "deleteDC"})},
        {"a page is still empty", noneLoaded, [](PrinterUi&) {}, claimLoaded, "A page was not loaded for printing.",
         MB_ICONERROR, join(kJobStart, {"endDoc", "messageBox", "deleteDC"})},
        {"StartPage fails", plainPages(3), [](PrinterUi& p) { p.failStartPageAt = 2; }, nullptr,
         "Printer error while starting a page.", MB_ICONERROR,
         join(kJobStart, {"startPage", "endPage", "startPage", "endDoc", "messageBox", "deleteDC"})},
        {"EndPage fails", plainPages(3), [](PrinterUi& p) { p.failEndPageAt = 1; }, nullptr,
         "Printer error while finishing a page.", MB_ICONERROR,
         join(kJobStart, {"startPage", "endPage", "endDoc", "messageBox", "deleteDC"})},
        {"EndDoc fails", plainPages(1), [](PrinterUi& p) { p.endDocResult = 0; }, nullptr,
         "Printer error while finishing the job.", MB_ICONERROR,
         join(kJobStart, {"startPage", "endPage", "endDoc", "messageBox", "deleteDC"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sheet caseSheet(kSheetWidth, kSheetHeight);
        PrinterUi ui(caseSheet);
        ui.horzRes = kSheetWidth;
        ui.vertRes = kSheetHeight;
        installDocument(state(), c.pages);
        c.arrange(ui);
        ui.confirm();
        if (c.loader != nullptr) {
            printDocumentWith(state(), c.loader);
        } else {
            printDocument(state());
        }
        EXPECT_EQ(ui.calls, c.calls);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, c.message);
        EXPECT_EQ(ui.messages[0].style, c.style);
        EXPECT_EQ(ui.messages[0].caption, "OrvaReader");
        EXPECT_EQ(ui.messages[0].owner, window());
        EXPECT_TRUE(caseSheet.dcDeleted());
    }
}

// A PDF document of `count` pages, none rendered yet, on a stand-in file.
void installPdf(AppState& state, const FakePoppler& fake, std::size_t count) {
    installDocument(state, std::vector<TestPage>(count, TestPage{1, 1, 0, 0, false}), DocumentKind::Pdf);
    const std::string path = fake.path("docs\\report.pdf");
    writeTextFile(path, "%PDF-1.4 stand-in");
    auto copy = OwnedString::copy(*state.allocator, path);
    ASSERT_TRUE(copy);
    state.document.path = std::move(*copy);
}

TEST_F(Printing, PdfPagesAreRenderedForTheJobAndStayCached) {
    FakePoppler fake;
    fake.install("bin\\pdftoppm.exe");
    fake.control("ppm page-{page}.ppm 40 60\n");
    installPdf(state(), fake, 4);
    printer.confirm(2, 3);
    printDocument(state());
    EXPECT_TRUE(printer.messages.empty());
    ASSERT_EQ(printer.printed.size(), 2u);
    const PlacedRect place = placePrintedPage(usablePrintExtent(kSheetWidth), usablePrintExtent(kSheetHeight), 40, 60);
    for (const PrintedSheet& got : printer.printed) {
        EXPECT_EQ(got.inked.left, place.x);
        EXPECT_EQ(got.inked.top, place.y);
        EXPECT_EQ(got.inked.right, place.x + place.width);
        EXPECT_EQ(got.inked.bottom, place.y + place.height);
    }
    const bool cached[] = {false, true, true, false};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(state().document.pages[i].present, cached[i]) << i;
}

TEST_F(Printing, APdfPageThatCannotBeRenderedEndsTheJobAfterTheSheetsBeforeIt) {
    FakePoppler fake;
    fake.install("bin\\pdftoppm.exe");
    fake.control("exit 1\n");
    installPdf(state(), fake, 4);
    for (std::size_t i = 0; i < 2; ++i) fillPage(allocator, state().document.pages[i], plainPages(2)[i]);
    printer.confirm();
    printDocument(state());
    EXPECT_EQ(printer.calls,
              join(kPdfJobStart, {"startPage", "endPage", "startPage", "endPage", "endDoc", "messageBox", "deleteDC"}));
    expectOneMessage("Could not load a page for printing.", MB_ICONERROR);
    expectSheets(plainPages(2), {0, 1});
    EXPECT_FALSE(state().document.pages[2].present);
}

// A PDF's sheet comes from a render of the page at the printer's own
// resolution, drawn pixel for pixel on the rectangle its picture would
// take, turned as the view is and never inverted. The stand-in tool draws
// pixel (x, y) of the scaled page as red = page, green = x, blue = y.
TEST_F(Printing, APdfSheetIsRenderedAtThePrintersResolutionTurnedAsTheViewNeverInverted) {
    FakePoppler fake;
    fake.install("bin\\pdftoppm.exe");
    fake.control("ppm page-{page}.ppm 40 60\n");
    installPdf(state(), fake, 2);
    fillPage(allocator, state().document.pages[1], plainPages(2)[1]);
    state().inverted = true;
    for (const std::uint8_t turns : {0, 1, 3}) {
        SCOPED_TRACE(int(turns));
        state().quarterTurns = turns;
        // A job deletes its printer's context: each gets a sheet of its own.
        Sheet sheet{kSheetWidth, kSheetHeight};
        PrinterUi printer{sheet};
        printer.horzRes = kSheetWidth;
        printer.vertRes = kSheetHeight;
        printer.logPixels = 300;
        printer.confirm(2, 2);
        printDocument(state());
        EXPECT_TRUE(printer.messages.empty());
        ASSERT_EQ(printer.printed.size(), 1u);
        const bool sideways = (turns & 1) != 0;
        const PlacedRect place = placePrintedPage(usablePrintExtent(kSheetWidth), usablePrintExtent(kSheetHeight),
                                                  sideways ? 130 : 100, sideways ? 100 : 130);
        EXPECT_EQ(printer.printed[0].inked.left, place.x);
        EXPECT_EQ(printer.printed[0].inked.right, place.x + place.width);
        const int scaledHeight = sideways ? place.width : place.height;
        const int scaledWidth = sideways ? place.height : place.width;
        for (int j = 0; j < place.height; j += 7) {
            for (int i = 0; i < place.width; i += 5) {
                // The turned sheet's pixel (i, j) is the scaled page's (x, y).
                const int x = turns == 0 ? i : turns == 1 ? j : scaledWidth - 1 - j;
                const int y = turns == 0 ? j : turns == 1 ? scaledHeight - 1 - i : i;
                ASSERT_EQ(sheet.at(place.x + i, place.y + j), rgb(2, x & 255, y & 255)) << i << "," << j;
            }
        }
        const FakeRun& run = fake.runs().back();
        const auto at = std::find(run.arguments.begin(), run.arguments.end(), "-scale-to-x");
        ASSERT_NE(at, run.arguments.end());
        EXPECT_EQ(at[1], std::to_string(scaledWidth)) << "one printer pixel a rendered pixel";
        EXPECT_EQ(at[3], std::to_string(scaledHeight));
    }
}

TEST_F(Printing, NothingToPrintIsToldWithoutOpeningTheDialog) {
    printDocument(state());
    EXPECT_EQ(printer.calls, Calls{"messageBox"});
    expectOneMessage("No document to print.", MB_ICONINFORMATION);

    printer.calls.clear();
    printer.messages.clear();
    installDocument(state(), {});
    printDocument(state());
    EXPECT_EQ(printer.calls, Calls{"messageBox"});
    expectOneMessage("Document has no pages.", MB_ICONINFORMATION);
}

TEST_F(Printing, CtrlPInTheMainWindowPrintsAndCtrlShiftPPreviews) {
    installDocument(state(), plainPages(2));
    printer.confirm();
    {
        HeldKeys ctrl{VK_CONTROL};
        send(WM_KEYDOWN, 'P');
    }
    EXPECT_EQ(printer.printed.size(), 2u);
    {
        HeldKeys ctrlShift{VK_CONTROL, VK_SHIFT};
        send(WM_KEYDOWN, 'P');
    }
    EXPECT_TRUE(state().previewOpen);
}

}  // namespace
}  // namespace orva::testing
