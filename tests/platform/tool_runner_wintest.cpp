// The tool runner against a real child process: the fake tool, told by the
// test what to print and how to end, logging what it received.
#include <gtest/gtest.h>

#include "pdf/tool_locator.h"
#include "platform/tool_runner.h"
#include "support/fake_poppler_win.h"

namespace orva {
namespace {

using testing::FakePoppler;

std::string text(const ByteBuffer& bytes) { return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()); }

class ToolRunnerTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(allocator.liveBlocks(), 0u); }

    Result<ToolRunResult> run(std::vector<std::string_view> arguments, bool captureStdout,
                              const EnvironmentMap* environment = nullptr, std::string_view directory = ".") {
        return runTool(allocator, arguments, directory, environment, captureStdout);
    }

    Allocator allocator;
    FakePoppler fake;
    std::string tool = fake.install("bin\\tool.exe");
};

TEST_F(ToolRunnerTest, ReturnsBothStreamsAndTheExitCodeAsReceived) {
    fake.control("stdout Pages: 3\\r\\nline two\nstderr warning: x\\n\nexit 3\n");
    auto result = run({tool}, true);
    ASSERT_TRUE(result) << errorName(result.error());
    EXPECT_EQ(text(result->standardOutput), "Pages: 3\r\nline two");
    EXPECT_EQ(text(result->standardError), "warning: x\n");
    EXPECT_EQ(result->exitCode, 3u);
}

TEST_F(ToolRunnerTest, WithoutCaptureStandardOutputIsEmptyButErrorsAreCollected) {
    fake.control("stdout printed\nstderr complaint\n");
    auto result = run({tool}, false);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->standardOutput.empty());
    EXPECT_EQ(text(result->standardError), "complaint");
    EXPECT_EQ(result->exitCode, 0u);
}

TEST_F(ToolRunnerTest, ASilentToolGivesTwoEmptyOutputs) {
    auto result = run({tool}, true);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->standardOutput.empty());
    EXPECT_TRUE(result->standardError.empty());
    EXPECT_EQ(result->exitCode, 0u);
}

TEST_F(ToolRunnerTest, MegabytesOnBothStreamsAreCollectedInOrderWithoutStalling) {
    constexpr std::size_t kOut = 3 << 20, kErr = (5 << 20) + 17;
    fake.control("stdout-bytes " + std::to_string(kOut) + "\nstderr-bytes " + std::to_string(kErr) + "\n");
    auto result = run({tool}, true);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->standardError.size(), kErr);
    for (std::size_t i = 0; i < kErr; i += 4099) ASSERT_EQ(result->standardError[i], 'A' + i % 23) << i;
    ASSERT_EQ(result->standardOutput.size(), kOut);
    for (std::size_t i = 0; i < kOut; i += 4099) ASSERT_EQ(result->standardOutput[i], 'a' + i % 23) << i;

    // Uncaptured, standard output goes where the program's own goes; the
    // error stream alone still fills its pipe many times over.
    fake.control("stderr-bytes " + std::to_string(kErr) + "\n");
    result = run({tool}, false);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->standardError.size(), kErr);
    EXPECT_TRUE(result->standardOutput.empty());
}

TEST_F(ToolRunnerTest, AnUnwantedErrorStreamIsDrainedInFixedMemoryHoweverLong) {
    constexpr std::size_t kFlood = std::size_t{48} << 20;
    for (const bool captureStdout : {false, true}) {
        fake.control("stdout Pages: 2\nstderr-bytes " + std::to_string(kFlood) + "\n");
        allocator.resetPeak();
        auto result = runTool(allocator, std::vector<std::string_view>{tool}, ".", nullptr, captureStdout,
                              StandardError::Drain);
        ASSERT_TRUE(result) << errorName(result.error());
        EXPECT_TRUE(result->standardError.empty());
        EXPECT_EQ(text(result->standardOutput), captureStdout ? "Pages: 2" : "");
        EXPECT_LT(allocator.peakBytes(), std::size_t{1} << 20) << captureStdout;
    }
}

TEST_F(ToolRunnerTest, ACrashingToolEndsThereAndThenWithTheExceptionsCode) {
    fake.control("stderr about to fail\ncrash\n");
    const DWORD before = GetTickCount();
    auto result = run({tool}, true);
    ASSERT_TRUE(result) << errorName(result.error());
    EXPECT_EQ(result->exitCode, 0xC0000005u);
    EXPECT_LT(GetTickCount() - before, 15000u);
    const auto runs = fake.runs();
    ASSERT_EQ(runs.size(), 1u);
    // The job is what ends it on an unhandled exception where the system
    // would otherwise wait for a debugger or a dialog.
    EXPECT_TRUE(runs[0].inJob);
    EXPECT_TRUE(testing::processEnds(runs[0].processId, 0));
}

