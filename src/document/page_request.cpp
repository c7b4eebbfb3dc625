#include "document/page_request.h"


namespace orva {

Status ensurePageLoaded(Document& document, std::uint64_t index) {
    if (index >= document.pageCount()) return fail(ErrorCode::InvalidPageData);
    if (document.pages[index].present) return {};
    if (!document.isPdf() || document.renderer == nullptr) return fail(ErrorCode::InvalidPageData);
    return document.renderer->renderPage(document, index);
}

}  // namespace orva
