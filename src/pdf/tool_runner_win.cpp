#include "pdf/tool_runner.h"

#include "pdf/tool_command_line.h"
#include "pdf/unique_handle_win.h"

namespace orva {

namespace {

constexpr DWORD kChunk = 4096;
constexpr DWORD kCreationFlags = CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT;  // 0x08000400

// Reads one of the child's streams to its end. Once memory runs out the
// stream is still drained, into a scratch buffer, so that the child never
// blocks on a full pipe; what it writes from then on is dropped.
struct StreamCollector {
    HANDLE pipe;
    ByteBuilder bytes;
    bool outOfMemory = false;

    void run() {
        std::uint8_t scratch[kChunk];
        for (;;) {
            std::uint8_t* target = scratch;
            if (!outOfMemory) {
                if (auto space = bytes.appendSpace(kChunk)) {
                    target = *space;
                } else {
                    outOfMemory = true;
                }
            }
            DWORD got = 0;
            // A failing read (the child closed its end) is the end of the stream.
            if (!ReadFile(pipe, target, kChunk, &got, nullptr) || got == 0) return;
            if (target != scratch) bytes.commit(got);
        }
    }
};

DWORD WINAPI collectInBackground(void* collector) {
    static_cast<StreamCollector*>(collector)->run();
    return 0;
}

// An anonymous pipe whose write end the child inherits and whose read end it
// does not.
bool createChildPipe(UniqueHandle& readEnd, UniqueHandle& writeEnd) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, &inheritable, 0)) return false;
    readEnd = UniqueHandle(read);
    writeEnd = UniqueHandle(write);
    return SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0) != 0;
}

}  // namespace

Result<ToolRunResult> runTool(Allocator& allocator, std::span<const std::string_view> arguments,
                              std::string_view workingDirectory, const EnvironmentMap* environment,
                              bool captureStdout) {
    if (arguments.empty()) return fail(ErrorCode::SpawnFailed);
    auto commandLine = buildToolCommandLine(allocator, arguments);
    if (!commandLine) return fail(ErrorCode::OutOfMemory);
    auto wideCommandLine = toWide(allocator, commandLine->view());
    auto wideDirectory = toWide(allocator, workingDirectory);
    auto wideProgram = toWide(allocator, arguments[0]);
    if (!wideCommandLine || !wideDirectory || !wideProgram) return fail(ErrorCode::OutOfMemory);
    commandLine->reset();
    OwnedArray<char16_t> environmentBlock;
    if (environment != nullptr) {
        auto block = buildEnvironmentBlock(allocator, *environment);
        if (!block) return fail(ErrorCode::SpawnFailed);
        environmentBlock = std::move(*block);
    }

    UniqueHandle errorRead, errorWrite, outputRead, outputWrite;
    if (!createChildPipe(errorRead, errorWrite)) return fail(ErrorCode::SpawnFailed);
    if (captureStdout && !createChildPipe(outputRead, outputWrite)) return fail(ErrorCode::SpawnFailed);

    StreamCollector errors{errorRead.get(), ByteBuilder(allocator)};
    StreamCollector output{outputRead.get(), ByteBuilder(allocator)};
    // With both streams piped, standard error is drained on a thread of its
    // own while this one drains standard output: a child that fills either
    // pipe never waits for the other to be read. The thread starts before the
    // child, so that failing to make it leaves nothing running.
    UniqueHandle errorThread;
    if (captureStdout) {
        errorThread = UniqueHandle(
            CreateThread(nullptr, 64 * 1024, collectInBackground, &errors, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
        if (!errorThread) return fail(ErrorCode::SpawnFailed);
    }
    const auto joinErrorThread = [&] {
        if (errorThread) WaitForSingleObject(errorThread.get(), INFINITE);
    };

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = captureStdout ? outputWrite.get() : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = errorWrite.get();
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(
        wideChars(*wideProgram), reinterpret_cast<wchar_t*>(wideCommandLine->data()), nullptr, nullptr, TRUE,
        kCreationFlags, environmentBlock.empty() ? nullptr : environmentBlock.data(), wideChars(*wideDirectory),
        &startup, &process);
    // The child holds its own copies now; ours would keep the streams open.
    errorWrite.reset();
    outputWrite.reset();
    if (!started) {
        joinErrorThread();
        return fail(ErrorCode::SpawnFailed);
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);

    (captureStdout ? output : errors).run();
    joinErrorThread();
    WaitForSingleObject(processHandle.get(), INFINITE);
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
