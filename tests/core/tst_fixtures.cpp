#include "support/Fixtures.h"

#include <QBuffer>
#include <QImageReader>
#include <QMovie>
#include <QRandomGenerator>
#include <QTest>
#include <QTimeZone>

using namespace tavimo::test;

namespace {

struct Decoded {
    QByteArray format;
    QList<QImage> frames;
    QList<int> delays;
};

Decoded decodeAll(const QByteArray &bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    Decoded decoded;
    decoded.format = reader.format();
    while (true) {
        QImage frame = reader.read();
        if (frame.isNull())
            break;
        decoded.delays.append(reader.nextImageDelay());
        decoded.frames.append(frame.convertToFormat(QImage::Format_RGB32));
    }
    return decoded;
}

int movieFrameCount(const QByteArray &bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QMovie movie(&buffer);
    return movie.isValid() ? movie.frameCount() : -1;
}

} // namespace

class FixturesTest : public QObject {
    Q_OBJECT

private slots:
    void picturesDecodeAtTheirSize_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        QTest::newRow("jpeg") << jpegBytes({320, 256}, Qt::red, "SIM1AB") << QByteArray("jpeg")
                              << QSize(320, 256);
        QTest::newRow("png") << pngBytes({17, 9}, Qt::green) << QByteArray("png") << QSize(17, 9);
        QTest::newRow("bmp") << bmpBytes({640, 496}, Qt::blue, "PD120") << QByteArray("bmp")
                             << QSize(640, 496);
        QTest::newRow("check picture, new")
            << checkPicture(1, 137) << QByteArray("jpeg") << QSize(1, 137);
        QTest::newRow("check picture, old")
            << checkPicture(2, 40) << QByteArray("jpeg") << QSize(2, 40);
    }
    void picturesDecodeAtTheirSize() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        const Decoded decoded = decodeAll(bytes);
        QCOMPARE(decoded.format, format);
        QCOMPARE(decoded.frames.size(), 1);
        QCOMPARE(decoded.frames.first().size(), size);
    }

    void losslessPicturesKeepTheirColour() {
        const Decoded decoded = decodeAll(pngBytes({4, 4}, QColor(12, 34, 56)));
        QCOMPARE(QColor(decoded.frames.first().pixel(2, 2)), QColor(12, 34, 56));
    }

    void animatedGifHasEveryFrame_data() {
        QTest::addColumn<QList<QColor>>("colours");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("delayMs");
        QTest::newRow("one frame") << QList<QColor>{Qt::red} << QSize(8, 8) << 100;
        QTest::newRow("three frames")
            << QList<QColor>{Qt::red, Qt::green, Qt::blue} << QSize(64, 48) << 250;
        QList<QColor> many;
        for (int i = 0; i < 12; ++i)
            many.append(QColor::fromHsv(i * 30, 255, 200));
        QTest::newRow("twelve frames") << many << QSize(320, 256) << 80;
        QTest::newRow("tiny") << QList<QColor>{Qt::white, Qt::black} << QSize(1, 1) << 20;
    }
    void animatedGifHasEveryFrame() {
        QFETCH(QList<QColor>, colours);
        QFETCH(QSize, size);
        QFETCH(int, delayMs);
        const QByteArray gif = animatedGifBytes(size, colours, delayMs);
        QVERIFY(gif.startsWith("GIF89a"));
        QVERIFY(gif.contains("NETSCAPE2.0"));
        QCOMPARE(movieFrameCount(gif), colours.size());
        const Decoded decoded = decodeAll(gif);
        QCOMPARE(decoded.format, QByteArray("gif"));
        QCOMPARE(decoded.frames.size(), colours.size());
        for (qsizetype i = 0; i < colours.size(); ++i) {
            QCOMPARE(decoded.frames[i].size(), size);
            QCOMPARE(decoded.delays[i], delayMs);
            // The corner holds no frame number; colours up to 256 stay exact.
            QCOMPARE(QColor(decoded.frames[i].pixel(0, 0)), colours[i].toRgb());
        }
    }

    // A busy picture fills the code table several times over, so the encoder's
    // table resets and code widths are exercised; with at most 256 colours the
    // decoded pixels must equal the source exactly.
    void busyGifDecodesExactly() {
        QImage source(200, 150, QImage::Format_RGB32);
        QRandomGenerator random(42);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                source.setPixel(x, y,
                                qRgb(int(random.bounded(4)) * 85, (x / 25) * 30, (y / 19) * 30));
        QImage second = source.mirrored(true, false);
        const QByteArray gif = encodeAnimatedGif({{source, 100}, {second, 100}});
        const Decoded decoded = decodeAll(gif);
        QCOMPARE(decoded.frames.size(), 2);
        QCOMPARE(decoded.frames[0], source);
        QCOMPARE(decoded.frames[1], second);
    }

    void manyColoursAreDithered() {
        QImage gradient(256, 64, QImage::Format_RGB32);
        for (int y = 0; y < gradient.height(); ++y)
            for (int x = 0; x < gradient.width(); ++x)
                gradient.setPixel(x, y, qRgb(x, 255 - x, y * 4));
        const QByteArray gif = encodeAnimatedGif({{gradient, 50}, {gradient.mirrored(), 50}});
        QCOMPARE(movieFrameCount(gif), 2);
        const Decoded decoded = decodeAll(gif);
        QCOMPARE(decoded.frames.size(), 2);
        // Averaged over a block, the dithered picture stays close to the source.
        for (const QPoint at : {QPoint(8, 8), QPoint(128, 32), QPoint(240, 50)}) {
            int red = 0;
            for (int dy = 0; dy < 8; ++dy)
                for (int dx = 0; dx < 8; ++dx)
                    red += qRed(decoded.frames[0].pixel(at.x() - 4 + dx, at.y() - 4 + dy));
            QVERIFY2(qAbs(red / 64 - at.x()) <= 24, qPrintable(QString::number(red / 64)));
        }
    }

    void trailerBytesAreExact_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("expected");
        const QDateTime when(QDate(2009, 10, 14), QTime(12, 34, 56), QTimeZone::utc());
        QTest::newRow("sender with slashed zero")
            << trailer(QString::fromUtf8("XX\u00D8ABC"), "OK", when)
            << QByteArray("***XX\xD8"
                          "ABC*OK*10/14/09 12:34:56");
        QTest::newRow("date as text") << trailer("SIM1AB", "Scottie 1", "01/02/03 04:05:06")
                                      << QByteArray("***SIM1AB*Scottie 1*01/02/03 04:05:06");
        QTest::newRow("local time becomes UTC")
            << trailer("A", "B", QDateTime(QDate(2024, 1, 1), QTime(1, 30, 0), QTimeZone(2 * 3600)))
            << QByteArray("***A*B*12/31/23 23:30:00");
        QTest::newRow("afternoon in 24 hours")
            << trailer("A", "B", QDateTime(QDate(2024, 7, 9), QTime(23, 5, 7), QTimeZone::utc()))
            << QByteArray("***A*B*07/09/24 23:05:07");
        QTest::newRow("appended to a picture")
            << withTrailer(QByteArray("\xFF\xD8pic\xFF\xD9", 7), "SIM0AA", "Robot 36",
                           "10/14/09 12:34:56")
            << QByteArray("\xFF\xD8pic\xFF\xD9", 7) + "***SIM0AA*Robot 36*10/14/09 12:34:56";
    }
    void trailerBytesAreExact() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, expected);
        QCOMPARE(bytes, expected);
    }

    void pictureWithTrailerStillDecodes() {
        const QByteArray bytes =
            withTrailer(jpegBytes({64, 48}), "SIM1AB", "OK", "10/14/09 12:34:56");
        QImage image;
        QVERIFY(image.loadFromData(bytes));
        QCOMPARE(image.size(), QSize(64, 48));
    }
};

QTEST_MAIN(FixturesTest)
#include "tst_fixtures.moc"
