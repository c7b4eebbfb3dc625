#pragma once
// The texts of the main window's title and of the failure message.
#include <cstdint>
#include <string_view>

#include "base/error_code.h"
#include "base/fixed_text.h"
#include "view/viewer.h"

namespace orva {

inline constexpr std::string_view kProgramName = "OrvaReader";
inline constexpr std::string_view kLoadingTitle = "OrvaReader - Loading...";

// The document's own title, or else the last component of its path
// ("Untitled" for an empty path).
std::string_view documentDisplayName(std::string_view title, std::string_view path);

// zoom x 100 in single precision, truncated; values that are not a
// non-negative number read as 0, values past the 32-bit range as its top.
std::uint32_t zoomPercent(float zoom);

// The title for the state; `fits()` is false when it overflows 512 bytes,
// and the window's title is then left as it is.
FixedText<512> composeWindowTitle(const Viewer& state);

// "Failed to open file:\n<path>\n\nError: <name>", or "Failed to open file."
// when that does not fit 1024 bytes.
FixedText<1024> composeOpenErrorText(std::string_view path, ErrorCode code);

}  // namespace orva
