#include "stations/SiteMapWindow.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/geo/Geodesy.h"
#include "core/geo/MapProjection.h"
#include "stations/MapCanvas.h"
#include "stations/MapView.h"
#include "stations/MapViewport.h"
#include "ui/OpenOnce.h"

#include <QAction>
#include <QCursor>
#include <QEnterEvent>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace tavimo {

namespace {

constexpr double pi = 3.14159265;
const QColor kBlue{0, 0, 255};

QWidget *mainWindowOf(const AppState &state) {
    return state.mainWindow ? state.mainWindow->window() : nullptr;
}

// "##,##0": whole units, halves away from zero, grouped as the locale groups.
QString groupedDistance(double distance) {
    if (!std::isfinite(distance) || std::abs(distance) > 1e15)
        distance = 0;
    return QLocale().toString(qint64(std::round(distance)));
}

} // namespace

SiteMapWindow::SiteMapWindow(AppState &state, const SiteMapRequest &request)
    : QWidget(nullptr), state_(state), request_(request), picOuter_(new MapViewport(this)),
      picInner_(picOuter_->canvas()) {
    setWindowTitle(QStringLiteral("Tavimo"));
    lblMe_ = makeMapLabel(picInner_, 12, MapLabelColours::ToolTip);
    lblMe_->setText(QStringLiteral(" Me "));
    lblCall_ = makeMapLabel(picInner_, 11.25, MapLabelColours::ToolTip);
    lblCall_->setText(QStringLiteral("Call"));
    Shape1_ = makeLabelFrame(picInner_);
    Shape2_ = makeLabelFrame(picInner_);
    // A click on a label is a click on the map under it.
    lblMe_->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblCall_->setAttribute(Qt::WA_TransparentForMouseEvents);
    picInner_->installEventFilter(this);
    // Until the pointer enters the picture, panning measures from where it is.
    const QPoint pointer = QCursor::pos();
    LastX = pointer.x();
    LastY = pointer.y();
}

void SiteMapWindow::RefreshSiteMap(const MapPicture &picture) {
    picture_ = picture;
    picInner_->setPicture(picture.pixmap);

    // LoadSiteMap
    Config &config = state_.config;
    config.MyLat = std::clamp(config.MyLat, -89.0, 89.0);
    std::optional<QPoint> home;
    if (SitePosition{config.MyLat, config.MyLon}.isSet())
        home = LatLonToMapXY(picture.mapName, config.MyLat, config.MyLon);
    const QWidget *main = mainWindowOf(state_);
    placeMapWindow(*this, picInner_->size(), screenAreaOf(*this, main), frameSizeOf(*this, main));
    LayoutSiteMapView();
    setWindowTitle(QStringLiteral("Map   ") + picture.mapName);
    DrawSiteOnMap(home);
}

void SiteMapWindow::LayoutSiteMapView() {
    picOuter_->layOut(size());
}

bool SiteMapWindow::HScrollNeeded() const {
    return picOuter_->HScrollNeeded();
}

bool SiteMapWindow::VScrollNeeded() const {
    return picOuter_->VScrollNeeded();
}

