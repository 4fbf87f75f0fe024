#include "core/thumbs/PictureDecoding.h"

#include "core/base/RegularFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QHashFunctions>
#include <QImageReader>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <utility>

namespace tavimo {

namespace {

// A reader over `bytes`, which it shares rather than copies.
struct Reader {
    explicit Reader(const QByteArray &bytes, const QByteArray &format = {})
        : data(bytes), reader(&buffer, format) {
        buffer.setBuffer(&data);
        buffer.open(QIODevice::ReadOnly);
    }
    QByteArray data;
    QBuffer buffer;
    QImageReader reader;
};

bool hasSize(QSize size) {
    return size.isValid() && !size.isEmpty();
}

// Painted as it is, without a conversion on the window's thread.
QImage readyToPaint(QImage image) {
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (!image.isNull() && image.format() != format)
        image.convertTo(format);
    return image;
}

QImage scaledTo(QImage image, QSize size) {
    if (image.isNull() || !hasSize(size) || image.size() == size)
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

std::optional<PictureHeader> readPictureHeader(const QByteArray &bytes) {
    Reader r(bytes);
    if (!r.reader.canRead())
        return std::nullopt;
    PictureHeader header;
    header.format = r.reader.format();
    header.size = r.reader.size();
    if (r.reader.supportsAnimation())
        header.frames = std::max(r.reader.imageCount(), 1);
    if (!header.size.isValid())
        return std::nullopt;
    return header;
}

int playedFrameDelay(int delayMs) {
    return delayMs < MinFrameDelayMs ? DefaultFrameDelayMs : delayMs;
}

QImage decodeScaled(const QByteArray &bytes, const QByteArray &format, QSize size) {
    Reader r(bytes, format);
    // A reader that can decode straight to a smaller size (JPEG) does it much
    // faster; the others are scaled once decoded.
    if (hasSize(size))
        r.reader.setScaledSize(size);
    return readyToPaint(scaledTo(r.reader.read(), size));
}

PictureFingerprint pictureFingerprint(const QByteArray &bytes) {
    return {bytes.size(), qHashBits(bytes.constData(), size_t(bytes.size()))};
}

namespace {

// The bytes of `source` and their fingerprint; nothing when its file is gone
// or holds other bytes now. Another program may have replaced the file, or the
// writer may not have put it in place yet: only the very bytes shown before
// are decoded. A named pipe or a device in the file's place is not waited on
// (`unreadable` says what it is), or the worker reading it would be lost to
// every other picture.
std::optional<QByteArray> sourceBytes(const StillSource &source, PictureFingerprint &fingerprint,
                                      QString &unreadable) {
    if (!source.bytes.isEmpty() || source.file.isEmpty()) {
        fingerprint = pictureFingerprint(source.bytes);
        return source.bytes;
    }
    QFile file;
    if (!openRegularFile(file, source.file, &unreadable) || file.size() != source.fingerprint.size)
        return std::nullopt;
    QByteArray bytes = file.readAll();
    fingerprint = pictureFingerprint(bytes);
    if (fingerprint != source.fingerprint)
        return std::nullopt;
    return bytes;
}

} // namespace

DecodedStill decodeStill(const StillSource &source, const QByteArray &format, QSize size) {
    DecodedStill decoded;
    const std::optional<QByteArray> bytes =
        sourceBytes(source, decoded.fingerprint, decoded.unreadable);
    if (!bytes)
        decoded.fileChanged = true;
    else
        decoded.image = decodeScaled(*bytes, format, size);
    return decoded;
}

qint64 frameBytes(QSize size, int frames) {
    return qint64(std::max(size.width(), 0)) * std::max(size.height(), 0) * 4 * std::max(frames, 0);
}

std::optional<AnimationFrames> decodeFrames(const QByteArray &bytes, const QByteArray &format,
                                            QSize size, qint64 maxBytes,
                                            const std::function<void(const QImage &)> &first) {
    Reader r(bytes, format);
    const QSize shown = hasSize(size) ? size : r.reader.size();
    if (frameBytes(shown, r.reader.imageCount()) > maxBytes)
        return std::nullopt;
    AnimationFrames frames;
    frames.loopCount = r.reader.loopCount();
    for (;;) {
        QImage frame = r.reader.read();
        if (frame.isNull())
            break;
        frames.delays.append(playedFrameDelay(r.reader.nextImageDelay()));
        frames.images.append(readyToPaint(scaledTo(std::move(frame), size)));
        if (first && frames.images.size() == 1)
            first(frames.images.first());
        if (frameBytes(shown, int(frames.images.size())) > maxBytes)
            return std::nullopt;
    }
    if (frames.images.isEmpty())
        return std::nullopt;
    return frames;
}

// ---- The decoder --------------------------------------------------------------------

PictureDecoder::PictureDecoder(QObject *parent) : QObject(parent) {
    // Enough to keep up with a pass; the window's thread keeps a core.
    pool_.setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, 4));
}

PictureDecoder::~PictureDecoder() {
    pool_.waitForDone();
}

void PictureDecoder::post(const QPointer<QObject> &receiver, std::function<void()> deliver,
                          bool last) {
    QMetaObject::invokeMethod(
        this,
        [this, target = receiver, deliver = std::move(deliver), last] {
            if (last)
                pending_.deref();
            if (target)
                deliver();
        },
        Qt::QueuedConnection);
}

void PictureDecoder::decodeStill(const QByteArray &bytes, const PictureHeader &header, QSize size,
                                 QObject *receiver, std::function<void(QImage)> done) {
    pending_.ref();
    pool_.start([this, bytes, format = header.format, size, receiver = QPointer<QObject>(receiver),
                 done = std::move(done)]() mutable {
        QImage image = decodeScaled(bytes, format, size);
        post(
            receiver, [done = std::move(done), image = std::move(image)] { done(image); }, true);
    });
}

void PictureDecoder::decodeStill(StillSource source, const QByteArray &format, QSize size,
                                 QObject *receiver, std::function<void(DecodedStill)> done) {
    pending_.ref();
    pool_.start([this, source = std::move(source), format, size,
                 receiver = QPointer<QObject>(receiver), done = std::move(done)]() mutable {
        DecodedStill decoded = tavimo::decodeStill(source, format, size);
        // The bytes go with the worker, not with the answer's queue.
        source = StillSource();
        post(
            receiver, [done = std::move(done), decoded = std::move(decoded)] { done(decoded); },
            true);
    });
}

void PictureDecoder::decodeAnimation(const QByteArray &bytes, const PictureHeader &header,
                                     QSize size, qint64 maxBytes, QObject *receiver,
                                     std::function<void(QImage)> firstFrame,
                                     std::function<void(std::optional<AnimationFrames>)> done) {
    pending_.ref();
    pool_.start([this, bytes, format = header.format, size, maxBytes,
                 receiver = QPointer<QObject>(receiver), firstFrame = std::move(firstFrame),
                 done = std::move(done)]() mutable {
        bool firstPosted = false;
        const auto postFirst = [&](const QImage &image) {
            firstPosted = true;
            post(
                receiver, [firstFrame, image] { firstFrame(image); }, false);
        };
        std::optional<AnimationFrames> frames =
            decodeFrames(bytes, format, size, maxBytes, postFirst);
        if (!firstPosted) // too large to keep, or no frame at all
            postFirst(decodeScaled(bytes, format, size));
        post(
            receiver, [done = std::move(done), frames = std::move(frames)] { done(frames); }, true);
    });
}

void PictureDecoder::decodeAnimation(StillSource source, const PictureHeader &header, QSize size,
                                     qint64 maxBytes, QObject *receiver,
                                     std::function<void(QImage)> firstFrame,
                                     std::function<void(DecodedAnimation)> done) {
    pending_.ref();
    pool_.start([this, source = std::move(source), format = header.format, size, maxBytes,
                 receiver = QPointer<QObject>(receiver), firstFrame = std::move(firstFrame),
                 done = std::move(done)]() mutable {
        DecodedAnimation decoded;
        std::optional<QByteArray> bytes =
            sourceBytes(source, decoded.fingerprint, decoded.unreadable);
        source = StillSource();
        if (!bytes) {
            decoded.fileChanged = true;
        } else {
            bool firstPosted = false;
            const auto postFirst = [&](const QImage &image) {
                firstPosted = true;
                post(
                    receiver, [firstFrame, image] { firstFrame(image); }, false);
            };
            decoded.frames = decodeFrames(*bytes, format, size, maxBytes, postFirst);
            if (!firstPosted) // too large to keep, or no frame at all
                postFirst(decodeScaled(*bytes, format, size));
            if (!decoded.frames)
                decoded.bytes = std::move(*bytes);
        }
        bytes.reset();
        post(
            receiver, [done = std::move(done), decoded = std::move(decoded)] { done(decoded); },
            true);
    });
}

void PictureDecoder::waitForDone() {
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

} // namespace tavimo
