#include "StationsHarness.h"

#include "core/base/TextCodec.h"
#include "core/net/CallbookPage.h"
#include "core/net/CallsignLookup.h"
#include "sitesim/Callbooks.h"
#include "sitesim/DataFolderWriter.h"
#include "sitesim/SiteSimulator.h"
#include "stations/OwnPositionDialog.h"
#include "stations/StationPictureWindow.h"
#include "stations/StationWindow.h"
#include "support/CallbookPages.h"
#include "support/Fixtures.h"
#include "support/Routes.h"
#include "ui/RefusedBox.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>

#include <cmath>

Q_DECLARE_METATYPE(tavimo::test::Route)

using namespace tavimo;
using namespace tavimo::test;

namespace {

// A whole record; what gives the position may be left out.
CallbookStation station(const QString &call, std::optional<double> lat = -33.87,
                        std::optional<double> lon = 151.21, const QString &grid = "QF56od") {
    return {.callsign = call,
            .name = "Ann Lee",
            .address1 = "12 Dipole Lane",
            .address2 = "Sydney NSW",
            .country = "Australia",
            .latitude = lat,
            .longitude = lon,
            .grid = grid,
            .licenceClass = "Advanced",
            .previousCall = "VK2ABC",
            .born = "1961",
            .webPage = "http://example.org/vk2xyz"};
}

Route html(const QByteArray &body, int delayMs = 0) {
    return answerRoute(body, delayMs, "text/html");
}

// Every signal of a look-up, in order, as "Signal id".
class EventLog : public QObject {
public:
    QStringList events;
    explicit EventLog(CallsignLookup &lookup) {
        const auto note = [this](const char *name) {
            return
                [this, name](const QString &id) { events << QString::fromLatin1(name) + ' ' + id; };
        };
        connect(&lookup, &CallsignLookup::GotSite, this, note("GotSite"));
        connect(&lookup, &CallsignLookup::SiteNotFound, this, note("SiteNotFound"));
        connect(&lookup, &CallsignLookup::GotPage, this, note("GotPage"));
        connect(&lookup, &CallsignLookup::PageNotFound, this, note("PageNotFound"));
        connect(&lookup, &CallsignLookup::CallNotFound, this, note("CallNotFound"));
        connect(&lookup, &CallsignLookup::PictureReady, this, note("PictureReady"));
        connect(&lookup, &CallsignLookup::NoPic, this, note("NoPic"));
    }
};

QString shown(QString callsign) {
    return callsign.replace(u'0', QChar(0x00D8));
}

// The station windows against the simulator's callbooks and picture host.
struct StationWorld : StationsHarness {
    sitesim::SiteSimulator sim{sitesim::SimConfig{},
                               [] { return QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC); }};

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
    // The simulator goes before the server that the harness owns.
    ~StationWorld() { server.setHandler({}); }

    StationPictureServices services() {
        return {transfers.fileDialog(), &desktop, transfers.clipboard()};
    }

    const sitesim::SstvSiteInfo &site(int number) const { return sim.sstvSites()[number - 1]; }

    StationWindow *open(const QString &caption) {
        return openStationWindow(
            state, windows, StationRequest::forSelectedSlot(state, caption, false), services());
    }
};

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

