// The thumbnail grid's own rules: where a picture goes in its cell, what a
// slot shows for good and bad bytes, the blink of a slot's frame, a cell's
// still picture decoded at the cell's size off the window's thread, animations
// decoded once and played by the grid's clock while the window shows, the
// parts of a cell that come and go by what they paint, cells that leave no
// pixel they cover unpainted, and a disabled window that repaints only what
// greys out.

#include "support/DrawnCell.h"
#include "support/Fixtures.h"
#include "support/LogLines.h"
#include "support/ShowHideCounter.h"
#include "support/TestFiles.h"
#include "ui/AnimatedPicture.h"
#include "ui/AnimationClock.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

class ThumbGridTest : public QObject {
    Q_OBJECT

private slots:
    void picturesFitTheCell_data();
    void picturesFitTheCell();
    void slotShowsWhatItCan_data();
    void slotShowsWhatItCan();
    void newCellsAndPageSwitchesLeaveBlankCells();
    void blinkEndsInTheFramesColour();
    void captionsOnAColouredFrameStayReadable();
    void stillPictureIsDecodedAtTheCellsSize();
    void gridDecodesTheLatestPictureAtItsCellsSize();
    void resizedCellReadsItsFileAgain_data();
    void resizedCellReadsItsFileAgain();
    void undecodablePictureIsAskedForOncePerSize();
    void animationsPlayDecodedFramesWhileTheWindowShows();
    void animationTooLargeToKeepStillPlays();
    void resizedAnimationReadsItsFileAgain();
    void partsComeAndGoByWhatTheyPaint();
    void cellsPaintAllTheyCover();
    void disablingRepaintsOnlyWhatGreys();
};

namespace {

// A grid of 10 cells in a window of its own, on the screen.
struct ShownGrid {
    ShownGrid() {
        grid = new ThumbGrid(&window);
        window.resize(670, 240);
        grid->resize(window.size());
        grid->makeCells(9, true);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QImage shown(QWidget *part) { return part->grab().toImage(); }
    QWidget window;
    ThumbGrid *grid = nullptr;
};

// Counts the paint events of the watched widgets.
struct PaintCounter : QObject {
    QMap<QObject *, int> paints;
    void watch(const QList<QWidget *> &widgets) {
        for (QWidget *widget : widgets)
            widget->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            ++paints[watched];
        return false;
    }
};

QColor middle(const QImage &image) {
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// While a reader waits on the named pipe at `path` as this goes, opens it for writing and
// closes it again, so that the reader ends (and a test that failed with it).
struct FifoRelease {
    QString path;
    ~FifoRelease() {
        for (int i = 0; !path.isEmpty() && i < 100; ++i) {
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
            if (fd < 0)
                return; // no reader
            ::close(fd);
            QThread::msleep(10);
        }
    }
};

} // namespace

void ThumbGridTest::picturesFitTheCell_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSizeF>("shown");
    QTest::newRow("4:3 fills the height") << QSize(320, 240) << QSizeF(320 / (240 / 88.0), 88);
    QTest::newRow("wide fills the width") << QSize(320, 200) << QSizeF(118, 73.75);
    QTest::newRow("tall fills the height") << QSize(100, 200) << QSizeF(44, 88);
    QTest::newRow("empty picture") << QSize(0, 0) << QSizeF(0, 0);
}

void ThumbGridTest::picturesFitTheCell() {
    QFETCH(QSize, picture);
    QFETCH(QSizeF, shown);
    const QRect shape1(270, 121, 130, 117);
    const QRectF fitted = fitPictureInCell(picture, shape1);
    QCOMPARE(fitted.size(), shown);
    if (!shown.isEmpty())
        QCOMPARE(fitted.center(), QPointF(270 + 65, 121 + 49));
}

void ThumbGridTest::slotShowsWhatItCan_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("animated");
    QTest::newRow("still") << jpegBytes(QSize(160, 120), Qt::red) << true << false;
    QTest::newRow("animation") << animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green, Qt::blue})
                               << true << true;
    QTest::newRow("no picture") << QByteArray("not a picture") << false << false;
    QTest::newRow("nothing") << QByteArray() << false << false;
}

