// Start-up and shutdown of the main window: early exits, files from older
// versions, the configuration reaching the layout (the window's size, the grid
// in the user scale at any size, the menu bar's picture items), the start
// page's timers, the connection check; what closing saves and removes, in
// which order, and the desktop's ways of asking it to end.

#include "support/MainWindowHarness.h"

#include "core/files/Config.h"
#include "core/sites/SiteLists.h"
#include "mainwindow/SessionEnd.h"
#include "platform/TerminationSignals.h"

#include <QMenuBar>
#include <QtTest>

#include <csignal>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {
QString savedCall(const Harness &h) {
    return readConfig(h.data(u"tavimo.cfg"_s)).config.MyCall;
}

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
        QCOMPARE(cell->AniGIF()->geometry(), cell->img->rect());
    }
}

} // namespace

class LifecycleTest : public QObject {
    Q_OBJECT

private slots:
    void earlyExitSavesNothing_data();
    void earlyExitSavesNothing();
    void legacyFilesMoveIn_data();
    void legacyFilesMoveIn();
    void windowSizeFollowsGuiSize_data();
    void windowSizeFollowsGuiSize();
    void slotCountsLeaveExactlyThatManyEmptyCells();
    void menuBarShowsPictureItems();
    void startPageStartsItsTimer_data();
    void startPageStartsItsTimer();
    void retryThenOnline();
    void closingSavesAndRemovesCachedPictures();
    void dialogsCloseBeforeTheSave();
    void hiddenWindowKeepsTheStoredPlacement();
    void endingOtherwiseStillShutsDown_data();
    void endingOtherwiseStillShutsDown();
};

void LifecycleTest::earlyExitSavesNothing_data() {
    QTest::addColumn<QString>("exit");
    QTest::newRow("second instance") << u"instance"_s;
    QTest::newRow("lock file that is no lock") << u"bad lock"_s;
    QTest::newRow("missing tavimo.lst") << u"list"_s;
    QTest::newRow("cancel at the connection check") << u"cancel"_s;
}

void LifecycleTest::earlyExitSavesNothing() {
    QFETCH(QString, exit);
    Harness h(/*bundledLists=*/exit != u"list");
    h.writeConfig(3, 1, 0, 90, 2);
    if (exit != u"list")
        h.writeData(u"tavimo.lst"_s, sampleSiteListLines());
    h.writeData(u"WXsites.lst"_s, sampleWxListLines());
    h.settings->setValue(u"LABELS"_s, u"1"_s, u"Mine"_s);
    QVERIFY(h.settings->sync());
    const QStringList watched{h.data(u"tavimo.cfg"_s), h.data(u"tavimo.lst"_s),
                              h.data(u"WXsites.lst"_s), h.iniPath};
    QList<QByteArray> before;
    for (const QString &path : watched)
        before << readBytes(path);

    h.otherInstance = exit == u"instance" || exit == u"bad lock";
    if (exit == u"bad lock")
        h.instanceLockProblem = u"Tavimo cannot use its lock file /x/tavimo.lock"_s;
    if (exit == u"cancel")
        h.checker.queueAnswer(false); // no queued prompt answer: Cancel
    QVERIFY(!h.startUp());

    if (exit == u"instance")
        QCOMPARE(h.prompts.texts(), QStringList{u"Tavimo is already running."_s});
    else if (exit == u"bad lock")
        QCOMPARE(h.prompts.texts(), QStringList{h.instanceLockProblem});
    else if (exit == u"list")
        QCOMPARE(h.prompts.texts(), QStringList{u".lst file not found"_s});
    else
        QCOMPARE(h.prompts.count(FakePrompts::Kind::RetryCancel), 1);
    h.window().show();
    h.closeWindow(); // closing after an early exit saves nothing either
    QCOMPARE(h.quits, 0);
    for (qsizetype i = 0; i < watched.size(); ++i)
        QVERIFY2(readBytes(watched[i]) == before[i], qPrintable(watched[i]));
    QVERIFY(!QFileInfo::exists(h.data(u"Backups/tavimo.lst"_s)));
}

void LifecycleTest::legacyFilesMoveIn_data() {
    QTest::addColumn<bool>("writable");
    QTest::newRow("writable program folder") << true;
    QTest::newRow("read-only program folder") << false;
}

