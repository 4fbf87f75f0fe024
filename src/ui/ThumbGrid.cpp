#include "ui/ThumbGrid.h"

#include "core/base/Numbers.h"
#include "ui/AnimatedPicture.h"
#include "ui/ThumbCell.h"

#include <QEvent>
#include <QPixmap>

namespace tavimo {

namespace {

// The picture area of a cell, from the frame's corner.
constexpr int kPictureTop = 4;
constexpr double kFitWidth = 118;
constexpr double kFitHeight = 88;
constexpr int kCentreX = 65;
constexpr int kCentreY = 49;
// The placeholder sits one unit further right, at the full picture size.
constexpr int kPlaceholderLeft = 5;
constexpr int kPlaceholderWidth = 120;
constexpr int kPlaceholderHeight = 90;

constexpr int kBlinkIntervalMs = 150;
constexpr int kBlinkTicks = 20;
const QColor kBlinkBlue(0, 0, 255);

int rounded(double value) {
    return int(roundHalfEven(value));
}

QRect roundedRect(const QRectF &r) {
    return QRect(rounded(r.x()), rounded(r.y()), rounded(r.width()), rounded(r.height()));
}

} // namespace

QRectF fitPictureInCell(QSize picture, const QRect &shape1) {
    const double w = picture.width();
    const double h = picture.height();
    if (w <= 0 || h <= 0)
        return {};
    const double s = h / w < kFitHeight / kFitWidth ? w / kFitWidth : h / kFitHeight;
    const double dw = w / s;
    const double dh = h / s;
    return QRectF(shape1.left() + kCentreX - dw / 2, shape1.top() + kCentreY - dh / 2, dw, dh);
}

ThumbGrid::ThumbGrid(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picAll"));
    layout_ = thumbLayout(2).value_or(ThumbLayout{});
    blinkTimer.setInterval(kBlinkIntervalMs);
    connect(&blinkTimer, &QTimer::timeout, this, &ThumbGrid::blinkTimer_Timer);
    clock_.setRunning(false);
}

// The cells go before the decoder and the clock they use.
ThumbGrid::~ThumbGrid() {
    qDeleteAll(cells_);
    cells_.clear();
}

// ---- Animations while the window shows ----------------------------------------------------

void ThumbGrid::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (watchedWindow_ != window()) {
        if (watchedWindow_)
            watchedWindow_->removeEventFilter(this);
        watchedWindow_ = window();
        if (watchedWindow_ != this)
            watchedWindow_->installEventFilter(this);
    }
    followWindow();
}

void ThumbGrid::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    followWindow();
}

