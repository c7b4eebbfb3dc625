#include "image_io.h"

#include <cstring>
#include <limits>

#include "stb_bindings.h"

namespace orvatool {

namespace {

void swapRedBlue(std::vector<std::uint8_t>& pixels) {
    for (std::size_t i = 0; i + 2 < pixels.size(); i += 3) std::swap(pixels[i], pixels[i + 2]);
}

// Reads the PPM header's numbers: whitespace and '#' comments between them.
class PpmHeader {
public:
    explicit PpmHeader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool number(std::uint64_t& value) {
        skipBlanks();
        if (at_ >= bytes_.size() || bytes_[at_] < '0' || bytes_[at_] > '9') return false;
        value = 0;
        while (at_ < bytes_.size() && bytes_[at_] >= '0' && bytes_[at_] <= '9') {
            value = value * 10 + (bytes_[at_++] - '0');
            if (value > std::numeric_limits<std::uint32_t>::max()) return false;
        }
        return true;
    }
    // The single whitespace byte that ends the header.
    bool endOfHeader() {
        if (at_ >= bytes_.size() || !isBlank(bytes_[at_])) return false;
        ++at_;
        return true;
    }
    std::size_t position() const { return at_; }
    void skip(std::size_t count) { at_ += count; }

private:
    static bool isBlank(std::uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
    void skipBlanks() {
        while (at_ < bytes_.size()) {
            if (isBlank(bytes_[at_])) {
                ++at_;
            } else if (bytes_[at_] == '#') {
                while (at_ < bytes_.size() && bytes_[at_] != '\n' && bytes_[at_] != '\r') ++at_;
            } else {
                break;
            }
        }
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

}  // namespace

std::expected<Image, std::string> decodePpm(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') return std::unexpected("not a binary PPM (P6)");
    PpmHeader header(bytes);
    header.skip(2);
    std::uint64_t width = 0, height = 0, maxval = 0;
    if (!header.number(width) || !header.number(height) || !header.number(maxval) || !header.endOfHeader()) {
        return std::unexpected("damaged PPM header");
    }
    if (maxval != 255) return std::unexpected("PPM maxval " + std::to_string(maxval) + " (only 255 is supported)");
    if (width != 0 && height > 0xFFFFFFFFu / 3 / width) return std::unexpected("PPM image too large for a page");
    const std::uint64_t size = width * height * 3;
    if (bytes.size() - header.position() < size) return std::unexpected("PPM pixel data cut short");
    Image image{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), {}};
    const auto* first = bytes.data() + header.position();
    image.bgr.assign(first, first + size);
    swapRedBlue(image.bgr);
    return image;
}

std::expected<Image, std::string> decodePng(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::unexpected("PNG too large");
    int width = 0, height = 0, channels = 0;
    std::uint8_t* rgb = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 3);
    if (rgb == nullptr) return std::unexpected(std::string("PNG not readable: ") + stbi_failure_reason());
    Image image{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), {}};
    image.bgr.assign(rgb, rgb + static_cast<std::size_t>(width) * height * 3);
    stbi_image_free(rgb);
    swapRedBlue(image.bgr);
    return image;
}

std::expected<Image, std::string> decodeImage(std::span<const std::uint8_t> bytes) {
    static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0) return decodePng(bytes);
    if (bytes.size() >= 2 && bytes[0] == 'P' && bytes[1] == '6') return decodePpm(bytes);
    return std::unexpected("neither a PNG nor a binary PPM (P6) image");
}

std::vector<std::uint8_t> encodePpm(const Image& image) {
    const std::string header =
        "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
    std::vector<std::uint8_t> out(header.begin(), header.end());
    const std::size_t start = out.size();
    out.insert(out.end(), image.bgr.begin(), image.bgr.end());
    for (std::size_t i = start; i + 2 < out.size(); i += 3) std::swap(out[i], out[i + 2]);
    return out;
}

std::expected<std::vector<std::uint8_t>, std::string> encodePng(const Image& image) {
    if (image.width == 0 || image.height == 0) return std::unexpected("an empty page cannot be a PNG");
    if (image.width > static_cast<std::uint32_t>(std::numeric_limits<int>::max() / 3) ||
        image.height > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
        return std::unexpected("page too large for PNG");
    }
    std::vector<std::uint8_t> rgb = image.bgr;
    swapRedBlue(rgb);
    std::vector<std::uint8_t> out;
    auto collect = [](void* context, void* data, int size) {
        auto* bytes = static_cast<std::vector<std::uint8_t>*>(context);
        bytes->insert(bytes->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
    };
    const int w = static_cast<int>(image.width);
    if (!stbi_write_png_to_func(collect, &out, w, static_cast<int>(image.height), 3, rgb.data(), w * 3)) {
        return std::unexpected("PNG could not be written");
    }
    return out;
}

}  // namespace orvatool
