#include "core/base/TextCodec.h"
#include "core/files/Endpoints.h"
#include "core/files/SettingsStore.h"
#include "core/net/TimePage.h"
#include "core/net/UpdateCheck.h"
#include "core/net/VersionCheck.h"
#include "support/TestFiles.h"
#include "support/UpdateServices.h"

#include <QPointF>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;
using test::UpdatesListContent;

namespace {

const QDate today(2024, 6, 15);

using test::makeSite;

SiteList baseSites() {
    return {makeSite("K1AB", "http://a/1.jpg"),
            makeSite("K3EF", "http://c/1.jpg"),
            makeSite("K4GH", "http://g/1.jpg"),
            makeSite("K4GHZ", "http://gz/1.jpg"),
            makeSite("K9KEPT", "http://k/1.jpgNoDelete"),
            makeSite("ON4AA", "http://on/image.jpg"),
            makeSite("VK2XY", "http://vk/image.jpg", -33.5, 151.5)};
}

QByteArray list(const UpdatesListContent &content, int ageDays = 0, int sizeError = 0) {
    return test::updatesListBytes(content, today.addDays(-ageDays), sizeError);
}

// A list of seven sections with LF line ends (`crlf`: CR LF), written by hand. Each section body
// starts on the line after its marker, so the marker line's rest and the line before the next
// marker are no entries.
QByteArray rawList(const QString &moves, const QString &renames, const QString &news,
                   bool crlf = false) {
    QString text = QStringLiteral("999*2024-05-31\n/////5 site updates\n"
                                  "/////5 moved and discontinued\n%1/////5\n"
                                  "/////5 new callsigns\n%2/////5\n/////5 new sites\n%3")
                       .arg(moves, renames, news);
    if (crlf)
        text.replace(u'\n', QStringLiteral("\r\n"));
    return encodeCp1252(text);
}

// One line per entry of the list, fields joined by "|", so that rows read like the list itself.
QStringList describe(const UpdatesList &list) {
    QStringList lines;
    for (const AddressEntry &e : list.addressEntries)
        lines << QStringLiteral("2|%1|%2|%3")
                     .arg(e.callsign, e.pictureUrl, e.discontinued ? "DELETE" : e.newUrl);
    for (const CallsignEntry &e : list.callsignEntries)
        lines << QStringLiteral("4|%1|%2").arg(e.oldCallsign, e.newCallsign);
    for (const NewSiteEntry &e : list.newSites)
        lines << QStringLiteral("6|%1|%2|%3|%4|%5")
                     .arg(e.callsign, e.latitude, e.longitude, e.camUrl, e.pictureUrl);
    return lines;
}

// One line per item of the news, in the order of the dialog's lists.
QStringList describe(const SiteNews &news) {
    QStringList lines;
    for (const NewSiteEntry &e : news.newSites)
        lines << QStringLiteral("new %1 %2").arg(e.callsign, e.pictureUrl);
    for (const DiscontinuedSite &e : news.discontinued)
        lines << QStringLiteral("gone %1 %2").arg(e.callsign, e.pictureUrl);
    for (const CallsignEntry &e : news.renamedSites)
        lines << QStringLiteral("renamed %1 %2").arg(e.oldCallsign, e.newCallsign);
    for (const MovedSite &e : news.movedSites)
        lines << QStringLiteral("moved %1 %2 %3").arg(e.callsign, e.oldUrl, e.newUrl);
    return lines;
}

const UpdatesListContent someNews{{}, {}, {{"DL1XX*52.5*13.4", "http://dl/image.jpg"}}};

QString actionName(UpdateDecision::Action action) {
    static const char *const names[] = {"accept", "refuse", "mirror", "ignore"};
    return names[int(action)];
}

UpdatesList parsed(const UpdatesListContent &content) {
    return readUpdatesList(list(content)).value_or(UpdatesList{});
}

} // namespace

Q_DECLARE_METATYPE(UpdatesListContent)
Q_DECLARE_METATYPE(ListSource)
Q_DECLARE_METATYPE(SiteRecord)

