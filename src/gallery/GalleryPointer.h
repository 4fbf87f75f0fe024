#pragma once

// What the pointer does on the gallery's cells: the status-and-date tip one
// second after the pointer entered a cell's picture, for three seconds; with
// Ctrl held, the cell's captions at once and larger, until the pointer leaves
// the cells; a press is handed on with the cell and the button. The rules are
// GalleryHover's; this part feeds it the grid's mouse events and shows the tip.

#include "gallery/GalleryHover.h"

#include <QObject>
#include <QPoint>
#include <QTimer>

class QLabel;

namespace tavimo {

class SlotTable;
class ThumbGrid;

class GalleryPointer : public QObject {
    Q_OBJECT

public:
    // `grid` and `table` must outlive the pointer.
    GalleryPointer(ThumbGrid &grid, const SlotTable &table, QObject *parent = nullptr);

    // The pointer moves over a cell's picture, still or animated.
    void img_MouseMove(int cell, Qt::KeyboardModifiers modifiers);
    // The pointer is over the surface between the cells: the tip goes.
    void pic15_MouseMove();
    // Nothing hovered and no tip built (a new pass refills the cells).
    void clearHover();

    QLabel *tipLabel() const { return lblToolTip; }
    const GalleryHover &hover() const { return hover_; }
    bool tipPending() const { return tipShowTimer.isActive(); }

signals:
    // A button went down on a cell's picture; `at` is the pointer on the screen.
    void cellPressed(int cell, Qt::MouseButton button, QPoint at);

private:
    void showTip(int cell, double fontScale, int lift);
    void tipShowTimer_Timer();
    void tipHideTimer_Timer();

    ThumbGrid &grid_;
    const SlotTable &table_;
    GalleryHover hover_;
    QLabel *lblToolTip = nullptr;
    QTimer tipShowTimer; // hover tip delay
    QTimer tipHideTimer; // hover tip lifetime
};

} // namespace tavimo
