#pragma once
// The raw "P6" image the rasteriser writes: the magic line, a line with width
// and height, a maximum-value line (not read: every sample is one byte), then
// width x height pixels of red, green, blue. Comments and other variants are
// refused.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "document/page_image.h"
#include "platform/byte_source.h"

namespace orva {

// The header must lie within the first block, which is read with one call.
inline constexpr std::size_t kPpmHeaderBlock = 4096;

struct PpmHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // Offset of the first pixel byte from the start of the file; may lie
    // past the block when the maximum-value line does not end within it.
    std::size_t dataStart = 0;
};

// InvalidPpm for a wrong magic, a missing line end or fewer than two
// dimension fields; a dimension's own InvalidCharacter or Overflow.
Result<PpmHeader> parsePpmHeader(std::span<const std::uint8_t> block);

// A page image in blue, green, red order, its pixels read straight into the
// buffer the image keeps. PpmTruncated when the data ends early, OutOfMemory
// for a buffer that cannot be had, the source's read failures as they come.
Result<PageImage> readPpm(ByteSource& source, Allocator& allocator);

// The same from a file, closed again on every path; the file's open failure
// as the file layer reports it.
Result<PageImage> readPpmFile(Allocator& allocator, std::string_view path);

// The same from memory: the image at the start of `bytes` and the number of
// bytes it takes, header and pixels. What a tool printed to its standard
// output is read this way.
struct PpmInMemory {
    PageImage image;
    std::size_t consumed = 0;
};
Result<PpmInMemory> readPpmBytes(Allocator& allocator, std::span<const std::uint8_t> bytes);

// The images of a run that printed several one after another, in order, at
// most `most` of them (Overflow past that); InvalidPpm for anything after
// an image that does not start another, the readers' failures as they come.
Result<OwnedArray<PageImage>> readPpmSequence(Allocator& allocator, std::span<const std::uint8_t> bytes,
                                              std::size_t most);

// Exchanges the first and third byte of every 3-byte group.
void swapRedAndBlue(std::span<std::uint8_t> pixels);

}  // namespace orva
