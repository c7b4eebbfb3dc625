#include "app/allocator.h"

#include <cstdlib>

namespace orva {

void* Allocator::allocate(std::size_t bytes) noexcept {
    if (bytes == 0) return nullptr;
    std::size_t due = failCountdown_.load();
    while (due != 0 && !failCountdown_.compare_exchange_weak(due, due - 1)) {
    }
    if (due == 1) return nullptr;
    void* block = std::malloc(bytes);
    if (block == nullptr) return nullptr;
    allocations_.fetch_add(1);
    liveBlocks_.fetch_add(1);
    const std::size_t live = liveBytes_.fetch_add(bytes) + bytes;
    std::size_t peak = peakBytes_.load();
    while (live > peak && !peakBytes_.compare_exchange_weak(peak, live)) {
    }
    return block;
}

void Allocator::release(void* block, std::size_t bytes) noexcept {
    if (block == nullptr) return;
    std::free(block);
    liveBlocks_.fetch_sub(1);
    liveBytes_.fetch_sub(bytes);
}

Result<OwnedString> OwnedString::copy(Allocator& allocator, std::string_view text) {
    auto bytes = OwnedArray<char>::copyOf(allocator, std::span(text.data(), text.size()));
    if (!bytes) return fail(bytes.error());
    return adopt(std::move(*bytes));
}

Status ByteBuilder::reserve(std::size_t capacity) {
    if (capacity <= bytes_.capacity_) return {};
    auto* block = static_cast<std::uint8_t*>(bytes_.allocator_->allocate(capacity));
    if (block == nullptr) return fail(ErrorCode::OutOfMemory);
    if (bytes_.size_ != 0) std::memcpy(block, bytes_.data_, bytes_.size_);
    if (bytes_.data_ != nullptr) bytes_.allocator_->release(bytes_.data_, bytes_.capacity_);
    bytes_.data_ = block;
    bytes_.capacity_ = capacity;
    return {};
}

Result<std::uint8_t*> ByteBuilder::appendSpace(std::size_t count) {
    const std::size_t needed = bytes_.size_ + count;
    if (needed < count) return fail(ErrorCode::OutOfMemory);
    if (needed > bytes_.capacity_) {
        std::size_t capacity = bytes_.capacity_ < 64 ? 64 : bytes_.capacity_;
        while (capacity < needed) capacity = capacity > SIZE_MAX / 2 ? needed : capacity * 2;
        if (auto grown = reserve(capacity); !grown) return fail(grown.error());
    }
    return bytes_.data_ + bytes_.size_;
}

Status ByteBuilder::append(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return {};
    auto space = appendSpace(bytes.size());
    if (!space) return fail(space.error());
    std::memcpy(*space, bytes.data(), bytes.size());
    commit(bytes.size());
    return {};
}

}  // namespace orva
