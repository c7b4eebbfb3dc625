#pragma once
// Inputs of the container benchmarks, the same natively and under Wine: a
// 50-page raw container of letter pages on disk, and the run-length streams
// of a text-like and a photo-like page.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/orva_bytes.h"

namespace orva::bench {

constexpr std::uint32_t kPageWidth = 1275;
constexpr std::uint32_t kPageHeight = 1650;
constexpr std::size_t kPageBytes = std::size_t{kPageWidth} * kPageHeight * 3;
constexpr std::uint32_t kPages = 50;

// Writes the container once, streaming the pages, and gives its path.
inline std::string rawContainerPath() {
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() / "orva_bench_raw50.orva";
        const auto text = file.u8string();
        const std::string name(text.begin(), text.end());
        testing::OrvaBytes doc;
        doc.title = "benchmark";
        for (std::uint32_t n = 0; n < kPages; ++n) {
            testing::OrvaPageBytes page;
            page.width = kPageWidth;
            page.height = kPageHeight;
            page.dataLength = static_cast<std::uint32_t>(kPageBytes);
            doc.pages.push_back(page);
        }
        for (std::uint32_t n = 0; n < kPages; ++n) doc.pages[n].dataOffset = doc.firstDataOffset() + n * kPageBytes;
        const testing::Bytes head = doc.build();
        const testing::Bytes pixels = testing::patternPixels(kPageWidth, kPageHeight, 7);
        std::FILE* out = std::fopen(name.c_str(), "wb");
        bool ok = out != nullptr && std::fwrite(head.data(), 1, head.size(), out) == head.size();
        for (std::uint32_t n = 0; ok && n < kPages; ++n) ok = std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
        if (out != nullptr) ok = std::fclose(out) == 0 && ok;
        if (!ok) std::fprintf(stderr, "cannot write %s\n", name.c_str());
        return name;
    }();
    // A file of this size is not left in the temporary folder.
    static const bool removedAtExit = std::atexit([] { std::remove(rawContainerPath().c_str()); }) == 0;
    (void)removedAtExit;
    return path;
}

// Text-like: lines of words, each a few short dark strokes in long white
// stretches; most rows are blank paper.
inline testing::Bytes textLikeTokens() {
    testing::Bytes tokens;
    std::uint32_t state = 1;
    auto next = [&state](std::uint32_t range) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % range;
    };
    for (std::uint32_t y = 0; y < kPageHeight; ++y) {
        const bool inkRow = y > 110 && y < 1540 && (y / 12) % 3 != 2 && (y % 36) < 24;
        std::uint32_t x = 0;
        while (x < kPageWidth) {
            if (!inkRow || x < 110 || x > kPageWidth - 120) {
                const std::uint32_t gap = std::min<std::uint32_t>(inkRow ? (x < 110 ? 110 - x : kPageWidth - x) : kPageWidth - x, 255);
                testing::appendRun(tokens, static_cast<std::uint8_t>(gap), {255, 255, 255});
                x += gap;
                continue;
            }
            const std::uint32_t stroke = std::min<std::uint32_t>(1 + next(4), kPageWidth - x);
            testing::appendLiteral(tokens, testing::patternPixels(stroke, 1, next(1000)));
            x += stroke;
            const std::uint32_t gap = std::min<std::uint32_t>(2 + next(12), kPageWidth - x);
            if (gap > 0) testing::appendRun(tokens, static_cast<std::uint8_t>(gap), {255, 255, 255});
            x += gap;
        }
    }
    return tokens;
}

// Photo-like: literals of 255 pixels, now and then a short run.
inline testing::Bytes photoLikeTokens() {
    testing::Bytes tokens;
    const testing::Bytes pixels = testing::patternPixels(kPageWidth, kPageHeight, 3);
    std::size_t done = 0;
    const std::size_t total = std::size_t{kPageWidth} * kPageHeight;
    for (std::size_t literals = 1; done < total; ++literals) {
        const std::size_t n = std::min<std::size_t>(255, total - done);
        testing::appendLiteral(tokens, {pixels.data() + done * 3, n * 3});
        done += n;
        if (literals % 16 == 0 && done < total) {
            testing::appendRun(tokens, 3, {1, 2, 3});
            done += 3;
        }
    }
    return tokens;
}

}  // namespace orva::bench
