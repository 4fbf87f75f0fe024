// The grid through the real window: cells made and emptied per thumbnail
// setting, placed in the user scale at any window size, and the menu bar's
// picture items.

#include "support/MainWindowHarness.h"

#include <QMenuBar>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {

// Every cell sits at its unit rectangles mapped onto the grid's pixels.
void checkPlaced(MainWindow &w) {
    const UserScale scale(w.grid().gridLayout().scaleSize(), w.grid().size());
    for (ThumbCell *cell : w.grid().cells()) {
        const CellGeometry units = cellGeometry(cell->slot(), w.grid().gridLayout().gridCols);
        const QRect bounds = scale.toPixels(QRectF(units.bounds));
        const auto inCell = [&](const QRect &r) {
            return scale.toPixels(QRectF(r)).translated(-bounds.topLeft());
        };
        QCOMPARE(cell->geometry(), bounds);
        QCOMPARE(cell->img->geometry(), inCell(cell->imgUnits()));
        QCOMPARE(cell->lblCall->geometry(), inCell(units.lblCall));
        QCOMPARE(cell->picProg->geometry(), inCell(units.picProg));
        QCOMPARE(cell->AniGIF->geometry(), cell->img->rect());
    }
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void windowSizeFollowsGuiSize_data();
    void windowSizeFollowsGuiSize();
    void slotCountsLeaveExactlyThatManyEmptyCells();
    void menuBarShowsPictureItems();
};

void LayoutTest::windowSizeFollowsGuiSize_data() {
    QTest::addColumn<int>("guiSize");
    QTest::addColumn<int>("setting");
    QTest::addColumn<double>("widthFactor");
    QTest::addColumn<double>("heightFactor");
    QTest::newRow("small, 5") << 0 << 1 << 0.57 << 0.183;
    QTest::newRow("extra large, 24") << 3 << 4 << 1.355 << 0.61;
}

void LayoutTest::windowSizeFollowsGuiSize() {
    QFETCH(int, guiSize);
    QFETCH(int, setting);
    QFETCH(double, widthFactor);
    QFETCH(double, heightFactor);
    Harness h;
    h.writeConfig(setting, 0, 0, 60, guiSize);
    h.writeData(u"tavimo.lst"_s, {}); // a data folder of an earlier start
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    const ScreenMetrics &screen = h.state.screen;
    // Once shown, the window is fitted again with its frame as the desktop draws it.
    QTRY_COMPARE(w.frameGeometry().width(),
                 int(std::nearbyint(screen.screenHeight * widthFactor / screen.twipsPerPixelX)));
    // The client keeps the grid's shape: its height is the width times f.
    const QSize client = w.grid().size();
    QVERIFY2(std::abs(client.height() - client.width() * heightFactor) <= 1.5,
             qPrintable(u"%1 x %2"_s.arg(client.width()).arg(client.height())));
    checkPlaced(w);
    // Made smaller by hand it stops at its "Small" layout, frame and all.
    const QSize decoration = w.frameGeometry().size() - w.size();
    QCOMPARE(w.minimumWidth() + decoration.width(),
             int(std::nearbyint(screen.screenHeight * windowWidthFactor(0, setting == 4) /
                                screen.twipsPerPixelX)));
    const QFont nominal = w.grid().cell(0)->lblCall->font();
    w.resize(100, 100);
    QTRY_COMPARE(w.size(), w.minimumSize());
    // Any size the user drags it to above that; the captions scale with the cells and
    // their two lines never meet.
    const QSize dragged = w.minimumSize() + QSize(7, 3);
    w.resize(dragged);
    QTRY_COMPARE(w.size(), dragged);
    QCoreApplication::processEvents();
    checkPlaced(w);
    for (ThumbCell *cell : w.grid().cells()) {
        const QFontMetrics call(cell->lblCall->font()), from(cell->lblFrom->font());
        QVERIFY2(cell->lblCall->geometry().top() + call.height() <=
                     cell->lblFrom->geometry().bottom() + 1 - from.height(),
                 qPrintable(u"%1 %2 %3 %4 %5"_s.arg(cell->lblCall->geometry().top())
                                .arg(call.height())
                                .arg(cell->lblFrom->geometry().bottom())
                                .arg(from.height())
                                .arg(cell->lblCall->font().pointSizeF())));
        QCOMPARE(cell->lblFrom->alignment(), Qt::AlignHCenter | Qt::AlignBottom);
    }
    if (guiSize > 0)
        QVERIFY(w.grid().cell(0)->lblCall->font().pointSizeF() < nominal.pointSizeF());
}

