// Refreshing the page: the two refresh timers, the refresh rate, manual
// refreshing, what each reload command keeps and clears, the blink of a picked
// slot, and the UTC clock in a half-hour zone as the minute changes.

#include "support/MainWindowHarness.h"

#include "core/text/Language.h"

#include <QElapsedTimer>
#include <QtTest>

#include <ctime>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {
// A window on the quiet sites with its timers ticked by hand.
struct Rig : Harness {
    Rig(int seconds = 30, int autoRefresh = 1, int startPage = 0) {
        writeConfig(2, autoRefresh, startPage, seconds);
        addQuietSites();
    }
};
} // namespace

class RefreshTest : public QObject {
    Q_OBJECT

private slots:
    void realTicksReloadOnTheirOwn();
    void wxPageReloadsEveryThirdTick_data();
    void wxPageReloadsEveryThirdTick();
    void rateChangeRestartsTheCount();
    void manualRefreshStopsBothTimers_data();
    void manualRefreshStopsBothTimers();
    void reloadCommands_data();
    void reloadCommands();
    void blinkStopsOnAPageOrLayoutChange_data();
    void blinkStopsOnAPageOrLayoutChange();
    void clockShowsUtcInAHalfHourZone_data();
    void clockShowsUtcInAHalfHourZone();
    void clockCaptionFollowsTheMinute();
};

void RefreshTest::realTicksReloadOnTheirOwn() {
    Rig rig;
    rig.sstvTick = std::chrono::milliseconds(2);
    QVERIFY(rig.startUp());
    QTRY_VERIFY_WITH_TIMEOUT(rig.sstvReloads >= 2, 5000);
}

void RefreshTest::wxPageReloadsEveryThirdTick_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("autoRefresh");
    QTest::addColumn<bool>("online");
    QTest::newRow("30 s") << 30 << 1 << true;
    QTest::newRow("manual") << 150 << 0 << true;
    QTest::newRow("offline") << 60 << 1 << false;
}

void RefreshTest::wxPageReloadsEveryThirdTick() {
    QFETCH(int, seconds);
    QFETCH(int, autoRefresh);
    QFETCH(bool, online);
    Rig rig(seconds, autoRefresh, /*startPage=*/1);
    QVERIFY(rig.startUp());
    QVERIFY(rig.timers().wxRunning());
    rig.page().Online = online;

    rig.tickWx(2);
    QCOMPARE(rig.reloads(), 0);
    // A pass begun by the timer counts its own answers only.
    rig.page().FinishedCount = 7;
    rig.tickWx(1);
    QCOMPARE(rig.wxReloads, 1);
    QCOMPARE(rig.sstvReloads, 0);
    QCOMPARE(rig.page().FinishedCount, 0);
    QCOMPARE(rig.timers().Timer4Ticks, 0);
    QVERIFY(!rig.loadingLook()); // the WX page has no loading look
    rig.tickWx(6);
    QCOMPARE(rig.wxReloads, 3);
    QVERIFY(rig.timers().wxRunning());
}

void RefreshTest::rateChangeRestartsTheCount() {
    Rig rig;
    QVERIFY(rig.startUp());
    rig.tickSstv(20);

    rig.click(u"mnuRate"_s, 1);
    QCOMPARE(rig.reloads(), 0);
    QCOMPARE(rig.config().RefreshSeconds, 60);
    QCOMPARE(rig.config().AutoRefreshMode, 1);
    QCOMPARE(rig.timers().Timer6Seconds, 0);
    QVERIFY(rig.timers().sstvRunning());
    QCOMPARE(rig.item(u"mnuRefresh"_s)->text(), rig.state.texts.LngRefresh + u" (auto 60 sec) "_s);
    rig.tickSstv(59);
    QCOMPARE(rig.reloads(), 0);
    rig.tickSstv(1);
    QCOMPARE(rig.sstvReloads, 1);
}

void RefreshTest::manualRefreshStopsBothTimers_data() {
    QTest::addColumn<int>("startPage");
    QTest::newRow("SSTV page") << 0;
    QTest::newRow("WX page") << 1;
}

void RefreshTest::manualRefreshStopsBothTimers() {
    QFETCH(int, startPage);
    Rig rig(60, 1, startPage);
    QVERIFY(rig.startUp());

    rig.click(u"mnuRate"_s, 4);
    QCOMPARE(rig.config().RefreshSeconds, 150);
    QCOMPARE(rig.config().AutoRefreshMode, 0);
    QVERIFY(!rig.timers().sstvRunning());
    QVERIFY(!rig.timers().wxRunning());
    const LanguageTexts &texts = rig.state.texts;
    QCOMPARE(rig.item(u"mnuRefresh"_s)->text(),
             texts.LngRefresh + u" ("_s + texts.LngManual + u") "_s);
    QCOMPARE(rig.reloads(), 0);

    rig.click(u"mnuRefresh"_s);
    QCOMPARE(startPage == 1 ? rig.wxReloads : rig.sstvReloads, 1);
    QCOMPARE(rig.reloads(), 1);
    QVERIFY(!rig.timers().sstvRunning());
    QVERIFY(!rig.timers().wxRunning());
}

void RefreshTest::reloadCommands_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("tableErased");
    QTest::addColumn<bool>("checkPending");
    QTest::addColumn<int>("reloads");
    QTest::addColumn<bool>("countRestarted");
    QTest::newRow("refresh timer at its period") << "timer" << true << false << false << 1 << true;
    QTest::newRow("Refresh") << "mnuRefresh" << true << false << true << 1 << true;
    QTest::newRow("F5") << "F5" << true << false << true << 1 << true;
    QTest::newRow("Reload this page") << "mnuReloadPage" << true << true << false << 1 << true;
    QTest::newRow("site lists changed") << "sitesChanged" << true << true << true << 1 << true;
    QTest::newRow("Refresh this site") << "mnuRefreshSite" << true << false << false << 0 << false;
    QTest::newRow("Refresh, offline") << "mnuRefresh" << false << false << true << 0 << true;
    QTest::newRow("site lists changed, offline")
        << "sitesChanged" << false << true << true << 0 << true;
}