void ThumbGridTest::slotShowsWhatItCan() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, shown);
    QFETCH(bool, animated);
    ThumbGrid grid;
    grid.resize(670, 240);
    grid.makeCells(9, true);
    QCOMPARE(grid.cells().size(), 10);
    QCOMPARE(grid.showPicture(3, bytes), shown);
    ThumbCell &c = *grid.cell(3);
    QCOMPARE(!c.AniGIF()->isHidden(), animated);
    QCOMPARE(c.AniGIF()->isAnimating(), animated);
    QCOMPARE(c.img->hasPicture(), shown && !animated);
    QVERIFY(!grid.showPicture(10, bytes)); // a slot the grid lacks
    grid.clearSlot(3);
    QVERIFY(c.isBlank());
}

void ThumbGridTest::newCellsAndPageSwitchesLeaveBlankCells() {
    ThumbGrid grid;
    const auto fill = [&] {
        for (ThumbCell *cell : grid.cells()) {
            cell->lblCall->setText(QStringLiteral("AB1CD - 2 days"));
            cell->lblFrom->setText(QStringLiteral("From XY9Z"));
            QVERIFY(grid.showPicture(cell->slot(), jpegBytes(QSize(40, 30), Qt::red)));
            cell->setProgressShown(true);
            cell->setShapeColor(QColor(242, 242, 214));
        }
    };
    grid.setGridLayout(*thumbLayout(4));
    grid.makeCells(9, true);
    fill();
    const auto allBlank = [&] {
        for (ThumbCell *cell : grid.cells()) {
            QVERIFY(cell->isBlank());
            QCOMPARE(cell->shapeColor(), grid.backColor());
        }
    };
    // A page switch empties the cells in place.
    const QList<ThumbCell *> before = grid.cells();
    grid.ArrangeThumbnailGrid();
    QCOMPARE(grid.cells(), before);
    allBlank();
    fill();
    grid.setGridLayout(*thumbLayout(1));
    grid.makeCells(9, true);
    QCOMPARE(grid.cells().size(), 5);
    QCOMPARE(grid.findChildren<ThumbCell *>(Qt::FindDirectChildrenOnly).size(), 5);
    allBlank();
}

void ThumbGridTest::blinkEndsInTheFramesColour() {
    ThumbGrid grid;
    grid.makeCells(9, true);
    const QColor own(242, 242, 214);
    grid.cell(7)->setShapeColor(own);
    grid.startSlotBlink(7);
    QTRY_VERIFY(grid.blinkTicks() >= 1);
    QCOMPARE(grid.cell(7)->shapeColor(), QColor(0, 0, 255));
    QTRY_VERIFY_WITH_TIMEOUT(!grid.isBlinking(), 6000);
    QCOMPARE(grid.blinkTicks(), 20);
    QCOMPARE(grid.cell(7)->shapeColor(), own);
}

// Under a dark desktop scheme the captions on a frame coloured for a new picture are written
// dark; on the window's own colour they keep the scheme's text.
void ThumbGridTest::captionsOnAColouredFrameStayReadable() {
    ShownGrid g;
    QPalette dark = g.window.palette();
    dark.setColor(QPalette::Window, QColor(50, 50, 50));
    dark.setColor(QPalette::WindowText, QColor(240, 240, 240));
    g.window.setPalette(dark);
    ThumbCell &cell = *g.grid->cell(3);
    cell.setShapeColor(QColor(242, 242, 214));
    ThumbCell::setLabelText(cell.lblCall, u"SIM0AD - NEW"_s);
    ThumbCell::setLabelText(cell.lblFrom, u"From: SIM4PIC"_s);
    const QImage shown = cell.grab().toImage();
    for (const QLabel *caption : {cell.lblCall, static_cast<QLabel *>(cell.lblFrom)}) {
        const DrawnCell drawn = drawnCell(shown, caption->geometry());
        QCOMPARE(drawn.background, QColor(242, 242, 214));
        QVERIFY2(drawn.darkestInk < 60, qPrintable(caption->text()));
    }
    // A dialog that disables the window leaves the grid readable.
    g.window.setEnabled(false);
    cell.setShapeColor(QColor(255, 136, 136));
    QVERIFY(drawnCell(cell.grab().toImage(), cell.lblCall->geometry()).darkestInk < 60);
    g.window.setEnabled(true);
    cell.setShapeColor(QColor(50, 50, 50));
    QCOMPARE(cell.lblFrom->palette().color(QPalette::WindowText), QColor(240, 240, 240));
}

