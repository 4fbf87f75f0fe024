// What the pointer does on the thumbnails: the tip under a hovered picture,
// the enlarged captions with Ctrl, the large viewer on a left click, a fresh
// fetch of a slot whose picture was not found, and the slot's pop-up menu.
//
// The rules live in core (ThumbHover, thumbPopUp); this file feeds them the
// window's events and applies their answers to the cells and the menu.

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "mainwindow/Logging.h"
#include "mainwindow/MainWindow.h"
#include "ui/AnimatedPicture.h"
#include "ui/ThumbCell.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

#include <utility>

namespace tavimo {

namespace {

// Marks a cell whose events already reach the window: cell 0 outlives every
// new layout and must not be wired twice.
const char *const kWiredProperty = "tavimoThumbWired";

// The busy pointer while the viewer opens; it goes back on every way out,
// so a viewer that fails to open cannot leave it behind.
class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

} // namespace

void MainWindow::connectThumbActions() {
    picAll_->setMouseTracking(true);

    lblToolTip = new QLabel(picAll_);
    lblToolTip->setObjectName(QStringLiteral("lblToolTip"));
    lblToolTip->setTextFormat(Qt::PlainText);
    lblToolTip->setAutoFillBackground(true);
    QPalette tipColours = lblToolTip->palette();
    tipColours.setColor(QPalette::Window, tipColours.color(QPalette::ToolTipBase));
    tipColours.setColor(QPalette::WindowText, tipColours.color(QPalette::ToolTipText));
    lblToolTip->setPalette(tipColours);
    // The pointer passes through the tip to the thumbnail below it, so that
    // touching the tip does not count as leaving the thumbnails.
    lblToolTip->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblToolTip->hide();

    tipShowTimer.setInterval(kTipDelayMs);
    tipHideTimer.setInterval(kTipLifetimeMs);
    connect(&tipShowTimer, &QTimer::timeout, this, &MainWindow::Timer7_Timer);
    connect(&tipHideTimer, &QTimer::timeout, this, &MainWindow::Timer8_Timer);

    const auto onItem = [this](const QString &name, int index, auto handler) {
        if (QAction *item = menuItem(name, index))
            connect(item, &QAction::triggered, this, handler);
        else
            qCWarning(lcMainWindow) << "no menu item" << name << index;
    };
    onItem(QStringLiteral("mnuMapLoc"), -1, [this] { mnuMapLoc_Click(); });
    onItem(QStringLiteral("mnuStView"), 0, [this] { mnuStView_Click(0); });
    onItem(QStringLiteral("mnuStView"), 1, [this] { mnuStView_Click(1); });
    onItem(QStringLiteral("mnuSave"), -1, [this] { mnuSave_Click(); });
    onItem(QStringLiteral("mnuPaste"), -1, [this] { mnuPaste_Click(); });
    onItem(QStringLiteral("mnuLeaveBlank"), -1, [this] { mnuLeaveBlank_Click(); });
    onItem(QStringLiteral("mnuSelectSite"), -1, [this] { mnuSelectSite_Click(); });
    onItem(QStringLiteral("mnuAll"), -1, [this] { mnuAll_Click(); });
    onItem(QStringLiteral("mnuThisPage"), -1, [this] { showAlphaList(); });
    for (int i = 0; i < kAlphaMenuItems; ++i)
        onItem(QStringLiteral("mnuAlphaList"), i, [this, i] { mnuAlphaList_Click(i); });
}

void MainWindow::wireThumbCell(ThumbCell &c) {
    if (c.property(kWiredProperty).toBool())
        return;
    c.setProperty(kWiredProperty, true);
    // The frame around the picture is background; moves over the captions
    // come up to the cell too and are told apart there.
    c.setMouseTracking(true);
    c.installEventFilter(this);
    c.img->setMouseTracking(true);
    c.img->installEventFilter(this);
    const int slot = c.slot();
    connect(c.AniGIF, &AnimatedPicture::mouseMoved, this,
            [this, slot](Qt::MouseButtons, Qt::KeyboardModifiers modifiers, QPoint) {
                img_MouseMove(slot, shiftState(modifiers));
            });
    connect(c.AniGIF, &AnimatedPicture::mousePressed, this,
            [this, slot](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint) {
                img_MouseDown(slot, mouseButton(button), shiftState(modifiers));
            });
}

bool MainWindow::thumbEventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (watched == picAll_) {
        if (type == QEvent::MouseMove)
            picAll_MouseMove();
        return false;
    }
    if (auto *c = qobject_cast<ThumbCell *>(watched)) {
        // Only the bare frame is background: the captions do nothing.
        if (type == QEvent::MouseMove && cells_.contains(c) &&
            !c->childAt(mouse->position().toPoint()))
            picAll_MouseMove();
        return false;
    }
    auto *c = qobject_cast<ThumbCell *>(watched->parent());
    if (!c || watched != c->img || !cells_.contains(c))
        return false;
    if (type == QEvent::MouseMove)
        img_MouseMove(c->slot(), shiftState(mouse->modifiers()));
    else
        img_MouseDown(c->slot(), mouseButton(mouse->button()), shiftState(mouse->modifiers()));
    return true;
}

