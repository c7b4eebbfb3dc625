#pragma once
// The program's own container, byte by byte: the one statement of its layout,
// for the reader, the toolkit that writes it and the tests that build files.
// Every number is unsigned and little-endian; offsets count from the start of
// the file.
//
//   header, 64 bytes at 0            page index entry, 28 bytes each
//    0  4  magic "ORVA"               0  8  offset of the page's data
//    4  1  version, 1                 8  4  length of the page's data
//    5  1  encoding: 1 run-length,   12  4  width in pixels
//          anything else raw         16  4  height in pixels
//    6  2  resolution (dpi)          20  8  reserved
//    8  4  page count
//   12  4  title length              The title (no terminator) follows the
//   16  8  offset of the page index  header; the index holds one entry a page,
//   24  8  reserved (kept)           in page order; page data may lie
//   32  8  reserved (kept)           anywhere.
//   40 24  reserved (skipped)
//
// Run-length page data is a sequence of tokens: a count c of 1..255 and one
// pixel (the pixel c times); 0, n of 1..255 and n pixels (copied as they
// stand); 0, 0 (the end). Pixels are 3 bytes, blue, green, red.
#include <cstddef>
#include <cstdint>

namespace orva {

inline constexpr char kOrvaMagic[4] = {'O', 'R', 'V', 'A'};
inline constexpr std::uint8_t kOrvaVersion = 1;
inline constexpr std::uint8_t kOrvaEncodingRaw = 0;
inline constexpr std::uint8_t kOrvaEncodingRle = 1;

inline constexpr std::size_t kOrvaHeaderSize = 64;
inline constexpr std::size_t kOrvaIndexEntrySize = 28;

// Where each header field lies.
namespace orva_header {
inline constexpr std::size_t kMagic = 0;
inline constexpr std::size_t kVersion = 4;
inline constexpr std::size_t kEncoding = 5;
inline constexpr std::size_t kDpi = 6;
inline constexpr std::size_t kPageCount = 8;
inline constexpr std::size_t kTitleLength = 12;
inline constexpr std::size_t kIndexOffset = 16;
inline constexpr std::size_t kReserved1 = 24;
inline constexpr std::size_t kReserved2 = 32;
}  // namespace orva_header

// Where each field of an index entry lies.
namespace orva_entry {
inline constexpr std::size_t kDataOffset = 0;
inline constexpr std::size_t kDataLength = 8;
inline constexpr std::size_t kWidth = 12;
inline constexpr std::size_t kHeight = 16;
}  // namespace orva_entry

// Run-length tokens: the longest run or literal, and the marker byte that
// begins a literal or the end.
inline constexpr std::uint8_t kOrvaRleLongest = 255;
inline constexpr std::uint8_t kOrvaRleMarker = 0;

// The header's fields, as numbers.
struct OrvaHeader {
    std::uint8_t version = kOrvaVersion;
    std::uint8_t encoding = kOrvaEncodingRaw;
    std::uint16_t dpi = 0;
    std::uint32_t pageCount = 0;
    std::uint32_t titleLength = 0;
    std::uint64_t indexOffset = 0;
    std::uint64_t reserved1 = 0;
    std::uint64_t reserved2 = 0;
};

struct OrvaIndexEntry {
    std::uint64_t dataOffset = 0;
    std::uint32_t dataLength = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// A little-endian number of `Bytes` bytes at `p`.
template <class T, std::size_t Bytes = sizeof(T)>
constexpr T loadLittle(const std::uint8_t* p) {
    T value = 0;
    for (std::size_t i = Bytes; i-- > 0;) value = static_cast<T>(value << 8 | p[i]);
    return value;
}

template <std::size_t Bytes, class T>
constexpr void storeLittle(std::uint8_t* p, T value) {
    for (std::size_t i = 0; i < Bytes; ++i) p[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
}

// The fields after the magic of a header of kOrvaHeaderSize bytes.
constexpr OrvaHeader decodeOrvaHeader(const std::uint8_t* header) {
    using namespace orva_header;
    OrvaHeader fields;
    fields.version = header[kVersion];
    fields.encoding = header[kEncoding];
    fields.dpi = loadLittle<std::uint16_t>(header + kDpi);
    fields.pageCount = loadLittle<std::uint32_t>(header + kPageCount);
    fields.titleLength = loadLittle<std::uint32_t>(header + kTitleLength);
    fields.indexOffset = loadLittle<std::uint64_t>(header + kIndexOffset);
    fields.reserved1 = loadLittle<std::uint64_t>(header + kReserved1);
    fields.reserved2 = loadLittle<std::uint64_t>(header + kReserved2);
    return fields;
}

// A whole header, magic included, into kOrvaHeaderSize bytes at `out`; the
// skipped reserve is zero.
constexpr void encodeOrvaHeader(const OrvaHeader& fields, std::uint8_t* out) {
    using namespace orva_header;
    for (std::size_t i = 0; i < kOrvaHeaderSize; ++i) out[i] = 0;
    for (std::size_t i = 0; i < 4; ++i) out[kMagic + i] = static_cast<std::uint8_t>(kOrvaMagic[i]);
    out[kVersion] = fields.version;
    out[kEncoding] = fields.encoding;
    storeLittle<2>(out + kDpi, fields.dpi);
    storeLittle<4>(out + kPageCount, fields.pageCount);
    storeLittle<4>(out + kTitleLength, fields.titleLength);
    storeLittle<8>(out + kIndexOffset, fields.indexOffset);
    storeLittle<8>(out + kReserved1, fields.reserved1);
    storeLittle<8>(out + kReserved2, fields.reserved2);
}

constexpr OrvaIndexEntry decodeOrvaIndexEntry(const std::uint8_t* entry) {
    using namespace orva_entry;
    return {loadLittle<std::uint64_t>(entry + kDataOffset), loadLittle<std::uint32_t>(entry + kDataLength),
            loadLittle<std::uint32_t>(entry + kWidth), loadLittle<std::uint32_t>(entry + kHeight)};
}

// An entry into kOrvaIndexEntrySize bytes at `out`; the reserve is zero.
constexpr void encodeOrvaIndexEntry(const OrvaIndexEntry& fields, std::uint8_t* out) {
    using namespace orva_entry;
    for (std::size_t i = 0; i < kOrvaIndexEntrySize; ++i) out[i] = 0;
    storeLittle<8>(out + kDataOffset, fields.dataOffset);
    storeLittle<4>(out + kDataLength, fields.dataLength);
    storeLittle<4>(out + kWidth, fields.width);
    storeLittle<4>(out + kHeight, fields.height);
}

}  // namespace orva
