#pragma once
// Other programs as tests, benchmarks and the helper programs start them:
// Windows programs with a process to wait for, and, under Wine, host
// programs, which Wine starts but hands back no process for. Nothing here
// uses the test framework, so helper programs link it too.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/win32.h"

namespace orva::testing {

struct ProgramRun {
    DWORD exitCode = 0;
    std::string output;  // standard output and error, as they came
};

struct ChildOptions {
    // Where its standard output and error go: a pipe this side reads
    // (finish, drain), nowhere, this process's own, or the file outputFile.
    enum class Output { Capture, Discard, Inherit, File } output = Output::Capture;
    std::wstring outputFile;
    // A console program gets no console of its own (a test run has none to
    // share); without this it gets one, as from a terminal.
    bool withoutConsole = true;
    std::wstring directory;  // empty: this process's current one
    // Variables set (or, with an empty value, removed) on top of this
    // process's environment as it is now.
    std::vector<std::pair<std::wstring, std::wstring>> variables;
};

// The defaults with output sent elsewhere.
inline ChildOptions withOutput(ChildOptions::Output output) {
    ChildOptions options;
    options.output = output;
    return options;
}

// A program started and left to run; ended if it still runs when the object
// goes. `program` is both the file started and argument zero, quoted.
class ChildProcess {
public:
    ChildProcess(const std::wstring& program, const std::wstring& arguments, const ChildOptions& options = {});
    ChildProcess(const std::string& program, const std::string& arguments, const ChildOptions& options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return process_.hProcess != nullptr; }
    DWORD id() const { return process_.dwProcessId; }
    HANDLE handle() const { return process_.hProcess; }
    // The system's error when it could not be started.
    DWORD startError() const { return startError_; }

    // Its captured output to the end, then its exit code once it has ended.
    ProgramRun finish();
    // Reads the captured output to its end and drops it; the bytes read.
    std::uint64_t drain();
    // Its exit code, or STILL_ACTIVE when it still runs after `ms`.
    DWORD waitForExit(DWORD ms = 20000);
    void terminate();

private:
    PROCESS_INFORMATION process_{};
    HANDLE output_ = nullptr;
    DWORD startError_ = 0;
};

// Runs a program to its end: its exit code and output.
ProgramRun runProgram(const std::string& program, const std::string& arguments);

// Waits until the process has ended; false when it still runs after `ms`.
bool processEnds(DWORD processId, DWORD ms);

// The host's name for a path under Wine; "" elsewhere.
std::string hostPath(const std::string& path);
// A host path as Wine names it: on drive Z:, with backslashes.
inline std::string windowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

// Starts a host program under Wine; false elsewhere or when it cannot be.
bool startHostProgram(const std::wstring& program, const std::wstring& commandLine);

// startHostProgram, then waits until `done` holds, at most `ms`.
bool runHostProgram(const std::wstring& program, const std::wstring& commandLine, const std::function<bool()>& done,
                    DWORD ms = 5000);

// Windows of other processes (process_window_win.cpp, apart, so that only
// the programs that use them load the window system).
// A visible window of the given class that belongs to the process, waited
// for at most `ms`; null when none came.
HWND findProcessWindow(DWORD processId, const char* className, DWORD ms = 20000);

// Its title, as UTF-16 and as UTF-8.
std::wstring windowTextW(HWND window);
std::string windowText(HWND window);

// Waits up to `ms` for the window's title to satisfy `wanted`, and returns
// the title it has then.
template <class Wanted>
std::wstring waitForTitleWhere(HWND window, Wanted&& wanted, DWORD ms = 20000) {
    std::wstring title = windowTextW(window);
    for (DWORD waited = 0; !wanted(title) && waited < ms; waited += 50) {
        Sleep(50);
        title = windowTextW(window);
    }
    return title;
}

inline std::wstring waitForTitle(HWND window, const std::wstring& expected, DWORD ms = 20000) {
    return waitForTitleWhere(window, [&](const std::wstring& title) { return title == expected; }, ms);
}

// Writes all of `bytes`, in pieces the handle takes; stops at a failure.
void writeAll(HANDLE handle, std::string_view bytes);

}  // namespace orva::testing
