#pragma once

#include "stations/MapViewport.h"
#include "stations/MapWindowParts.h"
#include "stations/PageMapPlan.h"

#include <QList>
#include <QPoint>
#include <QWidget>

class QFrame;
class QLabel;

namespace tavimo {

struct AppState;
class MapCanvas;
class WindowRegistry;

// Where the user's own transmissions were received: the sites of the page
// whose latest picture names the own callsign as sender, on one map picture,
// with lines to or from the own position and their distance and azimuth.
// Hovering a site's label shows the slot's status, distance, azimuth and
// picture time; pressing it hides the label while the button is held. The map
// is dragged with the left button; a right click offers every map picture;
// Escape or a double click on the map closes the window, and the view's
// offset is kept for the next opening.
//
// While open it is drawn again at the end of every pass of the main window
// (when the own callsign is set), in place: the window keeps its place, its
// view and the focus stays where it is. Distances and azimuths are its own,
// per row; the slot table is only read.
class PageMapWindow : public QWidget {
    Q_OBJECT

public:
    explicit PageMapWindow(AppState &state);

    // Shows `picture` (the map list entry MapIndex): the window is sized to it
    // on its monitor and centred there, the saved view offset is put back and
    // the page drawn.
    void LoadAllSitesMap(const MapPicture &picture);

    // The end of a main-window pass.
    void passFinished();

    // The map menu's choice: 0 brings the main window to the front; k shows
    // map list entry k - 1, which becomes MapIndex.
    void mnuMap2_Click(int Index);

    // Handlers, called by the window's own events and by the tests.
    void lblCall_MouseMove(int row);
    void lblCall_MouseDown(int row);
    void lblCall_MouseUp(int row);
    void picInner_MouseMove(Qt::MouseButtons buttons, QPoint pos);
    void picInner_MouseDown(Qt::MouseButton button, QPoint pos, QPoint globalPos);

    // The parts, for the tests.
    MapViewport *picOuter() const { return picOuter_; }
    MapCanvas *picInner() const { return picInner_; }
    QLabel *lblMe() const { return lblMe_; }
    QLabel *lblInfo() const { return lblInfo_; }
    QLabel *lblCall(int row) const { return lblCall_.value(row); }
    QFrame *shpCall(int row) const { return shpCall_.value(row); }
    QLabel *lblFrom(int row) const { return lblFrom_.value(row); }
    const PageMapPlan &plan() const { return plan_; }
    QString mapItem() const { return picture_.item; }
    bool HScrollNeeded() const;
    bool VScrollNeeded() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void LayoutAllSitesMapView();
    void DrawAllSitesOnMap();
    void clearRows();
    void restorePressedLabel();
    QString unitText() const;

    AppState &state_;
    MapPicture picture_;
    int shownMapIndex_ = -1;
    PageMapPlan plan_;
    // The page's sites are looked up here at every pass end, not by a walk of the list.
    CallsignIndex sitesByCall_;

    MapViewport *picOuter_;
    MapCanvas *picInner_;
    QLabel *lblMe_;
    QFrame *Shape1_;
    QLabel *lblInfo_;
    QFrame *Shape2_;
    // Per slot row; null where the row is not drawn.
    QList<QLabel *> lblCall_;
    QList<QFrame *> shpCall_;
    QList<QLabel *> lblFrom_;

    int DragInit = 0;
    QPoint drag_;         // DragX, DragY: the grabbed point of the picture
    int pressedRow_ = -1; // the label hidden while a button is held on it
};

// Opens the page map on map list entry MapIndex, or draws the open one
// afresh. When the map picture cannot be read, one message names the file and
// no window opens; null is returned then.
PageMapWindow *openPageMapWindow(AppState &state, WindowRegistry &registry);

} // namespace tavimo
