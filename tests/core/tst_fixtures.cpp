#include "support/Fixtures.h"

#include <QBuffer>
#include <QImageReader>
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

Decoded decodeAll(QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    Decoded decoded{reader.format(), {}, {}};
    for (QImage frame = reader.read(); !frame.isNull(); frame = reader.read()) {
        decoded.delays.append(reader.nextImageDelay());
        decoded.frames.append(frame.convertToFormat(QImage::Format_RGB32));
    }
    return decoded;
}

} // namespace

class FixturesTest : public QObject {
    Q_OBJECT

private slots:
    // colours: the top left pixel of every frame, where no text is drawn (empty:
    // one frame, lossy).
    void picturesDecodeAsBuilt_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QColor>>("colours");
        QList<QColor> many;
        for (int i = 0; i < 12; ++i)
            many.append(QColor::fromHsv(i * 30, 255, 200));
        QTest::newRow("jpeg") << jpegBytes({320, 256}, Qt::red, "SIM1AB") << QByteArray("jpeg")
                              << QSize(320, 256) << QList<QColor>{};
        QTest::newRow("png") << pngBytes({17, 9}, Qt::green) << QByteArray("png") << QSize(17, 9)
                             << QList<QColor>{Qt::green};
        QTest::newRow("bmp") << bmpBytes({640, 496}, Qt::blue, "PD120") << QByteArray("bmp")
                             << QSize(640, 496) << QList<QColor>{Qt::blue};
        QTest::newRow("check picture")
            << checkPicture(1, 137) << QByteArray("jpeg") << QSize(1, 137) << QList<QColor>{};
        QTest::newRow("gif of twelve frames") << animatedGifBytes({320, 256}, many, 80)
                                              << QByteArray("gif") << QSize(320, 256) << many;
        QTest::newRow("tiny gif") << animatedGifBytes({1, 1}, {Qt::white, Qt::black}, 80)
                                  << QByteArray("gif") << QSize(1, 1)
                                  << QList<QColor>{Qt::white, Qt::black};
    }
    void picturesDecodeAsBuilt() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        QFETCH(QList<QColor>, colours);
        const Decoded decoded = decodeAll(bytes);
        QCOMPARE(decoded.format, format);
        QCOMPARE(decoded.frames.size(), std::max<qsizetype>(colours.size(), 1));
        for (qsizetype i = 0; i < decoded.frames.size(); ++i) {
            QCOMPARE(decoded.frames[i].size(), size);
            if (format == "gif")
                QCOMPARE(decoded.delays[i], 80);
            if (!colours.isEmpty())
                QCOMPARE(QColor(decoded.frames[i].pixel(0, 0)), colours[i].toRgb());
        }
    }

    // A busy picture fills the code table several times over, so the encoder's
    // table resets and code widths are exercised.
    void busyGifDecodesExactly() {
        QImage source(200, 150, QImage::Format_RGB32);
        QRandomGenerator random(42);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                source.setPixel(x, y,
                                qRgb(int(random.bounded(4)) * 85, (x / 25) * 30, (y / 19) * 30));
        const QImage second = source.mirrored(true, false);
        const Decoded decoded = decodeAll(encodeAnimatedGif({{source, 100}, {second, 100}}));
        QCOMPARE(decoded.frames.size(), 2);
        QCOMPARE(decoded.frames[0], source);
        QCOMPARE(decoded.frames[1], second);
    }

    void trailerBytesAreExact() {
        const QDateTime when(QDate(2009, 10, 14), QTime(12, 34, 56), QTimeZone::utc());
        QCOMPARE(trailer(QString::fromUtf8("XX\u00D8ABC"), "OK", when),
                 QByteArray("***XX\xD8"
                            "ABC*OK*10/14/09 12:34:56"));
        // Local time becomes UTC, on a 24-hour clock.
        QCOMPARE(trailer("A", "B", QDateTime(QDate(2024, 1, 1), QTime(1, 30), QTimeZone(7200))),
                 QByteArray("***A*B*12/31/23 23:30:00"));
    }
};

QTEST_MAIN(FixturesTest)
#include "tst_fixtures.moc"
