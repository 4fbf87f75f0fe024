#include "core/geo/CoordinateText.h"
#include "core/geo/Geodesy.h"
#include "core/geo/GridLocator.h"
#include "core/geo/MapHandOver.h"
#include "core/geo/StreetViewJob.h"
#include "support/TestFiles.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

using namespace tavimo;

// Distances and bearings, region maps, grid locators, typed coordinates and the web map views.
class GeoTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void distanceAndAzimuth_data() {
        for (const char *column : {"lat1", "lon1", "lat2", "lon2", "km", "azimuth", "miles"})
            QTest::addColumn<double>(column);
        const auto row = [](const char *name, double lat1, double lon1, double lat2, double lon2,
                            double km, double azimuth, double miles) {
            QTest::newRow(name) << lat1 << lon1 << lat2 << lon2 << km << azimuth << miles;
        };
        row("equator 10 to 20", 0, 10, 0, 20, 1113.171, 90, 691);
        row("north pole to origin", 90, 0, 0, 0, 10001.290, 180, 6215);
        row("London to New York", 51.5, -0.12, 40.7, -74, 5581.567, 288, 3468);
        row("New York to London", 40.7, -74, 51.5, -0.12, 5581.567, 51, 3468);
        // More than a quarter turn apart on the equator used to come out negative
        // (-28942.446 km for this one).
        row("equator 100 degrees apart", 0, 0, 0, 100, 11131.710, 90, 6918);
        row("equator half turn west", 0, 0, 0, -180, 20037.078, 270, 12453);
        row("equator across the date line", 0, 179, 0, -179, 222.634, 90, 138);
        // Identical points: distance 0 and bearing 90, never NaN.
        row("identical", 51.5, -0.12, 51.5, -0.12, 0, 90, 0);
        row("pole, other longitude", 90, 0, 90, 100, 0, 90, 0);
        // A centimetre apart the central angle rounds to nothing; the series used to divide
        // zero by zero here.
        row("a centimetre north", 10, 10, 10.0000001, 10, 0, 0, 0);
        // A hair west of due north used to round up to a bearing of 360.
        row("due north, a hair west", 45, 7, 50, 7 - 1e-15, 555.791, 0, 345);
    }
    void distanceAndAzimuth() {
        QFETCH(double, lat1);
        QFETCH(double, lon1);
        QFETCH(double, lat2);
        QFETCH(double, lon2);
        QFETCH(double, km);
        QFETCH(double, azimuth);
        for (int units : {0, 2}) {
            const DistanceAzimuth result = DistanceAndAzimuth(lat1, lon1, lat2, lon2, units);
            QVERIFY2(std::abs(result.Distance - km) < 0.0005,
                     qPrintable(QString::number(result.Distance, 'f', 6)));
            QCOMPARE(result.Azimuth, azimuth);
        }
        const DistanceAzimuth inMiles = DistanceAndAzimuth(lat1, lon1, lat2, lon2, 1);
        QTEST(inMiles.Distance, "miles");
        QCOMPARE(inMiles.Azimuth, azimuth);
    }

    // Whatever the pair (duplicates, the equator, antipodes, whole degrees, poles, tiny steps),
    // the answer is a usable distance and bearing: never NaN, negative or 360.
    void randomPairsGiveSaneAnswers() {
        QRandomGenerator random(20091014);
        const double halfEquator = 6378 * 3.14159265;
        for (int i = 0; i < 100000; ++i) {
            double lat1 = random.bounded(180.0) - 90, lon1 = random.bounded(360.0) - 180;
            double lat2 = random.bounded(180.0) - 90, lon2 = random.bounded(360.0) - 180;
            const int kind = i % 8;
            const double tiny = std::ldexp(1.0, -(i % 60));
            if (kind == 1)
                lat2 = lat1, lon2 = lon1;
            if (kind == 2)
                lat1 = lat2 = 0;
            if (kind == 3)
                lat2 = -lat1, lon2 = lon1 + 180;
            if (kind == 4) // where exact zeros and right angles turn up
                lat1 = std::round(lat1), lon1 = std::round(lon1), lat2 = std::round(lat2);
            if (kind == 5)
                lat1 = i % 16 < 8 ? 90 : -90;
            if (kind == 6)
                lat2 = lat1 + tiny, lon2 = lon1 - std::ldexp(1.0, -(i % 50));
            if (kind == 7) // along the parallel or the meridian
                lat2 = lat1 + (i % 16 < 8 ? 0 : tiny), lon2 = lon1 + (i % 16 < 8 ? tiny : 0);
            const DistanceAzimuth km = DistanceAndAzimuth(lat1, lon1, lat2, lon2, 0);
            const DistanceAzimuth miles = DistanceAndAzimuth(lat1, lon1, lat2, lon2, 1);
            const QByteArray pair =
                QString::asprintf("(%.17g, %.17g) to (%.17g, %.17g): %g km, %g degrees", lat1, lon1,
                                  lat2, lon2, km.Distance, km.Azimuth)
                    .toUtf8();
            QVERIFY2(std::isfinite(km.Distance) && km.Distance >= 0 &&
                         km.Distance <= halfEquator + 0.001 && (kind != 1 || km.Distance == 0) &&
                         (kind < 6 || km.Distance < 200),
                     pair);
            QVERIFY2(km.Azimuth >= 0 && km.Azimuth <= 359 && km.Azimuth == std::floor(km.Azimuth),
                     pair);
            QVERIFY2(miles.Distance >= 0 && miles.Distance == std::floor(miles.Distance), pair);
        }
    }

    // The map that shows a position: its region's map when installed, else the world map.
    void mapLocation_data() {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<QStringList>("lstMap");
        QTest::addColumn<QString>("map"); // "": nothing opens
        QTest::addColumn<QStringList>("messages");
        const QString uk = "UK Map not found\nPlease install UK Map in Tavimo]Maps folder";
        const QString world = "World Map not found\nPlease install World Map in Tavimo]Maps folder";
        const QStringList all{"Asia Map.png",  "Australia Map.png",   "Europe Map.png",
                              "Japan Map.png", "New Zealand Map.png", "North America Map.png",
                              "UK Map.png",    "World Map.png"};
        const auto row = [](const char *name, double lat, double lon, const QStringList &lstMap,
                            const char *map, const QStringList &messages = {}) {
            QTest::newRow(name) << lat << lon << lstMap << QString(map) << messages;
        };
        row("no position", 0, 0, all, "World Map.png");
        row("on the North America border", 55, -100, all, "World Map.png");
        row("inside North America", 54.9, -100, all, "North America Map.png");
        row("UK before Europe", 51, 0, all, "UK Map.png");
        row("Japan before Asia", 35, 140, all, "Japan Map.png");
        row("region map missing", 51, 0, {"Asia Map.png", "World Map.png"}, "World Map.png", {uk});
        row("no map pictures", 51, 0, {}, "", {uk, world});
        row("world map missing, said once", 0, 0, {"UK Map.png"}, "", {world});
        row("exact name before a longer one", 48, 10, {"Central Europe Map.png", "Europe Map.png"},
            "Europe Map.png");
    }
    void mapLocation() {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(QStringList, lstMap);
        const MapLocation where = ShowMapLocation(SitePosition{lat, lon}, lstMap);
        QTEST(where.MapIndex ? lstMap.value(*where.MapIndex) : QString(), "map");
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
        const SiteRecord london = test::makeSite("G0ABC", "http://127.0.0.1/p", 51.5, -0.12);
        // Addresses never follow the locale's decimal comma.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const auto made =
            webMapJob(slotCall, {london}, view == 0 ? WebMapView::Street : WebMapView::Satellite,
                      QStringLiteral("http://127.0.0.1:8080/"));
        QTEST(made ? made->StreetViewJob() : QString(), "job");
    }

    void toGrid_data() {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<QString>("grid");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("origin") << 0.0 << 0.0 << "JJ00aa";
        QTest::newRow("corner of four cells") << 42.0 << -72.0 << "FN42aa";
        QTest::newRow("edge belongs north-east") << -30.0 << 30.0 << "KG50aa";
        QTest::newRow("just inside, negative") << -9.49 << -9.49 << "II50gm";
        QTest::newRow("just over, negative") << -9.51 << -9.51 << "II50fl";
        QTest::newRow("south-west corner") << -90.0 << -180.0 << "AA00aa";
        QTest::newRow("north-east corner stays on the grid") << 90.0 << 180.0 << "RR99xx";
        QTest::newRow("beyond the pole") << 90.5 << 0.0 << "";
        QTest::newRow("beyond the date line") << 0.0 << -180.01 << "";
        QTest::newRow("not a number") << nan << 0.0 << "";
        QTest::newRow("infinite") << 0.0 << std::numeric_limits<double>::infinity() << "";
    }
    void toGrid() {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QTEST(LatLonToGrid(lat, lon), "grid");
    }

    void toPosition_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::newRow("origin cell") << "JJ00aa" << true << 0.020833 << 0.041667;
        QTest::newRow("upper case") << "GF15VC" << true << -34.895833 << -56.208333;
        QTest::newRow("lower case") << "gf15vc" << true << -34.895833 << -56.208333;
        QTest::newRow("the later of two") << "JJ00aa or IO91wm" << true << 51.520833 << -0.125;
        QTest::newRow("minus kept near zero") << "II99xx" << true << -0.020833 << -0.041667;
        QTest::newRow("square before markup") << "FN42</" << true << 42.5 << -71.0;
        QTest::newRow("eight characters") << "JO62qm45" << true << 52.520833 << 13.375;
        QTest::newRow("field beyond R") << "SS00aa" << false << 0.0 << 0.0;
        QTest::newRow("subsquare beyond X") << "JO62zz" << false << 0.0 << 0.0;
        QTest::newRow("glued to a word") << "ABJO62qm" << false << 0.0 << 0.0;
        QTest::newRow("no locator") << "n/a" << false << 0.0 << 0.0;
    }
    void toPosition() {
        QFETCH(QString, text);
        QFETCH(bool, found);
        const std::optional<SitePosition> centre = GridToLatLon(text);
        QCOMPARE(centre.has_value(), found);
        if (!found)
            return;
        QFETCH(double, lat);
        QFETCH(double, lon);
        QVERIFY2(std::fabs(centre->SiteLat - lat) < 1e-6,
                 qPrintable(QString::number(centre->SiteLat)));
        QVERIFY2(std::fabs(centre->SiteLon - lon) < 1e-6,
                 qPrintable(QString::number(centre->SiteLon)));
    }

    // Every column and every row of subsquares: the centre of a locator gives
    // that locator back.
    void roundTrip() {
        const auto check = [](int column, int row) {
            QString grid;
            grid += QChar(u'A' + column / 240);
            grid += QChar(u'A' + row / 240);
            grid += QChar(u'0' + (column / 24) % 10);
            grid += QChar(u'0' + (row / 24) % 10);
            grid += QChar(u'a' + column % 24);
            grid += QChar(u'a' + row % 24);
            const std::optional<SitePosition> centre = GridToLatLon(grid);
            return centre && LatLonToGrid(centre->SiteLat, centre->SiteLon) == grid;
        };
        for (int i = 0; i < 4320; ++i) {
            QVERIFY2(check(i, (i * 7) % 4320), qPrintable(QString::number(i)));
            QVERIFY2(check((i * 11) % 4320, i), qPrintable(QString::number(i)));
        }
    }

    void coordinateText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("latitude");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("typed");   // typedCoordinate
        QTest::addColumn<double>("checked"); // coordinateOrZero
        QTest::newRow("plain") << "52.5" << true << 52.5 << 52.5 << 52.5;
        QTest::newRow("decimal comma") << "52,5" << true << 52.0 << 52.5 << 52.0;
        QTest::newRow("south after") << "  42.35 S" << true << -42.35 << -42.35 << -42.35;
        QTest::newRow("south before") << "S 33.87" << true << -33.87 << -33.87 << -33.87;
        QTest::newRow("west") << "179.9 W" << false << -179.9 << -179.9 << -179.9;
        QTest::newRow("other axis's letter") << "71.5 W" << true << 71.5 << 71.5 << 71.5;
        QTest::newRow("letters only") << "abc" << true << 0.0 << 0.0 << 0.0;
        QTest::newRow("minus sign")
            << QString(QChar(0x2212)) + "3,5" << false << 0.0 << -3.5 << 0.0;
        QTest::newRow("too large to hold") << "1e999" << true << qInf() << 0.0 << 0.0;
        QTest::newRow("beyond the pole") << "95" << true << 95.0 << 95.0 << 0.0;
        QTest::newRow("beyond the date line") << "-180.5" << false << -180.5 << -180.5 << 0.0;
    }
    void coordinateText() {
        QFETCH(QString, text);
        QFETCH(bool, latitude);
        const CoordinateAxis axis = latitude ? CoordinateAxis::Latitude : CoordinateAxis::Longitude;
        QTEST(coordinateValue(text, axis), "value");
        QTEST(typedCoordinate(text, axis), "typed");
        QTEST(coordinateOrZero(text, axis), "checked");
    }

    // What a position box the user types into gives, and when it is refused.
    void coordinateBox_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("latitude");
        QTest::addColumn<int>("refusal"); // CoordinateRefusal
        QTest::addColumn<double>("value");
        const int none = int(CoordinateRefusal::None);
        const int noNumber = int(CoordinateRefusal::NoNumber);
        const int off = int(CoordinateRefusal::OutOfRange);
        QTest::newRow("decimal comma") << "52,5" << true << none << 52.5;
        QTest::newRow("number then letters") << "52.5xyz" << true << none << 52.5;
        QTest::newRow("half-typed comma") << "52," << true << none << 52.0;
        QTest::newRow("half-typed minus") << "-" << false << none << 0.0;
        QTest::newRow("half-typed minus comma") << " -," << false << none << 0.0;
        QTest::newRow("empty") << "" << true << none << 0.0;
        QTest::newRow("hemisphere letter alone") << "S" << true << none << 0.0;
        QTest::newRow("hemisphere before") << "W 71,5" << false << none << -71.5;
        QTest::newRow("on the pole") << "-90" << true << none << -90.0;
        QTest::newRow("on the date line") << "180" << false << none << 180.0;
        QTest::newRow("letters only") << "abc" << true << noNumber << 0.0;
        QTest::newRow("minus then letters") << "-x" << true << noNumber << 0.0;
        QTest::newRow("beyond the pole") << "95" << true << off << 0.0;
        QTest::newRow("longitude as latitude") << "100" << true << off << 0.0;
        QTest::newRow("beyond the date line") << "200" << false << off << 0.0;
        QTest::newRow("too large to hold") << "1e999" << false << off << 0.0;
        QTest::newRow("exponent off the globe") << "1e3" << true << off << 0.0;
    }
    void coordinateBox() {
        QFETCH(QString, text);
        QFETCH(bool, latitude);
        const CoordinateBox box = readCoordinateBox(text, latitude ? CoordinateAxis::Latitude
                                                                   : CoordinateAxis::Longitude);
        QTEST(int(box.refusal), "refusal");
        QTEST(box.value, "value");
    }

    void windowSize_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("window");
        // 921.6 high would be 1474.56 wide: too wide, so 900 wide at 16:10 (562.5).
        QTest::newRow("1280x1024") << QSize(1280, 1024) << QSize(900, 562);
        QTest::newRow("2560x1080 keeps 1.6") << QSize(2560, 1080) << QSize(1555, 972);
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QSize(1540, 962);
    }
    void windowSize() {
        QFETCH(QSize, screen);
        QTEST(webMapWindowSize(screen), "window");
    }

    void job_data() {
        QTest::addColumn<QString>("job");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("street");
        const QString street = "http://m.example/maps?q=&layer=c&cbll=51.5,-0.12&cbp=12,0,0,0,0";
        QTest::newRow("street view") << "G0ABC*" + street << true << street << true;
        QTest::newRow("satellite, split at the first star")
            << "G0ABC*https://m.example/maps?q=1*2" << true << "https://m.example/maps?q=1*2"
            << false;
        QTest::newRow("no star") << street << false << street << false;
        QTest::newRow("not a web address")
            << "G0ABC*file:///etc/passwd" << false << "file:///etc/passwd" << false;
        QTest::newRow("no host") << "G0ABC*http:///maps" << false << "http:///maps" << false;
    }
    void job() {
        QFETCH(QString, job);
        QFETCH(bool, valid);
        QFETCH(bool, street);
        const StreetViewJob parsed = parseStreetViewJob(job);
        QCOMPARE(parsed.valid, valid);
        QCOMPARE(parsed.callsign, valid ? "G0ABC" : parsed.callsign);
        QTEST(parsed.address, "address");
        QCOMPARE(parsed.view == WebMapView::Street, street);
    }
};

QTEST_GUILESS_MAIN(GeoTest)
#include "tst_geo.moc"
