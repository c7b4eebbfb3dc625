// The background worker against the fake tool: jobs run one at a time, the
// most urgent first, come back through a posted message with their output,
// and a cancelled or abandoned run leaves no tool behind.
#include <gtest/gtest.h>

#include <optional>

#include "platform/background_worker.h"
#include "support/fake_poppler_win.h"

namespace orva {
namespace {

using testing::FakePoppler;
constexpr UINT kFinished = WM_APP + 7;

class BackgroundWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        hanging = CreateEventW(nullptr, TRUE, FALSE, L"OrvaWorkerTestHang");
    }
    void TearDown() override {
        DestroyWindow(window);
        CloseHandle(hanging);
        EXPECT_EQ(allocator.liveBlocks(), 0u);
    }

    ToolJob job(std::uint32_t kind, std::uint32_t priority, std::string_view page) {
        ToolJob made;
        made.kind = kind;
        made.priority = priority;
        made.arguments = OwnedArray<OwnedString>::create(allocator, 3).value();
        made.arguments[0] = OwnedString::copy(allocator, tool).value();
        made.arguments[1] = OwnedString::copy(allocator, "-f").value();
        made.arguments[2] = OwnedString::copy(allocator, page).value();
        return made;
    }

    // Waits (on the posted message, at most 20 s) until `count` jobs came
    // back; returns them in the order they finished.
    std::vector<ToolJob> collect(BackgroundWorker& worker, std::size_t count) {
        std::vector<ToolJob> jobs;
        const DWORD deadline = GetTickCount() + 20000;
        while (jobs.size() < count && GetTickCount() < deadline) {
            MSG message;
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_POSTMESSAGE) != WAIT_OBJECT_0) continue;
            while (PeekMessageA(&message, window, kFinished, kFinished, PM_REMOVE)) {
                EXPECT_EQ(message.wParam, 42u);
                for (ToolJob& finished : worker.takeFinished()) jobs.push_back(std::move(finished));
            }
        }
        return jobs;
    }

    Allocator allocator;
    FakePoppler fake;
    std::string tool = fake.install("bin\\pdftotext.exe");
    HWND window = nullptr;
    HANDLE hanging = nullptr;
};

std::string output(const ToolJob& job) { return std::string(reinterpret_cast<const char*>(job.output.data()), job.output.size()); }

TEST_F(BackgroundWorkerTest, RunsTheMostUrgentFirstAndHandsBackEachOutput) {
    fake.control("hang 9 OrvaWorkerTestHang\nstdout page\nlog " + fake.path("runs.log") + "\nexit 3\n");
    BackgroundWorker worker(allocator, window, kFinished, 42);
    ASSERT_TRUE(worker.submit(job(1, 0, "9")));
    ASSERT_EQ(WaitForSingleObject(hanging, 20000), WAIT_OBJECT_0);
    // Queued behind the hanging run, in the order 3, 1, 2 of urgency.
    for (const auto& [priority, page] : {std::pair{3u, "3"}, {1u, "1"}, {2u, "2"}})
        ASSERT_TRUE(worker.submit(job(2, priority, page)));
    EXPECT_TRUE(worker.pending(1));
    worker.cancel(1);

    const auto jobs = collect(worker, 4);
    ASSERT_EQ(jobs.size(), 4u);
    ASSERT_FALSE(jobs[0].outcome);
    EXPECT_EQ(jobs[0].outcome.error(), ErrorCode::Canceled);
    const auto runs = fake.runs();
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_TRUE(testing::processEnds(runs[0].processId, 1000));
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(jobs[i].outcome) << errorName(jobs[i].outcome.error());
        EXPECT_EQ(output(jobs[i]), "page");
        EXPECT_EQ(jobs[i].exitCode, 3u);
        EXPECT_EQ(runs[i].arguments.at(2), std::to_string(i));
        EXPECT_TRUE(runs[i].inJob);
    }
    EXPECT_EQ(worker.started(), 4u);
    EXPECT_FALSE(worker.pending(2));
}

TEST_F(BackgroundWorkerTest, GoingAwayEndsTheRunningToolAndDropsTheQueue) {
    fake.control("hang any OrvaWorkerTestHang\nlog " + fake.path("runs.log") + "\n");
    DWORD processId = 0;
    std::optional<BackgroundWorker> worker(std::in_place, allocator, window, kFinished, 42);
    ASSERT_TRUE(worker->submit(job(1, 0, "1")));
    ASSERT_TRUE(worker->submit(job(1, 0, "2")));
    ASSERT_EQ(WaitForSingleObject(hanging, 20000), WAIT_OBJECT_0);
    processId = fake.runs().at(0).processId;
    const DWORD before = GetTickCount();
    // Returns once the thread is joined.
    worker.reset();
    EXPECT_LT(GetTickCount() - before, 2000u);
    EXPECT_TRUE(testing::processEnds(processId, 1000));
    EXPECT_EQ(fake.runs().size(), 1u);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, window, kFinished, kFinished, PM_REMOVE));
}

}  // namespace
}  // namespace orva
