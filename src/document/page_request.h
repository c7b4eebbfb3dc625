#pragma once
// The one way any part of the program obtains a page image.
#include <cstdint>

#include "document/document.h"

namespace orva {

// Makes slot `index` of the document loaded: at once when it already is, by
// rendering for a missing PDF page. InvalidPageData for an index past the
// end or a missing page of a container. The page becomes the most recently
// used; a render may release older pages to keep within the document's
// budget (document/page_memory.h), never this one.
Status ensurePageLoaded(Document& document, std::uint64_t index);

}  // namespace orva
