// Page count and page rendering through fake tools: what they are given,
// every failure and its code, and that nothing is left behind: no memory, no
// open file, no work folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

#include "document/page_request.h"
#include "pdf/pdf_backend.h"
#include "pdf/work_folder.h"
#include "base/scoped_win.h"
#include "platform/byte_source.h"
#include "support/fake_poppler_win.h"
#include "support/test_document.h"

namespace orva {
namespace {

using testing::FakePoppler;
using testing::ScopedVariable;
using testing::widen;

// A named event of this test: the fake tool sets it ("signal NAME") or
// waits for it ("wait NAME").
struct TestEvent {
    std::string name;
    UniqueHandle handle;
    explicit TestEvent(const std::string& what)
        : name("Local\\orva-test-" + what + "-" + std::to_string(GetCurrentProcessId())),
          handle(CreateEventW(nullptr, TRUE, FALSE, widen(name).c_str())) {}
    bool waitSet(DWORD ms = 20000) const { return WaitForSingleObject(handle.get(), ms) == WAIT_OBJECT_0; }
};

class PdfBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        info = fake.install("bin\\pdfinfo.exe");
        rasteriser = fake.install("bin\\pdftoppm.exe");
        testing::writeTextFile(pdf, "%PDF-1.4 stand-in");
    }
    void TearDown() override {
        releaseDocument(document);
        EXPECT_EQ(allocator.liveBlocks(), 0u);
        EXPECT_EQ(FileSource::openCount(), 0);
        EXPECT_FALSE(testing::fileExists(fake.workFolder())) << "the work folder outlives the render";
    }

    Result<std::uint32_t> pageCount(std::string_view path) { return queryPdfPageCount(allocator, path); }

    void openPdf(std::uint32_t pages, std::string_view path) {
        releaseDocument(document);
        document = testing::unrenderedPdf(allocator, path, pages);
    }

    Status render(std::uint64_t index) { return ensurePageLoaded(document, index); }

    // While one program's tool runs in the work folder, held there by the test,
    // no render gets in, by the name the tool's program used or by any other
    // spelling of the folder; once it ends, every program that waited renders
    // its own pages. Without the turns the test's own attempt would empty the
    // folder under the held tool, every time.
    void holdAndTryEveryEntrance(const std::vector<std::string>& spellings) {
        const TestEvent running("running"), release("release");
        fake.control("ppm page-{page}.ppm 2 2\nsignal " + running.name + "\nwait " + release.name + "\n");
        const std::string probe = testing::testProgramFolder() + "\\pdf_probe.exe";
        std::vector<std::unique_ptr<testing::ChildProcess>> programs;
        programs.push_back(std::make_unique<testing::ChildProcess>(probe, "render \"" + pdf + "\" 4 2"));
        ASSERT_TRUE(running.waitSet()) << "the first program's tool never started";
        for (const std::string& spelling : spellings) {
            ScopedVariable variable(L"TEMP", widen(spelling));
            const auto entered = prepareWorkFolder(allocator, 0);
            EXPECT_FALSE(entered) << spelling << ": entered the work folder while another program's tool ran in it";
            if (!entered) {
                EXPECT_EQ(entered.error(), ErrorCode::Timeout) << spelling;
            }
            programs.push_back(std::make_unique<testing::ChildProcess>(probe, "render \"" + pdf + "\" 4 1"));
        }
        SetEvent(release.handle.get());
        for (std::size_t i = 0; i < programs.size(); ++i) {
            const auto result = programs[i]->finish();
            EXPECT_EQ(result.exitCode, 0u) << i << ": " << result.output;
            EXPECT_EQ(result.output, "ok") << i;
        }
        EXPECT_EQ(fake.runs().size(), 8u + 4u * spellings.size());
    }

    Allocator allocator;
    FakePoppler fake;
    std::string info, rasteriser;
    std::string pdf = fake.path("docs\\report.pdf");
    Document document;
};

TEST_F(PdfBackendTest, CountsPagesFromTheReportOfTheInformationTool) {
    fake.control("stdout Producer: x\\r\\nPages:          36\\r\\nEncrypted: no\\r\\n\nstderr Syntax Warning: y\\n\n");
    EXPECT_EQ(pageCount(pdf), 36u);
    const auto runs = fake.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].arguments, (std::vector<std::string>{info, pdf}));
    EXPECT_EQ(runs[0].program, info);
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_EQ(runs[0].workingDirectory, testing::narrow(current));
}

