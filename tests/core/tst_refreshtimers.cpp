#include "core/thumbs/RefreshTimers.h"

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

        timers.Timer6Seconds = 12;
        timers.StopRefreshTimers();
        QVERIFY(!timers.sstvRunning() && !timers.wxRunning());
        QCOMPARE(timers.Timer6Seconds, std::int16_t(12)); // a stop keeps the counters
        const auto ticksAtStop = running.count();
        QTest::qWait(60);
        QCOMPARE(running.count(), ticksAtStop);

        // After a page switch only the other page's timer runs.
        onWxPage = !onWxPage;
        timers.StartRefreshTimers();
        QCOMPARE(timers.sstvRunning(), !onWxPage);
        QCOMPARE(timers.wxRunning(), onWxPage);
    }
};

QTEST_GUILESS_MAIN(RefreshTimersTest)
#include "tst_refreshtimers.moc"
