#include "pdf/ppm_page_key.h"

#include <utility>

#include "pdf/decimal_field.h"

namespace orva {

std::uint32_t ppmPageKey(std::string_view fileName) {
    if (fileName == "page.ppm") return 1;
    if (fileName.size() < 4 || !fileName.ends_with(".ppm")) return kUnnumberedPpmKey;
    const std::string_view stem = fileName.substr(0, fileName.size() - 4);
    const std::size_t dash = stem.rfind('-');
    if (dash == std::string_view::npos) return kUnnumberedPpmKey;
    const auto number = parseDecimalU32(stem.substr(dash + 1));
    return number ? *number : kUnnumberedPpmKey;
}

void sortByPpmPageKey(std::span<OwnedString> names) {
    // Normally one name; an insertion sort is stable and needs no buffer.
    for (std::size_t i = 1; i < names.size(); ++i) {
        const std::uint32_t key = ppmPageKey(names[i].view());
        std::size_t j = i;
        while (j > 0 && ppmPageKey(names[j - 1].view()) > key) {
            std::swap(names[j - 1], names[j]);
            --j;
        }
    }
}

}  // namespace orva
