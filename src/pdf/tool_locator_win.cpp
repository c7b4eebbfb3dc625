#include "pdf/tool_locator.h"

#include <winternl.h>

#include "app/utf.h"
#include "platform/final_path.h"
#include "platform/win32.h"

extern "C" NTSTATUS NTAPI NtQueryAttributesFile(POBJECT_ATTRIBUTES attributes, PFILE_BASIC_INFORMATION information);
extern "C" WCHAR NTAPI RtlUpcaseUnicodeChar(WCHAR unit);

namespace orva {

Result<OwnedString> readEnvironmentVariable(Allocator& allocator, std::string_view name) {
    auto wideName = toWide(allocator, name);
    if (!wideName) return fail(wideName.error());
    DWORD capacity = 256;
    for (;;) {
        auto buffer = OwnedArray<char16_t>::createUninitialized(allocator, capacity);
        if (!buffer) return fail(buffer.error());
        SetLastError(ERROR_SUCCESS);
        const DWORD units =
            GetEnvironmentVariableW(wideChars(*wideName), reinterpret_cast<wchar_t*>(buffer->data()), capacity);
        // 0 is both "unset" and an empty value; only the error tells them apart.
        if (units == 0 && GetLastError() != ERROR_SUCCESS) return fail(errorFromWin32(GetLastError()));
        if (units < capacity) return utf16ToUtf8(allocator, std::u16string_view(buffer->data(), units));
        capacity = units;
    }
}

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

bool pathExists(Allocator& allocator, std::string_view path) {
    auto wide = toWide(allocator, path);
    if (!wide) return false;
    UNICODE_STRING native{};
    if (!RtlDosPathNameToNtPathName_U(wideChars(*wide), &native, nullptr, nullptr)) return false;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &native, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    FILE_BASIC_INFORMATION information{};
    const NTSTATUS status = NtQueryAttributesFile(&attributes, &information);
    RtlFreeUnicodeString(&native);
    return status >= 0;
}

Result<OwnedString> locateTool(Allocator& allocator, std::string_view name) {
    SystemToolHost host(allocator);
    return searchTool(host, allocator, name);
}

std::optional<OwnedString> findPopplerDataDir(Allocator& allocator, std::string_view toolPath) {
    SystemToolHost host(allocator);
    return searchPopplerDataDir(host, allocator, toolPath);
}

char16_t systemUpcase(char16_t unit) { return static_cast<char16_t>(RtlUpcaseUnicodeChar(unit)); }

Result<EnvironmentMap> makeToolEnvironment(Allocator& allocator, std::string_view toolPath) {
    EnvironmentMap map(allocator, systemUpcase);
    wchar_t* strings = GetEnvironmentStringsW();
    if (strings == nullptr) return fail(ErrorCode::OutOfMemory);
    const char16_t* block = reinterpret_cast<const char16_t*>(strings);
    std::size_t units = 0;
    while (block[units] != 0 || block[units + 1] != 0) ++units;
    const Status copied = addEnvironmentBlock(map, std::u16string_view(block, units + 1));
    FreeEnvironmentStringsW(strings);
    if (!copied) return fail(copied.error());
    if (auto dataDir = findPopplerDataDir(allocator, toolPath)) {
        // Without the data folder the tool still runs; a failure here is not reported.
        (void)map.set("POPPLER_DATADIR", dataDir->view());
    }
    return map;
}

}  // namespace orva
