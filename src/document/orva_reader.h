#pragma once
// Reading the program's own container: header, title, page index and every
// page decoded, raw or run-length encoded.
#include <cstdint>
#include <span>
#include <string_view>

#include "document/orva_format.h"
#include "document/page_image.h"
#include "platform/byte_source.h"

namespace orva {

struct OrvaContents {
    OwnedString title;
    std::uint16_t dpi = 0;
    std::uint8_t encoding = 0;
    std::uint32_t pageCount = 0;
    std::uint64_t indexOffset = 0;
    std::uint64_t reserved1 = 0;
    std::uint64_t reserved2 = 0;
    OwnedArray<PageImage> pages;
};

// What a run-length page shows where its stream ends before the page is full:
// blank paper rather than whatever the heap held.
inline constexpr std::uint8_t kUnwrittenPixelByte = 0xFF;

// Reads a whole container from `source`. On failure nothing it allocated
// is left behind.
Result<OrvaContents> readOrva(ByteSource& source, Allocator& allocator);

// Opens the file at `path` (UTF-8), reads it and closes it on every path.
Result<OrvaContents> readOrvaFile(Allocator& allocator, std::string_view path);

// Bytes of a page of width x height pixels; InvalidPageData when that does
// not fit in 32 bits.
Result<std::uint32_t> pagePixelBytes(std::uint32_t width, std::uint32_t height);

// Decodes one run-length encoded page of width x height pixels. Where the
// stream ends before the page is full the rest reads kUnwrittenPixelByte.
Result<ByteBuffer> decodeRlePage(Allocator& allocator, std::span<const std::uint8_t> data, std::uint32_t width,
                                 std::uint32_t height);

// The decoder itself, into a buffer the caller holds (its size is the page's
// pixel bytes, a multiple of 3). Returns how many bytes the stream decoded.
// The bytes after those hold no promise: a run may store whole blocks past its
// end where the buffer has room, so a caller that keeps them fills them.
Result<std::size_t> decodeRleInto(std::span<const std::uint8_t> data, std::span<std::uint8_t> output);

}  // namespace orva
