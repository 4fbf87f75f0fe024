#include "ui/AnimatedPicture.h"

#include "support/Fixtures.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <set>

using namespace tavimo;
using namespace tavimo::test;

namespace {

// Near the top left corner: the test GIFs carry a frame number in their middle.
QRgb shownColour(AnimatedPicture &picture) {
    return picture.grab().toImage().pixel(3, 3);
}

QList<QRgb> samplesDuring(AnimatedPicture &picture, int ms) {
    QList<QRgb> samples;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        samples.append(shownColour(picture));
        QTest::qWait(10);
    }
    return samples;
}

std::set<QRgb> coloursShownDuring(AnimatedPicture &picture, int ms) {
    const QList<QRgb> samples = samplesDuring(picture, ms);
    return {samples.begin(), samples.end()};
}

QRgb rgb(Qt::GlobalColor colour) {
    return QColor(colour).rgb();
}

} // namespace

class AnimatedPictureTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    // An empty path when writing fails, so that the load after it fails too.
    QString put(const QString &name, const QByteArray &bytes) {
        return writeBytes(dir.filePath(name), bytes) ? dir.filePath(name) : QString();
    }

private slots:
    void loadsStillPictures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("jpeg without extension") << "7" << jpegBytes(QSize(320, 240));
        QTest::newRow("bmp without extension") << "9" << bmpBytes(QSize(33, 17));
        QTest::newRow("png named .jpg") << "x.jpg" << pngBytes(QSize(4, 2), Qt::blue);
        QTest::newRow("gif of one frame") << "10" << animatedGifBytes(QSize(50, 40), {Qt::red});
    }
    void loadsStillPictures() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QImage expected = QImage::fromData(bytes);
        AnimatedPicture picture;
        picture.setBackColor(Qt::black);
        picture.resize(118, 88);

        QVERIFY(picture.loadFile(put(name, bytes)));
        QCOMPARE(picture.frameCount(), 1);
        QCOMPARE(picture.pictureSize(), expected.size());
        // Stretched over the whole widget, corner to corner.
        const QImage shown = picture.grab().toImage();
        QCOMPARE(shown.pixel(0, 0), expected.pixel(0, 0));
        QCOMPARE(shown.pixel(117, 87), expected.pixel(expected.width() - 1, expected.height() - 1));
        picture.startAnimation();
        QVERIFY(!picture.isAnimating());
    }

    // Without a frame delay it plays at about ten frames a second, not as fast
    // as the event loop turns.
    void twoFrameGifAnimates() {
        AnimatedPicture picture;
        picture.resize(60, 45);
        QVERIFY(picture.loadFile(put("anim", animatedGifBytes({60, 45}, {Qt::red, Qt::blue}, 0))));
        QCOMPARE(picture.frameCount(), 2);
        QCOMPARE(shownColour(picture), rgb(Qt::red)); // the first frame before it starts

        picture.startAnimation();
        QVERIFY(picture.isAnimating());
        const QList<QRgb> samples = samplesDuring(picture, 600);
        int changes = 0;
        for (qsizetype i = 1; i < samples.size(); ++i)
            changes += samples[i] != samples[i - 1];
        QVERIFY2(changes >= 1 && changes <= 8, qPrintable(QString::number(changes)));
        QCOMPARE(picture.firstFrame().pixel(3, 3), rgb(Qt::red));
    }

    void fileOverwrittenDuringPlaybackChangesNothing() {
        const QString path = put("rewritten", animatedGifBytes({40, 30}, {Qt::red, Qt::blue}, 40));
        AnimatedPicture picture;
        picture.resize(40, 30);
        QVERIFY(picture.loadFile(path));
        picture.startAnimation();
        QTest::qWait(100);

        QVERIFY(writeBytes(path, animatedGifBytes({40, 30}, {Qt::green, Qt::yellow}, 40)));
        const std::set<QRgb> afterRewrite = coloursShownDuring(picture, 300);
        QVERIFY(QFile::remove(path));
        const std::set<QRgb> loaded{rgb(Qt::red), rgb(Qt::blue)};
        QCOMPARE(afterRewrite, loaded);
        QCOMPARE(coloursShownDuring(picture, 300), loaded);
    }

    void unreadableFileFailsAndClears_data() {
        QTest::addColumn<QString>("name");     // empty: load nothing
        QTest::addColumn<QByteArray>("bytes"); // null: no file at all
        QTest::newRow("nothing") << "" << QByteArray();
        QTest::newRow("missing file") << "missing" << QByteArray();
        QTest::newRow("garbage") << "bad.jpg" << QByteArray("\x01\x02 this is no picture");
        QTest::newRow("empty file") << "bad.jpg" << QByteArray("");
        QTest::newRow("truncated jpeg") << "bad.jpg" << jpegBytes(QSize(200, 150)).left(20);
    }
    void unreadableFileFailsAndClears() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        AnimatedPicture picture;
        picture.resize(40, 30);
        picture.setBackColor(Qt::darkGray);
        QVERIFY(
            picture.loadFile(put("good", animatedGifBytes(QSize(40, 30), {Qt::red, Qt::blue}))));
        picture.startAnimation();

        const QString path = bytes.isNull() ? dir.filePath(name) : put(name, bytes);
        QVERIFY(!picture.loadFile(name.isEmpty() ? QString() : path));
        QVERIFY(picture.isEmpty());
        QCOMPARE(picture.pictureSize(), QSize(0, 0));
        QVERIFY(picture.firstFrame().isNull());
        QVERIFY(!picture.isAnimating());
        QCOMPARE(shownColour(picture), rgb(Qt::darkGray));
    }

    void mouseReachesTheHost() {
        AnimatedPicture picture;
        picture.resize(50, 40);
        picture.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picture));
        QSignalSpy pressed(&picture, &AnimatedPicture::mousePressed);
        QSignalSpy moved(&picture, &AnimatedPicture::mouseMoved);
        QSignalSpy clicked(&picture, &AnimatedPicture::clicked);

        // Two moves: the pointer may already stand on the first point.
        QTest::mouseMove(&picture, QPoint(10, 12));
        QTest::mouseMove(&picture, QPoint(12, 14));
        QTRY_COMPARE(moved.value(moved.size() - 1).value(2).toPoint(), QPoint(12, 14));
        QTest::mouseClick(&picture, Qt::RightButton, Qt::ControlModifier, QPoint(20, 15));
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(pressed[0][0].value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(pressed[0][1].value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
        QCOMPARE(pressed[0][2].toPoint(), QPoint(20, 15));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked[0][1].value<Qt::KeyboardModifiers>(), Qt::ControlModifier);

        // Released outside: no click.
        QTest::mousePress(&picture, Qt::LeftButton, {}, QPoint(20, 15));
        QTest::mouseRelease(&picture, Qt::LeftButton, {}, QPoint(80, 15));
        QCOMPARE(clicked.size(), 1);
    }
};

QTEST_MAIN(AnimatedPictureTest)
#include "tst_animatedpicture.moc"
