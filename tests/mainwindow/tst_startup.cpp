// Start-up of the main window: early exits, files from older versions, the
// configuration reaching the layout, the start page's timers, the connection
// check and the language captions.

#include "MainWindowHarness.h"

#include "core/CornerMenu.h"
#include "core/Language.h"
#include "core/MenuBarPainter.h"
#include "core/TextFile.h"
#include "mainwindow/ThumbCell.h"
#include "support/LoopbackServer.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void earlyExitSavesNothing_data();
    void earlyExitSavesNothing();
    void legacyFilesMoveIn_data();
    void legacyFilesMoveIn();
    void configurationClampsReachTheLayout();
    void startPageStartsItsTimer_data();
    void startPageStartsItsTimer();
    void retryThenOnline();
    void switchedOffProbeCountsAsOnline();
    void languageFileCaptionsTheMenus();
    void startUpCaptionsAndRequests();
};

void StartupTest::earlyExitSavesNothing_data() {
    QTest::addColumn<QString>("exit");
    QTest::newRow("second instance") << QStringLiteral("instance");
    QTest::newRow("missing tavimo.lst") << QStringLiteral("list");
    QTest::newRow("cancel at the connection check") << QStringLiteral("cancel");
}

void StartupTest::earlyExitSavesNothing() {
    QFETCH(QString, exit);
    Harness h(/*bundledLists=*/exit != u"list");
    h.writeData(QStringLiteral("tavimo.cfg"), configFileLines(2, 3, 1, 90, 0));
    if (exit != u"list")
        h.writeData(QStringLiteral("tavimo.lst"), sampleSiteListLines());
    h.writeData(QStringLiteral("WXsites.lst"), sampleWxListLines());
    h.settings->setValue(QStringLiteral("LABELS"), QStringLiteral("1"), QStringLiteral("Mine"));
    h.settings->setValue(QStringLiteral("Geometry"), QStringLiteral("Left"), QStringLiteral("40"));
    QVERIFY(h.settings->sync());

    const QStringList watched{h.data(QStringLiteral("tavimo.cfg")),
                              h.data(QStringLiteral("tavimo.lst")),
                              h.data(QStringLiteral("WXsites.lst")), h.iniPath};
    QList<QByteArray> before;
    for (const QString &path : watched)
        before << Harness::fileHash(path);

    h.otherInstance = exit == u"instance";
    if (exit == u"cancel")
        h.checker.queueAnswer(false); // no queued prompt answer: Cancel
    QVERIFY(!h.startUp());

    if (exit == u"instance")
        QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("Tavimo is already running.")});
    else if (exit == u"list")
        QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral(".lst file not found")});
    else
        QCOMPARE(h.prompts.count(FakePrompts::Kind::RetryCancel), 1);

    h.window().show();
    h.closeWindow(); // the window closing after an early exit saves nothing either
    QCOMPARE(h.quits, 0);
    for (qsizetype i = 0; i < watched.size(); ++i)
        QVERIFY2(Harness::fileHash(watched[i]) == before[i], qPrintable(watched[i]));
    QVERIFY(!QFileInfo::exists(h.data(QStringLiteral("Backups/tavimo.lst"))));
}

void StartupTest::legacyFilesMoveIn_data() {
    QTest::addColumn<bool>("writable");
    QTest::newRow("writable program folder") << true;
    QTest::newRow("read-only program folder") << false;
}

void StartupTest::legacyFilesMoveIn() {
    QFETCH(bool, writable);
    Harness h;
    h.programFolderWritable = writable;
    const QString program = h.state.paths.programFolder;
    QVERIFY(
        writeTextLines(program + QStringLiteral("/tavimo.cfg"), configFileLines(3, 1, 0, 120, 0)));
    QVERIFY(writeTextLines(program + QStringLiteral("/WxSites.lst"), sampleWxListLines()));
    QVERIFY(writeTextLines(program + QStringLiteral("/tavimo.lst"), sampleSiteListLines()));

    QVERIFY(h.startUp());

    const QStringList moved{QStringLiteral("tavimo.cfg"), QStringLiteral("WxSites.lst"),
                            QStringLiteral("tavimo.lst")};
    for (const QString &name : moved)
        QCOMPARE(QFileInfo::exists(program + u'/' + name), !writable);
    if (writable) {
        // The WX list takes the spelling the program reads, in both places.
        QCOMPARE(readTextLines(h.data(QStringLiteral("WXsites.lst"))).value(), sampleWxListLines());
        QVERIFY(QFileInfo::exists(h.data(QStringLiteral("Backups/WXsites.lst"))));
        QVERIFY(QFileInfo::exists(h.data(QStringLiteral("Backups/tavimo.cfg"))));
        // Moved before the configuration and the lists are read.
        QCOMPARE(h.state.config.GuiSize, 3);
        QCOMPARE(h.state.page.SlotCount, 5);
        QCOMPARE(h.state.SiteList.size(), 2);
        QCOMPARE(h.state.WxSiteList.size(), 1);
    } else {
        // The bundled defaults stay in use.
        QCOMPARE(h.state.config.GuiSize, 1);
        QCOMPARE(h.state.SiteList.size(), 0);
    }
}

