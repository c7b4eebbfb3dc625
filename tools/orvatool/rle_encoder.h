#pragma once
// The run-length writer: the smallest token stream the format allows for a
// page's pixels.
#include <cstdint>
#include <span>
#include <vector>

#include "base/allocator.h"

namespace orvatool {

// Takes the tokens in order, a piece at a time; false stops the encoder.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
};

// Tokens for `bgr` (3 bytes a pixel), shortest possible, handed to `sink` as
// they are made. Besides the pixels it needs a little over one byte a pixel,
// from `allocator`. An empty page gets the end token alone, since stored page
// data may not be empty. OutOfMemory, or InputOutput when the sink refused.
orva::Status encodeRleTo(orva::Allocator& allocator, std::span<const std::uint8_t> bgr, ByteSink& sink);

// The same tokens collected in memory; empty only when memory ran out.
std::vector<std::uint8_t> encodeRle(std::span<const std::uint8_t> bgr);

}  // namespace orvatool