TEST_F(PdfBackendTest, EveryPageCountFailureHasItsCode) {
    const struct {
        const char* what;
        std::string control;
        ErrorCode error;
    } cases[] = {
        {"a non-zero exit with a valid page line", "stdout Pages: 3\\n\nexit 1\n", ErrorCode::PdfInfoFailed},
        {"no page line", "stdout Title: x\\n\n", ErrorCode::PdfInfoFailed},
        {"no number after the colon", "stdout Pages:3\\n\n", ErrorCode::PdfInfoFailed},
        {"the count is on standard error only", "stderr Pages: 3\\n\n", ErrorCode::PdfInfoFailed},
        {"zero pages", "stdout Pages: 0\\n\n", ErrorCode::NoPages},
        {"a negative count", "stdout Pages: -2\\n\n", ErrorCode::Overflow},
        {"a letter in the count", "stdout Pages: 1x\\n\n", ErrorCode::InvalidCharacter},
    };
    for (const auto& c : cases) {
        fake.control(c.control);
        EXPECT_EQ(pageCount(pdf).error(), c.error) << c.what;
    }
}

TEST_F(PdfBackendTest, AMissingOrUnstartableInformationToolIsReportedAsSuch) {
    ScopedVariable override(L"PDFTOPPM_PATH", widen(rasteriser));  // no say over pdfinfo
    std::filesystem::remove(widen(info));
    EXPECT_EQ(pageCount(pdf).error(), ErrorCode::PdftoppmNotFound);
    std::filesystem::create_directories(widen(info));  // a folder under the tool's name
    EXPECT_EQ(pageCount(pdf).error(), ErrorCode::PdfInfoFailed);
}

TEST_F(PdfBackendTest, ARelativeDocumentPathIsMadeAbsoluteFirst) {
    fake.control("stdout Pages: 2\n");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(widen(fake.path("docs")).c_str());
    const auto count = pageCount("report.pdf");
    const auto missing = pageCount("missing.pdf");
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(missing.error(), ErrorCode::FileNotFound);
    ASSERT_EQ(fake.runs().size(), 1u);
    EXPECT_EQ(fake.runs()[0].arguments.at(1), pdf);
}

TEST_F(PdfBackendTest, RendersAPageWithTheExactArgumentsInTheWorkFolder) {
    fake.control("ppm page-{page}.ppm 3 2\n");
    openPdf(9, pdf);
    ASSERT_TRUE(render(6));
    const PageImage& page = document.pages[6];
    ASSERT_TRUE(page.present);
    EXPECT_EQ(page.width, 3u);
    EXPECT_EQ(page.height, 2u);
    // Pixel (x, y) was written red = 7, green = x, blue = y; stored blue, green, red.
    const std::vector<std::uint8_t> expected = {0, 0, 7, 0, 1, 7, 0, 2, 7, 1, 0, 7, 1, 1, 7, 1, 2, 7};
    EXPECT_EQ(std::vector<std::uint8_t>(page.pixels.begin(), page.pixels.end()), expected);
    const auto runs = fake.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].arguments,
              (std::vector<std::string>{rasteriser, "-q", "-f", "7", "-l", "7", "-r", "150", pdf, "page"}));
    EXPECT_EQ(runs[0].workingDirectory, fake.workFolder());
    EXPECT_TRUE(testing::fileExists(fake.path("temp\\Orva"))) << "the parent stays";
    for (std::uint64_t other = 0; other < 9; ++other) EXPECT_EQ(document.pages[other].present, other == 6);

    // A loaded page is not rendered again.
    ASSERT_TRUE(render(6));
    EXPECT_EQ(fake.runs().size(), 1u);
}

TEST_F(PdfBackendTest, TheToolGetsItsDataFolderAndTheResolutionOfTheDocument) {
    fake.control("ppm page-{page}.ppm 1 1\n");
    std::filesystem::create_directories(widen(fake.path("share\\poppler")));
    openPdf(1, pdf);
    document.dpi = 72;
    ASSERT_TRUE(render(0));
    const auto runs = fake.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].arguments.at(7), "72");
    EXPECT_EQ(runs[0].variable("POPPLER_DATADIR"), fake.path("bin\\..\\share\\poppler"));
    EXPECT_EQ(runs[0].variable("ORVA_FAKE_POPPLER"), fake.path("control.txt"));
}

