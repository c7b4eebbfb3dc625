// The viewer with the real poppler utilities: the Windows pdfinfo.exe and
// pdftoppm.exe that the release ships (the build's bundled-poppler folder:
// poppler\ and share\poppler, as they lie beside the viewer in the release),
// found in each of the places the viewer searches. Real PDFs are opened and
// paged through, and every page shown must equal, pixel for pixel, what the
// host's own pdftoppm writes for it (run through the bridge programs).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/app_state.h"
#include "app/document_jobs.h"
#include "app/main_window.h"
#include "app/open_document.h"
#include "app/page_text.h"
#include "app/startup.h"
#include "document/page_memory.h"
#include "document/page_parts.h"
#include "view/draw_page_image.h"
#include "view/page_placement.h"
#include "view/status_text.h"
#include "view/view.h"
#include "pdf/tool_locator.h"
#include "pdf/tool_search.h"
#include "support/fake_poppler_win.h"
#include "support/main_window_fixture_win.h"
#include "support/process_measure_win.h"
#include "view/view_geometry.h"

namespace orva {
namespace {

using testing::narrow;
using testing::widen;
using testing::windowsPath;

constexpr const char* kManual = "Z:\\usr\\share\\doc\\libtasn1-doc\\libtasn1.pdf";
constexpr const char* kCupsTestPage = "Z:\\usr\\share\\cups\\data\\default-testpage.pdf";

const std::string& bridgeFolder() {
    static const std::string folder = windowsPath(ORVA_BINARY_DIR "/poppler");
    return folder;
}

// Holds poppler\ (the tools and their libraries) and share\poppler.
const std::string& bundledRoot() {
    static const std::string folder = windowsPath(ORVA_BUNDLED_POPPLER);
    return folder;
}

const std::string& bundledTools() {
    static const std::string folder = bundledRoot() + "\\poppler";
    return folder;
}

// A PDF of one page (72 x 72 points) drawn by `content`, its page dictionary
// given `resources`, with `more` objects numbered from 5 on.
std::string onePagePdf(const std::string& content, const std::string& resources, const std::vector<std::string>& more) {
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 72 72] " + resources + "/Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
    };
    objects.insert(objects.end(), more.begin(), more.end());
    std::string file = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(file.size());
        file += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = file.size();
    file += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        file += line;
    }
    file += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
            std::to_string(xref) + "\n%%EOF\n";
    return file;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct Raster {
    unsigned width = 0, height = 0;
    std::string rgb;
};

// The tool's own output, read without the program's reader.
Raster readReference(const std::string& path) {
    const std::string bytes = testing::readTextFile(path);
    Raster raster;
    std::size_t at = 0;
    const auto token = [&] {
        while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        const std::size_t begin = at;
        while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        return bytes.substr(begin, at - begin);
    };
    if (token() != "P6") return raster;
    raster.width = static_cast<unsigned>(std::stoul(token()));
    raster.height = static_cast<unsigned>(std::stoul(token()));
    token();
    raster.rgb = bytes.substr(at + 1);
    return raster;
}

// Where the viewer finds the tools: on PATH, in the fixed install folder
// C:\poppler\Library\bin (data two levels up, as the Windows build lays it
// out), or in a poppler folder beside the running program (data beside it,
// as in the release).
enum class Place { Path, InstallFolder, BesideProgram };

