#pragma once
// The thumbnail strip along the left edge of the main window.
#include "base/win32.h"
#include "view/view_geometry.h"
#include "view/viewer.h"

namespace orva {

// The strip's background and border and a framed, labelled thumbnail for
// every page that reaches into it, clipped to the strip. Only images
// already in the document are shown (the page's, or its thumbnail copy): a
// thumbnail never asks for its page.
void paintSidebar(Viewer& state, HDC dc, const ClientArea& client);

}  // namespace orva
