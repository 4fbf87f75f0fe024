#include "core/geo/MapHandOver.h"
#include "support/TestFiles.h"

#include <QLocale>
#include <QTest>

using namespace tavimo;

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
        QTest::newRow("Japan before Asia") << 35.0 << 140.0 << "Japan Map";
        QTest::newRow("New Zealand") << -41.0 << 174.0 << "New Zealand Map";
        QTest::newRow("Australia") << -33.9 << 151.2 << "Australia Map";
    }
    void region() {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QTEST(ChooseRegionMap(lat, lon), "map");
    }

    void mapLocation_data() {
        QTest::addColumn<double>("lat");
        QTest::addColumn<QStringList>("lstMap");
        QTest::addColumn<int>("index"); // -1: nothing opens
        QTest::addColumn<QStringList>("messages");

        const QString uk = "UK Map not found\nPlease install UK Map in Tavimo]Maps folder";
        const QString world = "World Map not found\nPlease install World Map in Tavimo]Maps folder";
        QTest::newRow("region map installed")
            << 51.0 << QStringList{"Asia Map.png", "UK Map.png", "World Map.png"} << 1
            << QStringList{};
        QTest::newRow("region map missing")
            << 51.0 << QStringList{"Asia Map.png", "World Map.png"} << 1 << QStringList{uk};
        QTest::newRow("no map pictures") << 51.0 << QStringList{} << -1 << QStringList{uk, world};
        QTest::newRow("exact name before a longer one")
            << 48.0 << QStringList{"Central Europe Map.png", "Europe Map.png"} << 1
            << QStringList{};
    }
    void mapLocation() {
        QFETCH(double, lat);
        QFETCH(QStringList, lstMap);
        QFETCH(int, index);
        const MapLocation where = ShowMapLocation(SitePosition{lat, lat > 50 ? 0.0 : 10.0}, lstMap);
        QCOMPARE(where.MapIndex, index < 0 ? std::nullopt : std::optional<int>(index));
        QTEST(where.messages, "messages");
    }

    void webMap_data() {
        QTest::addColumn<QString>("slotCall");
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("job"); // "" = nothing happens

        QTest::newRow("satellite")
            << "G0ABC" << 1 << "G0ABC*http://127.0.0.1:8080/maps?q=51.5,-0.12&t=h&z=18";
        QTest::newRow("street")
            << "GØABC" << 0
            << "G0ABC*http://127.0.0.1:8080/maps?q=&layer=c&cbll=51.5,-0.12&cbp=12,0,0,0,0";
        QTest::newRow("empty slot") << "" << 0 << QString();
    }
    void webMap() {
        QFETCH(QString, slotCall);
        QFETCH(int, view);
        QFETCH(QString, job);
        SiteRecord london = test::makeSite("G0ABC", "http://127.0.0.1/p");
        london.Latitude = 51.5;
        london.Longitude = -0.12;
        // Addresses never follow the locale's decimal comma.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const auto made =
            webMapJob(slotCall, {london}, view == 0 ? WebMapView::Street : WebMapView::Satellite,
                      QStringLiteral("http://127.0.0.1:8080/"));
        QCOMPARE(made ? made->StreetViewJob() : QString(), job);
    }
};

QTEST_GUILESS_MAIN(TestMapHandOver)
#include "tst_maphandover.moc"
