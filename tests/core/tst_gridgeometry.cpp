#include "core/GridGeometry.h"

#include <QTest>

using namespace tavimo;

class GridGeometryTest : public QObject {
    Q_OBJECT

private slots:
    void layoutPerSetting_data() {
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("slotCount");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("cols");
        QTest::addColumn<double>("f");
        QTest::addColumn<QSize>("scale");
        QTest::newRow("1: five") << 1 << 5 << 1 << 5 << 0.183 << QSize(670, 121);
        QTest::newRow("2: ten") << 2 << 10 << 2 << 5 << 0.365 << QSize(670, 240);
        QTest::newRow("3: fifteen") << 3 << 15 << 3 << 5 << 0.545 << QSize(670, 359);
        QTest::newRow("4: twenty-four") << 4 << 24 << 4 << 6 << 0.61 << QSize(802, 478);
    }
    void layoutPerSetting() {
        QFETCH(int, setting);
        QFETCH(int, slotCount);
        QFETCH(int, rows);
        QFETCH(int, cols);
        QFETCH(double, f);
        QFETCH(QSize, scale);
        const auto layout = thumbLayout(setting);
        QVERIFY(layout);
        QCOMPARE(layout->setting, setting);
        QCOMPARE(layout->slotCount, slotCount);
        QCOMPARE(layout->gridRows * layout->gridCols, slotCount);
        QCOMPARE(layout->gridRows, rows);
        QCOMPARE(layout->gridCols, cols);
        QCOMPARE(layout->heightFactor, f);
        QCOMPARE(layout->scaleSize(), QSizeF(scale));
    }

    void settingOutsideRangeKeepsPreviousLayout_data() {
        QTest::addColumn<int>("setting");
        QTest::newRow("0") << 0;
        QTest::newRow("5") << 5;
        QTest::newRow("negative") << -3;
    }
    void settingOutsideRangeKeepsPreviousLayout() {
        QFETCH(int, setting);
        QVERIFY(!thumbLayout(setting).has_value());
        const ThumbLayout previous = *thumbLayout(4);
        QCOMPARE(thumbLayout(setting).value_or(previous), previous);
    }

