#pragma once
// A program run as a child by tests that run natively as well as under Wine
// (the toolkit's): started with its output in a file, waited for,
// interrupted, and variables of the environment set for the length of a
// test. Header-only. Under Windows it starts its child through ChildProcess.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <memory>

#include "base/allocator.h"
#include "base/win32.h"
#include "platform/tool_command_line.h"
#include "support/child_process_win.h"
#include "support/wide_text_win.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <cerrno>
#include <unistd.h>

extern char** environ;
#endif

namespace orvatool::testing {

#ifndef _WIN32
inline std::string readWholeText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
#endif

#ifdef _WIN32
using orva::testing::widen;
#endif

// The variable's value, or nothing when unset.
inline std::optional<std::string> variable(const std::string& name) {
#ifdef _WIN32
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(widen(name).c_str(), buffer, 32768);
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    std::string out;
    for (DWORD i = 0; i < length; ++i) out += static_cast<char>(buffer[i] < 0x80 ? buffer[i] : '?');
    return out;
#else
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
#endif
}

inline void setVariable(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    SetEnvironmentVariableW(widen(name).c_str(), value ? widen(*value).c_str() : nullptr);
#else
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
#endif
}

// Sets a variable of this process, which its children inherit, until the
// scope ends.
class ScopedVariable {
public:
    ScopedVariable(std::string name, std::optional<std::string> value)
        : name_(std::move(name)), previous_(variable(name_)) {
        setVariable(name_, value);
    }
    ~ScopedVariable() { setVariable(name_, previous_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// A program started with its standard output and error in one file.
class Child {
public:
    static std::optional<Child> start(const std::string& program, const std::vector<std::string>& args,
                                      const std::string& outputFile) {
        Child child;
#ifdef _WIN32
        std::vector<std::string_view> parts(args.begin(), args.end());
        orva::Allocator allocator;
        auto arguments = orva::buildToolCommandLine(allocator, parts);
        if (!arguments) return std::nullopt;
        orva::testing::ChildOptions options;
        options.output = orva::testing::ChildOptions::Output::File;
        options.outputFile = widen(outputFile);
        // A console of its own, as a terminal gives it, for its Ctrl+C.
        options.withoutConsole = false;
        child.process_ = std::make_unique<orva::testing::ChildProcess>(
            widen(program), widen(std::string(arguments->view())), options);
        if (!child.process_->started()) return std::nullopt;
#else
        std::vector<std::string> strings{program};
        strings.insert(strings.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& s : strings) argv.push_back(s.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        const int spawned = posix_spawn(&child.pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) return std::nullopt;
#endif
        return child;
    }

    Child(Child&& other) noexcept { swap(other); }
    Child& operator=(Child&& other) noexcept {
        swap(other);
        return *this;
    }
    Child(const Child&) = delete;
    ~Child() {
        // A child a failed test left running is ended.
        if (running()) {
#ifdef _WIN32
            process_->terminate();
#else
            ::kill(pid_, SIGKILL);
#endif
            (void)wait();
        }
    }

    bool running() const {
#ifdef _WIN32
        return process_ != nullptr && !finished_;
#else
        return pid_ > 0 && !finished_;
#endif
    }

    // The exit status, or 128 + the signal that ended it; nothing when the
    // wait fails.
    std::optional<int> wait() {
        if (finished_) return status_;
#ifdef _WIN32
        if (WaitForSingleObject(process_->handle(), INFINITE) != WAIT_OBJECT_0) return std::nullopt;
        return finish();
#else
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0) {
            if (errno != EINTR) return std::nullopt;
        }
        return finish(status);
#endif
    }

    // The same, or nothing when it still runs at the deadline.
    std::optional<int> wait(std::chrono::milliseconds limit) {
        if (finished_) return status_;
#ifdef _WIN32
        if (WaitForSingleObject(process_->handle(), static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
            return std::nullopt;
        }
        return finish();
#else
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        for (;;) {
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) return finish(status);
            if (done < 0 || std::chrono::steady_clock::now() > deadline) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
#endif
    }

#ifdef _WIN32
    // Ctrl+C as a terminal gives it to a program under Wine: SIGINT to the
    // host's process, which Wine hands to the program's console handlers as
    // CTRL_C_EVENT. (Without a console of its own, which a test run lacks,
    // GenerateConsoleCtrlEvent reaches nobody.) The host process is the one
    // whose command line, in /proc, holds `marker` and the program's name.
    bool sendCtrlCUnderWine(const std::string& program, const std::string& marker) const {
        std::string found;
        std::error_code error;
        for (std::filesystem::directory_iterator it("Z:\\proc", error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
            std::ifstream in(it->path() / "cmdline", std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            const std::string commandLine = text.str();
            if (commandLine.find(marker) != std::string::npos && commandLine.find(program) != std::string::npos) {
                if (!found.empty()) return false;  // not one process: send nothing
                found = name;
            }
        }
        if (found.empty()) return false;
        return orva::testing::startHostProgram(L"/bin/sh", L"/bin/sh -c \"kill -INT " + widen(found) + L"\"");
    }
#else
    bool sendSignal(int signal) const { return ::kill(pid_, signal) == 0; }
    // The most memory the running child has held at once: its resident
    // set's high-water mark, since it started its program (the figure the
    // system gives at its end also counts the copy of this process it began
    // as). 0 once it has ended.
    long residentPeakKilobytes() const {
        const auto status = readWholeText("/proc/" + std::to_string(pid_) + "/status");
        const auto at = status.find("VmHWM:");
        return at == std::string::npos ? 0 : std::atol(status.c_str() + at + 6);
    }
#endif

private:
    Child() = default;
#ifdef _WIN32
    int finish() {
        DWORD code = 0;
        GetExitCodeProcess(process_->handle(), &code);
        status_ = static_cast<int>(code);
        finished_ = true;
        return status_;
    }
#else
    int finish(int status) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        finished_ = true;
        return status_;
    }
#endif
    void swap(Child& other) noexcept {
#ifdef _WIN32
        std::swap(process_, other.process_);
#else
        std::swap(pid_, other.pid_);
#endif
        std::swap(finished_, other.finished_);
        std::swap(status_, other.status_);
    }

#ifdef _WIN32
    std::unique_ptr<orva::testing::ChildProcess> process_;
#else
    pid_t pid_ = -1;
#endif
    bool finished_ = false;
    int status_ = 0;
};

}  // namespace orvatool::testing
