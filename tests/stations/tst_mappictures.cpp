// The bundled map pictures and the markers put on them agree: coastal towns
// projected with the markers' formula fall on land or coast, open sea on water.

#include "core/app/StartupFiles.h"
#include "core/files/AppPaths.h"
#include "core/geo/MapProjection.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

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

class MapPicturesTest : public QObject {
    Q_OBJECT

private slots:
    void sizes_data() {
        QTest::addColumn<QString>("map");
        QTest::addColumn<QSize>("size");
        QTest::newRow("World") << "World Map" << QSize(2800, 1412);
        QTest::newRow("Europe") << "Europe Map" << QSize(1820, 1500);
        QTest::newRow("UK") << "UK Map" << QSize(1100, 1280);
        QTest::newRow("North America") << "North America Map" << QSize(1720, 1290);
        QTest::newRow("Australia") << "Australia Map" << QSize(1510, 1360);
        QTest::newRow("New Zealand") << "New Zealand Map" << QSize(1100, 1520);
        QTest::newRow("Japan") << "Japan Map" << QSize(1130, 1320);
        QTest::newRow("Asia") << "Asia Map" << QSize(1640, 1330);
    }

    void sizes() {
        QFETCH(QString, map);
        QFETCH(QSize, size);
        const QImage picture(picturePath(map));
        QVERIFY2(!picture.isNull(), qPrintable(picturePath(map)));
        QCOMPARE(picture.size(), size);
    }

    // A first start copies the pictures into the data folder, where they make
    // the map list; the note beside them is no map.
    void firstStartInstallsThem() {
        QTemporaryDir home;
        AppPaths paths;
        paths.bundledDataFolder = QStringLiteral(TAVIMO_SOURCE_DATA_DIR);
        paths.dataFolder = home.filePath("tavimo");
        QVERIFY(provisionDataFolder(paths).ok);
        QCOMPARE(buildMapList(paths.data("Maps")),
                 (QStringList{"Asia Map.png", "Australia Map.png", "Europe Map.png",
                              "Japan Map.png", "New Zealand Map.png", "North America Map.png",
                              "UK Map.png", "World Map.png"}));
    }

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
        row("World Map", "Reykjavik", 64.15, -21.94);
        row("World Map", "Perth", -31.95, 115.86);
        row("World Map", "Cape Reinga", -34.43, 172.68);
        row("World Map", "Tokyo", 35.68, 139.69);
        row("World Map", "Miami", 25.76, -80.19);
        row("World Map", "Anchorage", 61.22, -149.9);
        row("World Map", "Provideniya, west of 170 W", 64.42, -173.23);
        row("World Map", "Atlantic", 30.0, -40.0, false);
        row("Europe Map", "Lisbon", 38.72, -9.14);
        row("Europe Map", "Brest", 48.39, -4.49);
        row("Europe Map", "Oslo", 59.91, 10.75);
        row("Europe Map", "Naples", 40.85, 14.27);
        row("Europe Map", "Athens", 37.98, 23.73);
        row("Europe Map", "Gdansk", 54.35, 18.65);
        row("Europe Map", "Bay of Biscay", 45.5, -5.0, false);
        row("UK Map", "Dover", 51.13, 1.31);
        row("UK Map", "Aberdeen", 57.15, -2.09);
        row("UK Map", "Cardiff", 51.48, -3.18);
        row("UK Map", "Belfast", 54.6, -5.93);
        row("UK Map", "Plymouth", 50.37, -4.14);
        row("UK Map", "Dublin", 53.35, -6.26);
        row("UK Map", "North Sea", 55.5, 3.0, false);
        row("North America Map", "Miami", 25.76, -80.19);
        row("North America Map", "New York", 40.71, -74.0);
        row("North America Map", "San Francisco", 37.77, -122.42);
        row("North America Map", "Seattle", 47.61, -122.33);
        row("North America Map", "Galveston", 29.3, -94.8);
        row("North America Map", "Halifax", 44.65, -63.57);
        row("North America Map", "Gulf of Mexico", 25.0, -90.0, false);
        row("Australia Map", "Perth", -31.95, 115.86);
        row("Australia Map", "Sydney", -33.87, 151.21);
        row("Australia Map", "Darwin", -12.46, 130.84);
        row("Australia Map", "Brisbane", -27.47, 153.03);
        row("Australia Map", "Adelaide", -34.93, 138.6);
        row("Australia Map", "Hobart", -42.88, 147.33);
        row("Australia Map", "Great Australian Bight", -36.0, 130.0, false);
        row("New Zealand Map", "Cape Reinga", -34.43, 172.68);
        row("New Zealand Map", "Auckland", -36.85, 174.76);
        row("New Zealand Map", "Wellington", -41.29, 174.78);
        row("New Zealand Map", "Christchurch", -43.53, 172.64);
        row("New Zealand Map", "Dunedin", -45.87, 170.5);
        row("New Zealand Map", "Invercargill", -46.41, 168.35);
        row("New Zealand Map", "Tasman Sea", -40.0, 168.0, false);
        row("Japan Map", "Tokyo", 35.68, 139.69);
        row("Japan Map", "Osaka", 34.69, 135.5);
        row("Japan Map", "Fukuoka", 33.59, 130.4);
        row("Japan Map", "Niigata", 37.92, 139.04);
        row("Japan Map", "Sendai", 38.27, 140.87);
        row("Japan Map", "Sea of Japan", 39.0, 135.0, false);
        row("Asia Map", "Tokyo", 35.68, 139.69);
        row("Asia Map", "Mumbai", 19.08, 72.88);
        row("Asia Map", "Singapore", 1.35, 103.82);
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
};

QTEST_GUILESS_MAIN(MapPicturesTest)
#include "tst_mappictures.moc"
