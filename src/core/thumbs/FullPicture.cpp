#include "core/thumbs/FullPicture.h"

#include "core/base/RegularFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <algorithm>

namespace tavimo {

namespace {

constexpr qint64 kMiB = qint64(1024) * 1024;

// A buffer that reads nothing more once `cancelled` is set, so a decoder
// working through it stops early.
class CancellableBuffer : public QBuffer {
public:
    CancellableBuffer(const QByteArray &bytes, const std::atomic_bool *cancelled)
        : data_(bytes), cancelled_(cancelled) {
        setBuffer(&data_);
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override {
        if (cancelled_ && cancelled_->load(std::memory_order_relaxed))
            return -1;
        return QBuffer::readData(data, maxSize);
    }

private:
    QByteArray data_;
    const std::atomic_bool *cancelled_;
};

qint64 imageBytes(QSize size, QImage::Format format) {
    const int depth = format == QImage::Format_Invalid
                          ? 32
                          : std::max(int(QImage::toPixelFormat(format).bitsPerPixel()), 1);
    const qint64 bytesPerLine = (qint64(size.width()) * depth + 31) / 32 * 4;
    return bytesPerLine * size.height();
}

} // namespace

qint64 FullPictureHeader::memoryBytes() const {
    const qint64 frame = picture.frames >= 2 ? 2 * frameBytes(picture.size, 1)
                                             : imageBytes(picture.size, imageFormat);
    return fileBytes + frame;
}

std::optional<FullPictureHeader> readFullPictureHeader(const QString &path, QString *why) {
    QFile file;
    if (!openRegularFile(file, path, why))
        return std::nullopt;
    QImageReader reader(&file);
    if (!reader.canRead())
        return std::nullopt;
    FullPictureHeader header;
    header.picture.format = reader.format();
    header.picture.size = reader.size();
    if (reader.supportsAnimation())
        header.picture.frames = std::max(reader.imageCount(), 1);
    if (!header.picture.size.isValid() || header.picture.size.isEmpty())
        return std::nullopt;
    header.imageFormat = reader.imageFormat();
    header.fileBytes = file.size();
    return header;
}

bool fitsInMemory(qint64 bytes, qint64 available) {
    return available < 0 || bytes <= available - kMemoryReserve;
}

QString pictureMemoryText(QSize picture, qint64 needed, qint64 available) {
    const auto mb = [](qint64 bytes) { return QString::number((bytes + kMiB - 1) / kMiB); };
    QString text = QStringLiteral("%1x%2 pixels: %3 MB needed")
                       .arg(picture.width())
                       .arg(picture.height())
                       .arg(mb(needed));
    if (available >= 0)
        text += QStringLiteral(", %1 MB free").arg(mb(available));
    return text;
}

QImage decodeFullSize(const QByteArray &bytes, const std::atomic_bool *cancelled) {
    CancellableBuffer buffer(bytes, cancelled);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    QImage image;
    // A picture made here at the size and in the format the reader decodes to
    // is filled in place: Qt's allocation limit applies only to pictures the
    // reader has to make itself.
    if (size.isValid() && !size.isEmpty() && format != QImage::Format_Invalid) {
        image = QImage(size, format);
        if (image.isNull())
            return {};
    }
    if (!reader.read(&image) || (cancelled && cancelled->load()))
        return {};
    // Painted as it is, without a conversion on the window's thread; the same
    // depth converts in place.
    if (image.format() == QImage::Format_ARGB32)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return image;
}

} // namespace tavimo
