// Placeholder until the tool runner lands: without it no tool can be found.
#include "pdf/pdf_backend.h"

namespace orva {

Result<std::uint32_t> queryPdfPageCount(Allocator&, std::string_view) { return fail(ErrorCode::PdftoppmNotFound); }

Status renderPdfPage(Document&, std::uint64_t) { return fail(ErrorCode::PdftoppmNotFound); }

}  // namespace orva
