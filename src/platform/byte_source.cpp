#include "platform/byte_source.h"

#include <cstring>

namespace orva {

Result<std::size_t> readFully(ByteSource& source, std::span<std::uint8_t> destination) {
    std::size_t total = 0;
    while (total < destination.size()) {
        auto got = source.read(destination.subspan(total));
        if (!got) return got;
        if (*got == 0) break;
        total += *got;
    }
    return total;
}

Result<std::size_t> MemorySource::read(std::span<std::uint8_t> destination) {
    if (position_ >= bytes_.size()) return std::size_t{0};
    const std::size_t available = static_cast<std::size_t>(bytes_.size() - position_);
    const std::size_t count = destination.size() < available ? destination.size() : available;
    if (count != 0) std::memcpy(destination.data(), bytes_.data() + position_, count);
    position_ += count;
    return count;
}

Status MemorySource::seek(std::uint64_t offset) {
    position_ = offset;
    return {};
}

}  // namespace orva
