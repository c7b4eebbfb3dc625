#include "support/child_process_win.h"

#include <algorithm>

#include "support/wide_text_win.h"

namespace orva::testing {

namespace {

// This process's environment with `variables` put over it, as a block.
std::vector<wchar_t> environmentWith(const std::vector<std::pair<std::wstring, std::wstring>>& variables) {
    const auto upper = [](std::wstring text) {
        for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
        return text;
    };
    std::vector<wchar_t> block;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry != 0; entry += wcslen(entry) + 1) {
        const std::wstring text = entry;
        const std::wstring name = upper(text.substr(0, text.find(L'=', 1)));
        const bool replaced = std::any_of(variables.begin(), variables.end(),
                                          [&](const auto& variable) { return upper(variable.first) == name; });
        if (replaced) continue;
        block.insert(block.end(), text.begin(), text.end());
        block.push_back(0);
    }
    FreeEnvironmentStringsW(strings);
    for (const auto& [name, value] : variables) {
        if (value.empty()) continue;
        const std::wstring entry = name + L"=" + value;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(0);
    }
    block.push_back(0);
    return block;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::string& arguments, const ChildOptions& options)
    : ChildProcess(widen(program), widen(arguments), options) {}

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& arguments, const ChildOptions& options) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE write = nullptr;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (options.output == ChildOptions::Output::Capture) {
        CreatePipe(&output_, &write, &inheritable, 0);
        SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
    } else if (options.output == ChildOptions::Output::Discard) {
        write = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0,
                            nullptr);
    } else if (options.output == ChildOptions::Output::File) {
        write = CreateFileW(options.outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                            CREATE_ALWAYS, 0, nullptr);
    }
    if (write != nullptr && write != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = write;
        startup.hStdError = write;
    }
    std::vector<wchar_t> environment;
    if (!options.variables.empty()) environment = environmentWith(options.variables);
    std::wstring line = L"\"" + program + L"\"";
    if (!arguments.empty()) line += L" " + arguments;
    const BOOL made = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, startup.dwFlags != 0,
                                     (options.withoutConsole ? CREATE_NO_WINDOW : 0) | CREATE_UNICODE_ENVIRONMENT,
                                     environment.empty() ? nullptr : environment.data(),
                                     options.directory.empty() ? nullptr : options.directory.c_str(), &startup, &process_);
    if (!made) {
        startError_ = GetLastError();
        process_ = {};
    }
    if (write != nullptr && write != INVALID_HANDLE_VALUE) CloseHandle(write);
}

ChildProcess::~ChildProcess() {
    terminate();
    if (output_ != nullptr) CloseHandle(output_);
}

std::uint64_t ChildProcess::drain() {
    static char buffer[64 * 1024];
    std::uint64_t total = 0;
    DWORD got = 0;
    while (output_ != nullptr && ReadFile(output_, buffer, sizeof buffer, &got, nullptr) && got != 0) total += got;
    return total;
}

ProgramRun ChildProcess::finish() {
    ProgramRun result;
    if (!started()) {
        result.exitCode = 0xFFFFFFFF;
        return result;
    }
    char buffer[4096];
    DWORD got = 0;
    while (output_ != nullptr && ReadFile(output_, buffer, sizeof buffer, &got, nullptr) && got != 0) {
        result.output.append(buffer, got);
    }
    result.exitCode = waitForExit(INFINITE);
    return result;
}

DWORD ChildProcess::waitForExit(DWORD ms) {
    if (!started()) return 0xFFFFFFFF;
    WaitForSingleObject(process_.hProcess, ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

void ChildProcess::terminate() {
    if (!started()) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 10000);
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = {};
}

ProgramRun runProgram(const std::string& program, const std::string& arguments) {
    return ChildProcess(program, arguments).finish();
}

bool processEnds(DWORD processId, DWORD ms) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process == nullptr) return true;  // gone already
    const bool ended = WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

std::string hostPath(const std::string& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (unixName == nullptr) return "";
    char* name = unixName(widen(path).c_str());
    std::string text = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return text;
}

bool startHostProgram(const std::wstring& program, const std::wstring& commandLine) {
    if (hostPath("C:\\").empty()) return false;
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    return true;
}

bool runHostProgram(const std::wstring& program, const std::wstring& commandLine, const std::function<bool()>& done,
                    DWORD ms) {
    if (!startHostProgram(program, commandLine)) return false;
    for (DWORD waited = 0; waited < ms && !done(); waited += 25) Sleep(25);
    return done();
}

void writeAll(HANDLE handle, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(handle, bytes.data() + done, ask, &wrote, nullptr) || wrote == 0) return;
        done += wrote;
    }
}

}  // namespace orva::testing
