#include <iostream>

#include "orvatool.h"
#include "tool_host.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return orvatool::runOrvatool(args, std::cout, std::cerr, {.showProgress = orvatool::standardErrorIsTerminal()});
}
