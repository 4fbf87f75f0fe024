#include "core/thumbs/GridGeometry.h"
#include "core/thumbs/NotFoundCanvas.h"

#include <QFontMetrics>
#include <QTest>

using namespace tavimo;

namespace {

// Pixels that differ from the background in the rows [top, bottom) and columns [left, right),
// with the mean column of those found.
struct Ink {
    int count = 0;
    double meanX = 0;
};
Ink inkIn(const QImage &image, int left, int top, int right, int bottom) {
    Ink ink;
    for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y) {
        for (int x = std::max(0, left); x < std::min(right, image.width()); ++x) {
            if (image.pixel(x, y) != placeholderBackground().rgb()) {
                ++ink.count;
                ink.meanX += x;
            }
        }
    }
    if (ink.count > 0)
        ink.meanX /= ink.count;
    return ink;
}

} // namespace

Q_DECLARE_METATYPE(tavimo::PlaceholderLines)

// The thumbnail grid: where the cells and their parts go, how large the window is, and the
// placeholder a cell shows when its picture cannot be had.
class ThumbCellsTest : public QObject {
    Q_OBJECT

private slots:
    // The scale is exactly what the cells need: the last column and row end at the margin.
    void cellsFillTheScaleExactly() {
        for (int setting = 1; setting <= 4; ++setting) {
            const ThumbLayout layout = *thumbLayout(setting);
            QCOMPARE(layout.gridRows * layout.gridCols, layout.slotCount);
            QRect all;
            for (int slot = 0; slot < layout.slotCount; ++slot)
                all |= cellGeometry(slot, layout.gridCols).shape1;
            QCOMPARE(all, QRect(GridMarginX, GridMarginY, layout.scaleWidth - 2 * GridMarginX,
                                layout.scaleHeight - 2 * GridMarginY));
        }
        QVERIFY(!thumbLayout(0) && !thumbLayout(5) && !thumbLayout(-3));
    }

    void cellParts_data() {
        QTest::addColumn<int>("cols");
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QList<QPoint>>("parts"); // picture, after a page switch, callsign,
                                                  // sender, progress bar
        QTest::newRow("slot 7, five columns")
            << 5 << QRect(270, 121, 130, 117)
            << QList<QPoint>{{274, 125}, {275, 126}, {270, 216}, {285, 225}, {293, 228}};
        QTest::newRow("slot 7, six columns")
            << 6 << QRect(138, 121, 130, 117)
            << QList<QPoint>{{142, 125}, {143, 126}, {138, 216}, {153, 225}, {161, 228}};
    }
    void cellParts() {
        QFETCH(int, cols);
        QFETCH(QRect, frame);
        const CellGeometry cell = cellGeometry(7, cols);
        QCOMPARE(cellOrigin(7, cols), frame.topLeft());
        QCOMPARE(cell.shape1, frame);
        QTEST(
            (QList<QPoint>{cell.img.topLeft(), cell.imgAfterPageSwitch.topLeft(),
                           cell.lblCall.topLeft(), cell.lblFrom.topLeft(), cell.picProg.topLeft()}),
            "parts");
        QCOMPARE(cell.bounds, QRect(frame.topLeft(), QSize(130, 119)));
        // The white edges run along the frame's left and top sides.
        const QPointF corner = frame.topLeft();
        QCOMPARE(cell.line1, QLineF(corner, corner + QPointF(0, 117)));
        QCOMPARE(cell.line2, QLineF(corner, corner + QPointF(130, 0)));
    }

    // The client area keeps the grid's proportions, worked out from the whole pixels of the
    // width taken: 9234 twips is 615.6 pixels, so the window takes 616 and the height follows
    // from those 9240 twips.
    void windowSize_data() {
        for (const char *column : {"screenPixelsHigh", "setting", "guiSize"})
            QTest::addColumn<int>(column);
        QTest::addColumn<double>("widthTwips");
        QTest::newRow("1080, setting 1, small") << 1080 << 1 << 0 << 9234.0;
        QTest::newRow("1080, setting 2, medium") << 1080 << 2 << 1 << 12960.0;
        QTest::newRow("1080, setting 4, extra large") << 1080 << 4 << 3 << 21951.0;
        QTest::newRow("960, setting 4, medium") << 960 << 4 << 1 << 13752.0;
        QTest::newRow("960, setting 2, extra large") << 960 << 2 << 3 << 16319.952;
    }
    void windowSize() {
        QFETCH(int, screenPixelsHigh);
        QFETCH(int, setting);
        QFETCH(int, guiSize);
        QFETCH(double, widthTwips);
        const ScreenMetrics screen = screenMetrics(QSize(1920, screenPixelsHigh), 96, 96);
        const ThumbLayout layout = *thumbLayout(setting);
        const FrameExtra extra{150, 900};
        const MainWindowSize size = mainWindowSize(screen, guiSize, layout, extra);
        QVERIFY(qAbs(size.widthTwips - widthTwips) < 1e-6);
        QCOMPARE(size.widthPixels, qRound(widthTwips / 15));
        const double client = size.widthPixels * 15.0 - extra.width;
        QVERIFY(qAbs(size.heightTwips - (client * layout.heightFactor + extra.height)) < 1e-6);
        QCOMPARE(size.heightPixels, qRound(size.heightTwips / 15));
    }

    void screenUnitsAreClamped() {
        QCOMPARE(clampTwipsPerPixel(9), 15);
        QCOMPARE(clampTwipsPerPixel(0), 15);
        QCOMPARE(twipsPerPixelForDpi(120.0), 12);
        QCOMPARE(twipsPerPixelForDpi(192.0), 15);
        const ScreenMetrics screen = screenMetrics(QSize(1920, 1080), 96, 120);
        QCOMPARE(screen.screenHeight, 12960);
        const FrameExtra extra = frameExtra(QSize(870, 350), QSize(860, 300), screen);
        QVERIFY(extra.width == 150 && extra.height == 600);
    }

