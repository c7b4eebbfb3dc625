#include "document/outline.h"

namespace orva {

std::optional<std::uint32_t> entryOfPage(const Outline& outline, std::uint32_t page) {
    std::optional<std::uint32_t> found;
    std::uint32_t foundPage = 0;
    for (std::uint32_t i = 0; i < outline.entries.size(); ++i) {
        const std::uint32_t target = outline.entries[i].page;
        if (target == 0 || target > page || target < foundPage) continue;
        found = i;
        foundPage = target;
    }
    return found;
}

}  // namespace orva
