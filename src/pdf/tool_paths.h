#pragma once
// Text rules for the paths of the external tools, their data and their work
// folder. Nothing here touches the file system: "." and ".." stay as written.
#include <initializer_list>
#include <optional>
#include <string_view>

#include "base/allocator.h"

namespace orva {

// Parts joined with one "\" between them. No separator is added where the
// left side already ends with "\" or "/" or the right part begins with one;
// where both do, the right part's leading separator is dropped. Empty parts
// are left out. OutOfMemory.
Result<OwnedString> joinPaths(Allocator& allocator, std::initializer_list<std::string_view> parts);

// Everything before the last "\" or "/", separators at the very end ignored,
// with a drive ("C:\") or share ("\\server\share\") root kept whole. Nothing
// for a path without a separator, or one that is only a root.
std::optional<std::string_view> folderPart(std::string_view path);

// The entries of a search path: split at every ";", spaces and tabs stripped
// from both ends, empty entries skipped. Quotes and variables stay as written.
class SearchPathEntries {
public:
    explicit SearchPathEntries(std::string_view value) : rest_(value) {}
    bool next(std::string_view& entry);

private:
    std::string_view rest_;
    bool done_ = false;
};

// The temporary root joined with "Orva" and "work".
Result<OwnedString> workFolderPathFor(Allocator& allocator, std::string_view temporaryRoot);

}  // namespace orva
