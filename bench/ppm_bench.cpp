// The PPM reader against a plain copy of the same bytes: a letter-size page
// at 150 dpi (1275 x 1650, 6.3 MB), read from memory and from a file. Fresh
// pixel memory is touched for the first time by every read, as in the viewer,
// so the copy is measured both into fresh memory and into warm memory. Every
// image read is kept until the run ends, as an open document keeps its pages,
// and a fixed mapping threshold keeps the C library from recycling large
// blocks, so that every page buffer is new memory.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "pdf/ppm_reader.h"

namespace {

using namespace orva;

constexpr unsigned kWidth = 1275, kHeight = 1650;
constexpr std::size_t kPixelBytes = std::size_t{kWidth} * kHeight * 3;

const bool kFreshLargeBlocks = mallopt(M_MMAP_THRESHOLD, 1 << 20) == 1;

const std::vector<std::uint8_t>& pageFile() {
    static const std::vector<std::uint8_t> file = [] {
        const std::string header = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
        std::vector<std::uint8_t> bytes(header.begin(), header.end());
        bytes.reserve(header.size() + kPixelBytes);
        for (std::size_t i = 0; i < kPixelBytes; ++i) bytes.push_back(static_cast<std::uint8_t>(i * 31 >> 3));
        return bytes;
    }();
    return file;
}

const std::string& pagePath() {
    static const std::string path = [] {
        const std::string name = "/tmp/orva_ppm_bench.ppm";
        std::FILE* out = std::fopen(name.c_str(), "wb");
        std::fwrite(pageFile().data(), 1, pageFile().size(), out);
        std::fclose(out);
        return name;
    }();
    return path;
}

void ReadPpmFromMemory(benchmark::State& state) {
    if (!kFreshLargeBlocks) state.SkipWithError("cannot make large blocks fresh");
    Allocator allocator;
    std::vector<PageImage> kept;
    for (auto _ : state) {
        MemorySource source(pageFile());
        auto image = readPpm(source, allocator);
        if (!image) state.SkipWithError("read failed");
        kept.push_back(std::move(*image));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPixelBytes));
}
BENCHMARK(ReadPpmFromMemory)->Unit(benchmark::kMillisecond)->Iterations(30);

void ReadPpmFromFile(benchmark::State& state) {
    Allocator allocator;
    std::vector<PageImage> kept;
    const std::string& path = pagePath();
    for (auto _ : state) {
        auto image = readPpmFile(allocator, path);
        if (!image) state.SkipWithError("read failed");
        kept.push_back(std::move(*image));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPixelBytes));
}
BENCHMARK(ReadPpmFromFile)->Unit(benchmark::kMillisecond)->Iterations(30);

void CopyIntoFreshMemory(benchmark::State& state) {
    const std::uint8_t* source = pageFile().data() + (pageFile().size() - kPixelBytes);
    for (auto _ : state) {
        auto* target = static_cast<std::uint8_t*>(std::malloc(kPixelBytes));
        std::memcpy(target, source, kPixelBytes);
        benchmark::DoNotOptimize(target);
        std::free(target);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPixelBytes));
}
BENCHMARK(CopyIntoFreshMemory)->Unit(benchmark::kMillisecond);

void CopyIntoWarmMemory(benchmark::State& state) {
    const std::uint8_t* source = pageFile().data() + (pageFile().size() - kPixelBytes);
    std::vector<std::uint8_t> target(kPixelBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), source, kPixelBytes);
        benchmark::DoNotOptimize(target.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPixelBytes));
}
BENCHMARK(CopyIntoWarmMemory)->Unit(benchmark::kMillisecond);

void SwapRedAndBlueWarm(benchmark::State& state) {
    std::vector<std::uint8_t> pixels(pageFile().end() - kPixelBytes, pageFile().end());
    for (auto _ : state) {
        swapRedAndBlue(pixels);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPixelBytes));
}
BENCHMARK(SwapRedAndBlueWarm)->Unit(benchmark::kMillisecond);

}  // namespace
