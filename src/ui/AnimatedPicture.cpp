#include "ui/AnimatedPicture.h"

#include "ui/Logging.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QTimer>

namespace tavimo {

namespace {

QImage readFirstFrame(const QByteArray &bytes, QByteArray *format, int *frameCount) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage first = reader.read();
    if (format)
        *format = reader.format();
    if (frameCount)
        *frameCount = reader.supportsAnimation() ? qMax(reader.imageCount(), 1) : 1;
    return first;
}

} // namespace

std::optional<PictureHeader> readPictureHeader(const QByteArray &bytes) {
    QByteArray copy = bytes; // shares the data; QBuffer wants a modifiable array
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead())
        return std::nullopt;
    PictureHeader header;
    header.size = reader.size();
    if (reader.supportsAnimation())
        header.frames = qMax(reader.imageCount(), 1);
    if (!header.size.isValid())
        return std::nullopt;
    return header;
}

AnimatedPicture::AnimatedPicture(QWidget *parent)
    : QWidget(parent), backColor_(palette().color(QPalette::Window)) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

AnimatedPicture::~AnimatedPicture() {
    clear();
}

bool AnimatedPicture::loadFile(const QString &path) {
    clear();
    if (path.isEmpty())
        return false;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcUi) << "picture" << path << "cannot be opened:" << file.errorString();
        return false;
    }
    QByteArray bytes = file.readAll();
    file.close();
    if (!loadBytes(std::move(bytes))) {
        qCDebug(lcUi) << "picture" << path << "cannot be decoded";
        return false;
    }
    return true;
}

bool AnimatedPicture::loadBytes(QByteArray bytes) {
    clear();
    QByteArray format;
    int frames = 0;
    QSize size;
    {
        // An animation's first frame is decoded by its player when it starts,
        // so it is only measured here, not decoded twice.
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        format = reader.format();
        if (reader.supportsAnimation() && reader.imageCount() >= 2 && reader.size().isValid()) {
            frames = reader.imageCount();
            size = reader.size();
        }
    }
    if (frames < 2) {
        QImage first = readFirstFrame(bytes, &format, &frames);
        if (first.isNull())
            return false;
        size = first.size();
        still_ = std::move(first);
    }

    pictureSize_ = size;
    frameCount_ = frames;
    if (frameCount_ >= 2) {
        bytes_ = std::move(bytes);
        buffer_ = std::make_unique<QBuffer>(&bytes_);
        buffer_->open(QIODevice::ReadOnly);
        movie_ = std::make_unique<QMovie>(buffer_.get(), format);
        connect(movie_.get(), &QMovie::frameChanged, this, &AnimatedPicture::onFrameChanged);
    }
    update();
    return true;
}

void AnimatedPicture::clear() {
    if (slowFrame_)
        slowFrame_->stop();
    movie_.reset();
    buffer_.reset();
    bytes_.clear();
    still_ = QImage();
    pictureSize_ = QSize(0, 0);
    frameCount_ = 0;
    started_ = false;
    update();
}

QImage AnimatedPicture::firstFrame() const {
    if (!still_.isNull() || bytes_.isEmpty())
        return still_;
    return readFirstFrame(bytes_, nullptr, nullptr);
}

void AnimatedPicture::startAnimation() {
    if (!movie_ || isAnimating())
        return;
    started_ = true;
    // The movie holds the frame on show from now on.
    still_ = QImage();
    movie_->start();
}

bool AnimatedPicture::isAnimating() const {
    return movie_ && movie_->state() != QMovie::NotRunning;
}

void AnimatedPicture::setBackColor(const QColor &color) {
    backColor_ = color;
    update();
}

void AnimatedPicture::onFrameChanged() {
    update();
    if (movie_->state() != QMovie::Running || movie_->nextFrameDelay() >= MinFrameDelayMs)
        return;
    if (!slowFrame_) {
        slowFrame_ = std::make_unique<QTimer>();
        slowFrame_->setSingleShot(true);
        connect(slowFrame_.get(), &QTimer::timeout, this, [this] {
            if (movie_)
                movie_->setPaused(false);
        });
    }
    movie_->setPaused(true);
    slowFrame_->start(DefaultFrameDelayMs);
}

void AnimatedPicture::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), backColor_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (started_ && movie_) {
        const QPixmap frame = movie_->currentPixmap();
        if (!frame.isNull())
            painter.drawPixmap(rect(), frame);
    } else {
        if (still_.isNull() && movie_)
            still_ = firstFrame(); // an animation shown before it starts
        if (!still_.isNull())
            painter.drawImage(rect(), still_);
    }
}

void AnimatedPicture::mousePressEvent(QMouseEvent *event) {
    event->accept();
    pressed_ = event->button();
    emit mousePressed(event->button(), event->modifiers(), event->position().toPoint());
}

void AnimatedPicture::mouseMoveEvent(QMouseEvent *event) {
    event->accept();
    emit mouseMoved(event->buttons(), event->modifiers(), event->position().toPoint());
}

void AnimatedPicture::mouseReleaseEvent(QMouseEvent *event) {
    event->accept();
    if (event->button() != pressed_)
        return;
    pressed_ = Qt::NoButton;
    if (rect().contains(event->position().toPoint()))
        emit clicked(event->button(), event->modifiers());
}

} // namespace tavimo
