#include "pdf/tool_paths.h"

#include <cstring>

namespace orva {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// "C:" or "\\server\share"; 0 when the path starts with neither.
std::size_t rootDesignatorLength(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') return 2;
    if (path.size() < 3 || !isSeparator(path[0]) || !isSeparator(path[1]) || isSeparator(path[2])) return 0;
    std::size_t i = 2;
    while (i < path.size() && !isSeparator(path[i])) ++i;
    if (i + 1 >= path.size() || isSeparator(path[i + 1])) return 0;
    ++i;
    while (i < path.size() && !isSeparator(path[i])) ++i;
    return i;
}

// What one more part adds: how many of its bytes are skipped and whether a
// separator goes before it.
struct Seam {
    std::size_t skip;
    bool separator;
};

Seam seamBetween(std::string_view left, std::string_view right) {
    if (left.empty()) return {0, false};
    const bool leftEnds = isSeparator(left.back());
    const bool rightBegins = isSeparator(right.front());
    if (leftEnds && rightBegins) return {1, false};
    return {0, !leftEnds && !rightBegins};
}

}  // namespace

Result<OwnedString> joinPaths(Allocator& allocator, std::initializer_list<std::string_view> parts) {
    // The seam depends only on the last byte written so far, so the length
    // can be counted with the same rule before anything is written.
    std::size_t length = 0;
    char last = 0;
    for (std::string_view part : parts) {
        if (part.empty()) continue;
        const Seam seam = seamBetween(length == 0 ? std::string_view{} : std::string_view(&last, 1), part);
        length += (seam.separator ? 1 : 0) + part.size() - seam.skip;
        if (part.size() > seam.skip) last = part.back();
    }
    auto bytes = OwnedArray<char>::createUninitialized(allocator, length);
    if (!bytes) return fail(bytes.error());
    std::size_t at = 0;
    for (std::string_view part : parts) {
        if (part.empty()) continue;
        const Seam seam = seamBetween(std::string_view(bytes->data(), at), part);
        if (seam.separator) (*bytes)[at++] = '\\';
        const std::string_view kept = part.substr(seam.skip);
        if (!kept.empty()) std::memcpy(bytes->data() + at, kept.data(), kept.size());
        at += kept.size();
    }
    return OwnedString::adopt(std::move(*bytes));
}

std::optional<std::string_view> folderPart(std::string_view path) {
    const std::size_t root = rootDesignatorLength(path);
    std::size_t end = path.size();
    while (end > 0 && isSeparator(path[end - 1])) --end;
    std::size_t last = end;
    while (last > 0 && !isSeparator(path[last - 1])) --last;
    if (last == 0) return std::nullopt;
    const std::size_t separator = last - 1;
    if (separator < root) return std::nullopt;
    if (separator == root) return path.substr(0, root + 1);
    return path.substr(0, separator);
}

bool SearchPathEntries::next(std::string_view& entry) {
    while (!done_) {
        const std::size_t semicolon = rest_.find(';');
        std::string_view piece = rest_.substr(0, semicolon);
        if (semicolon == std::string_view::npos) {
            done_ = true;
        } else {
            rest_.remove_prefix(semicolon + 1);
        }
        while (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t')) piece.remove_prefix(1);
        while (!piece.empty() && (piece.back() == ' ' || piece.back() == '\t')) piece.remove_suffix(1);
        if (!piece.empty()) {
            entry = piece;
            return true;
        }
    }
    return false;
}

Result<OwnedString> workFolderPathFor(Allocator& allocator, std::string_view temporaryRoot) {
    return joinPaths(allocator, {temporaryRoot, "Orva", "work"});
}

}  // namespace orva
