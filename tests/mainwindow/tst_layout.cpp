// The grid through the real window: cells made and emptied per thumbnail
// setting, placed in the user scale at any window size, and the menu bar's
// picture items.

#include "MainWindowHarness.h"

#include "core/AnimatedPicture.h"
#include "core/MenuBarPainter.h"
#include "mainwindow/ThumbCell.h"
#include "support/LoopbackServer.h"

#include <QAction>
#include <QMenuBar>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void windowSizeFollowsGuiSize_data();
    void windowSizeFollowsGuiSize();
    void slotCountsLeaveExactlyThatManyEmptyCells();
    void cellsFollowTheWindowSize_data();
    void cellsFollowTheWindowSize();
    void pageSwitchEmptiesCellsInPlace();
    void smallSizeLabelsStayRegular();
    void menuBarShowsPictureItems();
    void otherWindowsReachTheSlotsAndPages();

private:
    static void fillCell(ThumbCell &cell, const QString &picture);
    static void checkPlaced(MainWindow &w);
};

void LayoutTest::fillCell(ThumbCell &cell, const QString &picture) {
    cell.lblCall->setText(QStringLiteral("AB1CD - 2 days"));
    cell.lblFrom->setText(QStringLiteral("From XY9Z"));
    cell.img->setPixmap(QPixmap::fromImage(QImage(120, 90, QImage::Format_RGB32)));
    cell.img->setToolTip(QStringLiteral("tip"));
    QVERIFY(cell.AniGIF->loadFile(picture));
    cell.AniGIF->show();
    cell.picProg->show();
    cell.setShapeColor(QColor(242, 242, 214));
}

// Every cell sits at its unit rectangles mapped onto the grid's pixels.
void LayoutTest::checkPlaced(MainWindow &w) {
    const UserScale scale(w.gridLayout().scaleSize(), w.picAll()->size());
    for (ThumbCell *cell : w.cells()) {
        const CellGeometry units = cellGeometry(cell->slot(), w.GridCols());
        const QRect bounds = scale.toPixels(QRectF(units.bounds));
        QCOMPARE(cell->geometry(), bounds);
        QCOMPARE(cell->img->geometry(),
                 scale.toPixels(QRectF(cell->imgUnits())).translated(-bounds.topLeft()));
        QCOMPARE(cell->lblCall->geometry(),
                 scale.toPixels(QRectF(units.lblCall)).translated(-bounds.topLeft()));
        QCOMPARE(cell->picProg->geometry(),
                 scale.toPixels(QRectF(units.picProg)).translated(-bounds.topLeft()));
        QCOMPARE(cell->AniGIF->geometry(), cell->img->rect());
    }
}

void LayoutTest::windowSizeFollowsGuiSize_data() {
    QTest::addColumn<int>("guiSize");
    QTest::addColumn<int>("setting");
    QTest::addColumn<double>("widthFactor");
    QTest::addColumn<double>("heightFactor");
    QTest::newRow("small, 5") << 0 << 1 << 0.57 << 0.183;
    QTest::newRow("medium, 10") << 1 << 2 << 0.8 << 0.365;
    QTest::newRow("large, 15") << 2 << 3 << 0.9333 << 0.545;
    QTest::newRow("extra large, 24") << 3 << 4 << 1.355 << 0.61;
}

void LayoutTest::windowSizeFollowsGuiSize() {
    QFETCH(int, guiSize);
    QFETCH(int, setting);
    QFETCH(double, widthFactor);
    QFETCH(double, heightFactor);
    Harness h;
    h.writeData(QStringLiteral("tavimo.cfg"), configFileLines(guiSize, setting, 0, 60, 0));
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    const ScreenMetrics &screen = h.state.screen;
    const int width =
        int(std::nearbyint(screen.screenHeight * widthFactor / screen.twipsPerPixelX));
    // Once shown, the window is fitted again with its frame as the desktop
    // draws it.
    QTRY_COMPARE(w.frameGeometry().width(), width);
    // The client keeps the grid's shape: its height is the width times f.
    const QSize client = w.picAll()->size();
    QVERIFY2(std::abs(client.height() - client.width() * heightFactor) <= 1.5,
             qPrintable(QStringLiteral("%1 x %2").arg(client.width()).arg(client.height())));
    checkPlaced(w);
}

