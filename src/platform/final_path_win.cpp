#include "platform/final_path.h"

#include "base/scoped_win.h"
#include "base/utf.h"

namespace orva {

Result<OwnedString> resolveFinalPath(Allocator& allocator, std::string_view path) {
    auto wide = toWidePath(allocator, path);
    if (!wide) return fail(wide.error());
    // Opening with no access rights is enough to ask for the final name, and
    // a folder opens only with backup semantics.
    const UniqueHandle file(CreateFileW(wideChars(*wide), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return fail(errorFromWin32(GetLastError()));
    const DWORD units = GetFinalPathNameByHandleW(file.get(), nullptr, 0, FILE_NAME_NORMALIZED);
    if (units == 0) return fail(errorFromWin32(GetLastError()));
    auto buffer = OwnedArray<char16_t>::createUninitialized(allocator, units);
    if (!buffer) return fail(buffer.error());
    const DWORD written =
        GetFinalPathNameByHandleW(file.get(), reinterpret_cast<wchar_t*>(buffer->data()), units, FILE_NAME_NORMALIZED);
    if (written == 0 || written >= units) return fail(errorFromWin32(GetLastError()));
    std::u16string_view full(buffer->data(), written);
    // "\\?\C:\x" becomes "C:\x"; "\\?\UNC\server\share" becomes "\\server\share".
    if (full.starts_with(u"\\\\?\\UNC\\")) {
        auto unc = utf16ToUtf8(allocator, full.substr(7));
        if (!unc) return unc;
        auto withPrefix = OwnedArray<char>::createUninitialized(allocator, unc->size() + 1);
        if (!withPrefix) return fail(withPrefix.error());
        (*withPrefix)[0] = '\\';
        std::memcpy(withPrefix->data() + 1, unc->view().data(), unc->size());
        return OwnedString::adopt(std::move(*withPrefix));
    }
    if (full.starts_with(u"\\\\?\\")) full.remove_prefix(4);
    return utf16ToUtf8(allocator, full);
}

}  // namespace orva
