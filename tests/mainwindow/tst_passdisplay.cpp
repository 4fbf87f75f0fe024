// What a pass does to the cells of the shown main window: the waiting text,
// the sender line and the progress bar come and go by what they paint, so no
// part of a cell is shown or hidden (each would cost a round trip to the X
// server with the pointer over the window); and every picture ends decoded at
// the size of its cell.

#include "support/MainWindowHarness.h"

#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {

// Counts the Show and Hide events of the widgets it watches.
struct ShowHideCounter : QObject {
    QStringList seen;
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
            seen << watched->objectName();
        return false;
    }
};

} // namespace

class PassDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void passShowsAndHidesNoPartOfACell();
};

void PassDisplayTest::passShowsAndHidesNoPartOfACell() {
    Harness rig;
    rig.writeConfig(2, 0);
    rig.addSite(u"AB1CD"_s, u"1000000000"_s, u"/ab1cd/image1.jpg"_s);
    rig.servePicture(u"/ab1cd/image1.jpg"_s, u"AB1CD"_s);
    rig.addSite(u"EF2GH"_s, u"2000000000"_s, u"/ef2gh/image1.jpg"_s);
    rig.serve(u"/ef2gh/image1.jpg"_s, animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green}));
    rig.addSite(u"IJ3KL"_s, u"3000000000"_s, u"/ij3kl/image1.jpg"_s); // not found
    QVERIFY(rig.startShown());
    rig.w().grid().waitForDecodes();

    ShowHideCounter counter;
    for (ThumbCell *cell : rig.w().grid().cells()) {
        for (QWidget *part : cell->findChildren<QWidget *>())
            part->installEventFilter(&counter);
    }
    for (int pass = 0; pass < 3; ++pass) {
        // Every picture counts as new, as after "Reload this page".
        rig.page().SlotTable.erase();
        rig.click(u"mnuRefresh"_s);
        QVERIFY(rig.waitForQuiet());
    }
    QCOMPARE(counter.seen, QStringList());

    rig.w().grid().waitForDecodes();
    QCoreApplication::processEvents();
    QVERIFY(rig.cell(0).img->isDecoded());
    QVERIFY(rig.cell(1).AniGIF->playsDecodedFrames() && rig.cell(1).AniGIF->isAnimating());
    QVERIFY(!rig.cell(2).img->isDecoded()); // the placeholder, drawn as it is
    for (int slot = 0; slot < 3; ++slot) {
        QVERIFY(!rig.cell(slot).isWaiting());
        QVERIFY(!rig.cell(slot).isProgressShown());
        QVERIFY(rig.cell(slot).isSenderShown());
    }
    rig.closeWindow();
}

QTEST_MAIN(PassDisplayTest)
#include "tst_passdisplay.moc"
