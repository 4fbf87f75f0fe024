#include "core/geo/MapProjection.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace tavimo;

class MapProjectionTest : public QObject {
    Q_OBJECT

private slots:
    void projects_data() {
        QTest::addColumn<QString>("map");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<QPoint>("pixel");

        // The fitted formulas' own values.
        QTest::newRow("Europe") << "Europe Map" << 50.0 << 10.0 << QPoint(587, 755);
        QTest::newRow("UK") << "UK Map" << 51.5 << -0.1 << QPoint(806, 945);
        QTest::newRow("North America east")
            << "North America Map" << 40.7 << -74.0 << QPoint(1049, 403);
        QTest::newRow("North America west")
            << "North America Map" << 34.0 << -118.2 << QPoint(194, 556);
        QTest::newRow("Asia north") << "Asia Map" << 35.7 << 139.7 << QPoint(1498, 417);
        QTest::newRow("Asia south") << "Asia Map" << -6.2 << 106.8 << QPoint(1046, 1014);
        QTest::newRow("Japan") << "Japan Map" << 35.7 << 139.7 << QPoint(658, 690);
        QTest::newRow("Australia") << "Australia Map" << -33.9 << 151.2 << QPoint(1213, 916);
        QTest::newRow("New Zealand") << "New Zealand Map" << -41.3 << 174.8 << QPoint(673, 764);
        QTest::newRow("World origin") << "World Map" << 0.0 << 0.0 << QPoint(1322, 706);
        QTest::newRow("World south") << "World Map" << -34.5 << 18.5 << QPoint(1459, 1000);
        QTest::newRow("World far west") << "World Map" << 64.0 << -175.0 << QPoint(2421, 162);

        // Longitudes west of 170 W are drawn east of 180.
        QTest::newRow("World 185 E") << "World Map" << 64.0 << 185.0 << QPoint(2421, 162);
        // The correction's distance is rounded halves to even: 9.5 -> 10 (C 3),
        // 8.5 -> 8 (C 0); from 36 on it is the distance itself.
        QTest::newRow("NA -104.5") << "North America Map" << 40.0 << -104.5 << QPoint(482, 459);
        QTest::newRow("NA -103.5") << "North America Map" << 40.0 << -103.5 << QPoint(501, 464);
        QTest::newRow("NA -131") << "North America Map" << 40.0 << -131.0 << QPoint(9, 314);
        QTest::newRow("Asia equator") << "Asia Map" << 0.0 << 100.0 << QPoint(953, 932);
        // Whole degrees move the point, the fraction does not; +-34 mirror at 706.
        QTest::newRow("World 34 N") << "World Map" << 34.0 << 0.0 << QPoint(1325, 412);
        QTest::newRow("World 34 S") << "World Map" << -34.0 << 0.0 << QPoint(1325, 1000);
        // Rounds up to row 1 in single precision; the fraction comes from 4 degrees.
        QTest::newRow("World 4.9999999") << "World Map" << 4.9999999 << 0.0 << QPoint(1322, 628);
        // At and beyond the poles: the pole's row, never a row past the table.
        QTest::newRow("World 90") << "World Map" << 90.0 << 10.0 << QPoint(1398, 8);
        QTest::newRow("World -90") << "World Map" << -90.0 << 10.0 << QPoint(1398, 1404);
        QTest::newRow("World 95") << "World Map" << 95.0 << 10.0 << QPoint(1398, 8);
    }

    void projects() {
        QFETCH(QString, map);
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(QPoint, pixel);
        QCOMPARE(LatLonToMapXY(map, lat, lon), std::optional<QPoint>(pixel));
    }

    void projectsNothing_data() {
        QTest::addColumn<QString>("map");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("case differs") << "europe Map" << 50.0 << 10.0;
        QTest::newRow("spacing differs") << "New  Zealand Map" << -41.0 << 174.0;
        QTest::newRow("with extension") << "Europe Map.png" << 50.0 << 10.0;
        QTest::newRow("other map") << "Mars Map" << 50.0 << 10.0;
        QTest::newRow("NaN latitude") << "World Map" << nan << 10.0;
        QTest::newRow("infinite longitude") << "Europe Map" << 50.0 << inf;
        QTest::newRow("overflowing radius") << "UK Map" << 1e308 << 0.0;
    }

    void projectsNothing() {
        QFETCH(QString, map);
        QFETCH(double, lat);
        QFETCH(double, lon);
        QCOMPARE(LatLonToMapXY(map, lat, lon), std::nullopt);
    }

    // Nonsense positions land far off the picture instead of overflowing.
    void clampsNonsense() {
        for (ProjectedMap map : kProjectedMaps) {
            for (double lon : {-1e12, 1e12, 4e4}) {
                const std::optional<QPoint> p = LatLonToMapXY(map, 1e9, lon);
                QVERIFY2(p, qPrintable(mapName(map)));
                QVERIFY(std::abs(p->x()) <= kFarOffPixels && std::abs(p->y()) <= kFarOffPixels);
                QVERIFY(p->x() < 0 || p->x() > 5000 || p->y() < 0 || p->y() > 5000);
            }
        }
    }

    // The drawing variant agrees with the markers where the markers' steps are
    // flat, and has no jumps where they step: at whole degrees and rows of the
    // world map, and at the North America correction's steps.
    void continuousVariant() {
        for (ProjectedMap map : kProjectedMaps) {
            const QPoint marker = *LatLonToMapXY(map, 40, 20);
            const QPointF drawn = mapPointF(map, 40, 20);
            QVERIFY2(std::abs(drawn.x() - marker.x()) <= 0.5 &&
                         std::abs(drawn.y() - marker.y()) <= 0.5,
                     qPrintable(mapName(map)));
        }
        const auto smooth = [](ProjectedMap map, double lat1, double lon1, double lat2,
                               double lon2) {
            return (mapPointF(map, lat1, lon1) - mapPointF(map, lat2, lon2)).manhattanLength() <
                   0.5;
        };
        constexpr double e = 0.002;
        for (int lat = -90; lat <= 90; ++lat) {
            for (double lon : {-160.0, 0.0, 100.0}) {
                QVERIFY2(smooth(ProjectedMap::World, lat - e, lon, lat + e, lon),
                         qPrintable(QString::number(lat)));
            }
        }
        for (double d : {9.5, 15.5, 20.5, 25.5, 35.5, 9.0, 10.0, 35.0, 36.0}) {
            for (double lon : {-95 - d, -95 + d})
                QVERIFY2(smooth(ProjectedMap::NorthAmerica, 45, lon - e, 45, lon + e),
                         qPrintable(QString::number(lon)));
        }
        // Between whole degrees the world map's markers stand still, the drawing moves.
        QCOMPARE(*LatLonToMapXY(ProjectedMap::World, 34.9, 0), QPoint(1325, 412));
        QVERIFY(mapPointF(ProjectedMap::World, 34.9, 0).y() < 406);
    }
};

QTEST_APPLESS_MAIN(MapProjectionTest)
#include "tst_mapprojection.moc"
