#include "platform/DesktopBridge.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

using namespace tavimo;

class DesktopBridgeTest : public QObject {
    Q_OBJECT

private slots:
    void activationFollowsTheWaits() {
        FakeDesktopBridge bridge;
        bridge.addWindow("mmsstv");
        QVERIFY(!bridge.activateWindowByTitle("MMSSTV"));
        QCOMPARE(bridge.log(), QStringList{"find MMSSTV"});
        bridge.addWindow("MMSSTV");
        QVERIFY(bridge.activateWindowByTitle("MMSSTV"));
        QCOMPARE(bridge.log().mid(1), (QStringList{"find MMSSTV", "front MMSSTV", "wait 200",
                                                   "restore MMSSTV", "wait 500"}));
    }

    void withoutADisplayNothingIsFoundOrTyped() {
        // A display that cannot exist: the socket folder has no such entry.
        const std::unique_ptr<DesktopBridge> bridge = createDesktopBridge(":65000");
        QVERIFY(dynamic_cast<NullDesktopBridge *>(bridge.get()));
        int waits = 0;
        bridge->setWaitFunction([&](int) { ++waits; });
        QVERIFY(!bridge->activateWindowByTitle("MMSSTV"));
        QVERIFY(!bridge->sendKeys("{F7}"));
        QCOMPARE(waits, 0);
    }

    // The wait holds the thread: a timer that falls due meanwhile fires only afterwards.
    void busyWaitRunsNoEvents() {
        bool fired = false;
        QTimer::singleShot(0, this, [&] { fired = true; });
        QElapsedTimer clock;
        clock.start();
        busyWait(60);
        QVERIFY(clock.elapsed() >= 60);
        QVERIFY(!fired);
        QTRY_VERIFY(fired);
    }
};

QTEST_MAIN(DesktopBridgeTest)
#include "tst_desktopbridge.moc"
