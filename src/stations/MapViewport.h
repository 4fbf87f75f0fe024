#pragma once

#include <QSize>
#include <QWidget>

namespace tavimo {

class MapCanvas;

// The view of a map window (its client area) with the map picture inside it,
// which is larger than the view or centred in it; the two scroll flags say on
// which axes the picture can move.
class MapViewport : public QWidget {
    Q_OBJECT

public:
    explicit MapViewport(QWidget *window);

    MapCanvas *canvas() const { return canvas_; }

    // A new picture laid out in a view of this size: centred where it fits,
    // centred on its middle where it does not.
    void layOut(QSize view);

    // The window changed size: the picture keeps its place as far as the new
    // view allows. Nothing happens when the size is the one laid out last.
    void fitTo(QSize view);

    bool HScrollNeeded() const { return HScrollNeeded_; }
    bool VScrollNeeded() const { return VScrollNeeded_; }

private:
    MapCanvas *canvas_;
    bool HScrollNeeded_ = false;
    bool VScrollNeeded_ = false;
    QSize laidOutFor_;
};

} // namespace tavimo
