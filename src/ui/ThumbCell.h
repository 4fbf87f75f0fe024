#pragma once

#include "core/thumbs/GridGeometry.h"
#include "core/thumbs/PictureDecoding.h"

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <optional>

class QPainter;

namespace tavimo {

class AnimatedPicture;
class AnimationClock;

// Disabling a window makes Qt repaint every widget in it. The parts of a cell
// that paint the same whether enabled or not (most of them: only text and
// placeholder pictures grey out) leave that repaint out, so that opening a
// window that disables the main window does not redraw its whole grid.

// Whether `widget` looks the same disabled: it shows nothing the style greys
// out (`greyedByStyle`: text, a pixmap) and its background keeps its colour.
bool keepsLookWhenDisabled(const QWidget &widget, bool greyedByStyle);

// What QWidget does on an enabled change, less the repaint.
void noteEnabledChange(QWidget *widget);

// The parts of a cell that come and go during a pass (the waiting text, the
// sender line, the progress bar) stay shown as widgets and change what they
// paint instead: showing a widget while the pointer is over the window costs
// a round trip to the X server, and a pass would make dozens.

// A label that paints its text only while its content is shown.
class CellLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;
    bool isContentShown() const { return contentShown_; }
    void setContentShown(bool shown);

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool contentShown_ = true;
};

// The download progress bar of a cell: a filled box over a background, from
// the left edge to the share done; nothing while its content is not shown.
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
    bool isContentShown() const { return contentShown_; }
    void setContentShown(bool shown);

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QColor back_;
    QColor fore_;
    int percent_ = 0;
    bool contentShown_ = false;
};

// The cell's still picture. A photograph is decoded straight to the label's
// size (a JPEG decodes much faster at a fraction of its size): with a
// decoder, off the window's thread as soon as it is set, otherwise when it is
// first painted. What the label keeps is what it draws: once decoded, the
// bytes the picture came in are let go, and a resized window reads its stored
// file again, sharp; until a decoded picture is in, the one before is
// stretched, or the background shows. A file that no longer holds those bytes
// (rewritten since, or not yet written) is read again a little later, a few
// times, the picture stretched meanwhile. A picture given without a file
// keeps its bytes. A picture whose header reads but whose data does not
// decode is remembered as such for that size, so that painting does not ask
// again and again. Pixmaps set directly (the "not found" placeholder) are the
// label's as usual.
class StillPicture : public QLabel {
    Q_OBJECT

public:
    explicit StillPicture(QWidget *parent = nullptr);
    // Must outlive the widget.
    void setDecoder(PictureDecoder *decoder) { decoder_ = decoder; }
    // `format` as the picture's header names it ("" to find out); `file`
    // holds (or is about to hold) the same bytes.
    void setPicture(QByteArray encoded, const QByteArray &format = {}, const QString &file = {});
    // These forget the picture kept, then act as QLabel's own.
    void setPixmap(const QPixmap &pixmap);
    void clear();
    // The picture on show, at its own size (decoded for the asking, from its
    // file once its bytes are let go; null when the file holds another).
    QPixmap pixmap() const;
    bool hasPicture() const { return stored_ || !QLabel::pixmap().isNull(); }
    // The picture kept is decoded at the label's size (false without one).
    bool isDecoded() const;
    // The bytes the picture came in are still held.
    bool holdsBytes() const { return !encoded_.isEmpty(); }

signals:
    // The picture kept does not decode at the label's size. It is not asked
    // for again at that size: only a new picture or a new size asks again.
    void decodeFailed();

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void fillBackground(QPainter &painter);
    QSize pixelSize() const;
    StillSource source() const;
    void requestDecode(QSize pixels);
    void decoded(DecodedStill still, QSize pixels);
    void noteDecodeFailure(QSize pixels);
    void readFileLater(QSize pixels, const QString &unreadable);
    void forgetPicture();

    PictureDecoder *decoder_ = nullptr;
    bool stored_ = false; // a picture is kept, by its bytes or its file
    QByteArray encoded_;  // until the picture is first decoded, when it has a file
    QString file_;
    PictureFingerprint fingerprint_; // of the bytes, once decoded
    QByteArray format_;
    quint64 serial_ = 0; // the picture kept; answers for another are dropped
    QSize requested_;    // the size of the decode on its way
    QImage decoded_;     // of the picture `decodedSerial_`, maybe the one before
    quint64 decodedSerial_ = 0;
    quint64 failedSerial_ = 0; // the picture not asked for again at failedPixels_
    QSize failedPixels_;
    int fileRetries_ = 0;         // reads of a changed file asked again for this picture
    bool fileChangeTold_ = false; // the log said the file no longer holds this picture
};

// One thumbnail of the main window's grid. The cell widget covers the frame
// and the label that hangs below it; it paints the frame `Shape1` (filled with
// the cell's colour) and its white left and top edges `Line1` and `Line2`, and
// holds the other parts as child widgets under their control names.
//
// Parts are placed in the window's user scale: the cell keeps their unit
// rectangles and maps them to pixels whenever the grid is resized.
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

    // The parts that come and go during a pass, by what they paint.
    // lblConnect: the waiting text, while the slot waits for its first answer.
    bool isWaiting() const { return lblConnect_ && lblConnect_->isContentShown(); }
    void setWaiting(bool waiting);
    // lblFrom: the sender line.
    bool isSenderShown() const { return lblFrom->isContentShown(); }
    void setSenderShown(bool shown) { lblFrom->setContentShown(shown); }
    // picProg: the progress bar, while a picture is on its way.
    bool isProgressShown() const { return picProg->isContentShown(); }
    void setProgressShown(bool shown) { picProg->setContentShown(shown); }

    // Sets a label's text only when it changes.
    static void setLabelText(QLabel *label, const QString &text);

    // The cell's number (`lblNum`, in units), white on dark grey and bold in
    // `points`: the gallery numbers its cells. Made by the first call; the
    // main window's cells have none.
    void setNumberLabel(const QRect &units, const QString &text, double points);

    // Parts of the cell (named as the controls they stand for).
    StillPicture *img = nullptr;     // still picture
    QLabel *lblCall = nullptr;       // site callsign and picture age
    CellLabel *lblFrom = nullptr;    // sender callsign
    SlotProgress *picProg = nullptr; // download progress
    QLabel *lblNum = nullptr;        // the cell's number (gallery only)
    // The animated picture inside img, made when first asked for: most
    // pictures are stills, and a gallery is opened and closed often.
    AnimatedPicture *AniGIF();
    bool hasAniGIF() const { return aniGIF_ != nullptr; }
    // The animation shows (false while there is none).
    bool isAnimationShown() const;
    // What the animation decodes its frames on and is driven by; both must
    // outlive the cell.
    void setAnimationServices(PictureDecoder *decoder, AnimationClock *clock);
    // The waiting text, made when first asked for: the gallery never waits.
    CellLabel *lblConnect();
    bool hasLblConnect() const { return lblConnect_ != nullptr; }

signals:
    // The animated picture has just been made (for those that listen to it).
    void aniGIFMade(AnimatedPicture *picture);

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    CellLabel *makeLabel(const char *name);
    void colourCaptions();

    int slot_;
    CellLabel *lblConnect_ = nullptr;
    AnimatedPicture *aniGIF_ = nullptr;
    PictureDecoder *frameDecoder_ = nullptr;
    AnimationClock *frameClock_ = nullptr;
    double labelPoints_ = 0;
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
