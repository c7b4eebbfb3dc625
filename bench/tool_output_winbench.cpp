// A tool that floods its error stream: how fast the runner gets through it
// when nobody wants it, against a plain read loop over the same kind of pipe,
// and what memory it takes and keeps. The tool is this program, started again
// with "--flood N": it writes N bytes to standard error in 1 MiB writes.
//   tool_output_winbench [MiB]   (default 1024)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness/win_timer.h"
#include "platform/tool_runner.h"
#include "support/child_process_win.h"

using namespace orva;

namespace {

int flood(unsigned long long bytes) {
    std::vector<char> chunk(1 << 20, 'x');
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    while (bytes > 0) {
        const DWORD ask = static_cast<DWORD>(bytes < chunk.size() ? bytes : chunk.size());
        DWORD wrote = 0;
        if (!WriteFile(err, chunk.data(), ask, &wrote, nullptr) || wrote == 0) return 1;
        bytes -= wrote;
    }
    return 0;
}

std::string selfPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

// The same child, its error stream read here in 64 KiB gulps and dropped.
void plainReadLoop(const std::string& self, unsigned long long bytes) {
    testing::ChildProcess child(self, "--flood " + std::to_string(bytes));
    if (!child.started()) std::exit(3);
    child.drain();
    child.waitForExit(INFINITE);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--flood") return flood(std::strtoull(argv[2], nullptr, 10));
    const unsigned long long mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
    const unsigned long long bytes = mib << 20;
    const std::string self = selfPath();
    Allocator allocator;
    const std::string floodArgument = std::to_string(bytes);
    const std::string_view arguments[] = {self, "--flood", floodArgument};

    std::printf("A tool writing %llu MiB to its error stream\n", mib);
    const auto drained = bench::measure(
        [&] {
            auto run = runTool(allocator, arguments, ".", nullptr, false, StandardError::Drain);
            if (!run || run->exitCode != 0) std::exit(4);
        },
        3, 0);
    bench::report("runner, error stream drained", drained, static_cast<double>(bytes));
    std::printf("%-48s peak %zu bytes, kept afterwards %zu bytes\n", "  memory", allocator.peakBytes(),
                allocator.liveBytes() + allocator.spareBytes());
    allocator.resetPeak();
    const auto collected = bench::measure(
        [&] {
            auto run = runTool(allocator, arguments, ".", nullptr, false, StandardError::Collect);
            if (!run || run->exitCode != 0) std::exit(4);
        },
        1, 0);
    bench::report("runner, error stream collected whole", collected, static_cast<double>(bytes));
    std::printf("%-48s peak %zu bytes, kept afterwards %zu bytes\n", "  memory", allocator.peakBytes(),
                allocator.liveBytes() + allocator.spareBytes());
    const auto plain = bench::measure([&] { plainReadLoop(self, bytes); }, 3, 0);
    bench::report("plain read loop over the same pipe", plain, static_cast<double>(bytes));
    std::printf("%-48s %.2fx\n", "runner time / plain read loop", drained.median / plain.median);
    return 0;
}