// A pixmap set directly (the placeholder) replaces the picture kept.
void ThumbGridTest::stillPictureIsDecodedAtTheCellsSize() {
    StillPicture label;
    label.setPicture(jpegBytes(QSize(320, 256), Qt::red));
    for (const QSize size : {QSize(60, 45), QSize(150, 110)}) {
        label.resize(size);
        const QImage shown = label.grab().toImage();
        QCOMPARE(shown.size(), size);
        QVERIFY(QColor(shown.pixel(size.width() / 2, size.height() / 2)).red() > 200);
    }
    // The next picture at the same size is decoded too, not the one before kept.
    label.setPicture(jpegBytes(QSize(320, 256), Qt::blue));
    QVERIFY(middle(label.grab().toImage()).blue() > 200);
    QCOMPARE(label.pixmap().size(), QSize(320, 256));
    label.setPixmap(QPixmap());
    QVERIFY(label.pixmap().isNull());
}

// The first picture is still being decoded when the second comes: the cell
// ends with the second, at its own size, and again at a new size.
void ThumbGridTest::gridDecodesTheLatestPictureAtItsCellsSize() {
    ShownGrid g;
    ThumbGrid &grid = *g.grid;
    QVERIFY(grid.showPicture(2, jpegBytes(QSize(320, 256), Qt::red)));
    QVERIFY(grid.showPicture(2, jpegBytes(QSize(320, 256), Qt::blue)));
    StillPicture &img = *grid.cell(2)->img;
    QVERIFY(img.hasPicture());
    QVERIFY(grid.decodesPending() > 0);
    grid.waitForDecodes();
    QVERIFY(img.isDecoded());
    QVERIFY(middle(g.shown(&img)).blue() > 200);

    g.window.resize(1340, 480);
    grid.resize(g.window.size());
    QVERIFY(!img.isDecoded());
    g.shown(&img); // the paint at the new size asks for it
    grid.waitForDecodes();
    QVERIFY(img.isDecoded());
    QVERIFY(middle(g.shown(&img)).blue() > 200);
}

// Once shown, a cell keeps what it draws, not the bytes: a new size reads
// the stored file, and only the very bytes shown; until then the picture on
// show stays, stretched, and nothing counts as a picture that fails.
void ThumbGridTest::resizedCellReadsItsFileAgain_data() {
    QTest::addColumn<QString>("fileAfter"); // "same", "gone", "other", "late", "fifo"
    QTest::addColumn<bool>("sharp");
    QTest::newRow("file holds the picture") << u"same"_s << true;
    QTest::newRow("file gone") << u"gone"_s << false;
    QTest::newRow("file holds another picture") << u"other"_s << false;
    QTest::newRow("file written after the resize") << u"late"_s << true;
    QTest::newRow("file is a named pipe") << u"fifo"_s << false;
}

