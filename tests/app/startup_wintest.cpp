#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"

namespace orva {
namespace {

std::string readAll(HANDLE pipe) {
    std::string text;
    char chunk[256];
    DWORD got = 0;
    while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
    return text;
}

TEST(Startup, AnArgumentListThatCannotBeBuiltIsReportedOnStandardError) {
    for (std::size_t nth = 1; nth <= 3; ++nth) {
        Allocator allocator;
        allocator.failAllocation(nth);
        auto arguments = buildArgumentList(allocator, L"OrvaReader.exe \"C:\\a b.orva\"");
        ASSERT_FALSE(arguments) << nth;
        EXPECT_EQ(allocator.liveBlocks(), 0u);

        HANDLE read = nullptr, write = nullptr;
        ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
        writeStartupError(write, arguments.error());
        CloseHandle(write);
        EXPECT_EQ(readAll(read), "error: OutOfMemory\n");
        CloseHandle(read);
    }
}

TEST(Startup, TheArgumentListIsReleasedWithoutLeavingAnything) {
    Allocator allocator;
    {
        auto arguments = buildArgumentList(allocator, L"\"C:\\Program Files\\OrvaReader.exe\" doc.orva x y");
        ASSERT_TRUE(arguments);
        ASSERT_EQ(arguments->size(), 4u);
        EXPECT_EQ((*arguments)[1].view(), "doc.orva");
    }
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

}  // namespace
}  // namespace orva
