#include "document/orva_reader.h"

#include <bit>
#include <cstring>

namespace orva {

namespace {

static_assert(std::endian::native == std::endian::little, "the pixel pattern words assume little-endian stores");

// Lengths above this are checked against the end of the source before a
// buffer of that size is taken: a damaged header claiming gigabytes then fails
// as the short read it is instead of as a giant allocation.
constexpr std::uint64_t kProbeAbove = std::uint64_t{1} << 20;

// Fills `destination` completely or fails; a source that ends first is EndOfStream.
Status readExact(ByteSource& source, std::span<std::uint8_t> destination) {
    auto got = readFully(source, destination);
    if (!got) return fail(got.error());
    if (*got != destination.size()) return fail(ErrorCode::EndOfStream);
    return {};
}

// For long reads: makes sure the source holds `length` bytes from `offset` on
// before anything is allocated for them, and leaves the position at `offset`.
Status ensureAvailable(ByteSource& source, std::uint64_t offset, std::uint64_t length) {
    if (length <= kProbeAbove) return {};
    const std::uint64_t last = offset + length - 1;
    // A last byte the position cannot even reach lies beyond any end.
    if (last < offset || !source.seek(last)) return fail(ErrorCode::EndOfStream);
    std::uint8_t probe = 0;
    if (auto read = readExact(source, {&probe, 1}); !read) return read;
    if (!source.seek(offset)) return fail(ErrorCode::Unexpected);
    return {};
}

// Reads `length` bytes at the current position `offset` into a new buffer.
Result<ByteBuffer> readBlock(ByteSource& source, Allocator& allocator, std::uint64_t offset, std::uint64_t length) {
    if (auto available = ensureAvailable(source, offset, length); !available) return fail(available.error());
    if (length > SIZE_MAX) return fail(ErrorCode::OutOfMemory);
    auto block = ByteBuffer::createUninitialized(allocator, static_cast<std::size_t>(length));
    if (!block) return block;
    if (auto read = readExact(source, block->span()); !read) return fail(read.error());
    return block;
}

// Writes `count` copies of one pixel; `room` bytes from `out` on are the
// decoder's to write (at least count * 3), so whole 24-byte pattern blocks may
// run past the run's end when they still fit: the next token overwrites them.
// Short runs are the common case on text pages, so even one pixel is a
// single block of three word stores rather than a loop.
void writeRun(std::uint8_t* out, const std::uint8_t* pixel, std::size_t count, std::size_t room) {
    const std::size_t bytes = count * 3;
    const std::uint64_t v = static_cast<std::uint64_t>(pixel[0]) | static_cast<std::uint64_t>(pixel[1]) << 8 |
                            static_cast<std::uint64_t>(pixel[2]) << 16;
    // Eight pixels as three words: bgrbgrbg rbgrbgrb grbgrbgr.
    const std::uint64_t pattern[3] = {v | v << 24 | v << 48, v >> 16 | v << 8 | v << 32 | v << 56,
                                      v >> 8 | v << 16 | v << 40};
    std::uint8_t* p = out;
    std::uint8_t* const end = out + bytes;
    if (((bytes + 23) / 24) * 24 <= room) {
        do {
            std::memcpy(p, pattern, 24);
            p += 24;
        } while (p < end);
        return;
    }
    for (; end - p >= 24; p += 24) std::memcpy(p, pattern, 24);
    std::memcpy(p, pattern, static_cast<std::size_t>(end - p));
}

// Copies a literal's pixels. A short literal with room around it in both
// buffers is copied as one fixed-size block, which beats a call for a few bytes;
// the extra bytes written are overwritten by the next token.
void writeLiteral(std::uint8_t* out, std::size_t room, const std::uint8_t* in, std::size_t available,
                  std::size_t bytes) {
    constexpr std::size_t kBlock = 48;
    if (bytes <= kBlock && room >= kBlock && available >= kBlock) {
        std::memcpy(out, in, kBlock);
    } else {
        std::memcpy(out, in, bytes);
    }
}

// One page of the index: its pixels, read or decoded, become `page`.
Status readPage(ByteSource& source, Allocator& allocator, const OrvaIndexEntry& entry, bool rle, PageImage& page) {
    if (entry.dataLength == 0) return fail(ErrorCode::InvalidPageData);
    if (!source.seek(entry.dataOffset)) return fail(ErrorCode::Unexpected);
    const auto size = pagePixelBytes(entry.width, entry.height);

    if (!rle && size && *size == entry.dataLength) {
        // Stored exactly as held: straight into the page's own buffer.
        auto pixels = readBlock(source, allocator, entry.dataOffset, entry.dataLength);
        if (!pixels) return fail(pixels.error());
        page.pixels = std::move(*pixels);
    } else {
        auto data = readBlock(source, allocator, entry.dataOffset, entry.dataLength);
        if (!data) return fail(data.error());
        if (!size) return fail(size.error());
        if (!rle) return fail(ErrorCode::InvalidPageData);
        auto pixels = decodeRlePage(allocator, data->span(), entry.width, entry.height);
        if (!pixels) return fail(pixels.error());
        page.pixels = std::move(*pixels);
    }
    page.width = entry.width;
    page.height = entry.height;
    page.present = true;
    return {};
}

}  // namespace

Result<std::uint32_t> pagePixelBytes(std::uint32_t width, std::uint32_t height) {
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
    if (pixels > 0xFFFFFFFFu / 3) return fail(ErrorCode::InvalidPageData);
    return static_cast<std::uint32_t>(pixels * 3);
}

Result<std::size_t> decodeRleInto(std::span<const std::uint8_t> data, std::span<std::uint8_t> output) {
    const std::uint8_t* const in = data.data();
    const std::size_t inSize = data.size();
    std::uint8_t* const out = output.data();
    const std::size_t outSize = output.size();
    std::size_t i = 0;
    std::size_t o = 0;
    while (i < inSize && o < outSize) {
        const std::uint8_t count = in[i];
        if (count != 0) {
            if (inSize - i <= 3) return fail(ErrorCode::RleTruncated);
            const std::size_t fit = (outSize - o) / 3;
            if (fit == 0) return fail(ErrorCode::RleTruncated);
            // A run that reaches the end of the page is cut there.
            const std::size_t written = count < fit ? count : fit;
            writeRun(out + o, in + i + 1, written, outSize - o);
            i += 4;
            o += written * 3;
        } else {
            if (inSize - i <= 1) return fail(ErrorCode::RleTruncated);
            const std::size_t literal = std::size_t{in[i + 1]} * 3;
            if (literal == 0) break;
            // Unlike a run, a literal that does not fit the page is damage.
            if (literal + 2 > inSize - i || literal > outSize - o) return fail(ErrorCode::RleTruncated);
            writeLiteral(out + o, outSize - o, in + i + 2, inSize - i - 2, literal);
            i += 2 + literal;
            o += literal;
        }
    }
    return o;
}

Result<ByteBuffer> decodeRlePage(Allocator& allocator, std::span<const std::uint8_t> data, std::uint32_t width,
                                 std::uint32_t height) {
    const auto size = pagePixelBytes(width, height);
    if (!size) return fail(size.error());
    auto pixels = ByteBuffer::createUninitialized(allocator, *size);
    if (!pixels) return pixels;
    auto written = decodeRleInto(data, pixels->span());
    if (!written) return fail(written.error());
    // Only the tail the stream never reached: the decoded part is not written twice.
    if (*written < *size) std::memset(pixels->data() + *written, kUnwrittenPixelByte, *size - *written);
    return pixels;
}

Result<OrvaContents> readOrva(ByteSource& source, Allocator& allocator) {
    OrvaContents contents;
    std::uint8_t header[kOrvaHeaderSize];
    if (auto read = readExact(source, {header, 4}); !read) return fail(read.error());
    if (std::memcmp(header, kOrvaMagic, 4) != 0) return fail(ErrorCode::InvalidMagic);
    if (auto read = readExact(source, {header + 4, 1}); !read) return fail(read.error());
    if (header[orva_header::kVersion] != kOrvaVersion) return fail(ErrorCode::UnsupportedVersion);
    if (auto read = readExact(source, {header + 5, kOrvaHeaderSize - 5}); !read) return fail(read.error());
    const OrvaHeader fields = decodeOrvaHeader(header);
    contents.encoding = fields.encoding;
    contents.dpi = fields.dpi;
    contents.pageCount = fields.pageCount;
    const std::uint32_t titleLength = fields.titleLength;
    contents.indexOffset = fields.indexOffset;
    contents.reserved1 = fields.reserved1;
    contents.reserved2 = fields.reserved2;

    if (titleLength != 0) {
        if (auto available = ensureAvailable(source, kOrvaHeaderSize, titleLength); !available) {
            return fail(available.error());
        }
        auto text = OwnedArray<char>::createUninitialized(allocator, titleLength);
        if (!text) return fail(text.error());
        if (auto read = readExact(source, {reinterpret_cast<std::uint8_t*>(text->data()), text->size()}); !read) {
            return fail(read.error());
        }
        contents.title = OwnedString::adopt(std::move(*text));
    }
    if (contents.pageCount == 0) return fail(ErrorCode::NoPages);

    if (!source.seek(contents.indexOffset)) return fail(ErrorCode::Unexpected);
    auto index = readBlock(source, allocator, contents.indexOffset,
                           std::uint64_t{contents.pageCount} * kOrvaIndexEntrySize);
    if (!index) return fail(index.error());

    auto pages = OwnedArray<PageImage>::create(allocator, contents.pageCount);
    if (!pages) return fail(pages.error());
    const bool rle = contents.encoding == kOrvaEncodingRle;
    for (std::uint32_t n = 0; n < contents.pageCount; ++n) {
        const OrvaIndexEntry entry = decodeOrvaIndexEntry(index->data() + std::size_t{n} * kOrvaIndexEntrySize);
        if (auto page = readPage(source, allocator, entry, rle, (*pages)[n]); !page) return fail(page.error());
    }
    contents.pages = std::move(*pages);
    return contents;
}

Result<OrvaContents> readOrvaFile(Allocator& allocator, std::string_view path) {
    auto file = FileSource::open(allocator, path);
    if (!file) return fail(file.error());
    return readOrva(*file, allocator);
}

}  // namespace orva