void ThumbGridTest::resizedCellReadsItsFileAgain() {
    QFETCH(QString, fileAfter);
    QFETCH(bool, sharp);
    QTemporaryDir dir;
    const QString file = dir.filePath(u"4"_s);
    const QByteArray red = jpegBytes(QSize(320, 240), Qt::red);
    QVERIFY(writeBytes(file, red));
    ShownGrid g;
    ThumbGrid &grid = *g.grid;
    QSignalSpy notDecoded(&grid, &ThumbGrid::pictureNotDecoded);
    QVERIFY(grid.showPicture(4, red, file));
    StillPicture &img = *grid.cell(4)->img;
    grid.waitForDecodes();
    QVERIFY(img.isDecoded());

    if (fileAfter != u"same")
        QVERIFY(QFile::remove(file));
    if (fileAfter == u"other")
        QVERIFY(writeBytes(file, jpegBytes(QSize(320, 240), Qt::blue)));
    // A decode that waited on the pipe would hold a worker for good, and the grid's end.
    const FifoRelease release{fileAfter == u"fifo" ? file : QString()};
    if (fileAfter == u"fifo")
        QVERIFY(makeFifo(file));
    g.window.resize(1340, 480);
    grid.resize(g.window.size());
    g.shown(&img);
    QTRY_COMPARE_WITH_TIMEOUT(grid.decodesPending(), 0, 5000);
    grid.waitForDecodes();
    if (fileAfter == u"late") {
        QVERIFY(!img.isDecoded());
        QVERIFY(writeBytes(file, red));
    }
    QTRY_COMPARE(img.isDecoded(), sharp);
    QVERIFY(middle(g.shown(&img)).red() > 200);
    QCOMPARE(notDecoded.count(), 0);
}

// A picture whose header reads but whose data does not (the first half of a PNG) is decoded
// once per size, not on every paint, and the grid tells its owner.
void ThumbGridTest::undecodablePictureIsAskedForOncePerSize() {
    ShownGrid g;
    ThumbGrid &grid = *g.grid;
    QSignalSpy notDecoded(&grid, &ThumbGrid::pictureNotDecoded);
    QImage noise(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
    }
    const QByteArray png = encodeImage(noise, "PNG");
    QVERIFY(grid.showPicture(3, png.left(png.size() / 2)));
    StillPicture &img = *grid.cell(3)->img;
    QTRY_COMPARE(notDecoded.count(), 1);
    QCOMPARE(notDecoded.first().first().toInt(), 3);
    for (int i = 0; i < 5; ++i) {
        img.repaint();
        QTest::qWait(20);
    }
    QCOMPARE(grid.decodesPending(), 0);
    QCOMPARE(notDecoded.count(), 1);

    // A new size asks once more.
    g.window.resize(1340, 480);
    grid.resize(g.window.size());
    g.shown(&img);
    QTRY_COMPARE(notDecoded.count(), 2);
    QTest::qWait(100);
    QCOMPARE(grid.decodesPending(), 0);
    QCOMPARE(notDecoded.count(), 2);
}

void ThumbGridTest::animationsPlayDecodedFramesWhileTheWindowShows() {
    ShownGrid g;
    ThumbGrid &grid = *g.grid;
    const QList<QColor> colours{Qt::red, Qt::green, Qt::blue};
    QVERIFY(grid.showPicture(4, animatedGifBytes(QSize(64, 48), colours, 40)));
    AnimatedPicture &gif = *grid.cell(4)->AniGIF();
    QVERIFY(gif.playsDecodedFrames());
    QCOMPARE(gif.frameCount(), 3);
    QCOMPARE(gif.pictureSize(), QSize(64, 48));
    grid.waitForDecodes();
    QVERIFY(gif.isAnimating());
    QVERIFY(grid.animationClock().contains(&gif));
    const auto seen = [&] {
        const QColor c = middle(g.shown(&gif));
        return c.red() > 200 ? 0 : c.green() > 200 ? 1 : c.blue() > 200 ? 2 : -1;
    };
    // Every frame comes round.
    QSet<int> frames;
    QTRY_VERIFY_WITH_TIMEOUT((frames << seen(), frames.size() == 3), 3000);

    const auto stands = [&] {
        const int now = seen();
        QTest::qWait(200); // five frames' time
        return seen() == now;
    };
    g.window.hide();
    QVERIFY(!grid.animationClock().isRunning());
    QVERIFY(stands());
    g.window.show();
    QVERIFY(grid.animationClock().isRunning());
    g.window.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(!grid.animationClock().isRunning());
    QVERIFY(stands());
    g.window.setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(grid.animationClock().isRunning());
    frames.clear();
    QTRY_VERIFY_WITH_TIMEOUT((frames << seen(), frames.size() == 3), 3000);

    grid.clearSlot(4);
    QVERIFY(!grid.animationClock().contains(&gif));
}

