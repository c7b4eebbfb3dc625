#pragma once
// Where the sharp parts of a page go in a view that shows the page larger
// than its image: which part of the page, scaled to its size on the
// screen, the view needs (in the page's own, unturned, orientation, as the
// rasteriser draws it), and where a part so drawn lies once turned.
#include <cstdint>
#include <optional>

#include "document/page_parts.h"
#include "view/page_placement.h"

namespace orva {

// The sharp parts are wanted around the part in view, this far beyond it
// on every side (cut at the page's edges), so a small scroll needs none.
inline constexpr std::uint32_t kSharpMargin = 64;

// A page as a view shows it: the top-left corner of its turned picture in
// the view's coordinates, the picture's size on the screen (turned) and
// the turns.
struct ShownPage {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t quarterTurns = 0;
};

// The shown page of the main view's placement.
ShownPage shownPage(const PagePlacement& placement);

// The size the page is scaled to on the screen, before it is turned: what
// the rasteriser is asked to scale it to.
ScaledSize scaledPageSize(const ShownPage& shown);

// Whether a page of imageWidth x imageHeight is shown larger than its image.
bool shownLarger(const ShownPage& shown, std::uint32_t imageWidth, std::uint32_t imageHeight);

// A rectangle of a width x height picture as it lies in the picture turned
// by quarterTurns (clockwise), and back.
PartRect turnedRect(const PartRect& rect, std::uint32_t width, std::uint32_t height, std::uint8_t quarterTurns);
PartRect unturnedRect(const PartRect& rect, std::uint32_t width, std::uint32_t height, std::uint8_t quarterTurns);

// The part of the scaled page the view `view` (the rectangle the page is
// drawn in) shows, `margin` beyond it on every side, cut at the page's
// edges; nothing when no part of the page is in view.
std::optional<PartRect> wantedPart(const ClientRect& view, const ShownPage& shown, std::uint32_t margin);

// Where a part of the scaled page lies in the view once turned.
ClientRect partInView(const ShownPage& shown, const PartRect& part);

}  // namespace orva
