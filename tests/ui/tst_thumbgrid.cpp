// The thumbnail grid's own rules: where a picture goes in its cell, what a
// slot shows for good and bad bytes, the blink of a slot's frame, and a cell's
// still picture decoded at the cell's size.

#include "support/Fixtures.h"
#include "ui/AnimatedPicture.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"

#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;

class ThumbGridTest : public QObject {
    Q_OBJECT

private slots:
    void picturesFitTheCell_data();
    void picturesFitTheCell();
    void slotShowsWhatItCan_data();
    void slotShowsWhatItCan();
    void newCellsAndPageSwitchesLeaveBlankCells();
    void blinkEndsInTheFramesColour();
    void stillPictureIsDecodedAtTheCellsSize();
};

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
    QCOMPARE(!c.AniGIF->isHidden(), animated);
    QCOMPARE(c.AniGIF->isAnimating(), animated);
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
            cell->picProg->show();
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
    QCOMPARE(label.pixmap().size(), QSize(320, 256));
    label.setPixmap(QPixmap());
    QVERIFY(label.pixmap().isNull());
}

QTEST_MAIN(ThumbGridTest)
#include "tst_thumbgrid.moc"
