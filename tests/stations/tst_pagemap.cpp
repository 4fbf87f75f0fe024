#include "MapTestSupport.h"

#include "core/geo/Geodesy.h"
#include "core/geo/MapProjection.h"
#include "core/net/DownloadControl.h"
#include "core/thumbs/PictureTrailer.h"
#include "stations/MapCanvas.h"
#include "stations/MapView.h"
#include "stations/PageMapPlan.h"
#include "stations/PageMapWindow.h"
#include "support/Fixtures.h"
#include "support/LoopbackServer.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace tavimo;
using tavimo::test::MapFixture;

namespace {

struct Place {
    const char *call;
    double lat, lon;
};
constexpr Place kBerlin{"DL0ABC", 52.52, 13.40};
constexpr Place kLisbon{"CT1ABC", 38.72, -9.14};
constexpr Place kTokyo{"JA1ABC", 35.68, 139.69};
constexpr Place kFrankfurt{"", 50.11, 8.68};
const QSize kEurope(1820, 1500);

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

} // namespace

class PageMapTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MapFixture> f;
    WindowRegistry registry;

private slots:
    void cleanup() {
        for (QWidget *w : registry.loadedWindows())
            delete w;
        f.reset();
    }

    // ---- The plan ----------------------------------------------------------------

    void geometryCases() {
        const QString me = QStringLiteral("From: DL0XYZ");
        const Page page(kFrankfurt, {"DL0ABC", "JA1ABC"}, {me, me});
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
        Page far(kTokyo, {"DL0ABC"}, {me});
        const PageMapPlan fromMe = far.plan();
        QVERIFY(!fromMe.homeMark);
        const PageMapRow &row = fromMe.rows.at(0);
        QCOMPARE(row.kind, PageMapCase::FromMe);
        QCOMPARE(row.line->p1(), QPointF(row.site));
        QVERIFY(row.label.startsWith(" DL0ABC  ") &&
                row.label.endsWith(" km  " + row.azimuth + "\u00B0 "));
        QCOMPARE(callLabelTopLeft(row, fromMe, QSize(80, 16)), row.site - QPoint(80 + 6, 8));
    }

    void rowsSkippedAndKept_data() {
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("senders");
        QTest::addColumn<QString>("myCall");
        QTest::addColumn<QString>("zeroChar");
        QTest::addColumn<QList<int>>("rows");
        const QString me = QStringLiteral("From: DL0XYZ");
        QTest::newRow("other senders passed over")
            << QStringList{"DL0ABC", "CT1ABC", "JA1ABC"}
            << QStringList{"From: G4ABC", me, "From: DL0XY"} << "DL0XYZ"
            << "0" << QList<int>{1};
        QTest::newRow("a row without position does not end the page")
            << QStringList{"K1NOWHERE", "", "TX1", "CT1ABC"} << QStringList{me, me, me, me}
            << "DL0XYZ"
            << "0" << QList<int>{3};
        QTest::newRow("own call as shown, any case")
            << QStringList{"DL\u00D8ABC"} << QStringList{"From: dl\u00D8xyz"} << "DL0XYZ"
            << "\u00D8" << QList<int>{0};
        QTest::newRow("no own call matches nothing")
            << QStringList{"DL0ABC"} << QStringList{QString()} << ""
            << "0" << QList<int>{};
        QTest::newRow("no sender is not the own call")
            << QStringList{"DL0ABC"} << QStringList{QString()} << "DL0XYZ"
            << "0" << QList<int>{};
    }

    void rowsSkippedAndKept() {
        QFETCH(QStringList, calls);
        QFETCH(QStringList, senders);
        QFETCH(QString, myCall);
        QFETCH(QString, zeroChar);
        QFETCH(QList<int>, rows);
        Page page(kFrankfurt, calls, senders);
        page.config.MyCall = myCall;
        QList<int> drawn;
        for (const PageMapRow &row : page.plan(zeroChar).rows)
            drawn.append(row.row);
        QCOMPARE(drawn, rows);
    }

    void homeNotSet() {
        const QString me = QStringLiteral("From: DL0XYZ");
        const Page page(Place{"", 0, 0}, {"DL0ABC", "JA1ABC"}, {me, me});
        const PageMapPlan plan = page.plan();
        QVERIFY(!plan.home && !plan.homeMark);
        QCOMPARE(plan.rows.size(), 1); // Tokyo lies off the picture: nothing to point from
        const PageMapRow &row = plan.rows.first();
        QCOMPARE(row.kind, PageMapCase::NoHome);
        QVERIFY(row.siteMark && !row.line);
        QCOMPARE(row.label, QStringLiteral(" DL0ABC "));
        QCOMPARE(pageMapInfoText(row, "OK", "10/14/2009 12:34", "km"),
                 QStringLiteral(" OK  \n 10/14/2009 12:34 UTC "));
    }

    // ---- The window ----------------------------------------------------------------

    void drawsAndRestoresTheView() {
        f = std::make_unique<MapFixture>(QStringList{"Europe Map.png", "World Map.png"});
        AppState &s = f->state;
        s.config.MyCall = "DL0XYZ";
        s.config.MyLat = kFrankfurt.lat;
        s.config.MyLon = kFrankfurt.lon;
        s.config.MapIndex = std::int16_t(f->mapIndex("Europe Map.png"));
        s.config.ScrollX = 5;    // beyond the limits: back to 0
        s.config.ScrollY = -300; // within them: kept
        s.SiteList = {siteAt(kBerlin), siteAt(kTokyo)};
        s.page.SlotCount = 10;
        s.page.SlotTable.setValue(2, stSiteCall, "DL0ABC");
        s.page.SlotTable.setValue(2, stInfo, "OK");
        s.page.SlotTable.setValue(2, stTime, "10/14/2009 12:34");
        f->main.fromCaptions = QStringList(10, QString());
        f->main.fromCaptions[2] = "From: DL0XYZ";

        PageMapWindow *w = openPageMapWindow(s, registry);
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

        // Escape closes; the view is kept for the next opening.
        QPointer<PageMapWindow> guard(w);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(w, &escape);
        QTRY_VERIFY(!guard);
        QCOMPARE(QPoint(s.config.ScrollX, s.config.ScrollY), QPoint(-20, -350));
        QCOMPARE(f->main.count("activate"), 1);
        QVERIFY(!f->main.calls.contains("disable") && !f->main.calls.contains("enable"));
    }

    // A pass fetches a picture whose trailer names the own callsign; at its
    // end the open page map draws that slot's site, in the same view.
    void redrawsAtTheEndOfAPass() {
        f = std::make_unique<MapFixture>(QStringList{"Europe Map.png"});
        AppState &s = f->state;
        s.config.MyCall = "DL0XYZ";
        s.config.MyLat = kFrankfurt.lat;
        s.config.MyLon = kFrankfurt.lon;
        s.SiteList = {siteAt(kLisbon)};
        s.page.SlotCount = 5;
        s.page.SlotTable.setValue(1, stSiteCall, "CT1ABC");
        f->main.fromCaptions = QStringList(5, QString());

        PageMapWindow *w = openPageMapWindow(s, registry);
        QVERIFY(w);
        QVERIFY(w->plan().rows.isEmpty());
        w->picInner_MouseMove(Qt::LeftButton, QPoint(300, 300));
        w->picInner_MouseMove(Qt::LeftButton, QPoint(290, 280));
        const QPoint view = w->picInner()->pos();

        test::LoopbackServer server;
        QVERIFY(server.start());
        test::Route picture;
        picture.body =
            test::withTrailer(test::jpegBytes(QSize(32, 24)), "DL0XYZ", "OK", "10/14/09 12:34:56");
        server.setRoute("/image1.jpg", picture);
        DownloadContext context;
        DownloadControl control(context, DownloadControl::Flavour::Bytes);
        connect(&control, &DownloadControl::ready, this, [&](const QString &) {
            const SplitPicture split = splitPictureTrailer(context.DownloadBuffer);
            const TrailerFields fields = parseTrailerText(split.text);
            f->main.fromCaptions[1] =
                senderCaption(fields, TrailerReader::Slot, s.texts.LngFromPrefix, s.ZeroChar);
            s.events.passFinished();
        });
        QSignalSpy failed(&control, &DownloadControl::failed);
        control.DownloadFile(server.url("/image1.jpg").toString(), "101");
        QTRY_COMPARE(w->plan().rows.size(), 1);
        QVERIFY(failed.isEmpty());
        QCOMPARE(w->plan().rows.first().row, 1);
        QCOMPARE(w->lblCall(1)->text(), QStringLiteral(" CT1ABC "));
        QCOMPARE(w->picInner()->pos(), view);

        // Without an own callsign the pass leaves the map as it is.
        s.config.MyCall.clear();
        f->main.fromCaptions[1].clear();
        s.events.passFinished();
        QCOMPARE(w->plan().rows.size(), 1);
    }

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
};

QTEST_MAIN(PageMapTest)
#include "tst_pagemap.moc"
