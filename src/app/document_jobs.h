#pragma once
// The open document's background jobs as the window sees them: the kinds
// there are, how urgent each is, how one is started and where a finished
// one goes. Everything here runs on the window's thread; the jobs' tools run
// on the document's worker (platform/background_worker.h).
#include <cstdint>

#include "app/app_state.h"
#include "base/win32.h"
#include "platform/background_worker.h"

namespace orva {

// Posted by the worker when a job has finished; wParam is the serial of the
// document it belongs to.
inline constexpr UINT kJobsFinishedMessage = WM_APP + 1;

enum JobKind : std::uint32_t {
    JobText = 1,        // pdftotext: the text of a run of pages
    JobRegion = 2,      // pdftoppm: a part of the shown page at the screen's resolution
    JobThumbnails = 3,  // pdftoppm: thumbnails of a run of pages
    JobLinks = 4,       // pdftohtml: the links of the shown page
    JobOutline = 5,     // pdftohtml: the outline
    JobPreviewRegion = 6,  // pdftoppm: a part of the previewed page at the preview's resolution
};

// Lower runs first.
enum JobPriority : std::uint32_t {
    PriorityShownPage = 0,  // what the reader looks at now: a sharp part, a page's text to select
    PriorityPanel = 1,      // the links of the shown page, the outline of a panel just shown
    PrioritySearch = 2,     // text runs of a search
    PriorityThumbnails = 3,
};

// Queues a job for the open document, making its worker with the first.
// OutOfMemory, SpawnFailed, NotSupported (no document).
Status startDocumentJob(AppState& state, ToolJob&& job);

// Finished jobs that arrived while a tool ran or a box held the window are
// taken up again when this timer fires.
inline constexpr UINT_PTR kJobsRetryTimer = 0x4A4F;

// Takes the finished jobs of the open document and hands each to its kind's
// handler; a message for a document no longer open finds nothing to take.
void onJobsFinished(AppState& state, WPARAM serial);

}  // namespace orva
