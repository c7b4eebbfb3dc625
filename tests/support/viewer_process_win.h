#pragma once
// A viewer (or any program) as a user starts it: its own process, with a
// command line of any characters, its windows found by class and read as
// UTF-16. Header-only, for the shell tests and the helper programs alike.
#include <string>

#include "base/scoped_win.h"
#include "base/win32.h"

namespace orva::testing {

class ProgramProcess {
public:
    // Starts `program` with `arguments` (which begin with a space when there
    // are any), in `folder` when one is given.
    ProgramProcess(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder = {}) {
        std::wstring line = L"\"" + program + L"\"" + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
            process_ = UniqueHandle(info.hProcess);
            thread_ = UniqueHandle(info.hThread);
            id_ = info.dwProcessId;
        }
    }
    // One still running when the test is over is ended.
    ~ProgramProcess() {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 99);
            WaitForSingleObject(process_.get(), 10000);
        }
    }
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool started() const { return static_cast<bool>(process_); }
    DWORD id() const { return id_; }
    // Exit status, or STILL_ACTIVE (259) after the time-out.
    DWORD waitForExit(DWORD ms = 20000) const {
        DWORD code = STILL_ACTIVE;
        if (!process_) return code;
        WaitForSingleObject(process_.get(), ms);
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }

private:
    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD id_ = 0;
};

// The first visible window of the process with that class, waited for up to
// `ms`; null when none came.
inline HWND findProcessWindow(DWORD process, const wchar_t* className, DWORD ms = 20000) {
    struct Search {
        DWORD process;
        const wchar_t* className;
        HWND found = nullptr;
    };
    for (DWORD waited = 0; waited <= ms; waited += 50) {
        Search search{process, className};
        EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                wchar_t name[64] = {};
                GetClassNameW(window, name, 64);
                if (owner != s->process || std::wstring(name) != s->className || !IsWindowVisible(window)) return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(50);
    }
    return nullptr;
}

inline std::wstring windowTextW(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

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

}  // namespace orva::testing
