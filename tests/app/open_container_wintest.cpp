// Opening real container files under Wine: the path rules, the document that
// results, what happens to the previous one, and malformed files.
#include <gtest/gtest.h>

#include <string>

#include "app/open_document.h"
#include "platform/byte_source.h"
#include "support/main_window_fixture_win.h"
#include "support/orva_bytes.h"

namespace orva::testing {
namespace {

class OpenContainer : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "orva-open-test-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        for (const auto& f : files_) DeleteFileA(f.c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    // Writes the bytes to a file in the test folder; returns its full path.
    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string path = folder_ + "\\" + name;
        EXPECT_TRUE(writeBytesToFile(path, bytes));
        files_.push_back(path);
        return path;
    }

    static Bytes twoPages(const std::string& title = "") {
        OrvaBytes file;
        file.title = title;
        file.dpi = 300;
        file.pages.push_back(page(40, 30, patternPixels(40, 30, 1)));
        file.pages.push_back(page(20, 50, patternPixels(20, 50, 2)));
        return file.build();
    }

    std::string onlyMessage() {
        EXPECT_EQ(ui.messages.size(), 1u);
        return ui.messages.empty() ? "" : ui.messages.back().text;
    }

    static OrvaPageBytes page(std::uint32_t width, std::uint32_t height, Bytes data) {
        OrvaPageBytes p;
        p.width = width;
        p.height = height;
        p.data = std::move(data);
        return p;
    }

    std::string folder_;
    std::vector<std::string> files_;
};

TEST_F(OpenContainer, ATrimmedUpperCaseExtensionOpensWithAllItsPages) {
    const std::string path = write("Plan.ORVA", twoPages());
    openDocument(state(), "  " + path + "\r\n");
    ASSERT_TRUE(ui.messages.empty()) << onlyMessage();
    ASSERT_TRUE(state().documentLoaded);
    const Document& document = state().document;
    EXPECT_EQ(document.path.view(), path);
    EXPECT_EQ(document.kind, DocumentKind::Orva);
    EXPECT_EQ(document.dpi, 300);
    ASSERT_EQ(document.pageCount(), 2u);
    EXPECT_EQ(document.pages[1].width, 20u);
    EXPECT_EQ(document.pages[1].height, 50u);
    EXPECT_TRUE(document.pages[0].present && document.pages[1].present);
    EXPECT_EQ(state().currentPage, 0u);
    EXPECT_EQ(state().fitMode, FitMode::FitWidth);
    EXPECT_TRUE(title().starts_with("Plan.ORVA - Page 1/2 (")) << title();
}

TEST_F(OpenContainer, BackGoesNowhereInADocumentJustOpened) {
    const std::string path = write("jumps.orva", twoPages());
    openDocument(state(), path);
    SendMessageW(state().mainWindow, WM_KEYDOWN, VK_END, 0);  // a jump to page 2
    ASSERT_EQ(state().currentPage, 1u);
    openDocument(state(), path);
    SendMessageW(state().mainWindow, WM_KEYDOWN, VK_NEXT, 0);  // paging is no jump
    SendMessageW(state().mainWindow, WM_SYSKEYDOWN, VK_LEFT, 1 << 29);  // Alt+Left
    EXPECT_EQ(state().currentPage, 1u);
}

TEST_F(OpenContainer, TheStoredTitleNamesTheDocument) {
    const std::string path = write("titled.orva", twoPages("Quarterly \xC3\xA9tude"));
    openDocument(state(), path);
    ASSERT_TRUE(state().documentLoaded);
    EXPECT_EQ(state().document.title.view(), "Quarterly \xC3\xA9tude");
    char ansi[64] = {};
    WideCharToMultiByte(CP_ACP, 0, L"Quarterly \u00e9tude - Page 1/2 (", -1, ansi, sizeof ansi, nullptr, nullptr);
    EXPECT_TRUE(title().starts_with(ansi)) << title();
}

TEST_F(OpenContainer, ARelativeNameIsStoredAsTheFullPathTheSystemReports) {
    const std::string path = write("relative.orva", twoPages());
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    openDocument(state(), "relative.orva");
    SetCurrentDirectoryA(previous);
    ASSERT_TRUE(state().documentLoaded) << onlyMessage();
    char full[MAX_PATH];
    GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    EXPECT_EQ(state().document.path.view(), std::string(full));
}

