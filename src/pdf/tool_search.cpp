#include "pdf/tool_search.h"

#include "pdf/tool_paths.h"

namespace orva {

namespace {

constexpr std::string_view kInstalledPdftoppm[] = {
    "C:\\poppler\\Library\\bin\\pdftoppm.exe",
    "C:\\Program Files\\poppler\\Library\\bin\\pdftoppm.exe",
    "C:\\Program Files (x86)\\poppler\\Library\\bin\\pdftoppm.exe",
};

// A candidate that cannot be formed counts as one that does not exist.
std::optional<OwnedString> existing(ToolSearchHost& host, Result<OwnedString>&& candidate) {
    if (!candidate || !host.pathExists(candidate->view())) return std::nullopt;
    return std::move(*candidate);
}

}  // namespace

Result<OwnedString> searchTool(ToolSearchHost& host, Allocator& allocator, std::string_view name) {
    if (name == kPdftoppmName) {
        if (auto override = host.environmentVariable(allocator, "PDFTOPPM_PATH");
            override && host.pathExists(override->view())) {
            return std::move(*override);
        }
    }
    if (auto program = host.programPath(allocator)) {
        if (const auto folder = folderPart(program->view())) {
            if (auto found = existing(host, joinPaths(allocator, {*folder, name}))) return std::move(*found);
            if (auto found = existing(host, joinPaths(allocator, {*folder, "poppler", name}))) {
                return std::move(*found);
            }
        }
    }
    for (std::string_view installed : kInstalledPdftoppm) {
        if (auto found = existing(host, joinPaths(allocator, {*folderPart(installed), name}))) {
            return std::move(*found);
        }
    }
    auto searchPath = host.environmentVariable(allocator, "PATH");
    if (!searchPath) return fail(ErrorCode::PdftoppmNotFound);
    SearchPathEntries entries(searchPath->view());
    for (std::string_view entry; entries.next(entry);) {
        if (auto found = existing(host, joinPaths(allocator, {entry, name}))) return std::move(*found);
    }
    return fail(ErrorCode::PdftoppmNotFound);
}

Result<OwnedString> searchCompanionTool(ToolSearchHost& host, Allocator& allocator, std::string_view name) {
    if (auto rasteriser = searchTool(host, allocator, kPdftoppmName)) {
        if (const auto folder = folderPart(rasteriser->view())) {
            if (auto found = existing(host, joinPaths(allocator, {*folder, name}))) return std::move(*found);
        }
    }
    return searchTool(host, allocator, name);
}

std::optional<OwnedString> searchPopplerDataDir(ToolSearchHost& host, Allocator& allocator,
                                                std::string_view toolPath) {
    const auto folder = folderPart(toolPath);
    if (!folder) return std::nullopt;
    if (auto found = existing(host, joinPaths(allocator, {*folder, "share", "poppler"}))) return found;
    if (auto found = existing(host, joinPaths(allocator, {*folder, "..", "share", "poppler"}))) return found;
    return existing(host, joinPaths(allocator, {*folder, "..", "..", "share", "poppler"}));
}

}  // namespace orva
