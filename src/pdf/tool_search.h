#pragma once
// Where the external tools are looked for, and where their data lies, as
// decisions over what a host reports about the machine: its environment, the
// program's own path and which paths exist. The program's host asks the
// system; tests hand in a machine of their own.
#include <optional>
#include <string_view>

#include "base/allocator.h"

namespace orva {

inline constexpr std::string_view kPdftoppmName = "pdftoppm.exe";
inline constexpr std::string_view kPdfinfoName = "pdfinfo.exe";
inline constexpr std::string_view kPdftotextName = "pdftotext.exe";
inline constexpr std::string_view kPdftohtmlName = "pdftohtml.exe";

class ToolSearchHost {
public:
    virtual ~ToolSearchHost() = default;
    // The variable's value; any failure (unset, unreadable) means "not set".
    virtual Result<OwnedString> environmentVariable(Allocator& allocator, std::string_view name) = 0;
    // The running program's executable, links resolved; a failure skips the
    // places beside the program.
    virtual Result<OwnedString> programPath(Allocator& allocator) = 0;
    virtual bool pathExists(std::string_view path) = 0;
};

// The first existing candidate: PDFTOPPM_PATH (for pdftoppm only), beside the
// program and in its "poppler" folder, the fixed install folders, then every
// PATH entry. PdftoppmNotFound for either tool.
Result<OwnedString> searchTool(ToolSearchHost& host, Allocator& allocator, std::string_view name);

// A tool that belongs with the rasteriser (the text and HTML tools): beside
// the pdftoppm that searchTool finds first, so that both come from one
// poppler, and otherwise wherever searchTool finds it.
Result<OwnedString> searchCompanionTool(ToolSearchHost& host, Allocator& allocator, std::string_view name);

// share\poppler in the tool's folder, or one or two levels above it (the ".."
// stays in the returned path); nothing when none exists.
std::optional<OwnedString> searchPopplerDataDir(ToolSearchHost& host, Allocator& allocator, std::string_view toolPath);

}  // namespace orva
