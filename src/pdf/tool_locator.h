#pragma once
// Finding the external tools on this machine and preparing the environment
// they run in.
#include <optional>
#include <string_view>

#include "base/allocator.h"
#include "pdf/tool_search.h"
#include "platform/environment.h"
#include "platform/environment_map.h"

namespace orva {



// The path of "pdftoppm.exe" or "pdfinfo.exe" as searched afresh at every
// call; PdftoppmNotFound for either.
Result<OwnedString> locateTool(Allocator& allocator, std::string_view name);

// "pdftotext.exe" or "pdftohtml.exe": beside the pdftoppm in use, or else
// searched as the others are; PdftoppmNotFound.
Result<OwnedString> locateCompanionTool(Allocator& allocator, std::string_view name);

// The poppler data folder that belongs to the tool, or nothing.
std::optional<OwnedString> findPopplerDataDir(Allocator& allocator, std::string_view toolPath);


// A copy of the program's whole environment, "=C:" entries included, with
// POPPLER_DATADIR pointed at the tool's data folder when it has one. Fails
// only when the copy cannot be made; the caller reports its own code.
Result<EnvironmentMap> makeToolEnvironment(Allocator& allocator, std::string_view toolPath);

}  // namespace orva