TEST_F(PdfBackendTest, ARelativeDocumentPathReachesTheToolAbsolute) {
    fake.control("ppm page-{page}.ppm 1 1\n");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(widen(fake.path("docs")).c_str());
    openPdf(1, "report.pdf");
    const Status rendered = render(0);
    openPdf(1, "missing.pdf");
    const Status missing = render(0);
    SetCurrentDirectoryW(previous);
    EXPECT_TRUE(rendered);
    EXPECT_EQ(missing.error(), ErrorCode::FileNotFound);
    ASSERT_EQ(fake.runs().size(), 1u);
    EXPECT_EQ(fake.runs()[0].arguments.at(8), pdf);
}

TEST_F(PdfBackendTest, PicksTheLowestPageNumberAmongTheFilesWritten) {
    const struct {
        std::string control;
        int red;  // the page whose image is kept, by its red sample
    } cases[] = {
        {"ppm page-10.ppm 1 1\nppm page-9.ppm 1 1\n", 9},
        {"ppm page-2.ppm 1 1\nppm page.ppm 1 1\n", 1},
        {"ppm scan.ppm 1 1\nppm page-0007.ppm 1 1\nmkdir page-1.ppm\nppm PAGE-0.PPM 1 1\n", 7},
    };
    for (const auto& c : cases) {
        // The fake paints red = the -f value, so each file is told apart by
        // a page number of its own: rename after the run is not possible,
        // hence one page per case, copied from prepared files.
        std::string commands;
        std::istringstream lines(c.control);
        int copy = 0;
        for (std::string line; std::getline(lines, line);) {
            std::istringstream fields(line);
            std::string command, name;
            fields >> command >> name;
            if (command != "ppm") {
                commands += line + "\n";
                continue;
            }
            const std::string source = fake.path("file" + std::to_string(++copy) + ".ppm");
            const int red = name == "page.ppm" ? 1 : name == "scan.ppm" ? 99 : std::atoi(name.c_str() + name.rfind('-') + 1);
            testing::writeTextFile(source, "P6\n1 1\n255\n" + std::string(1, static_cast<char>(red)) + "\x01\x02");
            commands += "write " + name + " " + source + "\n";
        }
        fake.control(commands);
        openPdf(1, pdf);
        ASSERT_TRUE(render(0)) << c.control;
        EXPECT_EQ(document.pages[0].pixels[2], c.red) << c.control;
    }
}

TEST_F(PdfBackendTest, EveryRenderFailureHasItsCodeAndLeavesTheSlotEmpty) {
    testing::writeTextFile(fake.path("bad.ppm"), "P5\n1 1\n255\n\x01");
    testing::writeTextFile(fake.path("short.ppm"), "P6\n2 2\n255\n\x01\x02\x03");
    const struct {
        const char* what;
        std::string control;
        ErrorCode error;
    } cases[] = {
        {"the tool fails", "ppm page-1.ppm 1 1\nexit 1\n", ErrorCode::PdftoppmFailed},
        {"no output file", "", ErrorCode::NoPages},
        {"only an upper-case name", "ppm PAGE-1.PPM 1 1\n", ErrorCode::NoPages},
        {"only a folder named like a page", "mkdir page-1.ppm\n", ErrorCode::NoPages},
        {"not a raw image", "write page-1.ppm " + fake.path("bad.ppm") + "\n", ErrorCode::InvalidPpm},
        {"a truncated image", "write page-1.ppm " + fake.path("short.ppm") + "\n", ErrorCode::PpmTruncated},
        {"a bad second file fails the render too",
         "ppm page-1.ppm 1 1\nwrite page-2.ppm " + fake.path("bad.ppm") + "\n", ErrorCode::InvalidPpm},
    };
    for (const auto& c : cases) {
        fake.control(c.control);
        openPdf(2, pdf);
        EXPECT_EQ(render(0).error(), c.error) << c.what;
        EXPECT_FALSE(document.pages[0].present) << c.what;
        EXPECT_FALSE(testing::fileExists(fake.workFolder())) << c.what;
    }
}

