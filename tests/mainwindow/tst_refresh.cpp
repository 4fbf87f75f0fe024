// Refreshing the page: the two refresh timers, the refresh rate, manual
// refreshing, what each reload command keeps and clears, F2's alphabetical
// list, the blink of a picked slot and the UTC clock in a half-hour zone.

#include "RefreshRig.h"

#include "core/CornerMenu.h"
#include "core/Language.h"
#include "mainwindow/ThumbCell.h"

#include <QtTest>

#include <ctime>

using namespace tavimo;
using namespace tavimo::test;

namespace {

RefreshRig::Options withSeconds(int seconds, int autoRefresh = 1, int startPage = 0) {
    RefreshRig::Options options;
    options.refreshSeconds = seconds;
    options.autoRefresh = autoRefresh;
    options.startPage = startPage;
    return options;
}

} // namespace

class RefreshTest : public QObject {
    Q_OBJECT

private slots:
    void sstvPageReloadsAtItsPeriod_data();
    void sstvPageReloadsAtItsPeriod();
    void realTicksReloadOnTheirOwn();
    void wxPageReloadsEveryThirdTick_data();
    void wxPageReloadsEveryThirdTick();
    void rateChangeRestartsTheCount();
    void manualRefreshStopsBothTimers_data();
    void manualRefreshStopsBothTimers();
    void reloadCommands_data();
    void reloadCommands();
    void refreshOnTheWxPageDrawsNoLoadingLook();
    void f2ListsThePageSites();
    void blinkEndsInTheFramesColour();
    void blinkStopsOnAPageOrLayoutChange_data();
    void blinkStopsOnAPageOrLayoutChange();
    void clockShowsUtcInAHalfHourZone_data();
    void clockShowsUtcInAHalfHourZone();
};

void RefreshTest::sstvPageReloadsAtItsPeriod_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("autoRefresh");
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("reloadsAtPeriod");
    QTest::newRow("30 s") << 30 << 1 << true << 1;
    QTest::newRow("120 s") << 120 << 1 << true << 1;
    // Offline nothing loads, yet the count-down goes on.
    QTest::newRow("30 s, offline") << 30 << 1 << false << 0;
}

void RefreshTest::sstvPageReloadsAtItsPeriod() {
    QFETCH(int, seconds);
    QFETCH(int, autoRefresh);
    QFETCH(bool, online);
    QFETCH(int, reloadsAtPeriod);
    RefreshRig rig(withSeconds(seconds, autoRefresh));
    QVERIFY(rig.start());
    rig.page().Online = online;
    restorePlainMenuText(rig.item(QStringLiteral("mnuRefresh")),
                         rig.item(QStringLiteral("mnuRefresh"))->text());
    rig.page().FinishedCount = 4;

    rig.tickSstv(seconds - 1);
    QCOMPARE(rig.reloads(), 0);
    QCOMPARE(rig.w().refreshTimers().Timer6Seconds, seconds - 1);
    QVERIFY(!rig.loadingLook());

    rig.tickSstv(1);
    QCOMPARE(rig.sstvReloads, reloadsAtPeriod);
    QCOMPARE(rig.wxReloads, 0);
    QCOMPARE(rig.loadingLook(), online);
    QCOMPARE(rig.page().FinishedCount, online ? 0 : 4);
    QCOMPARE(rig.w().refreshTimers().Timer6Seconds, 0);
    QVERIFY(rig.w().refreshTimers().sstvRunning());
    // The next reload comes a whole period later.
    rig.tickSstv(seconds - 1);
    QCOMPARE(rig.sstvReloads, reloadsAtPeriod);
    rig.tickSstv(1);
    QCOMPARE(rig.sstvReloads, 2 * reloadsAtPeriod);
}

void RefreshTest::realTicksReloadOnTheirOwn() {
    RefreshRig::Options options = withSeconds(30);
    options.sstvTick = std::chrono::milliseconds(2);
    RefreshRig rig(options);
    QVERIFY(rig.start());
    QTRY_VERIFY_WITH_TIMEOUT(rig.sstvReloads >= 2, 5000);
    QVERIFY(rig.w().refreshTimers().sstvRunning());
}

void RefreshTest::wxPageReloadsEveryThirdTick_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("autoRefresh");
    QTest::addColumn<bool>("online");
    QTest::newRow("30 s") << 30 << 1 << true;
    QTest::newRow("120 s") << 120 << 1 << true;
    QTest::newRow("manual") << 150 << 0 << true;
    QTest::newRow("offline") << 60 << 1 << false;
}

