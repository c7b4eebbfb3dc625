// Finding the tools and preparing their environment on a real file system.
#include <gtest/gtest.h>

#include <filesystem>

#include "pdf/tool_locator.h"
#include "support/fake_poppler_win.h"

namespace orva {
namespace {

using testing::FakePoppler;
using testing::ScopedVariable;
using testing::widen;

class ToolLocatorTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(allocator.liveBlocks(), 0u); }

    std::string locate(std::string_view name) {
        auto found = locateTool(allocator, name);
        return found ? std::string(found->view()) : "error:" + std::string(errorName(found.error()));
    }

    Allocator allocator;
    FakePoppler fake;
};

TEST_F(ToolLocatorTest, PathExistsForFilesAndFoldersAbsoluteOrRelative) {
    testing::writeTextFile(fake.path("bin\\file.txt"), "x");
    EXPECT_TRUE(pathExists(allocator, fake.path("bin\\file.txt")));
    EXPECT_TRUE(pathExists(allocator, fake.path("bin")));
    EXPECT_TRUE(pathExists(allocator, fake.path("bin\\")));
    EXPECT_TRUE(pathExists(allocator, "."));
    EXPECT_FALSE(pathExists(allocator, fake.path("bin\\missing.txt")));
    EXPECT_FALSE(pathExists(allocator, fake.path("missing\\file.txt")));
    EXPECT_FALSE(pathExists(allocator, "\xFF"));
    EXPECT_FALSE(pathExists(allocator, ""));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(widen(fake.path("bin")).c_str());
    EXPECT_TRUE(pathExists(allocator, "file.txt"));
    EXPECT_TRUE(pathExists(allocator, "..\\bin\\file.txt"));
    SetCurrentDirectoryW(previous);
}

TEST_F(ToolLocatorTest, TheOverrideAppliesToTheRasteriserOnly) {
    const std::string own = fake.install("own\\any-name.exe");
    fake.install("bin\\pdftoppm.exe");
    const std::string info = fake.install("bin\\pdfinfo.exe");
    ScopedVariable override(L"PDFTOPPM_PATH", widen(own));
    EXPECT_EQ(locate("pdftoppm.exe"), own);
    EXPECT_EQ(locate("pdfinfo.exe"), info);
}

TEST_F(ToolLocatorTest, AnOverrideNamingNothingIsPassedOverAndAFolderIsTaken) {
    const std::string found = fake.install("bin\\pdftoppm.exe");
    {
        ScopedVariable override(L"PDFTOPPM_PATH", widen(fake.path("nothing.exe")));
        EXPECT_EQ(locate("pdftoppm.exe"), found);
    }
    {
        ScopedVariable override(L"PDFTOPPM_PATH", L".");
        EXPECT_EQ(locate("pdftoppm.exe"), ".");
    }
}

TEST_F(ToolLocatorTest, SearchesThePathInOrderAndKeepsRelativeEntriesRelative) {
    const std::string second = fake.install("second\\pdfinfo.exe");
    fake.install("third\\pdfinfo.exe");
    testing::writeTextFile(fake.path("first\\pdfinfo"), "no ending");
    {
        ScopedVariable path(L"PATH", widen(fake.path("first") + ";  ;;\t" + fake.path("second") + " ;" +
                                          fake.path("third")));
        EXPECT_EQ(locate("pdfinfo.exe"), second);
    }
    {
        const std::string quoted = std::string(1, '"').append(fake.path("second")).append(1, '"');
        ScopedVariable path(L"PATH", widen(quoted));
        EXPECT_EQ(locate("pdfinfo.exe"), "error:PdftoppmNotFound");
    }
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(widen(fake.root()).c_str());
    {
        ScopedVariable path(L"PATH", L"third");
        EXPECT_EQ(locate("pdfinfo.exe"), "third\\pdfinfo.exe");
    }
    SetCurrentDirectoryW(previous);
    ScopedVariable noPath(L"PATH", std::nullopt);
    EXPECT_EQ(locate("pdfinfo.exe"), "error:PdftoppmNotFound");
    EXPECT_EQ(locate("pdftoppm.exe"), "error:PdftoppmNotFound");
}

TEST_F(ToolLocatorTest, BesideTheProgramComesFirstThenItsPopplerFolder) {
    const std::string probe = fake.install("app\\pdf_probe.exe", "pdf_probe.exe");
    const std::string nested = fake.install("app\\poppler\\pdftoppm.exe");
    fake.install("bin\\pdftoppm.exe");
    EXPECT_EQ(testing::runProgram(probe, "locate pdftoppm.exe").output, nested);
    const std::string beside = fake.install("app\\pdftoppm.exe");
    EXPECT_EQ(testing::runProgram(probe, "locate pdftoppm.exe").output, beside);
    EXPECT_EQ(testing::runProgram(probe, "locate pdfinfo.exe").output, "error:PdftoppmNotFound");
}

TEST_F(ToolLocatorTest, TheEnvironmentIsAFullCopyWithTheToolsDataFolder) {
    ScopedVariable drive(L"=Q:", L"Q:\\current");
    ScopedVariable mixed(L"Orva_Mixed_Case", L"kept");
    ScopedVariable inherited(L"POPPLER_DATADIR", L"C:\\inherited");
    const std::string tool = fake.install("p\\bin\\pdftoppm.exe");
    const struct {
        std::vector<std::string> folders;
        std::string expected;
    } cases[] = {
        {{}, "C:\\inherited"},
        {{"share\\poppler"}, fake.path("p\\bin\\..\\..\\share\\poppler")},
        {{"p\\share\\poppler"}, fake.path("p\\bin\\..\\share\\poppler")},
        {{"p\\bin\\share\\poppler"}, fake.path("p\\bin\\share\\poppler")},
    };
    for (const auto& c : cases) {
        for (const std::string& folder : c.folders) std::filesystem::create_directories(widen(fake.path(folder)));
        auto environment = makeToolEnvironment(allocator, tool);
        ASSERT_TRUE(environment);
        EXPECT_EQ(environment->find("poppler_datadir"), c.expected);
        EXPECT_EQ(environment->find("=Q:"), "Q:\\current");
        EXPECT_EQ(environment->find("ORVA_MIXED_CASE"), "kept");
        EXPECT_EQ(environment->find("PATH"), fake.path("bin"));
        std::size_t names = 0;
        for (const EnvironmentEntry& entry : environment->entries()) names += entry.name.view() == "Orva_Mixed_Case";
        EXPECT_EQ(names, 1u) << "the name keeps its spelling";
    }
}

TEST_F(ToolLocatorTest, TheEnvironmentCopyFailsOnlyForMemoryAndLeavesNothing) {
    const std::string tool = fake.install("bin\\pdftoppm.exe");
    std::filesystem::create_directories(widen(fake.path("bin\\share\\poppler")));
    bool succeeded = false;
    for (std::size_t nth = 1; nth < 2000 && !succeeded; nth += 7) {
        allocator.failAllocation(nth);
        auto environment = makeToolEnvironment(allocator, tool);
        allocator.failAllocation(0);
        if (environment) {
            succeeded = true;
        } else {
            EXPECT_EQ(environment.error(), ErrorCode::OutOfMemory);
        }
    }
    EXPECT_TRUE(succeeded);
}

}  // namespace
}  // namespace orva