void StartupTest::configurationClampsReachTheLayout() {
    Harness h;
    h.writeData(QStringLiteral("tavimo.cfg"), configFileLines(7, 9, 1, 60000, 0));
    QVERIFY(h.startUp());
    MainWindow &w = h.window();

    QCOMPARE(h.state.config.GuiSize, 3);
    QCOMPARE(h.state.config.ThumbSetting, 2);
    QCOMPARE(h.state.config.RefreshSeconds, 60);
    QCOMPARE(w.cells().size(), 10);
    QCOMPARE(h.state.page.SlotCount, 10);
    QCOMPARE(w.GridRows(), 2);
    QCOMPARE(w.GridCols(), 5);
    // Extra large: the window is 1.13333 screen heights wide.
    const ScreenMetrics &screen = h.state.screen;
    const int expectedWidth =
        int(std::nearbyint(screen.screenHeight * 1.13333 / screen.twipsPerPixelX));
    QCOMPARE(w.frameGeometry().width(), expectedWidth);
    QCOMPARE(w.LabelFontSize(), screen.screenHeight * 7 / 9000.0);
    QCOMPARE(w.cell(0)->lblCall->font().pointSizeF(), w.LabelFontSize());
}

void StartupTest::startPageStartsItsTimer_data() {
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

void StartupTest::startPageStartsItsTimer() {
    QFETCH(int, startPage);
    QFETCH(int, autoRefresh);
    QFETCH(bool, sstvRunning);
    QFETCH(bool, wxRunning);
    QFETCH(int, page);
    Harness h;
    h.writeData(QStringLiteral("tavimo.cfg"), configFileLines(1, 2, autoRefresh, 60, startPage));
    // Sites on page 1, so that its pass has answers to wait for.
    h.writeData(QStringLiteral("tavimo.lst"), sampleSiteListLines());
    QVERIFY(h.startUp());
    MainWindow &w = h.window();

    QCOMPARE(w.refreshTimers().sstvRunning(), sstvRunning);
    QCOMPARE(w.refreshTimers().wxRunning(), wxRunning);
    QCOMPARE(h.state.page.CurrentPage, page);
    QCOMPARE(h.state.page.FinishedCount, 0);
    QVERIFY(h.state.page.UpdateCheckPending);
    QVERIFY(w.menuItem(QStringLiteral("mnuPage"), page)->isChecked());
    const bool wx = page == 11;
    QCOMPARE(w.menuItem(QStringLiteral("mnustartWX"))->isChecked(), wx);
    QCOMPARE(w.menuItem(QStringLiteral("mnustartDSSTV"))->isChecked(), !wx);
    const auto pageItem = menuPicture(w.menuItem(QStringLiteral("mnuPg")));
    QVERIFY(pageItem);
    QCOMPARE(pageItem->text, wx ? QStringLiteral("WX sites") : QStringLiteral("Page 1"));
    // The SSTV start page shows the Refresh item in its loading look.
    QCOMPARE(menuPicture(w.menuItem(QStringLiteral("mnuRefresh"))).has_value(), !wx);
}

void StartupTest::retryThenOnline() {
    Harness h;
    h.checker.queueAnswer(false);
    h.checker.queueAnswer(false);
    h.checker.queueAnswer(true);
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
        QCOMPARE(call.title, QStringLiteral("Tavimo"));
    }
    const QString offline = QStringLiteral("Tavimo") + h.state.texts.LngOffline;
    QCOMPARE(titlesWhileAsking, (QStringList{offline, offline}));
    QVERIFY(h.state.page.Online);
    QCOMPARE(h.window().windowTitle(), QStringLiteral("Tavimo"));
}

