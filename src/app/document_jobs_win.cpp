#include "app/document_jobs.h"

#include "app/bookmarks.h"
#include "app/links.h"
#include "app/page_text.h"
#include "app/pictures.h"
#include "platform/tool_wait.h"

namespace orva {

Status startDocumentJob(AppState& state, ToolJob&& job) {
    Document& document = state.document;
    if (!state.documentLoaded) return fail(ErrorCode::NotSupported);
    if (!document.worker) {
        auto worker = Owned<BackgroundWorker>::make(*state.allocator, *state.allocator, state.mainWindow,
                                                    kJobsFinishedMessage, static_cast<std::uintptr_t>(document.serial));
        if (!worker) return fail(worker.error());
        document.worker = std::move(*worker);
    }
    return document.worker->submit(std::move(job));
}

void onJobsFinished(AppState& state, WPARAM serial) {
    // A late message of a document closed meanwhile: its worker, and all it
    // finished, went with it.
    if (!state.documentLoaded || serial != state.document.serial || !state.document.worker) return;
    // What a result sets off (a search going on to another page) waits
    // while a tool runs or a message box holds the window: the flow that
    // runs then still uses the document.
    if (waitingForTool() || !IsWindowEnabled(state.mainWindow)) {
        SetTimer(state.mainWindow, kJobsRetryTimer, 100, nullptr);
        return;
    }
    KillTimer(state.mainWindow, kJobsRetryTimer);
    OwnedArray<ToolJob> finished = state.document.worker->takeFinished();
    for (ToolJob& job : finished) {
        switch (job.kind) {
            case JobText: textArrived(state, job); break;
            case JobRegion:
            case JobPreviewRegion: sharpPartArrived(state, job); break;
            case JobThumbnails: thumbnailsArrived(state, job); break;
            case JobLinks: linksArrived(state, job); break;
            case JobOutline: outlineArrived(state, job); break;
            default: break;
        }
    }
}

}  // namespace orva
