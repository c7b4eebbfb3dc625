#pragma once
// Page images in and out of the tool: PPM (P6, maxval 255) and PNG, held as
// the container's pixel layout (blue, green, red; rows top to bottom).
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <vector>

namespace orvatool {

struct Image {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> bgr;
};

// A PPM or PNG file's bytes, told apart by their first bytes.
std::expected<Image, std::string> decodeImage(std::span<const std::uint8_t> bytes);
std::expected<Image, std::string> decodePpm(std::span<const std::uint8_t> bytes);
std::expected<Image, std::string> decodePng(std::span<const std::uint8_t> bytes);

// "P6\n<width> <height>\n255\n" and the samples in red, green, blue order.
std::vector<std::uint8_t> encodePpm(const Image& image);
std::expected<std::vector<std::uint8_t>, std::string> encodePng(const Image& image);

}  // namespace orvatool
