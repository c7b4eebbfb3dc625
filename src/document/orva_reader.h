#pragma once
// Reading the program's own container: header, title, page index and every
// page decoded, raw or run-length encoded.
#include <cstdint>
#include <span>
#include <string_view>

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

// Reads a whole container from `source`. On failure nothing it allocated
// is left behind.
Result<OrvaContents> readOrva(ByteSource& source, Allocator& allocator);

// Opens the file at `path` (UTF-8), reads it and closes it on every path.
Result<OrvaContents> readOrvaFile(Allocator& allocator, std::string_view path);

// Decodes one run-length encoded page of width x height pixels.
Result<ByteBuffer> decodeRlePage(Allocator& allocator, std::span<const std::uint8_t> data, std::uint32_t width,
                                 std::uint32_t height);

}  // namespace orva
