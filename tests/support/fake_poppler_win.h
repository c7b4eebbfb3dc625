#pragma once
// A private corner of the file system for tests of the PDF backend: its own
// temporary folder, search path and copies of the fake tool under the names
// of the real ones, with everything put back and deleted afterwards.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/win32.h"
#include "support/child_process_win.h"
#include "support/wide_text_win.h"

namespace orva::testing {

// Folder of the running test program, where the helper programs are built.
std::string testProgramFolder();

bool fileExists(const std::string& path);
void writeTextFile(const std::string& path, const std::string& bytes);
std::string readTextFile(const std::string& path);

// Sets (or, with nothing, removes) a variable of this process and restores
// its old state when it goes.
class ScopedVariable {
public:
    ScopedVariable(std::wstring name, std::optional<std::wstring> value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::wstring name_;
    std::optional<std::wstring> previous_;
};

// One run of the fake tool as it logged itself.
struct FakeRun {
    std::string program;
    std::string commandLine;
    std::vector<std::string> arguments;
    std::string workingDirectory;
    std::vector<std::string> environment;  // "NAME=VALUE"
    DWORD processId = 0;
    bool inJob = false;
    std::optional<std::string> variable(const std::string& name) const;
};

class FakePoppler {
public:
    // root\temp becomes TEMP and TMP, root\bin the whole PATH; PDFTOPPM_PATH
    // and POPPLER_DATADIR are unset; the control file is empty.
    FakePoppler();
    ~FakePoppler();
    FakePoppler(const FakePoppler&) = delete;
    FakePoppler& operator=(const FakePoppler&) = delete;

    const std::string& root() const { return root_; }
    std::string path(const std::string& relative) const { return root_ + "\\" + relative; }
    // Copies the fake (or another helper program) to root\relative.
    std::string install(const std::string& relative, const std::string& program = "fake_poppler.exe") const;
    // Replaces the control file; a "log" line is added for every run.
    void control(const std::string& commands) const;
    std::vector<FakeRun> runs() const;
    std::string workFolder() const { return path("temp\\Orva\\work"); }

private:
    std::string root_;
    std::vector<std::unique_ptr<ScopedVariable>> variables_;
};

// An NT symbolic link where the system makes them; under Wine, whose links
// are the host's, a host link made with the host's ln.
bool makeLink(const std::string& link, const std::string& target, bool folder);

}  // namespace orva::testing
