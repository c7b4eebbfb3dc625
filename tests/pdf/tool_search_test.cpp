#include "pdf/tool_search.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orva {
namespace {

// A machine described by the test: its variables, the program's own path and
// the paths that exist. Every existence probe is recorded in order.
class FakeMachine final : public ToolSearchHost {
public:
    std::map<std::string, std::string> variables;
    std::optional<std::string> program = "C:\\Apps\\Orva\\OrvaReader.exe";
    std::set<std::string> existing;
    std::vector<std::string> probes;

    Result<OwnedString> environmentVariable(Allocator& allocator, std::string_view name) override {
        const auto found = variables.find(std::string(name));
        if (found == variables.end()) return fail(ErrorCode::EnvironmentVariableNotFound);
        return OwnedString::copy(allocator, found->second);
    }
    Result<OwnedString> programPath(Allocator& allocator) override {
        if (!program) return fail(ErrorCode::FileNotFound);
        return OwnedString::copy(allocator, *program);
    }
    bool pathExists(std::string_view path) override {
        probes.emplace_back(path);
        return existing.contains(std::string(path));
    }
};

std::string locate(FakeMachine& machine, std::string_view name) {
    Allocator allocator;
    auto found = searchTool(machine, allocator, name);
    std::string text = found ? std::string(found->view()) : "error:" + std::string(errorName(found.error()));
    found = fail(ErrorCode::Unexpected);
    EXPECT_EQ(allocator.liveBlocks(), 0u);
    return text;
}

TEST(SearchTool, ProbesEveryPlaceInOrderAndEndsWithNotFound) {
    FakeMachine machine;
    machine.variables["PDFTOPPM_PATH"] = "D:\\nowhere\\pdftoppm.exe";
    machine.variables["PATH"] = "C:\\one;  \t ;;C:\\two\\ ; \"C:\\quoted\"";
    EXPECT_EQ(locate(machine, kPdftoppmName), "error:PdftoppmNotFound");
    const std::vector<std::string> expected = {
        "D:\\nowhere\\pdftoppm.exe",
        "C:\\Apps\\Orva\\pdftoppm.exe",
        "C:\\Apps\\Orva\\poppler\\pdftoppm.exe",
        "C:\\poppler\\Library\\bin\\pdftoppm.exe",
        "C:\\Program Files\\poppler\\Library\\bin\\pdftoppm.exe",
        "C:\\Program Files (x86)\\poppler\\Library\\bin\\pdftoppm.exe",
        "C:\\one\\pdftoppm.exe",
        "C:\\two\\pdftoppm.exe",
        "\"C:\\quoted\"\\pdftoppm.exe",
    };
    EXPECT_EQ(machine.probes, expected);
}

TEST(SearchTool, TheInformationToolHasNoOverrideAndUsesTheSameFolders) {
    FakeMachine machine;
    machine.variables["PDFTOPPM_PATH"] = "D:\\x\\pdfinfo.exe";
    machine.existing = {"D:\\x\\pdfinfo.exe"};
    machine.variables["PATH"] = "C:\\one";
    EXPECT_EQ(locate(machine, kPdfinfoName), "error:PdftoppmNotFound");
    const std::vector<std::string> expected = {
        "C:\\Apps\\Orva\\pdfinfo.exe",
        "C:\\Apps\\Orva\\poppler\\pdfinfo.exe",
        "C:\\poppler\\Library\\bin\\pdfinfo.exe",
        "C:\\Program Files\\poppler\\Library\\bin\\pdfinfo.exe",
        "C:\\Program Files (x86)\\poppler\\Library\\bin\\pdfinfo.exe",
        "C:\\one\\pdfinfo.exe",
    };
    EXPECT_EQ(machine.probes, expected);
}

struct WinnerCase {
    const char* what;
    std::string_view tool;
    std::map<std::string, std::string> variables;
    std::set<std::string> existing;
    std::string result;
};

TEST(SearchTool, TakesTheFirstExistingCandidate) {
    const WinnerCase cases[] = {
        {"override wins over beside the program", kPdftoppmName,
         {{"PDFTOPPM_PATH", "E:\\own\\pdftoppm.exe"}},
         {"E:\\own\\pdftoppm.exe", "C:\\Apps\\Orva\\pdftoppm.exe"},
         "E:\\own\\pdftoppm.exe"},
        {"a relative override is handed on as set", kPdftoppmName,
         {{"PDFTOPPM_PATH", "tools\\..\\pdftoppm.exe"}},
         {"tools\\..\\pdftoppm.exe"},
         "tools\\..\\pdftoppm.exe"},
        {"an existing folder counts as the tool", kPdftoppmName, {{"PDFTOPPM_PATH", "."}}, {"."}, "."},
        {"a missing override is passed over", kPdftoppmName,
         {{"PDFTOPPM_PATH", "E:\\gone.exe"}},
         {"C:\\Apps\\Orva\\poppler\\pdftoppm.exe"},
         "C:\\Apps\\Orva\\poppler\\pdftoppm.exe"},
        {"beside the program wins over its poppler folder", kPdfinfoName, {},
         {"C:\\Apps\\Orva\\pdfinfo.exe", "C:\\Apps\\Orva\\poppler\\pdfinfo.exe"},
         "C:\\Apps\\Orva\\pdfinfo.exe"},
        {"the second install folder", kPdfinfoName, {},
         {"C:\\Program Files\\poppler\\Library\\bin\\pdfinfo.exe"},
         "C:\\Program Files\\poppler\\Library\\bin\\pdfinfo.exe"},
        {"install folders come before PATH", kPdftoppmName,
         {{"PATH", "C:\\first"}},
         {"C:\\first\\pdftoppm.exe", "C:\\Program Files (x86)\\poppler\\Library\\bin\\pdftoppm.exe"},
         "C:\\Program Files (x86)\\poppler\\Library\\bin\\pdftoppm.exe"},
        {"an entry padded with tabs is found", kPdftoppmName,
         {{"PATH", "C:\\first;\t C:\\second \t"}},
         {"C:\\second\\pdftoppm.exe"},
         "C:\\second\\pdftoppm.exe"},
        {"a relative entry stays relative", kPdfinfoName,
         {{"PATH", "bin"}},
         {"bin\\pdfinfo.exe"},
         "bin\\pdfinfo.exe"},
        {"a quoted entry is never found", kPdfinfoName,
         {{"PATH", "\"C:\\q\""}},
         {"C:\\q\\pdfinfo.exe"},
         "error:PdftoppmNotFound"},
        {"no PATH after nothing else", kPdfinfoName, {}, {}, "error:PdftoppmNotFound"},
        {"a file without the ending is not the tool", kPdftoppmName,
         {{"PATH", "C:\\bin"}},
         {"C:\\bin\\pdftoppm"},
         "error:PdftoppmNotFound"},
    };
    for (const WinnerCase& c : cases) {
        FakeMachine machine;
        machine.variables = c.variables;
        machine.existing = c.existing;
        EXPECT_EQ(locate(machine, c.tool), c.result) << c.what;
    }
}

TEST(SearchTool, AProgramPathThatCannotBeResolvedOrHasNoFolderSkipsThatStep) {
    for (std::optional<std::string> program : {std::optional<std::string>{}, std::optional<std::string>{"x.exe"}}) {
        FakeMachine machine;
        machine.program = program;
        machine.existing = {"C:\\poppler\\Library\\bin\\pdftoppm.exe"};
        EXPECT_EQ(locate(machine, kPdftoppmName), "C:\\poppler\\Library\\bin\\pdftoppm.exe");
        EXPECT_EQ(machine.probes.front(), "C:\\poppler\\Library\\bin\\pdftoppm.exe");
    }
}

TEST(SearchTool, RunningOutOfMemoryAnywhereNeverLeaksAndOnlyMissesCandidates) {
    FakeMachine machine;
    machine.variables["PDFTOPPM_PATH"] = "E:\\missing.exe";
    machine.variables["PATH"] = "C:\\a;C:\\b";
    machine.existing = {"C:\\b\\pdftoppm.exe"};
    for (std::size_t nth = 1; nth < 40; ++nth) {
        Allocator allocator;
        allocator.failAllocation(nth);
        {
            auto found = searchTool(machine, allocator, kPdftoppmName);
            if (found) {
                EXPECT_EQ(found->view(), "C:\\b\\pdftoppm.exe");
            } else {
                EXPECT_EQ(found.error(), ErrorCode::PdftoppmNotFound);
            }
        }
        EXPECT_EQ(allocator.liveBlocks(), 0u) << nth;
    }
}

TEST(SearchCompanionTool, LiesBesideTheRasteriserInUseElseIsSearchedForItself) {
    struct Case {
        const char* what;
        std::set<std::string> existing;
        const char* found;
    };
    const Case cases[] = {
        {"beside the overriding rasteriser, though another lies beside the program",
         {"D:\\own\\pdftoppm.exe", "D:\\own\\pdftotext.exe", "C:\\Apps\\Orva\\poppler\\pdftotext.exe"},
         "D:\\own\\pdftotext.exe"},
        {"not beside it: searched as the other tools are",
         {"D:\\own\\pdftoppm.exe", "C:\\Apps\\Orva\\poppler\\pdftotext.exe"}, "C:\\Apps\\Orva\\poppler\\pdftotext.exe"},
        {"no rasteriser at all", {"C:\\two\\pdftotext.exe"}, "C:\\two\\pdftotext.exe"},
        {"nowhere", {"D:\\own\\pdftoppm.exe"}, "error:PdftoppmNotFound"},
    };
    for (const Case& c : cases) {
        FakeMachine machine;
        machine.variables["PDFTOPPM_PATH"] = "D:\\own\\pdftoppm.exe";
        machine.variables["PATH"] = "C:\\one;C:\\two";
        machine.existing = c.existing;
        Allocator allocator;
        auto found = searchCompanionTool(machine, allocator, kPdftotextName);
        EXPECT_EQ(found ? std::string(found->view()) : "error:" + std::string(errorName(found.error())), c.found)
            << c.what;
    }
}

TEST(SearchPopplerDataDir, TriesTheToolFolderThenOneAndTwoLevelsUpUnfolded) {
    const struct {
        std::set<std::string> existing;
        std::optional<std::string> result;
    } cases[] = {
        {{"C:\\p\\bin\\share\\poppler", "C:\\p\\bin\\..\\share\\poppler"}, "C:\\p\\bin\\share\\poppler"},
        {{"C:\\p\\bin\\..\\share\\poppler"}, "C:\\p\\bin\\..\\share\\poppler"},
        {{"C:\\p\\bin\\..\\..\\share\\poppler"}, "C:\\p\\bin\\..\\..\\share\\poppler"},
        {{}, std::nullopt},
    };
    for (const auto& c : cases) {
        FakeMachine machine;
        machine.existing = c.existing;
        Allocator allocator;
        auto found = searchPopplerDataDir(machine, allocator, "C:\\p\\bin\\pdftoppm.exe");
        EXPECT_EQ(found ? std::optional<std::string>(found->view()) : std::nullopt, c.result);
    }
    FakeMachine machine;
    Allocator allocator;
    EXPECT_FALSE(searchPopplerDataDir(machine, allocator, "pdftoppm.exe"));
    EXPECT_TRUE(machine.probes.empty());
}

}  // namespace
}  // namespace orva
