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
#include "app/open_document.h"
#include "app/startup.h"
#include "document/page_memory.h"
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

constexpr const char* kManual = "Z:\\usr\\share\\doc\\libtasn1-doc\\libtasn1.pdf";
constexpr const char* kCupsTestPage = "Z:\\usr\\share\\cups\\data\\default-testpage.pdf";

std::string windowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

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

}  // namespace
}  // namespace orva