// An animation, once its frames are in, keeps them and not its bytes: a new
// size decodes its file again, and a file that is gone leaves the frames on
// show playing, which the log tells once, however often the size changes.
void ThumbGridTest::resizedAnimationReadsItsFileAgain() {
    // Log lines that say a picture's file no longer holds it.
    const LogLineCounter fileChangeLines(u"no longer holds"_s);
    QTemporaryDir dir;
    const QString file = dir.filePath(u"4"_s);
    const QByteArray bytes = animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green}, 40);
    QVERIFY(writeBytes(file, bytes));
    ShownGrid g;
    ThumbGrid &grid = *g.grid;
    QVERIFY(grid.showPicture(4, bytes, file));
    AnimatedPicture &gif = *grid.cell(4)->AniGIF();
    grid.waitForDecodes();
    QVERIFY(gif.isAnimating() && !gif.holdsBytes());
    const QSize first = gif.decodedFrameSize();

    const QList<std::pair<QSize, bool>> windows{
        {QSize(1340, 480), true}, {QSize(1200, 440), true}, {QSize(1005, 360), false}};
    for (const auto &[window, gone] : windows) {
        if (gone != !QFileInfo::exists(file)) {
            QVERIFY(gone ? QFile::rename(file, file + u".kept"_s)
                         : QFile::rename(file + u".kept"_s, file));
        }
        g.window.resize(window);
        grid.resize(window);
        g.shown(&gif);
        grid.waitForDecodes();
        QVERIFY(gif.isAnimating() && gif.playsDecodedFrames());
        QCOMPARE(gif.decodedFrameSize() == first, gone);
        QCOMPARE(gif.decodedFrameSize(), gone ? first : gif.size() * gif.devicePixelRatioF());
    }
    QCOMPARE(fileChangeLines.count(), 1);
}

void ThumbGridTest::animationTooLargeToKeepStillPlays() {
    ShownGrid g;
    ThumbGrid &grid = *g.grid;
    const QSize picture(64, 48);
    QVERIFY(grid.showPicture(1, animatedGifBytes(picture, {Qt::red, Qt::green})));
    const QSize shown = grid.cell(1)->AniGIF()->size();
    QVERIFY(!shown.isEmpty());
    // More frames at the size shown than a thumbnail may keep.
    const int frames = int(AnimatedPicture::MaxFrameBytes / frameBytes(shown, 1)) + 2;
    QList<QColor> colours;
    for (int i = 0; i < frames; ++i)
        colours << QColor::fromHsv(i % 360, 255, 255);
    QVERIFY(grid.showPicture(1, animatedGifBytes(picture, colours)));
    AnimatedPicture &gif = *grid.cell(1)->AniGIF();
    QCOMPARE(gif.frameCount(), frames);
    QVERIFY(!gif.playsDecodedFrames());
    QVERIFY(gif.isAnimating());
}

