#include "core/Geodesy.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace tavimo;

class GeodesyTest : public QObject {
    Q_OBJECT

private slots:
    void distanceAndAzimuth_data() {
        QTest::addColumn<double>("lat1");
        QTest::addColumn<double>("lon1");
        QTest::addColumn<double>("lat2");
        QTest::addColumn<double>("lon2");
        QTest::addColumn<double>("km");
        QTest::addColumn<double>("azimuth");
        QTest::addColumn<double>("miles");

        QTest::newRow("equator 10 to 20")
            << 0.0 << 10.0 << 0.0 << 20.0 << 1113.171 << 90.0 << 691.0;
        QTest::newRow("equator 10 to -80")
            << 0.0 << 10.0 << 0.0 << -80.0 << 10018.539 << 270.0 << 6226.0;
        QTest::newRow("north pole to origin")
            << 90.0 << 0.0 << 0.0 << 0.0 << 10001.290 << 180.0 << 6215.0;
        QTest::newRow("origin to north pole")
            << 0.0 << 0.0 << 90.0 << 0.0 << 10001.290 << 0.0 << 6215.0;
        QTest::newRow("origin to south pole")
            << 0.0 << 0.0 << -90.0 << 0.0 << 10001.290 << 180.0 << 6215.0;
        QTest::newRow("London to New York")
            << 51.5 << -0.12 << 40.7 << -74.0 << 5581.567 << 288.0 << 3468.0;
        QTest::newRow("New York to London")
            << 40.7 << -74.0 << 51.5 << -0.12 << 5581.567 << 51.0 << 3468.0;
        QTest::newRow("one degree north") << 0.0 << 0.0 << 1.0 << 0.0 << 110.742 << 0.0 << 68.0;

        // Two points on the equator more than a quarter turn apart used to come
        // out negative (-28942.446 km for this one).
        QTest::newRow("equator 100 degrees apart")
            << 0.0 << 0.0 << 0.0 << 100.0 << 11131.710 << 90.0 << 6918.0;
        QTest::newRow("equator half turn east")
            << 0.0 << 0.0 << 0.0 << 180.0 << 20037.078 << 90.0 << 12453.0;
        QTest::newRow("equator half turn west")
            << 0.0 << 0.0 << 0.0 << -180.0 << 20037.078 << 270.0 << 12453.0;
        QTest::newRow("equator across the date line")
            << 0.0 << 179.0 << 0.0 << -179.0 << 222.634 << 90.0 << 138.0;

        // Identical points: distance 0 and bearing 90, never NaN.
        QTest::newRow("identical on the equator") << 0.0 << 0.0 << 0.0 << 0.0 << 0.0 << 90.0 << 0.0;
        QTest::newRow("identical") << 51.5 << -0.12 << 51.5 << -0.12 << 0.0 << 90.0 << 0.0;
        QTest::newRow("pole, other longitude")
            << 90.0 << 0.0 << 90.0 << 100.0 << 0.0 << 90.0 << 0.0;
        // A centimetre apart the central angle rounds to nothing; the series
        // used to divide zero by zero here.
        QTest::newRow("a centimetre north")
            << 10.0 << 10.0 << 10.0000001 << 10.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("a hair north of London")
            << 51.5 << -0.12 << 51.5000001 << -0.12 << 0.0 << 0.0 << 0.0;
        // A hair west of due north used to round up to a bearing of 360.
        QTest::newRow("due north, a hair west")
            << 45.0 << 7.0 << 50.0 << 7.0 - 1e-15 << 555.791 << 0.0 << 345.0;
    }
    void distanceAndAzimuth() {
        QFETCH(double, lat1);
        QFETCH(double, lon1);
        QFETCH(double, lat2);
        QFETCH(double, lon2);
        QFETCH(double, km);
        QFETCH(double, azimuth);
        QFETCH(double, miles);

        for (int units : {0, 2}) {
            const DistanceAzimuth result = DistanceAndAzimuth(lat1, lon1, lat2, lon2, units);
            QVERIFY2(std::abs(result.Distance - km) < 0.0005,
                     qPrintable(QString::number(result.Distance, 'f', 6)));
            QCOMPARE(result.Azimuth, azimuth);
        }
        const DistanceAzimuth inMiles = DistanceAndAzimuth(lat1, lon1, lat2, lon2, 1);
        QCOMPARE(inMiles.Distance, miles);
        QCOMPARE(inMiles.Azimuth, azimuth);
    }

    // Whatever the pair, the answer is a usable distance and bearing.
    void randomPairsGiveSaneAnswers() {
        QRandomGenerator random(20091014);
        auto latitude = [&] { return random.bounded(180.0) - 90; };
        auto longitude = [&] { return random.bounded(360.0) - 180; };
        const double halfEquator = 6378 * 3.14159265;

        for (int i = 0; i < 100000; ++i) {
            double lat1 = latitude(), lon1 = longitude(), lat2 = latitude(), lon2 = longitude();
            const int kind = i % 8;
            switch (kind) {
            case 1: // duplicates
                lat2 = lat1;
                lon2 = lon1;
                break;
            case 2: // both on the equator
                lat1 = lat2 = 0;
                break;
            case 3: // antipodes
                lat2 = -lat1;
                lon2 = lon1 + 180;
                break;
            case 4: // whole degrees, where exact zeros and right angles turn up
                lat1 = std::round(lat1);
                lon1 = std::round(lon1);
                lat2 = std::round(lat2);
                lon2 = std::round(lon2);
                break;
            case 5: // a pole
                lat1 = i % 16 < 8 ? 90 : -90;
                break;
            case 6: // a tiny step away
                lat2 = lat1 + std::ldexp(1.0, -(i % 60));
                lon2 = lon1 - std::ldexp(1.0, -(i % 50));
                break;
            case 7: // a tiny step along the parallel or the meridian
                lat2 = i % 16 < 8 ? lat1 : lat1 + std::ldexp(1.0, -(i % 60));
                lon2 = i % 16 < 8 ? lon1 + std::ldexp(1.0, -(i % 60)) : lon1;
                break;
            default:
                break;
            }
            const DistanceAzimuth km = DistanceAndAzimuth(lat1, lon1, lat2, lon2, 0);
            const DistanceAzimuth miles = DistanceAndAzimuth(lat1, lon1, lat2, lon2, 1);
            const QString pair = QStringLiteral("(%1, %2) to (%3, %4): %5 km, %6 degrees")
                                     .arg(lat1, 0, 'g', 17)
                                     .arg(lon1, 0, 'g', 17)
                                     .arg(lat2, 0, 'g', 17)
                                     .arg(lon2, 0, 'g', 17)
                                     .arg(km.Distance)
                                     .arg(km.Azimuth);
            QVERIFY2(std::isfinite(km.Distance) && km.Distance >= 0 &&
                         km.Distance <= halfEquator + 0.001,
                     qPrintable(pair));
            QVERIFY2(km.Azimuth >= 0 && km.Azimuth <= 359 && km.Azimuth == std::floor(km.Azimuth),
                     qPrintable(pair));
            QVERIFY2(miles.Distance >= 0 && miles.Distance == std::floor(miles.Distance),
                     qPrintable(pair));
            if (kind == 1)
                QVERIFY2(km.Distance == 0, qPrintable(pair));
            if (kind == 6 || kind == 7) // at most a degree and a half away
                QVERIFY2(km.Distance < 200, qPrintable(pair));
        }
    }
};

QTEST_GUILESS_MAIN(GeodesyTest)
#include "tst_geodesy.moc"
