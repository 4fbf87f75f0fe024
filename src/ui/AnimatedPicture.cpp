#include "ui/AnimatedPicture.h"

#include "core/base/RegularFile.h"
#include "core/thumbs/FullPicture.h"
#include "ui/AnimationClock.h"
#include "ui/Logging.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <utility>

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

// Draws `image` over `target`, smoothly when it must be stretched.
void drawStretched(QPainter &painter, const QRect &target, const QImage &image, qreal ratio) {
    if (image.size() != target.size() * ratio)
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
}

} // namespace

// One load of loadFileInBackground, shared by the widget and the worker. The
// worker reads only what it was given and fills in the result; `target` is
// read on the window's thread only.
struct AnimatedPicture::BackgroundLoad {
    QPointer<AnimatedPicture> target;
    QString path;
    PictureHeader header;
    std::atomic_bool cancelled{false};

    LoadOutcome outcome = LoadOutcome::Failed;
    QByteArray bytes; // an animation's file
    QImage image;     // a still picture, decoded

    // On the worker: reads the file and decodes a still picture.
    void run() {
        QString why;
        std::optional<QByteArray> read = readRegularFile(path, &why);
        if (!read) {
            qCDebug(lcUi) << "picture" << path << "cannot be read:" << why;
            return;
        }
        bytes = std::move(*read);
        if (cancelled.load())
            return;
        const std::optional<PictureHeader> now = readPictureHeader(bytes);
        if (!now) {
            qCDebug(lcUi) << "picture" << path << "has no picture header any more";
            return;
        }
        // The window was sized for the picture the header announced.
        if (now->size != header.size || (now->frames >= 2) != (header.frames >= 2)) {
            outcome = LoadOutcome::Changed;
            bytes.clear();
            return;
        }
        if (header.frames >= 2) {
            // Its frames are decoded as they play.
            outcome = LoadOutcome::Shown;
            return;
        }
        image = decodeFullSize(bytes, &cancelled);
        bytes.clear();
        if (image.isNull() && !cancelled.load())
            qCDebug(lcUi) << "picture" << path << "cannot be decoded";
        outcome = image.isNull() ? LoadOutcome::Failed : LoadOutcome::Shown;
    }
};

AnimatedPicture::AnimatedPicture(QWidget *parent)
    : QWidget(parent), backColor_(palette().color(QPalette::Window)) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

AnimatedPicture::~AnimatedPicture() {
    clear();
}

void AnimatedPicture::setFrameServices(PictureDecoder *decoder, AnimationClock *clock) {
    if (clock_ && clock_ != clock)
        clock_->remove(this);
    decoder_ = decoder;
    clock_ = clock;
}

bool AnimatedPicture::loadFile(const QString &path) {
    clear();
    if (path.isEmpty())
        return false;

    QString why;
    std::optional<QByteArray> bytes = readRegularFile(path, &why);
    if (!bytes) {
        qCDebug(lcUi) << "picture" << path << "cannot be read:" << why;
        return false;
    }
    if (!loadBytes(std::move(*bytes))) {
        qCDebug(lcUi) << "picture" << path << "cannot be decoded";
        return false;
    }
    return true;
}

bool AnimatedPicture::loadBytes(QByteArray bytes) {
    clear();
    // An animation's first frame is decoded by its player when it starts, so
    // it is only measured here, not decoded twice.
    if (const std::optional<PictureHeader> header = readPictureHeader(bytes);
        header && header->frames >= 2)
        return loadBytes(std::move(bytes), *header);
    QByteArray format;
    int frames = 0;
    QImage first = readFirstFrame(bytes, &format, &frames);
    if (first.isNull())
        return false;
    // A file that says it holds one frame more than it does plays as a still.
    pictureSize_ = first.size();
    frameCount_ = frames;
    still_ = std::move(first);
    if (frameCount_ >= 2) {
        bytes_ = std::move(bytes);
        startMovie(format);
    }
    update();
    return true;
}

bool AnimatedPicture::loadBytes(QByteArray bytes, const PictureHeader &header,
                                const QString &file) {
    if (header.frames < 2)
        return loadBytes(std::move(bytes));
    clear();
    pictureSize_ = header.size;
    frameCount_ = header.frames;
    bytes_ = std::move(bytes);
    header_ = header;
    file_ = file;
    const QSize pixels = pixelSize();
    const QSize shown = pixels.isEmpty() ? header.size : pixels;
    if (decoder_ && clock_ && frameBytes(shown, header.frames) <= MaxFrameBytes) {
        framesMode_ = true;
        if (!pixels.isEmpty())
            requestFrames(pixels);
    } else {
        startMovie(header.format);
    }
    update();
    return true;
}

