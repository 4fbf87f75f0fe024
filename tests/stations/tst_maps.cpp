#include "StationsHarness.h"

#include "core/app/StartupFiles.h"
#include "core/geo/Geodesy.h"
#include "core/geo/MapProjection.h"
#include "core/thumbs/PictureTrailer.h"
#include "mapgen/MapPainter.h"
#include "mapgen/TopoJson.h"
#include "stations/MapCanvas.h"
#include "stations/MapView.h"
#include "stations/MapWindowParts.h"
#include "stations/PageMapPlan.h"
#include "stations/PageMapWindow.h"
#include "stations/SiteMapWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

#include <cmath>
#include <limits>

using namespace tavimo;
using namespace tavimo::mapgen;
using Kind = MapCanvas::Stroke::Kind;

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

struct Place {
    const char *call;
    double lat, lon;
};
constexpr Place kBerlin{"DL0ABC", 52.52, 13.40};
constexpr Place kLisbon{"CT1ABC", 38.72, -9.14};
constexpr Place kTokyo{"JA1ABC", 35.68, 139.69};
constexpr Place kFrankfurt{"", 50.11, 8.68}; // home
const QSize kEurope(1820, 1500);
const QString kMe = QStringLiteral("From: DL0XYZ");

SiteRecord siteAt(const Place &p) {
    SiteRecord r;
    r.Callsign = QString::fromLatin1(p.call);
    r.Latitude = p.lat;
    r.Longitude = p.lon;
    return r;
}

// A page whose slots show the given site callsigns; `senders` are the main
// window's sender labels of the same slots.
struct Page {
    Config config;
    SlotTable table;
    SiteList sites{siteAt(kBerlin), siteAt(kLisbon), siteAt(kTokyo)};
    LanguageTexts texts;
    QStringList senders;

    Page(const Place &home, const QStringList &calls, const QStringList &fromCaptions)
        : senders(fromCaptions) {
        config.MyCall = QStringLiteral("DL0XYZ");
        config.MyLat = home.lat;
        config.MyLon = home.lon;
        texts.LngFromPrefix = QStringLiteral("From: ");
        texts.LngKm = QStringLiteral("km");
        texts.LngMe = QStringLiteral("Me");
        for (int i = 0; i < calls.size(); ++i)
            table.setValue(i, stSiteCall, calls.at(i));
    }

    PageMapPlan plan(const QString &zeroChar = QStringLiteral("0")) const {
        return planPageMap(
            {config, table, sites, texts, zeroChar, 10, senders, "Europe Map", kEurope});
    }
};

QString distanceText(const Place &from, const Place &to) {
    return defaultNumberText(DistanceAndAzimuth(from.lat, from.lon, to.lat, to.lon, 0).Distance);
}

// Three of the bundled map pictures in the data folder; the own station in Frankfurt.
struct MapWorld : test::StationsHarness {
    MapWorld() {
        QDir().mkpath(state.paths.data("Maps"));
        for (const QString map : {"Europe Map", "World Map", "Japan Map"})
            QFile::copy(picturePath(map), state.paths.data("Maps/" + map + ".png"));
        state.lstMap = buildMapList(state.paths.data("Maps"));
        state.texts.LngMe = "Me";
        state.texts.LngKm = "km";
        state.texts.LngMiles = "miles";
        state.texts.LngFromPrefix = "From: ";
        state.config.MyLat = kFrankfurt.lat;
        state.config.MyLon = kFrankfurt.lon;
    }
    int mapIndex(const QString &picture) const { return int(state.lstMap.indexOf(picture)); }
};

int countStrokes(const MapCanvas &canvas, Kind kind, const QColor &colour, qreal radius = 0) {
    int n = 0;
    for (const MapCanvas::Stroke &s : canvas.strokes())
        n += s.kind == kind && s.colour == colour && s.radius == radius;
    return n;
}

} // namespace

// Where a position lands on each map picture, the bundled pictures that agree with it and the
// generator that paints them; the page map (every slot whose picture the own station sent) and
// the map of one site.
class MapsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MapWorld> f;

    SiteMapWindow *open(const QString &picture, double lat, double lon, const QString &call) {
        return openSiteMapWindow(f->state, f->windows,
                                 SiteMapRequest{f->mapIndex(picture), {lat, lon}, call});
    }