void RefreshTest::wxPageReloadsEveryThirdTick() {
    QFETCH(int, seconds);
    QFETCH(int, autoRefresh);
    QFETCH(bool, online);
    RefreshRig rig(withSeconds(seconds, autoRefresh, /*startPage=*/1));
    QVERIFY(rig.start());
    QVERIFY(rig.w().refreshTimers().wxRunning());
    rig.page().Online = online;

    rig.tickWx(2);
    QCOMPARE(rig.reloads(), 0);
    // A pass begun by the timer counts its own answers only.
    rig.page().FinishedCount = 7;
    rig.tickWx(1);
    QCOMPARE(rig.wxReloads, 1);
    QCOMPARE(rig.sstvReloads, 0);
    QCOMPARE(rig.page().FinishedCount, 0);
    QCOMPARE(rig.w().refreshTimers().Timer4Ticks, 0);
    rig.tickWx(6);
    QCOMPARE(rig.wxReloads, 3);
    QVERIFY(rig.w().refreshTimers().wxRunning());
}

void RefreshTest::rateChangeRestartsTheCount() {
    RefreshRig rig(withSeconds(30));
    QVERIFY(rig.start());
    rig.tickSstv(20);

    rig.click(QStringLiteral("mnuRate"), 1);
    QCOMPARE(rig.reloads(), 0);
    QCOMPARE(rig.config().RefreshSeconds, 60);
    QCOMPARE(rig.config().AutoRefreshMode, 1);
    QCOMPARE(rig.w().refreshTimers().Timer6Seconds, 0);
    QVERIFY(rig.w().refreshTimers().sstvRunning());
    const LanguageTexts &texts = rig.h.state.texts;
    QCOMPARE(rig.item(QStringLiteral("mnuRefresh"))->text(),
             texts.LngRefresh + QStringLiteral(" (auto 60 sec) "));

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
    RefreshRig rig(withSeconds(60, 1, startPage));
    QVERIFY(rig.start());

    rig.click(QStringLiteral("mnuRate"), 4);
    QCOMPARE(rig.config().RefreshSeconds, 150);
    QCOMPARE(rig.config().AutoRefreshMode, 0);
    QVERIFY(!rig.w().refreshTimers().sstvRunning());
    QVERIFY(!rig.w().refreshTimers().wxRunning());
    const LanguageTexts &texts = rig.h.state.texts;
    QCOMPARE(rig.item(QStringLiteral("mnuRefresh"))->text(),
             texts.LngRefresh + QStringLiteral(" (") + texts.LngManual + QStringLiteral(") "));
    QCOMPARE(rig.reloads(), 0);

    rig.click(QStringLiteral("mnuRefresh"));
    QCOMPARE(rig.reloads(), 1);
    QCOMPARE(startPage == 1 ? rig.wxReloads : rig.sstvReloads, 1);
    QVERIFY(!rig.w().refreshTimers().sstvRunning());
    QVERIFY(!rig.w().refreshTimers().wxRunning());
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
    QTest::newRow("Reload this page, offline")
        << "mnuReloadPage" << false << true << false << 0 << true;
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
    RefreshRig rig(withSeconds(30));
    QVERIFY(rig.start());
    MainWindow &w = rig.w();
    rig.page().Online = online;
    rig.page().UpdateCheckPending = false;
    rig.page().SlotTable.setValue(2, stCheckHeight, QStringLiteral("77"));
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
        QTRY_VERIFY(!w.sitesChangedTimer.isActive());
    } else {
        rig.click(command);
    }

    QCOMPARE(rig.sstvReloads, reloads);
    // Refreshing one site forgets its check height, so its next check picture
    // brings the picture whatever it says.
    const QString heightAfter = tableErased                    ? QString()
                                : command == u"mnuRefreshSite" ? QStringLiteral("0")
                                                               : QStringLiteral("77");
    QCOMPARE(rig.page().SlotTable.value(2, stCheckHeight), heightAfter);
    QCOMPARE(rig.page().UpdateCheckPending, checkPending);
    QVERIFY(w.refreshTimers().sstvRunning());
    QCOMPARE(w.refreshTimers().Timer6Seconds, countRestarted ? 0 : 5);
    if (reloads > 0) {
        QVERIFY(rig.loadingLook());
        QCOMPARE(rig.page().FinishedCount, 0);
    }
}