void AnimatedPicture::loadFileInBackground(const QString &path, const PictureHeader &header) {
    clear();
    pictureSize_ = header.size;
    frameCount_ = std::max(header.frames, 1);
    auto load = std::make_shared<BackgroundLoad>();
    load->target = this;
    load->path = path;
    load->header = header;
    loading_ = load;
    // The worker keeps the load alive; a widget gone or loading something else
    // meanwhile drops its answer.
    QThreadPool::globalInstance()->start([load] {
        load->run();
        if (QCoreApplication *app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                app,
                [load] {
                    if (load->target && load->target->loading_ == load)
                        load->target->backgroundLoadDone(*load);
                },
                Qt::QueuedConnection);
        }
    });
    update();
}

void AnimatedPicture::backgroundLoadDone(BackgroundLoad &load) {
    loading_.reset();
    const bool start = std::exchange(startWhenLoaded_, false);
    if (load.outcome != LoadOutcome::Shown) {
        clear();
        emit loaded(load.outcome);
        return;
    }
    if (load.header.frames >= 2) {
        bytes_ = std::move(load.bytes);
        startMovie(load.header.format);
        if (start)
            startAnimation();
    } else {
        still_ = std::move(load.image);
    }
    update();
    emit loaded(LoadOutcome::Shown);
}

void AnimatedPicture::startMovie(const QByteArray &format) {
    buffer_ = std::make_unique<QBuffer>(&bytes_);
    buffer_->open(QIODevice::ReadOnly);
    movie_ = std::make_unique<QMovie>(buffer_.get(), format);
    connect(movie_.get(), &QMovie::frameChanged, this, &AnimatedPicture::onFrameChanged);
    // A thumbnail's movie rests with the clock of its grid.
    if (clock_) {
        connect(clock_, &AnimationClock::runningChanged, movie_.get(), [this](bool running) {
            if (started_ && movie_ && movie_->state() != QMovie::NotRunning)
                movie_->setPaused(!running);
        });
    }
}

void AnimatedPicture::clear() {
    if (loading_) {
        loading_->cancelled.store(true);
        loading_.reset();
    }
    startWhenLoaded_ = false;
    if (slowFrame_)
        slowFrame_->stop();
    movie_.reset();
    buffer_.reset();
    bytes_.clear();
    still_ = QImage();
    pictureSize_ = QSize(0, 0);
    frameCount_ = 0;
    started_ = false;
    if (clock_)
        clock_->remove(this);
    framesMode_ = false;
    header_ = PictureHeader();
    file_.clear();
    fingerprint_ = PictureFingerprint();
    unread_ = QSize();
    fileChangeTold_ = false;
    ++serial_;
    requested_ = QSize();
    firstImage_ = QImage();
    frames_ = AnimationFrames();
    frameSize_ = QSize();
    current_ = 0;
    loopsDone_ = 0;
    finished_ = false;
    update();
}

QImage AnimatedPicture::firstFrame() const {
    if (!still_.isNull() || bytes_.isEmpty())
        return still_;
    return readFirstFrame(bytes_, nullptr, nullptr);
}

void AnimatedPicture::startAnimation() {
    if (loading_) {
        startWhenLoaded_ = true;
        return;
    }
    if (framesMode_) {
        if (started_)
            return;
        started_ = true;
        playFrames();
        return;
    }
    if (!movie_ || isAnimating())
        return;
    started_ = true;
    // The movie holds the frame on show from now on.
    still_ = QImage();
    movie_->start();
    if (clock_ && !clock_->isRunning())
        movie_->setPaused(true);
}

bool AnimatedPicture::isAnimating() const {
    if (framesMode_)
        return started_ && !finished_;
    return movie_ && movie_->state() != QMovie::NotRunning;
}

void AnimatedPicture::setBackColor(const QColor &color) {
    if (color == backColor_)
        return;
    backColor_ = color;
    update();
}

QSize AnimatedPicture::pixelSize() const {
    return size() * devicePixelRatioF();
}

// ---- Frames decoded at the widget's size -------------------------------------------------

