// orvatool pdf with the real poppler utilities (natively the host's, from
// PATH; under Wine the Windows poppler the release ships, found by the
// viewer's tool search, against the host's own pdftoppm reached through the
// bridge): every page must equal pdftoppm's own rendering pixel for pixel,
// memory must stay at about one page, and no failure or interruption may
// leave anything behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "container_writer.h"
#include "document/orva_reader.h"
#include "files.h"
#include "image_io.h"
#include "orvatool.h"
#include "pdf_command.h"
#include "support/folder_names.h"
#include "support/orva_bytes.h"
#include "support/child_program.h"

namespace orvatool {
namespace {

namespace fs = std::filesystem;
using orva::testing::Bytes;

#ifdef _WIN32
constexpr const char* kManual = "Z:\\usr\\share\\doc\\libtasn1-doc\\libtasn1.pdf";
const std::string kBridge = [] {
    std::string path = "Z:" ORVA_BINARY_DIR "/poppler";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}();
// The Windows poppler the release ships, which orvatool.exe runs in these
// tests: the tools in poppler\, their data in share\poppler beside it.
const std::string kBundledRoot = [] {
    std::string path = "Z:" ORVA_BUNDLED_POPPLER;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}();
const std::string kBundled = kBundledRoot + "\\poppler";
const std::string kProgram = [] {
    std::string path = "Z:" ORVATOOL_PROGRAM;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}();
constexpr char kPathSeparator = ';';
// What the program's text output ends its lines with.
const std::string kNewline = "\r\n";
#else
constexpr const char* kManual = "/usr/share/doc/libtasn1-doc/libtasn1.pdf";
const std::string kProgram = ORVATOOL_PROGRAM;
constexpr char kPathSeparator = ':';
const std::string kNewline = "\n";
#endif
constexpr std::uint32_t kManualPages = 36;

bool hostHasPoppler() {
#ifdef _WIN32
    return fs::exists(fs::path(testing::widen(kBridge)) / "pdftoppm.exe") && fs::exists("Z:\\usr\\bin\\pdftoppm") &&
           fs::exists("Z:\\usr\\bin\\pdfinfo");
#else
    return fs::exists("/usr/bin/pdftoppm") && fs::exists("/usr/bin/pdfinfo");
#endif
}

// pdftoppm itself, as the tests start it: the host's, or its bridge.
std::string referenceRenderer() {
#ifdef _WIN32
    return kBridge + "\\pdftoppm.exe";
#else
    return "/usr/bin/pdftoppm";
#endif
}

// Images rendered by one pdftoppm run, in page order.
std::vector<Image> renderReference(const fs::path& folder, const std::vector<std::string>& options) {
    fs::create_directories(folder);
    std::vector<std::string> args = options;
    args.push_back(kManual);
    args.push_back(utf8(folder / "ref"));
    auto child = testing::Child::start(referenceRenderer(), args, utf8(folder / "log"));
    EXPECT_TRUE(child);
    if (!child) return {};
    EXPECT_EQ(child->wait(), 0);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".ppm") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<Image> images;
    for (const fs::path& file : files) {
        auto bytes = readWholeFile(file);
        auto image = bytes ? decodePpm(*bytes) : std::unexpected(std::string("unreadable"));
        EXPECT_TRUE(image) << utf8(file);
        if (image) images.push_back(std::move(*image));
    }
    fs::remove_all(folder);
    return images;
}

using orva::testing::namesIn;

class PdfTest : public ::testing::Test {
protected:
    // pdftoppm's own pages at 150 dpi, from one run, shared by the tests.
    static void SetUpTestSuite() {
        if (!hostHasPoppler() || !fs::exists(kManual)) return;
        const fs::path folder = fs::temp_directory_path() / "orvatool_pdf_reference";
        reference_ = new std::vector<Image>(renderReference(folder, {"-r", "150"}));
    }
    static void TearDownTestSuite() {
        delete reference_;
        reference_ = nullptr;
    }

