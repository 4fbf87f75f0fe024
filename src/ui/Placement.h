#pragma once

#include "core/files/StoreSettings.h"

#include <QRect>
#include <QSize>

class QWidget;

namespace tavimo {

// The placement of a top-level window and its application to one.
WindowPlacement windowPlacement(const QWidget &window);
// Sizes, places and shows-state the window as stored. A placement that was
// never stored (show state 0, a first start) leaves the window where it is:
// the window is centred once it is up and its frame is known.
void applyWindowPlacement(QWidget &window, const WindowPlacement &placement);

// True for the placement of a first start: nothing was stored.
bool isFirstStartPlacement(const WindowPlacement &placement);

// Where a window frame (title bar and borders included) goes on a screen
// whose free area is `available`: moved just far enough to lie inside it;
// a frame larger than the area keeps its top and left edges, and with them
// the title bar, inside.
QRect frameOnScreen(const QRect &frame, const QRect &available);
// A frame of `frame` pixels centred in `available` (its top-left corner
// inside it even when the frame is larger).
QRect centredFrame(QSize frame, const QRect &available);

// Once the window is shown: centres its frame on the primary screen's free
// area (centre true), or moves it just far enough that the frame lies on the
// screen it is mostly on.
void placeFrameOnScreen(QWidget &window, bool centre);

} // namespace tavimo
