#include "app/pictures.h"

#include "app/app_state.h"
#include "app/document_jobs.h"
#include "document/page_memory.h"
#include "pdf/ppm_reader.h"
#include "pdf/tool_jobs.h"
#include "platform/tool_wait.h"
#include "platform/window_kit.h"
#include "view/view.h"
#include "print/print_layout.h"
#include "view/page_picture.h"
#include "view/sharp_parts.h"
#include "view/view_geometry.h"

namespace orva {

namespace {

ClientArea clientOf(HWND window) {
    RECT rect{};
    if (window != nullptr) GetClientRect(window, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

PartWanted& wantedFor(AppState& state, std::uint32_t kind) {
    return kind == JobPreviewRegion ? state.pictureJobs.preview : state.pictureJobs.main;
}

bool failedBefore(const PartWanted& wanted, std::uint64_t serial, std::uint64_t page, ScaledSize scaled) {
    return wanted.failedSerial == serial && wanted.failedPage == page && wanted.failedScaled == scaled;
}

bool holds(const PartRect& outer, const PartRect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y &&
           std::uint64_t{inner.x} + inner.width <= std::uint64_t{outer.x} + outer.width &&
           std::uint64_t{inner.y} + inner.height <= std::uint64_t{outer.y} + outer.height;
}

// Asks for the sharp part a view lacks: `view` is where the page is drawn,
// `shown` where and how large. Only the newest request runs: one still
// queued or running for this view is ended first.
void askForPart(AppState& state, std::uint32_t kind, std::uint64_t index, const ClientRect& view,
                const ShownPage& shown) {
    Document& document = state.document;
    PartWanted& wanted = wantedFor(state, kind);
    const PageImage& page = document.pages[index];
    const auto visible = wantedPart(view, shown, 0);
    if (!shownLarger(shown, page.width, page.height) || !visible) {
        // Shown at or below its own size again: nothing sharper is needed.
        if (wanted.pending && document.worker) document.worker->cancel(kind);
        wanted.pending = false;
        return;
    }
    const ScaledSize scaled = scaledPageSize(shown);
    if (partHolding(document, index, scaled, *visible) != nullptr) return;
    if (wanted.pending && wanted.serial == document.serial && wanted.page == index && wanted.scaled == scaled &&
        holds(wanted.rect, *visible))
        return;
    if (failedBefore(wanted, document.serial, index, scaled)) return;
    const PartRect rect = *wantedPart(view, shown, kSharpMargin);
    const PictureRequest request{index, scaled.width, scaled.height, rect.x, rect.y, rect.width, rect.height};
    auto job = makePictureJob(*state.allocator, document, request);
    if (!job) return;
    job->kind = kind;
    job->priority = PriorityShownPage;
    if (document.worker) document.worker->cancel(kind);
    wanted.pending = false;
    if (!startDocumentJob(state, std::move(*job))) return;
    wanted = PartWanted{true, document.serial, index, scaled, rect, wanted.failedSerial, wanted.failedPage,
                        wanted.failedScaled};
    ++state.pictureJobs.partRuns;
}

bool lacksThumbnail(const Document& document, std::uint64_t index) {
    return !document.pages[index].present && !hasThumbnailCopy(document, index);
}

// One run for the frames in view that lack a picture: from the first of
// them, the pages around it that lack one too, up to kThumbnailRun, so that
// scrolling either way finds the next pages done. One run at a time.
void askForThumbnails(AppState& state) {
    Document& document = state.document;
    if (state.pictureJobs.thumbnailsFailed == document.serial) return;
    if (document.worker && document.worker->pending(JobThumbnails)) return;
    const PageRange visible = visibleThumbnails(viewClientArea(state), state.sidebarScroll, document.pageCount());
    std::uint64_t start = visible.end;
    for (std::uint64_t i = visible.first; i < visible.end; ++i) {
        if (lacksThumbnail(document, i)) {
            start = i;
            break;
        }
    }
    if (start == visible.end) return;
    std::uint64_t first = start, last = start;
    for (bool grown = true; grown && last - first + 1 < kThumbnailRun;) {
        grown = false;
        if (last + 1 < document.pageCount() && lacksThumbnail(document, last + 1)) ++last, grown = true;
        if (last - first + 1 < kThumbnailRun && first > 0 && lacksThumbnail(document, first - 1)) --first, grown = true;
    }
    auto job = makeThumbnailJob(*state.allocator, document, first, last);
    if (!job) {
        if (job.error() == ErrorCode::PdftoppmNotFound) state.pictureJobs.thumbnailsFailed = document.serial;
        return;
    }
    job->kind = JobThumbnails;
    job->priority = PriorityThumbnails;
    if (startDocumentJob(state, std::move(*job))) ++state.pictureJobs.thumbnailRuns;
}

void invalidatePageView(AppState& state) {
    const ClientArea client = viewClientArea(state);
    const RECT view{client.left + sidebarWidth(client), client.top + bandHeight(client), client.right,
                    client.bottom - bandHeight(client)};
    InvalidateRect(state.mainWindow, &view, FALSE);
}

}  // namespace

void askForPictures(AppState& state) {
    if (!state.documentLoaded || !state.document.isPdf() || state.mainWindow == nullptr) return;
    if (waitingForTool()) {
        SetTimer(state.mainWindow, kPicturesRetryTimer, 100, nullptr);
        return;
    }
    KillTimer(state.mainWindow, kPicturesRetryTimer);
    Document& document = state.document;
    if (state.currentPage < document.pageCount() && document.pages[state.currentPage].present) {
        const PageImage& page = document.pages[state.currentPage];
        const ClientArea client = viewClientArea(state);
        const PagePlacement placement =
            placePage(client, page.width, page.height, displayZoom(state), state.scrollX, state.scrollY, state.quarterTurns);
        const ClientRect view{client.left + sidebarWidth(client), client.top + bandHeight(client), client.right,
                              client.bottom - bandHeight(client)};
        askForPart(state, JobRegion, state.currentPage, view, shownPage(placement));
    }
    askForThumbnails(state);
}

void askForPreviewPicture(PrintState& print) {
    AppState& state = static_cast<AppState&>(print);
    if (!state.previewOpen || !state.documentLoaded || !state.document.isPdf()) return;
    // Asked again with the main window's, once the tool has ended.
    if (waitingForTool()) {
        SetTimer(state.mainWindow, kPicturesRetryTimer, 100, nullptr);
        return;
    }
    Document& document = state.document;
    if (state.previewPage >= document.pageCount() || !document.pages[state.previewPage].present) return;
    const PageImage& page = document.pages[state.previewPage];
    const ClientArea client = clientOf(state.previewWindow);
    const PictureSize turned = turnedSize(page.width, page.height, state.quarterTurns);
    const PreviewLayout layout =
        layoutPreview(client.right - client.left, client.bottom - client.top, turned.width, turned.height,
                      windowDpi(state.previewWindow));
    const ShownPage shown{layout.image.x, layout.image.y, static_cast<std::uint32_t>(layout.image.width),
                          static_cast<std::uint32_t>(layout.image.height), state.quarterTurns};
    askForPart(state, JobPreviewRegion, state.previewPage, {client.left, client.top, client.right, client.bottom},
               shown);
}

void sharpPartArrived(AppState& state, ToolJob& job) {
    Document& document = state.document;
    PartWanted& wanted = wantedFor(state, job.kind);
    const PictureRequest request = pictureRequestOf(job);
    const ScaledSize scaled{request.scaledWidth, request.scaledHeight};
    const PartRect rect{request.x, request.y, request.width, request.height};
    if (wanted.pending && wanted.page == request.page && wanted.scaled == scaled && wanted.rect == rect)
        wanted.pending = false;
    // Ended for a newer request: that one is on its way.
    if (!job.outcome && job.outcome.error() == ErrorCode::Canceled) {
        ++state.pictureJobs.partsEnded;
        return;
    }
    if (request.page >= document.pageCount()) return;
    auto picture = job.outcome && job.exitCode == 0 ? readPpmBytes(*state.allocator, job.output.span())
                                                    : Result<PpmInMemory>(fail(ErrorCode::PdftoppmFailed));
    // A part larger than asked for, or past the page, is not the one asked for.
    if (!picture || picture->image.width > rect.width || picture->image.height > rect.height ||
        picture->image.width == 0 || picture->image.height == 0) {
        wanted.failedSerial = document.serial;
        wanted.failedPage = request.page;
        wanted.failedScaled = scaled;
        return;
    }
    job.output.reset();
    PagePart part;
    part.picture = std::move(picture->image);
    part.page = request.page;
    part.scaledWidth = scaled.width;
    part.scaledHeight = scaled.height;
    part.x = rect.x;
    part.y = rect.y;
    keepPart(document, std::move(part));
    ++state.pictureJobs.partsKept;
    keepWithinBudget(document, state.currentPage);
    if (job.kind == JobPreviewRegion) {
        if (state.previewOpen) InvalidateRect(state.previewWindow, nullptr, FALSE);
    } else {
        invalidatePageView(state);
    }
}

void thumbnailsArrived(AppState& state, ToolJob& job) {
    Document& document = state.document;
    if (!job.outcome && job.outcome.error() == ErrorCode::Canceled) return;
    const std::uint64_t first = job.key[0], last = job.key[1];
    if (!job.outcome || job.exitCode != 0 || last < first || last >= document.pageCount()) {
        // The tool cannot read this document: asking again would fail again.
        state.pictureJobs.thumbnailsFailed = document.serial;
        return;
    }
    auto images = readPpmSequence(*state.allocator, job.output.span(), static_cast<std::size_t>(last - first + 1));
    job.output.reset();
    // A run that gave fewer pages than asked for would be asked for again
    // and again: the document's thumbnails are left to its pages.
    if (!images || images->size() != last - first + 1) {
        state.pictureJobs.thumbnailsFailed = document.serial;
        return;
    }
    for (std::size_t i = 0; i < images->size(); ++i) {
        const std::uint64_t index = first + i;
        if (hasThumbnailCopy(document, index)) continue;
        // Drawn at its own size: fitted to the strip's box as a released
        // page's copy is.
        auto copy = shrinkPage(*state.allocator, (*images)[i]);
        if (copy) keepThumbnailCopy(document, index, std::move(*copy));
    }
    keepWithinBudget(document, state.currentPage);
    const ClientArea client = viewClientArea(state);
    const RECT strip{client.left, client.top + bandHeight(client), client.left + sidebarWidth(client),
                     client.bottom - bandHeight(client)};
    InvalidateRect(state.mainWindow, &strip, FALSE);
}

}  // namespace orva