class RealPopplerTest : public testing::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // The bundled tools are part of the build: without them this fails, it does not skip.
        ASSERT_TRUE(testing::fileExists(bundledTools() + "\\pdftoppm.exe")) << bundledTools();
        ASSERT_TRUE(testing::fileExists(bridgeFolder() + "\\pdftoppm.exe")) << "no bridge to the host's pdftoppm";
        ASSERT_TRUE(testing::fileExists("Z:\\usr\\bin\\pdftoppm")) << "the host has no pdftoppm (poppler-utils)";
    }
    void TearDown() override {
        closeDocument(state());
        MainWindowTest::TearDown();
        EXPECT_FALSE(testing::fileExists(fake.workFolder()));
        std::error_code ignored;
        for (const std::string& folder : placed_) std::filesystem::remove_all(widen(folder), ignored);
    }

    // Puts the bundled tools where `place` says; nothing else offers them.
    void place(Place where) {
        const auto copy = [&](const std::string& from, const std::string& to) {
            std::filesystem::create_directories(std::filesystem::path(widen(to)).parent_path());
            std::filesystem::copy(widen(from), widen(to), std::filesystem::copy_options::recursive);
        };
        switch (where) {
        case Place::Path:
            path_ = std::make_unique<testing::ScopedVariable>(L"PATH", widen(bundledTools()));
            return;
        case Place::InstallFolder:
            ASSERT_FALSE(testing::fileExists("C:\\poppler")) << "C:\\poppler is in the way";
            placed_.push_back("C:\\poppler");
            copy(bundledTools(), "C:\\poppler\\Library\\bin");
            copy(bundledRoot() + "\\share", "C:\\poppler\\share");
            return;
        case Place::BesideProgram:
            for (const char* name : {"\\poppler", "\\share"}) {
                const std::string folder = testing::testProgramFolder() + name;
                ASSERT_FALSE(testing::fileExists(folder)) << folder << " is in the way";
                placed_.push_back(folder);
                copy(bundledRoot() + name, folder);
            }
            return;
        }
    }

    // The tool's folder and data folder as the viewer finds them now.
    std::string foundTool() {
        auto tool = locateTool(allocator, kPdftoppmName);
        return tool ? std::string(tool->view()) : "(none)";
    }

    // The host pdftoppm's rendering of every page, at the viewer's resolution, in one run.
    const Raster& reference(const std::string& pdf, std::uint64_t index) {
        if (referencePdf_ != pdf) {
            referencePdf_ = pdf;
            referenceFolder_ = fake.path("reference-" + std::to_string(++references_));
            std::filesystem::create_directories(widen(referenceFolder_));
            const auto run = testing::runProgram(bridgeFolder() + "\\pdftoppm.exe",
                                                 "-r 150 \"" + pdf + "\" \"" + referenceFolder_ + "\\ref\"");
            EXPECT_EQ(run.exitCode, 0u) << run.output;
            referencePages_.clear();
            for (const auto& entry : std::filesystem::directory_iterator(widen(referenceFolder_))) {
                referencePages_.push_back(narrow(entry.path().wstring()));
            }
            std::sort(referencePages_.begin(), referencePages_.end());
            cached_.assign(referencePages_.size(), {});
        }
        EXPECT_LT(index, referencePages_.size()) << "the host's pdftoppm wrote no page " << index + 1;
        if (index >= referencePages_.size()) return empty_;
        if (cached_[index].rgb.empty()) cached_[index] = readReference(referencePages_[index]);
        return cached_[index];
    }

    void expectSamePixels(const std::string& pdf, std::uint64_t index) {
        const PageImage& page = state().document.pages[index];
        ASSERT_TRUE(page.present) << "page " << index + 1;
        const Raster& expected = reference(pdf, index);
        ASSERT_EQ(page.width, expected.width) << "page " << index + 1;
        ASSERT_EQ(page.height, expected.height) << "page " << index + 1;
        ASSERT_EQ(page.length(), expected.rgb.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < expected.rgb.size(); i += 3) {
            const auto r = static_cast<std::uint8_t>(expected.rgb[i]), g = static_cast<std::uint8_t>(expected.rgb[i + 1]),
                       b = static_cast<std::uint8_t>(expected.rgb[i + 2]);
            differing += page.pixels[i] != b || page.pixels[i + 1] != g || page.pixels[i + 2] != r;
        }
        EXPECT_EQ(differing, 0u) << "pixels of page " << index + 1 << " differ from the host pdftoppm's";
    }

    void openAndExpectFirstPage(const std::string& pdf) {
        openDocument(state(), pdf);
        ASSERT_TRUE(ui.messages.empty()) << ui.messages.front().text;
        ASSERT_TRUE(state().documentLoaded);
        EXPECT_EQ(state().document.dpi, 150);
        expectSamePixels(pdf, 0);
    }

    // Page Down to the last page, each page as pdftoppm draws it; then Home.
    void pageToTheEndAndBack(const std::string& pdf) {
        const std::uint64_t count = state().document.pageCount();
        for (std::uint64_t index = 1; index < count; ++index) {
            send(WM_KEYDOWN, VK_NEXT);
            ASSERT_EQ(state().currentPage, index);
            ASSERT_TRUE(ui.messages.empty()) << ui.messages.front().text;
            expectSamePixels(pdf, index);
        }
        send(WM_KEYDOWN, VK_HOME);
        EXPECT_EQ(state().currentPage, 0u);
        EXPECT_TRUE(ui.messages.empty());
        expectSamePixels(pdf, 0);
    }

    // One notch of the wheel down, with the pointer over the strip.
    void turnWheelOverStrip() {
        POINT point{90, 300};
        ClientToScreen(window(), &point);
        send(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<unsigned short>(-WHEEL_DELTA)) << 16,
             MAKELPARAM(static_cast<short>(point.x), static_cast<short>(point.y)));
    }

    // The manual twice over, joined by the host's pdfunite: 72 pages.
    std::string joinedManual() {
        const std::string pdf = fake.path("long.pdf"), host = testing::hostPath(pdf);
        const std::string manual = "/usr/share/doc/libtasn1-doc/libtasn1.pdf";
        EXPECT_TRUE(testing::runHostProgram(L"/bin/sh",
                                            widen("/bin/sh -c \"pdfunite " + manual + " " + manual + " '" + host +
                                                  ".part' && mv '" + host + ".part' '" + host + "'\""),
                                            [&] { return testing::fileExists(pdf); }, 30000));
        return pdf;
    }

    // A part of a page as a tool draws it at `resolution`, through an
    // output file, read without the program's reader.
    Raster renderedPart(const std::string& tools, const std::string& pdf, int page, int resolution, RECT part) {
        const std::string root = fake.path("part-" + std::to_string(++references_));
        const auto run = testing::runProgram(
            tools + "\\pdftoppm.exe",
            "-r " + std::to_string(resolution) + " -x " + std::to_string(part.left) + " -y " + std::to_string(part.top) +
                " -W " + std::to_string(part.right - part.left) + " -H " + std::to_string(part.bottom - part.top) +
                " -f " + std::to_string(page) + " -l " + std::to_string(page) + " -singlefile \"" + pdf + "\" \"" +
                root + "\"");
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        return readReference(root + ".ppm");
    }

    // The status line as the paint leaves it is the status line alone: its
    // text drawn on the button face as nothing else covers it.
    void expectReadableStatusLine(const testing::PaintedBitmap& bitmap) {
        testing::PaintedBitmap alone(bitmap.width(), bitmap.height());
        const RECT bar{0, bitmap.height() - BandHeight, bitmap.width(), bitmap.height()};
        FillRect(alone.dc(), &bar, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(alone.dc(), TRANSPARENT);
        const FixedText<256> text = composeStatusText(state());
        TextOutA(alone.dc(), 4, bitmap.height() - 20, text.c_str(), static_cast<int>(text.view().size()));
        int differing = 0;
        for (int y = bar.top; y < bar.bottom; ++y)
            for (int x = 0; x < bar.right; ++x) differing += bitmap.at(x, y) != alone.at(x, y);
        EXPECT_EQ(differing, 0) << "pixels of the status line drawn over";
    }

    testing::FakePoppler fake;
    std::unique_ptr<testing::ScopedVariable> path_;
    std::vector<std::string> placed_;
    std::string referencePdf_, referenceFolder_;
    std::vector<std::string> referencePages_;
    std::vector<Raster> cached_;
    Raster empty_;
    int references_ = 0;
};

