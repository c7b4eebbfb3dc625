#pragma once
// Unsigned decimal fields as the external tools and image headers write them.
#include <cstdint>
#include <string_view>

#include "base/error_code.h"

namespace orva {

// An unsigned 32-bit decimal: an optional leading sign, underscores between
// digits, leading zeros allowed, nothing else (no blanks are trimmed).
// InvalidCharacter or Overflow; "-" followed only by zeros reads as 0.
Result<std::uint32_t> parseDecimalU32(std::string_view text);

}  // namespace orva
