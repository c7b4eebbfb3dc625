// The container benchmarks as a Windows program: opening a 50-page raw
// container and decoding run-length pages, each next to a memcpy of as many
// bytes into fresh and into already touched memory.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "document/orva_reader.h"
#include "harness/orva_fixtures.h"
#include "harness/win_timer.h"

using namespace orva;

int main() {
    constexpr std::size_t kAllPages = bench::kPageBytes * bench::kPages;
    const std::string path = bench::rawContainerPath();

    // The open and a copy into fresh memory take turns, so that both see the
    // same load on a shared machine.
    std::size_t peakOverPages = 0;
    bool opened = true;
    auto source = std::make_unique<std::uint8_t[]>(kAllPages);
    std::memset(source.get(), 1, kAllPages);
    std::vector<double> openTimes, freshTimes;
    for (int round = 0; round < 5; ++round) {
        double t0 = bench::nowSeconds();
        {
            Allocator allocator;
            auto contents = readOrvaFile(allocator, path);
            opened = opened && contents.has_value();
            peakOverPages = allocator.peakBytes() - kAllPages;
        }
        openTimes.push_back(bench::nowSeconds() - t0);
        t0 = bench::nowSeconds();
        auto* target = static_cast<std::uint8_t*>(std::malloc(kAllPages));
        std::memcpy(target, source.get(), kAllPages);
        // Keeps the compiler from dropping a copy nobody reads.
        asm volatile("" : : "r"(target) : "memory");
        std::free(target);
        freshTimes.push_back(bench::nowSeconds() - t0);
    }
    auto timing = [](std::vector<double> runs) {
        std::sort(runs.begin(), runs.end());
        return bench::Timing{runs.front(), runs[runs.size() / 2], static_cast<int>(runs.size())};
    };
    bench::report("open 50 raw pages of 1275 x 1650", timing(openTimes), kAllPages);
    bench::report("memcpy of as many bytes, fresh memory", timing(freshTimes), kAllPages);
    std::printf("  peak beyond the pages: %zu bytes (one page's data would be %zu)%s\n", peakOverPages,
                bench::kPageBytes, opened ? "" : "  OPEN FAILED");
    {
        auto warm = std::make_unique<std::uint8_t[]>(kAllPages);
        std::memset(warm.get(), 0, kAllPages);
        bench::report("memcpy of as many bytes, warm memory",
                      bench::measure([&] { std::memcpy(warm.get(), source.get(), kAllPages); }, 3, 2.0), kAllPages);
    }

    std::vector<std::uint8_t> page(bench::kPageBytes, 0);
    const testing::Bytes text = bench::textLikeTokens();
    const testing::Bytes photo = bench::photoLikeTokens();
    bool decoded = true;
    auto decodeInto = [&](const testing::Bytes& tokens) {
        auto written = decodeRleInto(tokens, page);
        decoded = decoded && written && *written == page.size();
    };
    bench::report("decode text-like page, warm output", bench::measure([&] { decodeInto(text); }), bench::kPageBytes);
    bench::report("decode photo-like page, warm output", bench::measure([&] { decodeInto(photo); }), bench::kPageBytes);
    std::vector<std::uint8_t> from(bench::kPageBytes, 1);
    bench::report("memcpy of one page, warm", bench::measure([&] { std::memcpy(page.data(), from.data(), page.size()); }),
                  bench::kPageBytes);
    if (!decoded) std::printf("  DECODE FAILED\n");
    return opened && decoded ? 0 : 1;
}
