#pragma once
// Builds container files in memory for tests, benchmarks and fuzz seeds: any
// field can be set to a wrong value on purpose. The layout is the program's
// own (document/orva_format.h). Header-only so that every test program can
// use it without linking anything.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/orva_format.h"

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
    std::string magic{kOrvaMagic, 4};
    std::uint8_t version = kOrvaVersion;
    std::uint8_t encoding = kOrvaEncodingRaw;
    std::uint16_t dpi = 96;
    std::string title;
    std::optional<std::uint32_t> pageCount;
    std::optional<std::uint32_t> titleLength;
    std::optional<std::uint64_t> indexOffset;
    std::uint64_t reserved1 = 0;
    std::uint64_t reserved2 = 0;
    std::vector<OrvaPageBytes> pages;

    std::uint64_t defaultIndexOffset() const { return kOrvaHeaderSize + title.size(); }
    std::uint64_t firstDataOffset() const { return defaultIndexOffset() + kOrvaIndexEntrySize * pages.size(); }

    Bytes build() const {
        OrvaHeader fields;
        fields.version = version;
        fields.encoding = encoding;
        fields.dpi = dpi;
        fields.pageCount = pageCount.value_or(static_cast<std::uint32_t>(pages.size()));
        fields.titleLength = titleLength.value_or(static_cast<std::uint32_t>(title.size()));
        fields.indexOffset = indexOffset.value_or(defaultIndexOffset());
        fields.reserved1 = reserved1;
        fields.reserved2 = reserved2;
        Bytes out(kOrvaHeaderSize);
        encodeOrvaHeader(fields, out.data());
        // The magic as given, a wrong one or a short one included.
        for (std::size_t i = 0; i < 4; ++i) out[orva_header::kMagic + i] = i < magic.size() ? magic[i] : 0;
        out.resize(kOrvaHeaderSize + title.size());
        std::copy(title.begin(), title.end(), out.begin() + kOrvaHeaderSize);
        std::uint64_t offset = firstDataOffset();
        for (const OrvaPageBytes& page : pages) {
            const std::size_t at = out.size();
            out.resize(at + kOrvaIndexEntrySize);
            encodeOrvaIndexEntry({page.dataOffset.value_or(offset),
                                  page.dataLength.value_or(static_cast<std::uint32_t>(page.data.size())), page.width,
                                  page.height},
                                 out.data() + at);
            // The entry's reserve, which the reader reads past.
            storeLittle<8>(out.data() + at + orva_entry::kHeight + 4, page.reserved);
            offset += page.data.size();
        }
        for (const OrvaPageBytes& page : pages) out.insert(out.end(), page.data.begin(), page.data.end());
        return out;
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
    out[at] = kOrvaRleMarker;
    out[at + 1] = static_cast<std::uint8_t>(pixelBytes.size() / 3);
    if (!pixelBytes.empty()) std::memcpy(out.data() + at + 2, pixelBytes.data(), pixelBytes.size());
}
inline void appendEnd(Bytes& out) { out.insert(out.end(), {kOrvaRleMarker, 0}); }

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
