// orvatool.exe pdf under Wine against pdftoppm.exe alone, on libtasn1's
// 36-page manual at 150 dpi, twice: with the Windows poppler the release
// ships, and with the bridge to the host's poppler built beside the
// benchmarks; either way found by orvatool.exe on PATH, so both sides run
// the very same pdftoppm.exe. Pages per
// second for orvatool.exe pdf, for pdftoppm.exe run once a page (started
// plainly, and through the viewer's tool runner as orvatool.exe starts it),
// and for pdftoppm.exe run once for all pages.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "pdf/tool_locator.h"
#include "platform/tool_runner.h"
#include "harness/win_timer.h"
#include "support/child_program.h"

namespace {

namespace fs = std::filesystem;
using orvatool::testing::Child;

constexpr const char* kManual = "Z:\\usr\\share\\doc\\libtasn1-doc\\libtasn1.pdf";
constexpr int kPages = 36;

std::string windowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

bool runToEnd(const std::string& program, const std::vector<std::string>& args, const fs::path& log) {
    auto child = Child::start(program, args, log.string());
    return child && child->wait() == 0;
}

void reportPages(const char* name, const orva::bench::Timing& timing) {
    std::printf("%-48s median %8.0f ms  %6.2f pages/s  (best %.0f ms, %d runs)\n", name, timing.median * 1e3,
                kPages / timing.median, timing.best * 1e3, timing.runs);
    std::fflush(stdout);
}

// Every figure with the tools in `tools`; false when a run failed.
bool benchTools(const char* name, const std::string& tools) {
    const std::string pdftoppm = tools + "\\pdftoppm.exe";
    const std::string orvatool = windowsPath(ORVATOOL_PROGRAM);
    if (!fs::exists(kManual) || !fs::exists(pdftoppm) || !fs::exists(orvatool)) {
        std::printf("%s skipped: needs libtasn1-doc, %s and orvatool.exe\n", name, pdftoppm.c_str());
        return true;
    }
    std::printf("-- %s: %s\n", name, tools.c_str());
    const fs::path folder = fs::temp_directory_path() / "orva_pdf_winbench";
    fs::remove_all(folder);
    fs::create_directories(folder / "pages");
    const std::string path = tools + ";" + orvatool::testing::variable("PATH").value_or("");
    orvatool::testing::ScopedVariable searchPath("PATH", path);
    bool ok = true;

    const std::string out = (folder / "manual.orva").string();
    const struct {
        const char* name;
        const char* option;
    } encodings[] = {{"orvatool.exe pdf (run-length)", "--rle"}, {"orvatool.exe pdf --raw", "--raw"}};
    for (const auto& encoding : encodings) {
        const auto timing = orva::bench::measure(
            [&] { ok = runToEnd(orvatool, {"pdf", kManual, "-o", out, encoding.option}, folder / "log") && ok; }, 2, 0);
        reportPages(encoding.name, timing);
    }
    const std::string prefix = (folder / "pages" / "page").string();
    const auto perPage = orva::bench::measure(
        [&] {
            for (int page = 1; page <= kPages; ++page) {
                const std::string number = std::to_string(page);
                const std::vector<std::string> args{"-q", "-f", number, "-l", number, "-r", "150", kManual, prefix};
                ok = runToEnd(pdftoppm, args, folder / "log") && ok;
                for (const auto& entry : fs::directory_iterator(folder / "pages")) fs::remove(entry.path());
            }
        },
        2, 0);
    reportPages("pdftoppm.exe, one run a page", perPage);
    const auto perPageRunner = orva::bench::measure(
        [&] {
            orva::Allocator allocator;
            const std::string work = (folder / "pages").string();
            for (int page = 1; page <= kPages; ++page) {
                const std::string number = std::to_string(page);
                const std::string_view args[] = {pdftoppm, "-q", "-f", number, "-l", number, "-r", "150", kManual, "page"};
                auto environment = orva::makeToolEnvironment(allocator, pdftoppm);
                auto run = environment ? orva::runTool(allocator, args, work, &*environment, false,
                                                       orva::StandardError::Drain)
                                       : orva::Result<orva::ToolRunResult>(orva::fail(environment.error()));
                ok = run && run->exitCode == 0 && ok;
                for (const auto& entry : fs::directory_iterator(folder / "pages")) fs::remove(entry.path());
            }
        },
        2, 0);
    reportPages("pdftoppm.exe through runTool, one run a page", perPageRunner);
    const auto all = orva::bench::measure(
        [&] {
            ok = runToEnd(pdftoppm, {"-q", "-r", "150", kManual, prefix}, folder / "log") && ok;
            for (const auto& entry : fs::directory_iterator(folder / "pages")) fs::remove(entry.path());
        },
        2, 0);
    reportPages("pdftoppm.exe, one run for all pages", all);
    fs::remove_all(folder);
    if (!ok) std::printf("a run failed: the figures mean nothing\n");
    return ok;
}

}  // namespace

int main() {
    const bool bundled = benchTools("the bundled Windows poppler", windowsPath(ORVA_BUNDLED_POPPLER "/poppler"));
    const bool bridge = benchTools("the bridge to the host's poppler", windowsPath(ORVA_BINARY_DIR "/poppler"));
    return bundled && bridge ? 0 : 1;
}
