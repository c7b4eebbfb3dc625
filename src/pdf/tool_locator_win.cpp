#include "pdf/tool_locator.h"

#include "base/utf.h"
#include "base/win32.h"
#include "platform/environment.h"
#include "platform/final_path.h"


namespace orva {

namespace {

Result<OwnedString> runningProgramPath(Allocator& allocator) {
    for (DWORD capacity = MAX_PATH;; capacity *= 2) {
        auto buffer = OwnedArray<char16_t>::createUninitialized(allocator, capacity);
        if (!buffer) return fail(buffer.error());
        const DWORD units = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(buffer->data()), capacity);
        if (units == 0) return fail(errorFromWin32(GetLastError()));
        if (units < capacity) {
            auto path = utf16ToUtf8(allocator, std::u16string_view(buffer->data(), units));
            if (!path) return path;
            return resolveFinalPath(allocator, path->view());
        }
        if (capacity >= 32768) return fail(ErrorCode::NameTooLong);
    }
}

class SystemToolHost final : public ToolSearchHost {
public:
    explicit SystemToolHost(Allocator& allocator) : allocator_(allocator) {}
    Result<OwnedString> environmentVariable(Allocator& allocator, std::string_view name) override {
        return readEnvironmentVariable(allocator, name);
    }
    Result<OwnedString> programPath(Allocator& allocator) override { return runningProgramPath(allocator); }
    bool pathExists(std::string_view path) override { return orva::pathExists(allocator_, path); }

private:
    Allocator& allocator_;
};

}  // namespace

Result<OwnedString> locateTool(Allocator& allocator, std::string_view name) {
    SystemToolHost host(allocator);
    return searchTool(host, allocator, name);
}

Result<OwnedString> locateCompanionTool(Allocator& allocator, std::string_view name) {
    SystemToolHost host(allocator);
    return searchCompanionTool(host, allocator, name);
}

std::optional<OwnedString> findPopplerDataDir(Allocator& allocator, std::string_view toolPath) {
    SystemToolHost host(allocator);
    return searchPopplerDataDir(host, allocator, toolPath);
}


Result<EnvironmentMap> makeToolEnvironment(Allocator& allocator, std::string_view toolPath) {
    auto map = copyProgramEnvironment(allocator);
    if (!map) return fail(map.error());
    if (auto dataDir = findPopplerDataDir(allocator, toolPath)) {
        // Without the data folder the tool still runs; a failure here is not reported.
        (void)map->set("POPPLER_DATADIR", dataDir->view());
    }
    return map;
}

}  // namespace orva
