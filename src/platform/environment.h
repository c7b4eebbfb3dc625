#pragma once
// The program's own environment and what the file system says about a path,
// read afresh at every call.
#include <string_view>

#include "base/allocator.h"
#include "platform/environment_map.h"

namespace orva {

// The variable's value from the program's current environment, the name
// matched without regard to case; EnvironmentVariableNotFound when unset.
Result<OwnedString> readEnvironmentVariable(Allocator& allocator, std::string_view name);

// True when the file system reports any object at the path (a folder
// counts); a relative path is taken from the current directory. Any failure
// counts as false.
bool pathExists(Allocator& allocator, std::string_view path);

// The system's upper-casing of one UTF-16 code unit.
char16_t systemUpcase(char16_t unit);

// A copy of the program's whole environment, "=C:" entries included, its
// names compared as the system compares them. OutOfMemory.
Result<EnvironmentMap> copyProgramEnvironment(Allocator& allocator);

}  // namespace orva
