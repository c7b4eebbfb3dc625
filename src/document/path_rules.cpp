#include "document/path_rules.h"

namespace orva {

namespace {
bool isSeparator(char c) { return c == '\\' || c == '/'; }
bool isTrimmed(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (x != b[i]) return false;
    }
    return true;
}
}  // namespace

std::string_view trimPath(std::string_view path) {
    while (!path.empty() && isTrimmed(path.front())) path.remove_prefix(1);
    while (!path.empty() && isTrimmed(path.back())) path.remove_suffix(1);
    return path;
}

bool isAbsolutePath(std::string_view path) {
    if (!path.empty() && isSeparator(path[0])) return true;
    return path.size() >= 3 && path[1] == ':' && isSeparator(path[2]);
}

std::string_view lastPathComponent(std::string_view path) {
    std::size_t end = path.size();
    while (end > 0 && isSeparator(path[end - 1])) --end;
    std::size_t begin = end;
    while (begin > 0 && !isSeparator(path[begin - 1])) --begin;
    // A drive prefix "C:" at the very start is not part of the name.
    if (begin == 0 && end >= 2 && path[1] == ':') begin = 2;
    if (begin > end) begin = end;
    return path.substr(begin, end - begin);
}

std::string_view pathExtension(std::string_view path) {
    const std::string_view name = lastPathComponent(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return name.substr(dot);
}

std::string_view pathStem(std::string_view path) {
    const std::string_view name = lastPathComponent(path);
    const std::string_view extension = pathExtension(path);
    return name.substr(0, name.size() - extension.size());
}

std::optional<DocumentKind> documentKindFor(std::string_view absolutePath) {
    const std::string_view extension = pathExtension(absolutePath);
    if (equalsIgnoringAsciiCase(extension, ".orva")) return DocumentKind::Orva;
    if (equalsIgnoringAsciiCase(extension, ".pdf")) return DocumentKind::Pdf;
    return std::nullopt;
}

}  // namespace orva
