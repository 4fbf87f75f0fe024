#include "core/MapHandOver.h"
#include "support/TestFiles.h"

#include <QLocale>
#include <QTest>

using namespace tavimo;

namespace {

const QStringList kAllMaps{"Asia Map.png",  "Australia Map.png",   "Europe Map.png",
                           "Japan Map.png", "New Zealand Map.png", "North America Map.png",
                           "UK Map.png",    "World Map.png"};

SiteList londonSite() {
    SiteRecord r = test::makeSite(QStringLiteral("G0ABC"), QStringLiteral("http://127.0.0.1/p"));
    r.Latitude = 51.5;
    r.Longitude = -0.12;
    return {r};
}

} // namespace

class TestMapHandOver : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void region_data() {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<QString>("map");
        QTest::newRow("no position") << 0.0 << 0.0 << "World Map";
        QTest::newRow("on the North America border") << 55.0 << -100.0 << "World Map";
        QTest::newRow("inside North America") << 54.9 << -100.0 << "North America Map";
        QTest::newRow("UK before Europe") << 51.0 << 0.0 << "UK Map";
        QTest::newRow("Europe") << 48.0 << 10.0 << "Europe Map";
        QTest::newRow("Japan before Asia") << 35.0 << 140.0 << "Japan Map";
        QTest::newRow("Asia") << 20.0 << 80.0 << "Asia Map";
        QTest::newRow("New Zealand") << -41.0 << 174.0 << "New Zealand Map";
        QTest::newRow("Australia") << -33.9 << 151.2 << "Australia Map";
        QTest::newRow("on the UK's east border") << 51.0 << 3.0 << "Europe Map";
    }
    void region() {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QTEST(ChooseRegionMap(lat, lon), "map");
    }

    void mapLocation_data() {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<QStringList>("lstMap");
        QTest::addColumn<int>("index"); // -1: nothing opens
        QTest::addColumn<QStringList>("messages");

        const QString ukMissing = "UK Map not found\nPlease install UK Map in Tavimo]Maps folder";
        const QString worldMissing =
            "World Map not found\nPlease install World Map in Tavimo]Maps folder";
        QTest::newRow("region map installed") << 51.0 << 0.0 << kAllMaps << 6 << QStringList{};
        QTest::newRow("region map missing")
            << 51.0 << 0.0 << QStringList{"Asia Map.png", "World Map.png"} << 1
            << QStringList{ukMissing};
        QTest::newRow("no map pictures")
            << 51.0 << 0.0 << QStringList{} << -1 << QStringList{ukMissing, worldMissing};
        QTest::newRow("no position, no map pictures")
            << 0.0 << 0.0 << QStringList{} << -1 << QStringList{worldMissing};
        QTest::newRow("exact name before a longer one")
            << 48.0 << 10.0 << QStringList{"Central Europe Map.png", "Europe Map.png"} << 1
            << QStringList{};
        QTest::newRow("only a longer name")
            << 48.0 << 10.0 << QStringList{"Central Europe Map.png", "World Map.png"} << 0
            << QStringList{};
        QTest::newRow("name compared with case")
            << 48.0 << 10.0 << QStringList{"europe map.png", "World Map.png"} << 1
            << QStringList{"Europe Map not found\nPlease install Europe Map in Tavimo]Maps folder"};
    }
    void mapLocation() {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(QStringList, lstMap);
        QFETCH(int, index);
        const MapLocation where = ShowMapLocation(SitePosition{lat, lon}, lstMap);
        QCOMPARE(where.MapIndex, index < 0 ? std::nullopt : std::optional<int>(index));
        QTEST(where.messages, "messages");
    }

    void webMap_data() {
        QTest::addColumn<QString>("slotCall");
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("job"); // "" = nothing happens

        QTest::newRow("satellite") << "G0ABC" << 1 << "http://127.0.0.1:8080/"
                                   << "G0ABC*http://127.0.0.1:8080/maps?q=51.5,-0.12&t=h&z=18";
        QTest::newRow("street")
            << "GØABC" << 0 << "http://127.0.0.1:8080"
            << "G0ABC*http://127.0.0.1:8080/maps?q=&layer=c&cbll=51.5,-0.12&cbp=12,0,0,0,0";
        QTest::newRow("site not in the list") << "NOAA 19" << 1 << "http://127.0.0.1/"
                                              << "NOAA 19*http://127.0.0.1/maps?q=,&t=h&z=18";
        QTest::newRow("transmitted picture") << "TX2" << 1 << "http://127.0.0.1/"
                                             << "";
        QTest::newRow("empty slot") << "" << 0 << "http://127.0.0.1/"
                                    << "";
        QTest::newRow("service switched off") << "G0ABC" << 0 << ""
                                              << "";
    }
    void webMap() {
        QFETCH(QString, slotCall);
        QFETCH(int, view);
        QFETCH(QString, base);
        QFETCH(QString, job);
        // Addresses never follow the locale's decimal comma.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const auto made = webMapJob(slotCall, londonSite(),
                                    view == 0 ? WebMapView::Street : WebMapView::Satellite, base);
        QCOMPARE(made ? made->StreetViewJob() : QString(), job);
    }
};

QTEST_GUILESS_MAIN(TestMapHandOver)
#include "tst_maphandover.moc"
