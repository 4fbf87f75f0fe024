#include "stations/MapView.h"

#include "core/base/Numbers.h"

#include <algorithm>

namespace tavimo {

namespace {

int layoutCorner(int view, int picture) {
    if (picture < view)
        return (view - picture) / 2;
    return -(picture - view) / 2;
}

} // namespace

MapViewLayout layoutMapView(QSize view, QSize picture) {
    MapViewLayout layout;
    layout.inner = {layoutCorner(view.width(), picture.width()),
                    layoutCorner(view.height(), picture.height())};
    layout.HScrollNeeded = picture.width() > view.width();
    layout.VScrollNeeded = picture.height() > view.height();
    return layout;
}

MapViewLayout refitMapView(QSize view, QSize picture, QPoint corner) {
    MapViewLayout layout;
    layout.inner = {clampedCorner(corner.x(), view.width(), picture.width()),
                    clampedCorner(corner.y(), view.height(), picture.height())};
    layout.HScrollNeeded = picture.width() > view.width();
    layout.VScrollNeeded = picture.height() > view.height();
    return layout;
}

QPoint centredOn(QPoint point, QSize view, QSize picture) {
    int left = view.width() / 2 - point.x();
    if (left > 0)
        left = 0;
    if (view.width() - picture.width() > left)
        left = view.width() - picture.width();
    int top = view.height() / 2 - point.y();
    if (top > 0)
        top = 0;
    if (view.height() - picture.height() > top)
        top = view.height() - picture.height() - 25;
    if (picture.width() < view.width())
        left = (view.width() - picture.width()) / 2;
    if (picture.height() < view.height())
        top = (view.height() - picture.height()) / 2;
    return {left, top};
}

int clampedCorner(int corner, int view, int picture) {
    if (picture < view)
        return (view - picture) / 2;
    return std::clamp(corner, view - picture, 0);
}

int hoverPanned(int corner, double pointer, double last, int view, int picture) {
    if (view <= 0)
        return corner;
    const double ratio = double(picture) / view;
    double moved = corner - (pointer - last) * ratio;
    if (moved > 0)
        moved = 0;
    if (moved < view - picture)
        moved = view - picture;
    return int(roundHalfEven(moved));
}

std::optional<int> dragged(int corner, int pointer, int grab, int view, int picture) {
    const int moved = corner + (pointer - grab);
    if (view - picture < moved && moved < 1)
        return moved;
    return std::nullopt;
}

RestoredCorner restoredCorner(int saved, int view, int picture) {
    if (picture <= view)
        return {(view - picture) / 2, saved};
    if (saved < view - picture || saved > 0)
        return {0, 0};
    return {saved, saved};
}

QSize clientSizeFor(QSize picture, QSize area, QSize frame) {
    return {std::max(1, std::min(picture.width(), area.width() - frame.width())),
            std::max(1, std::min(picture.height(), area.height() - frame.height()))};
}

} // namespace tavimo
