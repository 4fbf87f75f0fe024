#include "stations/MapViewport.h"

#include "stations/MapCanvas.h"
#include "stations/MapView.h"

namespace tavimo {

MapViewport::MapViewport(QWidget *window) : QWidget(window), canvas_(new MapCanvas(this)) {}

void MapViewport::layOut(QSize view) {
    setGeometry(QRect(QPoint(0, 0), view));
    const MapViewLayout layout = layoutMapView(view, canvas_->size());
    canvas_->move(layout.inner);
    HScrollNeeded_ = layout.HScrollNeeded;
    VScrollNeeded_ = layout.VScrollNeeded;
    laidOutFor_ = view;
}

void MapViewport::fitTo(QSize view) {
    if (view == laidOutFor_)
        return;
    setGeometry(QRect(QPoint(0, 0), view));
    const MapViewLayout layout = refitMapView(view, canvas_->size(), canvas_->pos());
    canvas_->move(layout.inner);
    HScrollNeeded_ = layout.HScrollNeeded;
    VScrollNeeded_ = layout.VScrollNeeded;
    laidOutFor_ = view;
}

} // namespace tavimo