    void SetUp() override {
#ifdef _WIN32
        // The bundled tools are part of the build: without them this fails, it does not skip.
        ASSERT_TRUE(fs::exists(fs::path(testing::widen(kBundled)) / "pdftoppm.exe")) << kBundled;
#endif
        if (!hostHasPoppler() || !fs::exists(kManual)) GTEST_SKIP() << "no poppler utilities or no libtasn1 manual";
        ASSERT_TRUE(reference_ != nullptr && reference_->size() == kManualPages);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("orvatool_pdf_") + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "tmp");
        // The temporary folder of every run is this test's own, so that
        // whatever a run leaves there is seen.
#ifdef _WIN32
        temporary_.emplace_back(std::make_unique<testing::ScopedVariable>("TMP", utf8(folder_ / "tmp")));
        temporary_.emplace_back(std::make_unique<testing::ScopedVariable>("TEMP", utf8(folder_ / "tmp")));
        temporary_.emplace_back(std::make_unique<testing::ScopedVariable>(
            "PATH", kBundled + kPathSeparator + testing::variable("PATH").value_or("")));
#else
        temporary_.emplace_back(std::make_unique<testing::ScopedVariable>("TMPDIR", utf8(folder_ / "tmp")));
#endif
    }
    void TearDown() override {
        temporary_.clear();
        std::error_code ignored;
        if (!folder_.empty()) fs::remove_all(folder_, ignored);
    }

    std::string path(const std::string& name) const { return utf8(folder_ / name); }

    int run(std::vector<std::string> args, const RunContext& context = {}) {
        std::ostringstream out, err;
        const int status = runOrvatool(args, out, err, context);
        out_ = out.str();
        err_ = err.str();
        return status;
    }

    // Every page of the container against the reference pages from `first`.
    void expectReferencePages(const std::string& file, std::size_t first, std::size_t count) {
        orva::Allocator allocator;
        auto contents = orva::readOrvaFile(allocator, file);
        ASSERT_TRUE(contents) << orva::errorName(contents.error());
        ASSERT_EQ(contents->pages.size(), count);
        for (std::size_t n = 0; n < count; ++n) {
            const Image& expected = (*reference_)[first - 1 + n];
            const orva::PageImage& page = contents->pages[n];
            ASSERT_EQ(page.width, expected.width) << "page " << first + n;
            ASSERT_EQ(page.height, expected.height) << "page " << first + n;
            EXPECT_TRUE(std::equal(page.pixels.begin(), page.pixels.end(), expected.bgr.begin(), expected.bgr.end()))
                << "page " << first + n << " differs from pdftoppm's";
        }
    }

    // Nothing but what the test itself made: no output, no partial file, no
    // rendering folder.
    void expectNothingLeft(const std::vector<std::string>& expected = {}) {
        std::vector<std::string> names = namesIn(folder_);
        std::vector<std::string> wanted = expected;
        wanted.push_back("tmp");
        std::sort(wanted.begin(), wanted.end());
        EXPECT_EQ(names, wanted);
        EXPECT_EQ(namesIn(folder_ / "tmp"), std::vector<std::string>{});
    }

    static std::vector<Image>* reference_;
    fs::path folder_;
    std::vector<std::unique_ptr<testing::ScopedVariable>> temporary_;
    std::string out_, err_;
};

std::vector<Image>* PdfTest::reference_ = nullptr;

// The whole manual, page by page, with the memory the pages passed through
// counted by the allocator they all come from.
TEST_F(PdfTest, ManualPagesEqualPdftoppmsOwnInAboutOnePageOfMemory) {
    PdfJob job;
    job.input = kManual;
    job.output = path("manual.orva");
    orva::Allocator allocator;
    const auto outcome = convertPdf(job, allocator, nullptr);
    ASSERT_TRUE(outcome) << outcome.error().message;
    EXPECT_EQ(outcome->pages, kManualPages);
    EXPECT_EQ(allocator.liveBytes(), 0u);
    expectReferencePages(path("manual.orva"), 1, kManualPages);
    expectNothingLeft({"manual.orva"});

    std::size_t pageBytes = 0;
    for (const Image& page : *reference_) pageBytes = std::max(pageBytes, page.bgr.size());
    const double pages = static_cast<double>(allocator.peakBytes()) / static_cast<double>(pageBytes);
    std::printf("orvatool pdf, %u pages: allocator peak %zu bytes = %.2f pages of %zu bytes\n", kManualPages,
                allocator.peakBytes(), pages, pageBytes);
    RecordProperty("peak_pages", std::to_string(pages));
    EXPECT_LT(allocator.peakBytes(), 3 * pageBytes);

    orva::Allocator readAllocator;
    auto contents = orva::readOrvaFile(readAllocator, path("manual.orva"));
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->encoding, orva::kOrvaEncodingRle);
    EXPECT_EQ(contents->dpi, 150);
}

