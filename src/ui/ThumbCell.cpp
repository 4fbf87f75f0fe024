#include "ui/ThumbCell.h"

#include "ui/AnimatedPicture.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace tavimo {

SlotProgress::SlotProgress(QWidget *parent)
    : QWidget(parent), back_(palette().color(QPalette::Window)), fore_(0, 0, 200) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SlotProgress::setBackColor(const QColor &colour) {
    if (colour == back_)
        return;
    back_ = colour;
    update();
}

void SlotProgress::setForeColor(const QColor &colour) {
    if (colour == fore_)
        return;
    fore_ = colour;
    update();
}

void SlotProgress::setPercent(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == percent_)
        return;
    percent_ = percent;
    update();
}

void SlotProgress::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), back_);
    const int done = width() * percent_ / 100;
    if (done > 0)
        painter.fillRect(QRect(0, 0, done, height()), fore_);
}

ThumbCell::ThumbCell(int slot, QWidget *parent)
    : QWidget(parent), slot_(slot), shapeColor_(palette().color(QPalette::Window)) {
    setObjectName(QStringLiteral("ThumbCell%1").arg(slot));
    // Created in stacking order: the sender label lies over the callsign
    // label's lower half, the waiting label and the bar over both, and the
    // picture over everything.
    const auto label = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    lblCall = label("lblCall");
    lblFrom = label("lblFrom");
    lblConnect = label("lblConnect");
    lblConnect->hide();
    picProg = new SlotProgress(this);
    picProg->setObjectName(QStringLiteral("picProg"));
    picProg->hide();
    img = new StillPicture(this);
    img->setObjectName(QStringLiteral("img"));
    img->setAutoFillBackground(true);
    img->setScaledContents(true);
    AniGIF = new AnimatedPicture(img);
    AniGIF->setObjectName(QStringLiteral("AniGIF"));
    AniGIF->hide();
}

void ThumbCell::setShapeColor(const QColor &colour) {
    if (colour == shapeColor_)
        return;
    shapeColor_ = colour;
    update(shapePixels_);
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
    AniGIF->setGeometry(img->rect());
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
    lblConnect->setGeometry(inCell(units_.lblConnect));
    picProg->setGeometry(inCell(units_.picProg));
    img->setGeometry(inCell(imgUnits_));
    AniGIF->setGeometry(img->rect());
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
    QFont connect = lblConnect->font();
    if (points > 0)
        connect.setPointSizeF(points);
    lblConnect->setFont(connect);
}

bool ThumbCell::isBlank() const {
    return !img->hasPicture() && AniGIF->isEmpty() && AniGIF->isHidden() &&
           lblCall->text().isEmpty() && lblFrom->text().isEmpty() && picProg->isHidden() &&
           img->toolTip().isEmpty();
}

void ThumbCell::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(shapePixels_, shapeColor_);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawLine(line1Pixels_);
    painter.drawLine(line2Pixels_);
}

void ThumbCell::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    AniGIF->setGeometry(img->rect());
}

void StillPicture::setPicture(QByteArray encoded) {
    encoded_ = std::move(encoded);
    scaled_ = QPixmap();
    QLabel::clear();
    update();
}

void StillPicture::setPixmap(const QPixmap &pixmap) {
    encoded_.clear();
    scaled_ = QPixmap();
    QLabel::setPixmap(pixmap);
}

void StillPicture::clear() {
    encoded_.clear();
    scaled_ = QPixmap();
    QLabel::clear();
}

QPixmap StillPicture::pixmap() const {
    return encoded_.isEmpty() ? QLabel::pixmap() : QPixmap::fromImage(QImage::fromData(encoded_));
}

void StillPicture::paintEvent(QPaintEvent *event) {
    if (encoded_.isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    const QSize pixels = size() * devicePixelRatioF();
    if (scaled_.size() != pixels && !pixels.isEmpty()) {
        QBuffer buffer(&encoded_);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setScaledSize(pixels);
        QImage image = reader.read();
        if (image.size() != pixels) // a reader that cannot scale while it decodes
            image = QImage::fromData(encoded_).scaled(pixels, Qt::IgnoreAspectRatio,
                                                      Qt::SmoothTransformation);
        scaled_ = QPixmap::fromImage(std::move(image));
        scaled_.setDevicePixelRatio(devicePixelRatioF());
    }
    QPainter painter(this);
    painter.drawPixmap(rect(), scaled_);
}

} // namespace tavimo
