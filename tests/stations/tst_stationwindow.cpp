#include "StationsHarness.h"

#include "sitesim/Callbooks.h"
#include "sitesim/DataFolderWriter.h"
#include "sitesim/SiteSimulator.h"
#include "stations/StationPictureWindow.h"
#include "stations/StationWindow.h"
#include "support/PlatformFakes.h"

#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QTimeZone>
#include <QToolButton>

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

} // namespace

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
        QVERIFY(!w.main.widget.isEnabled());
        QCOMPARE(w.main.count("stop"), 1);
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
        QVERIFY(w.main.widget.isEnabled());
        QCOMPARE(w.main.count("resume"), 1);
        QCOMPARE(w.main.count("activate"), 1);
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
        QVERIFY(w.main.widget.isEnabled());
        QCOMPARE(w.main.count("resume"), 1);
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
        QCOMPARE(w.main.count("resume"), 1); // refreshing goes on after a paste

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
};

QTEST_MAIN(TestStationWindow)
#include "tst_stationwindow.moc"