void LifecycleTest::legacyFilesMoveIn() {
    QFETCH(bool, writable);
    Harness h;
    h.programFolderWritable = writable;
    const QString program = h.state.paths.programFolder + u'/';
    QVERIFY(writeTextLines(program + "tavimo.cfg", configFileLines(3, 1, 0, 120, 0)));
    QVERIFY(writeTextLines(program + "WxSites.lst", sampleWxListLines()));
    QVERIFY(writeTextLines(program + "tavimo.lst", sampleSiteListLines()));

    QVERIFY(h.startUp());

    for (const char *name : {"tavimo.cfg", "WxSites.lst", "tavimo.lst"})
        QCOMPARE(QFileInfo::exists(program + QLatin1String(name)), !writable);
    if (writable) {
        // The WX list takes the spelling the program reads, in both places.
        QCOMPARE(readTextLines(h.data(u"WXsites.lst"_s)).value(), sampleWxListLines());
        QVERIFY(QFileInfo::exists(h.data(u"Backups/WXsites.lst"_s)));
        QVERIFY(QFileInfo::exists(h.data(u"Backups/tavimo.cfg"_s)));
        // Moved before the configuration and the lists are read.
        QCOMPARE(h.state.config.GuiSize, 3);
        QCOMPARE(h.state.page.SlotCount, 5);
        QCOMPARE(h.state.SiteList.size(), 2);
        QCOMPARE(h.state.WxSiteList.size(), 1);
    } else {
        QCOMPARE(h.state.config.GuiSize, 1); // the bundled defaults stay in use
        QCOMPARE(h.state.SiteList.size(), 0);
    }
}

void LifecycleTest::windowSizeFollowsGuiSize_data() {
    QTest::addColumn<int>("guiSize");
    QTest::addColumn<int>("setting");
    QTest::addColumn<double>("widthFactor");
    QTest::addColumn<double>("heightFactor");
    QTest::addColumn<int>("labelK"); // the captions' size in screen heights / 9000
    QTest::newRow("small, 5") << 0 << 1 << 0.57 << 0.183 << 4;
    QTest::newRow("extra large, 24") << 3 << 4 << 1.355 << 0.61 << 7;
    // Values out of range are read as the nearest the menus offer.
    QTest::newRow("size 7, setting 9") << 7 << 9 << 1.13333 << 0.365 << 7;
}

void LifecycleTest::windowSizeFollowsGuiSize() {
    QFETCH(int, guiSize);
    QFETCH(int, setting);
    QFETCH(double, widthFactor);
    QFETCH(double, heightFactor);
    QFETCH(int, labelK);
    Harness h;
    h.writeConfig(setting, 0, 0, 60, guiSize);
    h.writeData(u"tavimo.lst"_s, {}); // a data folder of an earlier start
    QVERIFY(h.startShown());
    MainWindow &w = h.window();

    const ScreenMetrics &screen = h.state.screen;
    // Once shown, the window is fitted again with its frame as the desktop draws it.
    QTRY_COMPARE(w.frameGeometry().width(),
                 int(std::nearbyint(screen.screenHeight * widthFactor / screen.twipsPerPixelX)));
    // The client keeps the grid's shape: its height is the width times f.
    const QSize client = w.grid().size();
    QVERIFY2(std::abs(client.height() - client.width() * heightFactor) <= 1.5,
             qPrintable(u"%1 x %2"_s.arg(client.width()).arg(client.height())));
    checkPlaced(w);
    const QFont nominal = w.grid().cell(0)->lblCall->font();
    QCOMPARE(w.LabelFontSize(), screen.screenHeight * labelK / 9000.0);
    QVERIFY(nominal.pointSizeF() <= w.LabelFontSize()); // fitted to the caption's room
    // Made smaller by hand it stops at its "Small" layout, frame and all.
    const QSize decoration = w.frameGeometry().size() - w.size();
    QCOMPARE(w.minimumWidth() + decoration.width(),
             int(std::nearbyint(screen.screenHeight * windowWidthFactor(0, setting == 4) /
                                screen.twipsPerPixelX)));
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
                 qPrintable(QString::number(cell->slot())));
        QCOMPARE(cell->lblFrom->alignment(), Qt::AlignHCenter | Qt::AlignBottom);
    }
    if (guiSize > 0)
        QVERIFY(w.grid().cell(0)->lblCall->font().pointSizeF() < nominal.pointSizeF());
}

