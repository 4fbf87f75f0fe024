#include "MapTestSupport.h"

#include "core/geo/Geodesy.h"
#include "core/geo/MapProjection.h"
#include "stations/MapCanvas.h"
#include "stations/SiteMapWindow.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

#include <cmath>

using namespace tavimo;
using tavimo::test::MapFixture;
using Kind = MapCanvas::Stroke::Kind;

namespace {

constexpr double kHomeLat = 50.11; // Frankfurt
constexpr double kHomeLon = 8.68;

int countStrokes(const MapCanvas &canvas, Kind kind, const QColor &colour, qreal radius = 0) {
    int n = 0;
    for (const MapCanvas::Stroke &s : canvas.strokes())
        n += s.kind == kind && s.colour == colour && s.radius == radius;
    return n;
}

// Distance and azimuth as the label writes them, grouped with `separator`.
QString dxAz(double lat, double lon, QChar separator) {
    const DistanceAzimuth da = DistanceAndAzimuth(kHomeLat, kHomeLon, lat, lon, 0);
    const qint64 d = qint64(std::round(da.Distance));
    const QString grouped = d >= 1000 ? QString::number(d / 1000) + separator +
                                            QStringLiteral("%1").arg(d % 1000, 3, 10, QChar(u'0'))
                                      : QString::number(d);
    return QStringLiteral("Dx ") + grouped + QStringLiteral(" km  Az ") +
           QString::number(da.Azimuth) + QStringLiteral("\u00B0 ");
}

void press(QWidget *target, Qt::MouseButton button) {
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)),
                      button, button, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

class SiteMapWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MapFixture> f;
    WindowRegistry registry;

    SiteMapWindow *open(const QString &picture, double lat, double lon, const QString &call) {
        return openSiteMapWindow(f->state, registry,
                                 SiteMapRequest{f->mapIndex(picture), {lat, lon}, call});
    }