void AnimatedPicture::requestFrames(QSize pixels) {
    requested_ = pixels;
    const quint64 serial = serial_;
    StillSource source{bytes_, {}, {}};
    if (bytes_.isEmpty())
        source = StillSource{{}, file_, fingerprint_};
    decoder_->decodeAnimation(
        std::move(source), header_, pixels, MaxFrameBytes, this,
        [this, serial](const QImage &first) {
            if (serial != serial_ || !frames_.images.isEmpty())
                return;
            firstImage_ = first;
            update();
        },
        [this, serial, pixels](DecodedAnimation decoded) {
            framesDecoded(serial, pixels, std::move(decoded));
        });
}

void AnimatedPicture::framesDecoded(quint64 serial, QSize pixels, DecodedAnimation decoded) {
    if (serial != serial_)
        return;
    if (requested_ == pixels)
        requested_ = QSize();
    if (decoded.fileChanged) {
        // The frames on show stay, stretched, until the next picture.
        unread_ = pixels;
        // Told once for the picture, however often the window is resized after.
        if (!std::exchange(fileChangeTold_, true)) {
            qCInfo(lcUi).noquote()
                << QStringLiteral("picture file %1 no longer holds the animation shown%2")
                       .arg(file_, decoded.unreadable.isEmpty()
                                       ? QString()
                                       : QStringLiteral(": ") + decoded.unreadable);
        }
        return;
    }
    std::optional<AnimationFrames> &frames = decoded.frames;
    if (!frames) {
        // Too large to keep at this size: played as the viewer plays it.
        if (bytes_.isEmpty())
            bytes_ = std::move(decoded.bytes);
        framesMode_ = false;
        if (clock_)
            clock_->remove(this);
        const bool wasStarted = started_;
        started_ = false;
        startMovie(header_.format);
        if (wasStarted)
            startAnimation();
        update();
        return;
    }
    // A new size keeps the frame on show and its time.
    const bool first = frames_.images.isEmpty();
    frames_ = std::move(*frames);
    frameSize_ = pixels;
    firstImage_ = QImage();
    current_ = std::min(current_, int(frames_.images.size()) - 1);
    // Drawn now: the file stands in for the bytes from here on.
    if (!file_.isEmpty() && !bytes_.isEmpty()) {
        fingerprint_ = decoded.fingerprint;
        bytes_ = QByteArray();
    }
    if (first)
        playFrames();
    update();
}

void AnimatedPicture::playFrames() {
    if (!started_ || frames_.images.isEmpty() || !clock_ || clock_->contains(this) || finished_)
        return;
    clock_->add(this, frames_.delays.value(current_, DefaultFrameDelayMs));
}

int AnimatedPicture::showNextFrame() {
    const int count = int(frames_.images.size());
    if (count < 2)
        return -1;
    if (current_ + 1 < count) {
        ++current_;
    } else if (frames_.loopCount < 0 || loopsDone_ < frames_.loopCount) {
        ++loopsDone_;
        current_ = 0;
    } else {
        finished_ = true;
        return -1;
    }
    update();
    return frames_.delays.value(current_, DefaultFrameDelayMs);
}

// ---- Frames decoded as they come -----------------------------------------------------------

void AnimatedPicture::onFrameChanged() {
    update();
    if (movie_->state() != QMovie::Running || movie_->nextFrameDelay() >= MinFrameDelayMs)
        return;
    if (!slowFrame_) {
        slowFrame_ = std::make_unique<QTimer>();
        slowFrame_->setSingleShot(true);
        connect(slowFrame_.get(), &QTimer::timeout, this, [this] {
            if (movie_ && !(clock_ && !clock_->isRunning()))
                movie_->setPaused(false);
        });
    }
    movie_->setPaused(true);
    slowFrame_->start(DefaultFrameDelayMs);
}

void AnimatedPicture::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), backColor_);
    if (framesMode_) {
        const QSize pixels = pixelSize();
        // A new size: the frames are decoded again, and stretched meanwhile.
        if (!pixels.isEmpty() && frameSize_ != pixels && requested_ != pixels && unread_ != pixels)
            requestFrames(pixels);
        const QImage &frame = frames_.images.isEmpty() ? firstImage_ : frames_.images.at(current_);
        if (!frame.isNull())
            drawStretched(painter, rect(), frame, devicePixelRatioF());
        return;
    }
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
