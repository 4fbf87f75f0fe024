// The map generator's TopoJSON reader and painter on a hand-made topology.

#include "core/geo/MapProjection.h"
#include "mapgen/MapPainter.h"
#include "mapgen/TopoJson.h"

#include <QTest>

using namespace tavimo;
using namespace tavimo::mapgen;

class MapGenTest : public QObject {
    Q_OBJECT

private slots:
    void readsAndPaints() {
        // Two countries side by side, 0..10 and 10..20 E by 40..60 N, quantized
        // to whole degrees with deltas; arc 1 is their border, walked backwards by
        // the second country.
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
        QCOMPARE(world->arcs.at(0), (QList<QPointF>{{10, 40}, {0, 40}, {0, 60}, {10, 60}}));
        QCOMPARE(ringPoints(*world, {2, ~1}),
                 (QList<QPointF>{{10, 60}, {20, 60}, {20, 40}, {10, 40}, {10, 60}}));
        const ArcRoles roles = arcRoles(world->objects.value("countries"));
        QCOMPARE(roles.borders, QList<int>{1});
        QCOMPARE(roles.coast, (QList<int>{0, 2}));

        QVERIFY(!readTopology(R"({"type": "Topology", "arcs": [],
            "objects": {"x": {"type": "Polygon", "arcs": [[3]]}}})",
                              &error));
        QVERIFY(error.contains("arc"));

        const MapSheet europe = mapSheets().at(1);
        QCOMPARE(europe.fileName(), QStringLiteral("Europe Map.png"));
        const QImage picture = toPalette(paintMap(europe, *world));
        QCOMPARE(picture.size(), QSize(1820, 1500));
        QCOMPARE(picture.format(), QImage::Format_Indexed8);
        const MapColours colours;
        QCOMPARE(picture.pixel(*LatLonToMapXY(ProjectedMap::Europe, 50.5, 5.5)),
                 colours.land.rgb());
        QCOMPARE(picture.pixel(*LatLonToMapXY(ProjectedMap::Europe, 45.5, -5.5)),
                 colours.sea.rgb());
    }
};

QTEST_GUILESS_MAIN(MapGenTest)
#include "tst_mapgen.moc"
