// Stands in for pdfinfo.exe and pdftoppm.exe in tests. Copied under those
// names, it does what the control file named by ORVA_FAKE_POPPLER says, one
// command a line, in this order whatever the order of the lines:
//   log PATH            append this run's program, command line, arguments,
//                       working directory and environment to PATH
//   mkdir NAME          create a folder in the working directory
//   write NAME SOURCE   copy the file SOURCE to NAME
//   ppm NAME W H        write a W x H image; "{page}" in NAME becomes the -f
//                       value; pixel (x, y) is red = page, green = x, blue = y;
//                       only in a run given a page (-f), as the rasteriser is.
//                       A run with no output root (its last argument the
//                       .pdf) prints the images to standard output instead,
//                       one a page from -f to -l, each -W x -H where given,
//                       green and blue then counted from -x and -y (mod 256)
//   stdout TEXT / stderr TEXT   print TEXT (\n \r \t \\ understood)
//   stdout-bytes N / stderr-bytes N   print N bytes, both streams taking turns
//   hang PAGE EVENT [CLAIM]   in a run given page PAGE (-f; 0 for a run
//                       without one, as pdfinfo's; "any" for every run): set
//                       the named event EVENT, then wait to be ended (30 s at
//                       most). With CLAIM, only the run that creates the file
//                       CLAIM hangs (it writes "PID PAGE" into it); the others
//                       go on
//   forward PROGRAM     run PROGRAM with this run's arguments and exit with
//                       its exit code (after a hang, if any)
//   signal NAME         set the named event NAME, where it exists
//   wait NAME           then wait (at most a minute) for the named event NAME
//   sleep MS            wait before exiting
//   crash               end by an access violation, after all else but exit
//   exit N              the exit code (default 0)
//   count-input         print the first "Pages: N" line of the input file (the
//                       last argument); a file without one, or without a
//                       final "%%EOF", is reported as broken (exit 1)
//   password PW         a run not given "-upw PW" says, as the information
//                       tool does, "Command Line Error: Incorrect password"
//                       on standard error and exits 1, doing nothing else
// A line "NAME: COMMAND" applies only to the copy named NAME (such as
// "pdftotext.exe: stdout ..."), the letter case of the name ignored.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/child_process_win.h"
#include "support/wide_text_win.h"

namespace {

using orva::testing::narrow;
using orva::testing::writeAll;
using orva::testing::widen;

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
    }
    return out;
}

// Byte i of a stream of the given tag: the tests check order and content.
std::string patternChunk(char tag, std::size_t from, std::size_t count) {
    std::string out(count, '\0');
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<char>(tag + (from + i) % 23);
    return out;
}

std::vector<std::wstring> arguments() {
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> out(list, list + count);
    LocalFree(list);
    return out;
}

unsigned numberArgument(const std::vector<std::wstring>& args, const wchar_t* name, unsigned otherwise = 0) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == name) return static_cast<unsigned>(std::wcstoul(args[i + 1].c_str(), nullptr, 10));
    return otherwise;
}

unsigned pageArgument(const std::vector<std::wstring>& args) { return numberArgument(args, L"-f"); }

bool printsToStandardOutput(const std::vector<std::wstring>& args) {
    if (args.size() < 2) return false;
    std::wstring last = args.back();
    for (wchar_t& c : last) c = static_cast<wchar_t>(std::towlower(c));
    return last.size() > 4 && last.ends_with(L".pdf");
}

std::string ppmImage(unsigned page, unsigned width, unsigned height, unsigned left, unsigned top) {
    std::string image = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    image.reserve(image.size() + std::size_t{width} * height * 3);
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x) {
            image += static_cast<char>(page);
            image += static_cast<char>(x + left);
            image += static_cast<char>(y + top);
        }
    return image;
}

void writeLog(const std::string& path, const std::vector<std::wstring>& args) {
    std::ostringstream log;
    wchar_t buffer[32768];
    GetModuleFileNameW(nullptr, buffer, 32768);
    log << "program=" << narrow(buffer) << "\n";
    log << "commandline=" << narrow(GetCommandLineW()) << "\n";
    for (std::size_t i = 0; i < args.size(); ++i) log << "arg" << i << "=" << narrow(args[i]) << "\n";
    GetCurrentDirectoryW(32768, buffer);
    log << "cwd=" << narrow(buffer) << "\n";
    log << "process=" << GetCurrentProcessId() << "\n";
    BOOL inJob = FALSE;
    IsProcessInJob(GetCurrentProcess(), nullptr, &inJob);
    log << "injob=" << (inJob ? 1 : 0) << "\n";
    wchar_t* environment = GetEnvironmentStringsW();
    for (const wchar_t* entry = environment; *entry != 0; entry += wcslen(entry) + 1)
        log << "env=" << narrow(entry) << "\n";
    FreeEnvironmentStringsW(environment);
    log << "end\n";
    std::ofstream(path, std::ios::app | std::ios::binary) << log.str();
}

}  // namespace

