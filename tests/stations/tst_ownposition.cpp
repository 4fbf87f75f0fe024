#include "StationsHarness.h"

#include "stations/OwnPositionDialog.h"
#include "support/CallbookPages.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

#include <cmath>

using namespace tavimo;
using namespace tavimo::test;

namespace {

Route page(const CallbookStation &station, int delayMs = 0) {
    Route route;
    route.body = callbookRecordPage(1, station);
    route.contentType = "text/html";
    route.delayMs = delayMs;
    return route;
}

CallbookStation record(const QString &call, std::optional<double> lat, std::optional<double> lon,
                       const QString &grid) {
    CallbookStation s;
    s.callsign = call;
    s.name = "Own Station";
    s.latitude = lat;
    s.longitude = lon;
    s.grid = grid;
    return s;
}

struct OwnWorld : StationsHarness {
    OwnWorld() {
        state.config.MyCall = "G0OWN";
        state.config.MyLat = 51.5;
        state.config.MyLon = -0.12;
        state.config.Units = 1;
    }
    OwnPositionDialog *open() { return openOwnPositionDialog(state, windows); }
    QString path(const QString &call) const { return "/callbook/eham/callbook/" + call; }
};

} // namespace

class TestOwnPosition : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void typingUnderDecimalComma() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        OwnWorld w;
        w.state.config.MyLat = 52.25;
        OwnPositionDialog *dialog = w.open();
        QVERIFY(!w.main.widget.isEnabled());
        QCOMPARE(w.main.count("stop"), 0); // the pages go on refreshing
        QCOMPARE(dialog->txtLat->text(), QString("52,25"));
        QCOMPARE(dialog->txtLon->text(), QString("-0,12"));
        QVERIFY(dialog->optMi->isChecked());
        QCOMPARE(dialog->lblGrid->text(), QString("Grid:   IO92wg"));

        QSignalSpy changed(&w.state.events, &AppEvents::ownPositionChanged);
        dialog->txtLat->setText("52,5");
        QCOMPARE(w.state.config.MyLat, 52.5);
        dialog->txtLon->setText("13,4");
        QCOMPARE(w.state.config.MyLon, 13.4);
        QCOMPARE(dialog->lblGrid->text(), QString("Grid:   JO62qm"));
        dialog->txtLat->setText("91");
        QCOMPARE(w.state.config.MyLat, 91.0); // kept as typed; no locator
        QCOMPARE(dialog->lblGrid->text(), QString());
        dialog->optKm->click();
        QCOMPARE(w.state.config.Units, std::int16_t(0));
        QCOMPARE(changed.count(), 4);

        // An emptied callsign box keeps the callsign and offers no look-up.
        dialog->txtCall->clear();
        QCOMPARE(w.state.config.MyCall, QString("G0OWN"));
        QVERIFY(!dialog->cmdGetLatLon->isEnabled());
        dialog->txtCall->setText("G0NEW");
        QCOMPARE(w.state.config.MyCall, QString("G0NEW"));
        QVERIFY(dialog->cmdGetLatLon->isEnabled());

        dialog->close();
        StationsHarness::settle();
        QVERIFY(w.main.widget.isEnabled());
        QCOMPARE(w.main.count("activate"), 1);
    }

    void lookUp_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("asked"); // "" = no request
        QTest::addColumn<QString>("grid");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::newRow("coordinates, southern and eastern") << "VK2OWN-3"
                                                           << "VK2OWN"
                                                           << "" << -33.87 << 151.21;
        QTest::newRow("locator only") << "W1OWN more"
                                      << "W1OWN"
                                      << "FN42aa" << 0.0 << 0.0;
        QTest::newRow("four-character square") << "W2OWN"
                                               << "W2OWN"
                                               << "FN42" << 0.0 << 0.0;
    }
    void lookUp() {
        QFETCH(QString, typed);
        QFETCH(QString, asked);
        QFETCH(QString, grid);
        QFETCH(double, lat);
        QFETCH(double, lon);
        OwnWorld w;
        const bool coordinates = lat != 0;
        w.server.setRoute(w.path(asked),
                          page(record(asked, coordinates ? std::optional(lat) : std::nullopt,
                                      coordinates ? std::optional(lon) : std::nullopt, grid)));
        OwnPositionDialog *dialog = w.open();
        dialog->txtCall->setText(typed);
        dialog->cmdGetLatLon->click();
        QVERIFY(StationsHarness::pointerBusy());
        // Until the answer the position stays.
        QCOMPARE(w.state.config.MyLat, 51.5);
        QTRY_VERIFY(!StationsHarness::pointerBusy());
        QCOMPARE(w.server.requestCount(w.path(asked)), 1);
        // A locator gives the centre of its cell.
        double wantLat = lat;
        double wantLon = lon;
        if (!grid.isEmpty()) {
            wantLat = grid.size() == 6 ? 42.0208333 : 42.5;
            wantLon = grid.size() == 6 ? -71.9583333 : -71.0;
        }
        QVERIFY2(std::fabs(w.state.config.MyLat - wantLat) < 1e-6,
                 qPrintable(dialog->txtLat->text()));
        QVERIFY2(std::fabs(w.state.config.MyLon - wantLon) < 1e-6,
                 qPrintable(dialog->txtLon->text()));
        QVERIFY(dialog->lblGrid->text().startsWith("Grid:   "));
        QCOMPARE(dialog->lblLookUp->text(), QString());
    }

    // A look-up that brings no position keeps the old one and says so.
    void fruitlessLookUp_data() {
        QTest::addColumn<bool>("held");
        QTest::newRow("not held") << false;
        QTest::newRow("held without a position") << true;
    }
    void fruitlessLookUp() {
        QFETCH(bool, held);
        OwnWorld w;
        Route route;
        route.status = 404;
        if (held)
            route = page(record("G0OWN", std::nullopt, std::nullopt, ""));
        w.server.setRoute(w.path("G0OWN"), route);
        OwnPositionDialog *dialog = w.open();
        dialog->cmdGetLatLon->click();
        QTRY_COMPARE(dialog->lblLookUp->text(), QString("G0OWN  not found"));
        QVERIFY(!StationsHarness::pointerBusy());
        QCOMPARE(w.state.config.MyLat, 51.5);
        QCOMPARE(w.state.config.MyLon, -0.12);
        QCOMPARE(dialog->txtLat->text(), QString("51.5"));
    }

    void twoClicksBeforeTheAnswer() {
        OwnWorld w;
        w.server.setRoute(w.path("G0OWN"), page(record("G0OWN", 52.0, 5.0, ""), 300));
        OwnPositionDialog *dialog = w.open();
        QSignalSpy changed(&w.state.events, &AppEvents::ownPositionChanged);
        dialog->cmdGetLatLon->click();
        dialog->cmdGetLatLon->click();
        QTRY_COMPARE(w.state.config.MyLat, 52.0);
        QCOMPARE(w.state.config.MyLon, 5.0);
        QVERIFY(!StationsHarness::pointerBusy()); // set once, taken back once
        QCOMPARE(changed.count(), 2);
    }
};

QTEST_MAIN(TestOwnPosition)
#include "tst_ownposition.moc"
