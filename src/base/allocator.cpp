#include "base/allocator.h"

#include <cstddef>
#include <cstdlib>

namespace orva {

namespace {

// A block of a size worth keeping carries its own size in a header before
// the bytes handed out, so that one served to a smaller request is kept
// again at the size it really has. The header keeps malloc's alignment.
constexpr std::size_t kHeader = alignof(std::max_align_t);

std::size_t spareSize(void* base) {
    std::size_t size;
    std::memcpy(&size, base, sizeof size);
    return size;
}

}  // namespace

// A page-sized block fresh from the system is faulted in page by page as it
// is first written, at a fraction of the speed of filling memory already in
// use; the heap gives such blocks back to the system when they are freed. A
// paint pads each page's rows in a block of the same size every time, and an
// open reads each page's stored data into one, so one block is kept back.
Allocator::~Allocator() { std::free(spare_.exchange(nullptr)); }

namespace {

bool worthKeeping(std::size_t bytes) {
    return Allocator::kKeepsSpare && bytes >= Allocator::kSpareMinimum && bytes <= Allocator::kSpareMaximum;
}

}  // namespace

std::size_t Allocator::spareBytes() const noexcept {
    // Only for a quiet moment: a release on another thread may free the
    // block while it is looked at.
    void* spare = spare_.load();
    return spare == nullptr ? 0 : spareSize(spare);
}

void* Allocator::takeSpare(std::size_t bytes) noexcept {
    void* spare = spare_.exchange(nullptr);
    if (spare == nullptr) return nullptr;
    const std::size_t size = spareSize(spare);
    // Not for a request so much smaller that most of the block would idle.
    if (bytes <= size && bytes >= size / 2) return spare;
    // Put back, unless another block was released meanwhile.
    void* expected = nullptr;
    if (!spare_.compare_exchange_strong(expected, spare)) std::free(spare);
    return nullptr;
}

void Allocator::keepSpare(void* base) noexcept {
    // The block released last stays: the next request is most likely one of
    // the same kind.
    std::free(spare_.exchange(base));
}

void* Allocator::allocate(std::size_t bytes) noexcept {
    if (bytes == 0) return nullptr;
    std::size_t due = failCountdown_.load();
    while (due != 0 && !failCountdown_.compare_exchange_weak(due, due - 1)) {
    }
    if (due == 1) return nullptr;
    void* block = nullptr;
    if (worthKeeping(bytes)) {
        void* base = takeSpare(bytes);
        if (base == nullptr && (base = std::malloc(kHeader + bytes)) != nullptr) {
            std::memcpy(base, &bytes, sizeof bytes);
        }
        block = base == nullptr ? nullptr : static_cast<char*>(base) + kHeader;
    } else {
        block = std::malloc(bytes);
    }
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
    if (worthKeeping(bytes)) {
        keepSpare(static_cast<char*>(block) - kHeader);
    } else {
        std::free(block);
    }
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