ThumbContext MainWindow::thumbContext() const {
    return ThumbContext{state_.page.SlotTable, state_.SiteList, state_.config, state_.texts,
                        state_.page.isWxPage()};
}

ThumbSlotState MainWindow::thumbSlotState(int slot) const {
    ThumbSlotState slotState;
    if (const ThumbCell *c = cell(slot)) {
        slotState.lblCall = c->lblCall->text();
        slotState.progressVisible = !c->picProg->isHidden();
        slotState.animationShown = !c->AniGIF->isHidden();
    }
    return slotState;
}

// ---- Hover --------------------------------------------------------------------------

void MainWindow::img_MouseMove(int Index, int Shift) {
    if (!cell(Index))
        return;
    applyTip(Index, hover_.mouseMove(Index, Shift, thumbContext()));
}

void MainWindow::applyTip(int slot, const ThumbTipPlan &tip) {
    switch (tip.kind) {
    case ThumbTipPlan::Kind::Nothing:
        return;
    case ThumbTipPlan::Kind::CaptionZoom:
        if (WindowOpener *windows = opener())
            windows->openCaptionZoom(slot);
        return;
    case ThumbTipPlan::Kind::Prepared:
        break;
    }
    if (ThumbCell *c = cell(slot)) {
        c->img->setToolTip(tip.pictureToolTip);
        c->AniGIF->setToolTip(tip.pictureToolTip);
    }
    // A running delay goes on: enabling an enabled timer does not restart it.
    if (tip.startTipTimer && !tipShowTimer.isActive())
        tipShowTimer.start();
}

void MainWindow::picAll_MouseMove() {
    hover_.leave();
    if (WindowOpener *windows = opener())
        windows->closeCaptionZoom();
    if (lblToolTip)
        lblToolTip->hide();
    tipHideTimer.stop();
    tipShowTimer.stop();
    tipShowTimer.setInterval(kTipDelayMs);
}

void MainWindow::Timer7_Timer() {
    const std::optional<int> slot = hover_.tipSlot();
    if (!slot)
        return;
    tipShowTimer.stop();
    tipHideTimer.stop();
    ThumbCell *c = cell(*slot);
    // An empty tip is no tip: the slot hovered last prepared none.
    if (!c || hover_.TipText.isEmpty())
        return;
    QFont font = labelFont();
    font.setBold(false);
    lblToolTip->setFont(font);
    lblToolTip->setText(hover_.TipText);
    lblToolTip->adjustSize();
    const QRect picture(c->img->mapTo(picAll_, QPoint(0, 0)), c->img->size());
    const UserScale scale(layout_.scaleSize(), picAll_->size());
    const QRect frame = scale.toPixels(QRectF(c->geometryUnits().shape1));
    lblToolTip->move(tipLabelTopLeft(picture, frame, lblToolTip->width()));
    lblToolTip->show();
    lblToolTip->raise();
    tipHideTimer.start(kTipLifetimeMs);
}

void MainWindow::Timer8_Timer() {
    lblToolTip->hide();
    tipHideTimer.stop();
}

// ---- Click --------------------------------------------------------------------------