int main() {
    wchar_t controlPath[32768];
    if (GetEnvironmentVariableW(L"ORVA_FAKE_POPPLER", controlPath, 32768) == 0) return 90;
    std::ifstream control(controlPath, std::ios::binary);
    if (!control) return 91;
    wchar_t self[32768];
    const DWORD selfLength = GetModuleFileNameW(nullptr, self, 32768);
    std::string name = narrow(std::wstring(self, selfLength));
    name = name.substr(name.find_last_of("\\/") + 1);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::vector<std::pair<std::string, std::string>> commands;
    for (std::string line; std::getline(control, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (const std::size_t colon = line.find(": "); colon != std::string::npos && line.find(' ') > colon) {
            std::string only = line.substr(0, colon);
            for (char& c : only) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (only != name) continue;
            line = line.substr(colon + 2);
        }
        const std::size_t space = line.find(' ');
        commands.emplace_back(line.substr(0, space), space == std::string::npos ? "" : line.substr(space + 1));
    }
    const auto args = arguments();
    const unsigned page = pageArgument(args);
    const auto each = [&](const char* name, auto&& action) {
        for (const auto& [command, value] : commands)
            if (command == name) action(value);
    };

    each("log", [&](const std::string& path) { writeLog(path, args); });
    bool locked = false;
    each("password", [&](const std::string& password) {
        bool given = false;
        for (std::size_t i = 0; i + 1 < args.size(); ++i) given = given || (args[i] == L"-upw" && args[i + 1] == widen(password));
        locked = locked || !given;
    });
    if (locked) {
        writeAll(GetStdHandle(STD_ERROR_HANDLE), "Command Line Error: Incorrect password\n");
        return 1;
    }
    bool broken = false;
    each("count-input", [&](const std::string&) {
        std::ifstream input(args.back().c_str(), std::ios::binary);
        const std::string body((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
        const std::size_t at = body.find("Pages: ");
        broken = at == std::string::npos || body.find("%%EOF") == std::string::npos;
        if (!broken) writeAll(GetStdHandle(STD_OUTPUT_HANDLE), body.substr(at, body.find('\n', at) - at) + "\n");
    });
    if (broken) {
        writeAll(GetStdHandle(STD_ERROR_HANDLE), "Syntax Error: Couldn't find trailer dictionary\n");
        return 1;
    }
    each("mkdir", [&](const std::string& name) { CreateDirectoryW(widen(name).c_str(), nullptr); });
    each("write", [&](const std::string& value) {
        const std::size_t space = value.find(' ');
        CopyFileW(widen(value.substr(space + 1)).c_str(), widen(value.substr(0, space)).c_str(), FALSE);
    });
    each("ppm", [&](const std::string& value) {
        if (page == 0) return;
        std::istringstream fields(value);
        std::string name;
        unsigned width = 0, height = 0;
        fields >> name >> width >> height;
        if (printsToStandardOutput(args)) {
            const unsigned w = numberArgument(args, L"-W", width), h = numberArgument(args, L"-H", height);
            const unsigned left = numberArgument(args, L"-x"), top = numberArgument(args, L"-y");
            for (unsigned p = page; p <= numberArgument(args, L"-l", page); ++p)
                writeAll(GetStdHandle(STD_OUTPUT_HANDLE), ppmImage(p, w, h, left, top));
            return;
        }
        if (const std::size_t at = name.find("{page}"); at != std::string::npos)
            name.replace(at, 6, std::to_string(page));
        std::ofstream(widen(name).c_str(), std::ios::binary) << ppmImage(page, width, height, 0, 0);
    });
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    each("stdout", [&](const std::string& text) { writeAll(out, unescape(text)); });
    each("stderr", [&](const std::string& text) { writeAll(err, unescape(text)); });
    std::size_t outBytes = 0, errBytes = 0;
    each("stdout-bytes", [&](const std::string& n) { outBytes = std::stoull(n); });
    each("stderr-bytes", [&](const std::string& n) { errBytes = std::stoull(n); });
    constexpr std::size_t kTurn = 16384;
    for (std::size_t o = 0, e = 0; o < outBytes || e < errBytes;) {
        const std::size_t takeOut = std::min(kTurn, outBytes - o), takeErr = std::min(kTurn, errBytes - e);
        if (takeOut) writeAll(out, patternChunk('a', o, takeOut));
        if (takeErr) writeAll(err, patternChunk('A', e, takeErr));
        o += takeOut;
        e += takeErr;
    }
    each("hang", [&](const std::string& value) {
        std::istringstream fields(value);
        std::string which, event, claim;
        fields >> which >> event >> claim;
        if (which != "any" && std::to_string(page) != which) return;
        if (!claim.empty()) {
            const HANDLE file = CreateFileW(widen(claim).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) return;
            writeAll(file, std::to_string(GetCurrentProcessId()) + " " + std::to_string(page));
            CloseHandle(file);
        }
        const HANDLE hanging = OpenEventW(EVENT_MODIFY_STATE, FALSE, widen(event).c_str());
        if (hanging != nullptr) SetEvent(hanging);
        Sleep(30000);  // the hang itself: whoever waits for this run ends it
    });
    int code = 0;
    each("forward", [&](const std::string& program) {
        std::wstring commandLine = L"\"" + widen(program) + L"\"";
        for (std::size_t i = 1; i < args.size(); ++i) commandLine += L" \"" + args[i] + L"\"";
        // The program writes to this run's own streams.
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        for (const HANDLE stream : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
            SetHandleInformation(stream, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(widen(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                            &startup, &process)) {
            code = 92;
            return;
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD exitCode = 93;
        GetExitCodeProcess(process.hProcess, &exitCode);
        code = static_cast<int>(exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    });
    each("signal", [&](const std::string& name) {
        if (const HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, widen(name).c_str())) {
            SetEvent(event);
            CloseHandle(event);
        }
    });
    each("wait", [&](const std::string& name) {
        if (const HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, widen(name).c_str())) {
            WaitForSingleObject(event, 60000);
            CloseHandle(event);
        }
    });
    each("sleep", [&](const std::string& ms) { Sleep(static_cast<DWORD>(std::stoul(ms))); });
    each("crash", [&](const std::string&) {
        // An address the compiler cannot see to be null, in the first page,
        // which is never mapped.
        auto* nowhere = reinterpret_cast<volatile int*>(static_cast<std::uintptr_t>(GetCurrentProcessId()) & 0xF);
        *nowhere = 1;
    });
    each("exit", [&](const std::string& n) { code = std::stoi(n); });
    return code;
}
