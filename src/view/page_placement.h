#pragma once
// Where the current page lies in the client area and how its image pixels
// map to the window's and back: what highlights, selections and links are
// drawn and hit-tested with. The page may be turned by quarter turns
// (clockwise); its image pixels stay as rendered.
#include <cstdint>

#include "document/text_layer.h"
#include "view/view_geometry.h"

namespace orva {

struct PagePlacement {
    Point origin;
    DisplayedSize displayed;
    // The page image as rendered, before any turn.
    std::uint32_t imageWidth = 0;
    std::uint32_t imageHeight = 0;
    std::uint8_t quarterTurns = 0;  // 0 to 3, clockwise
};

// The displayed size of an image of width x height turned by quarterTurns.
DisplayedSize turnedDisplayedSize(std::uint32_t width, std::uint32_t height, float zoom, std::uint8_t quarterTurns);

PagePlacement placePage(const ClientArea& client, std::uint32_t imageWidth, std::uint32_t imageHeight, float zoom,
                        std::int32_t scrollX, std::int32_t scrollY, std::uint8_t quarterTurns);

struct ClientRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// A box of image pixels as a client rectangle (rounded outward).
ClientRect toClient(const PagePlacement& placement, const TextBox& box);

// A client point in image pixels (outside the image where the point is).
ImagePoint toImage(const PagePlacement& placement, std::int32_t x, std::int32_t y);

// Whether a client point lies on the page.
bool onPage(const PagePlacement& placement, std::int32_t x, std::int32_t y);

}  // namespace orva
