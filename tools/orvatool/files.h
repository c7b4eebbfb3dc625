#pragma once
// Whole-file reads, and writes that never leave a half-written file behind.
#include <cstdint>
#include <cstdio>
#include <expected>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace orvatool {

std::expected<std::vector<std::uint8_t>, std::string> readWholeFile(const std::filesystem::path& path);

// Writes to a temporary name beside `target` and renames it into place, so
// that `target` is either the complete new file or as it was before; the
// temporary file is removed on failure.
std::expected<void, std::string> writeFileReplacing(const std::filesystem::path& target,
                                                    std::span<const std::uint8_t> bytes);

// The file opened for binary reading or writing (created or emptied), by
// its name as the system spells it; null when that fails.
std::FILE* openFile(const std::filesystem::path& path, bool write);

// The folder and everything in it go when this does.
class FolderGuard {
public:
    explicit FolderGuard(std::filesystem::path folder) : folder_(std::move(folder)) {}
    FolderGuard(const FolderGuard&) = delete;
    FolderGuard& operator=(const FolderGuard&) = delete;
    ~FolderGuard();
    const std::filesystem::path& path() const { return folder_; }

private:
    std::filesystem::path folder_;
};

// A path as UTF-8 text, for messages and for the reader, and back.
std::string utf8(const std::filesystem::path& path);
std::filesystem::path pathFromUtf8(const std::string& text);

}  // namespace orvatool