private slots:
    void init() { f = std::make_unique<MapWorld>(); }
    void cleanup() {
        f.reset();
        QLocale::setDefault(QLocale::c());
    }

    // ---- Projection and pictures ------------------------------------------------------

    // pixel: where the marker goes, "" for nowhere.
    void projects_data() {
        QTest::addColumn<QString>("map");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<QString>("pixel");
        const auto row = [](const char *name, const char *map, double lat, double lon,
                            const char *pixel) {
            QTest::newRow(name) << QString(map) << lat << lon << QString(pixel);
        };
        // The fitted formulas' own values.
        row("Europe", "Europe Map", 50.0, 10.0, "587,755");
        row("UK", "UK Map", 51.5, -0.1, "806,945");
        row("Asia north", "Asia Map", 35.7, 139.7, "1498,417");
        row("Japan", "Japan Map", 35.7, 139.7, "658,690");
        row("Australia", "Australia Map", -33.9, 151.2, "1213,916");
        row("New Zealand", "New Zealand Map", -41.3, 174.8, "673,764");
        row("World far west", "World Map", 64.0, -175.0, "2421,162");
        // Longitudes west of 170 W are drawn east of 180.
        row("World 185 E", "World Map", 64.0, 185.0, "2421,162");
        // The correction's distance is rounded halves to even: 9.5 -> 10 (C 3),
        // 8.5 -> 8 (C 0); from 36 on it is the distance itself.
        row("NA -104.5", "North America Map", 40.0, -104.5, "482,459");
        row("NA -103.5", "North America Map", 40.0, -103.5, "501,464");
        row("NA -131", "North America Map", 40.0, -131.0, "9,314");
        row("Asia equator", "Asia Map", 0.0, 100.0, "953,932");
        // Whole degrees move the point, the fraction does not; +-34 mirror at 706.
        row("World 34 N", "World Map", 34.0, 0.0, "1325,412");
        row("World 34 S", "World Map", -34.0, 0.0, "1325,1000");
        // Rounds up to row 1 in single precision; the fraction comes from 4 degrees.
        row("World 4.9999999", "World Map", 4.9999999, 0.0, "1322,628");
        // At and beyond the poles: the pole's row, never a row past the table.
        row("World 90", "World Map", 90.0, 10.0, "1398,8");
        row("World -90", "World Map", -90.0, 10.0, "1398,1404");
        row("World 95", "World Map", 95.0, 10.0, "1398,8");
        // The name must match exactly, and the position be a number.
        row("case differs", "europe Map", 50.0, 10.0, "");
        row("with extension", "Europe Map.png", 50.0, 10.0, "");
        row("other map", "Mars Map", 50.0, 10.0, "");
        row("NaN latitude", "World Map", std::numeric_limits<double>::quiet_NaN(), 10.0, "");
        row("infinite longitude", "Europe Map", 50.0, std::numeric_limits<double>::infinity(), "");
        row("overflowing radius", "UK Map", 1e308, 0.0, "");
    }
    void projects() {
        QFETCH(QString, map);
        QFETCH(double, lat);
        QFETCH(double, lon);
        const std::optional<QPoint> p = LatLonToMapXY(map, lat, lon);
        QTEST(p ? QStringLiteral("%1,%2").arg(p->x()).arg(p->y()) : QString(), "pixel");
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

    // Every bundled picture is as large as the generator paints it.
    void sizes() {
        for (const MapSheet &sheet : mapSheets())
            QCOMPARE(QImage(picturePath(mapName(sheet.map))).size(), sheet.size);
        QCOMPARE(mapSheets().size(), 8);
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
        row("World Map", "Perth", -31.95, 115.86);
        row("World Map", "Provideniya, west of 170 W", 64.42, -173.23);
        row("World Map", "Atlantic", 30.0, -40.0, false);
        row("Europe Map", "Lisbon", 38.72, -9.14);
        row("Europe Map", "Athens", 37.98, 23.73);
        row("Europe Map", "Bay of Biscay", 45.5, -5.0, false);
        row("UK Map", "Dover", 51.13, 1.31);
        row("UK Map", "Aberdeen", 57.15, -2.09);
        row("UK Map", "North Sea", 55.5, 3.0, false);
        row("North America Map", "Seattle", 47.61, -122.33);
        row("North America Map", "Halifax", 44.65, -63.57);
        row("North America Map", "Gulf of Mexico", 25.0, -90.0, false);
        row("Australia Map", "Perth", -31.95, 115.86);
        row("Australia Map", "Hobart", -42.88, 147.33);
        row("Australia Map", "Great Australian Bight", -36.0, 130.0, false);
        row("New Zealand Map", "Cape Reinga", -34.43, 172.68);
        row("New Zealand Map", "Invercargill", -46.41, 168.35);
        row("New Zealand Map", "Tasman Sea", -40.0, 168.0, false);
        row("Japan Map", "Fukuoka", 33.59, 130.4);
        row("Japan Map", "Sendai", 38.27, 140.87);
        row("Japan Map", "Sea of Japan", 39.0, 135.0, false);
        row("Asia Map", "Hong Kong", 22.3, 114.17);
        row("Asia Map", "Karachi", 24.86, 67.0);
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
        // Its drawing variant agrees with the markers where their steps are flat.
        for (ProjectedMap map : kProjectedMaps) {
            const QPointF offset = mapPointF(map, 40, 20) - QPointF(*LatLonToMapXY(map, 40, 20));
            QVERIFY2(std::abs(offset.x()) <= 0.5 && std::abs(offset.y()) <= 0.5,
                     qPrintable(mapName(map)));
        }
    }

    // ---- The page map's plan ----------------------------------------------------------

    void geometryCases() {
        const Page page(kFrankfurt, {"DL0ABC", "JA1ABC"}, {kMe, kMe});
        const PageMapPlan plan = page.plan();
        const QPoint home = *LatLonToMapXY("Europe Map", kFrankfurt.lat, kFrankfurt.lon);
        QCOMPARE(plan.home, std::optional<QPoint>(home));
        QVERIFY(plan.homeMark);
        QCOMPARE(plan.rows.size(), 2);

        // Both on the picture: a line between them, the callsign alone.
        const PageMapRow &both = plan.rows.at(0);
        QCOMPARE(both.kind, PageMapCase::Both);
        QCOMPARE(both.label, QStringLiteral(" DL0ABC "));
        QCOMPARE(both.line, std::optional<QLineF>(QLineF(home, both.site)));
        QVERIFY(both.siteMark);
        QCOMPARE(both.distance, distanceText(kFrankfurt, kBerlin));

        // The site east of the picture: 100 pixels from home towards it.
        const PageMapRow &bearing = plan.rows.at(1);
        QCOMPARE(bearing.kind, PageMapCase::Bearing);
        QVERIFY(!bearing.siteMark);
        QCOMPARE(bearing.line->p1(), QPointF(home));
        QVERIFY(qAbs(bearing.line->length() - 100) < 1e-9);
        QCOMPARE(bearing.label, " ToJA1ABC  " + distanceText(kFrankfurt, kTokyo) + " km  " +
                                    bearing.azimuth + "\u00B0 ");
        // The line rises, so its label stands above the end.
        const QPoint at = callLabelTopLeft(bearing, plan, QSize(80, 16));
        QCOMPARE(at, QPoint(int(bearing.line->p2().x() - 40), int(bearing.line->p2().y() - 18)));

        // Home off the picture (Tokyo), site on it: the line points home.
        Page far(kTokyo, {"DL0ABC"}, {kMe});
        const PageMapPlan fromMe = far.plan();
        QVERIFY(!fromMe.homeMark);
        const PageMapRow &row = fromMe.rows.at(0);
        QCOMPARE(row.kind, PageMapCase::FromMe);
        QCOMPARE(row.line->p1(), QPointF(row.site));
        QVERIFY(row.label.startsWith(" DL0ABC  ") &&
                row.label.endsWith(" km  " + row.azimuth + "\u00B0 "));
        QCOMPARE(callLabelTopLeft(row, fromMe, QSize(80, 16)), row.site - QPoint(80 + 6, 8));

        // Home not set: the site alone, with nothing to point from when it lies off the picture.
        const Page nowhere(Place{"", 0, 0}, {"DL0ABC", "JA1ABC"}, {kMe, kMe});
        const PageMapPlan alone = nowhere.plan();
        QVERIFY(!alone.home && !alone.homeMark);
        QCOMPARE(alone.rows.size(), 1);
        const PageMapRow &site = alone.rows.first();
        QCOMPARE(site.kind, PageMapCase::NoHome);
        QVERIFY(site.siteMark && !site.line);
        QCOMPARE(site.label, QStringLiteral(" DL0ABC "));
        QCOMPARE(pageMapInfoText(site, "OK", "10/14/2009 12:34", "km"),
                 QStringLiteral(" OK  \n 10/14/2009 12:34 UTC "));
    }

    void rowsSkippedAndKept_data() {
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("senders");
        QTest::addColumn<QString>("myCall");
        QTest::addColumn<QString>("zeroChar");
        QTest::addColumn<QList<int>>("rows");
        const auto row = [](const char *name, const QStringList &calls, const QStringList &senders,
                            const char *myCall, const QString &zeroChar, const QList<int> &rows) {
            QTest::newRow(name) << calls << senders << QString(myCall) << zeroChar << rows;
        };
        row("other senders passed over", {"DL0ABC", "CT1ABC", "JA1ABC"},
            {"From: G4ABC", kMe, "From: DL0XY"}, "DL0XYZ", "0", {1});
        row("a row without position does not end the page", {"K1NOWHERE", "", "TX1", "CT1ABC"},
            {kMe, kMe, kMe, kMe}, "DL0XYZ", "0", {3});
        row("own call as shown, any case", {"DL\u00D8ABC"}, {"From: dl\u00D8xyz"}, "DL0XYZ",
            "\u00D8", {0});
        row("no own call matches nothing", {"DL0ABC"}, {QString()}, "", "0", {});
        row("no sender is not the own call", {"DL0ABC"}, {QString()}, "DL0XYZ", "0", {});
    }
    void rowsSkippedAndKept() {
        QFETCH(QStringList, calls);
        QFETCH(QStringList, senders);
        QFETCH(QString, myCall);
        QFETCH(QString, zeroChar);
        Page page(kFrankfurt, calls, senders);
        page.config.MyCall = myCall;
        QList<int> drawn;
        for (const PageMapRow &row : page.plan(zeroChar).rows)
            drawn.append(row.row);
        QTEST(drawn, "rows");
    }

    // A site whose position is not known (0, 0) gets no mark, line or label, whatever the map
    // and wherever home is; of two sites with one callsign the first is the one drawn.
    void unknownPositionIsNotDrawn() {
        for (const Place &home : {kFrankfurt, kTokyo, Place{"", 0, 0}}) {
            Page page(home, {"K1NULL", "CT1ABC"}, {kMe, kMe});
            page.sites.prepend(siteAt(Place{"K1NULL", 0, 0}));
            page.sites.append(siteAt(Place{"CT1ABC", kTokyo.lat, kTokyo.lon}));
            for (const char *map : {"Europe Map", "World Map"}) {
                const PageMapPlan plan =
                    planPageMap({page.config, page.table, page.sites, page.texts, "0", 10,
                                 page.senders, map, QSize(2800, 1412)});
                QCOMPARE(plan.rows.size(), 1);
                QCOMPARE(plan.rows.first().row, 1);
                QCOMPARE(plan.rows.first().site, *LatLonToMapXY(map, kLisbon.lat, kLisbon.lon));
            }
        }
    }

    // Where the view of a picture may stand: a saved corner kept within the limits, a picture
    // smaller than the window centred, a drag that would show an edge refused, a place centred.
    void pureViewRules() {
        QCOMPARE(restoredCorner(-50, 600, 1500).corner, -50);
        QCOMPARE(restoredCorner(-901, 600, 1500).saved, 0);
        QCOMPARE(restoredCorner(-50, 1600, 1500).corner, 50); // fits: centred
        QCOMPARE(restoredCorner(-50, 1600, 1500).saved, -50);
        QCOMPARE(dragged(-10, 100, 90, 600, 1500), std::optional<int>(0));
        QCOMPARE(dragged(-10, 100, 80, 600, 1500), std::nullopt);
        QCOMPARE(dragged(-880, 100, 130, 600, 1500), std::nullopt); // -910 shows the edge
        QCOMPARE(centredOn(QPoint(100, 1450), QSize(800, 600), QSize(1820, 1500)),
                 QPoint(0, 600 - 1500 - 25));
        QCOMPARE(centredOn(QPoint(1800, 700), QSize(800, 1600), QSize(1820, 1500)),
                 QPoint(800 - 1820, 50));
    }

    // ---- The page map window ----------------------------------------------------------

    void drawsAndRestoresTheView() {
        AppState &s = f->state;
        s.config.MyCall = "DL0XYZ";
        s.config.MapIndex = std::int16_t(f->mapIndex("Europe Map.png"));
        s.config.ScrollX = 5;    // beyond the limits: back to 0
        s.config.ScrollY = -300; // within them: kept
        s.SiteList = {siteAt(kBerlin), siteAt(kTokyo), siteAt(kLisbon)};
        s.page.SlotCount = 10;
        s.page.SlotTable.setValue(2, stSiteCall, "DL0ABC");
        s.page.SlotTable.setValue(2, stInfo, "OK");
        s.page.SlotTable.setValue(2, stTime, "10/14/2009 12:34");
        f->main.fromCaptions = QStringList(10, QString());
        f->main.fromCaptions[2] = kMe;

        PageMapWindow *w = openPageMapWindow(s, f->windows);
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Tavimo    Europe Map"));
        QCOMPARE(w->picInner()->pos(), QPoint(0, -300));
        QCOMPARE(s.config.ScrollX, 0);
        QVERIFY(w->lblCall(2) && w->lblCall(2)->isVisible());
        QCOMPARE(w->lblCall(2)->text(), QStringLiteral(" DL0ABC "));
        QCOMPARE(w->lblMe()->text(), QStringLiteral(" Me "));
        QVERIFY(!w->lblCall(0));

        // Hovering the label: status, distance, unit, azimuth and time; the
        // slot table's other columns are left alone.
        w->lblCall_MouseMove(2);
        const PageMapRow &row = w->plan().rows.first();
        QCOMPARE(w->lblInfo()->text(),
                 " OK  " + row.distance + " km " + row.azimuth + "\u00B0 \n 10/14/2009 12:34 UTC ");
        QVERIFY(w->lblInfo()->isVisible());
        for (int column : {stGalFrom, stGalInfo, stGalTime})
            QCOMPARE(s.page.SlotTable.value(2, column), QString());

        // Pressing hides the label until the button comes up.
        w->lblCall_MouseDown(2);
        QVERIFY(!w->lblCall(2)->isVisible() && !w->shpCall(2)->isVisible());
        w->lblCall_MouseUp(2);
        QVERIFY(w->lblCall(2)->isVisible());

        // Dragging: the first move takes the reference; a drag that would show
        // an edge does nothing.
        w->picInner_MouseMove(Qt::LeftButton, QPoint(400, 400));
        w->picInner_MouseMove(Qt::LeftButton, QPoint(380, 350));
        QCOMPARE(w->picInner()->pos(), QPoint(-20, -350));
        QCOMPARE(s.config.ScrollY, -350);
        w->picInner_MouseMove(Qt::LeftButton, QPoint(9000, 400));
        QCOMPARE(w->picInner()->x(), -20);
        QVERIFY(!w->lblInfo()->isVisible());

        // A pass brings slot 1 a picture whose trailer names the own callsign: at its end that
        // site is drawn too, in the same view. Without an own callsign a pass changes nothing.
        s.page.SlotTable.setValue(1, stSiteCall, "CT1ABC");
        f->main.fromCaptions[1] =
            senderCaption(parseTrailerText("DL0XYZ*OK*10/14/09 12:34:56"), TrailerReader::Slot,
                          s.texts.LngFromPrefix, s.ZeroChar);
        s.events.passFinished();
        QCOMPARE(w->plan().rows.size(), 2);
        QCOMPARE(w->lblCall(1)->text(), QStringLiteral(" CT1ABC "));
        QCOMPARE(w->picInner()->pos(), QPoint(-20, -350));
        s.config.MyCall.clear();
        f->main.fromCaptions[1].clear();
        s.events.passFinished();
        QCOMPARE(w->plan().rows.size(), 2);

        // Escape closes; the view is kept for the next opening.
        QPointer<PageMapWindow> guard(w);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(w, &escape);
        QTRY_VERIFY(!guard);
        QCOMPARE(QPoint(s.config.ScrollX, s.config.ScrollY), QPoint(-20, -350));
        QCOMPARE(f->main.count("activate"), 1);
        QVERIFY(!f->main.calls.contains("disable") && !f->main.calls.contains("enable"));
    }

    // ---- The site map window ----------------------------------------------------------

    void ringCase_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("label"); // thousands grouped as the locale groups them
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                                 << QStringLiteral("CT1ABC\n  Dx 1,892 km  Az 234\u00B0 ");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany)
                                << QStringLiteral("CT1ABC\n  Dx 1.892 km  Az 234\u00B0 ");
    }
    void ringCase() {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        SiteMapWindow *w = open("Europe Map.png", kLisbon.lat, kLisbon.lon, "CT1ABC");
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Map   Europe Map"));

        QTEST(w->lblCall()->text(), "label");
        const QPoint site = *LatLonToMapXY("Europe Map", kLisbon.lat, kLisbon.lon);
        const MapCanvas &canvas = *w->picInner();
        QCOMPARE(countStrokes(canvas, Kind::Circle, Qt::black, 4), 1);
        QCOMPARE(countStrokes(canvas, Kind::Circle, Qt::black, 25), 1);
        QCOMPARE(canvas.strokes().first().from, QPointF(site));
        const QLabel *label = w->lblCall();
        QCOMPARE(label->pos(),
                 QPoint(int(site.x() - label->width() / 2.0), site.y() - label->height() - 25));

        // The own mark and its label.
        QCOMPARE(countStrokes(canvas, Kind::Dot, QColor(0, 0, 255)), 1);
        QCOMPARE(w->lblMe()->text(), QStringLiteral("Me"));
        QVERIFY(w->lblMe()->isVisible());

        // The view is centred on the site, as far as the picture reaches.
        QVERIFY(w->HScrollNeeded() && w->VScrollNeeded());
        const QSize view = w->picOuter()->size();
        QCOMPARE(w->picInner()->pos(),
                 QPoint(std::clamp(view.width() / 2 - site.x(), view.width() - 1820, 0),
                        std::clamp(view.height() / 2 - site.y(), view.height() - 1500, 0)));
        QVERIFY(!f->main.calls.contains("disable") && !f->main.calls.contains("enable"));
    }

    void bearingCase() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        SiteMapWindow *w = open("Europe Map.png", kTokyo.lat, kTokyo.lon, "JA1ABC");
        QVERIFY(w);
        QCOMPARE(w->lblCall()->text(), QStringLiteral(" To JA1ABC  Dx 9,347 km  Az 38\u00B0 "));

        const QPoint home = *LatLonToMapXY("Europe Map", kFrankfurt.lat, kFrankfurt.lon);
        const MapCanvas &canvas = *w->picInner();
        QCOMPARE(countStrokes(canvas, Kind::Circle, Qt::black, 25), 0);
        const MapCanvas::Stroke line = canvas.strokes().first();
        QCOMPARE(line.kind, Kind::Line);
        QCOMPARE(line.from, QPointF(home));
        QVERIFY(std::abs(QLineF(line.from, line.to).length() - 100) < 1e-9);
        const double az =
            DistanceAndAzimuth(kFrankfurt.lat, kFrankfurt.lon, kTokyo.lat, kTokyo.lon, 0).Azimuth;
        QVERIFY(std::abs(QLineF(line.from, line.to).angle() - std::fmod(450 - az, 360)) < 0.01);
        const QLabel *label = w->lblCall();
        QCOMPARE(label->pos(), QPoint(int(line.to.x() - label->width() / 2.0),
                                      int(line.to.y() - label->height() - 2)));

        // Centred on the own position.
        const QSize view = w->picOuter()->size();
        QCOMPARE(w->picInner()->pos(),
                 QPoint(view.width() / 2 - home.x(), view.height() / 2 - home.y()));
    }

    // Near the bottom the view stops 25 pixels short; hover panning moves
    // against the pointer from where it entered and stops at the edges.
    void viewClamps() {
        SiteMapWindow *w = open("Europe Map.png", 30.04, 31.24, "SU1ABC"); // Cairo
        QVERIFY(w);
        const QSize view = w->picOuter()->size();
        QCOMPARE(w->picInner()->y(), view.height() - 1500 - 25);

        w->picInner_Enter(QPointF(400, 300));
        QCOMPARE(w->panReference(), QPointF(400, 300));
        const int x = w->picInner()->x();
        w->picInner_MouseMove(QPointF(390, 300));
        QCOMPARE(w->picInner()->x(), x + int(std::nearbyint(10.0 * 1820 / view.width())));
        w->picInner_MouseMove(QPointF(390, -9000));
        QCOMPARE(w->picInner()->y(), 0);
        w->picInner_MouseMove(QPointF(9000, 9000));
        QCOMPARE(w->picInner()->pos(), QPoint(view.width() - 1820, view.height() - 1500));
        w->picInner_MouseMove(QPointF(-9000, 9000));
        QCOMPARE(w->picInner()->x(), 0);

        // A window larger than its picture keeps the picture in the middle.
        w->mnuMap_Click(f->mapIndex("Japan Map.png") + 1);
        w->resize(1400, 1500);
        QCOMPARE(w->picInner()->pos(), QPoint((1400 - 1130) / 2, (1500 - 1320) / 2));
    }

    void switchingMapsKeepsTheSite() {
        SiteMapWindow *w = open("Europe Map.png", kTokyo.lat, kTokyo.lon, "JA1ABC");
        QVERIFY(w);
        w->mnuMap_Click(f->mapIndex("World Map.png") + 1);
        QCOMPARE(w->windowTitle(), QStringLiteral("Map   World Map"));
        QCOMPARE(w->picInner()->size(), QSize(2800, 1412));
        QCOMPARE(f->state.config.MapIndex, f->mapIndex("World Map.png"));
        QVERIFY(w->lblCall()->text().startsWith("JA1ABC\n  Dx "));
        QCOMPARE(w->picInner()->strokes().first().from,
                 QPointF(*LatLonToMapXY("World Map", kTokyo.lat, kTokyo.lon)));

        // "GUI" brings the main window forward; a map that cannot be read changes nothing.
        w->mnuMap_Click(0);
        QCOMPARE(f->main.count("activate"), 1);
        f->state.lstMap.append("Ghost Map.png");
        w->mnuMap_Click(int(f->state.lstMap.size()));
        QCOMPARE(f->prompts.calls.size(), 1);
        QVERIFY(f->prompts.calls.first().text.contains("Maps/Ghost Map.png"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Map   World Map"));

        // Another slot's "Map location" reuses the window.
        QCOMPARE(open("Japan Map.png", 35.0, 135.0, "JA3XYZ"), w);
        QCOMPARE(w->lblCall()->text().section('\n', 0, 0), QStringLiteral("JA3XYZ"));
        QCOMPARE(f->windows.IsFormLoaded("SiteMapWindow"), 1);

        // A left click anywhere closes it.
        QPointer<SiteMapWindow> guard(w);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->picInner(), &press);
        QTRY_VERIFY(!guard);
        QVERIFY(!f->main.calls.contains("disable") && !f->main.calls.contains("enable"));

        // Asked for a picture that cannot be read, it opens nothing and says which.
        QCOMPARE(open("Ghost Map.png", kLisbon.lat, kLisbon.lon, "CT1ABC"), nullptr);
        QCOMPARE(f->prompts.texts().size(), 2);
        QVERIFY(f->prompts.texts().last().contains("Maps/Ghost Map.png"));
        QCOMPARE(f->windows.IsFormLoaded(QString()), 0);
    }

    // The right-click menu: "GUI", then every map picture, the one shown checked.
    void mapMenu() {
        QMenu menu;
        fillMapMenu(menu, "GUI", {"A Map.png", "B Map.png", "C Map.png"}, 1);
        QStringList items;
        for (const QAction *item : menu.actions())
            items << item->text() + u' ' + item->data().toString() +
                         (item->isChecked() ? " *" : "");
        QCOMPARE(items, (QStringList{"GUI 0", "A Map.png 1", "B Map.png 2 *", "C Map.png 3"}));
    }

    // Without an own position no mark is drawn; one beyond the pole is pulled back to 89.
    void ownPosition() {
        f->state.config.MyLat = 0;
        f->state.config.MyLon = 0;
        SiteMapWindow *w = open("Europe Map.png", kLisbon.lat, kLisbon.lon, "CT1ABC");
        QVERIFY(w);
        QCOMPARE(w->lblCall()->text(), QStringLiteral("CT1ABC"));
        QVERIFY(!w->lblMe()->isVisible() && !w->Shape1()->isVisible());
        QCOMPARE(countStrokes(*w->picInner(), Kind::Dot, QColor(0, 0, 255)), 0);
        f->state.config.MyLat = 90.5;
        QVERIFY(open("World Map.png", 10, 10, "X"));
        QCOMPARE(f->state.config.MyLat, 89.0);
    }
};

QTEST_MAIN(MapsTest)
#include "tst_maps.moc"