void RefreshTest::reloadCommands() {
    QFETCH(QString, command);
    QFETCH(bool, online);
    QFETCH(bool, tableErased);
    QFETCH(bool, checkPending);
    QFETCH(int, reloads);
    QFETCH(bool, countRestarted);
    Rig rig;
    QVERIFY(rig.startUp());
    MainWindow &w = rig.w();
    rig.page().Online = online;
    rig.page().UpdateCheckPending = false;
    rig.page().SlotTable.setValue(2, stCheckHeight, u"77"_s);
    rig.page().SelectedSlot = 2;
    rig.tickSstv(command == u"timer" ? 29 : 5);
    QCOMPARE(rig.reloads(), 0);

    if (command == u"timer") {
        rig.tickSstv(1);
    } else if (command == u"F5") {
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F5);
    } else if (command == u"sitesChanged") {
        w.armSitesChanged();
        QTRY_VERIFY(!w.schedule().sitesChangePending());
    } else {
        rig.click(command);
    }

    QCOMPARE(rig.sstvReloads, reloads);
    if (command == u"timer") { // the next one a whole period later
        rig.tickSstv(29);
        QCOMPARE(rig.sstvReloads, 1);
        rig.tickSstv(1);
        QCOMPARE(rig.sstvReloads, 2);
    }
    // Refreshing one site forgets its check height, so its next check picture
    // brings the picture whatever it says.
    const QString heightAfter = tableErased                    ? QString()
                                : command == u"mnuRefreshSite" ? u"0"_s
                                                               : u"77"_s;
    QCOMPARE(rig.page().SlotTable.value(2, stCheckHeight), heightAfter);
    QCOMPARE(rig.page().UpdateCheckPending, checkPending);
    QVERIFY(w.schedule().timers().sstvRunning());
    QCOMPARE(w.schedule().timers().Timer6Seconds, countRestarted ? 0 : 5);
    if (reloads > 0) {
        QVERIFY(rig.loadingLook());
        QCOMPARE(rig.page().FinishedCount, 0);
    }
}

void RefreshTest::blinkStopsOnAPageOrLayoutChange_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("index");
    QTest::newRow("page switch") << "mnuPage" << 2;
    QTest::newRow("thumbnail setting") << "mnu5" << 0;
    QTest::newRow("window size") << "mnuGUIsizes" << 3;
}

void RefreshTest::blinkStopsOnAPageOrLayoutChange() {
    QFETCH(QString, item);
    QFETCH(int, index);
    Rig rig;
    QVERIFY(rig.startUp());
    MainWindow &w = rig.w();
    w.grid().startSlotBlink(7);
    QTRY_VERIFY(w.grid().blinkTicks() > 0);

    rig.click(item, index);
    QVERIFY(!w.grid().isBlinking());
    QTest::qWait(200); // a tick that slipped through would paint now
    for (ThumbCell *cell : w.grid().cells())
        QVERIFY(cell->shapeColor() != QColor(0, 0, 255));
}

void RefreshTest::clockShowsUtcInAHalfHourZone_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("caption");
    // Local times of India (UTC + 5:30).
    QTest::newRow("afternoon") << QDateTime(QDate(2024, 5, 1), QTime(18, 35, 40)) << "13:05";
    QTest::newRow("after local midnight")
        << QDateTime(QDate(2024, 5, 2), QTime(5, 0, 0)) << "23:30";
    QTest::newRow("just after UTC midnight")
        << QDateTime(QDate(2024, 5, 2), QTime(5, 31, 0)) << "00:01";
}

void RefreshTest::clockShowsUtcInAHalfHourZone() {
    QFETCH(QDateTime, now);
    QFETCH(QString, caption);
    QCOMPARE(QDateTime(QDate(2024, 5, 1), QTime(12, 0)).offsetFromUtc(), 5 * 3600 + 30 * 60);
    Rig rig;
    rig.state.utcNow = [now] { return now; };
    QVERIFY(rig.startUp());
    QTRY_COMPARE(rig.w().menus().clock->caption(),
                 caption + u" UTC   "_s + rig.state.texts.LngSetup);
}

// On a clock of the test's own that runs from just before a minute's end.
void RefreshTest::clockCaptionFollowsTheMinute() {
    const QDateTime start(QDate(2024, 5, 1), QTime(13, 5, 59, 600), Qt::UTC);
    QElapsedTimer running;
    running.start();
    Rig rig;
    rig.state.utcNow = [&] { return start.addMSecs(running.elapsed()); };
    QVERIFY(rig.startUp());
    const QString setup = u" UTC   "_s + rig.state.texts.LngSetup;
    const CornerMenuButton &clock = *rig.w().menus().clock;
    if (running.elapsed() < 300)
        QCOMPARE(clock.caption(), u"13:05"_s + setup);
    QTRY_COMPARE_WITH_TIMEOUT(clock.caption(), u"13:06"_s + setup, 3000);
    QVERIFY(rig.w().clockRunning());
    rig.closeWindow();
}

int main(int argc, char *argv[]) {
    // Local time must be India's before anything reads it.
    qputenv("TZ", "Asia/Kolkata");
    tzset();
    QApplication app(argc, argv);
    RefreshTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_refresh.moc"
