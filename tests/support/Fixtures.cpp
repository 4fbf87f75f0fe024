#include "support/Fixtures.h"

#include "core/base/TextCodec.h"

#include <QBuffer>
#include <QFont>
#include <QImageWriter>
#include <QPainter>
#include <QTimeZone>
#include <QtEndian>

namespace tavimo::test {

namespace {

QImage drawImage(QSize size, const QColor &colour, const QString &text, bool smoothText) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    if (!text.isEmpty() && size.width() >= 8 && size.height() >= 8) {
        QPainter painter(&image);
        QFont font = painter.font();
        font.setPixelSize(std::max(6, size.height() / 6));
        if (!smoothText)
            font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        painter.setPen(colour.lightness() > 128 ? Qt::black : Qt::white);
        painter.drawText(image.rect(), Qt::AlignCenter, text);
    }
    return image;
}

} // namespace

QImage makeImage(QSize size, const QColor &colour, const QString &text) {
    return drawImage(size, colour, text, true);
}

QByteArray encodeImage(const QImage &image, const char *format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image))
        return {};
    return bytes;
}

QByteArray jpegBytes(QSize size, const QColor &colour, const QString &text) {
    return encodeImage(makeImage(size, colour, text), "JPG", 90);
}

QByteArray pngBytes(QSize size, const QColor &colour, const QString &text) {
    return encodeImage(makeImage(size, colour, text), "PNG");
}

QByteArray bmpBytes(QSize size, const QColor &colour, const QString &text) {
    return encodeImage(makeImage(size, colour, text), "BMP");
}

QByteArray animatedGifBytes(QSize size, const QList<QColor> &frameColours, int delayMs) {
    // Two colours a frame, so that up to 128 frames keep their colours exactly.
    QList<GifFrame> frames;
    for (qsizetype i = 0; i < frameColours.size(); ++i) {
        const QString label = size.height() >= 12 ? QString::number(i + 1) : QString();
        frames.append({drawImage(size, frameColours[i], label, false), delayMs});
    }
    return encodeAnimatedGif(frames);
}

QByteArray animatedGifOfSize(qsizetype size) {
    QByteArray gif = animatedGifBytes(QSize(16, 16), {Qt::red, Qt::green, Qt::blue}).chopped(1);
    qsizetype room = size - gif.size() - 1 - 3; // trailer, comment start and end
    gif += "\x21\xFE";
    while (room > 0) {
        qsizetype block = qMin<qsizetype>(255, room - 1);
        if (room - (block + 1) == 1) // a lone byte cannot form a block
            --block;
        gif += char(block) + QByteArray(block, 'x');
        room -= block + 1;
    }
    return gif + QByteArray("\0;", 2);
}

QString trailerDate(const QDateTime &when) {
    return when.toTimeZone(QTimeZone::utc()).toString(QStringLiteral("MM/dd/yy HH:mm:ss"));
}

QByteArray trailer(const QString &sender, const QString &status, const QString &date) {
    return "***" + encodeCp1252(QString(sender + u'*' + status + u'*' + date));
}

QByteArray trailer(const QString &sender, const QString &status, const QDateTime &when) {
    return trailer(sender, status, trailerDate(when));
}

QByteArray withTrailer(const QByteArray &picture, const QString &sender, const QString &status,
                       const QString &date) {
    return picture + trailer(sender, status, date);
}

QByteArray withTrailer(const QByteArray &picture, const QString &sender, const QString &status,
                       const QDateTime &when) {
    return picture + trailer(sender, status, when);
}

QByteArray checkPicture(int width, int height) {
    return encodeImage(makeImage(QSize(width, height), Qt::black), "JPG", 50);
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data) {
    const auto be32 = [](quint32 v) {
        QByteArray bytes(4, '\0');
        qToBigEndian(v, bytes.data());
        return bytes;
    };
    const QByteArray body = type + data;
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : body) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return be32(quint32(data.size())) + body + be32(~crc);
}

QByteArray withTextChunk(const QByteArray &png, const QByteArray &keyword, const QByteArray &text) {
    // IEND is the last 12 bytes of a PNG as encoders write it.
    return png.chopped(12) + pngChunk("tEXt", keyword + '\0' + text) + png.right(12);
}

} // namespace tavimo::test