// The callbooks' record pages, how fields are cut out of them, the look-up that fetches them, and
// the windows that look callsigns up: the station window and the own-position dialog.
class TestCallbook : public QObject {
    Q_OBJECT

private slots:
    // field: what is read of the page ("html": the page decoded as HTML; an encoding: the page's
    // bytes in it, read as text).
    void markers_data() {
        for (const char *column : {"page", "field", "value"})
            QTest::addColumn<QString>(column);
        const auto row = [](const char *name, const char *page, const char *field,
                            const char *value) { QTest::newRow(name) << page << field << value; };
        row("coordinate with a line break", "Latitude:</b> \r\n 42.35 N</td>", "lat", "42.35");
        row("southern hemisphere", "Latitude:</b>  42.35 S</td>", "lat", "-42.35");
        row("out of range is no position", "Latitude:</b>  95.5</td>", "lat", "0");
        row("end marker before the value", "Latitude:</td>", "lat", "0");
        row("name end before its offset", "size=3 color=x<br>", "name", "");
        row("grid cut at the page end", "Grid Square:</td><td class=\"g\">FN4", "grid", "FN4");
        row("born 1900 is no year", "Born</td><td class=\"va\">1900", "born", "");
        row("born 1901", "Born</td><td class=\"va\">1901", "born", "1901");
        row("address without its name", "<td align=\"center\">x</td>", "add1", "");
        row("entities in any letter case", "a&AMP;b&nbsp;c&copy;", "html", "a&b c&copy;");
        row("entities never decoded twice", "&amp;lt;", "html", "&lt;");
        row("quotes and brackets", "&quot;&lt;x&gt;&quot;", "html", "\"<x>\"");
        row("bare ampersand", "R&D &", "html", "R&D &");
        row("page in UTF-8", "M\u00FCller", "utf-8", "M\u00FCller");
        row("page in Windows-1252", "M\u00FCller", "windows-1252", "M\u00FCller");
    }
    void markers() {
        QFETCH(QString, page);
        QFETCH(QString, field);
        const QMap<QString, QString> read{{"lat", QString::number(callbook::Latitude(page, 1))},
                                          {"name", callbook::cName(page, 3)},
                                          {"grid", callbook::Grid(page, 1)},
                                          {"born", callbook::DateOfBirth(page, 1)},
                                          {"add1", callbook::Add1(page, 1)},
                                          {"html", HTMLDecode(page)},
                                          {"utf-8", callbookPageText(page.toUtf8())},
                                          {"windows-1252", callbookPageText(encodeCp1252(page))}};
        QTEST(read.value(field), "value");
    }

    // The label must end within the first 500 characters, letter case counting.
    void label() {
        const auto at = [](int position, const QString &label) {
            return QString(1000, u'x').replace(position - 1, label.size(), label);
        };
        QVERIFY(pageHasLabel(at(493, "eHam.net"), "eHam.net")); // ends at 500
        QVERIFY(!pageHasLabel(at(494, "eHam.net"), "eHam.net"));
        QVERIFY(!pageHasLabel(at(10, "EHAM.NET"), "eHam.net"));
        QVERIFY(!pageHasLabel("anything", ""));
    }

    // db 5: the station picture's address. (Each callbook's plain address is what the record
    // pages test asks the server for; the server never sees QRZ's fragment.)
    void addresses_data() {
        QTest::addColumn<int>("db");
        QTest::addColumn<QString>("callsign");
        QTest::addColumn<QString>("address");
        const auto row = [](const char *name, int db, const char *callsign, const char *address) {
            QTest::newRow(name) << db << QString(callsign) << QString(address);
        };
        row("portable stays", 1, "DL/G0ABC", "http://cb.test/e/callbook/DL/G0ABC");
        row("punctuation encoded", 1, "G0A#?&B", "http://cb.test/e/callbook/G0A%23%3F%26B");
        row("letters beyond ASCII", 1, "\u00C4B1", "http://cb.test/e/callbook/%C3%84B1");
        row("QRZ, to the record's part", 2, "G0ABC", "http://cb.test/q/db/G0ABC#t_detail");
        row("no such database", 4, "G0ABC", "");
        row("database 0", 0, "G0ABC", "");
        row("no callsign", 1, "", "");
        row("picture", 5, "SIM\u00D8AB", "http://p.test/b/sim0ab/sim0ab.jpg");
        row("picture of a call ending in zero", 5, "AB1\u00D8", "http://p.test/0/ab10/ab10.jpg");
        row("picture without a callsign", 5, "", "");
    }
    void addresses() {
        QFETCH(int, db);
        QFETCH(QString, callsign);
        Endpoints endpoints;
        endpoints.CallbookEham = "http://cb.test/e/";
        endpoints.CallbookQrz = "http://cb.test/q/";
        endpoints.CallbookHamdata = "http://cb.test/h/";
        QTEST(db == 5 ? stationPictureAddress("http://p.test/", callsign)
                      : callbookRecordAddress(endpoints, db, callsign),
              "address");
        QCOMPARE(stationPictureAddress("", "G0ABC"), QString());
    }

