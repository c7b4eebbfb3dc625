#pragma once
// Builds container files in memory for tests, benchmarks and fuzz seeds: any
// field can be set to a wrong value on purpose. Header-only so that every
// test program can use it without linking anything.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orva::testing {

using Bytes = std::vector<std::uint8_t>;

struct OrvaPageBytes {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Bytes data;  // stored as given: raw pixels or run-length tokens
    // Left empty, these follow from where the builder puts the data.
    std::optional<std::uint64_t> dataOffset;
    std::optional<std::uint32_t> dataLength;
    std::uint64_t reserved = 0;
};

// Layout: header, title, index, then every page's data in page order.
struct OrvaBytes {
    std::string magic = "ORVA";
    std::uint8_t version = 1;
    std::uint8_t encoding = 0;
    std::uint16_t dpi = 96;
    std::string title;
    std::optional<std::uint32_t> pageCount;
    std::optional<std::uint32_t> titleLength;
    std::optional<std::uint64_t> indexOffset;
    std::uint64_t reserved1 = 0;
    std::uint64_t reserved2 = 0;
    std::vector<OrvaPageBytes> pages;

    std::uint64_t defaultIndexOffset() const { return 64 + title.size(); }
    std::uint64_t firstDataOffset() const { return defaultIndexOffset() + 28 * pages.size(); }

    Bytes build() const {
        Bytes out;
        out.insert(out.end(), magic.begin(), magic.end());
        out.resize(4, 0);
        out.push_back(version);
        out.push_back(encoding);
        put(out, dpi, 2);
        put(out, pageCount.value_or(static_cast<std::uint32_t>(pages.size())), 4);
        put(out, titleLength.value_or(static_cast<std::uint32_t>(title.size())), 4);
        put(out, indexOffset.value_or(defaultIndexOffset()), 8);
        put(out, reserved1, 8);
        put(out, reserved2, 8);
        out.resize(64, 0);
        out.insert(out.end(), title.begin(), title.end());
        std::uint64_t offset = firstDataOffset();
        for (const OrvaPageBytes& page : pages) {
            put(out, page.dataOffset.value_or(offset), 8);
            put(out, page.dataLength.value_or(static_cast<std::uint32_t>(page.data.size())), 4);
            put(out, page.width, 4);
            put(out, page.height, 4);
            put(out, page.reserved, 8);
            offset += page.data.size();
        }
        for (const OrvaPageBytes& page : pages) out.insert(out.end(), page.data.begin(), page.data.end());
        return out;
    }

    static void put(Bytes& out, std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
};

struct Pixel {
    std::uint8_t b, g, r;
};

// Run-length tokens.
inline void appendRun(Bytes& out, std::uint8_t count, Pixel p) { out.insert(out.end(), {count, p.b, p.g, p.r}); }
inline void appendLiteral(Bytes& out, std::span<const std::uint8_t> pixelBytes) {
    const std::size_t at = out.size();
    out.resize(at + 2 + pixelBytes.size());
    out[at] = 0;
    out[at + 1] = static_cast<std::uint8_t>(pixelBytes.size() / 3);
    if (!pixelBytes.empty()) std::memcpy(out.data() + at + 2, pixelBytes.data(), pixelBytes.size());
}
inline void appendEnd(Bytes& out) { out.insert(out.end(), {0, 0}); }

// Pixel bytes that differ from pixel to pixel and page to page.
inline Bytes patternPixels(std::uint32_t width, std::uint32_t height, std::uint32_t seed = 1) {
    Bytes out(static_cast<std::size_t>(width) * height * 3);
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (auto& byte : out) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return out;
}

// Pixel bytes of `count` copies of one pixel.
inline Bytes solidPixels(std::size_t count, Pixel p) {
    Bytes out;
    out.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) out.insert(out.end(), {p.b, p.g, p.r});
    return out;
}

inline bool writeBytesToFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace orva::testing