void StartupTest::switchedOffProbeCountsAsOnline() {
    Harness h;
    h.state.endpoints.ConnectionProbe.clear();
    h.checker.queueAnswer(false);
    QVERIFY(h.startUp());
    QCOMPARE(h.checker.checkCount(), 0);
    QVERIFY(h.prompts.calls.isEmpty());
    QVERIFY(h.state.page.Online);
}

void StartupTest::languageFileCaptionsTheMenus() {
    Harness h;
    h.writeData(QStringLiteral("tavimo.cfg"), configFileLines(1, 2, 0, 60, 0, /*German*/ 2));
    QVERIFY(h.startUp());
    MainWindow &w = h.window();

    const QStringList lines =
        readTextLines(h.data(QStringLiteral("Languages/") + languageFileName(2))).value();
    for (const MenuCaptionSlot &slot : kMenuCaptionSlots) {
        const QString name = QString::fromLatin1(slot.menu);
        QAction *item = w.menuItem(name, slot.index);
        QVERIFY2(item, qPrintable(name));
        const QString shown = item->menu() ? item->menu()->title() : item->text();
        QCOMPARE(shown, ReadLanguageLine(lines.at(slot.entry)));
    }
    QVERIFY(w.menuItem(QStringLiteral("mnuLang"), 2)->isChecked());
    QVERIFY(!w.menuItem(QStringLiteral("mnuLang"), 0)->isChecked());
    QCOMPARE(w.menuItem(QStringLiteral("mnuPage"), 11)->text(), h.state.texts.LngWxPage);
    QCOMPARE(w.menuItem(QStringLiteral("mnuPage"), 4)->text(), h.state.texts.LngPage + u'4');
    QCOMPARE(w.menu(QStringLiteral("mnuUpdate"))->title(), h.state.texts.LngUpdate);
}

void StartupTest::startUpCaptionsAndRequests() {
    LoopbackServer server;
    QVERIFY(server.start());
    Route time;
    time.body = "<BR>May. 01, 13:05:09 UTC";
    server.setRoute(QStringLiteral("/time"), time);

    Harness h;
    h.state.endpoints.TimePage = server.url(QStringLiteral("/time")).toString();
    h.writeData(QStringLiteral("tavimo.cfg"), configFileLines(1, 2, 1, 90, 0));
    h.writeData(QStringLiteral("tavimo.lst"), sampleSiteListLines());
    h.settings->setValue(QStringLiteral("LABELS"), QStringLiteral("3"), QStringLiteral("Europe"));
    QVERIFY(QDir().mkpath(h.data(QStringLiteral("Maps"))));
    for (const char *name : {"World Map.png", "Europe Map.png", "readme.txt"})
        QFile(h.data(QStringLiteral("Maps/") + QLatin1String(name))).open(QIODevice::WriteOnly);

    QVERIFY(h.startUp());
    MainWindow &w = h.window();

    QCOMPARE(h.state.lstMap,
             (QStringList{QStringLiteral("Europe Map.png"), QStringLiteral("World Map.png")}));
    QCOMPARE(w.menuItem(QStringLiteral("mnuPage"), 3)->text(), QStringLiteral("Europe"));
    QCOMPARE(w.menuItem(QStringLiteral("mnuPage"), 2)->text(), QStringLiteral("Page 2"));
    QCOMPARE(w.menuItem(QStringLiteral("mnuRefresh"))->text(),
             QStringLiteral("Refresh (auto 90 sec) "));
    // The clock shows true UTC, whatever the local zone.
    QCOMPARE(w.clockButton()->caption(), QStringLiteral("13:05 UTC   Setup"));
    QVERIFY(!w.menuItem(QStringLiteral("mnuCall"))->isVisible());
    QVERIFY(!w.menuItem(QStringLiteral("mnuUpdate"))->isVisible());
    QCOMPARE(h.opener.calls, QStringList{QStringLiteral("rebuildSiteSelection")});
    QCOMPARE(h.state.SiteList.size(), 2);
    QVERIFY(h.state.sitesLoaded);
    // The request started last: the check picture of the page's last site.
    QCOMPARE(h.state.page.CurrentUrl, QStringLiteral("http://127.0.0.1:1/ef2gh/image1.jpg"));
    QTRY_COMPARE(server.requestCount(QStringLiteral("/time")), 1);
    const RecordedRequest request = server.requests().constFirst();
    QCOMPARE(request.headers.value("cache-control"), QByteArray("no-cache"));
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
