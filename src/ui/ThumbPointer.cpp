#include "ui/ThumbPointer.h"

#include "core/app/WindowOpener.h"
#include "core/thumbs/FullPicture.h"
#include "ui/AnimatedPicture.h"
#include "ui/FixedColours.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

namespace tavimo {

namespace {

// Marks a cell whose events already reach the pointer: cell 0 outlives every
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

GridMouse::GridMouse(ThumbGrid &grid, QObject *parent) : QObject(parent), grid_(grid) {
    grid_.setMouseTracking(true);
    grid_.installEventFilter(this);
    connect(&grid_, &ThumbGrid::cellsMade, this, &GridMouse::wireCells);
    wireCells();
}

void GridMouse::wireCells() {
    for (ThumbCell *c : grid_.cells()) {
        if (c->property(kWiredProperty).toBool())
            continue;
        c->setProperty(kWiredProperty, true);
        // The frame around the picture is background; moves over the captions
        // come up to the cell too and are told apart there.
        c->setMouseTracking(true);
        c->installEventFilter(this);
        c->img->setMouseTracking(true);
        c->img->installEventFilter(this);
        const int slot = c->slot();
        // The animation is made when a cell first shows one.
        const auto wireAnimation = [this, slot](AnimatedPicture *gif) {
            connect(gif, &AnimatedPicture::mouseMoved, this,
                    [this, slot](Qt::MouseButtons, Qt::KeyboardModifiers modifiers, QPoint) {
                        emit pictureMoved(slot, modifiers);
                    });
            connect(gif, &AnimatedPicture::mousePressed, this,
                    [this, slot](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint) {
                        emit picturePressed(slot, button, modifiers);
                    });
        };
        if (c->hasAniGIF())
            wireAnimation(c->AniGIF());
        connect(c, &ThumbCell::aniGIFMade, this, wireAnimation);
    }
}

bool GridMouse::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress)
        return false;
    // A window that blocks the main window has disabled it: Qt still lets the
    // mouse through to filters, but a blocked window takes no clicks.
    if (const auto *widget = qobject_cast<QWidget *>(watched); widget && !widget->isEnabled())
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (watched == &grid_) {
        if (type == QEvent::MouseMove)
            emit backgroundMoved();
        return false;
    }
    if (auto *c = qobject_cast<ThumbCell *>(watched)) {
        // Only the bare frame is background: the captions do nothing.
        if (type == QEvent::MouseMove && grid_.cells().contains(c) &&
            !c->childAt(mouse->position().toPoint()))
            emit backgroundMoved();
        return false;
    }
    auto *c = qobject_cast<ThumbCell *>(watched->parent());
    if (!c || watched != c->img || !grid_.cells().contains(c))
        return false;
    if (type == QEvent::MouseMove)
        emit pictureMoved(c->slot(), mouse->modifiers());
    else
        emit picturePressed(c->slot(), mouse->button(), mouse->modifiers());
    return true;
}

QLabel *makeTipLabel(QWidget *grid) {
    auto *label = new QLabel(grid);
    label->setObjectName(QStringLiteral("lblToolTip"));
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(true);
    QPalette tipColours = label->palette();
    setToolTipColours(tipColours);
    label->setPalette(tipColours);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->hide();
    return label;
}

ThumbPointer::ThumbPointer(ThumbGrid &grid, ContextSource context, const AppPaths &paths,
                           WindowOpener *opener, QObject *parent)
    : QObject(parent), grid_(grid), context_(std::move(context)), paths_(paths), opener_(opener) {
    lblToolTip = makeTipLabel(&grid_);
    tipShowTimer.setInterval(kTipDelayMs);
    tipHideTimer.setInterval(kTipLifetimeMs);
    connect(&tipShowTimer, &QTimer::timeout, this, &ThumbPointer::tipShowTimer_Timer);
    connect(&tipHideTimer, &QTimer::timeout, this, &ThumbPointer::tipHideTimer_Timer);
    auto *mouse = new GridMouse(grid_, this);
    connect(mouse, &GridMouse::pictureMoved, this, &ThumbPointer::img_MouseMove);
    connect(mouse, &GridMouse::picturePressed, this, &ThumbPointer::img_MouseDown);
    connect(mouse, &GridMouse::backgroundMoved, this, &ThumbPointer::picAll_MouseMove);
}

ThumbSlotState ThumbPointer::slotState(int slot) const {
    ThumbSlotState state;
    if (const ThumbCell *c = grid_.cell(slot)) {
        state.lblCall = c->lblCall->text();
        state.progressVisible = c->isProgressShown();
        state.animationShown = c->isAnimationShown();
    }
    return state;
}

void ThumbPointer::clearHover() {
    // The enlarged captions belong to what was hovered, on the page of then.
    if (opener_)
        opener_->closeCaptionZoom();
    hover_.TipText.clear();
    hover_.HoverIndex = -1;
    hover_.LastTipSlot = -1;
}

void ThumbPointer::stopTimers() {
    tipShowTimer.stop();
    tipHideTimer.stop();
}

