#include "platform/unique_folder.h"

#include <cstring>

#include "base/fixed_text.h"
#include "base/win32.h"

namespace orva {

// prefix, this process's id, "-" and a number that grows with each call.
Result<OwnedString> makeUniqueFolder(Allocator& allocator, std::string_view parent, std::string_view prefix) {
    static std::uint32_t counter = 0;
    const bool separated = parent.ends_with('\\') || parent.ends_with('/');
    for (int attempt = 0; attempt < 100; ++attempt) {
        FixedText<64> name;
        name.append(separated ? "" : "\\").append(prefix).appendDecimal(GetCurrentProcessId()).append("-");
        name.appendDecimal(++counter);
        if (!name.fits()) return fail(ErrorCode::NameTooLong);
        auto bytes = OwnedArray<char>::create(allocator, parent.size() + name.view().size());
        if (!bytes) return fail(bytes.error());
        std::memcpy(bytes->data(), parent.data(), parent.size());
        std::memcpy(bytes->data() + parent.size(), name.view().data(), name.view().size());
        OwnedString path = OwnedString::adopt(std::move(*bytes));
        auto wide = toWidePath(allocator, path.view());
        if (!wide) return fail(wide.error());
        if (CreateDirectoryW(wideChars(*wide), nullptr)) return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return fail(errorFromWin32(GetLastError()));
    }
    return fail(ErrorCode::PathAlreadyExists);
}

}  // namespace orva
