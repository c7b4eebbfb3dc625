#pragma once
// The command line a child tool receives, built from its argument list.
#include <span>
#include <string_view>

#include "base/allocator.h"

namespace orva {

// Arguments separated by one space. One holding a space, a tab or a double
// quote, or starting with a drive letter and ":", is put in double quotes,
// with each inner double quote written as \" (backslashes are copied as they
// are). An empty argument adds nothing but its separating space.
Result<OwnedString> buildToolCommandLine(Allocator& allocator, std::span<const std::string_view> arguments);

}  // namespace orva
