#pragma once
// Finding the external tools on this machine and preparing the environment
// they run in.
#include <optional>
#include <string_view>

#include "app/allocator.h"
#include "pdf/environment_map.h"
#include "pdf/tool_search.h"

namespace orva {

// The variable's value from the program's current environment, the name
// matched without regard to case; EnvironmentVariableNotFound when unset.
Result<OwnedString> readEnvironmentVariable(Allocator& allocator, std::string_view name);

// True when the file system reports any object at the path (a folder
// counts); a relative path is taken from the current directory. Any failure
// counts as false.
bool pathExists(Allocator& allocator, std::string_view path);

// The path of "pdftoppm.exe" or "pdfinfo.exe" as searched afresh at every
// call; PdftoppmNotFound for either.
Result<OwnedString> locateTool(Allocator& allocator, std::string_view name);

// The poppler data folder that belongs to the tool, or nothing.
std::optional<OwnedString> findPopplerDataDir(Allocator& allocator, std::string_view toolPath);

// The system's upper-casing of one UTF-16 code unit.
char16_t systemUpcase(char16_t unit);

// A copy of the program's whole environment, "=C:" entries included, with
// POPPLER_DATADIR pointed at the tool's data folder when it has one. Fails
// only when the copy cannot be made; the caller reports its own code.
Result<EnvironmentMap> makeToolEnvironment(Allocator& allocator, std::string_view toolPath);

}  // namespace orva
