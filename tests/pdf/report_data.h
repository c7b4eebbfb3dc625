#pragma once
// The tools' reports captured for the tests, from tests/data/.
#include <fstream>
#include <sstream>
#include <string>

namespace orva::test {

inline std::string reportData(const std::string& name) {
#ifdef _WIN32
    const std::string root = "Z:" ORVA_SOURCE_DIR "/tests/data/";
#else
    const std::string root = ORVA_SOURCE_DIR "/tests/data/";
#endif
    std::ifstream file(root + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}  // namespace orva::test
