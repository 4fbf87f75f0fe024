#include "StationsHarness.h"

#include "core/net/CallbookPage.h"
#include "core/net/CallsignLookup.h"
#include "support/CallbookPages.h"
#include "support/Fixtures.h"

#include <QSignalSpy>

Q_DECLARE_METATYPE(tavimo::test::Route)

using namespace tavimo;
using namespace tavimo::test;

namespace {

Route html(const QByteArray &body, int delayMs = 0) {
    Route route;
    route.body = body;
    route.contentType = "text/html";
    route.delayMs = delayMs;
    return route;
}

CallbookStation station(const QString &call) {
    CallbookStation s;
    s.callsign = call;
    s.name = "Bo Ek";
    s.address1 = "Yagi Way 3";
    s.address2 = "Stockholm";
    s.country = "Sweden";
    s.latitude = 59.33;
    s.longitude = 18.07;
    s.grid = "JO99bh";
    return s;
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

} // namespace

class TestCallsignLookup : public QObject {
    Q_OBJECT

private slots:
    void recordPages_data() {
        QTest::addColumn<int>("db");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("country");
        QTest::newRow("eHam") << 1 << "/callbook/eham/callbook/SM0ABC"
                              << "Sweden";
        QTest::newRow("QRZ") << 2 << "/callbook/qrz/db/SM0ABC"
                             << "Sweden";
        QTest::newRow("Hamdata") << 3 << "/callbook/hamdata/getcall.html?callsign=SM0ABC"
                                 << "";
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
        QCOMPARE(lookup.cName(), QString("Bo Ek"));
        QTEST(lookup.Ctry(), "country");
        QCOMPARE(lookup.Grid(), QString("JO99bh"));
        QVERIFY(!lookup.isPending(callbookLabel(db)));

        // The home page carries the label too.
        h.server.setRoute(QUrl(callbookHomeAddress(h.state.endpoints, db)).path(),
                          html(callbookHomePage(db)));
        lookup.GetSite();
        QTRY_COMPARE(log.events.last(), "GotSite " + callbookLabel(db));
    }

    void notFound_data() {
        QTest::addColumn<Route>("route");
        QTest::addColumn<QStringList>("events");
        Route missing;
        missing.status = 404;
        Route huge = html(QByteArray("<title>eHam.net</title>") +
                          QByteArray(int(CallsignLookup::kPageCap), 'x'));
        QTest::newRow("no record: the name raises CallNotFound")
            << html(callbookNotFoundPage(1, "SM0ABC"))
            << QStringList{"GotPage eHam.net", "CallNotFound SM\u00D8ABC"};
        QTest::newRow("label missing")
            << html("<html>some other site</html>") << QStringList{"PageNotFound eHam.net"};
        QTest::newRow("read failed") << missing << QStringList{"PageNotFound eHam.net"};
        QTest::newRow("page too large") << huge << QStringList{"PageNotFound eHam.net"};
    }
    void notFound() {
        QFETCH(Route, route);
        StationsHarness h;
        h.server.setRoute("/callbook/eham/callbook/SM0ABC", route);
        CallsignLookup lookup(h.downloads, h.state.endpoints);
        EventLog log(lookup);
        connect(&lookup, &CallsignLookup::GotPage, &lookup, [&] { lookup.cName(); });
        lookup.Database(1);
        lookup.GetPage(QString("SM\u00D8ABC"));
        QFETCH(QStringList, events);
        QTRY_COMPARE(log.events, events);
        QVERIFY(!lookup.isPending("eHam.net"));
    }

    // Requests that cannot be made report not found at once, but still after
    // the call has returned.
    void impossibleRequests_data() {
        QTest::addColumn<int>("db");
        QTest::addColumn<QString>("callsign");
        QTest::addColumn<bool>("hostOff");
        QTest::newRow("no database chosen") << 0 << "SM0ABC" << false;
        QTest::newRow("no such database") << 4 << "SM0ABC" << false;
        QTest::newRow("callbook switched off") << 1 << "SM0ABC" << true;
        QTest::newRow("empty callsign") << 1 << "" << false;
    }
    void impossibleRequests() {
        QFETCH(int, db);
        QFETCH(QString, callsign);
        QFETCH(bool, hostOff);
        StationsHarness h;
        if (hostOff)
            h.state.endpoints.CallbookEham.clear();
        CallsignLookup lookup(h.downloads, h.state.endpoints);
        EventLog log(lookup);
        lookup.Database(db);
        lookup.GetPage(callsign);
        QVERIFY(log.events.isEmpty());
        QTRY_COMPARE(log.events, QStringList{"PageNotFound " + callsign});
        QVERIFY(h.server.requests().isEmpty());
    }

    void newerRequestSupersedes() {
        StationsHarness h;
        h.server.setRoute("/callbook/eham/callbook/AA1AA",
                          html(callbookRecordPage(1, station("AA1AA")), 300));
        h.server.setRoute("/callbook/qrz/db/BB1BB",
                          html(callbookRecordPage(2, station("BB1BB")), 300));
        h.server.setRoute("/callbook/eham/callbook/CC1CC",
                          html(callbookRecordPage(1, station("CC1CC"))));
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
        h.server.setRoute("/callbook/eham/callbook/DD1DD",
                          html(callbookRecordPage(1, station("DD1DD")), 100));
        lookup.GetPage("DD1DD");
        lookup.cancel();
        QTest::qWait(300);
        QCOMPARE(log.events.size(), 1);
    }

    void pictures() {
        StationsHarness h;
        h.server.setRoute("/qrzpics/c/sm0abc/sm0abc.jpg", [] {
            Route r;
            r.body = jpegBytes(QSize(200, 100));
            return r;
        }());
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
};

QTEST_MAIN(TestCallsignLookup)
#include "tst_callsignlookup.moc"