TEST_F(PdfTest, PageRangesTakeThosePagesOnly) {
    struct Case {
        std::vector<std::string> options;
        std::size_t first, count;
        std::uint8_t encoding;
    };
    const Case cases[] = {
        {{"--pages", "3-5", "--raw"}, 3, 3, orva::kOrvaEncodingRaw},
        {{"--pages=36"}, 36, 1, orva::kOrvaEncodingRle},
        {{"--pages", "35-", "--raw", "--rle", "--title", "Last two"}, 35, 2, orva::kOrvaEncodingRle},
        {{"--pages", "1-1"}, 1, 1, orva::kOrvaEncodingRle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[0] + " " + (c.options.size() > 1 ? c.options[1] : ""));
        std::vector<std::string> args{"pdf", kManual, "-o", path("part.orva")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(run(args), 0) << err_;
        EXPECT_EQ(out_, path("part.orva") + ": " + std::to_string(c.count) + " pages, " +
                            std::to_string(fs::file_size(folder_ / "part.orva")) + " bytes, " +
                            (c.encoding == orva::kOrvaEncodingRle ? "run-length" : "raw") + "\n");
        EXPECT_EQ(err_, "");
        expectReferencePages(path("part.orva"), c.first, c.count);
        orva::Allocator allocator;
        auto contents = orva::readOrvaFile(allocator, path("part.orva"));
        ASSERT_TRUE(contents);
        EXPECT_EQ(contents->encoding, c.encoding);
        const bool titled = std::find(c.options.begin(), c.options.end(), "--title") != c.options.end();
        EXPECT_EQ(contents->title.view(), titled ? "Last two" : "");
        expectNothingLeft({"part.orva"});
        fs::remove(folder_ / "part.orva");
    }
}

TEST_F(PdfTest, OtherResolutionsAreRenderedAtThatResolution) {
    ASSERT_EQ(run({"pdf", kManual, "-o", path("small.orva"), "--dpi", "72", "--pages", "2"}), 0) << err_;
    const std::vector<Image> expected = renderReference(folder_ / "ref72", {"-r", "72", "-f", "2", "-l", "2"});
    ASSERT_EQ(expected.size(), 1u);
    orva::Allocator allocator;
    auto contents = orva::readOrvaFile(allocator, path("small.orva"));
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->dpi, 72);
    ASSERT_EQ(contents->pages.size(), 1u);
    EXPECT_EQ(contents->pages[0].width, expected[0].width);
    EXPECT_TRUE(std::equal(contents->pages[0].pixels.begin(), contents->pages[0].pixels.end(), expected[0].bgr.begin(),
                           expected[0].bgr.end()));
}

TEST_F(PdfTest, BadRangesAreRefused) {
    struct Case {
        const char* range;
        int status;  // 2: not a range at all; 1: past the manual's end
    };
    const Case cases[] = {
        {"0", 2}, {"0-3", 2}, {"5-3", 2}, {"abc", 2}, {"3-x", 2}, {"-3", 2}, {"", 2}, {"1-2-3", 2},
        {"+3", 2}, {" 3", 2}, {"3 ", 2}, {"99999999999", 2}, {"37", 1}, {"30-40", 1}, {"37-", 1}, {"36-37", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        EXPECT_EQ(run({"pdf", kManual, "-o", path("out.orva"), "--pages", c.range}), c.status);
        EXPECT_EQ(out_, "");
        if (c.status == 1) {
            EXPECT_NE(err_.find("the document has 36 pages"), std::string::npos) << err_;
        }
        if (c.status == 2) {
            EXPECT_NE(err_.find("--pages needs N, A-B or A-"), std::string::npos) << err_;
        }
        expectNothingLeft();
    }
}

TEST_F(PdfTest, FailuresLeaveNothingBehindAndKeepAnOldOutput) {
    const Bytes before{1, 2, 3};
    ASSERT_TRUE(orva::testing::writeBytesToFile(path("old.orva"), before));
    ASSERT_TRUE(orva::testing::writeBytesToFile(path("notes.pdf"), Bytes{'n', 'o', 't', ' ', 'a', ' ', 'P', 'D', 'F'}));
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {"missing input", {"pdf", path("missing.pdf"), "-o", path("old.orva")}, "no such file"},
        {"not a PDF", {"pdf", path("notes.pdf"), "-o", path("old.orva")}, "pdfinfo cannot read it"},
        {"output folder missing", {"pdf", kManual, "-o", path("nowhere/new.orva"), "--pages", "1"}, "cannot create"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.args), 1);
        EXPECT_NE(err_.find(c.says), std::string::npos) << err_;
        EXPECT_EQ(out_, "");
        expectNothingLeft({"notes.pdf", "old.orva"});
        EXPECT_EQ(*readWholeFile(folder_ / "old.orva"), before);
    }
}