void LayoutTest::slotCountsLeaveExactlyThatManyEmptyCells() {
    Harness h;
    h.writeConfig(4, 0);
    h.writeData(u"tavimo.lst"_s, {}); // a data folder of an earlier start
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (const auto &[setting, count, cols] : {std::tuple{1, 5, 5}, std::tuple{4, 24, 6}}) {
        w.grid().cell(0)->lblCall->setText(u"AB1CD"_s);
        w.LayoutMainWindow(setting);
        QCOMPARE(w.grid().cells().size(), count);
        QCOMPARE(h.state.page.SlotCount, count);
        QCOMPARE(w.grid().gridLayout().gridCols, cols);
        for (ThumbCell *cell : w.grid().cells()) {
            QVERIFY2(cell->isBlank(), qPrintable(QString::number(cell->slot())));
            QVERIFY(cell->isVisible());
        }
        QCoreApplication::processEvents();
        checkPlaced(w);
    }
    w.LayoutMainWindow(7); // a setting outside 1..4 keeps the grid
    QCOMPARE(w.grid().cells().size(), 24);
}

void LayoutTest::menuBarShowsPictureItems() {
    // A site that never answers keeps the first pass, and the Refresh item's
    // loading look, going while the bar is looked at.
    Harness h;
    h.downloads.setTransferTimeout(std::chrono::minutes(1));
    h.writeConfig(2);
    h.addQuietSites();
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QMenuBar *bar = w.menuBar();
    QAction *page = h.item(u"mnuPg"_s);
    QAction *refresh = h.item(u"mnuRefresh"_s);

    // Top and bottom rows of an item, one pixel in from its left edge (the
    // captions are centred with blanks around them, so no text lies there).
    const auto edgeColours = [&](QAction *action) {
        QCoreApplication::processEvents();
        const QImage image = bar->grab().toImage();
        const QRect r = bar->actionGeometry(action);
        const qreal dpr = image.devicePixelRatio();
        const int x = int((r.left() + 1) * dpr);
        return std::pair{image.pixelColor(x, int(r.top() * dpr)),
                         image.pixelColor(x, int(r.bottom() * dpr))};
    };
    using Edges = std::pair<QColor, QColor>;
    QCOMPARE(edgeColours(page), (Edges{menuGradientColor(MenuPicture::Page, 0),
                                       menuGradientColor(MenuPicture::Page, 25)}));
    QCOMPARE(edgeColours(refresh), (Edges{menuGradientColor(MenuPicture::Refresh, 0),
                                          menuGradientColor(MenuPicture::Refresh, 25)}));
    QCOMPARE(bar->actionGeometry(page).width(), w.menus().PageLabelWidth());

    const int paintedHeight = bar->height();
    const QRect paintedFind = bar->actionGeometry(h.item(u"mnuFind"_s));
    restorePlainMenuText(refresh, refresh->text());
    const auto [plainTop, plainBottom] = edgeColours(refresh);
    // Nothing on the bar moves whichever look the item has.
    QCOMPARE(bar->height(), paintedHeight);
    QCOMPARE(bar->sizeHint().height(), paintedHeight);
    QCOMPARE(bar->actionGeometry(h.item(u"mnuFind"_s)), paintedFind);
    // The bar's own background again: no blue picture.
    for (const QColor &plain : {plainTop, plainBottom})
        QVERIFY2(std::abs(plain.blue() - plain.red()) < 40, qPrintable(plain.name()));
    QCOMPARE(edgeColours(page).first, menuGradientColor(MenuPicture::Page, 0));
}

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