TEST_F(OpenContainer, OpeningReleasesThePreviousDocumentFirst) {
    const std::string first = write("first.orva", twoPages());
    OrvaBytes small;
    small.pages.push_back(page(4, 4, patternPixels(4, 4, 9)));
    const std::string second = write("second.orva", small.build());

    openDocument(state(), first);
    ASSERT_TRUE(state().documentLoaded);
    openDocument(state(), second);
    ASSERT_TRUE(state().documentLoaded);
    // What is live now is the second document alone: its page array, one
    // page's pixels and its path.
    EXPECT_EQ(allocator.liveBlocks(), 3u);
    EXPECT_EQ(state().document.pageCount(), 1u);

    openDocument(state(), second);  // the same file again: a fresh document
    EXPECT_EQ(allocator.liveBlocks(), 3u);

    openDocument(state(), folder_ + "\\notes.txt");
    EXPECT_FALSE(state().documentLoaded);
    EXPECT_EQ(allocator.liveBlocks(), 0u);
    EXPECT_EQ(title(), "OrvaReader");
}

TEST_F(OpenContainer, MalformedContainersNameTheirErrorAndLeaveNothing) {
    const auto withPage = [](auto change) {
        OrvaBytes f;
        f.encoding = 1;
        Bytes tokens;
        appendRun(tokens, 2, {255, 0, 0});
        f.pages.push_back(page(2, 1, tokens));
        change(f);
        return f.build();
    };
    struct Case {
        const char* name;
        Bytes bytes;
        const char* code;
    };
    std::vector<Case> cases;
    cases.push_back({"short.orva", Bytes{'O', 'R', 'V'}, "EndOfStream"});
    cases.push_back({"magic.orva", withPage([](OrvaBytes& f) { f.magic = "ORVB"; }), "InvalidMagic"});
    cases.push_back({"version.orva", withPage([](OrvaBytes& f) { f.version = 2; }), "UnsupportedVersion"});
    cases.push_back({"nopages.orva", withPage([](OrvaBytes& f) { f.pageCount = 0; }), "NoPages"});
    cases.push_back({"title.orva", withPage([](OrvaBytes& f) {
                         f.pageCount = 0;
                         f.titleLength = 5000;
                     }),
                     "EndOfStream"});
    cases.push_back({"index.orva", withPage([](OrvaBytes& f) { f.indexOffset = 1u << 20; }), "EndOfStream"});
    cases.push_back({"empty.orva", withPage([](OrvaBytes& f) { f.pages[0].dataLength = 0; }), "InvalidPageData"});
    cases.push_back({"rle.orva", withPage([](OrvaBytes& f) { f.pages[0].data = {0, 6, 1, 2, 3}; }), "RleTruncated"});
    cases.push_back({"raw.orva", withPage([](OrvaBytes& f) {
                         f.encoding = 0;
                         f.pages[0].data = Bytes(5, 0);
                     }),
                     "InvalidPageData"});
    cases.push_back({"huge.orva", withPage([](OrvaBytes& f) {
                         f.pages[0].width = 65536;
                         f.pages[0].height = 65536;
                     }),
                     "InvalidPageData"});
    for (const Case& c : cases) {
        ui.messages.clear();
        const std::string path = write(c.name, c.bytes);
        openDocument(state(), path);
        EXPECT_EQ(onlyMessage(), "Failed to open file:\n" + path + "\n\nError: " + c.code) << c.name;
        EXPECT_FALSE(state().documentLoaded);
        EXPECT_EQ(allocator.liveBlocks(), 0u) << c.name;
        EXPECT_EQ(FileSource::openCount(), 0) << c.name;
    }
}

TEST_F(OpenContainer, EveryAllocationFailureIsReportedAsOutOfMemoryAndLeavesNothing) {
    const std::string path = write("walk.orva", twoPages("t"));
    for (std::size_t nth = 1;; ++nth) {
        ui.messages.clear();
        allocator.failAllocation(nth);
        openDocument(state(), path);
        allocator.failAllocation(0);
        if (state().documentLoaded) {
            EXPECT_TRUE(ui.messages.empty());
            break;
        }
        EXPECT_EQ(onlyMessage(), "Failed to open file:\n" + path + "\n\nError: OutOfMemory") << nth;
        EXPECT_EQ(allocator.liveBlocks(), 0u) << nth;
        ASSERT_LT(nth, 100u);
    }
}

}  // namespace
}  // namespace orva::testing
