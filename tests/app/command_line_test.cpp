#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orva {
namespace {

std::vector<std::string> split(std::u16string_view line) {
    Allocator allocator;
    auto arguments = splitCommandLine(allocator, line);
    EXPECT_TRUE(arguments);
    std::vector<std::string> out;
    if (arguments) {
        for (const auto& a : *arguments) out.emplace_back(a.view());
    }
    return out;
}

TEST(CommandLine, SplitsByTheSystemQuotingRules) {
    struct Case {
        std::u16string line;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {u"viewer.exe", {"viewer.exe"}},
        {u"viewer.exe doc.orva", {"viewer.exe", "doc.orva"}},
        {u"\"C:\\Program Files\\viewer.exe\" \"C:\\My Docs\\a b.orva\"",
         {"C:\\Program Files\\viewer.exe", "C:\\My Docs\\a b.orva"}},
        {u"v  a\tb   c  ", {"v", "a", "b", "c"}},
        {u"v a\\\\\\\"b", {"v", "a\\\"b"}},          // 3 backslashes and a quote: one backslash, a quote
        {u"v \"a\\\\\" b", {"v", "a\\", "b"}},        // 2 backslashes before the closing quote: one
        {u"v a\\b\\c", {"v", "a\\b\\c"}},              // backslashes elsewhere stay
        {u"v \"\"", {"v", ""}},                         // an empty quoted argument
        {u"v \"a\"\"b\"", {"v", "a\"b"}},              // a doubled quote inside quotes
        {u"\"C:\\a b\\v.exe\"x y", {"C:\\a b\\v.exe", "x", "y"}},
        {u"", {""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(split(c.line), c.expected) << std::string(c.line.begin(), c.line.end());
    }
}

TEST(CommandLine, ConvertsArgumentsToUtf8) {
    const auto args = split(u"v \u00e9t\u00e9.orva \U0001F600");
    ASSERT_EQ(args.size(), 3u);
    EXPECT_EQ(args[1], "\xC3\xA9t\xC3\xA9.orva");
    EXPECT_EQ(args[2], "\xF0\x9F\x98\x80");
}

TEST(CommandLine, EveryAllocationFailureIsReportedAndLeavesNothing) {
    for (std::size_t nth = 1; nth < 10; ++nth) {
        Allocator allocator;
        allocator.failAllocation(nth);
        auto arguments = splitCommandLine(allocator, u"v one two three");
        if (!arguments) {
            EXPECT_EQ(arguments.error(), ErrorCode::OutOfMemory);
            EXPECT_EQ(allocator.liveBlocks(), 0u) << nth;
        } else {
            arguments->reset();
            EXPECT_EQ(allocator.liveBlocks(), 0u);
        }
    }
}

}  // namespace
}  // namespace orva
