#include "StationsHarness.h"

#include "sitesim/Callbooks.h"
#include "sitesim/DataFolderWriter.h"
#include "sitesim/SiteSimulator.h"
#include "stations/OwnPositionDialog.h"
#include "stations/StationPictureWindow.h"
#include "stations/StationWindow.h"
#include "support/CallbookPages.h"
#include "support/PlatformFakes.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>

#include <cmath>

using namespace tavimo;
using namespace tavimo::test;

namespace {

QString shown(QString callsign) {
    return callsign.replace(u'0', QChar(0x00D8));
}

// The station windows against the simulator's callbooks and picture host.
struct StationWorld : StationsHarness {
    sitesim::SiteSimulator sim{sitesim::SimConfig{},
                               [] { return QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC); }};
    FakeDesktopBridge desktop;
    QList<QImage> clipboard;
    QList<FileDialogRequest> dialogs;
    QString chosenFile;

    StationWorld() {
        server.setHandler([this](const RecordedRequest &r) { return sim.answer(r); });
        const QString base = server.url("/").toString().chopped(1);
        for (const auto &[key, value] : sitesim::endpointSettings(base)) {
            for (const EndpointDefault &row : kEndpointDefaults) {
                if (key == QLatin1String(row.key))
                    state.endpoints.*row.field = value;
            }
        }
        desktop.addWindow("EasyPal");
    }

    StationPictureServices services() {
        StationPictureServices s;
        s.desktop = &desktop;
        s.clipboard = [this](QMimeData *data) {
            clipboard << qvariant_cast<QImage>(data->imageData());
            delete data;
        };
        s.showFileDialog = [this](const FileDialogRequest &request) {
            dialogs << request;
            return chosenFile;
        };
        return s;
    }

    const sitesim::SstvSiteInfo &site(int number) const { return sim.sstvSites()[number - 1]; }

    StationWindow *open(const QString &caption) {
        return openStationWindow(
            state, windows, StationRequest::forSelectedSlot(state, caption, false), services());
    }
};

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

// The station window and the own-position dialog, both looking callsigns up in the callbooks.
class TestStationWindow : public QObject {
    Q_OBJECT

private slots:
    void fullRecordAndPicture() {
        StationWorld w;
        const sitesim::SstvSiteInfo &site = w.site(1);
        const test::CallbookStation record = *sitesim::callbookStation(site);
        StationWindow *window = w.open(shown(site.callsign) + "-2 3 days");

        // Over the slot's frame, the main window blocked and not refreshing.
        QCOMPARE(window->pos(), QPoint(600 + 60 - StationWindow::kWidth / 2, 300));
        QVERIFY(!w.main.enabled);
        QCOMPARE(w.main.stops, 1);
        QCOMPARE(window->lblCall->text(), QString("Connecting. . ."));
        QVERIFY(StationsHarness::pointerBusy());

        QTRY_COMPARE(window->lblName->text(), record.name);
        QCOMPARE(window->lblCall->text(), shown(site.callsign));
        QCOMPARE(window->lblAdd1->text(), record.address1);
        QCOMPARE(window->lblAdd2->text(), record.address2);
        QCOMPARE(window->lblCtry->text(), record.country);
        QVERIFY(!StationsHarness::pointerBusy());
        QCOMPARE(window->lblName->textFormat(), Qt::PlainText);

        // A wide picture fills the box's width.
        QTRY_VERIFY(window->Image1->isVisible());
        QCOMPARE(window->Image1->geometry(), QRect(127, 8, 40, 20));

        // Another database reads the record again.
        window->optDatabase[2]->click();
        QCOMPARE(window->database(), 3);
        QTRY_COMPARE(window->lblCall->text(), shown(site.callsign));
        QCOMPARE(w.server.requestCount("/callbook/hamdata/getcall.html?callsign=" + site.callsign),
                 1);
        QCOMPARE(window->lblName->text(), record.name);
        QCOMPARE(window->lblCtry->text(), QString()); // Hamdata gives no country

        // The picture at full size; the panel waits until it closes.
        window->Image1_MouseDown(Qt::LeftButton, QPoint(10, 10));
        auto *large = qobject_cast<StationPictureWindow *>(w.windows.find("StationPictureWindow"));
        QVERIFY(large);
        QCOMPARE(large->Image1->size(), QSize(240, 120));
        QVERIFY(!window->isEnabled());
        large->close();
        StationsHarness::settle();
        QVERIFY(window->isEnabled());

        // Closing gives the main window back.
        QTest::mouseClick(window->lblCtry, Qt::LeftButton);
        StationsHarness::settle();
        QVERIFY(!w.windows.find("StationWindow"));
        QVERIFY(w.main.enabled);
        QCOMPARE(w.main.resumes, 1);
        QCOMPARE(w.main.activations, 1);
    }

    void notFound_data() {
        QTest::addColumn<int>("siteNumber");
        QTest::addColumn<bool>("callbookDown");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("not held by the callbook") << 6 << false << 0 << "  not found";
        QTest::newRow("callbook does not answer") << 1 << true << 2 << "  nicht gefunden";
    }
    void notFound() {
        QFETCH(int, siteNumber);
        QFETCH(bool, callbookDown);
        QFETCH(int, language);
        StationWorld w;
        w.state.config.LanguageIndex = static_cast<std::int16_t>(language);
        if (callbookDown)
            w.state.endpoints.CallbookEham = w.url("/nothing/");
        const QString call = shown(w.site(siteNumber).callsign);
        StationWindow *window = w.open(call);
        QFETCH(QString, suffix);
        QTRY_COMPARE(window->lblCall->text(), call + suffix);
        QCOMPARE(window->lblName->text(), QString());
        QVERIFY(!StationsHarness::pointerBusy());
    }

