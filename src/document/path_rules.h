#pragma once
// Text rules for document paths. Both separators, "\" and "/", are accepted
// everywhere, as the system accepts them.
#include <optional>
#include <string_view>

#include "document/document.h"

namespace orva {

// Drops spaces, tabs, carriage returns and line feeds at both ends.
std::string_view trimPath(std::string_view path);

// "\x", "/x", or a drive letter form "C:\x" / "C:/x".
bool isAbsolutePath(std::string_view path);

// The last component: trailing separators ignored; it begins after the last
// separator, or after a ':' that is the second byte. Empty when there is none.
std::string_view lastPathComponent(std::string_view path);

// The extension of the last component, dot included; empty when it has none
// (no '.', or the last '.' is the component's first byte).
std::string_view pathExtension(std::string_view path);

// The last component up to, not including, its last '.' (the whole component
// when it has no extension).
std::string_view pathStem(std::string_view path);

// The kind chosen by the extension, ASCII letters compared without case.
std::optional<DocumentKind> documentKindFor(std::string_view absolutePath);

}  // namespace orva
