// Runs the host's poppler utility of the same name as this program (pdfinfo
// or pdftoppm) for a Windows program under Wine. Wine starts a host program
// when asked to, but hands back no process handle, exit code or pipes, so the
// call goes through files in a fresh exchange folder: a shell script that
// runs the tool in the mapped working directory with its output redirected,
// and a status file written last, which this program waits for. Arguments
// that are absolute Windows paths are mapped to host paths; the rest pass
// unchanged. The tool's output and exit code become this program's.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/child_process_win.h"
#include "support/wide_text_win.h"

namespace {

using orva::testing::hostPath;
using orva::testing::narrow;
using orva::testing::startHostProgram;
using orva::testing::writeAll;

bool isAbsoluteWindowsPath(const std::wstring& text) {
    if (text.size() >= 3 && text[1] == L':' && (text[2] == L'\\' || text[2] == L'/')) return true;
    return text.size() >= 2 && text[0] == L'\\' && text[1] == L'\\';
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

int failWith(const char* message) {
    std::fprintf(stderr, "poppler bridge: %s\n", message);
    return 127;
}

}  // namespace

int main() {
    if (hostPath("C:\\").empty()) return failWith("needs Wine to reach the host's tools");

    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    std::wstring self(buffer, length);
    std::wstring tool = self.substr(self.find_last_of(L"\\/") + 1);
    if (const std::size_t dot = tool.rfind(L'.'); dot != std::wstring::npos) tool.resize(dot);

    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::string command = "PATH=/usr/bin:/bin:/usr/local/bin exec ";
    command += shellQuoted(narrow(tool));
    for (int i = 1; i < count; ++i) {
        const std::wstring argument = argv[i];
        command += ' ';
        command += shellQuoted(isAbsoluteWindowsPath(argument) ? hostPath(narrow(argument)) : narrow(argument));
    }
    LocalFree(argv);
    GetCurrentDirectoryW(32768, buffer);
    const std::string directory = hostPath(narrow(buffer));
    if (directory.empty()) return failWith("the working directory has no host path");

    GetTempPathW(MAX_PATH + 1, buffer);
    const std::wstring exchange = std::wstring(buffer) + L"orva-bridge-" + std::to_wstring(GetCurrentProcessId()) +
                                  L"-" + std::to_wstring(GetTickCount64());
    if (!CreateDirectoryW(exchange.c_str(), nullptr)) return failWith("cannot make the exchange folder");
    const std::string host = hostPath(narrow(exchange));
    if (host.empty() || host.find('"') != std::string::npos) {
        RemoveDirectoryW(exchange.c_str());
        return failWith("the exchange folder has no host path this bridge can pass on");
    }
    const std::wstring script = exchange + L"\\run.sh", status = exchange + L"\\status";
    const std::wstring output = exchange + L"\\out", errors = exchange + L"\\err";
    {
        std::ofstream out(script.c_str(), std::ios::binary);
        out << "cd " << shellQuoted(directory) << " || { echo 126 > " << shellQuoted(host + "/status.tmp")
            << "; mv " << shellQuoted(host + "/status.tmp") << " " << shellQuoted(host + "/status") << "; exit; }\n"
            << "(" << command << ") >" << shellQuoted(host + "/out") << " 2>" << shellQuoted(host + "/err")
            << " </dev/null\n"
            << "echo $? > " << shellQuoted(host + "/status.tmp") << "\n"
            << "mv " << shellQuoted(host + "/status.tmp") << " " << shellQuoted(host + "/status") << "\n";
    }

    std::wstring line = L"/bin/sh \"" + std::wstring(host.begin(), host.end()) + L"/run.sh\"";
    if (!startHostProgram(L"/bin/sh", line)) return failWith("cannot start the host shell");

    // The status file appears only once the tool has ended.
    const ULONGLONG deadline = GetTickCount64() + 10 * 60 * 1000;
    while (GetFileAttributesW(status.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount64() > deadline) return failWith("the host tool did not finish in time");
        Sleep(1);
    }
    const int code = std::atoi(readAll(status).c_str());
    writeAll(GetStdHandle(STD_OUTPUT_HANDLE), readAll(output));
    writeAll(GetStdHandle(STD_ERROR_HANDLE), readAll(errors));
    for (const std::wstring& file : {script, status, output, errors}) DeleteFileW(file.c_str());
    RemoveDirectoryW(exchange.c_str());
    return code;
}