    // A label directly under a picture never overlaps it or leaves a gap, whatever the rounding.
    void touchingRectanglesStayTouching() {
        const UserScale scale(QSizeF(670, 359), QSize(917, 491));
        for (int top = 0; top < 300; ++top) {
            const QRect above = scale.toPixels(QRectF(4, top, 120, 90));
            const QRect below = scale.toPixels(QRectF(4, top + 90, 120, 15));
            QCOMPARE(above.bottom() + 1, below.top());
        }
        // 1.5 pixels a unit: 121 units is 181.5 pixels, rounded to the even 182.
        QCOMPARE(UserScale(QSizeF(670, 240), QSize(1005, 360)).toPixels(QRectF(270, 121, 130, 117)),
                 QRect(405, 182, 195, 175));
        const UserScale lines(QSizeF(670, 240), QSize(1340, 720));
        QCOMPARE(lines.toPixels(QLineF(270, 121, 270, 238)), QLine(540, 363, 540, 714));
        QCOMPARE(lines.toUnits(QPointF(540, 363)), QPointF(270, 121));
        QCOMPARE(UserScale(QSizeF(0, 0), QSize(100, 100)).toUnits(QPointF(50, 50)), QPointF(0, 0));
    }

    void placeholderLines_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("pictureRead");
        QTest::addColumn<QString>("lines");
        QTest::newRow("SSTV picture cannot be shown") << "sstv" << true << "Image 1|not found";
        QTest::newRow("WX download failed") << "wx" << false << "Image|(download failed)";
        QTest::newRow("gallery cell 6 shows 7") << "cell6" << true << "Image 7|not found";
    }
    void placeholderLines() {
        QFETCH(QString, where);
        QFETCH(bool, pictureRead);
        LanguageTexts t;
        t.LngNotFound1 = QStringLiteral("Sorry");
        t.LngNotFound2 = QStringLiteral("not found");
        t.LngNotFound3 = QStringLiteral("Image");
        t.LngFailed = QStringLiteral("  (download failed) ");
        const PlaceholderLines l = where == u"cell6"
                                       ? galleryNotFoundLines(t, 6, pictureRead)
                                       : slotNotFoundLines(t, where == u"wx", pictureRead);
        QCOMPARE(l.lineA, QStringLiteral("Sorry"));
        QTEST(l.lineB + u'|' + l.lineC, "lines");
    }

    void placeholderCanvas_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<PlaceholderLines>("lines");
        QTest::newRow("cell size") << QSize(120, 90) << PlaceholderLines{"Sorry", "Image 1", "x"};
        QTest::newRow("odd size") << QSize(131, 97) << PlaceholderLines{"Sorry", "Image 1", "x"};
        QTest::newRow("only line C") << QSize(120, 90) << PlaceholderLines{"", "", "not found"};
        // Long lines shrink to fit rather than lose their ends.
        QTest::newRow("long line C, small cell")
            << QSize(98, 74)
            << PlaceholderLines{"Entschuldigung", "Bild 1", "(Laden fehlgeschlagen)"};
        QTest::newRow("long lines, cell size")
            << QSize(120, 90)
            << PlaceholderLines{"Helaas, helaas", "Afbeelding 1", "(downloaden mislukt, helaas)"};
    }
    void placeholderCanvas() {
        QFETCH(QSize, size);
        QFETCH(PlaceholderLines, lines);
        QVERIFY(renderPlaceholder(QSize(), lines).isNull());
        const QImage image = renderPlaceholder(size, lines);
        QCOMPARE(image.size(), size);
        const PlaceholderLayout layout = placeholderLayout(size);
        const QRect frame = layout.frame;
        const QRgb white = qRgb(255, 255, 255), background = placeholderBackground().rgb();
        QCOMPARE(image.pixel(0, 0), background);
        QCOMPARE(image.pixel(frame.topLeft()), white);
        QCOMPARE(image.pixel(frame.bottomRight()), white);
        QCOMPARE(image.pixel(frame.left() - 1, frame.center().y()), background);

        // Line A inside the frame, lines B and C below it, each centred.
        const Ink a =
            inkIn(image, frame.left() + 1, frame.top() + 1, frame.right(), frame.bottom());
        const Ink b = inkIn(image, 0, frame.bottom() + 1, size.width(), layout.lineCTop);
        const Ink c = inkIn(image, 0, layout.lineCTop, size.width(), size.height());
        QCOMPARE(a.count > 0, !lines.lineA.isEmpty());
        QCOMPARE(b.count > 0, !lines.lineB.isEmpty());
        QCOMPARE(c.count > 0, !lines.lineC.isEmpty());
        for (const Ink &ink : {a, b, c})
            if (ink.count > 0)
                QVERIFY(std::abs(ink.meanX - layout.centreX) < size.width() / 10.0);
        // Nothing is cut at the edges: the outermost columns below the frame stay bare.
        QCOMPARE(inkIn(image, 0, frame.bottom() + 1, 1, size.height()).count, 0);
        QCOMPARE(
            inkIn(image, size.width() - 1, frame.bottom() + 1, size.width(), size.height()).count,
            0);
        for (const QString &line : {lines.lineB, lines.lineC}) {
            const int pixels = fittedPlaceholderPixels(line, layout.lineBCPixels, size.width());
            QFont font = placeholderFont();
            font.setPixelSize(pixels);
            QVERIFY(QFontMetrics(font).horizontalAdvance(line) <= size.width() - 2);
        }
    }
};

QTEST_MAIN(ThumbCellsTest)
#include "tst_thumbcells.moc"
