#include "ui/ThumbCell.h"

#include "ui/AnimatedPicture.h"
#include "ui/FixedColours.h"
#include "ui/Logging.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace tavimo {

bool keepsLookWhenDisabled(const QWidget &widget, bool greyedByStyle) {
    if (greyedByStyle)
        return false;
    const QPalette &colours = widget.palette();
    const QBrush &disabled = colours.brush(QPalette::Disabled, QPalette::Window);
    return disabled == colours.brush(QPalette::Active, QPalette::Window) &&
           disabled == colours.brush(QPalette::Inactive, QPalette::Window);
}

void noteEnabledChange(QWidget *widget) {
#if QT_CONFIG(accessibility)
    QAccessible::State state;
    state.disabled = true;
    QAccessibleStateChangeEvent event(widget, state);
    QAccessible::updateAccessibility(&event);
#else
    Q_UNUSED(widget);
#endif
}

void CellLabel::changeEvent(QEvent *event) {
    if (event->type() == QEvent::EnabledChange &&
        keepsLookWhenDisabled(*this, contentShown_ && !text().isEmpty())) {
        noteEnabledChange(this);
        return;
    }
    QLabel::changeEvent(event);
}

void CellLabel::setContentShown(bool shown) {
    if (shown == contentShown_)
        return;
    contentShown_ = shown;
    if (!text().isEmpty())
        update();
}

void CellLabel::paintEvent(QPaintEvent *event) {
    if (contentShown_)
        QLabel::paintEvent(event);
}

SlotProgress::SlotProgress(QWidget *parent)
    : QWidget(parent), back_(palette().color(QPalette::Window)), fore_(0, 0, 200) {}

void SlotProgress::setBackColor(const QColor &colour) {
    if (colour == back_)
        return;
    back_ = colour;
    if (contentShown_)
        update();
}

void SlotProgress::setForeColor(const QColor &colour) {
    if (colour == fore_)
        return;
    fore_ = colour;
    if (contentShown_)
        update();
}

void SlotProgress::setPercent(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == percent_)
        return;
    percent_ = percent;
    if (contentShown_)
        update();
}

void SlotProgress::setContentShown(bool shown) {
    if (shown == contentShown_)
        return;
    contentShown_ = shown;
    // Shown, the bar covers its whole rectangle; otherwise what lies below shows.
    setAttribute(Qt::WA_OpaquePaintEvent, shown);
    update();
}

void SlotProgress::changeEvent(QEvent *event) {
    // The bar paints in its own colours.
    if (event->type() == QEvent::EnabledChange) {
        noteEnabledChange(this);
        return;
    }
    QWidget::changeEvent(event);
}

void SlotProgress::paintEvent(QPaintEvent *) {
    if (!contentShown_)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), back_);
    const int done = width() * percent_ / 100;
    if (done > 0)
        painter.fillRect(QRect(0, 0, done, height()), fore_);
}

ThumbCell::ThumbCell(int slot, QWidget *parent)
    : QWidget(parent), slot_(slot), shapeColor_(palette().color(QPalette::Window)) {
    setObjectName(QStringLiteral("ThumbCell%1").arg(slot));
    // The cell paints all of its rectangle, so the window does not fill the
    // background under it first: every answer repaints part of a cell.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Created in stacking order: the sender label lies over the callsign
    // label's lower half, the waiting label (made later) and the bar over
    // both, and the picture over everything.
    lblCall = makeLabel("lblCall");
    lblFrom = makeLabel("lblFrom");
    picProg = new SlotProgress(this);
    picProg->setObjectName(QStringLiteral("picProg"));
    img = new StillPicture(this);
    img->setObjectName(QStringLiteral("img"));
    img->setScaledContents(true);
}

AnimatedPicture *ThumbCell::AniGIF() {
    if (aniGIF_)
        return aniGIF_;
    aniGIF_ = new AnimatedPicture(img);
    aniGIF_->setObjectName(QStringLiteral("AniGIF"));
    aniGIF_->hide();
    if (frameDecoder_ || frameClock_)
        aniGIF_->setFrameServices(frameDecoder_, frameClock_);
    aniGIF_->setGeometry(img->rect());
    // The picture's tip is the animation's too.
    aniGIF_->setToolTip(img->toolTip());
    emit aniGIFMade(aniGIF_);
    return aniGIF_;
}