// Showing a widget while the pointer is over the window costs a round trip
// to the X server: a pass changes what the parts paint instead.
void ThumbGridTest::partsComeAndGoByWhatTheyPaint() {
    ShownGrid g;
    ThumbGrid &grid = *g.grid;
    ThumbCell &c = *grid.cell(6);
    const QList<QWidget *> parts{c.lblConnect(), c.lblFrom, c.picProg};
    ShowHideCounter counter;
    counter.watch(parts);
    // The waiting text paints only while the slot waits.
    const QRect text = c.lblConnect()->geometry();
    const auto area = [&] { return c.grab(text).toImage(); };
    const QImage none = area();
    c.lblConnect()->setText(QStringLiteral("Loading"));
    QCOMPARE(area(), none);
    c.setWaiting(true);
    QVERIFY(c.isWaiting());
    QVERIFY(area() != none);
    c.setSenderShown(false);
    QVERIFY(!c.isSenderShown());
    grid.startProgress(6);
    QVERIFY(c.isProgressShown());
    grid.showProgress(6, 2000, 500);
    QCOMPARE(c.picProg->percent(), 25);
    const QImage bar = g.shown(c.picProg);
    QCOMPARE(bar.pixelColor(1, bar.height() / 2), c.picProg->foreColor());
    grid.showProgress(6, 2000, 2000);
    QVERIFY(!c.isProgressShown());
    c.setWaiting(false);
    QCOMPARE(area(), none);
    c.setSenderShown(true);
    QVERIFY(c.isSenderShown());
    grid.hideProgress(6);
    grid.clearSlot(6);

    QCOMPARE(counter.seen, QStringList());
    for (QWidget *part : parts)
        QVERIFY(part->isVisible());
}

// A window that disables the grid's window (the gallery does) must not
// redraw every cell, but what the style greys out must still grey.
void ThumbGridTest::disablingRepaintsOnlyWhatGreys() {
    ShownGrid g;
    ThumbGrid &grid = *g.grid;
    ThumbCell &photo = *grid.cell(2);
    ThumbCell &placeholder = *grid.cell(3);
    QVERIFY(grid.showPicture(2, jpegBytes(QSize(320, 256), Qt::red)));
    QTRY_VERIFY(photo.img->isDecoded());
    grid.showPlaceholder(3, PlaceholderLines{});
    photo.lblCall->setText(QStringLiteral("K1ABC"));
    QTest::qWait(50);
    PaintCounter counter;
    counter.watch({photo.img, placeholder.img, photo.lblCall});
    g.window.setEnabled(false);
    QTRY_VERIFY(counter.paints.value(placeholder.img) > 0);
    QVERIFY(counter.paints.value(photo.lblCall) > 0);
    QCOMPARE(counter.paints.value(photo.img), 0);
    QVERIFY(!photo.isEnabled());
}

QTEST_MAIN(ThumbGridTest)
// A cell and its picture paint their backgrounds themselves, the window
// does not paint below them: no pixel they cover may be left unpainted.
void ThumbGridTest::cellsPaintAllTheyCover() {
    ShownGrid g;
    ThumbGrid &grid = *g.grid;
    const QColor back(20, 160, 60);
    QPalette colours = g.window.palette();
    colours.setColor(QPalette::Window, back);
    g.window.setPalette(colours);
    grid.makeCells(9, true);
    ThumbCell &framed = *grid.cell(1);
    framed.setShapeColor(Qt::red);
    // A picture with a clear half shows the background through it.
    QImage half(QSize(320, 240), QImage::Format_ARGB32);
    half.fill(Qt::transparent);
    for (int y = 0; y < half.height(); ++y)
        for (int x = 0; x < half.width() / 2; ++x)
            half.setPixelColor(x, y, Qt::blue);
    QVERIFY(grid.showPicture(2, encodeImage(half, "PNG")));
    grid.waitForDecodes();
    QCoreApplication::processEvents();

    const QImage shown = g.window.grab().toImage();
    const auto at = [&](const QPoint &p) { return shown.pixelColor(p); };
    const QRect frame = grid.slotFrame(1);
    QCOMPARE(at(frame.topLeft() + QPoint(3, 3)), QColor(Qt::red));
    const QRect cell = framed.geometry();
    QVERIFY(cell.bottom() > frame.bottom());
    QCOMPARE(at(QPoint(frame.center().x(), cell.bottom())), back);
    const ThumbCell &pictured = *grid.cell(2);
    const QRect box(pictured.img->mapTo(&g.window, QPoint(0, 0)), pictured.img->size());
    QCOMPARE(at(QPoint(box.left() + box.width() / 4, box.center().y())), QColor(Qt::blue));
    QCOMPARE(at(QPoint(box.right() - box.width() / 4, box.center().y())), back);
}

#include "tst_thumbgrid.moc"
