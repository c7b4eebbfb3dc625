// The Windows side of the tool host: the viewer's own tool search and
// runner, and the console's control events.
#include <atomic>
#include <new>
#include <string>

#include "base/win32.h"
#include "files.h"
#include "pdf/tool_locator.h"
#include "platform/tool_runner.h"
#include "tool_host.h"

namespace orvatool {

namespace {

std::atomic<int> gInterruption{0};
HANDLE gCleanedUp = nullptr;

// How long a closing console may wait for the cleanup; the system ends the
// program after about five seconds in any case.
constexpr DWORD kCloseWait = 4500;

BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            gInterruption = 2;
            return TRUE;
        case CTRL_CLOSE_EVENT:
            gInterruption = 1;
            break;
        default:  // log-off, shut-down
            gInterruption = 15;
            break;
    }
    // The program ends once this returns: not before the cleanup is done.
    if (gCleanedUp != nullptr) WaitForSingleObject(gCleanedUp, kCloseWait);
    return TRUE;
}

}  // namespace

std::string_view pdfToolName(PdfTool tool) { return tool == PdfTool::Info ? orva::kPdfinfoName : orva::kPdftoppmName; }

std::expected<std::string, std::string> findPdfTool(orva::Allocator& allocator, PdfTool tool) {
    auto path = orva::locateTool(allocator, pdfToolName(tool));
    if (!path) {
        return std::unexpected(std::string(pdfToolName(tool)) + " not found (looked " +
                               (tool == PdfTool::Render ? "at PDFTOPPM_PATH, " : "") +
                               "beside orvatool.exe and in its poppler folder, in C:\\poppler\\Library\\bin and "
                               "the poppler folders of Program Files, and in every folder of PATH)");
    }
    return std::string(path->view());
}

orva::Result<ToolRun> runPdfTool(orva::Allocator& allocator, std::span<const std::string_view> arguments,
                                 std::string_view workingDirectory, bool captureStdout) {
    if (arguments.empty()) return orva::fail(orva::ErrorCode::SpawnFailed);
    auto environment = orva::makeToolEnvironment(allocator, arguments[0]);
    if (!environment) return orva::fail(environment.error());
    // What pdftoppm says is not shown (it runs with -q); what pdfinfo says
    // explains its failure.
    auto run = orva::runTool(allocator, arguments, workingDirectory, &*environment, captureStdout,
                             captureStdout ? orva::StandardError::Collect : orva::StandardError::Drain);
    if (!run) return orva::fail(run.error());
    if (gInterruption != 0) return orva::fail(orva::ErrorCode::Canceled);
    ToolRun result;
    result.standardOutput = std::move(run->standardOutput);
    const auto errors = run->standardError.span();
    auto kept = orva::ByteBuffer::copyOf(allocator, errors.first(std::min(errors.size(), kKeptErrorBytes)));
    if (!kept) return orva::fail(kept.error());
    result.standardError = std::move(*kept);
    result.exitCode = run->exitCode;
    return result;
}

namespace {

DWORD WINAPI runTask(void* task) {
    static_cast<BackgroundTask*>(task)->run();
    return 0;
}

}  // namespace

bool BackgroundTask::start(void (*work)(void*), void* context) {
    join();
    work_ = work;
    context_ = context;
    const HANDLE thread = CreateThread(nullptr, 0, runTask, this, 0, nullptr);
    if (thread == nullptr) return false;
    thread_ = thread;
    return true;
}

void BackgroundTask::join() {
    if (thread_ == nullptr) return;
    WaitForSingleObject(static_cast<HANDLE>(thread_), INFINITE);
    CloseHandle(static_cast<HANDLE>(thread_));
    thread_ = nullptr;
}

bool standardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

InterruptCatcher::InterruptCatcher() {
    gInterruption = 0;
    // One event for the program's life: a console handler may still be
    // waiting on it when the catcher goes.
    if (gCleanedUp == nullptr) {
        gCleanedUp = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    } else {
        ResetEvent(gCleanedUp);
    }
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

InterruptCatcher::~InterruptCatcher() {
    interruptionHandled();
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}

int interruption() { return gInterruption; }

void interruptionHandled() {
    if (gCleanedUp != nullptr) SetEvent(gCleanedUp);
}

}  // namespace orvatool
