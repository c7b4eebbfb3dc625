// orvatool pdf against pdftoppm alone on libtasn1's 36-page manual at
// 150 dpi: the toolkit (one pdftoppm run a page, each page read back,
// run-length encoded or stored raw, and appended to the container), pdftoppm
// run once a page as the toolkit runs it, and pdftoppm run once for all
// pages. Pages per second for each; for the toolkit also the most resident
// memory its process held (sampled from /proc while it runs).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files.h"
#include "support/child_program.h"

namespace {

namespace fs = std::filesystem;
using orvatool::testing::Child;

constexpr const char* kManual = "/usr/share/doc/libtasn1-doc/libtasn1.pdf";
constexpr int kPages = 36;

// Made on first use, removed when the program ends.
fs::path workFolder() {
    static const orvatool::FolderGuard folder = [] {
        const fs::path path = fs::temp_directory_path() / "orva_pdf_bench";
        fs::remove_all(path);
        fs::create_directories(path);
        return orvatool::FolderGuard(path);
    }();
    return folder.path();
}

bool ready(benchmark::State& state) {
    if (fs::exists(kManual) && fs::exists("/usr/bin/pdftoppm") && fs::exists(ORVATOOL_PROGRAM)) return true;
    state.SkipWithError("needs libtasn1-doc, poppler-utils and the built orvatool");
    return false;
}

// Runs the program to its end; false when it failed.
bool runToEnd(const std::string& program, const std::vector<std::string>& args, long* peakKilobytes = nullptr) {
    auto child = Child::start(program, args, (workFolder() / "log").string());
    if (!child) return false;
    if (peakKilobytes == nullptr) return child->wait() == 0;
    // The mark only ever rises: the last sample before the end is the peak.
    while (!child->wait(std::chrono::milliseconds(0))) {
        *peakKilobytes = std::max(*peakKilobytes, child->residentPeakKilobytes());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return child->wait() == 0;
}

void pagesPerSecond(benchmark::State& state) {
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(kPages) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
}

void OrvatoolPdf(benchmark::State& state, const char* encoding) {
    if (!ready(state)) return;
    const std::string out = (workFolder() / "manual.orva").string();
    long peak = 0;
    for (auto _ : state) {
        if (!runToEnd(ORVATOOL_PROGRAM, {"pdf", kManual, "-o", out, encoding}, &peak)) {
            state.SkipWithError("orvatool pdf failed");
            return;
        }
    }
    pagesPerSecond(state);
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
    state.counters["file_MiB"] = static_cast<double>(fs::file_size(out)) / (1 << 20);
}

void PdftoppmOneRunAPage(benchmark::State& state) {
    if (!ready(state)) return;
    const fs::path folder = workFolder() / "pages";
    fs::create_directories(folder);
    for (auto _ : state) {
        for (int page = 1; page <= kPages; ++page) {
            const std::string number = std::to_string(page);
            if (!runToEnd("/usr/bin/pdftoppm", {"-q", "-f", number, "-l", number, "-r", "150", kManual,
                                                (folder / "page").string()})) {
                state.SkipWithError("pdftoppm failed");
                return;
            }
            // As the toolkit does, each page goes before the next is made.
            for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path());
        }
    }
    pagesPerSecond(state);
}

void PdftoppmOneRunForAll(benchmark::State& state) {
    if (!ready(state)) return;
    const fs::path folder = workFolder() / "all";
    fs::create_directories(folder);
    for (auto _ : state) {
        if (!runToEnd("/usr/bin/pdftoppm", {"-q", "-r", "150", kManual, (folder / "page").string()})) {
            state.SkipWithError("pdftoppm failed");
            return;
        }
        state.PauseTiming();
        for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path());
        state.ResumeTiming();
    }
    pagesPerSecond(state);
}

BENCHMARK_CAPTURE(OrvatoolPdf, run_length, "--rle")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(OrvatoolPdf, raw, "--raw")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(PdftoppmOneRunAPage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(PdftoppmOneRunForAll)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