// The program alone in a folder (a Windows build could otherwise find the
// tools beside it), with nothing on PATH.
TEST_F(PdfTest, MissingToolsAreNamed) {
    fs::create_directories(folder_ / "alone");
    const fs::path program = folder_ / "alone" / fs::path(pathFromUtf8(kProgram)).filename();
    fs::copy_file(pathFromUtf8(kProgram), program);
    const testing::ScopedVariable searchPath("PATH", utf8(folder_ / "alone"));
    auto child = testing::Child::start(utf8(program), {"pdf", kManual, "-o", path("out.orva")}, path("log.txt"));
    ASSERT_TRUE(child);
    EXPECT_EQ(child->wait(), 1);
    const auto log = readWholeFile(folder_ / "log.txt");
    const std::string text(log->begin(), log->end());
    EXPECT_NE(text.find("pdfinfo"), std::string::npos) << text;
    EXPECT_NE(text.find("not found"), std::string::npos) << text;
    expectNothingLeft({"alone", "log.txt"});
}

TEST_F(PdfTest, ProgressIsShownOnlyWhenAskedForAndThenCleared) {
    ASSERT_EQ(run({"pdf", kManual, "-o", path("two.orva"), "--pages", "4-5"}, {.showProgress = true}), 0);
    EXPECT_NE(err_.find("\rorvatool pdf: page 4 (1 of 2)"), std::string::npos) << err_;
    EXPECT_NE(err_.find("\rorvatool pdf: page 5 (2 of 2)"), std::string::npos) << err_;
    EXPECT_TRUE(err_.ends_with("\r")) << err_;  // the line is blanked again
    EXPECT_TRUE(out_.starts_with(path("two.orva") + ": 2 pages")) << out_;

    // The program whose standard error is a file says nothing but the result.
    auto child = testing::Child::start(kProgram, {"pdf", kManual, "-o", path("one.orva"), "--pages", "4"},
                                       path("log.txt"));
    ASSERT_TRUE(child);
    EXPECT_EQ(child->wait(), 0);
    const auto log = readWholeFile(folder_ / "log.txt");
    ASSERT_TRUE(log);
    EXPECT_EQ(std::string(log->begin(), log->end()),
              path("one.orva") + ": 1 pages, " + std::to_string(fs::file_size(folder_ / "one.orva")) +
                  " bytes, run-length" + kNewline);
}

// The program itself, interrupted once it has written a page and while it
// renders the next ones.
TEST_F(PdfTest, AnInterruptedRunLeavesNothingBehind) {
    struct Case {
        const char* name;
#ifndef _WIN32
        int signal;
#endif
        int status;
    };
#ifdef _WIN32
    const Case cases[] = {{"Ctrl+C", 130}};
#else
    const Case cases[] = {{"SIGINT", SIGINT, 130}, {"SIGTERM", SIGTERM, 143}, {"SIGHUP", SIGHUP, 129}};
#endif
    const fs::path partial = folder_ / "manual.orva.partial";
    // Past the header, the index and the first page's data.
    const std::uintmax_t onePage = orva::kOrvaHeaderSize + kManualPages * orva::kOrvaIndexEntrySize + 1000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto child = testing::Child::start(kProgram, {"pdf", kManual, "-o", path("manual.orva")}, path("log.txt"));
        ASSERT_TRUE(child);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        std::error_code error;
        while (!(fs::exists(partial, error) && fs::file_size(partial, error) > onePage) && child->running() &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_TRUE(fs::exists(partial)) << "the run wrote no page";
        EXPECT_FALSE(namesIn(folder_ / "tmp").empty()) << "no rendering folder while rendering";
        const auto sent = std::chrono::steady_clock::now();
#ifdef _WIN32
        ASSERT_TRUE(child->sendCtrlCUnderWine("orvatool.exe", path("manual.orva")));
#else
        ASSERT_TRUE(child->sendSignal(c.signal));
#endif
        EXPECT_EQ(child->wait(std::chrono::seconds(30)), c.status);
        EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(10));
        const auto log = readWholeFile(folder_ / "log.txt");
        EXPECT_EQ(std::string(log->begin(), log->end()), "orvatool: interrupted" + kNewline);
        fs::remove(folder_ / "log.txt");
        expectNothingLeft();
    }
}