TEST_F(PdfBackendTest, RenderFailuresBeforeTheToolRuns) {
    openPdf(3, pdf);
    EXPECT_EQ(render(3).error(), ErrorCode::InvalidPageData);
    {
        ScopedVariable temp(L"TEMP", std::nullopt), tmp(L"TMP", std::nullopt);
        EXPECT_EQ(render(0).error(), ErrorCode::TempDirUnavailable);
    }
    std::filesystem::remove(widen(rasteriser));
    EXPECT_EQ(render(0).error(), ErrorCode::PdftoppmNotFound);
    {
        ScopedVariable override(L"PDFTOPPM_PATH", widen(fake.path("bin")));
        EXPECT_EQ(render(0).error(), ErrorCode::PdftoppmFailed);
    }
    EXPECT_TRUE(fake.runs().empty());
    releaseDocument(document);
    document.pages = *OwnedArray<PageImage>::create(allocator, 2);
    document.kind = DocumentKind::Orva;
    document.allocator = &allocator;
    EXPECT_EQ(render(1).error(), ErrorCode::InvalidPageData);
}

TEST_F(PdfBackendTest, TheWorkFolderIsEmptiedFirstAndItsMissingParentsAreCreated) {
    std::filesystem::create_directories(widen(fake.workFolder() + "\\deep\\deeper"));
    testing::writeTextFile(fake.workFolder() + "\\page-1.ppm", "P6\n1 1\n255\n\x63\x00\x00");
    testing::writeTextFile(fake.workFolder() + "\\deep\\deeper\\x", "x");
    fake.control("ppm page-{page}.ppm 1 1\n");
    openPdf(2, pdf);
    ASSERT_TRUE(render(1));
    EXPECT_EQ(document.pages[1].pixels[2], 2) << "the leftover page-1.ppm was read";

    // A file in the place of the folder is replaced.
    testing::writeTextFile(fake.workFolder(), "a file named work");
    ASSERT_TRUE(render(0));

    // A temporary root that does not exist yet is created with its parents.
    std::filesystem::remove_all(widen(fake.path("temp")));
    ScopedVariable temp(L"TEMP", widen(fake.path("temp\\new\\root")));
    openPdf(1, pdf);
    ASSERT_TRUE(render(0));
    EXPECT_TRUE(testing::fileExists(fake.path("temp\\new\\root\\Orva")));
    EXPECT_FALSE(testing::fileExists(fake.path("temp\\new\\root\\Orva\\work")));
    // TMP stands in when TEMP is not set.
    ScopedVariable noTemp(L"TEMP", std::nullopt);
    ScopedVariable tmp(L"TMP", widen(fake.path("tmp")));
    openPdf(1, pdf);
    ASSERT_TRUE(render(0));
    EXPECT_TRUE(testing::fileExists(fake.path("tmp\\Orva")));
    EXPECT_EQ(fake.runs().back().workingDirectory, fake.path("tmp\\Orva\\work"));
}

TEST_F(PdfBackendTest, ATemporaryRootThatIsAFileFailsTheRender) {
    testing::writeTextFile(fake.path("temp\\file"), "x");
    ScopedVariable temp(L"TEMP", widen(fake.path("temp\\file")));
    openPdf(1, pdf);
    const Status rendered = render(0);
    ASSERT_FALSE(rendered);
    EXPECT_EQ(rendered.error(), ErrorCode::NotDir) << errorName(rendered.error());
}

TEST_F(PdfBackendTest, EveryAllocationFailureOfARenderLeavesNothingBehind) {
    fake.control("ppm page-{page}.ppm 4 3\n");
    openPdf(1, pdf);
    const std::size_t before = allocator.allocationCount();
    ASSERT_TRUE(render(0));
    const std::size_t allocations = allocator.allocationCount() - before;
    std::size_t failures = 0;
    // Every allocation of the start and the end of the render, and a sample
    // of the environment copy in between, each run costing a process start.
    for (std::size_t nth = 1; nth <= allocations; nth += nth < 40 || nth + 40 > allocations ? 1 : 5) {
        openPdf(1, pdf);
        allocator.failAllocation(nth);
        const Status rendered = render(0);
        allocator.failAllocation(0);
        if (rendered) {
            // Memory running out while reading TEMP only sends the search on to TMP.
            EXPECT_EQ(document.pages[0].length(), 36u);
        } else {
            ++failures;
            EXPECT_FALSE(document.pages[0].present);
            const ErrorCode e = rendered.error();
            EXPECT_TRUE(e == ErrorCode::OutOfMemory || e == ErrorCode::PdftoppmNotFound ||
                        e == ErrorCode::PdftoppmFailed || e == ErrorCode::TempDirUnavailable)
                << nth << ": " << errorName(e);
            EXPECT_FALSE(testing::fileExists(fake.workFolder())) << nth;
        }
        releaseDocument(document);
        EXPECT_EQ(allocator.liveBlocks(), 0u) << nth;
    }
    EXPECT_GT(failures, 40u);
    // Removal is best effort: memory running out during it may leave the
    // folder for the next render, which empties it first.
    openPdf(1, pdf);
    ASSERT_TRUE(render(0));
}