    // A record page of each callbook, fetched, and its fields as the look-up reads them.
    // texts: name|add1|add2|country|class|previous call|born|grid|web page
    void recordPages_data() {
        QTest::addColumn<int>("db");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("texts");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        const QString common = "Ann Lee|12 Dipole Lane|Sydney NSW|";
        QTest::newRow("eHam") << 1 << "/callbook/eham/callbook/SM0ABC"
                              << common + "Australia|Advanced|VK2ABC|1961|QF56od|" << -33.87
                              << 151.21;
        QTest::newRow("QRZ") << 2 << "/callbook/qrz/db/SM0ABC"
                             << common + "Australia|Advanced|||QF56od|http://example.org/vk2xyz"
                             << -33.87 << 151.21;
        QTest::newRow("Hamdata") << 3 << "/callbook/hamdata/getcall.html?callsign=SM0ABC"
                                 << common + "|Advanced|||QF56od|" << 0.0 << 0.0;
    }
    void recordPages() {
        QFETCH(int, db);
        QFETCH(QString, path);
        StationsHarness h;
        h.server.setRoute(path, html(callbookRecordPage(db, station("SM0ABC"))));
        CallsignLookup lookup(h.downloads, h.state.endpoints);
        EventLog log(lookup);
        lookup.Database(db);
        // Written with a slashed zero and in lower case: asked for with "0",
        // kept as given, upper-cased.
        lookup.GetPage(QString("sm\u00F8abc"));
        QVERIFY(log.events.isEmpty()); // never inside the call
        QCOMPARE(lookup.PageCallsign(), QString("SM\u00D8ABC"));
        QTRY_COMPARE(log.events, QStringList{"GotPage " + callbookLabel(db)});
        QCOMPARE(h.server.requestCount(path), 1);
        QTEST(QStringList({lookup.cName(), lookup.Add1(), lookup.Add2(), lookup.Ctry(),
                           lookup.Class(), lookup.PrevCall(), lookup.DateOfBirth(), lookup.Grid(),
                           lookup.WebAddress()})
                  .join(u'|'),
              "texts");
        QTEST(lookup.Latitude(), "lat");
        QTEST(lookup.Longitude(), "lon");
        QCOMPARE(log.events.size(), 1); // the record was there: no CallNotFound
        QVERIFY(!lookup.isPending(callbookLabel(db)));

        // The home page carries the label too.
        h.server.setRoute(QUrl(callbookHomeAddress(h.state.endpoints, db)).path(),
                          html(callbookHomePage(db)));
        lookup.GetSite();
        QTRY_COMPARE(log.events.last(), "GotSite " + callbookLabel(db));
    }

    // What a look-up that finds nothing raises. Requests that cannot be made (db other than 1,
    // the callbook switched off, no callsign) report it at once, but still after the call has
    // returned, and ask nothing of the server.
    void notFound_data() {
        QTest::addColumn<int>("db");
        QTest::addColumn<QString>("callsign");
        QTest::addColumn<Route>("route"); // status 0: the callbook switched off
        QTest::addColumn<QStringList>("events");
        const Route missing = statusRoute(404), off = statusRoute(0);
        const auto row = [](const char *name, int db, const QString &callsign, const Route &route,
                            const QStringList &events) {
            QTest::newRow(name) << db << callsign << route << events;
        };
        const QString call = "SM\u00D8ABC";
        const QStringList pageNotFound{"PageNotFound eHam.net"};
        row("no record: the name raises CallNotFound", 1, call,
            html(callbookNotFoundPage(1, "SM0ABC")), {"GotPage eHam.net", "CallNotFound " + call});
        row("label missing", 1, call, html("<html>some other site</html>"), pageNotFound);
        row("read failed", 1, call, missing, pageNotFound);
        row("page too large", 1, call,
            html("<title>eHam.net</title>" + QByteArray(int(CallsignLookup::kPageCap), 'x')),
            pageNotFound);
        row("no database chosen", 0, call, missing, {"PageNotFound " + call});
        row("no such database", 4, call, missing, {"PageNotFound " + call});
        row("callbook switched off", 1, call, off, {"PageNotFound " + call});
        row("empty callsign", 1, "", missing, {"PageNotFound "});
    }
    void notFound() {
        QFETCH(int, db);
        QFETCH(QString, callsign);
        QFETCH(Route, route);
        QFETCH(QStringList, events);
        StationsHarness h;
        if (route.status == 0)
            h.state.endpoints.CallbookEham.clear();
        h.server.setRoute("/callbook/eham/callbook/SM0ABC", route);
        CallsignLookup lookup(h.downloads, h.state.endpoints);
        EventLog log(lookup);
        connect(&lookup, &CallsignLookup::GotPage, &lookup, [&] { lookup.cName(); });
        lookup.Database(db);
        lookup.GetPage(callsign);
        QVERIFY(log.events.isEmpty());
        QTRY_COMPARE(log.events, events);
        QVERIFY(!lookup.isPending("eHam.net"));
        QCOMPARE(h.server.requests().isEmpty(), events.constFirst().endsWith(callsign));
    }