void LifecycleTest::slotCountsLeaveExactlyThatManyEmptyCells() {
    Harness h;
    h.writeConfig(4, 0);
    h.writeData(u"tavimo.lst"_s, {}); // a data folder of an earlier start
    QVERIFY(h.startShown());
    MainWindow &w = h.window();
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

void LifecycleTest::menuBarShowsPictureItems() {
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

void LifecycleTest::startPageStartsItsTimer_data() {
    QTest::addColumn<int>("startPage");
    QTest::addColumn<int>("autoRefresh");
    QTest::addColumn<bool>("sstvRunning");
    QTest::addColumn<bool>("wxRunning");
    QTest::addColumn<int>("page");
    QTest::newRow("SSTV page, automatic") << 0 << 1 << true << false << 1;
    QTest::newRow("SSTV page, manual") << 0 << 0 << false << false << 1;
    QTest::newRow("WX page, automatic") << 1 << 1 << false << true << 11;
    QTest::newRow("WX page, manual") << 1 << 0 << false << true << 11;
    // A start page the menu never writes starts on the page it shows.
    QTest::newRow("start page 2, automatic") << 2 << 1 << true << false << 1;
}

void LifecycleTest::startPageStartsItsTimer() {
    QFETCH(int, startPage);
    QFETCH(int, autoRefresh);
    QFETCH(bool, sstvRunning);
    QFETCH(bool, wxRunning);
    QFETCH(int, page);
    Harness h;
    h.writeConfig(2, autoRefresh, startPage);
    // Sites on page 1, so that its pass has answers to wait for.
    h.writeData(u"tavimo.lst"_s, sampleSiteListLines());
    QVERIFY(h.startUp());

    QCOMPARE(h.timers().sstvRunning(), sstvRunning);
    QCOMPARE(h.timers().wxRunning(), wxRunning);
    QCOMPARE(h.page().CurrentPage, page);
    QCOMPARE(h.page().FinishedCount, 0);
    QVERIFY(h.page().UpdateCheckPending);
    QVERIFY(h.item(u"mnuPage"_s, page)->isChecked());
    const bool wx = page == 11;
    QCOMPARE(h.item(u"mnustartWX"_s)->isChecked(), wx);
    QCOMPARE(h.item(u"mnustartDSSTV"_s)->isChecked(), !wx);
    const auto pageItem = menuPicture(h.item(u"mnuPg"_s));
    QVERIFY(pageItem);
    QCOMPARE(pageItem->text, wx ? u"WX sites"_s : u"Page 1"_s);
    QCOMPARE(h.loadingLook(), !wx); // only an SSTV page shows the loading look
}

void LifecycleTest::retryThenOnline() {
    Harness h;
    for (bool online : {false, false, true})
        h.checker.queueAnswer(online);
    h.prompts.queueAnswer(Prompts::Answer::Retry);
    h.prompts.queueAnswer(Prompts::Answer::Retry);
    QStringList titlesWhileAsking;
    h.prompts.onCall = [&](const FakePrompts::Call &) {
        titlesWhileAsking << h.window().windowTitle();
    };

    QVERIFY(h.startUp());

    QCOMPARE(h.checker.checkCount(), 3);
    QCOMPARE(h.prompts.count(FakePrompts::Kind::RetryCancel), 2);
    for (const FakePrompts::Call &call : std::as_const(h.prompts.calls)) {
        QCOMPARE(call.text, h.state.texts.LngNoConnection);
        QCOMPARE(call.title, u"Tavimo"_s);
    }
    const QString offline = u"Tavimo"_s + h.state.texts.LngOffline;
    QCOMPARE(titlesWhileAsking, (QStringList{offline, offline}));
    QVERIFY(h.state.page.Online);
    QCOMPARE(h.window().windowTitle(), u"Tavimo"_s);
}

void LifecycleTest::closingSavesAndRemovesCachedPictures() {
    Harness h;
    h.writeData(u"tavimo.lst"_s, sampleSiteListLines());
    h.writeData(u"WXsites.lst"_s, sampleWxListLines());
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QStringList cached{"images/sstv/0",        "images/sstv/23", "images/wx/1",
                             "images/last15/3",      "images/Map.bmp", "Sites.txt",
                             "DiscontinuedSites.txt"};
    for (const QString &file : cached + QStringList{"TextFiles/AB1CD-1.txt"})
        QVERIFY(writeBytes(h.data(file), "x"));
    h.state.config.MyCall = u"NEW1CALL"_s;
    h.state.SiteList[0].LastPictureDate = u"05/01/24 13:05"_s;
    w.setPageCaption(2, u"Asia"_s);

    w.close();

    QCOMPARE(h.quits, 1);
    QVERIFY(w.hasShutDown());
    QVERIFY(!w.schedule().timers().sstvRunning() && !w.schedule().timers().wxRunning());
    QVERIFY(!w.clockRunning());
    for (const QString &file : cached)
        QVERIFY2(!QFileInfo::exists(h.data(file)), qPrintable(file));
    for (const char *folder : {"images", "images/sstv", "images/wx", "images/last15", "TextFiles"})
        QVERIFY(QFileInfo(h.data(QLatin1String(folder))).isDir());
    QVERIFY(QFileInfo::exists(h.data(u"TextFiles/AB1CD-1.txt"_s)));
    QCOMPARE(savedCall(h), u"NEW1CALL"_s);
    const SiteListFile sites = readSiteList(h.data(u"tavimo.lst"_s));
    QCOMPARE(sites.sites.size(), 2);
    QCOMPARE(sites.sites[0].LastPictureDate, u"05/01/24 13:05"_s);
    QCOMPARE(readWxSiteList(h.data(u"WXsites.lst"_s)).sites.size(), 1);
    h.closeWindow();
    SettingsStore saved(h.iniPath);
    QCOMPARE(saved.value(u"LABELS"_s, u"2"_s), u"Asia"_s);
    QCOMPARE(saved.value(u"Geometry"_s, u"showCmd"_s), u"1"_s);
    QCOMPARE(h.quits, 1); // a second close does nothing more
}

void LifecycleTest::dialogsCloseBeforeTheSave() {
    Harness h;
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    // A dialog that changes data as it closes, restarts refreshing and asks
    // for a reload, as the site dialogs do.
    h.opener.onCloseAll = [&] {
        h.state.config.MyCall = u"FROMDIALOG"_s;
        w.resumeRefreshTimers();
        w.armSitesChanged();
    };
    w.close();

    QCOMPARE(h.opener.count(u"closeAll"_s), 1);
    QCOMPARE(savedCall(h), u"FROMDIALOG"_s);
    QVERIFY(!w.schedule().timers().sstvRunning());
    QVERIFY(!w.schedule().sitesChangePending());
}

void LifecycleTest::hiddenWindowKeepsTheStoredPlacement() {
    Harness h;
    h.settings->setValue(u"Geometry"_s, u"Left"_s, u"33"_s);
    QVERIFY(h.startUp());
    h.state.config.MyCall = u"HIDDEN1"_s;
    h.window().shutDown();
    QCOMPARE(savedCall(h), u"HIDDEN1"_s);
    h.closeWindow();
    SettingsStore saved(h.iniPath);
    QCOMPARE(saved.value(u"Geometry"_s, u"Left"_s), u"33"_s);
    QVERIFY(!saved.contains(u"LABELS"_s, u"1"_s));
}

void LifecycleTest::endingOtherwiseStillShutsDown_data() {
    QTest::addColumn<bool>("signal");
    QTest::newRow("SIGTERM") << true;
    // The event loop ending any other way announces it with aboutToQuit.
    QTest::newRow("event loop quits") << false;
}

void LifecycleTest::endingOtherwiseStillShutsDown() {
    QFETCH(bool, signal);
    Harness h;
    QVERIFY(h.startUp());
    MainWindow &w = h.window();
    w.show();
    TerminationSignals termination;
    QVERIFY(termination.isActive());
    closeOnSessionEnd(w, termination);
    h.state.config.MyCall = u"ENDED1"_s;

    if (signal) {
        std::raise(SIGTERM);
        QTRY_VERIFY(w.hasShutDown());
        QVERIFY(!w.isVisible());
    } else {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
        QVERIFY(w.hasShutDown());
    }
    QCOMPARE(savedCall(h), u"ENDED1"_s);
}

QTEST_MAIN(LifecycleTest)
#include "tst_lifecycle.moc"
