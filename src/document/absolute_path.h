#pragma once
#include <string_view>

#include "base/allocator.h"

namespace orva {

// The path itself when it is absolute (path rules), else its final path
// resolved from the current directory; the file layer's code when that fails.
Result<OwnedString> makeAbsolutePath(Allocator& allocator, std::string_view path);

}  // namespace orva
