#include "app/open_document.h"

#include "base/win32.h"
#include "app/find.h"
#include "app/password_dialog.h"
#include "app/reload.h"
#include "document/absolute_path.h"
#include "document/orva_reader.h"
#include "document/page_request.h"
#include "document/path_rules.h"
#include "pdf/pdf_backend.h"
#include "platform/final_path.h"
#include "platform/tool_wait.h"
#include "platform/window_kit.h"
#include "view/messages.h"
#include "view/view.h"
#include "view/window_title.h"

namespace orva {

namespace {

// The PDF backend's renders, with the wait cursor up while the tool runs.
// While a tool runs the windows still paint; a page they ask for then is not
// rendered (one tool at a time, one work folder): they draw what they have,
// and are painted again once the tool has ended.
class RendererShowingWait final : public PageRenderer {
public:
    Status renderPage(Document& document, std::uint64_t index) const override {
        if (app().closing) return fail(ErrorCode::Canceled);
        if (waitingForTool()) {
            askedMeanwhile_ = true;
            return fail(ErrorCode::WouldBlock);
        }
        Status rendered;
        {
            const WaitCursor busy;
            rendered = pdfPageRenderer().renderPage(document, index);
        }
        if (askedMeanwhile_) {
            askedMeanwhile_ = false;
            const AppState& state = app();
            InvalidateRect(state.mainWindow, nullptr, FALSE);
            if (state.previewOpen) InvalidateRect(state.previewWindow, nullptr, FALSE);
        }
        return rendered;
    }
    // A picture at another resolution (a printed sheet's) is asked for by
    // the flow that waits for it, never by a paint.
    Result<PageImage> renderPicture(const Document& document, const PictureRequest& request) const override {
        if (app().closing) return fail(ErrorCode::Canceled);
        if (waitingForTool()) return fail(ErrorCode::WouldBlock);
        const WaitCursor busy;
        return pdfPageRenderer().renderPicture(document, request);
    }

private:
    mutable bool askedMeanwhile_ = false;
};

const RendererShowingWait kPdfRenderer;

Result<Document> loadOrva(Allocator& allocator, OwnedString&& path) {
    auto contents = readOrvaFile(allocator, path.view());
    if (!contents) return fail(contents.error());
    Document document;
    document.title = std::move(contents->title);
    document.indexOffset = contents->indexOffset;
    document.reserved1 = contents->reserved1;
    document.reserved2 = contents->reserved2;
    document.headerPageCount = contents->pageCount;
    document.dpi = contents->dpi;
    document.encoding = contents->encoding;
    document.pages = std::move(contents->pages);
    document.path = std::move(path);
    document.allocator = &allocator;
    document.kind = DocumentKind::Orva;
    return document;
}

// A password typed for the open, wiped on every way out; once the document
// holds it, releasing the document wipes it.
struct TypedPassword {
    OwnedString text;
    ~TypedPassword() { wipeSecret(text); }
};

// The information tool's report, with the password asked for as often as
// the reader tries one that is wrong; PdfPasswordRequired once cancelled.
// A password known already is tried first; without `mayAsk` it is the only
// one tried.
Result<PdfInfo> queryAskingPassword(AppState& state, std::string_view path, TypedPassword& password, bool mayAsk) {
    auto info = queryPdfInfo(*state.allocator, path, password.text.view());
    for (bool wrongBefore = !password.text.empty(); mayAsk && !info && info.error() == ErrorCode::PdfPasswordRequired;
         wrongBefore = true) {
        wipeSecret(password.text);
        auto typed = askPassword(state, lastPathComponent(path), wrongBefore);
        if (!typed) return fail(ErrorCode::PdfPasswordRequired);
        password.text = std::move(*typed);
        info = queryPdfInfo(*state.allocator, path, password.text.view());
    }
    return info;
}

Result<Document> loadPdf(AppState& state, OwnedString&& path, std::string_view knownPassword, bool mayAsk) {
    Allocator& allocator = *state.allocator;
    TypedPassword password;
    if (!knownPassword.empty()) {
        auto copy = OwnedString::copy(allocator, knownPassword);
        if (!copy) return fail(copy.error());
        password.text = std::move(*copy);
    }
    auto info = queryAskingPassword(state, path.view(), password, mayAsk);
    if (!info) return fail(info.error());
    const std::uint32_t* count = &info->pageCount;
    Document document;
    auto title = OwnedString::copy(allocator, pathStem(path.view()));
    if (!title) return fail(title.error());
    auto pages = OwnedArray<PageImage>::create(allocator, *count);
    if (!pages) return fail(pages.error());
    document.title = std::move(*title);
    document.headerPageCount = *count;
    document.dpi = 150;
    document.pages = std::move(*pages);
    document.path = std::move(path);
    document.allocator = &allocator;
    document.kind = DocumentKind::Pdf;
    document.renderer = &kPdfRenderer;
    document.copyAllowed = info->copyAllowed;
    document.password = std::move(password.text);
    // A PDF is accepted only when its first page renders.
    if (auto first = ensurePageLoaded(document, 0); !first) {
        releaseDocument(document);
        return fail(first.error());
    }
    return document;
}

Result<Document> loadDocument(AppState& state, std::string_view path, std::string_view knownPassword = {},
                              bool mayAsk = true) {
    Allocator& allocator = *state.allocator;
    auto absolute = makeAbsolutePath(allocator, trimPath(path));
    if (!absolute) return fail(absolute.error());
    const auto kind = documentKindFor(absolute->view());
    if (!kind) return fail(ErrorCode::UnsupportedFormat);
    if (*kind == DocumentKind::Orva) return loadOrva(allocator, std::move(*absolute));
    return loadPdf(state, std::move(*absolute), knownPassword, mayAsk);
}

void resetViewForNewDocument(AppState& state) {
    if (ensurePageLoaded(state.document, 0) && state.document.pages[0].present) {
        fitWidthZoom(state, state.document.pages[0]);
        updateScrollBars(state);
    }
    state.sidebarScroll = 0;
    updateWindowTitle(state);
    updateScrollBars(state);
    clampSidebarScroll(state);
    revealCurrentThumbnail(state);
    invalidateMainWindow(state, true);
}

}  // namespace

Result<Document> readDocumentAgain(AppState& state) {
    if (!state.documentLoaded) return fail(ErrorCode::NotSupported);
    const WaitCursor busy;
    return loadDocument(state, state.document.path.view(), state.document.password.view(), false);
}

void installDocument(AppState& state, Document&& document) {
    state.document = std::move(document);
    state.document.memory.budget = state.pageMemoryBudget;
    state.document.serial = ++state.documentsOpened;
    // Nothing marked or found on the document before applies to this one.
    state.marks = TextMarks{};
    state.select = SelectState{};
    state.find.hitPage = kNoPage;
    setStatusNotice(state, "");
    state.documentLoaded = true;
}

void openDocument(AppState& state, std::string_view path) {
    SetWindowTextA(state.mainWindow, kLoadingTitle.data());
    UpdateWindow(state.mainWindow);
    closeDocument(state);
    // Back and Forward go through the jumps of the document open now only.
    state.history.clear();

    auto document = [&] {
        const WaitCursor busy;
        return loadDocument(state, path);
    }();
    if (!document) {
        showOpenError(state, path, document.error());
        updateWindowTitle(state);
        return;
    }
    installDocument(state, std::move(*document));
    // A new document is shown upright; colours stay inverted or not.
    state.quarterTurns = 0;
    state.currentPage = 0;
    state.fitMode = FitMode::FitWidth;
    resetViewForNewDocument(state);
    watchDocument(state);
}

}  // namespace orva