void RefreshTest::refreshOnTheWxPageDrawsNoLoadingLook() {
    RefreshRig rig(withSeconds(30, 1, /*startPage=*/1));
    QVERIFY(rig.start());
    QVERIFY(!rig.loadingLook());
    rig.tickWx(2);
    rig.click(QStringLiteral("mnuRefresh"));
    QCOMPARE(rig.wxReloads, 1);
    QVERIFY(!rig.loadingLook());
    QVERIFY(rig.page().UpdateCheckPending);
    QVERIFY(rig.w().refreshTimers().wxRunning());
    QCOMPARE(rig.w().refreshTimers().Timer4Ticks, 0);
}

void RefreshTest::f2ListsThePageSites() {
    RefreshRig rig;
    QVERIFY(rig.start());
    MainWindow &w = rig.w();
    rig.h.state.ZeroChar = QStringLiteral("Ø");
    w.List1 = {QStringLiteral("AB1CD    1"), QStringLiteral("K0XYZ    10"),
               QStringLiteral("SP0ZZ    3")};
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    QTest::keyClick(&w, Qt::Key_F2);
    QMenu *popUp = w.menu(QStringLiteral("mnuPopUp"));
    QTRY_VERIFY(popUp->isVisible());
    const QStringList shown{QStringLiteral("AB1CD    1"), QStringLiteral("KØXYZ    10"),
                            QStringLiteral("SPØZZ    3")};
    for (int i = 0; i < 24; ++i) {
        QAction *item = w.menuItem(QStringLiteral("mnuAlphaList"), i);
        QCOMPARE(item->isVisible(), i < 3);
        if (i < 3)
            QCOMPARE(item->text(), shown[i]);
    }
    // The menu opens at the left of the third slot, at the top of the grid.
    QCOMPARE(popUp->pos().x(), w.slotFrameOnScreen(2).left());
    popUp->close();

    // More sites than items: the first 24 are shown.
    w.List1.clear();
    for (int i = 0; i < 26; ++i)
        w.List1 << QStringLiteral("CALL%1    %2").arg(QChar(u'A' + i)).arg(i + 1);
    QTest::keyClick(&w, Qt::Key_F2);
    QTRY_VERIFY(popUp->isVisible());
    QVERIFY(w.menuItem(QStringLiteral("mnuAlphaList"), 23)->isVisible());
    QCOMPARE(w.menuItem(QStringLiteral("mnuAlphaList"), 23)->text(), QStringLiteral("CALLX    24"));
    popUp->close();
}

void RefreshTest::blinkEndsInTheFramesColour() {
    RefreshRig rig;
    QVERIFY(rig.start());
    MainWindow &w = rig.w();
    const QColor own(242, 242, 214);
    w.cell(1)->setShapeColor(own);
    QList<QColor> seen;
    w.blinkTimer.setInterval(1);
    connect(&w.blinkTimer, &QTimer::timeout, this, [&] { seen << w.cell(1)->shapeColor(); });

    w.startSlotBlink(1);
    QVERIFY(w.blinkTimer.isActive());
    QTRY_VERIFY(!w.blinkTimer.isActive());

    QCOMPARE(seen.size(), 20);
    for (int tick = 1; tick <= 20; ++tick)
        QCOMPARE(seen[tick - 1], tick % 2 == 1 ? QColor(0, 0, 255) : own);
    QCOMPARE(w.cell(1)->shapeColor(), own);
    QCOMPARE(w.BlinkCount, 20);
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
    RefreshRig rig;
    QVERIFY(rig.start());
    MainWindow &w = rig.w();
    w.startSlotBlink(7);
    w.blinkTimer.setInterval(1);
    QTest::qWait(5);

    rig.click(item, index);
    QVERIFY(!w.blinkTimer.isActive());
    QTest::qWait(20);
    // No slot of the new page or layout keeps the blink's colours.
    for (ThumbCell *cell : w.cells())
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
    RefreshRig rig;
    rig.h.state.utcNow = [now] { return now; };
    QVERIFY(rig.start());
    MainWindow &w = rig.w();
    QTRY_COMPARE(w.clockButton()->caption(),
                 caption + QStringLiteral(" UTC   ") + rig.h.state.texts.LngSetup);
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
