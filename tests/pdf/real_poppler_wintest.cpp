// The viewer with the real poppler utilities: the host's pdfinfo and
// pdftoppm, reached through the bridge programs built beside the viewer. A
// PDF that a Debian package ships is opened and paged through, and every
// page shown must equal, pixel for pixel, what pdftoppm itself writes for it.
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
#include "support/fake_poppler_win.h"
#include "support/main_window_fixture_win.h"
#include "support/process_measure_win.h"
#include "view/view_geometry.h"

namespace orva {
namespace {

using testing::narrow;
using testing::widen;

constexpr const char* kDebianPdf = "Z:\\usr\\share\\doc\\libtasn1-doc\\libtasn1.pdf";

std::string bridgeFolder() {
    std::string path = "Z:" ORVA_BINARY_DIR "/poppler";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
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

class RealPopplerTest : public testing::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (!testing::fileExists(bridgeFolder() + "\\pdftoppm.exe") || !testing::fileExists("Z:\\usr\\bin\\pdftoppm") ||
            !testing::fileExists("Z:\\usr\\bin\\pdfinfo")) {
            GTEST_SKIP() << "no poppler utilities on the host, or no bridge to them";
        }
        path_ = std::make_unique<testing::ScopedVariable>(L"PATH", widen(bridgeFolder()));
    }
    void TearDown() override {
        closeDocument(state());
        MainWindowTest::TearDown();
        EXPECT_FALSE(testing::fileExists(fake.workFolder()));
    }

    // pdftoppm's own rendering of one page, at the viewer's resolution.
    Raster reference(const std::string& pdf, unsigned page) {
        const std::string folder = fake.path("reference-" + std::to_string(page));
        std::filesystem::create_directories(widen(folder));
        const std::string number = std::to_string(page);
        const auto run = testing::runProgram(bridgeFolder() + "\\pdftoppm.exe",
                                             "-f " + number + " -l " + number + " -r 150 \"" + pdf + "\" \"" + folder +
                                                 "\\ref\"");
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        for (const auto& entry : std::filesystem::directory_iterator(widen(folder))) {
            return readReference(narrow(entry.path().wstring()));
        }
        ADD_FAILURE() << "pdftoppm wrote nothing for page " << page;
        return {};
    }

    void expectSamePixels(const std::string& pdf, std::uint64_t index) {
        const PageImage& page = state().document.pages[index];
        ASSERT_TRUE(page.present) << "page " << index + 1;
        const Raster expected = reference(pdf, static_cast<unsigned>(index + 1));
        ASSERT_EQ(page.width, expected.width);
        ASSERT_EQ(page.height, expected.height);
        ASSERT_EQ(page.length(), expected.rgb.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < expected.rgb.size(); i += 3) {
            const auto r = static_cast<std::uint8_t>(expected.rgb[i]), g = static_cast<std::uint8_t>(expected.rgb[i + 1]),
                       b = static_cast<std::uint8_t>(expected.rgb[i + 2]);
            differing += page.pixels[i] != b || page.pixels[i + 1] != g || page.pixels[i + 2] != r;
        }
        EXPECT_EQ(differing, 0u) << "pixels of page " << index + 1 << " differ from pdftoppm's";
    }

    testing::FakePoppler fake;
    std::unique_ptr<testing::ScopedVariable> path_;
};

TEST_F(RealPopplerTest, OpensADebianPdfAndPagesThroughItWithPdftoppmsOwnPixels) {
    if (!testing::fileExists(kDebianPdf)) GTEST_SKIP() << kDebianPdf << " is not installed";
    openDocument(state(), kDebianPdf);
    ASSERT_TRUE(ui.messages.empty()) << ui.messages.front().text;
    ASSERT_TRUE(state().documentLoaded);
    EXPECT_EQ(state().document.pageCount(), 36u);
    EXPECT_EQ(state().document.title.view(), "libtasn1");
    EXPECT_EQ(state().document.dpi, 150);

    send(WM_KEYDOWN, VK_NEXT);
    send(WM_KEYDOWN, VK_NEXT);
    EXPECT_EQ(state().currentPage, 2u);
    send(WM_KEYDOWN, VK_PRIOR);
    EXPECT_EQ(state().currentPage, 1u);
    EXPECT_TRUE(ui.messages.empty());
    for (std::uint64_t index = 0; index < 3; ++index) expectSamePixels(kDebianPdf, index);
    EXPECT_FALSE(state().document.pages[35].present);
}

TEST_F(RealPopplerTest, ShowsColoursInTheirOwnPlaces) {
    // A page painted red on its upper half and blue on its lower half.
    const std::string content = "1 0 0 rg 0 36 72 36 re f\n0 0 1 rg 0 0 72 36 re f\n";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 72 72] /Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
    };
    std::string file = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(file.size());
        file += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = file.size();
    file += "xref\n0 5\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        file += line;
    }
    file += "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    const std::string pdf = fake.path("colours.pdf");
    testing::writeTextFile(pdf, file);

    openDocument(state(), pdf);
    ASSERT_TRUE(ui.messages.empty()) << ui.messages.front().text;
    ASSERT_TRUE(state().documentLoaded);
    const PageImage& page = state().document.pages[0];
    ASSERT_EQ(page.width, 150u);
    ASSERT_EQ(page.height, 150u);
    const auto pixel = [&](unsigned x, unsigned y) {
        const std::size_t at = (std::size_t{y} * page.width + x) * 3;
        return std::vector<int>{page.pixels[at], page.pixels[at + 1], page.pixels[at + 2]};
    };
    EXPECT_EQ(pixel(75, 10), (std::vector<int>{0, 0, 255})) << "red on top, stored blue, green, red";
    EXPECT_EQ(pixel(75, 140), (std::vector<int>{255, 0, 0})) << "blue below";
    expectSamePixels(pdf, 0);
}

// The manual twice over, joined by pdfunite, read front to back by the
// bundled Windows pdftoppm with a budget of 40 MiB: the test process's
// memory stays within the budget and 100 MiB of what it held after the open,
// page 1's thumbnail is still drawn once its page is released, and Home
// renders page 1 again as pdftoppm does.
TEST_F(RealPopplerTest, ReadsALongPdfFrontToBackWithinItsPageBudget) {
    if (!testing::fileExists(kDebianPdf) || !testing::fileExists("Z:\\usr\\bin\\pdfunite"))
        GTEST_SKIP() << "no manual or no pdfunite on the host";
    const std::string pdf = fake.path("long.pdf"), host = testing::hostPath(pdf);
    const std::string manual = "/usr/share/doc/libtasn1-doc/libtasn1.pdf";
    ASSERT_TRUE(testing::runHostProgram(L"/bin/sh",
                                        widen("/bin/sh -c \"pdfunite " + manual + " " + manual + " '" + host +
                                              ".part' && mv '" + host + ".part' '" + host + "'\""),
                                        [&] { return testing::fileExists(pdf); }, 30000));
    std::string bundled = "Z:" ORVA_BUNDLED_POPPLER "/pdftoppm.exe";
    std::ranges::replace(bundled, '/', '\\');
    const testing::ScopedVariable tool(L"PDFTOPPM_PATH", testing::fileExists(bundled)
                                                             ? std::optional(widen(bundled)) : std::nullopt);
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
