#pragma once
// Composes a container: header, title, page index, then the pages' data in
// page order.
#include <cstdint>
#include <expected>
#include <string>
#include <vector>

#include "image_io.h"

namespace orvatool {

struct PackOptions {
    bool runLength = true;
    std::uint16_t dpi = 150;
    std::string title;
};

std::expected<std::vector<std::uint8_t>, std::string> buildContainer(const PackOptions& options,
                                                                      const std::vector<Image>& pages);

}  // namespace orvatool
