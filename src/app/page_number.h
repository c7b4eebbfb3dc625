#pragma once
// The page number a reader types in Go to Page.
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/fixed_text.h"

namespace orva {

// The 0-based index of the page typed: decimal digits, spaces around them
// allowed, from 1 to the page count; nothing for anything else.
std::optional<std::uint64_t> parsePageNumber(std::string_view text, std::uint64_t pageCount);

// What the dialog says to an answer it refuses.
FixedText<96> pageNumberRefusal(std::uint64_t pageCount);

}  // namespace orva
