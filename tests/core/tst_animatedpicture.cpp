#include "core/AnimatedPicture.h"

#include "support/Fixtures.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <set>

using namespace tavimo;
using namespace tavimo::test;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// The colour the widget shows near its top left corner (the test GIFs carry a
// frame number in their middle).
QRgb shownColour(AnimatedPicture &picture) {
    return picture.grab().toImage().pixel(3, 3);
}

// The colours shown over a period, sampled every 10 ms.
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

} // namespace

class AnimatedPictureTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void loadsStillPictures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::newRow("jpeg without extension")
            << "7" << jpegBytes(QSize(320, 240)) << QSize(320, 240);
        QTest::newRow("png without extension")
            << "8" << pngBytes(QSize(100, 200)) << QSize(100, 200);
        QTest::newRow("bmp without extension") << "9" << bmpBytes(QSize(33, 17)) << QSize(33, 17);
        QTest::newRow("png named .jpg") << "x.jpg" << pngBytes(QSize(64, 48)) << QSize(64, 48);
        QTest::newRow("gif of one frame")
            << "10" << animatedGifBytes(QSize(50, 40), {Qt::red}) << QSize(50, 40);
    }
    void loadsStillPictures() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        const QString path = dir.filePath(name);
        QVERIFY(writeFile(path, bytes));
        AnimatedPicture picture;

        QVERIFY(picture.loadFile(path));

        QCOMPARE(picture.frameCount(), 1);
        QCOMPARE(picture.pictureWidth(), size.width());
        QCOMPARE(picture.pictureHeight(), size.height());
        QCOMPARE(picture.firstFrame().size(), size);
        picture.startAnimation();
        QVERIFY(!picture.isAnimating());
    }

    void stillPictureIsStretchedOverTheWidget() {
        const QString path = dir.filePath("stretch");
        QVERIFY(writeFile(path, pngBytes(QSize(4, 2), Qt::blue)));
        AnimatedPicture picture;
        picture.setBackColor(Qt::black);
        picture.resize(118, 88);
        QVERIFY(picture.loadFile(path));

        const QImage shown = picture.grab().toImage();
        QCOMPARE(shown.pixel(0, 0), QColor(Qt::blue).rgb());
        QCOMPARE(shown.pixel(117, 87), QColor(Qt::blue).rgb());
    }

    void twoFrameGifAnimates() {
        const QString path = dir.filePath("anim");
        QVERIFY(writeFile(path, animatedGifBytes(QSize(60, 45), {Qt::red, Qt::blue}, 60)));
        AnimatedPicture picture;
        picture.resize(60, 45);

        QVERIFY(picture.loadFile(path));
        QCOMPARE(picture.frameCount(), 2);
        QCOMPARE(picture.pictureSize(), QSize(60, 45));
        QCOMPARE(picture.firstFrame().pixel(3, 3), QColor(Qt::red).rgb());
        QCOMPARE(shownColour(picture), QColor(Qt::red).rgb()); // first frame before it starts

        picture.setBackColor(Qt::black);
        picture.startAnimation();
        QVERIFY(picture.isAnimating());
        const std::set<QRgb> seen = coloursShownDuring(picture, 500);
        QVERIFY(seen.count(QColor(Qt::red).rgb()));
        QVERIFY(seen.count(QColor(Qt::blue).rgb()));
        QCOMPARE(picture.firstFrame().pixel(3, 3), QColor(Qt::red).rgb());
    }

    void gifWithoutFrameDelayAnimatesCalmly() {
        const QString path = dir.filePath("nodelay");
        QList<GifFrame> frames;
        for (const QColor &colour : {QColor(Qt::red), QColor(Qt::green)})
            frames.append({makeImage(QSize(20, 20), colour), 0});
        QVERIFY(writeFile(path, encodeAnimatedGif(frames)));
        AnimatedPicture picture;
        picture.resize(20, 20);
        QVERIFY(picture.loadFile(path));

        picture.startAnimation();
        const QList<QRgb> samples = samplesDuring(picture, 600);

        int changes = 0;
        for (qsizetype i = 1; i < samples.size(); ++i)
            changes += samples[i] != samples[i - 1];
        // It plays, at about ten frames a second rather than as fast as the
        // event loop turns.
        QVERIFY2(changes >= 1 && changes <= 10, qPrintable(QString::number(changes)));
    }

    void fileOverwrittenDuringPlaybackChangesNothing() {
        const QString path = dir.filePath("rewritten");
        QVERIFY(writeFile(path, animatedGifBytes(QSize(40, 30), {Qt::red, Qt::blue}, 40)));
        AnimatedPicture picture;
        picture.resize(40, 30);
        QVERIFY(picture.loadFile(path));
        picture.startAnimation();
        QTest::qWait(100);

        QVERIFY(writeFile(path, animatedGifBytes(QSize(40, 30), {Qt::green, Qt::yellow}, 40)));
        const std::set<QRgb> afterRewrite = coloursShownDuring(picture, 300);
        QVERIFY(QFile::remove(path));
        const std::set<QRgb> afterRemoval = coloursShownDuring(picture, 300);

        const std::set<QRgb> loaded{QColor(Qt::red).rgb(), QColor(Qt::blue).rgb()};
        QCOMPARE(afterRewrite, loaded);
        QCOMPARE(afterRemoval, loaded);
    }

    void loadingNothingClears() {
        const QString path = dir.filePath("clear");
        QVERIFY(writeFile(path, animatedGifBytes(QSize(40, 30), {Qt::red, Qt::blue})));
        AnimatedPicture picture;
        picture.resize(40, 30);
        picture.setBackColor(Qt::darkGray);
        QVERIFY(picture.loadFile(path));
        picture.startAnimation();

        QVERIFY(!picture.loadFile(""));

        QVERIFY(picture.isEmpty());
        QCOMPARE(picture.frameCount(), 0);
        QCOMPARE(picture.pictureSize(), QSize(0, 0));
        QVERIFY(picture.firstFrame().isNull());
        QVERIFY(!picture.isAnimating());
        QCOMPARE(shownColour(picture), QColor(Qt::darkGray).rgb());
    }

    void unreadableFileFailsAndClears_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // null: no file at all
        QTest::newRow("garbage") << "garbage" << QByteArray("\x01\x02 this is no picture at all");
        QTest::newRow("html error page")
            << "page.jpg" << QByteArray("<html><body>404</body></html>");
        QTest::newRow("empty file") << "empty" << QByteArray("");
        QTest::newRow("truncated jpeg") << "cut" << jpegBytes(QSize(200, 150)).left(20);
        QTest::newRow("missing file") << "missing" << QByteArray();
    }
    void unreadableFileFailsAndClears() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString good = dir.filePath("good");
        QVERIFY(writeFile(good, jpegBytes(QSize(32, 24))));
        const QString path = dir.filePath(name);
        if (!bytes.isNull())
            QVERIFY(writeFile(path, bytes));
        AnimatedPicture picture;
        QVERIFY(picture.loadFile(good));

        QVERIFY(!picture.loadFile(path));

        QCOMPARE(picture.frameCount(), 0);
        QCOMPARE(picture.pictureWidth(), 0);
        QCOMPARE(picture.pictureHeight(), 0);
    }

    void mouseReachesTheHost_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers();
        QTest::newRow("right with ctrl")
            << Qt::RightButton << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("middle with shift and alt")
            << Qt::MiddleButton << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::AltModifier);
    }
    void mouseReachesTheHost() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::KeyboardModifiers, modifiers);
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
        QTRY_VERIFY(!moved.isEmpty());
        QCOMPARE(moved.last().at(0).value<Qt::MouseButtons>(), Qt::MouseButtons());
        QCOMPARE(moved.last().at(2).toPoint(), QPoint(12, 14));
        QTest::mouseClick(&picture, button, modifiers, QPoint(20, 15));

        QCOMPARE(pressed.size(), 1);
        QCOMPARE(pressed.first().at(0).value<Qt::MouseButton>(), button);
        QCOMPARE(pressed.first().at(1).value<Qt::KeyboardModifiers>(), modifiers);
        QCOMPARE(pressed.first().at(2).toPoint(), QPoint(20, 15));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked.first().at(0).value<Qt::MouseButton>(), button);
        QCOMPARE(clicked.first().at(1).value<Qt::KeyboardModifiers>(), modifiers);
    }

    void releaseOutsideIsNoClick() {
        AnimatedPicture picture;
        picture.resize(50, 40);
        picture.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picture));
        QSignalSpy clicked(&picture, &AnimatedPicture::clicked);

        QTest::mousePress(&picture, Qt::LeftButton, {}, QPoint(20, 15));
        QTest::mouseRelease(&picture, Qt::LeftButton, {}, QPoint(80, 15));

        QCOMPARE(clicked.size(), 0);
    }
};

QTEST_MAIN(AnimatedPictureTest)
#include "tst_animatedpicture.moc"
