#include "core/geo/Geodesy.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace tavimo;

namespace {

void row(const char *name, double lat1, double lon1, double lat2, double lon2, double km,
         double azimuth, double miles) {
    QTest::newRow(name) << lat1 << lon1 << lat2 << lon2 << km << azimuth << miles;
}

} // namespace

class GeodesyTest : public QObject {
    Q_OBJECT

private slots:
    void distanceAndAzimuth_data() {
        for (const char *column : {"lat1", "lon1", "lat2", "lon2", "km", "azimuth", "miles"})
            QTest::addColumn<double>(column);
        row("equator 10 to 20", 0, 10, 0, 20, 1113.171, 90, 691);
        row("equator 10 to -80", 0, 10, 0, -80, 10018.539, 270, 6226);
        row("north pole to origin", 90, 0, 0, 0, 10001.290, 180, 6215);
        row("origin to south pole", 0, 0, -90, 0, 10001.290, 180, 6215);
        row("London to New York", 51.5, -0.12, 40.7, -74, 5581.567, 288, 3468);
        row("New York to London", 40.7, -74, 51.5, -0.12, 5581.567, 51, 3468);
        row("one degree north", 0, 0, 1, 0, 110.742, 0, 68);
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

    // Whatever the pair, the answer is a usable distance and bearing.
    void randomPairsGiveSaneAnswers() {
        QRandomGenerator random(20091014);
        auto latitude = [&] { return random.bounded(180.0) - 90; };
        auto longitude = [&] { return random.bounded(360.0) - 180; };
        const double halfEquator = 6378 * 3.14159265;
        for (int i = 0; i < 100000; ++i) {
            double lat1 = latitude(), lon1 = longitude(), lat2 = latitude(), lon2 = longitude();
            const int kind = i % 8;
            const double tiny = std::ldexp(1.0, -(i % 60));
            if (kind == 1) // duplicates
                lat2 = lat1, lon2 = lon1;
            if (kind == 2) // both on the equator
                lat1 = lat2 = 0;
            if (kind == 3) // antipodes
                lat2 = -lat1, lon2 = lon1 + 180;
            if (kind == 4) // whole degrees, where exact zeros and right angles turn up
                lat1 = std::round(lat1), lon1 = std::round(lon1), lat2 = std::round(lat2);
            if (kind == 5) // a pole
                lat1 = i % 16 < 8 ? 90 : -90;
            if (kind == 6) // a tiny step away
                lat2 = lat1 + tiny, lon2 = lon1 - std::ldexp(1.0, -(i % 50));
            if (kind == 7) // a tiny step along the parallel or the meridian
                lat2 = lat1 + (i % 16 < 8 ? 0 : tiny), lon2 = lon1 + (i % 16 < 8 ? tiny : 0);
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
            QVERIFY2(kind != 1 || km.Distance == 0, qPrintable(pair));
            QVERIFY2(kind < 6 || km.Distance < 200, qPrintable(pair)); // a tiny step away
        }
    }
};

QTEST_GUILESS_MAIN(GeodesyTest)
#include "tst_geodesy.moc"
