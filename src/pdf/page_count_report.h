#pragma once
// The page count in the report the PDF information tool prints.
#include <cstdint>
#include <string_view>

#include "base/error_code.h"

namespace orva {

// The number on the first line that begins with "Pages:" once spaces and
// carriage returns are stripped from its ends. PdfInfoFailed when there is no
// such line or no number field after it; the number's own InvalidCharacter or
// Overflow; NoPages for 0.
Result<std::uint32_t> parsePageCountReport(std::string_view report);

// False when the report's "Encrypted:" line says "copy:no": the document's
// permissions forbid copying its text. Anything else allows it.
bool reportAllowsCopying(std::string_view report);

}  // namespace orva