void LayoutTest::slotCountsLeaveExactlyThatManyEmptyCells() {
    Harness h;
    h.writeData(QStringLiteral("tavimo.cfg"), configFileLines(1, 4, 0, 60, 0));
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.cells().size(), 24);

    QImage still(40, 30, QImage::Format_RGB32);
    still.fill(Qt::red);
    const QString picture = h.data(QStringLiteral("images/sstv/0"));
    QVERIFY(still.save(picture, "PNG"));
    for (ThumbCell *cell : w.cells())
        fillCell(*cell, picture);

    for (const auto &[setting, count, cols] : {std::tuple{1, 5, 5}, std::tuple{4, 24, 6}}) {
        w.LayoutMainWindow(setting);
        QCOMPARE(w.cells().size(), count);
        QCOMPARE(w.picAll()->findChildren<ThumbCell *>(Qt::FindDirectChildrenOnly).size(), count);
        QCOMPARE(h.state.page.SlotCount, count);
        QCOMPARE(w.GridCols(), cols);
        for (ThumbCell *cell : w.cells()) {
            QVERIFY2(cell->isBlank(), qPrintable(QString::number(cell->slot())));
            QCOMPARE(cell->shapeColor(), w.palette().color(QPalette::Window));
            QVERIFY(cell->isVisible());
        }
        QCoreApplication::processEvents();
        checkPlaced(w);
    }
    // A setting outside 1..4 keeps the grid.
    w.LayoutMainWindow(7);
    QCOMPARE(w.cells().size(), 24);
}

void LayoutTest::cellsFollowTheWindowSize_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("wide") << QSize(760, 300);
    QTest::newRow("tall") << QSize(500, 420);
}

void LayoutTest::cellsFollowTheWindowSize() {
    QFETCH(QSize, size);
    Harness h;
    h.writeData(QStringLiteral("tavimo.cfg"), configFileLines(1, 2, 0, 60, 0));
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    w.resize(size);
    QTRY_COMPARE(w.size(), size);
    QCoreApplication::processEvents();
    checkPlaced(w);
    // Slot 7 of five columns is row 2, column 2: its frame at (270, 121) units.
    const UserScale scale(w.gridLayout().scaleSize(), w.picAll()->size());
    QCOMPARE(w.cell(7)->geometry().topLeft(), scale.toPixels(QPointF(270, 121)));
    QCOMPARE(w.cell(7)->imgUnits(), QRect(274, 125, 120, 90));
    const QRect frame = w.slotFrameOnScreen(7);
    QCOMPARE(frame.topLeft(), w.picAll()->mapToGlobal(scale.toPixels(QPointF(270, 121))));
}

void LayoutTest::pageSwitchEmptiesCellsInPlace() {
    Harness h;
    h.writeData(QStringLiteral("tavimo.cfg"), configFileLines(1, 2, 0, 60, 0));
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    QImage still(40, 30, QImage::Format_RGB32);
    const QString picture = h.data(QStringLiteral("images/sstv/1"));
    QVERIFY(still.save(picture, "PNG"));
    const QList<ThumbCell *> before = w.cells();
    for (ThumbCell *cell : before)
        fillCell(*cell, picture);
    const QSize windowSize = w.size();

    w.ArrangeThumbnailGrid();

    QCOMPARE(w.cells(), before); // the same cells, none made or dropped
    QCOMPARE(w.size(), windowSize);
    for (ThumbCell *cell : before)
        QVERIFY(cell->isBlank());
    // The picture box sits one unit right and down of its place after a layout.
    QCOMPARE(w.cell(7)->imgUnits(), QRect(275, 126, 120, 90));
}

void LayoutTest::smallSizeLabelsStayRegular() {
    Harness h;
    h.writeData(QStringLiteral("tavimo.cfg"), configFileLines(0, 2, 0, 60, 0));
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    for (ThumbCell *cell : w.cells()) {
        QVERIFY(!cell->lblCall->font().bold());
        QVERIFY(!cell->lblFrom->font().bold());
    }
    h.state.config.GuiSize = 2;
    w.LayoutMainWindow(4);
    for (ThumbCell *cell : w.cells()) {
        QVERIFY(!cell->lblCall->font().bold());
        QCOMPARE(cell->lblCall->font().pointSizeF(), w.LabelFontSize());
    }
}

