// Every top-level window of the program lies wholly on a screen, its frame
// (caption, borders) included, at any scale factor. Sizes are Qt's
// device-independent pixels throughout; the fitting itself is
// FitFrameOnScreens (batch/DesktopState.h).
#pragma once

#include <vector>

#include "batch/DesktopState.h"

class QWidget;

namespace morvatex {

// The available areas of all screens (without task bars and docks).
std::vector<WindowPlace> AvailableScreenAreas();

// The frame around `window`'s inner area: the window system's once it has
// told it, before that a generous estimate of a caption and borders.
FrameMargins FrameOf(const QWidget& window);

// Moves and, where it must, shrinks `window` so that its frame lies wholly
// on the screen it overlaps most. A window made scrollable is fixed at its
// natural size or, on a smaller screen, at what the screen leaves.
void FitOnScreen(QWidget& window);

// Centres `window`, frame included, over `over` (a window) or, when that is
// null or hidden, on the screen `window` is on; then fits it.
void CentreOnScreen(QWidget& window, const QWidget* over = nullptr);

// Fits `window` at each show, and once more when the window system has
// shown it and so told its real frame.
void KeepOnScreen(QWidget& window);

// For a window of fixed size laid out for one size only: its contents go
// into a scroll area that fills it, so that on a screen too small for it
// the window shrinks and its contents scroll instead of being cut off. At
// its natural size nothing scrolls and it looks as before. Call once, after
// the window's size is fixed and its children are made.
void ScrollWhenTooLarge(QWidget& window);

}  // namespace morvatex
