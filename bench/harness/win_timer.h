#pragma once
// A small timing harness for benchmarks that must run as Windows programs
// (under Wine), where Google Benchmark is not available. Runs a body until
// enough time has passed and prints the best and the median run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace orva::bench {

inline double nowSeconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

struct Timing {
    double best;
    double median;
    int runs;
};

// Times `body` at least `minRuns` times and for at least `minSeconds`.
inline Timing measure(const std::function<void()>& body, int minRuns = 5, double minSeconds = 0.5) {
    std::vector<double> runs;
    const double start = nowSeconds();
    while (static_cast<int>(runs.size()) < minRuns || nowSeconds() - start < minSeconds) {
        const double t0 = nowSeconds();
        body();
        runs.push_back(nowSeconds() - t0);
        if (runs.size() >= 10000) break;
    }
    std::sort(runs.begin(), runs.end());
    return {runs.front(), runs[runs.size() / 2], static_cast<int>(runs.size())};
}

// One line: name, best and median in milliseconds, and a rate when bytes > 0.
inline void report(const char* name, const Timing& t, double bytes = 0) {
    if (bytes > 0) {
        std::printf("%-48s best %9.3f ms  median %9.3f ms  %8.2f GB/s  (%d runs)\n", name, t.best * 1e3,
                    t.median * 1e3, bytes / t.median / 1e9, t.runs);
    } else {
        std::printf("%-48s best %9.3f ms  median %9.3f ms  (%d runs)\n", name, t.best * 1e3, t.median * 1e3, t.runs);
    }
    std::fflush(stdout);
}

}  // namespace orva::bench
