// The clock in the Setup menu's caption changes as the minute changes, on a
// clock of the test's own that runs from just before a minute's end.

#include "support/MainWindowHarness.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

class ClockCaptionTest : public QObject {
    Q_OBJECT

private slots:
    void captionFollowsTheMinute();
};

void ClockCaptionTest::captionFollowsTheMinute() {
    const QDateTime start(QDate(2024, 5, 1), QTime(13, 5, 59, 600), Qt::UTC);
    QElapsedTimer running;
    running.start();
    Harness rig;
    rig.addQuietSites();
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

QTEST_MAIN(ClockCaptionTest)
#include "tst_clockcaption.moc"