void LayoutTest::menuBarShowsPictureItems() {
    // A site that never answers keeps the first pass, and the Refresh item's
    // loading look, going while the bar is looked at.
    LoopbackServer server;
    QVERIFY(server.start());
    Route stall;
    stall.stall = true;
    server.setHandler([stall](const RecordedRequest &) { return std::optional<Route>(stall); });
    Harness h;
    h.downloads.setTransferTimeout(std::chrono::minutes(1));
    h.writeData(QStringLiteral("tavimo.cfg"), configFileLines(1, 2, 1, 60, 0));
    h.writeData(QStringLiteral("tavimo.lst"),
                {QStringLiteral("AB1CD*1000000000*1000000000*1000000000*1000000000*0*0**"),
                 server.url(QStringLiteral("/ab1cd/image1.jpg")).toString()});
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QMenuBar *bar = w.menuBar();
    QAction *page = w.menuItem(QStringLiteral("mnuPg"));
    QAction *refresh = w.menuItem(QStringLiteral("mnuRefresh"));

    const auto grabbed = [&] {
        QCoreApplication::processEvents();
        return bar->grab().toImage();
    };
    // Top and bottom rows of an item, one pixel in from its left edge (the
    // captions are centred with blanks around them, so no text lies there).
    const auto edgeColours = [&](const QImage &image, QAction *action) {
        const QRect r = bar->actionGeometry(action);
        const qreal dpr = image.devicePixelRatio();
        const int x = int((r.left() + 1) * dpr);
        return std::pair{image.pixelColor(x, int(r.top() * dpr)),
                         image.pixelColor(x, int((r.bottom()) * dpr))};
    };

    QImage image = grabbed();
    const auto [pageTop, pageBottom] = edgeColours(image, page);
    QCOMPARE(pageTop, menuGradientColor(MenuPicture::Page, 0));
    QCOMPARE(pageBottom, menuGradientColor(MenuPicture::Page, 25));
    const auto [refreshTop, refreshBottom] = edgeColours(image, refresh);
    QCOMPARE(refreshTop, menuGradientColor(MenuPicture::Refresh, 0));
    QCOMPARE(refreshBottom, menuGradientColor(MenuPicture::Refresh, 25));
    QCOMPARE(bar->actionGeometry(page).width(), w.PageLabelWidth());

    restorePlainMenuText(refresh, refresh->text());
    image = grabbed();
    const auto [plainTop, plainBottom] = edgeColours(image, refresh);
    // The bar's own background again: no blue picture.
    for (const QColor &plain : {plainTop, plainBottom})
        QVERIFY2(std::abs(plain.blue() - plain.red()) < 40, qPrintable(plain.name()));
    // The page item keeps its picture.
    QCOMPARE(edgeColours(image, page).first, menuGradientColor(MenuPicture::Page, 0));
}

void LayoutTest::otherWindowsReachTheSlotsAndPages() {
    Harness h;
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    MainWindowAccess &access = w;
    QImage still(40, 30, QImage::Format_RGB32);
    const QString picture = h.data(QStringLiteral("images/sstv/3"));
    QVERIFY(still.save(picture, "PNG"));
    fillCell(*w.cell(3), picture);
    w.cell(3)->moveImg(QRect(400, 130, 100, 80));
    h.state.page.SlotTable.setValue(3, stSiteCall, QStringLiteral("AB1CD"));
    QCOMPARE(access.slotCallCaption(3), QStringLiteral("AB1CD - 2 days"));
    QCOMPARE(access.slotFromCaption(3), QStringLiteral("From XY9Z"));
    QCOMPARE(access.slotPicture(3), w.cell(3)->AniGIF);
    QCOMPARE(access.slotPicture(10), nullptr); // the page has ten slots

    access.clearSlot(3);
    w.cell(3)->img->setToolTip(QString()); // a removed site's tip goes with the next hover
    QVERIFY(w.cell(3)->isBlank());
    QCOMPARE(w.cell(3)->imgUnits(), cellGeometry(3, 5).img);
    QCOMPARE(h.state.page.SlotTable.value(3, stSiteCall), QString());

    access.setPageCaption(1, QStringLiteral("Europe"));
    access.repaintPageItem();
    QCOMPARE(access.pageCaption(1), QStringLiteral("Europe"));
    QCOMPARE(menuPicture(w.menuItem(QStringLiteral("mnuPg")))->text, QStringLiteral("Europe"));

    access.setMainEnabled(false);
    QVERIFY(!w.isEnabled());
    access.setMainEnabled(true);
    access.handOverPickedSite(1);
    QVERIFY(w.sitePickTimer.isActive());
    access.armSitesChanged();
    QVERIFY(w.sitesChangedTimer.isActive());
    access.StopRefreshTimers();
    h.state.config.AutoRefreshMode = 0;
    access.resumeRefreshTimers();
    QVERIFY(!w.refreshTimers().sstvRunning());
    h.state.config.AutoRefreshMode = 1;
    access.resumeRefreshTimers();
    QVERIFY(w.refreshTimers().sstvRunning());
}

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
