#include "platform/tool_runner.h"

#include <algorithm>

#include "base/scoped_win.h"
#include "platform/tool_command_line.h"
#include "platform/tool_wait.h"

namespace orva {

namespace {

constexpr DWORD kChunk = 4096;
// What is kept is read in larger gulps once there is room: a tool that
// prints megabytes (a text report) then costs few reads.
constexpr DWORD kKeptChunk = 64 * 1024;
// A worker's tool writes its output into a pipe this large, so that it
// seldom waits for the worker to read.
constexpr DWORD kWorkerPipeSize = 1 << 20;
// A stream nobody reads is drained in larger gulps: fewer calls per megabyte.
constexpr DWORD kDrainChunk = 64 * 1024;
constexpr DWORD kCreationFlags = CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT;  // 0x08000400
// A tool that crashes ends at once rather than waiting on an error dialog or
// a debugger: the child inherits this error mode, and its job kills it on an
// unhandled exception. The job also ends the tool when the program itself is
// ended before the tool is.
constexpr UINT kChildErrorMode = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;
constexpr DWORD kJobLimits = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;

// Reads one of the child's streams to its end. Once memory runs out, or when
// the stream is not wanted, it is still drained, into a scratch buffer, so
// that the child never blocks on a full pipe; what it writes is dropped.
struct StreamCollector {
    Allocator* allocator;
    HANDLE pipe;
    ByteBuilder bytes;
    bool keep = true;
    bool outOfMemory = false;
    // Past this many bytes kept, the rest is drained.
    std::size_t most = SIZE_MAX;

    void run() {
        if (!keep) return drain();
        std::uint8_t scratch[kChunk];
        for (;;) {
            if (bytes.size() >= most) return drain();
            std::uint8_t* target = scratch;
            DWORD room = kChunk;
            if (!outOfMemory) {
                const DWORD want = static_cast<DWORD>(std::min<std::size_t>(kKeptChunk, most - bytes.size()));
                if (auto space = bytes.appendSpace(want)) {
                    target = *space;
                    room = want;
                } else {
                    outOfMemory = true;
                }
            }
            DWORD got = 0;
            // A failing read (the child closed its end) is the end of the stream.
            if (!ReadFile(pipe, target, room, &got, nullptr) || got == 0) return;
            if (target != scratch) bytes.commit(got);
        }
    }

    // Into a block of the heap, not the stack: the collecting thread has a
    // small one. Without that block it drains in small gulps instead.
    void drain() {
        std::uint8_t small[kChunk];
        auto large = ByteBuffer::createUninitialized(*allocator, kDrainChunk);
        std::uint8_t* scratch = large ? large->data() : small;
        const DWORD size = large ? kDrainChunk : kChunk;
        DWORD got = 0;
        while (ReadFile(pipe, scratch, size, &got, nullptr) && got != 0) {
        }
    }
};

DWORD WINAPI collectInBackground(void* collector) {
    static_cast<StreamCollector*>(collector)->run();
    return 0;
}

// An anonymous pipe whose write end the child inherits and whose read end it
// does not.
bool createChildPipe(UniqueHandle& readEnd, UniqueHandle& writeEnd, DWORD size = 0) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, &inheritable, size)) return false;
    readEnd = UniqueHandle(read);
    writeEnd = UniqueHandle(write);
    return SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0) != 0;
}

// A job that holds the child; none where the system will not make one (the
// child then runs as it would without).
UniqueHandle makeChildJob() {
    UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    if (!job) return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = kJobLimits;
    if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        job.reset();
    }
    return job;
}

// The command line and the two paths of a run as the system takes them.
struct WideRun {
    OwnedArray<char16_t> commandLine;
    OwnedArray<char16_t> directory;
    OwnedArray<char16_t> program;
};

Result<WideRun> widenRun(Allocator& allocator, std::span<const std::string_view> arguments,
                         std::string_view workingDirectory) {
    // The paths first: a program named by text that is not UTF-8 is a bad
    // path name before it is a bad command line.
    auto wideDirectory = toWidePath(allocator, workingDirectory);
    if (!wideDirectory) return fail(wideDirectory.error());
    auto wideProgram = toWidePath(allocator, arguments[0]);
    if (!wideProgram) return fail(wideProgram.error());
    auto commandLine = buildToolCommandLine(allocator, arguments);
    if (!commandLine) return fail(ErrorCode::OutOfMemory);
    auto wideCommandLine = toWide(allocator, commandLine->view());
    if (!wideCommandLine) return fail(ErrorCode::OutOfMemory);
    return WideRun{std::move(*wideCommandLine), std::move(*wideDirectory), std::move(*wideProgram)};
}

// Starts the child hidden, with the given standard streams, suspended, and
// puts it in `job` when there is one, so that it runs nothing outside it;
// `job` is let go when the child could not be put in it (ending the job
// would then not end the child). The child is resumed by the caller. False
// when it could not be started.
bool startChild(WideRun& run, OwnedArray<char16_t>& environmentBlock, HANDLE output, HANDLE error,
                UniqueHandle& job, PROCESS_INFORMATION& process) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = error;
    const UINT ownErrorMode = SetErrorMode(kChildErrorMode);
    const BOOL started = CreateProcessW(
        wideChars(run.program), reinterpret_cast<wchar_t*>(run.commandLine.data()), nullptr, nullptr, TRUE,
        kCreationFlags | CREATE_SUSPENDED, environmentBlock.empty() ? nullptr : environmentBlock.data(),
        wideChars(run.directory), &startup, &process);
    SetErrorMode(ownErrorMode);
    if (!started) return false;
    if (job && !AssignProcessToJobObject(job.get(), process.hProcess)) job.reset();
    return true;
}

}  // namespace

