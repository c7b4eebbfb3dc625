// Native builds make the folder with mkdtemp: private to the user, and
// named by the system so that no two callers ever share it.
#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/unique_folder.h"

namespace orva {

Result<OwnedString> makeUniqueFolder(Allocator& allocator, std::string_view parent, std::string_view prefix) {
    std::string pattern(parent);
    if (!pattern.ends_with('/')) pattern += '/';
    pattern.append(prefix).append("XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) {
        switch (errno) {
            case EEXIST: return fail(ErrorCode::PathAlreadyExists);
            case ENOENT: return fail(ErrorCode::FileNotFound);
            case ENOTDIR: return fail(ErrorCode::NotDir);
            case EACCES:
            case EPERM: return fail(ErrorCode::AccessDenied);
            case EROFS: return fail(ErrorCode::ReadOnlyFileSystem);
            case ENOSPC: return fail(ErrorCode::NoSpaceLeft);
            default: return fail(ErrorCode::Unexpected);
        }
    }
    return OwnedString::copy(allocator, pattern);
}

}  // namespace orva
