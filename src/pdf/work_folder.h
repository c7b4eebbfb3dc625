#pragma once
// The folder in the user's temporary folder ("Orva\work") where the
// rasteriser writes its output. It exists only while one page is rendered.
// Every instance of the program under the same temporary folder uses the same
// one, so a render holds it exclusively, across processes, from the moment it
// is prepared until it has been removed again.
#include <cstdint>
#include <string_view>

#include "base/allocator.h"
#include "base/scoped_win.h"

namespace orva {

class WorkFolder {
public:
    WorkFolder(Allocator& allocator, OwnedString&& path, HeldMutex&& lock)
        : allocator_(&allocator), path_(std::move(path)), lock_(std::move(lock)) {}
    WorkFolder(WorkFolder&& other) noexcept;
    WorkFolder& operator=(WorkFolder&&) = delete;
    WorkFolder(const WorkFolder&) = delete;
    ~WorkFolder() { remove(); }

    std::string_view path() const noexcept { return path_.view(); }
    // Where the rasteriser runs and writes: the work folder itself, or a
    // folder of this render's own inside it when the work folder could not
    // be emptied first.
    std::string_view outputPath() const noexcept { return runFolder_.empty() ? path_.view() : runFolder_.view(); }
    // Deletes the folder with everything in it, then lets other renders in.
    // Runs once; later calls do nothing.
    void remove();

private:
    friend Result<WorkFolder> prepareWorkFolder(Allocator&, std::uint32_t);

    Allocator* allocator_;
    OwnedString path_;
    OwnedString runFolder_;
    HeldMutex lock_;
    bool removed_ = false;
};

// How long a render waits for another program's render in the same work
// folder to finish before it gives up with Timeout.
inline constexpr std::uint32_t kWorkFolderWaitMilliseconds = 10'000;

// The work folder from TEMP (or TMP), existing and empty, with a parent or
// temporary root that did not exist created on the way. TempDirUnavailable,
// OutOfMemory, NotDir, Timeout, or the file system's code (AccessDenied,
// ReadOnlyFileSystem, ...) of whatever stood in the way.
Result<WorkFolder> prepareWorkFolder(Allocator& allocator,
                                     std::uint32_t waitMilliseconds = kWorkFolderWaitMilliseconds);

// Deletes the entry at `path` inside its parent with everything below it.
// A symbolic link or junction is removed as a link, never followed. Failures
// are ignored: whatever resists deletion stays.
void removeWorkFolder(Allocator& allocator, std::string_view path);

}  // namespace orva
