#include "support/fake_poppler_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace orva::testing {

std::string testProgramFolder() {
    wchar_t path[32768];
    const DWORD units = GetModuleFileNameW(nullptr, path, 32768);
    std::wstring full(path, units);
    return narrow(full.substr(0, full.find_last_of(L"\\/")));
}

bool fileExists(const std::string& path) { return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void writeTextFile(const std::string& path, const std::string& bytes) {
    const std::filesystem::path file(widen(path));
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

std::string readTextFile(const std::string& path) {
    std::ifstream in(std::filesystem::path(widen(path)), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

ScopedVariable::ScopedVariable(std::wstring name, std::optional<std::wstring> value) : name_(std::move(name)) {
    wchar_t buffer[32768];
    SetLastError(ERROR_SUCCESS);
    const DWORD units = GetEnvironmentVariableW(name_.c_str(), buffer, 32768);
    if (units != 0 || GetLastError() == ERROR_SUCCESS) previous_ = std::wstring(buffer, units);
    SetEnvironmentVariableW(name_.c_str(), value ? value->c_str() : nullptr);
}

ScopedVariable::~ScopedVariable() {
    SetEnvironmentVariableW(name_.c_str(), previous_ ? previous_->c_str() : nullptr);
}

std::optional<std::string> FakeRun::variable(const std::string& name) const {
    for (const std::string& entry : environment) {
        const std::size_t equals = entry.find('=', 1);
        if (entry.substr(0, equals) == name) return entry.substr(equals + 1);
    }
    return std::nullopt;
}

FakePoppler::FakePoppler() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    // A folder left by an earlier run under the same process number is not
    // reused: whatever it holds may resist deletion.
    do {
        root_ = narrow(temp) + "orva-pdf-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    } while (fileExists(root_));
    std::filesystem::create_directories(std::filesystem::path(widen(path("temp"))));
    std::filesystem::create_directories(std::filesystem::path(widen(path("bin"))));
    control("");
    const auto set = [&](const wchar_t* name, std::optional<std::string> value) {
        variables_.push_back(std::make_unique<ScopedVariable>(
            name, value ? std::optional<std::wstring>(widen(*value)) : std::nullopt));
    };
    set(L"ORVA_FAKE_POPPLER", path("control.txt"));
    set(L"TEMP", path("temp"));
    set(L"TMP", path("temp"));
    set(L"PATH", path("bin"));
    set(L"PDFTOPPM_PATH", std::nullopt);
    set(L"POPPLER_DATADIR", std::nullopt);
}

FakePoppler::~FakePoppler() {
    variables_.clear();
    // Under Wine, the host removes the tree: links made by tests are the
    // host's, which the runtime's removal would follow, or loop on once
    // dangling.
    const std::string host = hostPath(root_);
    if (!host.empty() &&
        runHostProgram(L"/bin/rm", widen("/bin/rm -rf \"" + host + "\""), [&] { return !fileExists(root_); }, 20000)) {
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(widen(root_)), ignored);
}

std::string FakePoppler::install(const std::string& relative, const std::string& program) const {
    const std::string target = path(relative);
    std::filesystem::create_directories(std::filesystem::path(widen(target)).parent_path());
    const std::string source = testProgramFolder() + "\\" + program;
    EXPECT_TRUE(CopyFileW(widen(source).c_str(), widen(target).c_str(), FALSE)) << source << " -> " << target;
    return target;
}

void FakePoppler::control(const std::string& commands) const {
    writeTextFile(path("control.txt"), "log " + path("log.txt") + "\n" + commands);
}

std::vector<FakeRun> FakePoppler::runs() const {
    std::vector<FakeRun> runs;
    std::istringstream log(readTextFile(path("log.txt")));
    FakeRun run;
    for (std::string line; std::getline(log, line);) {
        const std::size_t equals = line.find('=');
        const std::string key = line.substr(0, equals), value = equals == std::string::npos ? "" : line.substr(equals + 1);
        if (key == "end") {
            runs.push_back(run);
            run = FakeRun{};
        } else if (key == "program") {
            run.program = value;
        } else if (key == "commandline") {
            run.commandLine = value;
        } else if (key.starts_with("arg")) {
            run.arguments.push_back(value);
        } else if (key == "cwd") {
            run.workingDirectory = value;
        } else if (key == "env") {
            run.environment.push_back(value);
        } else if (key == "process") {
            run.processId = static_cast<DWORD>(std::stoul(value));
        } else if (key == "injob") {
            run.inJob = value == "1";
        }
    }
    return runs;
}

}  // namespace orva::testing

namespace orva::testing {

bool makeLink(const std::string& link, const std::string& target, bool folder) {
    const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    if (CreateSymbolicLinkW(widen(link).c_str(), widen(target).c_str(), flags) && fileExists(link)) return true;
    const std::wstring line = widen("/bin/ln -s \"" + hostPath(target) + "\" \"" + hostPath(link) + "\"");
    return runHostProgram(L"/bin/ln", line, [&] { return fileExists(link); });
}

}  // namespace orva::testing
