// The station, map and web map windows as the program opens them: from the
// slot pop-up of the real main window, through the program's window opener,
// against the simulated sites, callbooks and map service.

#include "ProgramRig.h"

#include "core/geo/MapProjection.h"
#include "sitesim/Callbooks.h"
#include "stations/SiteMapWindow.h"
#include "stations/StationPictureWindow.h"
#include "stations/StationWindow.h"
#include "stations/WebMapWindow.h"

#include <QLabel>
#include <QToolButton>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

class StationWindowsE2eTest : public QObject {
    Q_OBJECT

private slots:
    void callsignLookUp() {
        ProgramRig rig;
        QVERIFY(rig.startShown());
        // Site 1, in slot 1: the callbooks hold its whole record and a picture.
        const sitesim::SstvSiteInfo &site = rig.sstvSite(1);
        const CallbookStation record = *sitesim::callbookStation(site);

        rig.choose(0, u"mnuQrzCall"_s);
        StationWindow *station = ProgramRig::shown<StationWindow>();
        QVERIFY(station);
        QVERIFY(!rig.w().isEnabled());
        QVERIFY(!rig.sstvRunning());
        QTRY_COMPARE(station->lblName->text(), record.name);
        QCOMPARE(station->lblCall->text(), rig.shown(site.callsign));
        QCOMPARE(station->lblCtry->text(), record.country);

        // Another database reads the record again; Hamdata gives no country.
        station->optDatabase[2]->click();
        QVERIFY(station->lblName->text().isEmpty());
        QTRY_COMPARE(station->lblName->text(), record.name);
        QCOMPARE(
            rig.server.requestCount(u"/callbook/hamdata/getcall.html?callsign="_s + site.callsign),
            1);
        QVERIFY(station->lblCtry->text().isEmpty());

        QTRY_VERIFY(!station->picture().isNull());
        QTest::mousePress(station->Image1, Qt::LeftButton);
        StationPictureWindow *large = ProgramRig::shown<StationPictureWindow>();
        QVERIFY(large);
        large->close();
        QTRY_VERIFY(station->isEnabled());

        // A click on the record closes it and gives the main window back.
        QTest::mouseClick(station->lblName, Qt::LeftButton);
        QTRY_VERIFY(rig.w().isEnabled());
        QVERIFY(!ProgramRig::shown<StationWindow>());
        QVERIFY(rig.sstvRunning());
    }

    // Site 2, in slot 2, lies in London: the UK map inside Europe's is chosen.
    void mapLocation() {
        ProgramRig rig;
        rig.installMaps();
        QVERIFY(rig.startShown());
        const sitesim::SstvSiteInfo &site = rig.sstvSite(2);
        const QString mapName = u"UK Map"_s;

        rig.choose(1, u"mnuMapLoc"_s);
        SiteMapWindow *map = ProgramRig::shown<SiteMapWindow>();
        QVERIFY(map);
        QCOMPARE(map->mapItem(), mapName + u".png"_s);
        QCOMPARE(rig.state.lstMap.value(rig.config().MapIndex), map->mapItem());
        // Drawn for that site: its label stands centred over its place.
        const std::optional<QPoint> at = LatLonToMapXY(mapName, site.latitude, site.longitude);
        QVERIFY(at);
        QVERIFY(map->lblCall()->text().startsWith(rig.shown(site.callsign)));
        QVERIFY(qAbs(map->lblCall()->geometry().center().x() - at->x()) <= 1);
        QVERIFY(rig.w().isEnabled());
        QVERIFY(rig.prompts.calls.isEmpty());
    }

    void streetView_data() {
        QTest::addColumn<int>("startPage"); // 0 the first SSTV page, 1 the WX page
        QTest::newRow("SSTV site with a position") << 0;
        QTest::newRow("WX site: no position") << 1;
    }

    void streetView() {
        QFETCH(int, startPage);
        ProgramRig rig(ProgramRig::smallWorld(), -1, startPage);
        QVERIFY(rig.startShown());

        rig.choose(1, u"mnuStView"_s, 0);
        WebMapWindow *view = ProgramRig::shown<WebMapWindow>();
        if (startPage == 1) {
            QVERIFY(!view);
            QCOMPARE(rig.prompts.texts(),
                     QStringList{u"No position known for "_s + rig.sim.wxSites()[1].name});
            QVERIFY(rig.w().isEnabled());
            return;
        }
        // Site 2, in slot 2, lies in London.
        QVERIFY(view);
        QCOMPARE(view->job().callsign, rig.sstvSite(2).callsign);
        QCOMPARE(rig.views.size(), 1);
        QCOMPARE(rig.views[0]->loaded,
                 QList<QUrl>{rig.url(u"/map/maps?q=&layer=c&cbll=51.51,-0.13&cbp=12,0,0,0,0"_s)});
        QVERIFY(!rig.w().isEnabled());
        view->close();
        QTRY_VERIFY(rig.w().isEnabled());
        QVERIFY(rig.prompts.calls.isEmpty());
    }
};

QTEST_MAIN(StationWindowsE2eTest)
#include "tst_stationwindows_e2e.moc"
