#pragma once
// The program's one heap. Every buffer the program owns comes from here, so the
// counters tell at any moment how much is outstanding; tests use them to prove
// that a release or a failed operation leaves nothing behind, and make a chosen
// allocation fail to walk every out-of-memory path.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>

#include "base/error_code.h"

namespace orva {

class Allocator {
public:
    Allocator() = default;
    ~Allocator();
    Allocator(const Allocator&) = delete;
    Allocator& operator=(const Allocator&) = delete;

    // Null when the request cannot be met (or an injected failure is due).
    // A request of 0 bytes returns null without counting.
    void* allocate(std::size_t bytes) noexcept;
    void release(void* block, std::size_t bytes) noexcept;

    std::size_t liveBlocks() const noexcept { return liveBlocks_.load(); }
    std::size_t liveBytes() const noexcept { return liveBytes_.load(); }
    std::size_t peakBytes() const noexcept { return peakBytes_.load(); }
    std::size_t allocationCount() const noexcept { return allocations_.load(); }
    void resetPeak() noexcept { peakBytes_.store(liveBytes_.load()); }
    // Bytes held back for reuse beyond the live ones (0 or one kept block).
    std::size_t spareBytes() const noexcept;

    // Make the nth allocation from now fail (1 = the next one); 0 disables.
    void failAllocation(std::size_t nth) noexcept { failCountdown_.store(nth); }

    // Blocks of at least kSpareMinimum and at most kSpareMaximum bytes are
    // kept, one at a time, when released, and handed out again to the next
    // request that fits; not under AddressSanitizer, so that a use after
    // release is still caught. Larger blocks go straight back to the system:
    // what is kept stays held for as long as the program runs.
    static constexpr std::size_t kSpareMinimum = std::size_t{256} << 10;
    static constexpr std::size_t kSpareMaximum = std::size_t{32} << 20;
#if defined(__SANITIZE_ADDRESS__)
    static constexpr bool kKeepsSpare = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    static constexpr bool kKeepsSpare = false;
#else
    static constexpr bool kKeepsSpare = true;
#endif
#else
    static constexpr bool kKeepsSpare = true;
#endif

private:
    void* takeSpare(std::size_t bytes) noexcept;
    void keepSpare(void* base) noexcept;

    // The kept block, from its header, which holds its size.
    std::atomic<void*> spare_{nullptr};
    std::atomic<std::size_t> liveBlocks_{0};
    std::atomic<std::size_t> liveBytes_{0};
    std::atomic<std::size_t> peakBytes_{0};
    std::atomic<std::size_t> allocations_{0};
    std::atomic<std::size_t> failCountdown_{0};
};

// A fixed-size array of T owned through an Allocator. Move-only; releases its
// block when destroyed. An array of 0 elements holds no block.
template <class T>
class OwnedArray {
public:
    OwnedArray() = default;
    ~OwnedArray() { reset(); }
    OwnedArray(OwnedArray&& other) noexcept { swap(other); }
    OwnedArray& operator=(OwnedArray&& other) noexcept {
        if (this != &other) {
            reset();
            swap(other);
        }
        return *this;
    }
    OwnedArray(const OwnedArray&) = delete;
    OwnedArray& operator=(const OwnedArray&) = delete;

    // Elements are value-initialised (zero for plain data).
    static Result<OwnedArray> create(Allocator& allocator, std::size_t count) {
        auto array = createUninitialized(allocator, count);
        if (array) {
            for (std::size_t i = 0; i < count; ++i) new (array->data_ + i) T();
        }
        return array;
    }

    // Plain-data elements are left as the heap hands them over: a buffer that
    // is about to be filled completely need not be written twice.
    static Result<OwnedArray> createUninitialized(Allocator& allocator, std::size_t count) {
        OwnedArray array;
        array.allocator_ = &allocator;
        if (count == 0) return array;
        if (count > SIZE_MAX / sizeof(T)) return fail(ErrorCode::OutOfMemory);
        void* block = allocator.allocate(count * sizeof(T));
        if (block == nullptr) return fail(ErrorCode::OutOfMemory);
        array.data_ = static_cast<T*>(block);
        array.size_ = count;
        array.capacity_ = count;
        if constexpr (!std::is_trivially_default_constructible_v<T>) {
            for (std::size_t i = 0; i < count; ++i) new (array.data_ + i) T();
        }
        return array;
    }

    static Result<OwnedArray> copyOf(Allocator& allocator, std::span<const T> items)
        requires std::is_trivially_copyable_v<T>
    {
        auto array = createUninitialized(allocator, items.size());
        if (array && !items.empty()) std::memcpy(array->data_, items.data(), items.size_bytes());
        return array;
    }

    void reset() noexcept {
        if (data_ != nullptr) {
            for (std::size_t i = 0; i < size_; ++i) data_[i].~T();
            allocator_->release(data_, capacity_ * sizeof(T));
        }
        data_ = nullptr;
        size_ = 0;
        capacity_ = 0;
    }

    T* data() noexcept { return data_; }
    const T* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    T& operator[](std::size_t i) noexcept { return data_[i]; }
    const T& operator[](std::size_t i) const noexcept { return data_[i]; }
    T* begin() noexcept { return data_; }
    T* end() noexcept { return data_ + size_; }
    const T* begin() const noexcept { return data_; }
    const T* end() const noexcept { return data_ + size_; }
    std::span<T> span() noexcept { return {data_, size_}; }
    std::span<const T> span() const noexcept { return {data_, size_}; }
    Allocator* allocator() const noexcept { return allocator_; }

private:
    friend class ByteBuilder;
    template <class U>
    friend class GrowableArray;

