#pragma once
// The links of one page: the rectangles a reader can click, in page-image
// pixels, and where each goes.
#include <cstdint>

#include "base/allocator.h"
#include "document/text_layer.h"

namespace orva {

enum class LinkKind : std::uint8_t {
    Page = 0,     // a page of this document
    Web = 1,      // http: or https:
    Mail = 2,     // mailto:
    Other = 3,    // anything else (file:, javascript:, a relative name...): shown, never followed
};

struct PageLink {
    TextBox box;
    LinkKind kind = LinkKind::Other;
    std::uint32_t page = 0;  // 1-based, for LinkKind::Page
    OwnedString target;      // the target as written, entities decoded
};

struct PageLinks {
    OwnedArray<PageLink> links;
};

// The link under a point of the page image: the last of those whose box
// holds it (edges included), as the last drawn lies on top. Nothing where
// there is none.
const PageLink* linkAt(const PageLinks& links, ImagePoint point);

}  // namespace orva
