// Where a window that stands beside another goes: its frame's right edge on
// the other's right edge, its top on the other's top, and on the screen
// whatever the other's frame says.

#include "ui/FramePlacement.h"

#include <QtTest>

class FramePlacementTest : public QObject {
    Q_OBJECT

private slots:
    void besideFrameStaysOnTheScreen_data() {
        QTest::addColumn<QRect>("beside");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("beside, on the screen") << QRect(444, 204, 1031, 672) << QPoint(1002, 204);
        QTest::newRow("beside one past the right edge")
            << QRect(1300, 300, 1031, 672) << QPoint(1447, 300);
        QTest::newRow("beside one above the free area")
            << QRect(400, 10, 1031, 672) << QPoint(958, 30);
    }
    void besideFrameStaysOnTheScreen() {
        QFETCH(QRect, beside);
        // A 473x539 frame on a 1920x1080 screen whose top 30 pixels hold a panel.
        QTEST(tavimo::besideFrame(beside, QSize(473, 539), 0, QRect(0, 30, 1920, 1050)), "topLeft");
    }
};

QTEST_MAIN(FramePlacementTest)
#include "tst_frameplacement.moc"
