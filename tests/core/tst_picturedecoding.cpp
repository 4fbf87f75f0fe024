// Pictures decoded for the thumbnails: what a header tells, a picture decoded
// at the size it is shown, an animation's frames with the delays they are
// played at, and the decoder's answers, which come later, on the decoder's
// thread, and never to a receiver that is gone.

#include "core/thumbs/PictureDecoding.h"
#include "support/Fixtures.h"

#include <QtTest>

#include <memory>

using namespace tavimo;
using namespace tavimo::test;

class PictureDecodingTest : public QObject {
    Q_OBJECT

private slots:
    void headerTellsSizeFramesAndFormat_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("JPEG") << jpegBytes(QSize(320, 256)) << QSize(320, 256) << 1
                              << QByteArray("jpeg");
        QTest::newRow("PNG") << pngBytes(QSize(40, 30)) << QSize(40, 30) << 1 << QByteArray("png");
        QTest::newRow("BMP") << bmpBytes(QSize(17, 9)) << QSize(17, 9) << 1 << QByteArray("bmp");
        QTest::newRow("animated GIF")
            << animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green, Qt::blue}) << QSize(64, 48) << 3
            << QByteArray("gif");
        QTest::newRow("no picture")
            << QByteArray("<html>gone</html>") << QSize() << 0 << QByteArray();
    }
    void headerTellsSizeFramesAndFormat() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, frames);
        const std::optional<PictureHeader> header = readPictureHeader(bytes);
        QCOMPARE(header.has_value(), frames > 0);
        if (!header)
            return;
        QTEST(header->size, "size");
        QCOMPARE(header->frames, frames);
        QTEST(header->format, "format");
    }

    void picturesDecodeAtTheSizeShown_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("decoded");
        QTest::newRow("JPEG, smaller")
            << jpegBytes(QSize(320, 256), Qt::red) << QSize(61, 47) << QSize(61, 47);
        QTest::newRow("PNG, larger")
            << pngBytes(QSize(20, 10), Qt::red) << QSize(100, 50) << QSize(100, 50);
        QTest::newRow("no size asked: its own")
            << jpegBytes(QSize(32, 24), Qt::red) << QSize() << QSize(32, 24);
        QTest::newRow("no picture") << QByteArray("gone") << QSize(10, 10) << QSize(0, 0);
    }
    void picturesDecodeAtTheSizeShown() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(QSize, decoded);
        const QImage image = decodeScaled(bytes, {}, size);
        QCOMPARE(image.size(), decoded);
        if (image.isNull())
            return;
        QCOMPARE(image.format(), QImage::Format_RGB32);
        QVERIFY(QColor(image.pixel(image.width() / 2, 1)).red() > 200);
    }

    void framesDecodeOnceWithTheirDelays_data() {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("played");
        QTest::newRow("as asked") << 300 << 300;
        QTest::newRow("no delay: the default") << 0 << DefaultFrameDelayMs;
        QTest::newRow("10 ms: the default") << 10 << DefaultFrameDelayMs;
        QTest::newRow("the shortest kept") << 20 << 20;
    }
    void framesDecodeOnceWithTheirDelays() {
        QFETCH(int, delayMs);
        QFETCH(int, played);
        const QByteArray gif =
            animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green, Qt::blue}, delayMs);
        const std::optional<AnimationFrames> frames =
            decodeFrames(gif, "gif", QSize(32, 24), 1 << 20);
        QVERIFY(frames);
        QCOMPARE(frames->images.size(), 3);
        QCOMPARE(frames->delays, QList<int>(3, played));
        QCOMPARE(frames->loopCount, -1); // the encoder loops for ever
        for (const QImage &image : frames->images)
            QCOMPARE(image.size(), QSize(32, 24));
        QVERIFY(QColor(frames->images[1].pixel(2, 2)).green() > 200);
    }

    void framesBeyondTheBudgetAreNotKept() {
        const QByteArray gif = animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green, Qt::blue});
        const QSize size(100, 100);
        QVERIFY(decodeFrames(gif, "gif", size, frameBytes(size, 3)));
        QVERIFY(!decodeFrames(gif, "gif", size, frameBytes(size, 3) - 1));
        QVERIFY(!decodeFrames("gone", "gif", size, 1 << 20));
    }

    void answersComeLaterAndOnlyToLivingReceivers() {
        PictureDecoder decoder;
        const QByteArray jpeg = jpegBytes(QSize(320, 256), Qt::red);
        const std::optional<PictureHeader> header = readPictureHeader(jpeg);
        QObject receiver;
        auto gone = std::make_unique<QObject>();
        QList<QSize> answers;
        int goneAnswers = 0;
        decoder.decodeStill(jpeg, *header, QSize(40, 32), &receiver,
                            [&](const QImage &image) { answers << image.size(); });
        decoder.decodeStill(jpeg, *header, QSize(40, 32), gone.get(),
                            [&](const QImage &) { ++goneAnswers; });
        gone.reset();
        const QByteArray gif = animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green});
        const std::optional<PictureHeader> gifHeader = readPictureHeader(gif);
        int frameCount = 0;
        decoder.decodeAnimation(
            gif, *gifHeader, QSize(16, 12), 1 << 20, &receiver,
            [&](const QImage &first) { answers << first.size(); },
            [&](const std::optional<AnimationFrames> &frames) {
                frameCount = frames ? int(frames->images.size()) : -1;
            });
        QVERIFY(answers.isEmpty()); // never inside the call
        QCOMPARE(decoder.pending(), 3);
        decoder.waitForDone();
        QCOMPARE(decoder.pending(), 0);
        // The pool answers in whatever order its threads finish.
        QCOMPARE(answers.size(), 2);
        QVERIFY(answers.contains(QSize(40, 32)) && answers.contains(QSize(16, 12)));
        QCOMPARE(frameCount, 2);
        QCOMPARE(goneAnswers, 0);
    }
};

QTEST_MAIN(PictureDecodingTest)
#include "tst_picturedecoding.moc"
