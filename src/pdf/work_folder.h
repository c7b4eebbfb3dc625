#pragma once
// The folder in the user's temporary folder ("Orva\work") where the
// rasteriser writes its output. It exists only while one page is rendered.
// Every instance of the program under the same temporary folder uses the same
// one, so a render holds it exclusively, across processes, from the moment it
// is prepared until it has been removed again.
#include <string_view>

#include "app/allocator.h"

namespace orva {

class WorkFolder {
public:
    WorkFolder(Allocator& allocator, OwnedString&& path, void* lock)
        : allocator_(&allocator), path_(std::move(path)), lock_(lock) {}
    WorkFolder(WorkFolder&& other) noexcept;
    WorkFolder& operator=(WorkFolder&&) = delete;
    WorkFolder(const WorkFolder&) = delete;
    ~WorkFolder() { remove(); }

    std::string_view path() const noexcept { return path_.view(); }
    // Deletes the folder with everything in it, then lets other renders in.
    // Runs once; later calls do nothing.
    void remove();

private:
    Allocator* allocator_;
    OwnedString path_;
    void* lock_;
    bool removed_ = false;
};

// The work folder from TEMP (or TMP), existing and empty, with a parent or
// temporary root that did not exist created on the way. TempDirUnavailable,
// OutOfMemory, NotDir, or the file system's code.
Result<WorkFolder> prepareWorkFolder(Allocator& allocator);

// Deletes the entry at `path` inside its parent with everything below it.
// A symbolic link or junction is removed as a link, never followed. Failures
// are ignored: whatever resists deletion stays.
void removeWorkFolder(Allocator& allocator, std::string_view path);

}  // namespace orva
