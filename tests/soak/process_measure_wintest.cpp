// The soak's measures follow what a process really holds: objects made and
// deleted, handles opened and closed, memory committed and released show up
// in the counts by exactly that much.
#include "support/process_measure_win.h"

#include <gtest/gtest.h>

#include <vector>

namespace orva::soak {
namespace {

std::uint32_t gdiNow() {
    const char* source = "";
    return gdiObjects(GetCurrentProcess(), &source);
}

TEST(ProcessMeasure, GdiObjectsCountEveryObjectMadeAndNoStockOne) {
    // The screen's device context is made once, on first use, and kept.
    ReleaseDC(nullptr, GetDC(nullptr));
    const std::uint32_t before = gdiNow();
    ASSERT_GT(before, 0u);
    std::vector<HGDIOBJ> made;
    for (int i = 0; i < 10; ++i) made.push_back(CreatePen(PS_SOLID, 1, RGB(i, 0, 0)));
    for (int i = 0; i < 5; ++i) made.push_back(CreateSolidBrush(RGB(0, i, 0)));
    HDC screen = GetDC(nullptr);
    made.push_back(CreateCompatibleBitmap(screen, 4, 4));
    ReleaseDC(nullptr, screen);
    HDC memory = CreateCompatibleDC(nullptr);
    for (HGDIOBJ object : made) ASSERT_NE(object, nullptr);
    EXPECT_EQ(gdiNow(), before + 17);
    // Stock objects are there from the start and do not count.
    GetStockObject(BLACK_PEN);
    GetStockObject(DEFAULT_GUI_FONT);
    EXPECT_EQ(gdiNow(), before + 17);
    DeleteDC(memory);
    for (HGDIOBJ object : made) DeleteObject(object);
    EXPECT_EQ(gdiNow(), before);
}

TEST(ProcessMeasure, HandlesCountEveryHandleOpened) {
    const DWORD self = GetCurrentProcessId();
    const std::uint32_t before = handleCount(self);
    ASSERT_GT(before, 0u);
    std::vector<HANDLE> events;
    for (int i = 0; i < 20; ++i) events.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(handleCount(self), before + 20);
    for (HANDLE event : events) CloseHandle(event);
    EXPECT_EQ(handleCount(self), before);
}

TEST(ProcessMeasure, PrivateBytesFollowCommittedMemory) {
    constexpr std::size_t kBlock = 64 << 20;
    const std::uint64_t before = privateBytes(GetCurrentProcess());
    void* block = VirtualAlloc(nullptr, kBlock, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    const std::uint64_t committed = privateBytes(GetCurrentProcess());
    EXPECT_GE(committed, before + kBlock);
    EXPECT_LT(committed, before + kBlock + (4 << 20));
    // Committed but untouched memory is not in the working set; touched, it is.
    const std::uint64_t resident = workingSet(GetCurrentProcess());
    for (std::size_t at = 0; at < kBlock; at += 4096) static_cast<volatile char*>(block)[at] = 1;
    EXPECT_GE(workingSet(GetCurrentProcess()), resident + kBlock / 2);
    VirtualFree(block, 0, MEM_RELEASE);
    EXPECT_LT(privateBytes(GetCurrentProcess()), before + (4 << 20));
}

}  // namespace
}  // namespace orva::soak