void SiteMapWindow::DrawSiteOnMap(std::optional<QPoint> home) {
    const QString &call = request_.callsign;
    const Config &config = state_.config;
    picInner_->clearDrawing();
    lblCall_->hide();
    Shape2_->hide();

    const std::optional<QPoint> site =
        LatLonToMapXY(picture_.mapName, request_.position.SiteLat, request_.position.SiteLon);
    const int pw = picInner_->width();
    const int ph = picInner_->height();
    const bool siteOff =
        site && (site->x() < 0 || site->y() < 0 || site->x() > pw || site->y() > ph);
    const bool homeOn = home && home->x() > 0 && home->x() < pw && home->y() > 0 && home->y() < ph;

    // Without an own position there is nothing to measure from.
    const bool measured = SitePosition{config.MyLat, config.MyLon}.isSet();
    DistanceAzimuth da;
    if (measured) {
        da = DistanceAndAzimuth(config.MyLat, config.MyLon, request_.position.SiteLat,
                                request_.position.SiteLon, config.Units);
    }
    const QString unit = config.Units == 1 ? state_.texts.LngMiles : state_.texts.LngKm;
    const QString d = groupedDistance(da.Distance);

    if (site && siteOff && homeOn) {
        const double ang = ((da.Azimuth - 90) / 180) * pi;
        const QPointF end(home->x() + 100 * std::cos(ang), home->y() + 100 * std::sin(ang));
        picInner_->line(*home, end, 2, kBlue);
        lblCall_->setText(QStringLiteral(" To ") + call + QStringLiteral("  Dx ") + d +
                          QStringLiteral(" ") + unit + QStringLiteral("  Az ") +
                          QString::number(da.Azimuth) + QStringLiteral("\u00B0 "));
        lblCall_->adjustSize();
        lblCall_->move(int(end.x() - lblCall_->width() / 2.0),
                       int(end.y() - lblCall_->height() - 2));
        frameLabel(Shape2_, lblCall_, 2, 4);
        centreViewOn(*home);
    } else if (site) {
        const double Az = da.Distance == 0 ? 0 : da.Azimuth;
        QString text = call;
        if (measured) {
            text += QStringLiteral("\n  Dx ") + d + QStringLiteral(" ") + unit +
                    QStringLiteral("  Az ") + QString::number(Az) + QStringLiteral("\u00B0 ");
        }
        picInner_->circle(*site, 4, 3, Qt::black);
        picInner_->circle(*site, 25, 3, Qt::black);
        lblCall_->setText(text);
        lblCall_->adjustSize();
        lblCall_->move(int(site->x() - lblCall_->width() / 2.0),
                       site->y() - lblCall_->height() - 25);
        frameLabel(Shape2_, lblCall_, 2, 4);
        centreViewOn(*site);
    } else {
        // A map without a projection: the picture alone.
        centreViewOn(home.value_or(QPoint(pw / 2, ph / 2)));
    }

    if (home) {
        picInner_->dot(*home, 4, kBlue);
        picInner_->circle(*home, 4, 4, kBlue);
        lblMe_->setText(state_.texts.LngMe);
        lblMe_->adjustSize();
        lblMe_->move(home->x() - lblMe_->width() - 6, home->y() - lblMe_->height() / 2);
        frameLabel(Shape1_, lblMe_, 1, 3);
    } else {
        lblMe_->hide();
        Shape1_->hide();
    }
}

void SiteMapWindow::centreViewOn(QPoint point) {
    picInner_->move(centredOn(point, picOuter_->size(), picInner_->size()));
}

void SiteMapWindow::picInner_MouseMove(QPointF global) {
    QPoint corner = picInner_->pos();
    if (VScrollNeeded()) {
        corner.setY(
            hoverPanned(corner.y(), global.y(), LastY, picOuter_->height(), picInner_->height()));
        LastY = global.y();
    }
    if (HScrollNeeded()) {
        corner.setX(
            hoverPanned(corner.x(), global.x(), LastX, picOuter_->width(), picInner_->width()));
        LastX = global.x();
    }
    picInner_->move(corner);
}

void SiteMapWindow::picInner_Enter(QPointF global) {
    LastX = global.x();
    LastY = global.y();
}

void SiteMapWindow::picInner_MouseDown(Qt::MouseButton button, QPoint globalPos) {
    if (button != Qt::RightButton) {
        close();
        return;
    }
    QMenu mnuPopUp;
    fillMapMenu(mnuPopUp, QStringLiteral("GUI"), state_.lstMap, state_.config.MapIndex);
    if (const QAction *chosen = mnuPopUp.exec(globalPos))
        mnuMap_Click(chosen->data().toInt());
}

void SiteMapWindow::mnuMap_Click(int Index) {
    if (const std::optional<MapPicture> picture = takeMapMenuChoice(state_, Index))
        RefreshSiteMap(*picture);
}

bool SiteMapWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched != picInner_)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove:
        picInner_MouseMove(static_cast<QMouseEvent *>(event)->globalPosition());
        return true;
    case QEvent::Enter:
        picInner_Enter(static_cast<QEnterEvent *>(event)->globalPosition());
        return false;
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        picInner_MouseDown(mouse->button(), mouse->globalPosition().toPoint());
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void SiteMapWindow::mousePressEvent(QMouseEvent *event) {
    // A click beside a picture smaller than the window.
    if (event->button() == Qt::LeftButton)
        close();
}

void SiteMapWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    // The window manager or the user may give the window another size.
    picOuter_->fitTo(size());
}

SiteMapWindow *openSiteMapWindow(AppState &state, WindowRegistry &registry,
                                 const SiteMapRequest &request) {
    const std::optional<MapPicture> picture = loadMapPictureOrSay(state, request.mapIndex);
    if (!picture)
        return nullptr;
    state.config.MapIndex = std::int16_t(request.mapIndex);
    bool made = false;
    SiteMapWindow *window = openOnce<SiteMapWindow>(registry, QStringLiteral("SiteMapWindow"), [&] {
        made = true;
        auto *w = new SiteMapWindow(state, request);
        w->RefreshSiteMap(*picture);
        return w;
    });
    if (!made) {
        window->setRequest(request);
        window->RefreshSiteMap(*picture);
    }
    return window;
}

} // namespace tavimo
