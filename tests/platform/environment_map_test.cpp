#include "platform/environment_map.h"

#include <gtest/gtest.h>

#include <string>

namespace orva {
namespace {

// A small stand-in for the system's case table: ASCII, Latin-1 and Greek
// lower-case letters, and the sharp s, which has no single upper case.
char16_t testUpcase(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
    return c;
}

TEST(EnvironmentMap, ComparesNamesAsWindowsDoes) {
    Allocator allocator;
    EnvironmentMap map(allocator, testUpcase);
    const struct {
        std::string_view a, b;
        bool same;
    } cases[] = {
        {"Path", "PATH", true},
        {"poppler_datadir", "POPPLER_DATADIR", true},
        {"\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89", true},  // été / ÉTÉ
        {"\xCE\xB1", "\xCE\x91", true},                      // α / Α
        {"stra\xC3\x9F" "e", "STRASSE", false},              // ß stays itself
        {"PATH", "PATH ", false},
        {"=C:", "=c:", true},
        {"=C:", "=D:", false},
        {"\xF0\x9D\x90\x80", "\xF0\x9D\x90\x80", true},    // beyond U+FFFF: as is
        {"\xF0\x9D\x90\x9A", "\xF0\x9D\x90\x80", false},   // no folding there
        {"", "", true},
        {"A", "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(map.sameName(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(EnvironmentMap, SettingAKnownNameReplacesTheValueAndKeepsTheFirstSpelling) {
    Allocator allocator;
    {
        EnvironmentMap map(allocator, testUpcase);
        ASSERT_TRUE(map.set("Path", "C:\\a"));
        ASSERT_TRUE(map.set("TEMP", "C:\\t"));
        ASSERT_TRUE(map.set("PATH", "C:\\b"));
        ASSERT_EQ(map.size(), 2u);
        EXPECT_EQ(map.entries()[0].name.view(), "Path");
        EXPECT_EQ(map.entries()[0].value.view(), "C:\\b");
        EXPECT_EQ(map.find("path"), "C:\\b");
        EXPECT_EQ(map.find("temp"), "C:\\t");
        EXPECT_EQ(map.find("TMP"), std::nullopt);
    }
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

TEST(EnvironmentMap, AFailedSetLeavesTheMapAsItWas) {
    for (std::size_t nth = 1; nth <= 3; ++nth) {
        Allocator allocator;
        {
            EnvironmentMap map(allocator, testUpcase);
            ASSERT_TRUE(map.set("A", "1"));
            allocator.failAllocation(nth);
            const Status added = map.set("B", "2");
            allocator.failAllocation(0);
            if (!added) {
                EXPECT_EQ(added.error(), ErrorCode::OutOfMemory);
                EXPECT_EQ(map.size(), 1u);
                EXPECT_EQ(map.find("B"), std::nullopt);
            }
            allocator.failAllocation(1);
            EXPECT_FALSE(map.set("a", "replaced"));
            EXPECT_EQ(map.find("A"), "1");
        }
        EXPECT_EQ(allocator.liveBlocks(), 0u);
    }
}

TEST(EnvironmentBlock, CopiesEveryVariableIncludingPerDriveEntries) {
    Allocator allocator;
    EnvironmentMap map(allocator, testUpcase);
    const std::u16string block =
        std::u16string(u"=C:=C:\\work") + u'\0' + u"=ExitCode=00000000" + u'\0' + u"Path=C:\\a;C:\\b" + u'\0' +
        u"EMPTY=" + u'\0' + u"EQ=a=b" + u'\0' + u"\u00e9t\u00e9=\U0001F600" + u'\0' + u"PATH=again" + u'\0' + u'\0';
    ASSERT_TRUE(addEnvironmentBlock(map, block));
    ASSERT_EQ(map.size(), 6u);
    EXPECT_EQ(map.entries()[0].name.view(), "=C:");
    EXPECT_EQ(map.entries()[0].value.view(), "C:\\work");
    EXPECT_EQ(map.entries()[1].name.view(), "=ExitCode");
    EXPECT_EQ(map.find("PATH"), "again");
    EXPECT_EQ(map.find("EMPTY"), "");
    EXPECT_EQ(map.find("eq"), "a=b");
    EXPECT_EQ(map.find("\xC3\x89T\xC3\x89"), "\xF0\x9F\x98\x80");
}

TEST(EnvironmentBlock, WritesNameEqualsValueZeroForEachEntryThenFourZeros) {
    Allocator allocator;
    {
        EnvironmentMap map(allocator, testUpcase);
        auto empty = buildEnvironmentBlock(allocator, map);
        ASSERT_TRUE(empty);
        EXPECT_EQ(std::u16string_view(empty->data(), empty->size()), std::u16string_view(u"\0\0\0\0", 4));

        ASSERT_TRUE(map.set("=C:", "C:\\x"));
        ASSERT_TRUE(map.set("POPPLER_DATADIR", "C:\\p\\..\\share\\poppler"));
        ASSERT_TRUE(map.set("\xC3\xA9", "\xF0\x9F\x98\x80"));
        auto block = buildEnvironmentBlock(allocator, map);
        ASSERT_TRUE(block);
        const std::u16string expected = std::u16string(u"=C:=C:\\x") + u'\0' +
                                        u"POPPLER_DATADIR=C:\\p\\..\\share\\poppler" + u'\0' + u"\u00e9=\U0001F600" +
                                        u'\0' + u'\0' + u'\0' + u'\0' + u'\0';
        EXPECT_EQ(std::u16string_view(block->data(), block->size()), expected);

        // The block reads back as the same map.
        EnvironmentMap again(allocator, testUpcase);
        ASSERT_TRUE(addEnvironmentBlock(again, std::u16string_view(block->data(), block->size())));
        EXPECT_EQ(again.size(), 3u);
        EXPECT_EQ(again.find("=c:"), "C:\\x");
    }
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

TEST(EnvironmentBlock, RunningOutOfMemoryWhileCopyingLeavesNothingBehind) {
    const std::u16string block = std::u16string(u"A=1") + u'\0' + u"B=2" + u'\0' + u'\0';
    for (std::size_t nth = 1; nth < 20; ++nth) {
        Allocator allocator;
        allocator.failAllocation(nth);
        {
            EnvironmentMap map(allocator, testUpcase);
            const Status copied = addEnvironmentBlock(map, block);
            if (copied) {
                auto built = buildEnvironmentBlock(allocator, map);
                if (!built) {
                    EXPECT_EQ(built.error(), ErrorCode::OutOfMemory);
                }
            } else {
                EXPECT_EQ(copied.error(), ErrorCode::OutOfMemory);
            }
        }
        EXPECT_EQ(allocator.liveBlocks(), 0u) << nth;
    }
}

}  // namespace
}  // namespace orva
