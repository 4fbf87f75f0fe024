#pragma once

#include "core/app/WindowRequests.h"
#include "core/geo/SitePosition.h"
#include "stations/MapViewport.h"
#include "stations/MapWindowParts.h"

#include <QPoint>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <optional>

class QFrame;
class QLabel;

namespace tavimo {

struct AppState;
class MapCanvas;
class WindowRegistry;

// One site on a regional map picture at its natural size, with distance and
// azimuth from the user's own position: rings around the site when it lies on
// the picture, else a bearing line from the own mark. The view is centred on
// the site and pans as the pointer moves over a picture larger than the
// window; a right click offers every map picture, any other click closes it.
//
// The window draws the site it was opened for, also after a switch of maps,
// and never touches the main window's enabled state.
class SiteMapWindow : public QWidget {
    Q_OBJECT

public:
    SiteMapWindow(AppState &state, const SiteMapRequest &request);

    // A site of a new request, drawn by the next RefreshSiteMap.
    void setRequest(const SiteMapRequest &request) { request_ = request; }

    // Shows the site on `picture` (the map list entry MapIndex): the window is
    // sized to it on the screen and centred, and everything is drawn again.
    void RefreshSiteMap(const MapPicture &picture);

    // The map menu's choice: 0 brings the main window to the front; k shows
    // the same site on map list entry k - 1, which becomes MapIndex. A picture
    // that cannot be read gives a message and leaves the window as it was.
    void mnuMap_Click(int Index);

    // The parts, for the tests.
    MapViewport *picOuter() const { return picOuter_; }
    MapCanvas *picInner() const { return picInner_; }
    QLabel *lblMe() const { return lblMe_; }
    QLabel *lblCall() const { return lblCall_; }
    QFrame *Shape1() const { return Shape1_; }
    QFrame *Shape2() const { return Shape2_; }
    bool HScrollNeeded() const;
    bool VScrollNeeded() const;
    QString mapItem() const { return picture_.item; }
    // The pointer position, in screen pixels, that hover panning measures from.
    QPointF panReference() const { return {LastX, LastY}; }

    // The pointer moved over the picture to `global` (screen pixels).
    void picInner_MouseMove(QPointF global);
    // The pointer entered the picture at `global`: panning measures from here.
    void picInner_Enter(QPointF global);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void LayoutSiteMapView();
    void DrawSiteOnMap(std::optional<QPoint> home);
    void centreViewOn(QPoint point);
    void picInner_MouseDown(Qt::MouseButton button, QPoint globalPos);

    AppState &state_;
    SiteMapRequest request_;
    MapPicture picture_;

    MapViewport *picOuter_;
    MapCanvas *picInner_;
    QLabel *lblMe_;
    QLabel *lblCall_;
    QFrame *Shape1_;
    QFrame *Shape2_;

    double LastX = 0;
    double LastY = 0;
};

// Opens the site map for `request`, or draws the request in the one that is
// open. When the map picture cannot be read, one message names the file and
// no window opens (an open one stays as it was); null is returned then.
SiteMapWindow *openSiteMapWindow(AppState &state, WindowRegistry &registry,
                                 const SiteMapRequest &request);

} // namespace tavimo