#ifndef _WIN32
// An interruption does not wait for the page in progress: the pdftoppm run
// is ended with the program's own.
TEST_F(PdfTest, AnInterruptionEndsAHangingPdftoppm) {
    fs::create_directories(folder_ / "slow");
    const std::string script = "#!/bin/sh\nexec sleep 60\n";
    ASSERT_TRUE(orva::testing::writeBytesToFile(path("slow/pdftoppm"), Bytes(script.begin(), script.end())));
    fs::permissions(folder_ / "slow" / "pdftoppm", fs::perms::owner_all);
    const testing::ScopedVariable searchPath("PATH", path("slow") + ":/usr/bin:/bin");
    auto child = testing::Child::start(kProgram, {"pdf", kManual, "-o", path("manual.orva")}, path("log.txt"));
    ASSERT_TRUE(child);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(folder_ / "manual.orva.partial") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(child->sendSignal(SIGTERM));
    EXPECT_EQ(child->wait(std::chrono::seconds(30)), 128 + SIGTERM);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(2));
    expectNothingLeft({"log.txt", "slow"});
}
#endif

#ifndef _WIN32
// The program's own resident memory, one page against the whole manual: the
// pages pass through without piling up. (Its sanitizer is told to give freed
// blocks back at once; otherwise it holds them for a while by design.)
TEST_F(PdfTest, ResidentMemoryDoesNotGrowWithThePageCount) {
    const testing::ScopedVariable sanitizer("ASAN_OPTIONS", "quarantine_size_mb=0");
    long peak[2] = {};
    const char* ranges[2] = {"1", "1-"};
    for (int i = 0; i < 2; ++i) {
        auto child = testing::Child::start(kProgram, {"pdf", kManual, "-o", path("m.orva"), "--pages", ranges[i]},
                                           path("log.txt"));
        ASSERT_TRUE(child);
        // Sampled until the end: the mark only ever rises.
        while (!child->wait(std::chrono::milliseconds(0))) {
            peak[i] = std::max(peak[i], child->residentPeakKilobytes());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_EQ(child->wait(), 0);
        EXPECT_GT(peak[i], 0);
    }
    const long pageKilobytes = static_cast<long>((*reference_)[0].bgr.size() / 1024);
    std::printf("orvatool pdf: resident peak %ld KiB for 1 page, %ld KiB for %u pages (a page: %ld KiB)\n", peak[0],
                peak[1], kManualPages, pageKilobytes);
    EXPECT_LT(peak[1] - peak[0], pageKilobytes);
}
#endif

#ifdef _WIN32
// orvatool.exe finds the tools where the viewer does: here in a poppler
// folder beside it, with nothing on PATH.
TEST_F(PdfTest, ThePopplerFolderBesideTheProgramServes) {
    fs::create_directories(folder_ / "bin");
    fs::copy_file(testing::widen(kProgram), folder_ / "bin" / "orvatool.exe");
    fs::copy(fs::path(testing::widen(kBundledRoot)), folder_ / "bin", fs::copy_options::recursive);
    const testing::ScopedVariable path("PATH", utf8(folder_ / "tmp"));
    auto child = testing::Child::start(utf8(folder_ / "bin" / "orvatool.exe"),
                                       {"pdf", kManual, "-o", this->path("one.orva"), "--pages", "7"}, this->path("log"));
    ASSERT_TRUE(child);
    EXPECT_EQ(child->wait(), 0);
    expectReferencePages(this->path("one.orva"), 7, 1);
}
#endif

}  // namespace
}  // namespace orvatool
