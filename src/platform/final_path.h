#pragma once
#include <string_view>

#include "base/allocator.h"

namespace orva {

// The full final path (links resolved) of an existing, openable file named
// relative to the current directory, in UTF-8 without the "\\?\" prefix.
// The failure is the file layer's (FileNotFound, AccessDenied, ...).
Result<OwnedString> resolveFinalPath(Allocator& allocator, std::string_view path);

}  // namespace orva
