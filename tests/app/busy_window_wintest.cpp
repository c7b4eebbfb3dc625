// What arrives while page 3's render hangs: each message that would
// replace, close or release the document is held and carried out once the
// tool has ended, or closes the window at once with no tool left; Esc ends
// the tool behind any number of held keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "app/main_window.h"
#include "app/open_document.h"
#include "app/page_change.h"
#include "base/scoped_win.h"
#include "support/main_window_fixture_win.h"
#include "support/wide_text_win.h"

namespace orva::testing {
namespace {

constexpr wchar_t kHanging[] = L"orva-busy-window-test-hanging";
constexpr const char* kPages = "stdout Pages: 5\\n\nppm page-{page}.ppm 8 8\n";

using BusyWindowTest = FakeToolWindowTest;

TEST_F(BusyWindowTest, WhatArrivesWhileARenderHangsIsHeldOrClosesTheWindowAtOnce) {
    const std::string pdf = fake.path("docs\\report.pdf"), other = fake.path("docs\\other.pdf");
    writeTextFile(pdf, "%PDF-1.4 stand-in");
    writeTextFile(other, "%PDF-1.4 another stand-in");
    const UniqueHandle hanging(CreateEventW(nullptr, TRUE, FALSE, kHanging));
    std::uint64_t opened = 0;
    const auto post = [this](UINT message, WPARAM wParam = 0) { PostMessageA(window(), message, wParam, 0); };
    const struct {
        const char* what;
        std::function<void()> arrive;  // on another thread, while the tool hangs
        bool closes;                   // the window goes, the tool with it, no Esc needed
        std::function<bool()> done;    // once the tool has ended and the held is carried out
    } cases[] = {
        {"a sent drop",
         [&] {
             const HGLOBAL drop = makeDrop({widen(other)});
             DWORD_PTR result = 0;
             SendMessageTimeoutA(window(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0, SMTO_NORMAL, 2000, &result);
         },
         false, [&] { return state().document.path.view() == other; }},
        {"a posted Open",
         [&] {
             ui.chooseFile(other);
             post(WM_COMMAND, CommandOpen);
         },
         false, [&] { return state().document.path.view() == other; }},
        // Opened again from its file: a document of a later serial.
        {"a posted reload", [&] { post(WM_COMMAND, CommandReload); }, false,
         [&] { return state().document.path.view() == pdf && state().document.serial > opened; }},
        {"WM_CLOSE", [&] { post(WM_CLOSE); }, true, [] { return true; }},
        {"File > Exit", [&] { post(WM_COMMAND, CommandExit); }, true, [] { return true; }},
        {"a posted Print", [&] { post(WM_COMMAND, CommandPrint); }, false,
         [&] { return std::find(ui.calls.begin(), ui.calls.end(), "printDialog") != ui.calls.end(); }},
        {"a posted Preview", [&] { post(WM_COMMAND, CommandPrintPreview); }, false,
         [&] { return state().previewOpen; }},
        {"70 Page Downs",
         [&] {
             for (int i = 0; i < 70; ++i) post(WM_KEYDOWN, VK_NEXT);
         },
         false, [&] { return state().currentPage == 4; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!IsWindow(window())) {
            MainWindowTest::TearDown();  // the window closed: another for the next case
            MainWindowTest::SetUp();
        }
        fake.control(kPages);
        openDocument(state(), pdf);
        ASSERT_TRUE(state().documentLoaded);
        opened = state().document.serial;
        fake.control(std::string(kPages) + "hang 3 orva-busy-window-test-hanging\n");
        ResetEvent(hanging.get());
        ui.calls.clear();
        bool ended = false, closedInTime = false, keptMeanwhile = false;
        std::thread helper([&] {
            if (WaitForSingleObject(hanging.get(), 20000) != WAIT_OBJECT_0) return;
            const auto runs = fake.runs();
            const HANDLE tool = OpenProcess(SYNCHRONIZE, FALSE, runs.empty() ? 0 : runs.back().processId);
            fake.control(kPages);
            c.arrive();
            // Whatever the window answered by now, the document in use stays.
            SendMessageTimeoutA(window(), WM_NULL, 0, 0, SMTO_NORMAL, 2000, nullptr);
            keptMeanwhile = state().documentLoaded && state().document.serial == opened;
            if (!c.closes) PostMessageA(window(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            ended = tool != nullptr && WaitForSingleObject(tool, 1000) == WAIT_OBJECT_0;
            if (tool != nullptr) CloseHandle(tool);
        });
        const ULONGLONG started = GetTickCount64();
        goToPage(state(), 2);
        if (c.closes) {
            closedInTime = pumpUntil([&] { return !IsWindow(window()); }, 1000);
            EXPECT_LT(GetTickCount64() - started, 1500u);
        }
        helper.join();
        EXPECT_TRUE(ended) << "the tool outlived the close or Esc by a second";
        EXPECT_TRUE(keptMeanwhile) << "the document was replaced or released while its page rendered";
        EXPECT_FALSE(fileExists(fake.workFolder())) << "the work folder outlives the render";
        if (c.closes) {
            EXPECT_TRUE(closedInTime) << "the window stayed";
            EXPECT_FALSE(state().documentLoaded);
            EXPECT_TRUE(ui.messages.empty()) << "a box on the way out: " << ui.messages.front().text;
        } else {
            ASSERT_TRUE(IsWindow(window()));
            EXPECT_TRUE(pumpUntil(c.done, 5000)) << "what was held was not carried out";
            EXPECT_TRUE(state().documentLoaded);
            ASSERT_TRUE(settleJobs());
        }
        ui.messages.clear();
        if (state().previewOpen) DestroyWindow(state().previewWindow);
        closeDocument(state());
    }
}

}  // namespace
}  // namespace orva::testing
