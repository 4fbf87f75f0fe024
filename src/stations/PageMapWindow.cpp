#include "stations/PageMapWindow.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "stations/Logging.h"
#include "stations/MapCanvas.h"
#include "stations/MapView.h"
#include "stations/MapViewport.h"
#include "ui/OpenOnce.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>

namespace tavimo {

namespace {

const QColor kBlue{0, 0, 255};
constexpr qreal kLabelPoints = 9.75;

QWidget *mainWindowOf(const AppState &state) {
    return state.mainWindow ? state.mainWindow->window() : nullptr;
}

// The monitor chosen by MonIdx when it names one of the monitors found, else
// the screen of the window (or of the main window): MonIdx is never chosen by
// the user and holds 0 otherwise, which names no monitor.
QRect monitorArea(const AppState &state, const QWidget &window) {
    const MonitorList &list = state.monitors;
    const int index = state.MonIdx;
    if (index >= 1 && index <= list.MonitorCount && index < list.Monitors.size()) {
        const MonitorRect &m = list.Monitors.at(index);
        const QRect rect(QPoint(m.Left, m.Top), QPoint(m.Right - 1, m.Bottom - 1));
        if (const QScreen *screen = QGuiApplication::screenAt(rect.center()))
            return screen->availableGeometry();
        if (rect.isValid())
            return rect;
    }
    return screenAreaOf(window, mainWindowOf(state));
}

void dotAndRing(MapCanvas &canvas, QPoint at) {
    canvas.dot(at, 4, kBlue);
    canvas.circle(at, 4, 4, kBlue);
}

} // namespace

PageMapWindow::PageMapWindow(AppState &state)
    : QWidget(nullptr), state_(state), picOuter_(new MapViewport(this)),
      picInner_(picOuter_->canvas()) {
    setWindowTitle(QStringLiteral("Tavimo"));
    lblMe_ = makeMapLabel(picInner_, kLabelPoints, MapLabelColours::White);
    Shape1_ = makeLabelFrame(picInner_);
    lblInfo_ = makeMapLabel(picInner_, kLabelPoints, MapLabelColours::White);
    Shape2_ = makeLabelFrame(picInner_);
    lblInfo_->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblMe_->installEventFilter(this);
    picInner_->installEventFilter(this);
    connect(&state_.events, &AppEvents::passFinished, this, &PageMapWindow::passFinished);
    connect(&state_.events, &AppEvents::sitesChanged, this, [this] { sitesByCall_.clear(); });
}

void PageMapWindow::LoadAllSitesMap(const MapPicture &picture) {
    picture_ = picture;
    shownMapIndex_ = state_.config.MapIndex;
    DragInit = 0;
    Config &config = state_.config;
    config.MyLat = std::clamp(config.MyLat, -89.0, 89.0);
    picInner_->setPicture(picture.pixmap);
    placeMapWindow(*this, picInner_->size(), monitorArea(state_, *this),
                   frameSizeOf(*this, mainWindowOf(state_)));
    LayoutAllSitesMapView();
    setWindowTitle(QStringLiteral("Tavimo    ") + picture.mapName);

    const QSize view = picOuter_->size();
    const QSize inner = picInner_->size();
    const RestoredCorner x = restoredCorner(config.ScrollX, view.width(), inner.width());
    const RestoredCorner y = restoredCorner(config.ScrollY, view.height(), inner.height());
    config.ScrollX = x.saved;
    config.ScrollY = y.saved;
    picInner_->move(x.corner, y.corner);
    DrawAllSitesOnMap();
}

void PageMapWindow::LayoutAllSitesMapView() {
    picOuter_->layOut(size());
}

bool PageMapWindow::HScrollNeeded() const {
    return picOuter_->HScrollNeeded();
}

bool PageMapWindow::VScrollNeeded() const {
    return picOuter_->VScrollNeeded();
}

void PageMapWindow::clearRows() {
    for (QList<QLabel *> *labels : {&lblCall_, &lblFrom_}) {
        qDeleteAll(*labels);
        labels->clear();
    }
    qDeleteAll(shpCall_);
    shpCall_.clear();
    pressedRow_ = -1;
}

void PageMapWindow::DrawAllSitesOnMap() {
    clearRows();
    picInner_->clearDrawing();
    lblInfo_->hide();
    Shape2_->hide();
    DragInit = 0;

    const PageState &page = state_.page;
    QStringList senders;
    for (int i = 0; i < page.SlotCount && state_.mainWindow; ++i)
        senders.append(state_.mainWindow->slotFromCaption(i));
    plan_ = planPageMap(PageMapInput{state_.config, page.SlotTable, state_.SiteList, state_.texts,
                                     state_.ZeroChar, page.SlotCount, senders, picture_.mapName,
                                     picInner_->size()},
                        sitesByCall_);

    lblCall_.resize(SlotTable::Rows);
    shpCall_.resize(SlotTable::Rows);
    lblFrom_.resize(SlotTable::Rows);
    for (const PageMapRow &row : std::as_const(plan_.rows)) {
        if (row.kind == PageMapCase::FromMe) {
            picInner_->line(row.line->p1(), row.line->p2(), 2, kBlue);
            auto *from = makeMapLabel(picInner_, kLabelPoints, MapLabelColours::White);
            from->setAutoFillBackground(false);
            from->setText(QStringLiteral(" From Me "));
            from->adjustSize();
            from->move(fromLabelTopLeft(row, from->size()));
            const QRect box = from->geometry();
            picInner_->rectangle(box.topLeft() - QPoint(1, 1),
                                 box.topLeft() + QPoint(box.width() + 1, box.height() + 1), 1,
                                 Qt::black);
            from->installEventFilter(this);
            from->show();
            lblFrom_[row.row] = from;
        }
        if (row.siteMark)
            dotAndRing(*picInner_, row.site);
        if (row.line && row.kind != PageMapCase::FromMe)
            picInner_->line(row.line->p1(), row.line->p2(), 2, kBlue);

        auto *label = makeMapLabel(picInner_, kLabelPoints, MapLabelColours::White);
        label->setText(row.label);
        label->adjustSize();
        label->move(callLabelTopLeft(row, plan_, label->size()));
        label->setMouseTracking(true);
        label->installEventFilter(this);
        lblCall_[row.row] = label;
        shpCall_[row.row] = makeLabelFrame(picInner_);
        frameLabel(shpCall_[row.row], label, 1, 2);
    }

    if (plan_.homeMark) {
        dotAndRing(*picInner_, *plan_.home);
        lblMe_->setText(plan_.meLabel);
        lblMe_->adjustSize();
        lblMe_->move(meLabelTopLeft(*plan_.home, lblMe_->size()));
        frameLabel(Shape1_, lblMe_, 1, 3);
    } else {
        lblMe_->hide();
        Shape1_->hide();
    }
}

void PageMapWindow::passFinished() {
    if (state_.config.MyCall.isEmpty())
        return;
    if (state_.config.MapIndex == shownMapIndex_) {
        DrawAllSitesOnMap();
        return;
    }
    // The site map chose another map meanwhile; the page map follows it.
    QString message;
    const std::optional<MapPicture> picture =
        loadMapPicture(state_.paths, state_.lstMap, state_.config.MapIndex, &message);
    if (!picture) {
        // Passes come every minute or so; a message each time would be a nuisance.
        qCWarning(lcStations).noquote() << message;
        DrawAllSitesOnMap();
        return;
    }
    LoadAllSitesMap(*picture);
}

void PageMapWindow::mnuMap2_Click(int Index) {
    if (const std::optional<MapPicture> picture = takeMapMenuChoice(state_, Index))
        LoadAllSitesMap(*picture);
}

QString PageMapWindow::unitText() const {
    return state_.config.Units == 1 ? state_.texts.LngMiles : state_.texts.LngKm;
}

void PageMapWindow::lblCall_MouseMove(int row) {
    const QLabel *label = lblCall_.value(row);
    const auto drawn = std::find_if(plan_.rows.cbegin(), plan_.rows.cend(),
                                    [row](const PageMapRow &r) { return r.row == row; });
    if (!label || drawn == plan_.rows.cend())
        return;
    const SlotTable &table = state_.page.SlotTable;
    lblInfo_->setText(
        pageMapInfoText(*drawn, table.value(row, stInfo), table.value(row, stTime), unitText()));
    lblInfo_->adjustSize();
    lblInfo_->move(label->x() - (lblInfo_->width() - label->width()) / 2,
                   label->y() + label->height() + 3);
    frameLabel(Shape2_, lblInfo_, 1, 2);
}

void PageMapWindow::lblCall_MouseDown(int row) {
    if (!lblCall_.value(row))
        return;
    lblCall_[row]->hide();
    shpCall_[row]->hide();
    pressedRow_ = row;
}

void PageMapWindow::lblCall_MouseUp(int row) {
    if (!lblCall_.value(row))
        return;
    lblCall_[row]->show();
    shpCall_[row]->show();
    if (pressedRow_ == row)
        pressedRow_ = -1;
}

void PageMapWindow::restorePressedLabel() {
    if (pressedRow_ >= 0)
        lblCall_MouseUp(pressedRow_);
}

void PageMapWindow::picInner_MouseMove(Qt::MouseButtons buttons, QPoint pos) {
    if (DragInit == 0) {
        DragInit = 1;
        drag_ = pos;
        return;
    }
    if (buttons == Qt::LeftButton) {
        const QSize view = picOuter_->size();
        const QSize inner = picInner_->size();
        QPoint corner = picInner_->pos();
        if (VScrollNeeded()) {
            if (const auto top =
                    dragged(corner.y(), pos.y(), drag_.y(), view.height(), inner.height())) {
                corner.setY(*top);
                state_.config.ScrollY = *top;
            }
        }
        if (HScrollNeeded()) {
            if (const auto left =
                    dragged(corner.x(), pos.x(), drag_.x(), view.width(), inner.width())) {
                corner.setX(*left);
                state_.config.ScrollX = *left;
            }
        }
        picInner_->move(corner);
    }
    Shape2_->hide();
    lblInfo_->hide();
}

void PageMapWindow::picInner_MouseDown(Qt::MouseButton button, QPoint pos, QPoint globalPos) {
    drag_ = pos;
    if (button != Qt::RightButton)
        return;
    QMenu mnuPopUp;
    fillMapMenu(mnuPopUp, QStringLiteral("Show GUI"), state_.lstMap, state_.config.MapIndex);
    if (const QAction *chosen = mnuPopUp.exec(globalPos))
        mnuMap2_Click(chosen->data().toInt());
}

bool PageMapWindow::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    const auto *mouse = dynamic_cast<const QMouseEvent *>(event);
    if (watched == picInner_) {
        if (type == QEvent::MouseMove) {
            picInner_MouseMove(mouse->buttons(), mouse->position().toPoint());
            return true;
        }
        if (type == QEvent::MouseButtonPress) {
            picInner_MouseDown(mouse->button(), mouse->position().toPoint(),
                               mouse->globalPosition().toPoint());
            return true;
        }
        if (type == QEvent::MouseButtonRelease) {
            // A label hidden by its press may not see the release.
            restorePressedLabel();
            return true;
        }
        if (type == QEvent::MouseButtonDblClick) {
            close();
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    const int row = int(lblCall_.indexOf(watched));
    if (row >= 0) {
        switch (type) {
        case QEvent::MouseMove:
            lblCall_MouseMove(row);
            return true;
        case QEvent::MouseButtonPress:
            lblCall_MouseDown(row);
            return true;
        case QEvent::MouseButtonRelease:
            lblCall_MouseUp(row);
            return true;
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return QWidget::eventFilter(watched, event);
        }
    }
    if (type == QEvent::MouseButtonDblClick && (watched == lblMe_ || lblFrom_.contains(watched))) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PageMapWindow::closeEvent(QCloseEvent *event) {
    // The next opening shows the same part of the map.
    state_.config.ScrollX = picInner_->x();
    state_.config.ScrollY = picInner_->y();
    if (state_.mainWindow)
        state_.mainWindow->activateMain();
    QWidget::closeEvent(event);
}

void PageMapWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    // The window manager or the user may give the window another size.
    picOuter_->fitTo(size());
}

PageMapWindow *openPageMapWindow(AppState &state, WindowRegistry &registry) {
    const std::optional<MapPicture> picture = loadMapPictureOrSay(state, state.config.MapIndex);
    if (!picture)
        return nullptr;
    bool made = false;
    PageMapWindow *window = openOnce<PageMapWindow>(registry, QStringLiteral("PageMapWindow"), [&] {
        made = true;
        auto *w = new PageMapWindow(state);
        w->LoadAllSitesMap(*picture);
        return w;
    });
    if (!made)
        window->LoadAllSitesMap(*picture);
    return window;
}

} // namespace tavimo
