// The program's own environment and file queries, as the system answers them.
#include "platform/environment.h"

#include <winternl.h>

#include "base/utf.h"
#include "base/win32.h"

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

char16_t systemUpcase(char16_t unit) { return static_cast<char16_t>(RtlUpcaseUnicodeChar(unit)); }

Result<EnvironmentMap> copyProgramEnvironment(Allocator& allocator) {
    EnvironmentMap map(allocator, systemUpcase);
    wchar_t* strings = GetEnvironmentStringsW();
    if (strings == nullptr) return fail(ErrorCode::OutOfMemory);
    const char16_t* block = reinterpret_cast<const char16_t*>(strings);
    std::size_t units = 0;
    while (block[units] != 0 || block[units + 1] != 0) ++units;
    const Status copied = addEnvironmentBlock(map, std::u16string_view(block, units + 1));
    FreeEnvironmentStringsW(strings);
    if (!copied) return fail(copied.error());
    return map;
}

}  // namespace orva
