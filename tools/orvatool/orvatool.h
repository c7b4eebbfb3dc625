#pragma once
// The command-line toolkit for containers: pack page images into one, make
// one from a PDF, describe and check one, extract its pages again.
#include <ostream>
#include <string>
#include <vector>

namespace orvatool {

// Exit statuses: done, failed (the message says why), a command line the
// toolkit does not understand. An interrupted run ends with 128 + the signal.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 128;

struct RunContext {
    // Progress lines on `err`, each overwriting the last: for a terminal.
    bool showProgress = false;
};

// Runs one command line (without the program name); returns the exit status.
int runOrvatool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const RunContext& context = {});

}  // namespace orvatool
