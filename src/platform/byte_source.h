#pragma once
// A readable stream of bytes with absolute positioning: a file, or memory.
// The parsers read through this, so the same code runs on files in the
// program and on memory in tests and fuzzing.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/allocator.h"
#include "base/error_code.h"

namespace orva {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `destination.size()` bytes; 0 means the end was reached. An
    // interrupted read is retried inside; end of file and a broken pipe read as
    // 0; a lock violation is LockViolation, a vanished network name
    // ConnectionResetByPeer, anything else Unexpected.
    virtual Result<std::size_t> read(std::span<std::uint8_t> destination) = 0;
    // Moves to `offset` from the start. A position past the end is allowed;
    // the next read then returns 0. Unexpected when the move is refused.
    virtual Status seek(std::uint64_t offset) = 0;
};

// Reads until `destination` is full or the source ends; returns bytes read.
Result<std::size_t> readFully(ByteSource& source, std::span<std::uint8_t> destination);

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    Result<std::size_t> read(std::span<std::uint8_t> destination) override;
    Status seek(std::uint64_t offset) override;

private:
    std::span<const std::uint8_t> bytes_;
    std::uint64_t position_ = 0;
};

// A file opened for reading; closed when destroyed.
class FileSource final : public ByteSource {
public:
    // Opens a file by its UTF-8 path. The failure is the file layer's code
    // (FileNotFound, AccessDenied, ...).
    static Result<FileSource> open(Allocator& allocator, std::string_view path);

    FileSource(FileSource&& other) noexcept : handle_(other.handle_) { other.handle_ = invalidHandle(); }
    FileSource& operator=(FileSource&&) = delete;
    FileSource(const FileSource&) = delete;
    ~FileSource() override;

    Result<std::size_t> read(std::span<std::uint8_t> destination) override;
    Status seek(std::uint64_t offset) override;

    // Number of files this process holds open through FileSource; tests check
    // that every path out of a reader closes its file.
    static long openCount();

private:
    explicit FileSource(std::intptr_t handle) : handle_(handle) {}
    static std::intptr_t invalidHandle();
    std::intptr_t handle_;
};

}  // namespace orva
