#include "files.h"

#include <cstdio>
#include <system_error>

namespace orvatool {

std::FILE* openFile(const std::filesystem::path& path, bool write) {
#ifdef _WIN32
    return _wfopen(path.c_str(), write ? L"wb" : L"rb");
#else
    return std::fopen(path.c_str(), write ? "wb" : "rb");
#endif
}

FolderGuard::~FolderGuard() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path pathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::expected<std::vector<std::uint8_t>, std::string> readWholeFile(const std::filesystem::path& path) {
    std::FILE* file = openFile(path, false);
    if (file == nullptr) return std::unexpected(utf8(path) + ": cannot open for reading");
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return std::unexpected(utf8(path) + ": read failed");
    return bytes;
}

std::expected<void, std::string> writeFileReplacing(const std::filesystem::path& target,
                                                    std::span<const std::uint8_t> bytes) {
    std::filesystem::path temporary = target;
    temporary += ".partial";
    std::FILE* file = openFile(temporary, true);
    if (file == nullptr) return std::unexpected(utf8(target) + ": cannot create " + utf8(temporary));
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    std::error_code error;
    if (ok) std::filesystem::rename(temporary, target, error);
    if (!ok || error) {
        std::filesystem::remove(temporary, error);
        return std::unexpected(utf8(target) + ": cannot be written");
    }
    return {};
}

}  // namespace orvatool
