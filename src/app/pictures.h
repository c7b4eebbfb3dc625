#pragma once
// The pictures the paints lack, asked for in the background once a paint
// has drawn what it has: the part of a PDF page in view at the resolution
// the screen shows it at, when that is above the page's own (the main
// window's and the preview's), and the thumbnails of the pages whose frames
// are in the strip, in runs of pages. What arrives is kept in the document
// (document/page_parts.h, the thumbnail copies of page_memory.h) and drawn
// by the next paint. Nothing here delays a paint or a page change: asking
// only queues a job.
#include <cstdint>

#include "document/page_parts.h"
#include "platform/background_worker.h"

namespace orva {

struct AppState;
struct PrintState;

// A sharp part asked for and not yet arrived, for one view.
struct PartWanted {
    bool pending = false;
    std::uint64_t serial = 0;
    std::uint64_t page = 0;
    ScaledSize scaled;
    PartRect rect;
    // The last part that could not be had: not asked for again until the
    // page or its size on the screen changes.
    std::uint64_t failedSerial = 0;
    std::uint64_t failedPage = 0;
    ScaledSize failedScaled;
};

struct PicturesState {
    PartWanted main;
    PartWanted preview;
    // The document (by serial) whose thumbnails cannot be had: the tool is
    // missing or cannot read it.
    std::uint64_t thumbnailsFailed = 0;
    // Tool runs asked for, parts kept and runs ended for a newer request,
    // for tests and benchmarks.
    std::uint64_t partRuns = 0;
    std::uint64_t thumbnailRuns = 0;
    std::uint64_t partsKept = 0;
    std::uint64_t partsEnded = 0;
};

// A run of thumbnails covers at most this many pages.
inline constexpr std::uint64_t kThumbnailRun = 12;

// After a paint of the main window: the sharp part of the page in view and
// the thumbnails of the frames in view, where they are missing. While a
// tool of the window's own flows runs (a page, an open, a print job) no
// other is started: this timer asks again once it has ended.
inline constexpr std::uintptr_t kPicturesRetryTimer = 0x5049;
void askForPictures(AppState& state);
// After a paint of the preview: its sharp part, where it shows its page
// larger than the page's image.
void askForPreviewPicture(PrintState& state);

// A finished job of JobRegion or JobPreviewRegion, and of JobThumbnails.
void sharpPartArrived(AppState& state, ToolJob& job);
void thumbnailsArrived(AppState& state, ToolJob& job);

}  // namespace orva