    void newerRequestSupersedes() {
        StationsHarness h;
        for (const auto &[db, call, delay] :
             {std::tuple{1, "AA1AA", 300}, {2, "BB1BB", 300}, {1, "CC1CC", 0}, {1, "DD1DD", 100}})
            h.server.setRoute(QUrl(callbookRecordAddress(h.state.endpoints, db, call)).path(),
                              html(callbookRecordPage(db, station(call)), delay));
        CallsignLookup lookup(h.downloads, h.state.endpoints);
        EventLog log(lookup);
        lookup.Database(1);
        lookup.GetPage("AA1AA");
        lookup.Database(2); // another database's answer would be misread
        lookup.GetPage("BB1BB");
        lookup.Database(1);
        lookup.GetPage("CC1CC"); // the first read's name again
        QTRY_COMPARE(log.events, QStringList{"GotPage eHam.net"});
        QTest::qWait(500);
        QCOMPARE(log.events.size(), 1);
        QVERIFY(lookup.PageText().contains("CC1CC"));
        // A cancelled look-up says nothing at all.
        lookup.GetPage("DD1DD");
        lookup.cancel();
        QTest::qWait(300);
        QCOMPARE(log.events.size(), 1);
    }

    void pictures() {
        StationsHarness h;
        h.server.setRoute("/qrzpics/c/sm0abc/sm0abc.jpg", answerRoute(jpegBytes(QSize(200, 100))));
        CallsignLookup lookup(h.downloads, h.state.endpoints);
        EventLog log(lookup);
        lookup.GetPicture(h.url("/qrzpics/c/sm0abc/sm0abc.jpg"), "100");
        QVERIFY(lookup.isPending("100"));
        QTRY_COMPARE(log.events, QStringList{"PictureReady 100"});
        QCOMPARE(lookup.Picture().size(), QSize(200, 100));
        // A picture that is not there: NoPic, its name no longer pending, and
        // the record is not reported missing.
        lookup.GetPicture(h.url("/qrzpics/x/none/none.jpg"), "100");
        QTRY_COMPARE(log.events.size(), 2);
        QCOMPARE(log.events.last(), QString("NoPic 100"));
        QVERIFY(!lookup.isPending("100"));
        QCOMPARE(lookup.Picture().size(), QSize(200, 100));
    }

    // ---- The station window ----------------------------------------------------------------

    // (The record read again from another database, and closing, are the end-to-end test's.)
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
        QCOMPARE(QStringList(
                     {window->lblAdd1->text(), window->lblAdd2->text(), window->lblCtry->text()}),
                 QStringList({record.address1, record.address2, record.country}));
        QVERIFY(!StationsHarness::pointerBusy());
        QCOMPARE(window->lblName->textFormat(), Qt::PlainText);

