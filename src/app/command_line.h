#pragma once
// Splits a Windows command line into its arguments by the system's quoting
// rules, each converted to UTF-8. Element 0 is the program name.
#include <string_view>

#include "base/allocator.h"

namespace orva {

Result<OwnedArray<OwnedString>> splitCommandLine(Allocator& allocator, std::u16string_view commandLine);

}  // namespace orva