TEST_F(PdfBackendTest, EveryAllocationFailureOfAPageCountLeavesNothingBehind) {
    fake.control("stdout Pages: 5\\n\n");
    const std::size_t before = allocator.allocationCount();
    ASSERT_EQ(pageCount(pdf), 5u);
    const std::size_t allocations = allocator.allocationCount() - before;
    for (std::size_t nth = 1; nth <= allocations; nth += nth < 40 || nth + 40 > allocations ? 1 : 5) {
        allocator.failAllocation(nth);
        const auto count = pageCount(pdf);
        allocator.failAllocation(0);
        if (count) {
            EXPECT_EQ(*count, 5u);
        } else {
            const ErrorCode e = count.error();
            EXPECT_TRUE(e == ErrorCode::OutOfMemory || e == ErrorCode::PdftoppmNotFound || e == ErrorCode::PdfInfoFailed)
                << nth << ": " << errorName(e);
        }
        EXPECT_EQ(allocator.liveBlocks(), 0u) << nth;
    }
}

TEST_F(PdfBackendTest, OutputLeftByAnotherRunIsNeverTakenForThisPage) {
    // Each leftover sorts before page 2 and is held open without leave to
    // delete it, as a tool still running from a program that was killed
    // would hold it.
    for (const std::string leftover : {"page-1.ppm", "page.ppm", "page-01.ppm", "page-0.ppm"}) {
        const std::string held = fake.workFolder() + "\\" + leftover;
        testing::writeTextFile(held, "P6\n1 1\n255\n\x63\x00\x00");
        const HANDLE holder = CreateFileW(widen(held).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        fake.control("ppm page-{page}.ppm 1 1\n");
        openPdf(3, pdf);
        const Status rendered = render(1);
        EXPECT_TRUE(rendered) << leftover << ": " << errorName(rendered.error());
        if (rendered) {
            EXPECT_EQ(document.pages[1].pixels[2], 2) << leftover << " was taken for page 2";
        }
        EXPECT_NE(fake.runs().back().workingDirectory, fake.workFolder()) << leftover;
        EXPECT_TRUE(testing::fileExists(held)) << leftover;
        CloseHandle(holder);
        removeWorkFolder(allocator, fake.workFolder());
        ASSERT_FALSE(testing::fileExists(fake.workFolder())) << leftover;
    }
    // With nothing in the way, the tool runs in the work folder itself.
    openPdf(1, pdf);
    ASSERT_TRUE(render(0));
    EXPECT_EQ(fake.runs().back().workingDirectory, fake.workFolder());
}

TEST_F(PdfBackendTest, ACrashingToolFailsTheRenderAndLeavesNothing) {
    fake.control("ppm page-{page}.ppm 1 1\ncrash\n");
    openPdf(1, pdf);
    EXPECT_EQ(render(0).error(), ErrorCode::PdftoppmFailed);
    ASSERT_EQ(fake.runs().size(), 1u);
    EXPECT_TRUE(fake.runs()[0].inJob);
}

TEST_F(PdfBackendTest, AFloodOnTheToolsErrorStreamIsDroppedInFixedMemory) {
    constexpr std::size_t kFlood = std::size_t{32} << 20;
    const std::string flood = "stderr-bytes " + std::to_string(kFlood) + "\n";
    fake.control("stdout Pages: 4\n" + flood);
    allocator.resetPeak();
    EXPECT_EQ(pageCount(pdf), 4u);
    EXPECT_LT(allocator.peakBytes(), std::size_t{1} << 20);
    fake.control("ppm page-{page}.ppm 2 2\n" + flood);
    openPdf(1, pdf);
    allocator.resetPeak();
    ASSERT_TRUE(render(0));
    EXPECT_LT(allocator.peakBytes(), std::size_t{1} << 20);
}

TEST_F(PdfBackendTest, WhatStandsInTheWayOfTheWorkFolderIsNamed) {
    testing::writeTextFile(fake.path("a-file"), "x");
    testing::writeTextFile(fake.path("orva-is-a-file\\Orva"), "x");
    const struct {
        std::string temp;
        ErrorCode error;
    } cases[] = {
        {fake.path("a-file"), ErrorCode::NotDir},
        {fake.path("a-file\\below"), ErrorCode::NotDir},
        {fake.path("orva-is-a-file"), ErrorCode::NotDir},
    };
    for (const auto& c : cases) {
        ScopedVariable temp(L"TEMP", widen(c.temp));
        openPdf(1, pdf);
        EXPECT_EQ(render(0).error(), c.error) << c.temp;
    }
    // A temporary folder on a file system mounted read-only: a tmpfs the
    // host's mount puts over a folder of the test, which takes the right to
    // mount (root, as the test machine runs the suite).
    const std::string readOnly = fake.path("read-only");
    std::filesystem::create_directories(widen(readOnly));
    const std::string host = testing::hostPath(readOnly);
    // Mounted once nothing can be made in it any more.
    const auto mounted = [&] {
        const std::wstring probe = widen(readOnly + "\\probe");
        if (!CreateDirectoryW(probe.c_str(), nullptr)) return GetLastError() != ERROR_ALREADY_EXISTS;
        RemoveDirectoryW(probe.c_str());
        return false;
    };
    if (host.empty()) GTEST_SKIP() << "read-only case: not under Wine, so no host mount to make one";
    if (!testing::startHostProgram(L"/bin/mount", widen("/bin/mount -t tmpfs -o ro,size=64k orva-ro " + host))) {
        GTEST_SKIP() << "read-only case: the host's /bin/mount cannot be started";
    }
    for (int i = 0; i < 200 && !mounted(); ++i) Sleep(25);
    if (!mounted()) {
        GTEST_SKIP() << "read-only case: /bin/mount did not mount a file system on " << host
                     << " (it needs root or CAP_SYS_ADMIN)";
    }
    for (const std::string& temp : {readOnly, readOnly + "\\deeper\\still"}) {
        ScopedVariable variable(L"TEMP", widen(temp));
        openPdf(1, pdf);
        const ErrorCode error = render(0).error();
        EXPECT_TRUE(error == ErrorCode::ReadOnlyFileSystem || error == ErrorCode::AccessDenied)
            << temp << ": " << errorName(error);
    }
    testing::runHostProgram(L"/bin/umount", widen("/bin/umount " + host), [&] { return !mounted(); });
}

TEST_F(PdfBackendTest, TwoProgramsRenderingAtOnceEachGetTheirOwnPages) {
    holdAndTryEveryEntrance({fake.path("temp")});
}

}  // namespace
}  // namespace orva