bool ThumbCell::isAnimationShown() const {
    return aniGIF_ && !aniGIF_->isHidden();
}

void ThumbCell::setAnimationServices(PictureDecoder *decoder, AnimationClock *clock) {
    frameDecoder_ = decoder;
    frameClock_ = clock;
    if (aniGIF_)
        aniGIF_->setFrameServices(decoder, clock);
}

CellLabel *ThumbCell::makeLabel(const char *name) {
    auto *l = new CellLabel(this);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    l->setTextFormat(Qt::PlainText);
    return l;
}

CellLabel *ThumbCell::lblConnect() {
    if (lblConnect_)
        return lblConnect_;
    lblConnect_ = makeLabel("lblConnect");
    lblConnect_->setContentShown(false);
    colourCaptions();
    lblConnect_->stackUnder(picProg);
    // The waiting label keeps its own weight; only its size follows.
    if (labelPoints_ > 0) {
        QFont font = lblConnect_->font();
        font.setPointSizeF(labelPoints_);
        lblConnect_->setFont(font);
    }
    if (scale_) {
        const QPoint origin = scale_->toPixels(QRectF(units_.bounds)).topLeft();
        lblConnect_->setGeometry(scale_->toPixels(QRectF(units_.lblConnect)).translated(-origin));
    }
    lblConnect_->show();
    return lblConnect_;
}

void ThumbCell::setWaiting(bool waiting) {
    if (waiting || lblConnect_)
        lblConnect()->setContentShown(waiting);
}

void ThumbCell::setShapeColor(const QColor &colour) {
    if (colour == shapeColor_)
        return;
    shapeColor_ = colour;
    colourCaptions();
    update(shapePixels_);
}

void ThumbCell::colourCaptions() {
    // On the window's own colour the palette's text; on a frame coloured for a new, old or
    // blinking picture a fixed dark text, which a dark scheme's light text would vanish on.
    // The captions keep that dark text while a dialog disables the window: the grid goes on
    // refreshing and is read meanwhile, and the disabled grey is faint on the light red frame.
    QPalette colours;
    if (shapeColor_ != palette().color(QPalette::Window)) {
        setFixedBackground(colours, QPalette::Window, shapeColor_);
        colours.setColor(QPalette::Disabled, QPalette::WindowText,
                         colours.color(QPalette::Active, QPalette::WindowText));
    }
    for (QLabel *label :
         {static_cast<QLabel *>(lblFrom), lblCall, static_cast<QLabel *>(lblConnect_)}) {
        if (label)
            label->setPalette(colours);
    }
}

void ThumbCell::setGeometryUnits(const CellGeometry &units) {
    units_ = units;
    imgUnits_ = units.img;
    if (scale_)
        place(*scale_);
}

void ThumbCell::moveImg(const QRect &units) {
    imgUnits_ = units;
    if (!scale_)
        return;
    const QPoint origin = scale_->toPixels(QRectF(units_.bounds)).topLeft();
    img->setGeometry(scale_->toPixels(QRectF(imgUnits_)).translated(-origin));
    if (aniGIF_)
        aniGIF_->setGeometry(img->rect());
}

void ThumbCell::place(const UserScale &scale) {
    scale_ = scale;
    const QRect bounds = scale.toPixels(QRectF(units_.bounds));
    const QPoint origin = bounds.topLeft();
    setGeometry(bounds);
    const auto inCell = [&](const QRect &units) {
        return scale.toPixels(QRectF(units)).translated(-origin);
    };
    shapePixels_ = inCell(units_.shape1);
    line1Pixels_ = scale.toPixels(units_.line1).translated(-origin);
    line2Pixels_ = scale.toPixels(units_.line2).translated(-origin);
    lblCall->setGeometry(inCell(units_.lblCall));
    lblFrom->setGeometry(inCell(units_.lblFrom));
    if (lblConnect_)
        lblConnect_->setGeometry(inCell(units_.lblConnect));
    picProg->setGeometry(inCell(units_.picProg));
    img->setGeometry(inCell(imgUnits_));
    if (aniGIF_)
        aniGIF_->setGeometry(img->rect());
    if (lblNum)
        lblNum->setGeometry(inCell(numUnits_));
    update();
}

