#include "document/page_links.h"

namespace orva {

const PageLink* linkAt(const PageLinks& links, ImagePoint point) {
    const PageLink* found = nullptr;
    for (const PageLink& link : links.links) {
        const TextBox& box = link.box;
        if (point.x >= box.left && point.x <= box.right && point.y >= box.top && point.y <= box.bottom) found = &link;
    }
    return found;
}

}  // namespace orva
