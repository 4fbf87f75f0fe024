#pragma once

// Where a map picture sits in its window: the arithmetic of the two map
// windows, in pixels, without a widget. The view (`outer`) is the window's
// client area; the picture (`inner`) moves inside it, its top-left corner at
// 0 or left of and above it when the picture is larger than the view.

#include <QPoint>
#include <QSize>

#include <optional>

namespace tavimo {

struct MapViewLayout {
    QPoint inner;               // the picture's top-left corner in the view
    bool HScrollNeeded = false; // wider than the view
    bool VScrollNeeded = false; // taller than the view
};

// A picture laid into a view: centred on an axis where it fits, centred on
// its middle where it does not.
MapViewLayout layoutMapView(QSize view, QSize picture);

// The window changed size: the scroll flags for the new view, and the
// picture's corner kept within it (see clampedCorner).
MapViewLayout refitMapView(QSize view, QSize picture, QPoint corner);

// The picture's corner that puts `point` of it in the middle of the view,
// clamped so that no edge comes into view. Vertically it stops 25 pixels short
// of the bottom edge, leaving a band under a point near the bottom. On an axis
// where the picture is smaller than the view, it is centred instead.
QPoint centredOn(QPoint point, QSize view, QSize picture);

// The picture's corner, on an axis where it is smaller than the view
// centred, else kept within the view (between view - picture and 0).
int clampedCorner(int corner, int view, int picture);

// Hover panning along one axis: the picture moves against the pointer, by the
// pointer's movement since `last` scaled by picture / view, so that crossing
// the view crosses the whole picture; clamped to the view.
int hoverPanned(int corner, double pointer, double last, int view, int picture);

// Dragging along one axis: the corner that keeps the grabbed point (`grab`,
// in picture pixels) under the pointer (`pointer`, likewise); nothing when that
// would bring an edge of the picture into view.
std::optional<int> dragged(int corner, int pointer, int grab, int view, int picture);

// A saved corner put back: kept when it lies within the view's limits, else 0;
// a picture that fits is centred and the saved value left as it is.
struct RestoredCorner {
    int corner = 0;
    int saved = 0; // the value the setting keeps
};
RestoredCorner restoredCorner(int saved, int view, int picture);

// The client size of a window showing `picture` on a screen area whose
// window frame adds `frame`: the picture's size, but no more than the area.
QSize clientSizeFor(QSize picture, QSize area, QSize frame);

} // namespace tavimo