TEST_F(ToolRunnerTest, AToolIsEndedWithTheProgramThatStartedIt) {
    // The probe renders a page with a tool that does not finish; the probe
    // is ended under it, as a program killed mid-render would be.
    fake.install("bin\\pdftoppm.exe");
    testing::writeTextFile(fake.path("doc.pdf"), "%PDF-1.4");
    fake.control("sleep 60000\n");
    testing::ChildProcess probe(testing::testProgramFolder() + "\\pdf_probe.exe",
                                  "render \"" + fake.path("doc.pdf") + "\" 1 1");
    std::vector<testing::FakeRun> runs;
    for (int i = 0; i < 400 && runs.empty(); ++i, Sleep(25)) runs = fake.runs();
    ASSERT_EQ(runs.size(), 1u) << "the tool never started";
    EXPECT_FALSE(testing::processEnds(runs[0].processId, 200));
    probe.terminate();
    EXPECT_TRUE(testing::processEnds(runs[0].processId, 10000)) << "the tool outlived the program";
}

TEST_F(ToolRunnerTest, TheChildGetsTheQuotedCommandLineTheFolderAndExactlyTheMap) {
    const std::string folder = fake.path("temp");
    EnvironmentMap environment(allocator, systemUpcase);
    ASSERT_TRUE(environment.set("ORVA_FAKE_POPPLER", fake.path("control.txt")));
    ASSERT_TRUE(environment.set("POPPLER_DATADIR", "C:\\p\\..\\share\\poppler"));
    ASSERT_TRUE(environment.set("=C:", "C:\\somewhere"));
    ASSERT_TRUE(environment.set("\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC"));
    auto result = run({tool, "-q", "", "a b", "say \"hi\"", "C:x", "7"}, false, &environment, folder);
    ASSERT_TRUE(result);
    const auto runs = fake.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].commandLine, "\"" + tool + "\" -q  \"a b\" \"say \\\"hi\\\"\" \"C:x\" 7");
    EXPECT_EQ(runs[0].arguments, (std::vector<std::string>{tool, "-q", "a b", "say \"hi\"", "C:x", "7"}));
    EXPECT_EQ(runs[0].program, tool);
    EXPECT_EQ(runs[0].workingDirectory, folder);
    EXPECT_EQ(runs[0].variable("POPPLER_DATADIR"), "C:\\p\\..\\share\\poppler");
    EXPECT_EQ(runs[0].variable("=C:"), "C:\\somewhere");
    EXPECT_EQ(runs[0].variable("\xC3\xA9t\xC3\xA9"), "\xE2\x82\xAC");
    EXPECT_EQ(runs[0].variable("PATH"), std::nullopt) << "nothing but the map reaches the child";
}

TEST_F(ToolRunnerTest, WithoutAMapTheChildInheritsTheProgramsEnvironment) {
    testing::ScopedVariable marker(L"ORVA_RUNNER_MARKER", L"inherited");
    ASSERT_TRUE(run({tool}, false));
    EXPECT_EQ(fake.runs().at(0).variable("ORVA_RUNNER_MARKER"), "inherited");
}

TEST_F(ToolRunnerTest, WhatCannotBeStartedIsSpawnFailed) {
    testing::writeTextFile(fake.path("bin\\notes.exe"), "not a program");
    for (const std::string& program : {fake.path("bin"), fake.path("bin\\notes.exe"), fake.path("bin\\missing.exe")}) {
        auto result = run({program}, true);
        ASSERT_FALSE(result) << program;
        EXPECT_EQ(result.error(), ErrorCode::SpawnFailed) << program;
    }
    EXPECT_EQ(run({tool}, true, nullptr, fake.path("no-such-folder")).error(), ErrorCode::SpawnFailed);
}

// An argument is text, which fails to convert; a program or a folder is a
// path, and no file has a name that is not UTF-8.
TEST_F(ToolRunnerTest, TextThatIsNotUtf8FailsAsTextOrAsAPathName) {
    EXPECT_EQ(run({tool, "\xFF"}, false).error(), ErrorCode::OutOfMemory);
    EXPECT_EQ(run({tool}, false, nullptr, "\xC3").error(), ErrorCode::BadPathName);
    EXPECT_EQ(run({tool + "\xC3"}, false).error(), ErrorCode::BadPathName);
    EXPECT_TRUE(fake.runs().empty());
}

TEST_F(ToolRunnerTest, EveryAllocationFailureIsReportedAndReleasesEveryBufferAndHandle) {
    fake.control("stdout-bytes 20000\nstderr-bytes 20000\n");
    EnvironmentMap environment(allocator, systemUpcase);
    ASSERT_TRUE(environment.set("ORVA_FAKE_POPPLER", fake.path("control.txt")));
    DWORD handlesBefore = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    bool succeeded = false;
    for (std::size_t nth = 1; nth < 100 && !succeeded; ++nth) {
        allocator.failAllocation(nth);
        auto result = run({tool, "x"}, true, &environment);
        allocator.failAllocation(0);
        if (result) {
            succeeded = true;
            EXPECT_EQ(result->standardOutput.size(), 20000u);
        } else {
            EXPECT_TRUE(result.error() == ErrorCode::OutOfMemory || result.error() == ErrorCode::SpawnFailed)
                << nth << ": " << errorName(result.error());
        }
    }
    EXPECT_TRUE(succeeded);
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_EQ(handlesAfter, handlesBefore);
}

}  // namespace
}  // namespace orva