    // Every cell of every layout lies inside the scale, and the last column and
    // row end exactly at the margin: the scale is what the cells need.
    void cellsFillTheScaleExactly() {
        for (int setting = 1; setting <= 4; ++setting) {
            const ThumbLayout layout = *thumbLayout(setting);
            QRect all;
            for (int slot = 0; slot < layout.slotCount; ++slot)
                all |= cellGeometry(slot, layout.gridCols).shape1;
            QCOMPARE(all, QRect(GridMarginX, GridMarginY, layout.scaleWidth - 2 * GridMarginX,
                                layout.scaleHeight - 2 * GridMarginY));
        }
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
        QTest::newRow("first slot")
            << 0 << 5 << QRect(6, 2, 130, 117) << QPoint(10, 6) << QPoint(11, 7) << QPoint(6, 97)
            << QPoint(21, 106) << QPoint(29, 109);
        QTest::newRow("last of 24")
            << 23 << 6 << QRect(666, 359, 130, 117) << QPoint(670, 363) << QPoint(671, 364)
            << QPoint(666, 454) << QPoint(681, 463) << QPoint(689, 466);
    }
    void cellParts() {
        QFETCH(int, slot);
        QFETCH(int, cols);
        QFETCH(QRect, frame);
        QFETCH(QPoint, picture);
        QFETCH(QPoint, pictureAfterPageSwitch);
        QFETCH(QPoint, callsign);
        QFETCH(QPoint, sender);
        QFETCH(QPoint, progress);
        const CellGeometry cell = cellGeometry(slot, cols);
        QCOMPARE(cellOrigin(slot, cols), frame.topLeft());
        QCOMPARE(cell.shape1, frame);
        QCOMPARE(cell.img, QRect(picture, QSize(120, 90)));
        QCOMPARE(cell.imgAfterPageSwitch, QRect(pictureAfterPageSwitch, QSize(120, 90)));
        QCOMPARE(cell.lblCall, QRect(callsign, QSize(130, 15)));
        QCOMPARE(cell.lblFrom, QRect(sender, QSize(100, 15)));
        QCOMPARE(cell.lblConnect, cell.lblFrom);
        QCOMPARE(cell.picProg, QRect(progress, QSize(84, 6)));
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
        QTest::newRow("1080, setting 1, small") << 1080 << 1 << 0 << 9234.0;
        QTest::newRow("1080, setting 4, large") << 1080 << 4 << 2 << 18144.0;
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

    void windowHeightFollowsWholePixelWidth() {
        // 9234 twips is 615.6 pixels: the window takes 616, and the height is
        // worked out from those 9240 twips.
        const ScreenMetrics screen = screenMetrics(QSize(1920, 1080), 96, 96);
        const MainWindowSize size =
            mainWindowSize(screen, 0, *thumbLayout(1), FrameExtra{150, 900});
        QCOMPARE(size.widthPixels, 616);
        QCOMPARE(size.heightTwips, (9240.0 - 150) * 0.183 + 900);
        QCOMPARE(size.heightPixels, 171); // 2563.47 twips
        const MainWindowSize ten = mainWindowSize(screen, 1, *thumbLayout(2), FrameExtra{150, 900});
        QCOMPARE(ten.heightTwips, 5575.65);
        QCOMPARE(ten.heightPixels, 372);
    }

    void labelFontSize_data() {
        QTest::addColumn<int>("guiSize");
        QTest::addColumn<double>("points");
        QTest::newRow("small") << 0 << 7.2;
        QTest::newRow("medium") << 1 << 9.0;
        QTest::newRow("large") << 2 << 10.8;
        QTest::newRow("extra large") << 3 << 12.6;
        QTest::newRow("below range is small") << -1 << 7.2;
        QTest::newRow("above range is extra large") << 9 << 12.6;
    }
    void labelFontSize() {
        QFETCH(int, guiSize);
        QFETCH(double, points);
        QCOMPARE(tavimo::labelFontSize(16200, guiSize), points);
    }

    void twipsPerPixel_data() {
        QTest::addColumn<int>("reported");
        QTest::addColumn<int>("used");
        QTest::newRow("9") << 9 << 15;
        QTest::newRow("10") << 10 << 10;
        QTest::newRow("15") << 15 << 15;
        QTest::newRow("20") << 20 << 20;
        QTest::newRow("21") << 21 << 15;
        QTest::newRow("24") << 24 << 15;
        QTest::newRow("0") << 0 << 15;
    }
    void twipsPerPixel() {
        QFETCH(int, reported);
        QFETCH(int, used);
        QCOMPARE(clampTwipsPerPixel(reported), used);
    }

    void twipsPerPixelFromDpi_data() {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("twips");
        QTest::newRow("96") << 96.0 << 15;
        QTest::newRow("120") << 120.0 << 12;
        QTest::newRow("144") << 144.0 << 10;
        QTest::newRow("72") << 72.0 << 20;
        QTest::newRow("192 is too fine") << 192.0 << 15;
        QTest::newRow("48 is too coarse") << 48.0 << 15;
        QTest::newRow("zero") << 0.0 << 15;
        QTest::newRow("tiny") << 1e-9 << 15;
    }
    void twipsPerPixelFromDpi() {
        QFETCH(double, dpi);
        QFETCH(int, twips);
        QCOMPARE(twipsPerPixelForDpi(dpi), twips);
    }

    void screenAndFrameInTwips() {
        const ScreenMetrics screen = screenMetrics(QSize(1920, 1080), 96, 120);
        QCOMPARE(screen.twipsPerPixelX, 15);
        QCOMPARE(screen.twipsPerPixelY, 12);
        QCOMPARE(screen.screenWidth, 28800);
        QCOMPARE(screen.screenHeight, 12960);
        const FrameExtra extra = frameExtra(QSize(870, 350), QSize(860, 300), screen);
        QCOMPARE(extra.width, 150);
        QCOMPARE(extra.height, 600);
    }

    void unitsToPixels_data() {
        QTest::addColumn<QSizeF>("scale");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QRectF>("units");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("one to one") << QSizeF(670, 240) << QSize(670, 240)
                                    << QRectF(270, 121, 130, 117) << QRect(270, 121, 130, 117);
        QTest::newRow("twice") << QSizeF(670, 240) << QSize(1340, 480) << QRectF(270, 121, 130, 117)
                               << QRect(540, 242, 260, 234);
        // 1.5 pixels a unit: 121 units is 181.5 pixels, rounded to the even 182;
        // the bottom edge 238 is 357 exactly.
        QTest::newRow("one and a half") << QSizeF(670, 240) << QSize(1005, 360)
                                        << QRectF(270, 121, 130, 117) << QRect(405, 182, 195, 175);
        QTest::newRow("window narrower than the scale")
            << QSizeF(802, 478) << QSize(401, 239) << QRectF(138, 121, 130, 117)
            << QRect(69, 60, 65, 59);
        QTest::newRow("empty scale")
            << QSizeF(0, 0) << QSize(800, 600) << QRectF(10, 10, 5, 5) << QRect(0, 0, 0, 0);
    }
    void unitsToPixels() {
        QFETCH(QSizeF, scale);
        QFETCH(QSize, client);
        QFETCH(QRectF, units);
        QFETCH(QRect, pixels);
        QCOMPARE(UserScale(scale, client).toPixels(units), pixels);
    }

    // Rectangles that touch in units touch in pixels, whatever the rounding:
    // a label directly under a picture never overlaps it or leaves a gap.
    void touchingRectanglesStayTouching() {
        const UserScale scale(QSizeF(670, 359), QSize(917, 491));
        for (int top = 0; top < 300; ++top) {
            const QRect above = scale.toPixels(QRectF(4, top, 120, 90));
            const QRect below = scale.toPixels(QRectF(4, top + 90, 120, 15));
            QCOMPARE(above.bottom() + 1, below.top());
        }
    }

    void linesAndPointsMapBothWays() {
        const UserScale scale(QSizeF(670, 240), QSize(1340, 720));
        QCOMPARE(scale.toPixels(QLineF(270, 121, 270, 238)), QLine(540, 363, 540, 714));
        QCOMPARE(scale.toUnits(QPointF(540, 363)), QPointF(270, 121));
        const UserScale empty(QSizeF(0, 0), QSize(100, 100));
        QCOMPARE(empty.toUnits(QPointF(50, 50)), QPointF(0, 0));
    }
};

QTEST_APPLESS_MAIN(GridGeometryTest)
#include "tst_gridgeometry.moc"
