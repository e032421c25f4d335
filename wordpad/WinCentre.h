#pragma once
// WinCentre: the origin that centres a window over its owner, or over the
// screen when it has none.
#include "platform/gui/geometry.h"

namespace kp {

class Window;

// The origin of a window of size `window` centred in an area of size
// `area`: half the area less half the window (whole numbers), negative
// when the window is the larger.
Point CentreOrigin(Dimension window, Dimension area);

// The origin, in the window's own container coordinates, that centres it
// over its owner (the owner's size), or over the screen without an owner.
Point WinCentre(const Window& window);

}  // namespace kp