        // A wide picture fills the box's width; at full size the panel waits until it closes.
        QTRY_VERIFY(window->Image1->isVisible());
        QCOMPARE(window->Image1->geometry(), QRect(127, 8, 40, 20));
        window->Image1_MouseDown(Qt::LeftButton, QPoint(10, 10));
        auto *large = qobject_cast<StationPictureWindow *>(w.windows.find("StationPictureWindow"));
        QVERIFY(large);
        QCOMPARE(large->Image1->size(), QSize(240, 120));
        QVERIFY(!window->isEnabled());
        large->close();
        StationsHarness::settle();
        QVERIFY(window->isEnabled());
        window->close();
        StationsHarness::settle();
        QCOMPARE(w.main.calls, (QStringList{"stop", "disable", "enable", "resume", "activate"}));
    }

    // siteNumber 0: a caption without a callsign, looked up nowhere.
    void stationNotFound_data() {
        QTest::addColumn<int>("siteNumber");
        QTest::addColumn<bool>("callbookDown");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("not held by the callbook") << 6 << false << 0 << "  not found";
        QTest::newRow("callbook does not answer") << 1 << true << 2 << "  nicht gefunden";
        QTest::newRow("no callsign") << 0 << false << 0 << "  not found";
    }
    void stationNotFound() {
        QFETCH(int, siteNumber);
        QFETCH(bool, callbookDown);
        QFETCH(int, language);
        StationWorld w;
        w.state.config.LanguageIndex = static_cast<std::int16_t>(language);
        if (callbookDown)
            w.state.endpoints.CallbookEham = w.url("/nothing/");
        const QString call = siteNumber ? shown(w.site(siteNumber).callsign) : QString();
        StationWindow *window = w.open(call + " 3 days");
        QFETCH(QString, suffix);
        if (!siteNumber) // at once
            QCOMPARE(window->lblCall->text(), suffix);
        QTRY_COMPARE(window->lblCall->text(), call + suffix);
        QCOMPARE(window->lblName->text(), QString());
        QVERIFY(!StationsHarness::pointerBusy());
        QTest::qWait(100);
        QCOMPARE(w.server.requests().isEmpty(), !siteNumber);
    }

    void closingMidLookUp() {
        StationWorld w;
        w.server.setRoute("/callbook/eham/callbook/" + w.site(1).callsign, stalledRoute());
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
        QCOMPARE(w.transfers.images.size(), 1);
        QCOMPARE(w.transfers.images[0].size(), QSize(120, 160));
        QCOMPARE(QImage(w.folder.filePath("Ham.bmp")).size(), QSize(120, 160));
        QCOMPARE(w.main.count("resume"), 1); // refreshing goes on after a paste

        w.state.SaveFolder = w.folder.path() + "/";
        w.transfers.dialogAnswer.clear(); // cancelled: nothing saved, the folder kept
        window->mnuSave_Click();
        QCOMPARE(w.transfers.dialogs.size(), 1);
        QCOMPARE(w.transfers.dialogs[0].FileName, call);
        QCOMPARE(w.transfers.dialogs[0].NameFilters, QStringList{"bmp files (*.bmp)"});
        // A name typed without an extension gets ".bmp", as in every save.
        QCOMPARE(w.transfers.dialogs[0].DefaultExt, QStringLiteral("bmp"));
        QCOMPARE(w.transfers.dialogs[0].InitialDir, w.folder.path() + "/");
        QVERIFY(QDir().mkpath(w.folder.filePath("saved")));
        w.transfers.dialogAnswer = w.folder.filePath("saved/station.bmp");
        window->mnuSave_Click();
        QCOMPARE(QImage(w.transfers.dialogAnswer).size(), QSize(120, 160));
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
        // Off the globe or no number at all: the box says why, and the setting is the one the
        // window opened with.
        dialog->txtLat->setText("91");
        QCOMPARE(w.state.config.MyLat, 52.25);
        QVERIFY(showsRefusal(*dialog->txtLat));
        QVERIFY(dialog->txtLat->toolTip().contains("90"));
        dialog->txtLon->setText("abc");
        QCOMPARE(w.state.config.MyLon, -0.12);
        QVERIFY(showsRefusal(*dialog->txtLon));
        QCOMPARE(dialog->lblGrid->text(), QString("Grid:   IO92wg"));
        dialog->txtLon->setText("13,4");
        QVERIFY(!showsRefusal(*dialog->txtLon));
        dialog->txtLat->setText("-"); // half-typed: no error
        QVERIFY(!showsRefusal(*dialog->txtLat));
        dialog->optKm->click();
        QCOMPARE(w.state.config.Units, std::int16_t(0));
        QCOMPARE(changed.count(), 7);

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

    // Typing on towards a refused value stores nothing of it: what was stored on the way
    // ("9" of "95") gives way to the value the window opened with, also when Escape closes it.
    void refusedBoxKeepsTheOpenedValue() {
        OwnWorld w;
        QPointer<OwnPositionDialog> dialog = w.open();
        QList<double> told; // the latitude each own-position signal announces
        QObject::connect(&w.state.events, &AppEvents::ownPositionChanged,
                         [&] { told.append(w.state.config.MyLat); });
        dialog->txtLat->selectAll();
        QTest::keyClicks(dialog->txtLat, "95");
        QCOMPARE(told, (QList<double>{9, 51.5}));
        QVERIFY(showsRefusal(*dialog->txtLat));
        QVERIFY2(dialog->txtLat->toolTip().contains("51.5"), qPrintable(dialog->txtLat->toolTip()));
        QCOMPARE(dialog->lblGrid->text(), QString("Grid:   IO91wm"));
        QTest::keyClick(dialog->txtLat, Qt::Key_Escape);
        StationsHarness::settle();
        QVERIFY(dialog.isNull());
        QCOMPARE(w.state.config.MyLat, 51.5);
        QCOMPARE(w.state.config.MyLon, -0.12);
    }

    // A look-up answered by the record of `asked` (none: not held); lat, lon: the position
    // afterwards, where a locator gives the centre of its cell and no position keeps the old one.
    // clicks: the button pressed that often before the answer.
    void lookUp_data() {
        for (const char *column : {"typed", "asked", "grid"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<bool>("held");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        const auto row = [](const char *name, const char *typed, const char *asked,
                            const char *grid, bool held, int clicks, double lat, double lon) {
            QTest::newRow(name) << QString(typed) << QString(asked) << QString(grid) << held
                                << clicks << lat << lon;
        };
        row("coordinates, southern and eastern", "VK2OWN-3", "VK2OWN", "", true, 1, -33.87, 151.21);
        row("locator: the centre of its cell", "W1OWN more", "W1OWN", "FN42aa", true, 1, 42.0208333,
            -71.9583333);
        row("four-character square", "W2OWN", "W2OWN", "FN42", true, 1, 42.5, -71.0);
        row("two clicks, one answer", "", "G0OWN", "", true, 2, 52.0, 5.0);
        row("not held", "", "G0OWN", "", false, 1, 51.5, -0.12);
        row("held without a position", "", "G0OWN", "-", true, 1, 51.5, -0.12);
    }
    void lookUp() {
        QFETCH(QString, typed);
        QFETCH(QString, asked);
        QFETCH(QString, grid);
        QFETCH(bool, held);
        QFETCH(int, clicks);
        QFETCH(double, lat);
        QFETCH(double, lon);
        OwnWorld w;
        const bool found = held && grid != "-";
        const auto given = [&](double v) {
            return grid.isEmpty() ? std::optional(v) : std::nullopt;
        };
        Route route = html(
            callbookRecordPage(1, station(asked, given(lat), given(lon), found ? grid : "")), 300);
        route.status = held ? 200 : 404;
        w.server.setRoute(w.path(asked), route);
        OwnPositionDialog *dialog = w.open();
        if (!typed.isEmpty())
            dialog->txtCall->setText(typed);
        QSignalSpy changed(&w.state.events, &AppEvents::ownPositionChanged);
        for (int i = 0; i < clicks; ++i)
            dialog->cmdGetLatLon->click();
        QVERIFY(StationsHarness::pointerBusy());
        QCOMPARE(w.state.config.MyLat, 51.5);         // until the answer the position stays
        QTRY_VERIFY(!StationsHarness::pointerBusy()); // set once, taken back once
        // A second click supersedes the first read, which may have reached the server
        // already on a busy machine: one answer is taken, whatever the server counted.
        const int requests = w.server.requestCount(w.path(asked));
        QVERIFY2(requests >= 1 && requests <= clicks, qPrintable(QString::number(requests)));
        QVERIFY2(std::fabs(w.state.config.MyLat - lat) < 1e-6, qPrintable(dialog->txtLat->text()));
        QVERIFY2(std::fabs(w.state.config.MyLon - lon) < 1e-6, qPrintable(dialog->txtLon->text()));
        QVERIFY(dialog->lblGrid->text().startsWith("Grid:   "));
        QCOMPARE(changed.count(), found ? 2 : 0);
        QCOMPARE(dialog->lblLookUp->text(), found ? QString() : "G0OWN  not found");
        if (!found)
            QCOMPARE(dialog->txtLat->text(), QString("51.5"));
    }
};

QTEST_MAIN(TestCallbook)
#include "tst_callbook.moc"
