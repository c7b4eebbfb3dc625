#include "app/page_text.h"

#include "app/document_jobs.h"
#include "app/find.h"
#include "app/select_text.h"
#include "pdf/text_report.h"
#include "pdf/tool_jobs.h"

namespace orva {

namespace {

// The slots are made with the first request.
bool makeTextSlots(Document& document) {
    DocumentText& text = document.text;
    if (text.states.size() == document.pageCount()) return true;
    auto pages = OwnedArray<PageText>::create(*document.allocator, document.pageCount());
    auto states = OwnedArray<TextState>::create(*document.allocator, document.pageCount());
    if (!pages || !states) return false;
    text.pages = std::move(*pages);
    text.states = std::move(*states);
    return true;
}

void markRun(DocumentText& text, std::uint64_t first, std::uint64_t last, TextState from, TextState to) {
    for (std::uint64_t page = first; page <= last && page < text.states.size(); ++page) {
        if (text.states[page] == from) text.states[page] = to;
    }
}

void storePages(Document& document, std::uint64_t first, std::uint64_t last, const ToolJob& job) {
    DocumentText& text = document.text;
    const std::string_view report(reinterpret_cast<const char*>(job.output.data()), job.output.size());
    auto pages = parseTextReport(*document.allocator, report, static_cast<float>(document.dpi) / 72.0f);
    if (!pages) {
        markRun(text, first, last, TextState::Fetching, TextState::Failed);
        return;
    }
    for (std::uint64_t i = 0; first + i <= last && first + i < text.states.size(); ++i) {
        const std::uint64_t page = first + i;
        if (text.states[page] == TextState::Fetched) continue;
        // A page the report left out has no text to give.
        if (i >= pages->size()) {
            text.states[page] = TextState::Failed;
            continue;
        }
        text.heldBytes += (*pages)[i].heldBytes();
        text.pages[page] = std::move((*pages)[i]);
        text.states[page] = TextState::Fetched;
    }
}

}  // namespace

TextNeed needPageText(AppState& state, std::uint64_t page, bool forward, std::uint32_t run) {
    Document& document = state.document;
    if (!state.documentLoaded || !document.isPdf() || page >= document.pageCount()) return TextNeed::None;
    if (document.text.failure != TextFailure::None || !makeTextSlots(document)) return TextNeed::None;
    DocumentText& text = document.text;
    switch (text.states[page]) {
        case TextState::Fetched: return TextNeed::Ready;
        case TextState::Fetching: return TextNeed::Coming;
        case TextState::Failed: return TextNeed::None;
        case TextState::NotFetched: break;
    }
    // The run: the pages not yet asked for that follow (or, going back,
    // precede) this one, one tool run for all of them.
    std::uint64_t first = page;
    std::uint64_t last = page;
    while (last - first + 1 < run) {
        if (forward && last + 1 < document.pageCount() && text.states[last + 1] == TextState::NotFetched) {
            ++last;
        } else if (!forward && first > 0 && text.states[first - 1] == TextState::NotFetched) {
            --first;
        } else {
            break;
        }
    }
    auto job = makeTextJob(*state.allocator, document, first, last);
    if (!job) {
        if (job.error() == ErrorCode::PdftoppmNotFound) text.failure = TextFailure::ToolMissing;
        return TextNeed::None;
    }
    job->kind = JobText;
    job->priority = run == 1 ? PriorityShownPage : PrioritySearch;
    if (!startDocumentJob(state, std::move(*job))) return TextNeed::None;
    markRun(text, first, last, TextState::NotFetched, TextState::Fetching);
    return TextNeed::Coming;
}

void textArrived(AppState& state, ToolJob& job) {
    Document& document = state.document;
    DocumentText& text = document.text;
    const std::uint64_t first = job.key[0];
    const std::uint64_t last = job.key[1];
    if (!job.outcome && job.outcome.error() == ErrorCode::Canceled) {
        markRun(text, first, last, TextState::Fetching, TextState::NotFetched);
    } else if (!job.outcome || job.exitCode != 0) {
        // The tool cannot read this document (or cannot start): asking again
        // would only fail again.
        markRun(text, first, last, TextState::Fetching, TextState::Failed);
        text.failure = TextFailure::ToolFailed;
    } else {
        storePages(document, first, last, job);
    }
    findTextArrived(state);
    selectTextArrived(state);
}

void stopTextFetch(AppState& state) {
    Document& document = state.document;
    if (!state.documentLoaded) return;
    if (document.worker) document.worker->cancel(JobText);
    markRun(document.text, 0, document.text.states.size(), TextState::Fetching, TextState::NotFetched);
}

}  // namespace orva
