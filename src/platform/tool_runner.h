#pragma once
// Runs one external tool as a hidden child process and hands back what it
// wrote and how it ended. Synchronous: returns once the child has ended.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string_view>

#include "base/allocator.h"
#include "platform/environment_map.h"

namespace orva {

struct ToolRunResult {
    ByteBuffer standardOutput;  // empty unless captured
    ByteBuffer standardError;   // always collected
    std::uint32_t exitCode = 0;
};

// What becomes of the child's standard error: collected whole, read as it
// arrives and dropped, in a fixed amount of memory however much is written,
// or its first kStandardErrorHead bytes kept and the rest dropped (enough to
// read what a tool said first, however much it goes on).
enum class StandardError { Collect, Drain, Head };
inline constexpr std::size_t kStandardErrorHead = 4096;

// Lets another thread end a run that a worker thread waits for: `end` ends
// the tool there and then (its job, with everything it started, or the
// process itself where it is in no job), or keeps it from starting at all.
// The run then fails with Canceled.
class ToolRunControl {
public:
    void end();
    bool ended() const;

    // The runner's side: the started tool, suspended, is handed over before
    // it runs; false when the run was ended first (the runner then ends it).
    bool attach(void* job, void* process);
    void detach();

private:
    mutable std::mutex lock_;
    void* job_ = nullptr;
    void* process_ = nullptr;
    bool ended_ = false;
};

// arguments[0] is the program, started exactly as named (no search), and also
// argument zero of its command line. Without an environment the child
// inherits the program's own. A non-zero exit code is a normal result.
// OutOfMemory (also for text that is not UTF-8), SpawnFailed, WaitFailed;
// Canceled when the installed ToolWait (platform/tool_wait.h) ended the tool
// before it ended by itself, or `control` was ended. A run with a control
// waits plainly, without the thread's ToolWait: it is a worker's.
// A child that crashes ends there and then, with the exception's code as its
// exit code; one still running when the program ends is ended with it.
Result<ToolRunResult> runTool(Allocator& allocator, std::span<const std::string_view> arguments,
                              std::string_view workingDirectory, const EnvironmentMap* environment,
                              bool captureStdout, StandardError standardError = StandardError::Collect,
                              ToolRunControl* control = nullptr);

}  // namespace orva
