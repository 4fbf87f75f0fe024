#pragma once

#include "core/thumbs/GridGeometry.h"
#include "core/thumbs/NotFoundCanvas.h"
#include "core/thumbs/PictureDecoding.h"
#include "ui/AnimationClock.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tavimo {

class ThumbCell;

// Where a picture of `picture` pixels goes in a cell whose frame is `shape1`
// (window units): fitted into 118 x 88 units with its aspect kept, centred on
// the picture area. Wide pictures (height below 0.75 of the width) fill the
// width, the others the height. Empty for an empty picture.
QRectF fitPictureInCell(QSize picture, const QRect &shape1);

// The grid of thumbnail cells (the main window's "picAll"): one ThumbCell per
// slot, laid out in the user scale of a thumbnail layout and placed again
// whenever the grid is resized. It shows what it is told in a slot (a
// picture, the placeholder, the download's progress) and blinks a slot's
// frame; what a slot should show is its owner's business.
//
// Pictures are decoded off the window's thread at the size their cell shows
// them, as soon as they are handed over; animations are decoded once and
// cycled by one clock for the whole grid, which rests while the window is
// hidden or minimised.
class ThumbGrid : public QWidget {
    Q_OBJECT

public:
    explicit ThumbGrid(QWidget *parent = nullptr);
    ~ThumbGrid() override;

    // --- Layout ---------------------------------------------------------------

    // The layout the cells follow; the cells are made for it by makeCells().
    const ThumbLayout &gridLayout() const { return layout_; }
    void setGridLayout(const ThumbLayout &layout) { layout_ = layout; }
    // Where the parts of a slot's cell go, in units. Unset, the main window's
    // cellGeometry(); the gallery places its labels a little differently.
    using CellGeometryFor = std::function<CellGeometry(int slot)>;
    void setCellGeometryFor(CellGeometryFor geometry) { cellGeometryFor_ = std::move(geometry); }
    // Exactly as many empty cells as the layout has slots, their labels in
    // `labelPoints` (bold or not), placed at once. Cell 0 stays; the others
    // are made afresh.
    void makeCells(double labelPoints, bool labelsBold);
    // Empties every cell in place, the number of cells unchanged; the
    // pictures move one unit right and down, as after a page switch.
    void ArrangeThumbnailGrid();

    const QList<ThumbCell *> &cells() const { return cells_; }
    // The cell of a slot, or null for a slot the grid lacks.
    ThumbCell *cell(int slot) const;
    // The grid's own background, which empty frames take.
    QColor backColor() const;

    // A slot's frame in the grid's pixels, and on the screen; empty for a slot
    // the grid lacks.
    QRect slotFrame(int slot) const;
    QRect slotFrameOnScreen(int slot) const;
    // The font of the callsign labels.
    QFont labelFont() const;

    // --- What a slot shows ------------------------------------------------------

    // Empties a slot: picture, animation, captions, frame colour, progress.
    void clearSlot(int slot);
    // Shows a picture's bytes fitted into the slot, still or animated (an
    // animation plays). False, with nothing shown, when the bytes are no
    // picture that can be shown. The picture is decoded later, off the
    // window's thread; its cell knows its size and kind at once. A still
    // picture keeps only what it draws: `file`, which holds (or is about to
    // hold) the same bytes, is read again when the cell's size changes.
    bool showPicture(int slot, const QByteArray &picture, const QString &file = {});
    // The "not found" placeholder at the full picture size.
    void showPlaceholder(int slot, const PlaceholderLines &lines);
    // An empty progress bar on the frame's colour, as a download starts.
    void startProgress(int slot);
    // The share received; the bar goes once everything is in.
    void showProgress(int slot, qint64 bytesMax, qint64 bytesDone);
    void hideProgress(int slot);

    // --- Blink --------------------------------------------------------------------

    // Blinks the frame of `slot` blue and in its own colour, ten times in
    // three seconds, to show where a site picked from the alphabetical list is.
    void startSlotBlink(int slot);
    // Ends a running blink at once, the frame back in its own colour.
    void stopSlotBlink();
    bool isBlinking() const { return blinkTimer.isActive(); }
    int blinkTicks() const { return BlinkCount; }

    // --- Decoding and animation ------------------------------------------------------

    // Pictures handed over whose decoded form has not reached its cell yet.
    int decodesPending() const { return decoder_.pending(); }
    // Waits for them and hands them to their cells (tests, benchmarks).
    void waitForDecodes() { decoder_.waitForDone(); }
    // The clock of the grid's animations: running while the window is shown.
    const AnimationClock &animationClock() const { return clock_; }

signals:
    // New cells were made (each may need wiring to its owner).
    void cellsMade();
    // The still picture of `slot` does not decode at the size it is shown:
    // its owner shows the placeholder instead.
    void pictureNotDecoded(int slot);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The animations run while the window is on the screen.
    void followWindow();
    void placeCells();
    void emptyCell(ThumbCell &cell);
    void blinkTimer_Timer();

    ThumbLayout layout_;
    CellGeometryFor cellGeometryFor_;
    PictureDecoder decoder_;
    AnimationClock clock_;
    QPointer<QWidget> watchedWindow_;
    QList<ThumbCell *> cells_;
    QTimer blinkTimer; // 150 ms, 20 ticks
    int BlinkSlot = -1;
    int BlinkCount = 0;
    QColor BlinkColour;
};

} // namespace tavimo
