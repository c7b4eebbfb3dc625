#include "document/page_request.h"

#include "document/page_memory.h"

namespace orva {

Status ensurePageLoaded(Document& document, std::uint64_t index) {
    if (index >= document.pageCount()) return fail(ErrorCode::InvalidPageData);
    if (!document.pages[index].present) {
        if (!document.isPdf() || document.renderer == nullptr) return fail(ErrorCode::InvalidPageData);
        if (auto rendered = document.renderer->renderPage(document, index); !rendered) return rendered;
        notePageUsed(document, index);
        // Only a new page can take the document past its budget.
        keepWithinBudget(document, index);
        return {};
    }
    notePageUsed(document, index);
    return {};
}

}  // namespace orva