    void emptyCallsign() {
        StationWorld w;
        StationWindow *window = w.open(" 3 days");
        QCOMPARE(window->lblCall->text(), QString("  not found"));
        QVERIFY(!StationsHarness::pointerBusy());
        QTest::qWait(100);
        QVERIFY(w.server.requests().isEmpty());
    }

    void closingMidLookUp() {
        StationWorld w;
        Route stall;
        stall.stall = true;
        w.server.setRoute("/callbook/eham/callbook/" + w.site(1).callsign, stall);
        StationWindow *window = w.open(w.site(1).callsign);
        QTRY_COMPARE(w.server.requestCount("/callbook/eham/callbook/" + w.site(1).callsign), 1);
        QVERIFY(StationsHarness::pointerBusy());
        window->close();
        StationsHarness::settle();
        QVERIFY(!StationsHarness::pointerBusy());
        QVERIFY(w.main.enabled);
        QCOMPARE(w.main.resumes, 1);
    }

    void saveAndPaste() {
        StationWorld w;
        const QString call = shown(w.site(2).callsign); // a tall picture
        StationWindow *window = w.open(call);
        QTRY_VERIFY(!window->picture().isNull());
        QCOMPARE(window->Image1->geometry(), QRect(136, 3, 22, 30));

        window->mnuPaste_Click();
        QCOMPARE(w.desktop.sentKeys(), QStringList{"{F7}"});
        QCOMPARE(w.clipboard.size(), 1);
        QCOMPARE(w.clipboard[0].size(), QSize(120, 160));
        QCOMPARE(QImage(w.folder.filePath("Ham.bmp")).size(), QSize(120, 160));
        QCOMPARE(w.main.resumes, 1); // refreshing goes on after a paste

        w.state.SaveFolder = w.folder.path() + "/";
        w.chosenFile.clear(); // cancelled: nothing saved, the folder kept
        window->mnuSave_Click();
        QCOMPARE(w.dialogs.size(), 1);
        QCOMPARE(w.dialogs[0].FileName, call);
        QCOMPARE(w.dialogs[0].NameFilters, QStringList{"bmp files (*.bmp)"});
        QCOMPARE(w.dialogs[0].InitialDir, w.folder.path() + "/");
        QVERIFY(QDir().mkpath(w.folder.filePath("saved")));
        w.chosenFile = w.folder.filePath("saved/station.bmp");
        window->mnuSave_Click();
        QCOMPARE(QImage(w.chosenFile).size(), QSize(120, 160));
        QCOMPARE(w.state.SaveFolder, w.folder.filePath("saved") + "/");
        QVERIFY(window->isEnabled());
        QVERIFY(w.prompts.calls.isEmpty());
    }

    // ---- The own-position dialog ----------------------------------------------------------

    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void typingUnderDecimalComma() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        OwnWorld w;
        w.state.config.MyLat = 52.25;
        OwnPositionDialog *dialog = w.open();
        QVERIFY(!w.main.enabled);
        QCOMPARE(w.main.stops, 0); // the pages go on refreshing
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
        QVERIFY(w.main.enabled);
        QCOMPARE(w.main.activations, 1);
    }

    // lat, lon: what the position becomes; the page gives them itself when it gives no locator.
    void lookUp_data() {
        for (const char *column : {"typed", "asked", "grid"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        const auto row = [](const char *name, const char *typed, const char *asked,
                            const char *grid, double lat, double lon) {
            QTest::newRow(name) << QString(typed) << QString(asked) << QString(grid) << lat << lon;
        };
        row("coordinates, southern and eastern", "VK2OWN-3", "VK2OWN", "", -33.87, 151.21);
        row("locator: the centre of its cell", "W1OWN more", "W1OWN", "FN42aa", 42.0208333,
            -71.9583333);
        row("four-character square", "W2OWN", "W2OWN", "FN42", 42.5, -71.0);
    }
    void lookUp() {
        QFETCH(QString, typed);
        QFETCH(QString, asked);
        QFETCH(QString, grid);
        QFETCH(double, lat);
        QFETCH(double, lon);
        OwnWorld w;
        const auto given = [&](double v) {
            return grid.isEmpty() ? std::optional(v) : std::nullopt;
        };
        w.server.setRoute(w.path(asked), page(record(asked, given(lat), given(lon), grid)));
        OwnPositionDialog *dialog = w.open();
        dialog->txtCall->setText(typed);
        dialog->cmdGetLatLon->click();
        QVERIFY(StationsHarness::pointerBusy());
        // Until the answer the position stays.
        QCOMPARE(w.state.config.MyLat, 51.5);
        QTRY_VERIFY(!StationsHarness::pointerBusy());
        QCOMPARE(w.server.requestCount(w.path(asked)), 1);
        QVERIFY2(std::fabs(w.state.config.MyLat - lat) < 1e-6, qPrintable(dialog->txtLat->text()));
        QVERIFY2(std::fabs(w.state.config.MyLon - lon) < 1e-6, qPrintable(dialog->txtLon->text()));
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

QTEST_MAIN(TestStationWindow)
#include "tst_stationwindow.moc"
