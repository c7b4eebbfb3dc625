#include "pdf/tool_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orva {
namespace {

struct JoinCase {
    std::vector<std::string_view> parts;
    std::string_view joined;
};

std::string join(Allocator& allocator, const std::vector<std::string_view>& parts) {
    Result<OwnedString> joined = fail(ErrorCode::Unexpected);
    switch (parts.size()) {
        case 2: joined = joinPaths(allocator, {parts[0], parts[1]}); break;
        case 3: joined = joinPaths(allocator, {parts[0], parts[1], parts[2]}); break;
        case 4: joined = joinPaths(allocator, {parts[0], parts[1], parts[2], parts[3]}); break;
        default: ADD_FAILURE() << "unsupported part count";
    }
    EXPECT_TRUE(joined.has_value());
    return joined ? std::string(joined->view()) : std::string("<failed>");
}

TEST(JoinPaths, PutsOneSeparatorBetweenPartsAndKeepsDotsAsWritten) {
    const JoinCase cases[] = {
        {{"C:\\tools", "pdftoppm.exe"}, "C:\\tools\\pdftoppm.exe"},
        {{"C:\\tools\\", "pdftoppm.exe"}, "C:\\tools\\pdftoppm.exe"},
        {{"C:/tools/", "pdftoppm.exe"}, "C:/tools/pdftoppm.exe"},
        {{"C:\\tools", "\\pdftoppm.exe"}, "C:\\tools\\pdftoppm.exe"},
        {{"C:\\tools\\", "\\pdftoppm.exe"}, "C:\\tools\\pdftoppm.exe"},
        {{"C:\\tools/", "/x"}, "C:\\tools/x"},
        {{"C:\\tools\\", "\\\\x"}, "C:\\tools\\\\x"},  // only one leading separator is dropped
        {{"", "Orva", "work"}, "Orva\\work"},
        {{"C:\\t", "", "work"}, "C:\\t\\work"},
        {{"", "", "x"}, "x"},
        {{"D:\\tmp", "Orva", "work"}, "D:\\tmp\\Orva\\work"},
        {{"C:\\bin", "..", "share", "poppler"}, "C:\\bin\\..\\share\\poppler"},
        {{"\\", "x"}, "\\x"},
        {{"\\", "\\"}, "\\"},
        {{"a", "\\", "b"}, "a\\b"},
        {{"C:", "x"}, "C:\\x"},
    };
    for (const JoinCase& c : cases) {
        Allocator allocator;
        EXPECT_EQ(join(allocator, c.parts), c.joined);
        EXPECT_EQ(allocator.liveBlocks(), 0u);
    }
}

TEST(JoinPaths, EmptyResultTakesNoMemoryAndFailureIsOutOfMemory) {
    Allocator allocator;
    auto empty = joinPaths(allocator, {"", ""});
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    allocator.failAllocation(1);
    EXPECT_EQ(joinPaths(allocator, {"a", "b"}).error(), ErrorCode::OutOfMemory);
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

struct FolderCase {
    std::string_view path;
    std::optional<std::string_view> folder;
};

TEST(FolderPart, TakesEverythingBeforeTheLastSeparatorKeepingRootsWhole) {
    const FolderCase cases[] = {
        {"C:\\poppler\\Library\\bin\\pdftoppm.exe", "C:\\poppler\\Library\\bin"},
        {"C:/a/b.exe", "C:/a"},
        {"C:\\a\\b\\", "C:\\a"},
        {"C:\\a\\b\\\\", "C:\\a"},
        {"C:\\pdftoppm.exe", "C:\\"},
        {"C:/x", "C:/"},
        {"C:\\", std::nullopt},
        {"C:", std::nullopt},
        {"C:x", std::nullopt},
        {"C:dir\\x", "C:dir"},
        {"pdftoppm.exe", std::nullopt},
        {"", std::nullopt},
        {"\\x", "\\"},
        {"/x", "/"},
        {"\\", std::nullopt},
        {"tools\\x.exe", "tools"},
        {".\\x.exe", "."},
        {"a\\\\b", "a\\"},
        {"\\\\server\\share\\x.exe", "\\\\server\\share\\"},
        {"\\\\server\\share\\dir\\x.exe", "\\\\server\\share\\dir"},
        {"\\\\server\\share", std::nullopt},
        {"\\\\server\\share\\", std::nullopt},
        {"Orva\\work", "Orva"},
    };
    for (const FolderCase& c : cases) EXPECT_EQ(folderPart(c.path), c.folder) << c.path;
}

std::vector<std::string> entriesOf(std::string_view value) {
    std::vector<std::string> out;
    SearchPathEntries entries(value);
    for (std::string_view entry; entries.next(entry);) out.emplace_back(entry);
    return out;
}

TEST(SearchPathEntries, SplitsAtEverySemicolonAndStripsOnlyBlanks) {
    using List = std::vector<std::string>;
    EXPECT_EQ(entriesOf("C:\\a;  \t ;;C:\\b"), (List{"C:\\a", "C:\\b"}));
    EXPECT_EQ(entriesOf(" \tC:\\a b\t ;"), (List{"C:\\a b"}));
    EXPECT_EQ(entriesOf("\"C:\\q\";%X%;tools"), (List{"\"C:\\q\"", "%X%", "tools"}));
    EXPECT_EQ(entriesOf("C:\\a\r\n;x"), (List{"C:\\a\r\n", "x"}));
    EXPECT_EQ(entriesOf(";;last"), (List{"last"}));
    EXPECT_EQ(entriesOf(""), List{});
    EXPECT_EQ(entriesOf(" ; "), List{});
}

TEST(WorkFolderPath, JoinsTheTemporaryRootWithOrvaAndWork) {
    Allocator allocator;
    EXPECT_EQ(workFolderPathFor(allocator, "C:\\Users\\user\\AppData\\Local\\Temp")->view(),
              "C:\\Users\\user\\AppData\\Local\\Temp\\Orva\\work");
    EXPECT_EQ(workFolderPathFor(allocator, "D:\\tmp\\")->view(), "D:\\tmp\\Orva\\work");
    EXPECT_EQ(workFolderPathFor(allocator, "")->view(), "Orva\\work");
}

}  // namespace
}  // namespace orva
