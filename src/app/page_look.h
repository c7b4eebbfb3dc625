#pragma once
// View > Rotate Left / Rotate Right and View > Invert Colours: how the main
// view (its page, thumbnails and marks, and the preview with it) shows the
// pages. Turning back to where it started restores the view it had.
#include "app/app_state.h"

namespace orva {

// Turns the view a quarter to the left (counter-clockwise) or right; at
// Fit Width the turned page is fitted again.
void rotateView(AppState& state, bool right);

// Draws the page and the thumbnails with their lightness inverted, or as
// they are again; never what is printed.
void toggleInvertedColours(AppState& state);

}  // namespace orva
