#include "app/app_state.h"
#include "view/window_title.h"

#include <gtest/gtest.h>

#include <string>

namespace orva {
namespace {

struct TitleFixture : ::testing::Test {
    Allocator allocator;
    AppState state;

    void open(std::string_view title, std::string_view path, std::size_t pages, std::uint64_t current, float zoom) {
        state.document.title = *OwnedString::copy(allocator, title);
        state.document.path = *OwnedString::copy(allocator, path);
        state.document.pages = *OwnedArray<PageImage>::create(allocator, pages);
        state.documentLoaded = true;
        state.currentPage = current;
        state.zoom = zoom;
    }
};

TEST_F(TitleFixture, NoDocumentIsTheProgramNameAlone) {
    EXPECT_EQ(composeWindowTitle(state).view(), "OrvaReader");
}

TEST_F(TitleFixture, NamesDocumentPageCountAndZoom) {
    struct Case {
        const char* title;
        const char* path;
        std::size_t pages;
        std::uint64_t current;
        float zoom;
        const char* expected;
    };
    const Case cases[] = {
        {"report", "C:\\x\\report.pdf", 12, 2, 1.25f, "report - Page 3/12 (125%) - OrvaReader"},
        {"", "C:\\docs\\scan.orva", 1, 0, 1.0f, "scan.orva - Page 1/1 (100%) - OrvaReader"},
        {"", "C:/docs/scan.orva//", 1, 0, 0.999f, "scan.orva - Page 1/1 (99%) - OrvaReader"},
        {"", "C:scan.orva", 1, 0, 8.0f, "scan.orva - Page 1/1 (800%) - OrvaReader"},
        {"", "", 2, 1, 0.1f, "Untitled - Page 2/2 (10%) - OrvaReader"},
        {"", "\\\\//", 1, 0, 1.0f, " - Page 1/1 (100%) - OrvaReader"},
        {"", "C:", 1, 0, 1.0f, " - Page 1/1 (100%) - OrvaReader"},
        {"\xC3\xA9t\xC3\xA9", "C:\\a.orva", 1, 0, 0.5f, "\xC3\xA9t\xC3\xA9 - Page 1/1 (50%) - OrvaReader"},
    };
    for (const Case& c : cases) {
        state = AppState{};
        open(c.title, c.path, c.pages, c.current, c.zoom);
        const auto title = composeWindowTitle(state);
        EXPECT_TRUE(title.fits());
        EXPECT_EQ(title.view(), c.expected) << c.path;
    }
}

TEST_F(TitleFixture, ATitleThatDoesNotFitIsReportedAsSuch) {
    // 511 bytes fit with the terminator; one more does not.
    const std::string suffix = " - Page 1/1 (100%) - OrvaReader";
    open(std::string(511 - suffix.size(), 'n'), "C:\\a.orva", 1, 0, 1.0f);
    EXPECT_TRUE(composeWindowTitle(state).fits());
    state = AppState{};
    open(std::string(512 - suffix.size(), 'n'), "C:\\a.orva", 1, 0, 1.0f);
    EXPECT_FALSE(composeWindowTitle(state).fits());
}

TEST(ZoomPercent, TruncatesInSinglePrecisionAndNeverWraps) {
    EXPECT_EQ(zoomPercent(0.999f), 99u);
    EXPECT_EQ(zoomPercent(1.25f), 125u);
    EXPECT_EQ(zoomPercent(0.1f), 10u);
    EXPECT_EQ(zoomPercent(0.0f), 0u);
    EXPECT_EQ(zoomPercent(-0.5f), 0u);
    EXPECT_EQ(zoomPercent(__builtin_nanf("")), 0u);
    EXPECT_EQ(zoomPercent(__builtin_inff()), 0xFFFFFFFFu);
}

TEST(OpenErrorText, NamesPathAndCodeOrFallsBackWhenTooLong) {
    EXPECT_EQ(composeOpenErrorText("C:\\a.txt", ErrorCode::UnsupportedFormat).view(),
              "Failed to open file:\nC:\\a.txt\n\nError: UnsupportedFormat");
    const std::string fixed = "Failed to open file:\n\n\nError: EOF";
    EXPECT_EQ(composeOpenErrorText(std::string(1023 - fixed.size(), 'p'), ErrorCode::Eof).view().size(), 1023u);
    EXPECT_EQ(composeOpenErrorText(std::string(1024 - fixed.size(), 'p'), ErrorCode::Eof).view(),
              "Failed to open file.");
    EXPECT_EQ(composeOpenErrorText(std::string(1100, 'p'), ErrorCode::FileNotFound).view(), "Failed to open file.");
}

}  // namespace
}  // namespace orva