private slots:
    void init() {
        f = std::make_unique<MapFixture>(
            QStringList{"Europe Map.png", "World Map.png", "Japan Map.png"});
        f->state.config.MyLat = kHomeLat;
        f->state.config.MyLon = kHomeLon;
    }
    void cleanup() {
        for (QWidget *w : registry.loadedWindows())
            delete w;
        f.reset();
        QLocale::setDefault(QLocale::c());
    }

    void ringCase_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QChar>("separator");
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << QChar(u',');
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << QChar(u'.');
    }

    void ringCase() {
        QFETCH(QLocale, locale);
        QFETCH(QChar, separator);
        QLocale::setDefault(locale);
        const double lat = 38.72, lon = -9.14; // Lisbon
        SiteMapWindow *w = open("Europe Map.png", lat, lon, "CT1ABC");
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Map   Europe Map"));

        QCOMPARE(w->lblCall()->text(), "CT1ABC\n  " + dxAz(lat, lon, separator));
        const QPoint site = *LatLonToMapXY("Europe Map", lat, lon);
        const MapCanvas &canvas = *w->picInner();
        QCOMPARE(countStrokes(canvas, Kind::Circle, Qt::black, 4), 1);
        QCOMPARE(countStrokes(canvas, Kind::Circle, Qt::black, 25), 1);
        QCOMPARE(canvas.strokes().first().from, QPointF(site));
        const QLabel *label = w->lblCall();
        QCOMPARE(label->pos(),
                 QPoint(int(site.x() - label->width() / 2.0), site.y() - label->height() - 25));
        QCOMPARE(w->Shape2()->geometry(), label->geometry().adjusted(-2, -2, 2, 2));

        // The own mark and its label, left of it.
        const QPoint home = *LatLonToMapXY("Europe Map", kHomeLat, kHomeLon);
        QCOMPARE(countStrokes(canvas, Kind::Dot, QColor(0, 0, 255)), 1);
        QCOMPARE(w->lblMe()->text(), QStringLiteral("Me"));
        QVERIFY(w->lblMe()->isVisible());
        QCOMPARE(w->lblMe()->geometry().right() + 1 + 6, home.x());

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
        const double lat = 35.68, lon = 139.69; // Tokyo lies east of the Europe map
        SiteMapWindow *w = open("Europe Map.png", lat, lon, "JA1ABC");
        QVERIFY(w);
        QCOMPARE(w->lblCall()->text(), " To JA1ABC  " + dxAz(lat, lon, u','));

        const QPoint home = *LatLonToMapXY("Europe Map", kHomeLat, kHomeLon);
        const MapCanvas &canvas = *w->picInner();
        QCOMPARE(countStrokes(canvas, Kind::Circle, Qt::black, 25), 0);
        const MapCanvas::Stroke line = canvas.strokes().first();
        QCOMPARE(line.kind, Kind::Line);
        QCOMPARE(line.width, 2.0);
        QCOMPARE(line.from, QPointF(home));
        QVERIFY(std::abs(QLineF(line.from, line.to).length() - 100) < 1e-9);
        const double az = DistanceAndAzimuth(kHomeLat, kHomeLon, lat, lon, 0).Azimuth;
        QVERIFY(std::abs(QLineF(line.from, line.to).angle() - std::fmod(450 - az, 360)) < 0.01);
        const QLabel *label = w->lblCall();
        QCOMPARE(label->y(), int(line.to.y() - label->height() - 2));
        QCOMPARE(label->x(), int(line.to.x() - label->width() / 2.0));

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
        SiteMapWindow *w = open("Europe Map.png", 35.68, 139.69, "JA1ABC");
        QVERIFY(w);
        w->mnuMap_Click(f->mapIndex("World Map.png") + 1);
        QCOMPARE(w->windowTitle(), QStringLiteral("Map   World Map"));
        QCOMPARE(w->picInner()->size(), QSize(2800, 1412));
        QCOMPARE(f->state.config.MapIndex, f->mapIndex("World Map.png"));
        QVERIFY(w->lblCall()->text().startsWith("JA1ABC\n  Dx "));
        QCOMPARE(w->picInner()->strokes().first().from,
                 QPointF(*LatLonToMapXY("World Map", 35.68, 139.69)));

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
        QCOMPARE(registry.IsFormLoaded("SiteMapWindow"), 1);
    }

    // The right-click menu: "GUI", then every map picture, the one shown checked.
    void mapMenu() {
        const QStringList maps{"A Map.png", "B Map.png", "C Map.png", "D Map.png",
                               "E Map.png", "F Map.png", "G Map.png", "H Map.png"};
        QMenu menu;
        fillMapMenu(menu, "GUI", maps, 2);
        const QList<QAction *> items = menu.actions();
        QCOMPARE(items.size(), 9);
        QCOMPARE(items.at(0)->text(), QStringLiteral("GUI"));
        for (int i = 1; i <= 8; ++i) {
            QCOMPARE(items.at(i)->text(), maps.at(i - 1));
            QCOMPARE(items.at(i)->data().toInt(), i);
            QCOMPARE(items.at(i)->isChecked(), i == 3);
        }
    }

    void withoutOwnPosition() {
        f->state.config.MyLat = 0;
        f->state.config.MyLon = 0;
        SiteMapWindow *w = open("Europe Map.png", 38.72, -9.14, "CT1ABC");
        QVERIFY(w);
        QCOMPARE(w->lblCall()->text(), QStringLiteral("CT1ABC"));
        QVERIFY(!w->lblMe()->isVisible() && !w->Shape1()->isVisible());
        QCOMPARE(countStrokes(*w->picInner(), Kind::Dot, QColor(0, 0, 255)), 0);
    }

    void clampsOwnLatitude() {
        f->state.config.MyLat = 90.5;
        QVERIFY(open("World Map.png", 10, 10, "X"));
        QCOMPARE(f->state.config.MyLat, 89.0);
    }

    void anyLeftClickCloses() {
        QPointer<SiteMapWindow> w = open("Europe Map.png", 38.72, -9.14, "CT1ABC");
        QVERIFY(w);
        press(w->picInner(), Qt::LeftButton);
        QTRY_VERIFY(!w);
        QVERIFY(!f->main.calls.contains("disable") && !f->main.calls.contains("enable"));
    }

    void missingPictureOpensNothing() {
        f->state.lstMap = QStringList{"Ghost Map.png"};
        QCOMPARE(open("Ghost Map.png", 38.72, -9.14, "CT1ABC"), nullptr);
        QCOMPARE(f->prompts.texts().size(), 1);
        QVERIFY(f->prompts.texts().first().contains("Maps/Ghost Map.png"));
        QCOMPARE(registry.IsFormLoaded(QString()), 0);
    }
};

QTEST_MAIN(SiteMapWindowTest)
#include "tst_sitemapwindow.moc"
