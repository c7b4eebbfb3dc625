#pragma once
// A thread of one document's own that runs external tools one at a time, for
// the work no user action waits for (a page's text, its links, the outline,
// sharp parts of a page, thumbnails). Jobs wait in a queue and the most
// urgent runs first; each tool's standard output is collected, and the
// finished job is handed back to the window's thread, which a posted message
// tells. The worker owns nothing but its jobs: it never touches a document,
// and what it finishes is taken, and judged, on the window's thread. Ending
// it ends the running tool (its job object) and joins the thread.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "base/allocator.h"
#include "platform/environment_map.h"

struct HWND__;

namespace orva {

struct ToolJob {
    ToolJob() = default;
    ToolJob(ToolJob&&) noexcept = default;
    // The arguments may hold a document's password: they are overwritten
    // before they go, here and when a job is moved over another.
    ToolJob& operator=(ToolJob&& other) noexcept {
        if (this == &other) return *this;
        wipeArguments();
        kind = other.kind;
        priority = other.priority;
        for (int i = 0; i < 4; ++i) key[i] = other.key[i];
        arguments = std::move(other.arguments);
        environment = std::move(other.environment);
        outcome = other.outcome;
        output = std::move(other.output);
        exitCode = other.exitCode;
        return *this;
    }
    ~ToolJob() { wipeArguments(); }

    void wipeArguments() noexcept {
        for (const OwnedString& argument : arguments) {
            volatile char* bytes = const_cast<char*>(argument.view().data());
            for (std::size_t i = 0; i < argument.size(); ++i) bytes[i] = 0;
        }
    }

    // The caller's own numbering: what the job is (jobs of one kind are
    // cancelled together) and how urgent (lower runs first; equal ones in
    // the order they came).
    std::uint32_t kind = 0;
    std::uint32_t priority = 0;
    // The caller's: which pages, which part of a page, for which request.
    std::uint64_t key[4] = {0, 0, 0, 0};
    // arguments[0] is the program, run in the program's own current folder.
    OwnedArray<OwnedString> arguments;
    std::optional<EnvironmentMap> environment;

    // What the run gave, once finished: its standard output, or the code it
    // failed with (Canceled for a job that was cancelled while it ran).
    Status outcome;
    ByteBuffer output;
    std::uint32_t exitCode = 0;
};

class BackgroundWorker {
public:
    // `message` is posted to `window`, with `cookie` as its wParam, whenever
    // a job has finished. The thread is made with the first job.
    BackgroundWorker(Allocator& allocator, HWND__* window, unsigned message, std::uintptr_t cookie);
    // Ends the running tool, drops every job and joins the thread.
    ~BackgroundWorker();
    BackgroundWorker(const BackgroundWorker&) = delete;
    BackgroundWorker& operator=(const BackgroundWorker&) = delete;

    // Queues the job. OutOfMemory, SpawnFailed (no thread).
    Status submit(ToolJob&& job);
    // Drops the queued jobs of `kind`; a running one is ended, and comes
    // back as finished with Canceled (so that its owner knows it is gone).
    void cancel(std::uint32_t kind);
    // Whether a job of `kind` is queued or running.
    bool pending(std::uint32_t kind) const;
    // Whether finished jobs wait to be taken (their message not yet handled).
    bool anyFinished() const;
    // The finished jobs, in the order they finished.
    OwnedArray<ToolJob> takeFinished();
    // Jobs started since the worker was made, for tests and benchmarks.
    std::uint64_t started() const;

    struct State;

private:
    Allocator& allocator_;
    Owned<State> state_;
};

}  // namespace orva
