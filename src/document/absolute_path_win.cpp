#include "document/absolute_path.h"

#include "document/path_rules.h"
#include "platform/final_path.h"

namespace orva {

Result<OwnedString> makeAbsolutePath(Allocator& allocator, std::string_view path) {
    if (isAbsolutePath(path)) return OwnedString::copy(allocator, path);
    return resolveFinalPath(allocator, path);
}

}  // namespace orva
