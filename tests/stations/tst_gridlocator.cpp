#include "core/geo/CoordinateText.h"
#include "core/geo/GridLocator.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace tavimo;

class TestGridLocator : public QObject {
    Q_OBJECT

private slots:
    void toGrid_data() {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<QString>("grid");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("origin") << 0.0 << 0.0 << "JJ00aa";
        QTest::newRow("cell centre") << 42.0208 << -71.9583 << "FN42aa";
        QTest::newRow("Montevideo") << -34.9 << -56.2 << "GF15vc";
        QTest::newRow("Berlin") << 52.5 << 13.4 << "JO62qm";
        QTest::newRow("London") << 51.5 << -0.12 << "IO91wm";
        QTest::newRow("Sydney") << -33.87 << 151.21 << "QF56od";
        QTest::newRow("just south-west of 0, 0") << -0.5 << -0.5 << "II99sm";
        QTest::newRow("corner of four cells") << 42.0 << -72.0 << "FN42aa";
        QTest::newRow("edge belongs north-east") << -30.0 << 30.0 << "KG50aa";
        QTest::newRow("just inside, negative") << -9.49 << -9.49 << "II50gm";
        QTest::newRow("just over, negative") << -9.51 << -9.51 << "II50fl";
        QTest::newRow("south-west corner") << -90.0 << -180.0 << "AA00aa";
        QTest::newRow("near the north-east corner") << 89.99 << 179.99 << "RR99xx";
        QTest::newRow("north-east corner stays on the grid") << 90.0 << 180.0 << "RR99xx";
        QTest::newRow("north pole") << 90.0 << 0.0 << "JR09ax";
        QTest::newRow("date line") << 0.0 << 180.0 << "RJ90xa";
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
        QTest::newRow("blanks around") << " GF15vc " << true << -34.895833 << -56.208333;
        QTest::newRow("last locator in the text") << "Grid IO91wm" << true << 51.520833 << -0.125;
        QTest::newRow("the later of two") << "JJ00aa or IO91wm" << true << 51.520833 << -0.125;
        QTest::newRow("minus kept near zero") << "II99xx" << true << -0.020833 << -0.041667;
        QTest::newRow("four-character square") << "FN42" << true << 42.5 << -71.0;
        QTest::newRow("square before markup") << "FN42</" << true << 42.5 << -71.0;
        QTest::newRow("eight characters") << "JO62qm45" << true << 52.520833 << 13.375;
        QTest::newRow("field beyond R") << "SS00aa" << false << 0.0 << 0.0;
        QTest::newRow("subsquare beyond X") << "JO62zz" << false << 0.0 << 0.0;
        QTest::newRow("glued to a word") << "ABJO62qm" << false << 0.0 << 0.0;
        QTest::newRow("empty") << "" << false << 0.0 << 0.0;
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
        QTest::newRow("north after") << "  42.35 N" << true << 42.35 << 42.35 << 42.35;
        QTest::newRow("south after") << "42.35 S" << true << -42.35 << -42.35 << -42.35;
        QTest::newRow("south before") << "S 33.87" << true << -33.87 << -33.87 << -33.87;
        QTest::newRow("west") << "179.9 W" << false << -179.9 << -179.9 << -179.9;
        QTest::newRow("other axis's letter") << "71.5 W" << true << 71.5 << 71.5 << 71.5;
        QTest::newRow("number then letters") << "12abc" << true << 12.0 << 12.0 << 12.0;
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
};

QTEST_GUILESS_MAIN(TestGridLocator)
#include "tst_gridlocator.moc"
