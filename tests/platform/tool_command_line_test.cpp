#include "platform/tool_command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace orva {
namespace {

struct QuotingCase {
    std::vector<std::string_view> arguments;
    std::string_view line;
};

TEST(ToolCommandLine, QuotesOnlyWhatNeedsItAndNeverDoublesBackslashes) {
    const QuotingCase cases[] = {
        {{"pdfinfo", "file.pdf"}, "pdfinfo file.pdf"},
        {{"tool", "-q", "-f", "7", "-l", "7", "-r", "150", "page"}, "tool -q -f 7 -l 7 -r 150 page"},
        {{"C:\\p\\pdftoppm.exe", "D:\\docs\\a.pdf"}, "\"C:\\p\\pdftoppm.exe\" \"D:\\docs\\a.pdf\""},
        {{"x", "C:"}, "x \"C:\""},
        {{"x", "z:rel"}, "x \"z:rel\""},
        {{"x", "1:2"}, "x 1:2"},
        {{"x", "C"}, "x C"},
        {{"x", "a b"}, "x \"a b\""},
        {{"x", "a\tb"}, "x \"a\tb\""},
        {{"x", "say \"hi\""}, "x \"say \\\"hi\\\"\""},
        {{"x", "a\"b"}, "x \"a\\\"b\""},
        {{"x", "a\\\"b"}, "x \"a\\\\\"b\""},
        {{"x", "\\\\server\\share\\f.pdf"}, "x \\\\server\\share\\f.pdf"},
        {{"x", "C:\\dir\\"}, "x \"C:\\dir\\\""},
        {{"a", "", "b"}, "a  b"},
        {{"a", ""}, "a "},
        {{"", "a"}, " a"},
        {{"only"}, "only"},
        {{"\xC3\xA9t\xC3\xA9"}, "\xC3\xA9t\xC3\xA9"},
    };
    for (const QuotingCase& c : cases) {
        Allocator allocator;
        auto line = buildToolCommandLine(allocator, c.arguments);
        ASSERT_TRUE(line);
        EXPECT_EQ(line->view(), c.line);
    }
}

TEST(ToolCommandLine, RunningOutOfMemoryIsReported) {
    Allocator allocator;
    const std::string_view arguments[] = {"a", "b"};
    allocator.failAllocation(1);
    EXPECT_EQ(buildToolCommandLine(allocator, arguments).error(), ErrorCode::OutOfMemory);
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

}  // namespace
}  // namespace orva
