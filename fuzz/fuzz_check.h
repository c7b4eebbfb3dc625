#pragma once
// What a fuzz target does when the code under test breaks one of its
// promises: says which, and aborts so that the fuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

namespace orva::fuzz {

inline void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

}  // namespace orva::fuzz
