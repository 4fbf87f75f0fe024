// A site that takes the connection but never answers, while the page reloads
// faster than the transfer timeout: the passes still end, so the update check
// runs and the Refresh item comes back.

#include "support/MainWindowHarness.h"

#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

class StalledPassTest : public QObject {
    Q_OBJECT

private slots:
    void passesEndAroundAStalledSite();
};

void StalledPassTest::passesEndAroundAStalledSite() {
    Harness rig;
    // A reload every 30 ticks of 10 ms, the transfer timeout 500 ms.
    rig.sstvTick = std::chrono::milliseconds(10);
    rig.writeConfig(4, 1, 0, 30);
    rig.addSite(u"AB1CD"_s, u"1000000000"_s, u"/ab1cd/image1.jpg"_s);
    rig.servePicture(u"/ab1cd/image1.jpg"_s, u"AB1CD"_s);
    rig.addSite(u"EF2GH"_s, u"2000000000"_s, u"/ef2gh/image1.jpg"_s);
    Route stall;
    stall.stall = true;
    rig.server.setRoute(u"/ef2gh/checknew.jpg"_s, stall);
    rig.server.setRoute(u"/ef2gh/image1.jpg"_s, stall);
    rig.serve(u"/home/"_s, "<html>no news</html>");
    rig.state.endpoints.HomePage = rig.url(u"/home/"_s);
    int passes = 0;
    QObject::connect(&rig.state.events, &AppEvents::passFinished, [&] { ++passes; });

    QVERIFY(rig.startUp());
    QTRY_VERIFY_WITH_TIMEOUT(passes > 0, 5000);
    QVERIFY(rig.sstvReloads > 0); // the first pass outlived at least one reload
    QTRY_COMPARE(rig.server.requestCount(u"/home/"_s), 1);
    QVERIFY(!rig.page().UpdateCheckPending);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.loadingLook(), 5000);
    rig.closeWindow();
}

QTEST_MAIN(StalledPassTest)
#include "tst_stalledpass.moc"
