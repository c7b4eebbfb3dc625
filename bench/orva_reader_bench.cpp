// Opening a 50-page raw container and decoding run-length pages, each next to
// a memcpy of the same number of bytes: into fresh memory (first touch, as a
// newly opened document's pages are) and into memory already touched.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "document/orva_reader.h"
#include "harness/orva_fixtures.h"

namespace orva {
namespace {

constexpr std::size_t kAllPages = bench::kPageBytes * bench::kPages;

void BM_OpenRaw50Pages(benchmark::State& state) {
    const std::string path = bench::rawContainerPath();
    std::size_t peakOverPages = 0;
    for (auto _ : state) {
        Allocator allocator;
        auto contents = readOrvaFile(allocator, path);
        if (!contents) state.SkipWithError("open failed");
        benchmark::DoNotOptimize(contents);
        peakOverPages = allocator.peakBytes() - kAllPages;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kAllPages));
    // Beyond the pages themselves: title, index, page array; no page's data twice.
    state.counters["peak_over_pages_bytes"] = static_cast<double>(peakOverPages);
    state.counters["allowed_one_page_bytes"] = static_cast<double>(bench::kPageBytes);
}

void BM_MemcpyFresh(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    auto source = std::make_unique<std::uint8_t[]>(size);
    std::memset(source.get(), 1, size);
    for (auto _ : state) {
        // Blocks this large come straight from the system: every page untouched.
        auto* target = static_cast<std::uint8_t*>(std::malloc(size));
        std::memcpy(target, source.get(), size);
        benchmark::DoNotOptimize(target);
        std::free(target);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_MemcpyWarm(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    auto source = std::make_unique<std::uint8_t[]>(size);
    auto target = std::make_unique<std::uint8_t[]>(size);
    std::memset(source.get(), 1, size);
    std::memset(target.get(), 0, size);
    for (auto _ : state) {
        std::memcpy(target.get(), source.get(), size);
        benchmark::DoNotOptimize(target.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void decodeWarm(benchmark::State& state, const testing::Bytes& tokens) {
    std::vector<std::uint8_t> page(bench::kPageBytes, 0);
    for (auto _ : state) {
        auto written = decodeRleInto(tokens, page);
        if (!written || *written != page.size()) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(page.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bench::kPageBytes));
    state.counters["stream_bytes"] = static_cast<double>(tokens.size());
}

void decodeFresh(benchmark::State& state, const testing::Bytes& tokens) {
    Allocator allocator;
    for (auto _ : state) {
        auto page = decodeRlePage(allocator, tokens, bench::kPageWidth, bench::kPageHeight);
        if (!page) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(page);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bench::kPageBytes));
}

void BM_DecodeTextPageWarm(benchmark::State& state) { decodeWarm(state, bench::textLikeTokens()); }
void BM_DecodePhotoPageWarm(benchmark::State& state) { decodeWarm(state, bench::photoLikeTokens()); }
void BM_DecodeTextPageFresh(benchmark::State& state) { decodeFresh(state, bench::textLikeTokens()); }
void BM_DecodePhotoPageFresh(benchmark::State& state) { decodeFresh(state, bench::photoLikeTokens()); }

BENCHMARK(BM_OpenRaw50Pages)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_MemcpyFresh)->Arg(kAllPages)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_MemcpyWarm)->Arg(kAllPages)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DecodeTextPageWarm)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodePhotoPageWarm)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyWarm)->Arg(bench::kPageBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeTextPageFresh)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodePhotoPageFresh)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyFresh)->Arg(bench::kPageBytes)->Unit(benchmark::kMicrosecond);

// A peak-memory check for a run-length open: pages plus one page's data.
void BM_OpenRunLengthPeak(benchmark::State& state) {
    testing::OrvaBytes doc;
    doc.encoding = 1;
    for (int n = 0; n < 4; ++n) doc.pages.push_back({bench::kPageWidth, bench::kPageHeight, n % 2 ? bench::textLikeTokens() : bench::photoLikeTokens(), {}, {}, 0});
    const testing::Bytes bytes = doc.build();
    std::size_t largestData = 0;
    for (const auto& page : doc.pages) largestData = std::max(largestData, page.data.size());
    std::size_t peakOverPages = 0;
    for (auto _ : state) {
        Allocator allocator;
        MemorySource source(bytes);
        auto contents = readOrva(source, allocator);
        if (!contents) state.SkipWithError("open failed");
        peakOverPages = allocator.peakBytes() - 4 * bench::kPageBytes;
    }
    state.counters["peak_over_pages_bytes"] = static_cast<double>(peakOverPages);
    state.counters["largest_page_data_bytes"] = static_cast<double>(largestData);
}
BENCHMARK(BM_OpenRunLengthPeak)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace orva
