#include "core/thumbs/GridGeometry.h"

#include <QTest>

using namespace tavimo;

class GridGeometryTest : public QObject {
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
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("cols");
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QPoint>("picture");
        QTest::addColumn<QPoint>("pictureAfterPageSwitch");
        QTest::addColumn<QPoint>("callsign");
        QTest::addColumn<QPoint>("sender");
        QTest::addColumn<QPoint>("progress");
        QTest::newRow("slot 7, five columns")
            << 7 << 5 << QRect(270, 121, 130, 117) << QPoint(274, 125) << QPoint(275, 126)
            << QPoint(270, 216) << QPoint(285, 225) << QPoint(293, 228);
        QTest::newRow("slot 7, six columns")
            << 7 << 6 << QRect(138, 121, 130, 117) << QPoint(142, 125) << QPoint(143, 126)
            << QPoint(138, 216) << QPoint(153, 225) << QPoint(161, 228);
    }
    void cellParts() {
        QFETCH(int, slot);
        QFETCH(int, cols);
        QFETCH(QRect, frame);
        const CellGeometry cell = cellGeometry(slot, cols);
        QCOMPARE(cellOrigin(slot, cols), frame.topLeft());
        QCOMPARE(cell.shape1, frame);
        QTEST(cell.img.topLeft(), "picture");
        QTEST(cell.imgAfterPageSwitch.topLeft(), "pictureAfterPageSwitch");
        QTEST(cell.lblCall.topLeft(), "callsign");
        QTEST(cell.lblFrom.topLeft(), "sender");
        QTEST(cell.picProg.topLeft(), "progress");
        QCOMPARE(cell.img.size(), QSize(120, 90));
        QCOMPARE(cell.imgAfterPageSwitch.size(), QSize(120, 90));
        QCOMPARE(cell.lblCall.size(), QSize(130, 15));
        QCOMPARE(cell.lblFrom.size(), QSize(100, 15));
        QCOMPARE(cell.lblConnect, cell.lblFrom);
        QCOMPARE(cell.picProg.size(), QSize(84, 6));
        QCOMPARE(cell.bounds, QRect(frame.topLeft(), QSize(130, 119)));
        // The white edges run along the frame's left and top sides.
        const QPointF corner = frame.topLeft();
        QCOMPARE(cell.line1, QLineF(corner, corner + QPointF(0, 117)));
        QCOMPARE(cell.line2, QLineF(corner, corner + QPointF(130, 0)));
    }

    void windowSize_data() {
        QTest::addColumn<int>("screenPixelsHigh");
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("guiSize");
        QTest::addColumn<double>("widthTwips");
        QTest::newRow("1080, setting 2, medium") << 1080 << 2 << 1 << 12960.0;
        QTest::newRow("1080, setting 4, medium") << 1080 << 4 << 1 << 15471.0;
        QTest::newRow("1080, setting 2, extra large") << 1080 << 2 << 3 << 18359.946;
        QTest::newRow("1080, setting 4, extra large") << 1080 << 4 << 3 << 21951.0;
        QTest::newRow("960, setting 2, medium") << 960 << 2 << 1 << 11520.0;
        QTest::newRow("960, setting 4, medium") << 960 << 4 << 1 << 13752.0;
        QTest::newRow("960, setting 2, extra large") << 960 << 2 << 3 << 16319.952;
        QTest::newRow("960, setting 4, extra large") << 960 << 4 << 3 << 19512.0;
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
        // The client area keeps the grid's proportions, from the width taken.
        const double client = size.widthPixels * 15.0 - extra.width;
        QVERIFY(qAbs(size.heightTwips - (client * layout.heightFactor + extra.height)) < 1e-6);
    }

    // 9234 twips is 615.6 pixels: the window takes 616, and the height is worked out from
    // those 9240 twips.
    void windowHeightFollowsWholePixelWidth() {
        const ScreenMetrics screen = screenMetrics(QSize(1920, 1080), 96, 96);
        const MainWindowSize size =
            mainWindowSize(screen, 0, *thumbLayout(1), FrameExtra{150, 900});
        QCOMPARE(size.widthPixels, 616);
        QCOMPARE(size.heightTwips, (9240.0 - 150) * 0.183 + 900);
        QCOMPARE(size.heightPixels, 171); // 2563.47 twips
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
};

QTEST_APPLESS_MAIN(GridGeometryTest)
#include "tst_gridgeometry.moc"