    void swap(OwnedArray& other) noexcept {
        std::swap(allocator_, other.allocator_);
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

    Allocator* allocator_ = nullptr;
    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

using ByteBuffer = OwnedArray<std::uint8_t>;

// A UTF-8 byte string with its length and no terminator.
class OwnedString {
public:
    OwnedString() = default;
    static Result<OwnedString> copy(Allocator& allocator, std::string_view text);
    static OwnedString adopt(OwnedArray<char>&& bytes) {
        OwnedString s;
        s.bytes_ = std::move(bytes);
        return s;
    }

    std::string_view view() const noexcept { return {bytes_.data(), bytes_.size()}; }
    std::size_t size() const noexcept { return bytes_.size(); }
    bool empty() const noexcept { return bytes_.empty(); }
    void reset() noexcept { bytes_.reset(); }

private:
    OwnedArray<char> bytes_;
};

// An array that grows; every growth can fail, and says so.
template <class T>
class GrowableArray {
public:
    explicit GrowableArray(Allocator& allocator) { items_.allocator_ = &allocator; }

    Status push(T&& item) {
        if (items_.size_ == items_.capacity_) {
            if (auto grown = grow(items_.capacity_ < 8 ? 8 : items_.capacity_ * 2); !grown) return grown;
        }
        new (items_.data_ + items_.size_) T(std::move(item));
        ++items_.size_;
        return {};
    }

    std::size_t size() const noexcept { return items_.size(); }
    bool empty() const noexcept { return items_.empty(); }
    T& operator[](std::size_t i) noexcept { return items_[i]; }
    const T& operator[](std::size_t i) const noexcept { return items_[i]; }
    std::span<T> span() noexcept { return items_.span(); }
    std::span<const T> span() const noexcept { return items_.span(); }
    OwnedArray<T> take() noexcept {
        Allocator* allocator = items_.allocator_;
        OwnedArray<T> taken = std::move(items_);
        items_.allocator_ = allocator;
        return taken;
    }
    // Takes item i out; the items after it move up one place.
    T remove(std::size_t i) {
        T item(std::move(items_.data_[i]));
        for (std::size_t j = i + 1; j < items_.size_; ++j) items_.data_[j - 1] = std::move(items_.data_[j]);
        items_.data_[--items_.size_].~T();
        return item;
    }
    void clear() noexcept {
        while (items_.size_ > 0) items_.data_[--items_.size_].~T();
    }

private:
    Status grow(std::size_t capacity) {
        if (capacity > SIZE_MAX / sizeof(T)) return fail(ErrorCode::OutOfMemory);
        void* block = items_.allocator_->allocate(capacity * sizeof(T));
        if (block == nullptr) return fail(ErrorCode::OutOfMemory);
        T* fresh = static_cast<T*>(block);
        for (std::size_t i = 0; i < items_.size_; ++i) {
            new (fresh + i) T(std::move(items_.data_[i]));
            items_.data_[i].~T();
        }
        if (items_.data_ != nullptr) items_.allocator_->release(items_.data_, items_.capacity_ * sizeof(T));
        items_.data_ = fresh;
        items_.capacity_ = capacity;
        return {};
    }

    OwnedArray<T> items_;
};

// One object of T owned through an Allocator, for what must keep its address
// while its owner moves (a thread's state). Move-only; empty by default.
template <class T>
class Owned {
public:
    Owned() = default;
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept
        : allocator_(std::exchange(other.allocator_, nullptr)), object_(std::exchange(other.object_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset();
            allocator_ = std::exchange(other.allocator_, nullptr);
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    template <class... Args>
    static Result<Owned> make(Allocator& allocator, Args&&... args) {
        void* block = allocator.allocate(sizeof(T));
        if (block == nullptr) return fail(ErrorCode::OutOfMemory);
        Owned owned;
        owned.allocator_ = &allocator;
        owned.object_ = new (block) T(std::forward<Args>(args)...);
        return owned;
    }

    void reset() noexcept {
        if (object_ != nullptr) {
            object_->~T();
            allocator_->release(object_, sizeof(T));
        }
        object_ = nullptr;
        allocator_ = nullptr;
    }
    T* get() const noexcept { return object_; }
    T* operator->() const noexcept { return object_; }
    T& operator*() const noexcept { return *object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }

private:
    Allocator* allocator_ = nullptr;
    T* object_ = nullptr;
};

// Collects bytes of unknown final length (a child's output, a composed file).
class ByteBuilder {
public:
    explicit ByteBuilder(Allocator& allocator) { bytes_.allocator_ = &allocator; }

    Status append(std::span<const std::uint8_t> bytes);
    Status append(std::string_view text) {
        return append(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }
    Status reserve(std::size_t capacity);
    // Room for `count` more bytes at the end, to be committed with `commit`.
    Result<std::uint8_t*> appendSpace(std::size_t count);
    void commit(std::size_t count) noexcept { bytes_.size_ += count; }

    std::size_t size() const noexcept { return bytes_.size(); }
    std::span<const std::uint8_t> bytes() const noexcept { return bytes_.span(); }
    std::string_view text() const noexcept {
        return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
    }
    ByteBuffer take() noexcept { return std::move(bytes_); }

private:
    ByteBuffer bytes_;
};

}  // namespace orva
