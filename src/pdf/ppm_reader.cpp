#include "pdf/ppm_reader.h"

#include <cstring>
#include <optional>

#include "pdf/decimal_field.h"

namespace orva {

namespace {

constexpr std::uint8_t kLf = 0x0A;
constexpr std::uint8_t kCr = 0x0D;

std::optional<std::size_t> magicLength(std::span<const std::uint8_t> block) {
    if (block.size() < 3 || block[0] != 'P' || block[1] != '6') return std::nullopt;
    if (block[2] == kLf) return 3;
    if (block.size() > 3 && block[2] == kCr && block[3] == kLf) return 4;
    return std::nullopt;
}

// The first two fields of a line split at runs of spaces and tabs.
bool twoFields(std::string_view line, std::string_view& first, std::string_view& second) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::string_view* fields[] = {&first, &second};
    std::size_t i = 0;
    for (std::string_view* field : fields) {
        while (i < line.size() && blank(line[i])) ++i;
        if (i == line.size()) return false;
        const std::size_t begin = i;
        while (i < line.size() && !blank(line[i])) ++i;
        *field = line.substr(begin, i - begin);
    }
    return true;
}

}  // namespace

Result<PpmHeader> parsePpmHeader(std::span<const std::uint8_t> block) {
    const auto magic = magicLength(block);
    if (!magic || block.size() <= *magic) return fail(ErrorCode::InvalidPpm);
    const std::string_view text(reinterpret_cast<const char*>(block.data()), block.size());

    const std::size_t lineEnd = text.find(static_cast<char>(kLf), *magic);
    if (lineEnd == std::string_view::npos) return fail(ErrorCode::InvalidPpm);
    std::string_view dimensions = text.substr(*magic, lineEnd - *magic);
    if (!dimensions.empty() && dimensions.back() == static_cast<char>(kCr)) dimensions.remove_suffix(1);
    std::string_view widthField, heightField;
    if (!twoFields(dimensions, widthField, heightField)) return fail(ErrorCode::InvalidPpm);
    auto width = parseDecimalU32(widthField);
    if (!width) return fail(width.error());
    auto height = parseDecimalU32(heightField);
    if (!height) return fail(height.error());

    // Empty lines, then the maximum-value line, whose content is not read.
    std::size_t at = lineEnd + 1;
    while (at < text.size() && (text[at] == static_cast<char>(kLf) || text[at] == static_cast<char>(kCr))) ++at;
    const std::size_t lineBreak = text.find_first_of("\r\n", at);
    PpmHeader header{*width, *height, text.size()};
    if (lineBreak != std::string_view::npos) header.dataStart = lineBreak + (text[lineBreak] == '\r' ? 2 : 1);
    return header;
}

void swapRedAndBlue(std::span<std::uint8_t> pixels) {
    std::uint8_t* p = pixels.data();
    std::size_t count = pixels.size() / 3;
    // Four pixels a round keep the loads and stores independent of each other.
    for (; count >= 4; count -= 4, p += 12) {
        const std::uint8_t r0 = p[0], b0 = p[2], r1 = p[3], b1 = p[5];
        const std::uint8_t r2 = p[6], b2 = p[8], r3 = p[9], b3 = p[11];
        p[0] = b0, p[2] = r0, p[3] = b1, p[5] = r1, p[6] = b2, p[8] = r2, p[9] = b3, p[11] = r3;
    }
    for (; count > 0; --count, p += 3) {
        const std::uint8_t r = p[0];
        p[0] = p[2];
        p[2] = r;
    }
}

Result<PageImage> readPpm(ByteSource& source, Allocator& allocator) {
    std::uint8_t block[kPpmHeaderBlock];
    auto got = source.read(block);
    if (!got) return fail(got.error());
    const std::size_t blockSize = *got;
    auto header = parsePpmHeader({block, blockSize});
    if (!header) return fail(header.error());

    PageImage image;
    image.present = true;
    image.width = header->width;
    image.height = header->height;
    const std::uint64_t pixelCount = std::uint64_t{header->width} * header->height;
    if (pixelCount == 0) return image;
    if (pixelCount > SIZE_MAX / 3) return fail(ErrorCode::OutOfMemory);
    const std::size_t size = static_cast<std::size_t>(pixelCount * 3);
    auto pixels = ByteBuffer::createUninitialized(allocator, size);
    if (!pixels) return fail(pixels.error());

    std::size_t filled = 0;
    if (header->dataStart < blockSize) {
        filled = blockSize - header->dataStart < size ? blockSize - header->dataStart : size;
        std::memcpy(pixels->data(), block + header->dataStart, filled);
    } else if (header->dataStart > blockSize) {
        // The maximum-value line's CR LF straddles the block's end: the data
        // starts after the LF, not at it.
        if (auto moved = source.seek(header->dataStart); !moved) return fail(moved.error());
    }
    while (filled < size) {
        const std::size_t missing = size - filled;
        const std::size_t ask = missing > 0xFFFFFFFFu ? 0xFFFFFFFFu : missing;
        auto read = source.read({pixels->data() + filled, ask});
        if (!read) return fail(read.error());
        if (*read == 0) return fail(ErrorCode::PpmTruncated);
        filled += *read;
    }
    swapRedAndBlue(pixels->span());
    image.pixels = std::move(*pixels);
    return image;
}

Result<PageImage> readPpmFile(Allocator& allocator, std::string_view path) {
    auto file = FileSource::open(allocator, path);
    if (!file) return fail(file.error());
    return readPpm(*file, allocator);
}

Result<PpmInMemory> readPpmBytes(Allocator& allocator, std::span<const std::uint8_t> bytes) {
    auto header = parsePpmHeader(bytes.first(bytes.size() < kPpmHeaderBlock ? bytes.size() : kPpmHeaderBlock));
    if (!header) return fail(header.error());
    MemorySource source(bytes);
    auto image = readPpm(source, allocator);
    if (!image) return fail(image.error());
    // readPpm has read exactly this much: the header, then the pixels.
    const std::size_t consumed = header->dataStart + image->pixels.size();
    return PpmInMemory{std::move(*image), consumed};
}

Result<OwnedArray<PageImage>> readPpmSequence(Allocator& allocator, std::span<const std::uint8_t> bytes,
                                              std::size_t most) {
    GrowableArray<PageImage> images(allocator);
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (images.size() == most) return fail(ErrorCode::Overflow);
        auto next = readPpmBytes(allocator, bytes.subspan(at));
        if (!next) return fail(next.error());
        if (auto kept = images.push(std::move(next->image)); !kept) return fail(kept.error());
        at += next->consumed;
    }
    return images.take();
}

}  // namespace orva
