#include "document/page_request.h"

#include "pdf/pdf_backend.h"

namespace orva {

Status ensurePageLoaded(Document& document, std::uint64_t index) {
    if (index >= document.pageCount()) return fail(ErrorCode::InvalidPageData);
    if (document.pages[index].present) return {};
    if (!document.isPdf()) return fail(ErrorCode::InvalidPageData);
    return renderPdfPage(document, index);
}

}  // namespace orva
