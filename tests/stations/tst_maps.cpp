#include "core/geo/MapProjection.h"
#include "mapgen/MapPainter.h"
#include "mapgen/TopoJson.h"

#include <QImage>
#include <QTest>

#include <cmath>
#include <limits>

using namespace tavimo;
using namespace tavimo::mapgen;

namespace {

QString picturePath(const QString &map) {
    return QStringLiteral(TAVIMO_SOURCE_DATA_DIR "/Maps/") + map + QStringLiteral(".png");
}

// The pictures paint water cool (more blue than red) and land and its lines warm.
bool isLandOrCoast(QRgb pixel) {
    return qRed(pixel) > qBlue(pixel) + 10;
}

bool landWithin(const QImage &picture, QPoint at, int radius) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p = at + QPoint(dx, dy);
            if (dx * dx + dy * dy <= radius * radius && picture.valid(p) &&
                isLandOrCoast(picture.pixel(p)))
                return true;
        }
    }
    return false;
}

} // namespace

// Where a position lands on each map picture, the bundled pictures that agree with it, and the
// generator that paints them.
class MapsTest : public QObject {
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

    void sizes() {
        const QList<std::pair<const char *, QSize>> maps{
            {"World Map", {2800, 1412}},     {"Europe Map", {1820, 1500}},
            {"UK Map", {1100, 1280}},        {"North America Map", {1720, 1290}},
            {"Australia Map", {1510, 1360}}, {"New Zealand Map", {1100, 1520}},
            {"Japan Map", {1130, 1320}},     {"Asia Map", {1640, 1330}}};
        for (const auto &[map, size] : maps)
            QCOMPARE(QImage(picturePath(map)).size(), size);
    }

    // Coastal towns projected with the markers' formula fall on land or coast, open sea on water.
    void placesAgree_data() {
        QTest::addColumn<QString>("map");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<bool>("land"); // false: open sea

        const auto row = [](const char *map, const char *place, double lat, double lon,
                            bool land = true) {
            QTest::addRow("%s %s", map, place) << QString::fromLatin1(map) << lat << lon << land;
        };
        row("World Map", "Lisbon", 38.72, -9.14);
        row("World Map", "Perth", -31.95, 115.86);
        row("World Map", "Anchorage", 61.22, -149.9);
        row("World Map", "Provideniya, west of 170 W", 64.42, -173.23);
        row("World Map", "Atlantic", 30.0, -40.0, false);
        row("Europe Map", "Lisbon", 38.72, -9.14);
        row("Europe Map", "Oslo", 59.91, 10.75);
        row("Europe Map", "Athens", 37.98, 23.73);
        row("Europe Map", "Bay of Biscay", 45.5, -5.0, false);
        row("UK Map", "Dover", 51.13, 1.31);
        row("UK Map", "Aberdeen", 57.15, -2.09);
        row("UK Map", "Belfast", 54.6, -5.93);
        row("UK Map", "Dublin", 53.35, -6.26);
        row("UK Map", "North Sea", 55.5, 3.0, false);
        row("North America Map", "Seattle", 47.61, -122.33);
        row("North America Map", "Galveston", 29.3, -94.8);
        row("North America Map", "Halifax", 44.65, -63.57);
        row("North America Map", "Gulf of Mexico", 25.0, -90.0, false);
        row("Australia Map", "Perth", -31.95, 115.86);
        row("Australia Map", "Darwin", -12.46, 130.84);
        row("Australia Map", "Hobart", -42.88, 147.33);
        row("Australia Map", "Great Australian Bight", -36.0, 130.0, false);
        row("New Zealand Map", "Cape Reinga", -34.43, 172.68);
        row("New Zealand Map", "Wellington", -41.29, 174.78);
        row("New Zealand Map", "Invercargill", -46.41, 168.35);
        row("New Zealand Map", "Tasman Sea", -40.0, 168.0, false);
        row("Japan Map", "Tokyo", 35.68, 139.69);
        row("Japan Map", "Fukuoka", 33.59, 130.4);
        row("Japan Map", "Sendai", 38.27, 140.87);
        row("Japan Map", "Sea of Japan", 39.0, 135.0, false);
        row("Asia Map", "Hong Kong", 22.3, 114.17);
        row("Asia Map", "Karachi", 24.86, 67.0);
        row("Asia Map", "Jakarta", -6.2, 106.8);
        row("Asia Map", "Bay of Bengal", 15.0, 88.0, false);
    }

    void placesAgree() {
        QFETCH(QString, map);
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(bool, land);
        const QImage picture = QImage(picturePath(map)).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!picture.isNull());
        const std::optional<QPoint> at = LatLonToMapXY(map, lat, lon);
        QVERIFY(at && picture.valid(*at));
        if (land)
            QVERIFY2(landWithin(picture, *at, 6),
                     qPrintable(QStringLiteral("%1,%2").arg(at->x()).arg(at->y())));
        else
            QVERIFY(!landWithin(picture, *at, 6));
    }

    // The map generator's TopoJSON reader and painter on a hand-made topology.
    void readsAndPaints() {
        // Two countries side by side, 0..10 and 10..20 E by 40..60 N, quantized to whole degrees
        // with deltas; arc 1 is their border, walked backwards by the second country.
        const QByteArray json = R"({"type": "Topology",
            "transform": {"scale": [1, 1], "translate": [0, 40]},
            "arcs": [[[10, 0], [-10, 0], [0, 20], [10, 0]],
                     [[10, 20], [0, -20]],
                     [[10, 20], [10, 0], [0, -20], [-10, 0]]],
            "objects": {
              "countries": {"type": "GeometryCollection", "geometries": [
                {"type": "Polygon", "arcs": [[0, 1]]},
                {"type": "MultiPolygon", "arcs": [[[2, -2]]]}]},
              "land": {"type": "GeometryCollection", "geometries": [
                {"type": "Polygon", "arcs": [[0, 2]]}]}}})";
        QString error;
        const std::optional<Topology> world = readTopology(json, &error);
        QVERIFY2(world, qPrintable(error));
        QVERIFY(!readTopology(R"({"type": "Topology", "arcs": [],
            "objects": {"x": {"type": "Polygon", "arcs": [[3]]}}})",
                              &error));
        QVERIFY(error.contains("arc"));

        const QImage picture = toPalette(paintMap(mapSheets().at(1), *world)); // Europe
        QCOMPARE(picture.size(), QSize(1820, 1500));
        QCOMPARE(picture.format(), QImage::Format_Indexed8);
        const MapColours colours;
        QCOMPARE(picture.pixel(*LatLonToMapXY(ProjectedMap::Europe, 50.5, 5.5)),
                 colours.land.rgb());
        QCOMPARE(picture.pixel(*LatLonToMapXY(ProjectedMap::Europe, 45.5, -5.5)),
                 colours.sea.rgb());
    }
};

QTEST_GUILESS_MAIN(MapsTest)
#include "tst_maps.moc"
