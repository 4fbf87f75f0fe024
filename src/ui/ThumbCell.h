#pragma once

#include "core/thumbs/GridGeometry.h"

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <optional>

namespace tavimo {

class AnimatedPicture;

// The download progress bar of a cell: a filled box over a background, from
// the left edge to the share done.
class SlotProgress : public QWidget {
    Q_OBJECT

public:
    explicit SlotProgress(QWidget *parent = nullptr);

    QColor backColor() const { return back_; }
    void setBackColor(const QColor &colour);
    QColor foreColor() const { return fore_; }
    void setForeColor(const QColor &colour);
    // 0 to 100; other values are clamped.
    int percent() const { return percent_; }
    void setPercent(int percent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor back_;
    QColor fore_;
    int percent_ = 0;
};

// One thumbnail of the main window's grid. The cell widget covers the frame
// and the label that hangs below it; it paints the frame `Shape1` (filled with
// the cell's colour) and its white left and top edges `Line1` and `Line2`, and
// holds the other parts as child widgets under their control names.
//
// Parts are placed in the window's user scale: the cell keeps their unit
// rectangles and maps them to pixels whenever the grid is resized.
// The cell's still picture. A photograph is kept as the bytes it came in and
// decoded straight to the label's size when it is first painted at that size
// (a JPEG decodes much faster at a fraction of its size), so a new picture is
// decoded and scaled once, and a resized window decodes again, sharp.
// Pixmaps set directly (the "not found" placeholder) are the label's as usual.
class StillPicture : public QLabel {
public:
    using QLabel::QLabel;
    void setPicture(QByteArray encoded);
    // These forget the picture kept, then act as QLabel's own.
    void setPixmap(const QPixmap &pixmap);
    void clear();
    // The picture on show, at its own size (decoded for the asking).
    QPixmap pixmap() const;
    bool hasPicture() const { return !encoded_.isEmpty() || !QLabel::pixmap().isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QByteArray encoded_;
    QPixmap scaled_;
};

class ThumbCell : public QWidget {
    Q_OBJECT

public:
    ThumbCell(int slot, QWidget *parent = nullptr);

    int slot() const { return slot_; }

    // `Shape1`: the colour that marks the cell.
    QColor shapeColor() const { return shapeColor_; }
    void setShapeColor(const QColor &colour);

    // The cell's parts in units (from cellGeometry), and where `img` lies now.
    const CellGeometry &geometryUnits() const { return units_; }
    void setGeometryUnits(const CellGeometry &units);
    QRect imgUnits() const { return imgUnits_; }
    // Moves the picture box (units); the animation fills it.
    void moveImg(const QRect &units);

    // Maps every part to pixels in the scale of the grid.
    void place(const UserScale &scale);

    // Font of the three labels.
    void setLabelFont(double points, bool bold);

    // True when nothing shows: no picture, no animation, no caption, no
    // progress bar.
    bool isBlank() const;

    // The cell's number (`lblNum`, in units), white on dark grey and bold in
    // `points`: the gallery numbers its cells. Made by the first call; the
    // main window's cells have none.
    void setNumberLabel(const QRect &units, const QString &text, double points);

    // Parts of the cell (named as the controls they stand for).
    StillPicture *img = nullptr;       // still picture
    AnimatedPicture *AniGIF = nullptr; // animated picture, inside img
    QLabel *lblCall = nullptr;         // site callsign and picture age
    QLabel *lblFrom = nullptr;         // sender callsign
    QLabel *lblConnect = nullptr;      // shown while the slot waits for its first answer
    SlotProgress *picProg = nullptr;   // download progress
    QLabel *lblNum = nullptr;          // the cell's number (gallery only)

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int slot_;
    QColor shapeColor_;
    CellGeometry units_;
    QRect imgUnits_;
    QRect numUnits_;
    // Pixels inside the cell, from the last place().
    QRect shapePixels_;
    QLine line1Pixels_;
    QLine line2Pixels_;
    std::optional<UserScale> scale_;
};

} // namespace tavimo