void ThumbPointer::forgetTip(int slot) {
    if (hover_.LastTipSlot == slot)
        hover_.LastTipSlot = -1;
}

// ---- Hover --------------------------------------------------------------------------

void ThumbPointer::img_MouseMove(int slot, Qt::KeyboardModifiers modifiers) {
    if (!grid_.cell(slot))
        return;
    applyTip(slot, hover_.mouseMove(slot, modifiers, context_()));
}

void ThumbPointer::applyTip(int slot, const ThumbTipPlan &tip) {
    switch (tip.kind) {
    case ThumbTipPlan::Kind::Nothing:
        return;
    case ThumbTipPlan::Kind::CaptionZoom:
        if (opener_)
            opener_->openCaptionZoom(slot);
        return;
    case ThumbTipPlan::Kind::Prepared:
        break;
    }
    if (ThumbCell *c = grid_.cell(slot)) {
        c->img->setToolTip(tip.pictureToolTip);
        if (c->hasAniGIF())
            c->AniGIF()->setToolTip(tip.pictureToolTip);
    }
    // A running delay goes on: enabling an enabled timer does not restart it.
    if (tip.startTipTimer && !tipShowTimer.isActive())
        tipShowTimer.start();
}

void ThumbPointer::picAll_MouseMove() {
    hover_.leave();
    if (opener_)
        opener_->closeCaptionZoom();
    lblToolTip->hide();
    tipHideTimer.stop();
    tipShowTimer.stop();
    tipShowTimer.setInterval(kTipDelayMs);
}

void ThumbPointer::tipShowTimer_Timer() {
    const std::optional<int> slot = hover_.tipSlot();
    if (!slot)
        return;
    tipShowTimer.stop();
    tipHideTimer.stop();
    ThumbCell *c = grid_.cell(*slot);
    // An empty tip is no tip: the slot hovered last prepared none.
    if (!c || hover_.TipText.isEmpty())
        return;
    QFont font = grid_.labelFont();
    font.setBold(false);
    lblToolTip->setFont(font);
    lblToolTip->setText(hover_.TipText);
    lblToolTip->adjustSize();
    const QRect picture(c->img->mapTo(&grid_, QPoint(0, 0)), c->img->size());
    QPoint at = tipLabelTopLeft(picture, grid_.slotFrame(*slot), lblToolTip->width());
    // The tip hides both caption lines under the picture: sized to its own
    // text it would leave part of the lower one showing below it.
    const int captionsBottom = c->lblFrom->mapTo(&grid_, QPoint(0, c->lblFrom->height())).y();
    lblToolTip->resize(lblToolTip->width(),
                       std::max(lblToolTip->height(), captionsBottom - at.y()));
    // A tip with the reason of a failure is a line longer: under the bottom row it moves up
    // rather than lose that line at the grid's edge.
    at.setY(qMax(0, qMin(at.y(), grid_.height() - lblToolTip->height())));
    lblToolTip->move(at);
    lblToolTip->show();
    lblToolTip->raise();
    tipHideTimer.start(kTipLifetimeMs);
}

void ThumbPointer::tipHideTimer_Timer() {
    lblToolTip->hide();
    tipHideTimer.stop();
}

// ---- Click --------------------------------------------------------------------------

void ThumbPointer::img_MouseDown(int slot, Qt::MouseButton button,
                                 Qt::KeyboardModifiers modifiers) {
    ThumbCell *c = grid_.cell(slot);
    if (!c)
        return;
    const QPoint CursorPos = QCursor::pos();
    emit slotFilesNeeded(); // the click looks for the slot's file
    const ThumbClickPlan click =
        hover_.click(slot, button, modifiers, context_(), slotState(slot), paths_,
                     earthViewCaption_ ? earthViewCaption_() : QString());
    emit slotPressed(click);
    // The tip of a pressed thumbnail waits until the pointer has left the
    // thumbnails, or a minute.
    tipShowTimer.stop();
    tipShowTimer.setInterval(kTipDelayAfterClickMs);
    applyTip(slot, click.tip);

    switch (click.action) {
    case ThumbClickAction::Nothing:
        break;
    case ThumbClickAction::Refetch:
        emit refetchRequested();
        break;
    case ThumbClickAction::OpenViewer:
        // The viewer reads the file itself, off the window's thread; a file
        // that holds no picture opens nothing. One that cannot be read at all
        // (a named pipe in its place, never waited on) the viewer names.
        if (QString unreadable; click.loadPictureFirst &&
                                !readFullPictureHeader(click.PicturePath, &unreadable) &&
                                unreadable.isEmpty())
            break;
        showViewer(slot, click.PicturePath, CursorPos);
        break;
    case ThumbClickAction::PopUp:
        emit popUpRequested(CursorPos);
        break;
    }
}

void ThumbPointer::showViewer(int slot, const QString &path, QPoint cursorPos) {
    const BusyPointer busy;
    lblToolTip->hide();
    tipShowTimer.stop();
    if (opener_)
        opener_->openPictureViewer(path, slot, cursorPos);
}

} // namespace tavimo
