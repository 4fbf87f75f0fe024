#include "core/RefreshTimers.h"

#include <QSignalSpy>
#include <QTest>

using namespace tavimo;
using namespace std::chrono_literals;

class RefreshTimersTest : public QObject {
    Q_OBJECT

private slots:
    void startPicksThePageTimer_data() {
        QTest::addColumn<bool>("onWxPage");
        QTest::newRow("SSTV page") << false;
        QTest::newRow("WX page") << true;
    }
    void startPicksThePageTimer() {
        QFETCH(bool, onWxPage);
        RefreshTimers timers([&] { return onWxPage; }, nullptr, 10ms, 15ms);
        timers.Timer6Seconds = 7;
        timers.Timer4Ticks = 2;

        timers.StartRefreshTimers();

        QCOMPARE(timers.sstvRunning(), !onWxPage);
        QCOMPARE(timers.wxRunning(), onWxPage);
        // Only the counter of the started timer is cleared.
        QCOMPARE(timers.Timer6Seconds, std::int16_t(onWxPage ? 7 : 0));
        QCOMPARE(timers.Timer4Ticks, std::int16_t(onWxPage ? 0 : 2));

        QSignalSpy sstvTicks(&timers, &RefreshTimers::sstvTick);
        QSignalSpy wxTicks(&timers, &RefreshTimers::wxTick);
        QSignalSpy &running = onWxPage ? wxTicks : sstvTicks;
        QVERIFY(running.wait(2000));
        QTest::qWait(50);
        QVERIFY(running.count() >= 2);
        QCOMPARE((onWxPage ? sstvTicks : wxTicks).count(), 0);

        timers.StopRefreshTimers();
        QVERIFY(!timers.sstvRunning());
        QVERIFY(!timers.wxRunning());
        const auto ticksAtStop = running.count();
        QTest::qWait(60);
        QCOMPARE(running.count(), ticksAtStop);
    }

    // Switching to the WX page after a stop runs only the WX timer.
    void pageSwitchSwapsTimers() {
        bool onWxPage = false;
        RefreshTimers timers([&] { return onWxPage; }, nullptr, 10ms, 10ms);
        timers.StartRefreshTimers();
        QVERIFY(timers.sstvRunning());

        timers.StopRefreshTimers();
        onWxPage = true;
        timers.StartRefreshTimers();
        QVERIFY(!timers.sstvRunning());
        QVERIFY(timers.wxRunning());
    }

    void stopKeepsTheCounters() {
        RefreshTimers timers([] { return false; }, nullptr, 10ms, 10ms);
        timers.StartRefreshTimers();
        timers.Timer6Seconds = 12;
        timers.StopRefreshTimers();
        QCOMPARE(timers.Timer6Seconds, std::int16_t(12));
    }

    void defaultIntervals() {
        RefreshTimers timers([] { return false; });
        const auto sstv = timers.findChild<QTimer *>("sstvRefreshTimer");
        const auto wx = timers.findChild<QTimer *>("wxRefreshTimer");
        QVERIFY(sstv && wx);
        QCOMPARE(sstv->interval(), 1000);
        QCOMPARE(wx->interval(), 60000);
        QVERIFY(!sstv->isActive());
        QVERIFY(!wx->isActive());
    }
};

QTEST_GUILESS_MAIN(RefreshTimersTest)
#include "tst_refreshtimers.moc"
