#pragma once
// The command-line toolkit for containers: pack page images into one,
// describe and check one, extract its pages again.
#include <ostream>
#include <string>
#include <vector>

namespace orvatool {

// Runs one command line (without the program name); returns the exit status.
int runOrvatool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace orvatool