void ThumbCell::setNumberLabel(const QRect &units, const QString &text, double points) {
    if (!lblNum) {
        lblNum = new QLabel(this);
        lblNum->setObjectName(QStringLiteral("lblNum"));
        lblNum->setAlignment(Qt::AlignCenter);
        lblNum->setTextFormat(Qt::PlainText);
        lblNum->setAutoFillBackground(true);
        QPalette colours = lblNum->palette();
        colours.setColor(QPalette::Window, QColor(0x40, 0x40, 0x40));
        colours.setColor(QPalette::WindowText, Qt::white);
        lblNum->setPalette(colours);
    }
    QFont font = lblNum->font();
    if (points > 0)
        font.setPointSizeF(points);
    font.setBold(true);
    lblNum->setFont(font);
    lblNum->setText(text);
    numUnits_ = units;
    if (scale_)
        place(*scale_);
    lblNum->show();
    lblNum->raise();
}

void ThumbCell::setLabelFont(double points, bool bold) {
    QFont font = lblCall->font();
    if (points > 0)
        font.setPointSizeF(points);
    font.setBold(bold);
    lblCall->setFont(font);
    lblFrom->setFont(font);
    // The waiting label keeps its own weight; only its size follows.
    if (points > 0)
        labelPoints_ = points;
    if (lblConnect_ && points > 0) {
        QFont connect = lblConnect_->font();
        connect.setPointSizeF(points);
        lblConnect_->setFont(connect);
    }
}

bool ThumbCell::isBlank() const {
    return !img->hasPicture() && (!aniGIF_ || (aniGIF_->isEmpty() && aniGIF_->isHidden())) &&
           lblCall->text().isEmpty() && lblFrom->text().isEmpty() && !isProgressShown() &&
           img->toolTip().isEmpty();
}

void ThumbCell::setLabelText(QLabel *label, const QString &text) {
    if (label->text() != text)
        label->setText(text);
}

void ThumbCell::changeEvent(QEvent *event) {
    if (event->type() == QEvent::EnabledChange && keepsLookWhenDisabled(*this, false)) {
        noteEnabledChange(this);
        return;
    }
    if (event->type() == QEvent::PaletteChange) {
        colourCaptions();
    }
    QWidget::changeEvent(event);
}

void ThumbCell::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    // Around the frame (the captions hang below it) the window's background.
    const QRegion around = event->region().subtracted(shapePixels_);
    if (!around.isEmpty()) {
        const QBrush back = palette().brush(QPalette::Window);
        for (const QRect &r : around)
            painter.fillRect(r, back);
    }
    painter.fillRect(shapePixels_, shapeColor_);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawLine(line1Pixels_);
    painter.drawLine(line2Pixels_);
}

void ThumbCell::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (aniGIF_)
        aniGIF_->setGeometry(img->rect());
}

namespace {

// A file that holds other bytes is read again after these waits, then left:
// the writer is seldom seconds behind, and a new picture comes with its own.
constexpr int kFileRetryFirstMs = 500;
constexpr int kFileRetries = 6;

} // namespace

void StillPicture::setPicture(QByteArray encoded, const QByteArray &format, const QString &file) {
    encoded_ = std::move(encoded);
    stored_ = true;
    file_ = file;
    fingerprint_ = PictureFingerprint();
    format_ = format;
    ++serial_;
    requested_ = QSize();
    fileRetries_ = 0;
    fileChangeTold_ = false;
    // The picture before stays until this one is decoded.
    QLabel::clear();
    const QSize pixels = pixelSize();
    if (decoder_ && !pixels.isEmpty())
        requestDecode(pixels);
    update();
}

void StillPicture::forgetPicture() {
    stored_ = false;
    encoded_.clear();
    file_.clear();
    fingerprint_ = PictureFingerprint();
    decoded_ = QImage();
    ++serial_;
}

void StillPicture::setPixmap(const QPixmap &pixmap) {
    forgetPicture();
    QLabel::setPixmap(pixmap);
}

void StillPicture::clear() {
    forgetPicture();
    QLabel::clear();
}

QPixmap StillPicture::pixmap() const {
    if (!stored_)
        return QLabel::pixmap();
    return QPixmap::fromImage(decodeStill(source(), format_, QSize()).image);
}

bool StillPicture::isDecoded() const {
    return stored_ && decodedSerial_ == serial_ && !decoded_.isNull() && requested_.isEmpty() &&
           decoded_.size() == pixelSize();
}

QSize StillPicture::pixelSize() const {
    return size() * devicePixelRatioF();
}