void ToolRunControl::end() {
    const std::lock_guard hold(lock_);
    ended_ = true;
    // The job ends everything the tool started; a tool outside any job is
    // ended alone.
    if (job_ == nullptr || !TerminateJobObject(job_, ERROR_CANCELLED)) {
        if (process_ != nullptr) TerminateProcess(process_, ERROR_CANCELLED);
    }
}

bool ToolRunControl::ended() const {
    const std::lock_guard hold(lock_);
    return ended_;
}

bool ToolRunControl::attach(void* job, void* process) {
    const std::lock_guard hold(lock_);
    if (ended_) return false;
    job_ = job;
    process_ = process;
    return true;
}

void ToolRunControl::detach() {
    const std::lock_guard hold(lock_);
    job_ = nullptr;
    process_ = nullptr;
}

Result<ToolRunResult> runTool(Allocator& allocator, std::span<const std::string_view> arguments,
                              std::string_view workingDirectory, const EnvironmentMap* environment,
                              bool captureStdout, StandardError standardError, ToolRunControl* control) {
    if (control != nullptr && control->ended()) return fail(ErrorCode::Canceled);
    if (arguments.empty()) return fail(ErrorCode::SpawnFailed);
    auto wide = widenRun(allocator, arguments, workingDirectory);
    if (!wide) return fail(wide.error());
    OwnedArray<char16_t> environmentBlock;
    if (environment != nullptr) {
        auto block = buildEnvironmentBlock(allocator, *environment);
        if (!block) return fail(ErrorCode::SpawnFailed);
        environmentBlock = std::move(*block);
    }

    UniqueHandle errorRead, errorWrite, outputRead, outputWrite;
    if (!createChildPipe(errorRead, errorWrite)) return fail(ErrorCode::SpawnFailed);
    if (captureStdout && !createChildPipe(outputRead, outputWrite, control != nullptr ? kWorkerPipeSize : 0))
        return fail(ErrorCode::SpawnFailed);

    StreamCollector errors{&allocator, errorRead.get(), ByteBuilder(allocator),
                           standardError != StandardError::Drain};
    if (standardError == StandardError::Head) errors.most = kStandardErrorHead;
    StreamCollector output{&allocator, outputRead.get(), ByteBuilder(allocator)};
    // With both streams piped, standard error is drained on a thread of its
    // own while this one drains standard output: a child that fills either
    // pipe never waits for the other to be read. While a wait is installed,
    // this thread only waits and every stream has a thread. The threads start
    // before the child, so that failing to make one leaves nothing running.
    ToolWait* const wait = control == nullptr ? toolWait() : nullptr;
    const auto collectOnThread = [](StreamCollector& collector) {
        return UniqueHandle(CreateThread(nullptr, 64 * 1024, collectInBackground, &collector,
                                         STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    };
    UniqueHandle errorThread, outputThread;
    const auto joinErrorThread = [&] {
        if (errorThread) WaitForSingleObject(errorThread.get(), INFINITE);
    };
    if (captureStdout || wait != nullptr) {
        errorThread = collectOnThread(errors);
        if (!errorThread) return fail(ErrorCode::SpawnFailed);
    }
    if (captureStdout && wait != nullptr) {
        outputThread = collectOnThread(output);
        if (!outputThread) {
            errorWrite.reset();
            joinErrorThread();
            return fail(ErrorCode::SpawnFailed);
        }
    }

    PROCESS_INFORMATION process{};
    UniqueHandle job = makeChildJob();
    const bool started =
        startChild(*wide, environmentBlock, captureStdout ? outputWrite.get() : GetStdHandle(STD_OUTPUT_HANDLE),
                   errorWrite.get(), job, process);
    // The child holds its own copies now; ours would keep the streams open.
    errorWrite.reset();
    outputWrite.reset();
    if (!started) {
        joinErrorThread();
        if (outputThread) WaitForSingleObject(outputThread.get(), INFINITE);
        return fail(ErrorCode::SpawnFailed);
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    // A run ended before its tool started never lets the tool run; its
    // streams then close and the threads reading them finish.
    const bool attached = control == nullptr || control->attach(job.get(), processHandle.get());
    if (!attached) TerminateProcess(processHandle.get(), ERROR_CANCELLED);
    ResumeThread(threadHandle.get());

    if (wait != nullptr) {
        // The streams first, then the child, as without a wait.
        HANDLE handles[3] = {errorThread.get()};
        std::size_t count = 1;
        if (outputThread) handles[count++] = outputThread.get();
        handles[count++] = processHandle.get();
        if (!waitServicing(*wait, std::span(handles, count), job.get(), processHandle.get())) {
            return fail(ErrorCode::Canceled);
        }
    } else {
        (captureStdout ? output : errors).run();
        joinErrorThread();
        WaitForSingleObject(processHandle.get(), INFINITE);
        if (control != nullptr) {
            control->detach();
            if (!attached || control->ended()) return fail(ErrorCode::Canceled);
        }
    }
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(processHandle.get(), &exitCode)) return fail(ErrorCode::WaitFailed);
    if (errors.outOfMemory || output.outOfMemory) return fail(ErrorCode::OutOfMemory);
    ToolRunResult result;
    result.standardOutput = output.bytes.take();
    result.standardError = errors.bytes.take();
    result.exitCode = exitCode;
    return result;
}

}  // namespace orva