bool ThumbGrid::eventFilter(QObject *watched, QEvent *event) {
    if (watched == watchedWindow_) {
        switch (event->type()) {
        case QEvent::WindowStateChange:
        case QEvent::Show:
        case QEvent::Hide:
            followWindow();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ThumbGrid::followWindow() {
    const QWidget *top = window();
    // A minimised window is still "visible" to Qt.
    clock_.setRunning(isVisible() && !top->isMinimized());
}

// ---- Layout ------------------------------------------------------------------------------

void ThumbGrid::makeCells(double labelPoints, bool labelsBold) {
    while (cells_.size() > 1)
        delete cells_.takeLast();
    const auto made = [this](int slot) {
        auto *cell = new ThumbCell(slot, this);
        connect(cell->img, &StillPicture::decodeFailed, this,
                [this, slot] { emit pictureNotDecoded(slot); });
        cells_.append(cell);
        cell->show();
    };
    if (cells_.isEmpty())
        made(0);
    for (int i = 1; i < layout_.slotCount; ++i)
        made(i);
    for (ThumbCell *cell : std::as_const(cells_)) {
        cell->img->setDecoder(&decoder_);
        cell->setAnimationServices(&decoder_, &clock_);
        emptyCell(*cell);
        cell->setGeometryUnits(cellGeometryFor_ ? cellGeometryFor_(cell->slot())
                                                : cellGeometry(cell->slot(), layout_.gridCols));
        cell->setLabelFont(labelPoints, labelsBold);
    }
    emit cellsMade();
    placeCells();
}

void ThumbGrid::emptyCell(ThumbCell &cell) {
    const QColor back = backColor();
    cell.setShapeColor(back);
    ThumbCell::setLabelText(cell.lblCall, QString());
    cell.lblCall->show();
    ThumbCell::setLabelText(cell.lblFrom, QString());
    cell.lblFrom->show();
    cell.setSenderShown(true);
    if (cell.hasLblConnect())
        ThumbCell::setLabelText(cell.lblConnect(), QString());
    if (cell.img->palette().color(QPalette::Window) != back) {
        QPalette palette = cell.img->palette();
        palette.setColor(QPalette::Window, back);
        cell.img->setPalette(palette);
    }
    cell.img->clear();
    cell.img->setToolTip(QString());
    cell.img->show();
    if (cell.hasAniGIF()) {
        cell.AniGIF()->hide();
        cell.AniGIF()->setToolTip(QString());
        cell.AniGIF()->clear();
    }
    cell.setProgressShown(false);
}

void ThumbGrid::ArrangeThumbnailGrid() {
    const QColor back = backColor();
    for (ThumbCell *cell : std::as_const(cells_)) {
        const CellGeometry &units = cell->geometryUnits();
        cell->moveImg(units.imgAfterPageSwitch);
        cell->img->clear();
        cell->img->setToolTip(QString());
        cell->img->update();
        if (cell->hasAniGIF()) {
            AnimatedPicture *gif = cell->AniGIF();
            gif->hide();
            gif->clear();
            gif->setToolTip(QString());
            gif->setBackColor(back);
            gif->refresh();
        }
        ThumbCell::setLabelText(cell->lblCall, QString());
        ThumbCell::setLabelText(cell->lblFrom, QString());
        cell->setShapeColor(back);
        cell->setProgressShown(false);
    }
}

void ThumbGrid::placeCells() {
    const UserScale scale(layout_.scaleSize(), size());
    for (ThumbCell *cell : std::as_const(cells_))
        cell->place(scale);
}

void ThumbGrid::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    placeCells();
}

ThumbCell *ThumbGrid::cell(int slot) const {
    return slot >= 0 && slot < cells_.size() ? cells_[slot] : nullptr;
}

QColor ThumbGrid::backColor() const {
    return palette().color(QPalette::Window);
}

QRect ThumbGrid::slotFrame(int slot) const {
    if (!cell(slot))
        return {};
    const UserScale scale(layout_.scaleSize(), size());
    return scale.toPixels(QRectF(cellGeometry(slot, layout_.gridCols).shape1));
}

QRect ThumbGrid::slotFrameOnScreen(int slot) const {
    const QRect frame = slotFrame(slot);
    return frame.isNull() ? QRect() : QRect(mapToGlobal(frame.topLeft()), frame.size());
}

QFont ThumbGrid::labelFont() const {
    return cells_.isEmpty() ? font() : cells_.first()->lblCall->font();
}

// ---- What a slot shows ---------------------------------------------------------------------

void ThumbGrid::clearSlot(int slot) {
    ThumbCell *c = cell(slot);
    if (!c)
        return;
    if (c->hasAniGIF()) {
        c->AniGIF()->clear();
        c->AniGIF()->hide();
    }
    c->img->clear();
    c->setShapeColor(backColor());
    ThumbCell::setLabelText(c->lblCall, QString());
    ThumbCell::setLabelText(c->lblFrom, QString());
    c->moveImg(c->geometryUnits().img);
    c->setProgressShown(false);
}

bool ThumbGrid::showPicture(int slot, const QByteArray &picture, const QString &file) {
    ThumbCell *c = cell(slot);
    if (!c || picture.isEmpty())
        return false;
    // The header is read once, here: it says where the picture box goes and
    // whether it animates. Nothing is painted while this runs, so the box
    // moves once, straight to its fitted place, and the picture is decoded at
    // that size.
    const QRect shape = c->geometryUnits().shape1;
    const std::optional<PictureHeader> header = readPictureHeader(picture);
    if (!header) {
        // No size in the header: the picture is decoded here to learn it.
        AnimatedPicture *gif = c->AniGIF();
        const bool loaded = gif->loadBytes(picture);
        const QRectF fitted = loaded ? fitPictureInCell(gif->pictureSize(), shape) : QRectF();
        if (fitted.isEmpty()) {
            gif->clear();
            return false;
        }
        c->moveImg(roundedRect(fitted));
        if (gif->frameCount() >= 2) {
            c->img->clear();
            gif->setBackColor(Qt::black);
            gif->show();
            gif->startAnimation();
        } else {
            // Decoded again at the cell's size: the frame at its own is not kept.
            gif->hide();
            gif->clear();
            c->img->setPicture(picture, {}, file);
        }
        c->img->show();
        c->img->update();
        return true;
    }
    const QRectF fitted = fitPictureInCell(header->size, shape);
    if (fitted.isEmpty()) {
        if (c->hasAniGIF())
            c->AniGIF()->clear();
        return false;
    }
    c->moveImg(roundedRect(fitted));

    if (header->frames >= 2) {
        c->img->clear();
        AnimatedPicture *gif = c->AniGIF();
        gif->setBackColor(Qt::black);
        gif->loadBytes(picture, *header, file);
        gif->show();
        gif->startAnimation();
    } else {
        if (c->hasAniGIF()) {
            c->AniGIF()->hide();
            c->AniGIF()->clear();
        }
        c->img->setPicture(picture, header->format, file);
    }
    c->img->show();
    c->img->update();
    return true;
}

void ThumbGrid::showPlaceholder(int slot, const PlaceholderLines &lines) {
    ThumbCell *c = cell(slot);
    if (!c)
        return;
    if (c->hasAniGIF())
        c->AniGIF()->clear();
    c->img->clear();
    c->img->show();
    const QRect shape = c->geometryUnits().shape1;
    c->moveImg(QRect(shape.left() + kPlaceholderLeft, shape.top() + kPictureTop, kPlaceholderWidth,
                     kPlaceholderHeight));
    if (c->hasAniGIF())
        c->AniGIF()->hide();
    c->img->setPixmap(QPixmap::fromImage(renderPlaceholder(c->img->size(), lines)));
}

void ThumbGrid::startProgress(int slot) {
    if (ThumbCell *c = cell(slot)) {
        c->picProg->setPercent(0);
        c->picProg->setBackColor(c->shapeColor());
        c->setProgressShown(true);
    }
}

void ThumbGrid::showProgress(int slot, qint64 bytesMax, qint64 bytesDone) {
    ThumbCell *c = cell(slot);
    if (!c)
        return;
    c->picProg->setBackColor(c->shapeColor());
    if (bytesDone >= bytesMax) {
        c->setProgressShown(false);
        return;
    }
    c->picProg->setPercent(rounded(double(bytesDone) / (double(bytesMax) / 100)));
    c->setProgressShown(true);
}

void ThumbGrid::hideProgress(int slot) {
    if (ThumbCell *c = cell(slot))
        c->setProgressShown(false);
}

// ---- Blink ---------------------------------------------------------------------------------

void ThumbGrid::startSlotBlink(int slot) {
    ThumbCell *target = cell(slot);
    if (!target)
        return;
    stopSlotBlink();
    BlinkSlot = slot;
    BlinkCount = 0;
    BlinkColour = target->shapeColor();
    blinkTimer.start();
}

void ThumbGrid::blinkTimer_Timer() {
    ThumbCell *target = cell(BlinkSlot);
    if (!target) {
        blinkTimer.stop();
        return;
    }
    ++BlinkCount;
    target->setShapeColor(BlinkCount % 2 == 1 ? kBlinkBlue : BlinkColour);
    if (BlinkCount >= kBlinkTicks) {
        blinkTimer.stop();
        target->setShapeColor(BlinkColour);
        target->update();
    }
}

void ThumbGrid::stopSlotBlink() {
    if (!blinkTimer.isActive())
        return;
    blinkTimer.stop();
    if (ThumbCell *target = cell(BlinkSlot))
        target->setShapeColor(BlinkColour);
}

} // namespace tavimo