class RealPopplerPlaceTest : public RealPopplerTest, public ::testing::WithParamInterface<Place> {};

// In every place the viewer searches, it finds the bundled tools and their
// data, opens the manual, goes to its last page and back to the first.
TEST_P(RealPopplerPlaceTest, FindsTheBundledToolsAndShowsTheManualsPages) {
    place(GetParam());
    const std::string tool = foundTool();
    const std::string expected[] = {bundledTools(), "C:\\poppler\\Library\\bin",
                                    testing::testProgramFolder() + "\\poppler"};
    EXPECT_EQ(lower(tool), lower(expected[static_cast<int>(GetParam())] + "\\pdftoppm.exe"));
    auto environment = makeToolEnvironment(allocator, tool);
    ASSERT_TRUE(environment);
    const auto data = environment->find("POPPLER_DATADIR");
    ASSERT_TRUE(data) << "no share\\poppler found for " << tool;
    EXPECT_TRUE(testing::fileExists(std::string(*data) + "\\cMap\\Adobe-Japan1\\UniJIS-UCS2-H")) << *data;

    openAndExpectFirstPage(kManual);
    EXPECT_EQ(state().document.pageCount(), 36u);
    EXPECT_EQ(state().document.title.view(), "libtasn1");
    send(WM_KEYDOWN, VK_END);
    EXPECT_EQ(state().currentPage, 35u);
    EXPECT_TRUE(ui.messages.empty());
    expectSamePixels(kManual, 35);
    expectSamePixels(kManual, 34);
    send(WM_KEYDOWN, VK_HOME);
    EXPECT_EQ(state().currentPage, 0u);
    expectSamePixels(kManual, 1);
}