// The maker's services and where they are: the updates list (how it is read, judged and
// compared with the user's sites), the home page's version notice and the time page.
class UpdateCheckTest : public QObject {
    Q_OBJECT

private slots:
    void entries_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        const QString moves = "K1AB*http://a/1.jpg*DELETE\nK2CD*http://b/1.jpg*delete\n"
                              "K3EF*http://c/1.jpg*http://c/2.jpg\n";
        const QString news = "ON4AA*50.85*4.35\nhttp://on/image.jpg\n"
                             "VK2XY*-33.8*151.2*http://vk/cam\nhttp://vk/image.jpg\n";
        const QStringList all{"2|K1AB|http://a/1.jpg|DELETE",
                              "2|K2CD|http://b/1.jpg|DELETE",
                              "2|K3EF|http://c/1.jpg|http://c/2.jpg",
                              "4|K4GH|K4GHX",
                              "6|ON4AA|50.85|4.35||http://on/image.jpg",
                              "6|VK2XY|-33.8|151.2|http://vk/cam|http://vk/image.jpg"};
        QTest::newRow("lf") << rawList(moves, "K4GH*K4GHX\n", news) << all;
        QTest::newRow("cr lf") << rawList(moves, "K4GH*K4GHX\n", news, true) << all;
        QTest::newRow("first and last line of a section are no entries")
            << QByteArray("1*2024-05-31/////5/////5K9ZZ*http://z*DELETE\nK1AB*http://a*DELETE\n"
                          "K8YY*http://y*DELETE/////5/////5/////5/////5")
            << QStringList{"2|K1AB|http://a|DELETE"};
        QTest::newRow("carriage returns inside fields removed")
            << rawList("K1AB*http://a\r*DEL\rETE\n", "K4GH*K4\rGHX\n", "")
            << QStringList{"2|K1AB|http://a|DELETE", "4|K4GH|K4GHX"};
        QTest::newRow("short, empty and no-change entries skipped")
            << rawList(
                   "K1AB*http://a\nK2CD\n\nK1AB**DELETE\nK2CD*http://b*\nK1AB*http://a*http://a\n",
                   "K4GH\n\nK4GH*K4GH\n*K4GH\nK5IJ*\n",
                   "*50*4\nhttp://x\nON4AA*50*4\n\nON4AA*50\nhttp://on/image.jpg\n")
            << QStringList{};
        QTest::newRow("cam entries skipped, case-sensitive")
            << rawList("", "",
                       "W1AW (Cam)*41.7*-72.7\nhttp://w1/cam.jpg\nW2BB*41*-73*(Cam)\nhttp://w2\n"
                       "W3CC*40*-75\nhttp://w3/(Cam).jpg\nW4DD (cam)*35*-80\nhttp://w4\n")
            << QStringList{"6|W4DD (cam)|35|-80||http://w4"};
        QTest::newRow("repeated address once, blank lines, record without address")
            << rawList("", "", "ON4AA*50*4\nhttp://on\nON4AB*51*5\nhttp://on\n\n\nON4AC*5*5\n")
            << QStringList{"6|ON4AA|50|4||http://on"};
        QTest::newRow("windows-1252 text")
            << rawList("", QString::fromUtf16(u"SM0\u00D8X*SM0X\n"), "")
            << QStringList{QString::fromUtf16(u"4|SM0\u00D8X|SM0X")};
        QTest::newRow("sections after the sixth ignored")
            << rawList("", "", "ON4AA*50*4\nhttp://on\n") + "/////5 more\nK1*http://k*DELETE\n"
            << QStringList{"6|ON4AA|50|4||http://on"};
    }
    void entries() {
        QFETCH(QByteArray, bytes);
        const std::optional<UpdatesList> list = readUpdatesList(bytes);
        QVERIFY(list);
        QTEST(describe(*list), "expected");
    }

    void header_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("hasHeader");
        QTest::addColumn<double>("size");
        QTest::addColumn<QString>("date");
        QTest::addColumn<bool>("wholeList");
        const QByteArray sections = "/////5/////5/////5/////5/////5/////5";
        const auto row = [](const char *name, const QByteArray &bytes, bool hasHeader, double size,
                            const char *date, bool wholeList) {
            QTest::newRow(name) << bytes << hasHeader << size << QString(date) << wholeList;
        };
        row("complete", rawList("", "", "", true), true, 999, "2024-05-31", true);
        row("third header field", "12*05/31/2024*x" + sections, true, 12, "05/31/2024", true);
        row("size not a number", "abc*2024-05-31" + sections, true, 0, "2024-05-31", true);
        row("no star", "999 2024-05-31" + sections, false, 0, "", false);
        row("empty", "", false, 0, "", false);
        row("truncated in section 2", rawList("", "", "").left(60), true, 999, "2024-05-31", false);
        row("truncated before the first marker", "999*2024-0", true, 999, "2024-0", false);
    }
    void header() {
        QFETCH(QByteArray, bytes);
        const std::optional<UpdatesListHeader> header = readUpdatesHeader(bytes);
        QTEST(header.has_value(), "hasHeader");
        QTEST(header.value_or(UpdatesListHeader{}).declaredSize, "size");
        QTEST(header.value_or(UpdatesListHeader{}).dateText, "date");
        QTEST(readUpdatesList(bytes).has_value(), "wholeList");
    }

    void date_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        for (const char *may31 : {"2024-05-31", " 2024/5/31 ", "05/31/2024", "5-31-24", "5.31.2024",
                                  "05/31/2024 13:05:09"})
            QTest::newRow(may31) << QString(may31) << QDate(2024, 5, 31);
        QTest::newRow("two-digit year 29") << "1/2/29" << QDate(2029, 1, 2);
        QTest::newRow("two-digit year 30") << "1/2/30" << QDate(1930, 1, 2);
        QTest::newRow("leap day") << "2024-02-29" << QDate(2024, 2, 29);
        for (const char *bad :
             {"2023-02-29", "31/05/2024", "05/31-2024", "5/31/202", "yesterday", "", "+5/31/2024"})
            QTest::newRow(bad) << QString(bad) << QDate();
    }
    void date() {
        QFETCH(QString, text);
        QTEST(parseUpdatesListDate(text).value_or(QDate()), "date");
    }

    void judge_data() {
        QTest::addColumn<ListSource>("source");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("news");
        const auto row = [](const char *name, ListSource source, const QByteArray &bytes,
                            const char *action, bool news) {
            QTest::newRow(name) << source << bytes << QString(action) << news;
        };
        const auto main = ListSource::Main;
        QByteArray noDate = list({});
        noDate.replace(today.toString(Qt::ISODate).toLatin1(), "someday!!!");
        const QByteArray sixSections = "*2024-06-15/////5/////5/////5/////5/////5 five";

        row("valid with news", main, list(someNews), "accept", true);
        row("one byte more stated", main, list(someNews, 0, 1), "refuse", false);
        row("one byte less stated", main, list(someNews, 0, -1), "refuse", false);
        row("truncated", main, list(someNews).chopped(20), "refuse", false);
        row("60 days old", main, list(someNews, 60), "accept", true);
        row("61 days old", main, list(someNews, 61), "mirror", false);
        row("61 days old from the mirror", ListSource::Mirror, list(someNews, 61), "refuse", false);
        row("unreadable date", main, noDate, "refuse", false);
        row("no header", main, "<html>Not found</html>", "refuse", false);
        row("six sections", main, QByteArray::number(sixSections.size() + 2) + sixSections,
            "refuse", false);
    }
    void judge() {
        QFETCH(ListSource, source);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, action);
        QFETCH(bool, news);
        const UpdateDecision decision = judgeUpdatesList(source, bytes, today, baseSites());
        QCOMPARE(actionName(decision.action), action);
        QCOMPARE(decision.mirrorPath, action == "mirror" ? "updates/updates.txt" : "");
        QCOMPARE(decision.source, source);
        QCOMPARE(decision.list.has_value(), action == "accept");
        QCOMPARE(!decision.news.isEmpty(), news);
        if (action != "accept")
            QVERIFY(!decision.reason.isEmpty());
    }

    // A whole check as the main window drives it: every "mirror" decision is one request to
    // the mirror. Events: "begin" or "<main|mirror>:<good|old|size-off|failed>".
    void check_data() {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("actions");
        QTest::addColumn<int>("mirrorRequests");
        const auto row = [](const char *name, const char *events, const char *actions, int n) {
            QTest::newRow(name) << QString(events) << QString(actions) << n;
        };
        row("size off", "begin main:size-off", "refuse", 0);
        row("old main", "begin main:old mirror:good", "mirror accept", 1);
        row("both failed", "begin main:failed mirror:failed mirror:failed", "mirror refuse ignore",
            1);
        row("main again while the mirror is awaited", "begin main:failed main:good mirror:good",
            "mirror ignore accept", 1);
        row("no check running", "mirror:good main:good", "ignore ignore", 0);
        row("new check drops the old mirror answer",
            "begin main:failed begin mirror:good main:good", "mirror ignore accept", 1);
        row("each check its own mirror request",
            "begin main:failed mirror:failed begin main:failed mirror:failed",
            "mirror refuse mirror refuse", 2);
    }
    void check() {
        QFETCH(QString, events);
        QFETCH(QString, actions);
        const SiteList sites = baseSites();
        UpdateCheck check;
        QStringList seen;
        int requests = 0;
        for (const QString &event : events.split(u' ')) {
            if (event == "begin") {
                check.begin();
                continue;
            }
            const ListSource source =
                event.startsWith("main") ? ListSource::Main : ListSource::Mirror;
            const QString what = event.section(u':', 1);
            const UpdateDecision decision =
                what == "failed" ? check.listFailed(source)
                                 : check.listReceived(source,
                                                      list(someNews, what == "old" ? 61 : 0,
                                                           what == "size-off" ? 1 : 0),
                                                      today, sites);
            seen << actionName(decision.action);
            requests += decision.action == UpdateDecision::Action::TryMirror;
        }
        QCOMPARE(seen.join(u' '), actions);
        QTEST(requests, "mirrorRequests");
        QCOMPARE(check.isRunning(), actions.endsWith("mirror"));
    }

    void news_data() {
        QTest::addColumn<UpdatesListContent>("content");
        QTest::addColumn<SiteList>("extraSites");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("everything at once")
            << UpdatesListContent{{"x*http://a/1.jpg*delete", "K3EF*http://c/1.jpg*http://c/3.jpg"},
                                  {"VK2XY*VK2XZ"},
                                  {{"DL1XX*52.5*13.4", "http://dl/image.jpg"}}}
            << SiteList{}
            << QStringList{"new DL1XX http://dl/image.jpg", "gone K1AB http://a/1.jpg",
                           "renamed VK2XY VK2XZ", "moved K3EF http://c/1.jpg http://c/3.jpg"};
        QTest::newRow("two records share a moved address")
            << UpdatesListContent{{"K3EF*http://c/1.jpg*http://c/2.jpg"}, {}, {}}
            << SiteList{makeSite("K3EFB", "http://c/1.jpg")}
            << QStringList{"moved K3EF http://c/1.jpg http://c/2.jpg",
                           "moved K3EFB http://c/1.jpg http://c/2.jpg"};
        QTest::newRow("addresses and callsigns compared exactly")
            << UpdatesListContent{{"K1AB*http://A/1.jpg*DELETE", "K1AB*http://a/1*DELETE",
                                   "K9KEPT*http://k/1.jpg*DELETE"},
                                  {"K4G*K4X", "4GHZ*K4X", "k4gh*K4X"},
                                  {}}
            << SiteList{} << QStringList{};
        QTest::newRow("renames keep the list sorted")
            << UpdatesListContent{{}, {"K1AB*ZZ9ZZ", "VK2XY*AA1AA"}, {}} << SiteList{}
            << QStringList{"renamed K1AB ZZ9ZZ", "renamed VK2XY AA1AA"};
        QTest::newRow("rename touches the first record only")
            << UpdatesListContent{{}, {"DL1AA*DL1AB"}, {}}
            << SiteList{makeSite("DL1AA", "http://d/1"), makeSite("DL1AA", "http://d/2")}
            << QStringList{"renamed DL1AA DL1AB"};
        QTest::newRow("new sites already known, cameras, empty addresses")
            << UpdatesListContent{{"K1AB**DELETE", "K3EF*http://c/1.jpg*http://c/2.jpg"},
                                  {},
                                  {{"ON4AA*50.8*4.3", "http://on/image.jpg"},
                                   {"K3EF*40*-75", "http://c/2.jpg"},
                                   {"W1AW (Cam)*41.7*-72.7", "http://w1/cam.jpg"},
                                   {"W1AW*41.7*-72.7", ""}}}
            << SiteList{makeSite("EMPTY", "")}
            << QStringList{"moved K3EF http://c/1.jpg http://c/2.jpg"};
    }
    void news() {
        QFETCH(UpdatesListContent, content);
        QFETCH(SiteList, extraSites);
        QFETCH(QStringList, expected);
        const SiteList sites = baseSites() + extraSites;
        const UpdatesList updates = parsed(content);
        QCOMPARE(describe(compareSiteList(updates, sites)), expected);
        // The dialog applies exactly what the check announced, and an applied move is no news.
        SiteList applied = sites;
        QCOMPARE(describe(applySiteChanges(applied, updates)), expected);
        QVERIFY(compareSiteList(updates, applied).movedSites.isEmpty());
        QStringList order;
        for (const SiteRecord &record : applied)
            order << record.Callsign;
        QVERIFY2(std::is_sorted(order.begin(), order.end()), qPrintable(order.join(u' ')));
    }

    void positions_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<SiteRecord>("stored");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        const auto row = [](const char *name, const char *record, const SiteRecord &stored,
                            double lat, double lon) {
            QTest::newRow(name) << QString(record) << stored << lat << lon;
        };
        const SiteRecord unknown = makeSite("G1AA", "http://x");
        row("unknown taken", "G1AA*50.85*4.35", unknown, 50.85, 4.35);
        row("known kept", "G1AA*-33.8*151.2", makeSite("G1AA", "http://x", -33.5, 151.5), -33.5,
            151.5);
        row("only the unknown half taken", "G1AA*51.5*-0.1", makeSite("G1AA", "http://x", 52, 0),
            52, -0.1);
        row("empty field stays unknown", "G1AA**-0.1", unknown, 0, -0.1);
    }
    void positions() {
        QFETCH(QString, record);
        QFETCH(SiteRecord, stored);
        SiteList sites{makeSite("A", "http://other"), stored, makeSite("Z", "http://x")};
        const int changed = fillMissingPositions(sites, parsed({{}, {}, {{record, "http://x"}}}));
        QTEST(sites[1].Latitude, "lat");
        QTEST(sites[1].Longitude, "lon");
        QCOMPARE(changed, sites[1] == stored ? 0 : 1);
        QCOMPARE(sites[2], makeSite("Z", "http://x")); // only the first record with the address
    }

    void newSiteRecords() {
        const UpdatesList updates = parsed({{},
                                            {},
                                            {{"VK2XY*-33.8*151.2*http://vk/cam", "http://n/a.jpg"},
                                             {"DL1XX*52,5*abc", "http://n/b.jpg"}}});
        QCOMPARE(updates.newSites.size(), 2);
        // On no page, no picture date yet.
        SiteRecord expected = makeSite("VK2XY", "http://n/a.jpg", -33.8, 151.2);
        expected.CamUrl = QStringLiteral("http://vk/cam");
        QCOMPARE(newSiteRecord(updates.newSites.first()), expected);
        // A comma is no decimal point, and letters read as 0.
        const SiteRecord comma = newSiteRecord(updates.newSites.last());
        QCOMPARE(QPointF(comma.Latitude, comma.Longitude), QPointF(52, 0));
    }

    void storeOverridesDefaults() {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("Tavimo.ini"));
        QCOMPARE(readEndpoints(store), Endpoints::defaults());
        store.setValue(kEndpointsSection, "ConnectionProbe", QString());
        store.setValue(kEndpointsSection, "TimePage", "  http://127.0.0.1:8080/time ");
        QVERIFY(store.sync());
        const Endpoints endpoints = readEndpoints(SettingsStore(dir.filePath("Tavimo.ini")));
        QCOMPARE(endpoints.ConnectionProbe, QString()); // present and empty: switched off
        QCOMPARE(endpoints.TimePage, QString("http://127.0.0.1:8080/time"));
        QCOMPARE(endpoints.WebMap, Endpoints::defaults().WebMap);
    }

    void joinEndpoint() {
        const char *rows[][3] = {
            {"http://www.qrz.com/", "db/AB1CD#t_detail", "http://www.qrz.com/db/AB1CD#t_detail"},
            // A leading slash stays below the endpoint.
            {"http://127.0.0.1:9/callbook/eham/", "/callbook/AB1CD",
             "http://127.0.0.1:9/callbook/eham/callbook/AB1CD"},
            {"http://127.0.0.1:9/mirror/updates.txt", "updates/sstvupdates.txt",
             "http://127.0.0.1:9/mirror/updates/sstvupdates.txt"},
            {"http://maps.example/", "maps?q=51.5,-0.12&t=h&z=18",
             "http://maps.example/maps?q=51.5,-0.12&t=h&z=18"},
            {"", "db/AB1CD", ""}, // switched off
        };
        for (const auto &r : rows)
            QCOMPARE(tavimo::joinEndpoint(r[0], r[1]), QString(r[2]));
    }

    // The first "BR" is followed by ten characters, then the UTC time.
    void timePage_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("time"); // empty: clock left alone
        const auto page = [](const QByteArray &time) {
            return "<html><body>15:05:09<BR>UTC now: " + time + "<BR>bye</body></html>";
        };
        QTest::newRow("midnight") << page("00:00:00") << "00:00:00";
        QTest::newRow("before midnight") << page("23:59:59") << "23:59:59";
        QTest::newRow("first marker")
            << QByteArray("xBR012345678908:15:00 BR012345678909:00:00") << "08:15:00";
        QTest::newRow("invalid time") << page("25:61:00") << "";
        QTest::newRow("24:00:00") << page("24:00:00") << "";
        QTest::newRow("no marker") << QByteArray("<br>UTC now:  13:05:09") << "";
        QTest::newRow("empty page") << QByteArray() << "";
        QTest::newRow("cut inside the time") << QByteArray("BR012345678913:05") << "";
        QTest::newRow("one place off") << QByteArray("BR01234567813:05:09") << "";
    }
    void timePage() {
        QFETCH(QByteArray, page);
        QTEST(timePageUtcTime(page).value_or(QString()), "time");
    }

    // The product name, four characters, the version. newer: empty when there is no notice.
    void newerVersion_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("own");
        QTest::addColumn<QString>("newer");
        const auto row = [](const char *name, const QByteArray &page, const char *own,
                            const char *newer) {
            QTest::newRow(name) << page << QString(own) << QString(newer);
        };
        const auto notice = [](const QByteArray &v) {
            return "<p>Tavimo ver " + v + " is out.</p>";
        };
        row("4.100 over 4.92, as numbers", notice("4.100"), "4.92", "4.100");
        row("4.9 under 4.91", notice("4.9"), "4.91", "");
        row("10.0 over 9.99", notice("10.0"), "9.99", "10.0");
        row("letters after the number", notice("4.92b"), "4.91", "4.92");
        row("letters instead", notice("beta"), "4.91", "");
        row("no minor part", notice("5. "), "4.91", "");
        row("no major part", notice(".95"), "4.91", "");
        row("two points", notice("4.9.2"), "4.91", "");
        row("absurdly long", notice("4.1234567"), "4.91", "");
        row("own version unreadable", notice("4.92"), "", "");
        row("at the very end", "Tavimo ver 4.92", "4.91", "4.92");
        row("first marker counts", "Tavimo ver 4.90 / Tavimo ver 4.99", "4.91", "");
        row("case-sensitive", "tavimo ver 4.92", "4.91", "");
        row("no marker", "<html>Page moved</html>", "4.91", "");
        row("cut in the marker", "Tavimo ve", "4.91", "");
    }
    void newerVersion() {
        QFETCH(QByteArray, page);
        QFETCH(QString, own);
        QTEST(newerVersionOnHomePage(page, own).value_or(QString()), "newer");
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "tst_updatecheck.moc"
