#pragma once
// What the toolkit needs from the system to drive poppler's programs: where
// they are, running one, a private folder for their output, whether standard
// error is a terminal, and catching interruptions. One implementation for
// Windows (the viewer's own tool search and runner) and one for POSIX
// systems (PATH and posix_spawn).
#include <cstdint>
#include <expected>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "base/allocator.h"

namespace orvatool {

enum class PdfTool { Info, Render };

// The program's name as the user knows it: "pdfinfo", "pdftoppm" (with
// ".exe" on Windows).
std::string_view pdfToolName(PdfTool tool);

// The tool's path, searched afresh. Windows: the viewer's search
// (PDFTOPPM_PATH for pdftoppm, beside this program and in its "poppler"
// folder, the fixed install folders, PATH); elsewhere every folder of PATH.
// The failure says where it looked.
std::expected<std::string, std::string> findPdfTool(orva::Allocator& allocator, PdfTool tool);

struct ToolRun {
    orva::ByteBuffer standardOutput;  // empty unless captured
    orva::ByteBuffer standardError;   // the first kKeptErrorBytes of it
    std::uint32_t exitCode = 0;
};

inline constexpr std::size_t kKeptErrorBytes = 4096;

// Runs `arguments` (arguments[0] the tool's path) in `workingDirectory` with
// no input, and waits for it to end. A non-zero exit is a normal result.
// SpawnFailed, WaitFailed, OutOfMemory; Canceled when an interruption was
// caught meanwhile (natively the tool is ended there and then; on Windows
// it is left to finish its work, which ends with the program at the latest).
orva::Result<ToolRun> runPdfTool(orva::Allocator& allocator, std::span<const std::string_view> arguments,
                                 std::string_view workingDirectory, bool captureStdout);

// Work done on a thread of its own, waited for by `join` or on destruction.
class BackgroundTask {
public:
    BackgroundTask() = default;
    ~BackgroundTask() { join(); }
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    // Starts `work(context)`; false when no thread can be had, and then
    // nothing was started.
    bool start(void (*work)(void*), void* context);
    void join();

    // What the thread runs; not for use by the caller.
    void run() { work_(context_); }

private:
    void (*work_)(void*) = nullptr;
    void* context_ = nullptr;
    void* thread_ = nullptr;
};

bool standardErrorIsTerminal();

// While one is alive, Ctrl+C, a termination request and (on Windows) the
// closing of the console window are noted instead of ending the program, so
// that it can clean up and end by itself. Natively the thread that makes it
// holds those signals back while it lives: they land in the waits of the
// tool runs, wherever those run, or are seen as pending by `interruption`.
class InterruptCatcher {
public:
    InterruptCatcher();
    ~InterruptCatcher();
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;
};

// The interruption noted, as a signal number (2 for Ctrl+C or Ctrl+Break,
// 15 for a termination request, 1 for a closed terminal or console); 0 for
// none.
int interruption();

// Says that the cleanup after an interruption is done: on Windows a console
// that is closing waits for that before it ends the program.
void interruptionHandled();

}  // namespace orvatool
