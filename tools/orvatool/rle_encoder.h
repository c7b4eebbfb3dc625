#pragma once
// The run-length writer: the smallest token stream the format allows for a
// page's pixels.
#include <cstdint>
#include <span>
#include <vector>

namespace orvatool {

// Tokens for `bgr` (3 bytes a pixel), shortest possible. An empty page gets
// the end token alone, since stored page data may not be empty.
std::vector<std::uint8_t> encodeRle(std::span<const std::uint8_t> bgr);

}  // namespace orvatool