void MainWindow::img_MouseDown(int Index, int Button, int Shift) {
    ThumbCell *c = cell(Index);
    if (!c)
        return;
    const QPoint CursorPos = QCursor::pos();
    flushSlotPictures(); // the click looks for the slot's file
    const ThumbClickPlan click =
        hover_.click(Index, Button, Shift, thumbContext(), thumbSlotState(Index), state_.paths,
                     earthViewTemplate());
    state_.page.SelectedSlot = click.SelectedSlot;
    popUpPosition_ = click.position;
    // The tip of a pressed thumbnail waits until the pointer has left the
    // thumbnails, or a minute.
    tipShowTimer.stop();
    tipShowTimer.setInterval(kTipDelayAfterClickMs);
    applyTip(Index, click.tip);
    applyPopUp(click.popUp);

    switch (click.action) {
    case ThumbClickAction::Nothing:
        break;
    case ThumbClickAction::Refetch:
        StartSlotFetch();
        break;
    case ThumbClickAction::OpenViewer:
        // The viewer reads size and frames from the slot's animation part.
        if (click.loadPictureFirst && !c->AniGIF->loadFile(click.PicturePath))
            break;
        showSlotViewer(Index, click.PicturePath, CursorPos);
        break;
    case ThumbClickAction::PopUp:
        if (QMenu *pop = menu(QStringLiteral("mnuPopMenu")))
            pop->popup(CursorPos);
        break;
    }
}

void MainWindow::showSlotViewer(int slot, const QString &path, QPoint cursorPos) {
    const BusyPointer busy;
    lblToolTip->hide();
    tipShowTimer.stop();
    if (WindowOpener *windows = opener())
        windows->openPictureViewer(path, slot, cursorPos);
}

QString MainWindow::earthViewTemplate() {
    const QAction *item = menuItem(QStringLiteral("mnuEarthView"));
    const QMenu *sub = item ? item->menu() : nullptr;
    if (!sub)
        return {};
    // Every language load sets the item's caption afresh; a caption other than
    // the one the pop-up wrote last is therefore the language's own, "??" and all.
    if (earthViewTemplate_.isNull() || sub->title() != earthViewShown_)
        earthViewTemplate_ = sub->title();
    return earthViewTemplate_;
}

void MainWindow::applyPopUp(const ThumbPopUp &popUp) {
    const std::pair<const char *, const PopUpItem *> items[] = {
        {"mnuRefreshSite", &popUp.mnuRefreshSite},
        {"mnuReloadPage", &popUp.mnuReloadPage},
        {"mnuRefreshSep", &popUp.mnuRefreshSep},
        {"mnuLast15", &popUp.mnuLast15},
        {"mnuLast10", &popUp.mnuLast10},
        {"mnuTX", &popUp.mnuTX},
        {"mnuText", &popUp.mnuText},
        {"mnuCamSite", &popUp.mnuCamSite},
        {"mnuMapSep", &popUp.mnuMapSep},
        {"mnuMapLoc", &popUp.mnuMapLoc},
        {"mnuNoLat", &popUp.mnuNoLat},
        {"mnuEarthView", &popUp.mnuEarthView},
        {"mnuQrzCall", &popUp.mnuQrzCall},
        {"mnuQrzFrom", &popUp.mnuQrzFrom},
        {"mnuQrzSep", &popUp.mnuQrzSep},
        {"mnuSave", &popUp.mnuSave},
        {"mnuPaste", &popUp.mnuPaste},
        {"mnuPasteSep", &popUp.mnuPasteSep},
        {"mnuLeaveBlank", &popUp.mnuLeaveBlank},
        {"mnuSelectSite", &popUp.mnuSelectSite},
    };
    for (const auto &[name, item] : items) {
        QAction *action = menuItem(QLatin1String(name));
        if (!action) {
            qCWarning(lcMainWindow) << "no pop-up item" << name;
            continue;
        }
        action->setVisible(item->visible);
        if (item->caption.isEmpty())
            continue;
        if (QMenu *sub = action->menu())
            sub->setTitle(item->caption);
        else
            action->setText(item->caption);
    }
    if (!popUp.mnuEarthView.caption.isEmpty())
        earthViewShown_ = popUp.mnuEarthView.caption;
}

} // namespace tavimo
