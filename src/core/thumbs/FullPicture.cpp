#include "core/thumbs/FullPicture.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

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

// The first number of the line of `text` that starts with `key`, or -1.
qint64 numberAfter(const QByteArray &text, const QByteArray &key) {
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QByteArray readSmallFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(64 * 1024) : QByteArray();
}

// What the process's control group (version 2) still allows, or -1.
qint64 controlGroupRoom() {
    const QByteArray self = readSmallFile(QStringLiteral("/proc/self/cgroup"));
    const qsizetype at = self.indexOf("0::");
    if (at < 0)
        return -1;
    const QByteArray group = self.mid(at + 3).split('\n').value(0).trimmed();
    const QString folder = QStringLiteral("/sys/fs/cgroup") + QString::fromUtf8(group);
    const QByteArray max = readSmallFile(folder + QStringLiteral("/memory.max")).trimmed();
    const QByteArray current = readSmallFile(folder + QStringLiteral("/memory.current")).trimmed();
    bool maxOk = false;
    bool currentOk = false;
    const qint64 limit = max.toLongLong(&maxOk);
    const qint64 used = current.toLongLong(&currentOk);
    return maxOk && currentOk ? std::max<qint64>(limit - used, 0) : -1;
}

// What the address-space limit still allows, or -1.
qint64 addressSpaceRoom() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return -1;
    const QByteArray statm = readSmallFile(QStringLiteral("/proc/self/statm"));
    const qint64 used = statm.split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
    return std::max<qint64>(qint64(limit.rlim_cur) - used, 0);
}

} // namespace

qint64 FullPictureHeader::memoryBytes() const {
    const qint64 frame = picture.frames >= 2 ? 2 * frameBytes(picture.size, 1)
                                             : imageBytes(picture.size, imageFormat);
    return fileBytes + frame;
}

std::optional<FullPictureHeader> readFullPictureHeader(const QString &path) {
    QImageReader reader(path);
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
    header.fileBytes = QFileInfo(path).size();
    return header;
}

qint64 availableMemory() {
    qint64 available = -1;
    const qint64 kiB = numberAfter(readSmallFile(QStringLiteral("/proc/meminfo")), "MemAvailable:");
    if (kiB >= 0)
        available = kiB * 1024;
    for (const qint64 room : {controlGroupRoom(), addressSpaceRoom()}) {
        if (room >= 0)
            available = available < 0 ? room : std::min(available, room);
    }
    return available;
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
