#include "gallery/GalleryPointer.h"

#include "core/thumbs/ThumbTip.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"
#include "ui/ThumbPointer.h"

#include <QCursor>
#include <QLabel>

namespace tavimo {

namespace {

// The captions shown with Ctrl are half as large again as the labels, and
// overlap the picture's lower edge by a pixel.
constexpr double kCaptionTipScale = 1.5;

} // namespace

GalleryPointer::GalleryPointer(ThumbGrid &grid, const SlotTable &table, QObject *parent)
    : QObject(parent), grid_(grid), table_(table) {
    lblToolTip = makeTipLabel(&grid_);
    // The gallery's tip is Arial bold with its lines centred, as the cells'
    // own labels were designed.
    QFont tipFont = lblToolTip->font();
    tipFont.setFamily(QStringLiteral("Arial"));
    tipFont.setBold(true);
    lblToolTip->setFont(tipFont);
    lblToolTip->setAlignment(Qt::AlignCenter);
    tipShowTimer.setSingleShot(true);
    tipShowTimer.setInterval(kGalleryTipDelayMs);
    tipHideTimer.setSingleShot(true);
    tipHideTimer.setInterval(kGalleryTipLifetimeMs);
    connect(&tipShowTimer, &QTimer::timeout, this, &GalleryPointer::tipShowTimer_Timer);
    connect(&tipHideTimer, &QTimer::timeout, this, &GalleryPointer::tipHideTimer_Timer);

    auto *mouse = new GridMouse(grid_, this);
    connect(mouse, &GridMouse::pictureMoved, this, &GalleryPointer::img_MouseMove);
    connect(mouse, &GridMouse::backgroundMoved, this, &GalleryPointer::pic15_MouseMove);
    connect(mouse, &GridMouse::picturePressed, this,
            [this](int cell, Qt::MouseButton button, Qt::KeyboardModifiers) {
                emit cellPressed(cell, button, QCursor::pos());
            });
}

void GalleryPointer::img_MouseMove(int cell, Qt::KeyboardModifiers modifiers) {
    const ThumbCell *c = grid_.cell(cell);
    if (!c)
        return;
    switch (hover_.mouseMove(cell, shiftState(modifiers), table_, c->lblCall->text(),
                             c->lblFrom->text())) {
    case GalleryTip::Nothing:
        break;
    case GalleryTip::Caption:
        // Shown until the pointer leaves the cells; no delay runs for it.
        tipShowTimer.stop();
        tipHideTimer.stop();
        showTip(cell, kCaptionTipScale, 1);
        break;
    case GalleryTip::Delayed:
        tipShowTimer.start();
        break;
    }
}

void GalleryPointer::pic15_MouseMove() {
    hover_.leave();
    lblToolTip->hide();
    tipHideTimer.stop();
    tipShowTimer.stop();
}

void GalleryPointer::clearHover() {
    pic15_MouseMove();
    hover_.TipText.clear();
}

void GalleryPointer::showTip(int cell, double fontScale, int lift) {
    const ThumbCell *c = grid_.cell(cell);
    if (!c)
        return;
    QFont font = lblToolTip->font();
    font.setPointSizeF(grid_.labelFont().pointSizeF() * fontScale);
    lblToolTip->setFont(font);
    lblToolTip->setText(hover_.TipText);
    lblToolTip->adjustSize();
    const QRect picture(c->img->mapTo(&grid_, QPoint(0, 0)), c->img->size());
    lblToolTip->move(tipLabelTopLeft(picture, grid_.slotFrame(cell), lblToolTip->width()) -
                     QPoint(0, lift));
    lblToolTip->show();
    lblToolTip->raise();
}

void GalleryPointer::tipShowTimer_Timer() {
    const std::optional<int> cell = hover_.tipCell();
    if (!cell || hover_.TipText.isEmpty())
        return;
    showTip(*cell, 1.0, 0);
    tipHideTimer.start();
}

void GalleryPointer::tipHideTimer_Timer() {
    lblToolTip->hide();
}

} // namespace tavimo