std::string placeTestName(const ::testing::TestParamInfo<Place>& info) {
    const char* const names[] = {"Path", "InstallFolder", "BesideProgram"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Places, RealPopplerPlaceTest,
                         ::testing::Values(Place::Path, Place::InstallFolder, Place::BesideProgram), placeTestName);

TEST_F(RealPopplerTest, PagesThroughTheWholeManualWithTheHostsOwnPixels) {
    place(Place::Path);
    openAndExpectFirstPage(kManual);
    pageToTheEndAndBack(kManual);
}

// The manual encrypted by qpdf (tests/CMakeLists.txt), with AES-256 and
// with RC4, opens with the user's password and with the owner's, each typed
// into the dialog once; its pages, its count and its text are the manual's.
TEST_F(RealPopplerTest, OpensTheEncryptedManualWithEitherPassword) {
    place(Place::Path);
    const struct {
        const char* file;
        const wchar_t* password;
    } cases[] = {{"locked-aes256.pdf", L"reader"}, {"locked-aes256.pdf", L"author"},
                 {"locked-rc4.pdf", L"reader"},    {"locked-rc4.pdf", L"author"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::narrow(c.password) + " for " + c.file);
        closeDocument(state());
        int asked = 0;
        ui.answerDialog = [&](HWND dialog) {
            ++asked;
            SetDlgItemTextW(dialog, 101, c.password);
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        };
        openDocument(state(), windowsPath(ORVA_BINARY_DIR "/tests/") + c.file);
        EXPECT_EQ(asked, 1);
        ASSERT_TRUE(ui.messages.empty()) << ui.messages.front().text;
        ASSERT_TRUE(state().documentLoaded);
        EXPECT_EQ(state().document.pageCount(), 36u);
        expectSamePixels(kManual, 0);
        send(WM_KEYDOWN, VK_END);
        expectSamePixels(kManual, 35);
        needPageText(state(), 0, true, 1);
        ASSERT_TRUE(settleJobs());
        ASSERT_EQ(state().document.text.state(0), TextState::Fetched);
        const PageText& text = state().document.text.pages[0];
        ASSERT_GE(text.words.size(), 4u);
        EXPECT_EQ(text.wordText(0), "Libtasn1");
        EXPECT_EQ(text.wordText(1), "Abstract");
    }
}

TEST_F(RealPopplerTest, ShowsTheCupsTestPage) {
    place(Place::Path);
    openAndExpectFirstPage(kCupsTestPage);
    EXPECT_EQ(state().document.pageCount(), 1u);
}

// A PDF whose text names a predefined character map and a font it does not
// embed: the tools need share\\poppler to read it, and say so when it is not
// where they look (beside the folder that holds them).
TEST_F(RealPopplerTest, TheBundledToolsFindTheirData) {
    const std::string content = "BT /F1 36 Tf 10 30 Td <30423044> Tj ET\n";
    const std::string pdf = fake.path("cmap.pdf");
    testing::writeTextFile(pdf, onePagePdf(content, "/Resources << /Font << /F1 5 0 R >> >> ",
                                           {"<< /Type /Font /Subtype /Type0 /BaseFont /KozMinPr6N-Regular "
                                            "/Encoding /UniJIS-UCS2-H /DescendantFonts [6 0 R] >>",
                                            "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /KozMinPr6N-Regular "
                                            "/CIDSystemInfo << /Registry (Adobe) /Ordering (Japan1) /Supplement 6 >> "
                                            "/FontDescriptor 7 0 R >>",
                                            "<< /Type /FontDescriptor /FontName /KozMinPr6N-Regular /Flags 4 "
                                            "/FontBBox [0 -100 1000 900] /ItalicAngle 0 /Ascent 880 /Descent -120 "
                                            "/CapHeight 700 /StemV 80 >>"}));
    const std::string missing = "Missing language pack for 'Adobe-Japan1'";
    const auto render = [&](const std::string& tools) {
        return testing::runProgram(tools + "\\pdftoppm.exe", "-r 150 \"" + pdf + "\" \"" + fake.path("out") + "\"");
    };
    const auto bundled = render(bundledTools());
    EXPECT_EQ(bundled.exitCode, 0u) << bundled.output;
    EXPECT_EQ(bundled.output.find(missing), std::string::npos) << bundled.output;

    // The same tools with no data beside their folder.
    const std::string alone = fake.path("alone\\poppler");
    std::filesystem::create_directories(widen(alone));
    std::filesystem::copy(widen(bundledTools()), widen(alone), std::filesystem::copy_options::recursive);
    const auto without = render(alone);
    EXPECT_NE(without.output.find(missing), std::string::npos) << without.output;
}

TEST_F(RealPopplerTest, ShowsColoursInTheirOwnPlaces) {
    place(Place::Path);
    // A page painted red on its upper half and blue on its lower half.
    const std::string pdf = fake.path("colours.pdf");
    testing::writeTextFile(pdf, onePagePdf("1 0 0 rg 0 36 72 36 re f\n0 0 1 rg 0 0 72 36 re f\n", "", {}));

    openAndExpectFirstPage(pdf);
    const PageImage& page = state().document.pages[0];
    ASSERT_EQ(page.width, 150u);
    ASSERT_EQ(page.height, 150u);
    const auto pixel = [&](unsigned x, unsigned y) {
        const std::size_t at = (std::size_t{y} * page.width + x) * 3;
        return std::vector<int>{page.pixels[at], page.pixels[at + 1], page.pixels[at + 2]};
    };
    EXPECT_EQ(pixel(75, 10), (std::vector<int>{0, 0, 255})) << "red on top, stored blue, green, red";
    EXPECT_EQ(pixel(75, 140), (std::vector<int>{255, 0, 0})) << "blue below";
}

// The manual twice over, joined by pdfunite, read front to back by the
// bundled Windows pdftoppm with a budget of 40 MiB: the test process's
// memory stays within the budget and 100 MiB of what it held after the open,
// page 1's thumbnail is still drawn once its page is released, and Home
// renders page 1 again as pdftoppm does.
TEST_F(RealPopplerTest, ReadsALongPdfFrontToBackWithinItsPageBudget) {
    if (!testing::fileExists(kManual) || !testing::fileExists("Z:\\usr\\bin\\pdfunite"))
        GTEST_SKIP() << "no manual or no pdfunite on the host";
    const std::string pdf = fake.path("long.pdf"), host = testing::hostPath(pdf);
    const std::string manual = "/usr/share/doc/libtasn1-doc/libtasn1.pdf";
    ASSERT_TRUE(testing::runHostProgram(L"/bin/sh",
                                        widen("/bin/sh -c \"pdfunite " + manual + " " + manual + " '" + host +
                                              ".part' && mv '" + host + ".part' '" + host + "'\""),
                                        [&] { return testing::fileExists(pdf); }, 30000));
    place(Place::Path);
    const testing::ScopedVariable budget(L"ORVA_PAGE_MEMORY_MB", L"40");
    readPageMemoryBudget(state());
    openDocument(state(), pdf);
    ASSERT_TRUE(ui.messages.empty()) << ui.messages.front().text;
    ASSERT_EQ(state().document.pageCount(), 72u);
    const std::uint64_t opened = soak::privateBytes(GetCurrentProcess());

    const RECT rect = clientRect();
    const int boxTop = static_cast<int>(thumbnailTop({rect.left, rect.top, rect.right, rect.bottom}, 0, 0)) + ThumbnailBoxTop;
    const auto firstThumbnail = [&] {
        state().sidebarScroll = 0;
        testing::PaintedBitmap bitmap(rect.right, rect.bottom);
        paint(bitmap);
        std::vector<std::uint32_t> pixels;
        for (int y = boxTop; y < boxTop + ThumbnailBoxHeight; ++y)
            for (int x = ThumbnailBoxLeft; x < ThumbnailBoxLeft + ThumbnailBoxWidth; ++x) pixels.push_back(bitmap.at(x, y));
        return pixels;
    };
    const std::vector<std::uint32_t> shown = firstThumbnail();

    for (std::uint64_t page = 1; page < 72; ++page) {
        send(WM_KEYDOWN, VK_NEXT);
        ASSERT_TRUE(title().starts_with("long - Page " + std::to_string(page + 1) + "/72 (")) << title();
        ASSERT_TRUE(state().document.pages[page].present);
        ASSERT_LE(soak::privateBytes(GetCurrentProcess()), opened + (140u << 20)) << "on page " << page + 1;
    }
    EXPECT_LE(heldPageBytes(state().document), 40u << 20);
    expectSamePixels(pdf, 71);

    // Page 1 is gone but for its copy, which looks as its thumbnail did.
    ASSERT_FALSE(state().document.pages[0].present);
    const std::vector<std::uint32_t> kept = firstThumbnail();
    // Block by block as bright as the thumbnail drawn from the page itself
    // (the strip's stretch samples where the copy averages), and brighter
    // than an empty box; inside the image, whose frame was the current
    // page's at first.
    double difference = 0;
    std::size_t blocks = 0, bright = 0;
    for (int top = 0; top + 10 <= ThumbnailBoxHeight; top += 10) {
        for (int left = 30; left < 130; left += 10, ++blocks) {
            int sum = 0;
            for (int i = 0; i < 100; ++i) {
                const std::size_t at = std::size_t(top + i / 10) * ThumbnailBoxWidth + left + i % 10;
                sum += int(kept[at] & 0xFF) - int(shown[at] & 0xFF);
                bright += (kept[at] & 0xFF) > 240;
            }
            difference += std::abs(sum) / 100.0;
        }
    }
    EXPECT_LT(difference / blocks, 5.0);
    EXPECT_GT(bright, blocks * 50);

    send(WM_KEYDOWN, VK_HOME);
    EXPECT_TRUE(title().starts_with("long - Page 1/72 (")) << title();
    expectSamePixels(pdf, 0);
    EXPECT_TRUE(ui.messages.empty());
}

// At 200 % the paint draws the stretched page at once and asks for the
// part in view; once it has come, what the view shows of the page is what
// the tool draws at 300 dpi for that part: the bundled tool exactly (the
// one the viewer ran), the host's within the tolerance measured here.
TEST_F(RealPopplerTest, AtTwiceTheSizeThePageInViewIsDrawnAsTheToolDrawsItAt300Dpi) {
    place(Place::Path);
    openAndExpectFirstPage(kManual);
    for (int i = 0; i < 4; ++i) send(WM_KEYDOWN, VK_NEXT);
    ASSERT_EQ(state().currentPage, 4u);
    ASSERT_TRUE(settleJobs());
    const RECT rect = clientRect();
    const ClientArea client{rect.left, rect.top, rect.right, rect.bottom};
    state().fitMode = FitMode::None;
    state().zoom = 2.0f;
    state().scrollX = 300;
    state().scrollY = 900;
    updateScrollBars(state());
    invalidateMainWindow(state(), false);
    UpdateWindow(window());
    // The paint has asked; nothing has come yet, whatever the tool has done
    // meanwhile: what it finished is taken up only by the window's messages.
    ASSERT_TRUE(state().document.worker->pending(JobRegion) || state().document.worker->started() > 0);
    ASSERT_EQ(heldPartBytes(state().document), 0u);
    const PageImage& page = state().document.pages[4];
    const PagePlacement placement = placePage(client, page.width, page.height, 2.0f, state().scrollX, state().scrollY, 0);
    const RECT view{SidebarWidth, BandHeight, rect.right, rect.bottom - BandHeight};
    testing::PaintedBitmap before(rect.right, rect.bottom), stretched(rect.right, rect.bottom);
    paint(before);
    // The page's own picture stretched as the paint does it, clipped alike.
    IntersectClipRect(stretched.dc(), view.left, view.top, view.right, view.bottom);
    drawPageImage(stretched.dc(), placement.origin.x, placement.origin.y, placement.displayed.width,
                  placement.displayed.height, page);
    for (int y = view.top; y < view.bottom; y += 2)
        for (int x = view.left; x < view.right; x += 2)
            ASSERT_EQ(before.at(x, y), stretched.at(x, y)) << "before the part came: " << x << "," << y;

    ASSERT_TRUE(pumpUntil([&] { return heldPartBytes(state().document) > 0; }));
    testing::PaintedBitmap after(rect.right, rect.bottom);
    paint(after);
    const RECT part{view.left - placement.origin.x, view.top - placement.origin.y, view.right - placement.origin.x,
                    view.bottom - placement.origin.y};
    for (const bool bundled : {true, false}) {
        const Raster expected = renderedPart(bundled ? bundledTools() : bridgeFolder(), kManual, 5, 300, part);
        ASSERT_EQ(expected.width, static_cast<unsigned>(part.right - part.left));
        ASSERT_EQ(expected.height, static_cast<unsigned>(part.bottom - part.top));
        std::size_t differing = 0, stretchedDiffering = 0;
        int most = 0;
        for (unsigned y = 0; y < expected.height; ++y) {
            for (unsigned x = 0; x < expected.width; ++x) {
                const auto* p = reinterpret_cast<const unsigned char*>(expected.rgb.data()) + (y * expected.width + x) * 3;
                const std::uint32_t want = testing::rgb(p[0], p[1], p[2]);
                const std::uint32_t got = after.at(view.left + x, view.top + y);
                differing += got != want;
                stretchedDiffering += stretched.at(view.left + x, view.top + y) != want;
                for (int shift : {0, 8, 16})
                    most = std::max(most, std::abs(int((got >> shift) & 255) - int((want >> shift) & 255)));
            }
        }
        const std::size_t total = std::size_t{expected.width} * expected.height;
        std::printf("sharp part against the %s pdftoppm at 300 dpi: %zu of %zu pixels differ (at most by %d); "
                    "the stretched page differs in %zu\n",
                    bundled ? "bundled" : "host's", differing, total, most, stretchedDiffering);
        if (bundled) {
            EXPECT_EQ(differing, 0u);
        } else {
            EXPECT_LE(differing, total / 100);
        }
        EXPECT_GT(stretchedDiffering, total / 50) << "the stretched page was not already sharp";
    }
    EXPECT_TRUE(ui.messages.empty());
}

// Scrolling the strip from the first page of the manual twice over to the
// last, one wheel notch at a time: every frame in view gets its thumbnail,
// made by runs of pages; the status line reads in full at every zoom and
// scroll position of the view.
TEST_F(RealPopplerTest, TheStripGetsEveryThumbnailInViewByRunsAndTheStatusLineStaysReadable) {
    if (!testing::fileExists(kManual) || !testing::fileExists("Z:\\usr\\bin\\pdfunite"))
        GTEST_SKIP() << "no manual or no pdfunite on the host";
    const std::string pdf = joinedManual();
    place(Place::Path);
    openDocument(state(), pdf);
    ASSERT_TRUE(ui.messages.empty()) << ui.messages.front().text;
    ASSERT_EQ(state().document.pageCount(), 72u);
    const RECT rect = clientRect();
    const ClientArea client{rect.left, rect.top, rect.right, rect.bottom};
    std::uint64_t checked = 0;
    for (int notch = 0;; ++notch) {
        UpdateWindow(window());
        ASSERT_TRUE(settleJobs());
        const PageRange visible = visibleThumbnails(client, state().sidebarScroll, 72);
        for (std::uint64_t i = visible.first; i < visible.end; ++i) {
            ASSERT_TRUE(state().document.pages[i].present || releasedPageCopy(state().document, i) != nullptr)
                << "page " << i + 1 << " at notch " << notch;
        }
        if (notch % 23 == 0) {
            // Drawn: the frame's box holds a picture, not the empty grey.
            testing::PaintedBitmap bitmap(rect.right, rect.bottom);
            paint(bitmap);
            const int top = static_cast<int>(thumbnailTop(client, state().sidebarScroll, visible.first + 1));
            int grey = 0;
            for (int y = top + ThumbnailBoxTop; y < top + ThumbnailBoxTop + ThumbnailBoxHeight; ++y)
                for (int x = ThumbnailBoxLeft; x < ThumbnailBoxLeft + ThumbnailBoxWidth; ++x)
                    grey += bitmap.at(x, y) == testing::rgb(232, 232, 232);
            EXPECT_LT(grey, ThumbnailBoxWidth * ThumbnailBoxHeight / 2) << "page " << visible.first + 2;
            ++checked;
        }
        if (state().sidebarScroll == sidebarScrollLimit(client, 72)) break;
        turnWheelOverStrip();
    }
    EXPECT_GT(checked, 10u);
    const std::uint64_t runs = state().pictureJobs.thumbnailRuns;
    std::printf("thumbnails of 72 pages in %llu runs\n", static_cast<unsigned long long>(runs));
    EXPECT_LE(runs, 72u / 4) << "runs of pages, not one a page";
    EXPECT_GE(runs, 72u / kThumbnailRun);

    // The status line at Fit Width, at each zoom and scroll position.
    send(WM_KEYDOWN, VK_HOME);
    command(CommandFitWidth);
    for (int zoom = 0; zoom < 4; ++zoom) {
        for (const int scroll : {0, 1, 2}) {
            const ScrollLimits limits = scrollLimits(client, displayedSize(state().document.pages[0].width,
                                                                           state().document.pages[0].height, state().zoom));
            state().scrollY = limits.vertical * scroll / 2;
            state().scrollX = limits.horizontal * scroll / 2;
            testing::PaintedBitmap bitmap(rect.right, rect.bottom);
            paint(bitmap);
            SCOPED_TRACE("zoom " + std::to_string(state().zoom) + " scroll " + std::to_string(scroll));
            expectReadableStatusLine(bitmap);
        }
        command(CommandZoomIn);
    }
}

}  // namespace
}  // namespace orva
