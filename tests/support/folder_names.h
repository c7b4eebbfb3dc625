#pragma once
// The names in a folder, sorted, as UTF-8: what a run left behind. A folder
// that does not exist holds none. Header-only, for the native tests too.
#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace orva::testing {

inline std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::u8string name = it->path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace orva::testing
