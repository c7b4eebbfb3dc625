#pragma once
// The order in which the rasteriser's output files are considered: by the
// page number in their names ("page-7.ppm", "page-007.ppm"), "page.ppm" as
// page 1, anything unreadable last.
#include <cstdint>
#include <span>
#include <string_view>

#include "base/allocator.h"

namespace orva {

inline constexpr std::uint32_t kUnnumberedPpmKey = UINT32_MAX;

std::uint32_t ppmPageKey(std::string_view fileName);

// Ascending by key; names with equal keys keep their order. Sorts in place
// without taking memory.
void sortByPpmPageKey(std::span<OwnedString> names);

}  // namespace orva