StillSource StillPicture::source() const {
    if (!encoded_.isEmpty() || file_.isEmpty())
        return StillSource{encoded_, {}, {}};
    return StillSource{{}, file_, fingerprint_};
}

void StillPicture::requestDecode(QSize pixels) {
    requested_ = pixels;
    const quint64 serial = serial_;
    decoder_->decodeStill(source(), format_, pixels, this,
                          [this, serial, pixels](DecodedStill still) {
                              if (serial != serial_)
                                  return;
                              if (requested_ == pixels)
                                  requested_ = QSize();
                              decoded(std::move(still), pixels);
                              update();
                          });
}

void StillPicture::decoded(DecodedStill still, QSize pixels) {
    if (still.fileChanged) {
        readFileLater(pixels, still.unreadable);
        return;
    }
    decoded_ = std::move(still.image);
    decodedSerial_ = serial_;
    if (decoded_.isNull()) {
        noteDecodeFailure(pixels);
        return;
    }
    // Drawn now: the file stands in for the bytes from here on.
    if (!file_.isEmpty() && !encoded_.isEmpty()) {
        fingerprint_ = still.fingerprint;
        encoded_ = QByteArray();
    }
}

void StillPicture::readFileLater(QSize pixels, const QString &unreadable) {
    // Not a failure of the picture: what is on show stays, stretched.
    failedSerial_ = serial_;
    failedPixels_ = pixels;
    if (fileRetries_ >= kFileRetries) {
        // Told once for the picture, however often the window is resized after.
        if (!std::exchange(fileChangeTold_, true)) {
            qCInfo(lcUi).noquote()
                << QStringLiteral("picture file %1 no longer holds the picture shown%2")
                       .arg(file_,
                            unreadable.isEmpty() ? QString() : QStringLiteral(": ") + unreadable);
        }
        return;
    }
    const int waitMs = kFileRetryFirstMs << fileRetries_++;
    const quint64 serial = serial_;
    QTimer::singleShot(waitMs, this, [this, serial, pixels] {
        if (serial != serial_ || failedSerial_ != serial || failedPixels_ != pixels)
            return;
        failedSerial_ = 0;
        update();
    });
}

void StillPicture::noteDecodeFailure(QSize pixels) {
    failedSerial_ = serial_;
    failedPixels_ = pixels;
    qCInfo(lcUi) << "a picture of" << std::max(encoded_.size(), fingerprint_.size)
                 << "bytes does not decode at" << pixels;
    // Told from the event loop: this may run inside a paint event.
    const quint64 serial = serial_;
    QMetaObject::invokeMethod(
        this,
        [this, serial] {
            if (serial == serial_)
                emit decodeFailed();
        },
        Qt::QueuedConnection);
}

StillPicture::StillPicture(QWidget *parent) : QLabel(parent) {
    // The label fills its background itself, and only where a picture does
    // not cover it: a decoded photograph is painted once, not over a fill.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StillPicture::fillBackground(QPainter &painter) {
    painter.fillRect(rect(), palette().brush(QPalette::Window));
}

void StillPicture::changeEvent(QEvent *event) {
    // A decoded photograph is drawn as it is; a pixmap set directly (the
    // placeholder) and text are greyed out by the style.
    if (event->type() == QEvent::EnabledChange &&
        keepsLookWhenDisabled(*this,
                              !text().isEmpty() || (!stored_ && !QLabel::pixmap().isNull()))) {
        noteEnabledChange(this);
        return;
    }
    QLabel::changeEvent(event);
}

void StillPicture::paintEvent(QPaintEvent *event) {
    if (!stored_) {
        {
            QPainter painter(this);
            fillBackground(painter);
        }
        QLabel::paintEvent(event);
        return;
    }
    const QSize pixels = pixelSize();
    const bool stale = decodedSerial_ != serial_ || decoded_.size() != pixels;
    const bool failed = failedSerial_ == serial_ && failedPixels_ == pixels;
    if (stale && !failed && requested_ != pixels && !pixels.isEmpty()) {
        if (decoder_) {
            requestDecode(pixels);
        } else {
            decoded(decodeStill(source(), format_, pixels), pixels);
        }
    }
    QPainter painter(this);
    if (decoded_.isNull() || decoded_.hasAlphaChannel())
        fillBackground(painter);
    if (decoded_.isNull())
        return;
    if (decoded_.size() != pixels)
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), decoded_);
}

} // namespace tavimo