namespace orva {
namespace {

TEST_F(PdfBackendTest, ProgramsReachingTheFolderByOtherSpellingsStillTakeTurns) {
    const std::string temp = fake.path("temp");
    std::string otherDrive = testing::hostPath(temp);
    std::replace(otherDrive.begin(), otherDrive.end(), '/', '\\');
    const std::string link = fake.path("link-to-temp");
    std::vector<std::string> spellings;
    if (!otherDrive.empty()) spellings.push_back("Z:" + otherDrive);
    if (testing::makeLink(link, temp, true)) spellings.push_back(link);
    std::string upper = temp;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    spellings.push_back(upper);
    holdAndTryEveryEntrance(spellings);
}

TEST_F(PdfBackendTest, AnotherProgramsHungToolHoldsUpARenderOnlySoLong) {
    const TestEvent running("running"), never("never");
    fake.control("ppm page-{page}.ppm 1 1\nsignal " + running.name + "\nwait " + never.name + "\n");
    testing::ChildProcess hung(testing::testProgramFolder() + "\\pdf_probe.exe", "render \"" + pdf + "\" 1 1");
    ASSERT_TRUE(running.waitSet()) << "the other program's tool never started";
    ASSERT_EQ(fake.runs().size(), 1u);
    fake.control("ppm page-{page}.ppm 1 1\n");
    const DWORD before = GetTickCount();
    EXPECT_EQ(prepareWorkFolder(allocator, 500).error(), ErrorCode::Timeout);
    EXPECT_LT(GetTickCount() - before, 5000u);
    EXPECT_EQ(fake.runs().size(), 1u);
    // Once the other program is gone the render goes ahead.
    hung.terminate();
    openPdf(1, pdf);
    const Status rendered = render(0);
    ASSERT_TRUE(rendered) << errorName(rendered.error());
    EXPECT_EQ(document.pages[0].pixels[2], 1);
}

}  // namespace
}  // namespace orva
