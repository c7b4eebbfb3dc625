#pragma once
// A folder that one caller alone has made: the viewer's render when its work
// folder could not be emptied, the toolkit's run in the temporary folder.
#include <string_view>

#include "base/allocator.h"

namespace orva {

// A new folder inside `parent` whose name starts with `prefix`. Making it
// fails where the name is taken, so whatever else lies in `parent` (another
// program's folder, one left by a run that was killed) is never shared. Its
// path; PathAlreadyExists once a hundred names were taken, BadPathName for
// a parent that is not UTF-8, or the file system's code.
Result<OwnedString> makeUniqueFolder(Allocator& allocator, std::string_view parent, std::string_view prefix);

}  // namespace orva
