#include "core/TextCodec.h"
#include "core/UpdateCheck.h"

#include <QTest>

using namespace tavimo;

namespace {

// ---- Updates-list builders (also the model for the simulator's routes) ----

// The contents of an updates list, one text per entry line.
struct ListContent {
    QStringList moved;   // "callsign*address*DELETE" or "callsign*address*newAddress"
    QStringList renamed; // "oldCallsign*newCallsign"
    QList<QPair<QString, QString>> newSites; // record line, address line
};

// `body` (everything after the size) behind a size that counts its own digits, plus
// `sizeError`.
QByteArray withSize(const QByteArray &body, int sizeError = 0) {
    qsizetype size = body.size();
    while (QByteArray::number(size).size() + body.size() != size)
        size = QByteArray::number(size).size() + body.size();
    return QByteArray::number(size + sizeError) + body;
}

// The bytes of an updates list dated `date`, whose header states its own size exactly, or
// `sizeError` bytes more.
QByteArray updatesListBytes(const ListContent &content, const QDate &date, int sizeError = 0,
                            const QString &eol = QStringLiteral("\r\n")) {
    QString body = QLatin1Char('*') + date.toString(Qt::ISODate) + eol;
    body += QStringLiteral("/////5 Tavimo site updates") + eol;
    body += QStringLiteral("/////5 moved and discontinued sites") + eol;
    for (const QString &line : content.moved)
        body += line + eol;
    body += QStringLiteral("/////5") + eol;
    body += QStringLiteral("/////5 new callsigns") + eol;
    for (const QString &line : content.renamed)
        body += line + eol;
    body += QStringLiteral("/////5") + eol;
    body += QStringLiteral("/////5 new sites") + eol;
    for (const auto &[record, address] : content.newSites)
        body += record + eol + address + eol;
    return withSize(encodeCp1252(body), sizeError);
}

QByteArray validList(const ListContent &content, const QDate &date) {
    return updatesListBytes(content, date);
}

// A list cut short on the way: its header still claims the whole size.
QByteArray truncatedList(const ListContent &content, const QDate &date, int missingBytes) {
    return updatesListBytes(content, date).chopped(missingBytes);
}

QByteArray oldList(const ListContent &content, const QDate &today, int ageDays = 61) {
    return updatesListBytes(content, today.addDays(-ageDays));
}

const QDate today(2024, 6, 15);

SiteRecord site(const QString &callsign, const QString &url, double lat = 0, double lon = 0) {
    SiteRecord record;
    record.Callsign = callsign;
    record.PictureUrl = url;
    record.Latitude = lat;
    record.Longitude = lon;
    return record;
}

SiteList baseSites() {
    return {site("K1AB", "http://a/1.jpg"),
            site("K3EF", "http://c/1.jpg"),
            site("K4GH", "http://g/1.jpg"),
            site("K4GHZ", "http://gz/1.jpg"),
            site("K9KEPT", "http://k/1.jpgNoDelete"),
            site("ON4AA", "http://on/image.jpg"),
            site("VK2XY", "http://vk/image.jpg", -33.5, 151.5)};
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

const ListContent someNews{{}, {}, {{"DL1XX*52.5*13.4", "http://dl/image.jpg"}}};

QString actionName(UpdateDecision::Action action) {
    switch (action) {
    case UpdateDecision::Action::Accept:
        return "accept";
    case UpdateDecision::Action::Refuse:
        return "refuse";
    case UpdateDecision::Action::TryMirror:
        return "mirror";
    case UpdateDecision::Action::Ignore:
        return "ignore";
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(ListContent)
Q_DECLARE_METATYPE(ListSource)
Q_DECLARE_METATYPE(SiteRecord)

class UpdateCheckTest : public QObject {
    Q_OBJECT

private slots:
    void builderStatesItsOwnSize() {
        for (int entries : {0, 1, 30, 400}) {
            ListContent content;
            for (int i = 0; i < entries; ++i)
                content.moved << QStringLiteral("K%1*http://x/%1*DELETE").arg(i);
            const QByteArray bytes = validList(content, today);
            QCOMPARE(readUpdatesHeader(bytes)->declaredSize, double(bytes.size()));
        }
    }

    void judge_data() {
        QTest::addColumn<ListSource>("source");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("mirrorPath");
        QTest::addColumn<bool>("news");

        const auto main = ListSource::Main;
        const auto mirror = ListSource::Mirror;
        QTest::newRow("valid list with news") << main << validList(someNews, today) << "accept"
                                              << "" << true;
        QTest::newRow("valid list without news") << main << validList({}, today) << "accept"
                                                 << "" << false;
        QTest::newRow("lf line ends")
            << main << updatesListBytes(someNews, today, 0, "\n") << "accept"
            << "" << true;
        QTest::newRow("one byte more stated: refused, no mirror")
            << main << updatesListBytes(someNews, today, 1) << "refuse"
            << "" << false;
        QTest::newRow("one byte less stated: refused, no mirror")
            << main << updatesListBytes(someNews, today, -1) << "refuse"
            << "" << false;
        QTest::newRow("truncated: refused, no mirror")
            << main << truncatedList(someNews, today, 20) << "refuse"
            << "" << false;
        QTest::newRow("60 days old accepted") << main << oldList(someNews, today, 60) << "accept"
                                              << "" << true;
        QTest::newRow("61 days old: mirror's recent list")
            << main << oldList(someNews, today) << "mirror"
            << "updates/updates.txt" << false;
        QTest::newRow("61 days old from the mirror: refused")
            << mirror << oldList(someNews, today) << "refuse"
            << "" << false;
        QTest::newRow("dated ahead accepted")
            << main << validList(someNews, today.addDays(3)) << "accept"
            << "" << true;
        QTest::newRow("mirror list accepted") << mirror << validList(someNews, today) << "accept"
                                              << "" << true;

        QByteArray noDate = validList({}, today);
        noDate.replace(today.toString(Qt::ISODate).toLatin1(), "someday!!!");
        QTest::newRow("unreadable date: refused, no mirror") << main << noDate << "refuse"
                                                             << "" << false;
        QTest::newRow("no header: refused")
            << main << QByteArray("<html>Not found</html>") << "refuse"
            << "" << false;
        QTest::newRow("empty answer: refused") << main << QByteArray() << "refuse"
                                               << "" << false;
        const QByteArray sixSections = withSize("*2024-06-15/////5/////5/////5/////5/////5 five");
        QTest::newRow("six sections: refused") << main << sixSections << "refuse"
                                               << "" << false;
    }
    void judge() {
        QFETCH(ListSource, source);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, action);
        QFETCH(QString, mirrorPath);
        QFETCH(bool, news);
        const UpdateDecision decision = judgeUpdatesList(source, bytes, today, baseSites());
        QCOMPARE(actionName(decision.action), action);
        QCOMPARE(decision.mirrorPath, mirrorPath);
        QCOMPARE(decision.source, source);
        QCOMPARE(decision.list.has_value(), action == "accept");
        QCOMPARE(!decision.news.isEmpty(), news);
        if (action != "accept")
            QVERIFY(!decision.reason.isEmpty());
    }

    // A whole check as the main window drives it: every answer goes to the check, and every
    // "mirror" decision is one request to the mirror.
    void check_data() {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<int>("mirrorRequests");

        QTest::newRow("good main list")
            << QStringList{"begin", "main good"} << QStringList{"accept"} << 0;
        QTest::newRow("size off: no mirror")
            << QStringList{"begin", "main size-off"} << QStringList{"refuse"} << 0;
        QTest::newRow("old main, good mirror") << QStringList{"begin", "main old", "mirror good"}
                                               << QStringList{"mirror", "accept"} << 1;
        QTest::newRow("old main, old mirror: stop")
            << QStringList{"begin", "main old", "mirror old"} << QStringList{"mirror", "refuse"}
            << 1;
        QTest::newRow("failed main, good mirror")
            << QStringList{"begin", "main failed", "mirror good"} << QStringList{"mirror", "accept"}
            << 1;
        QTest::newRow("failed main, failed mirror: stop")
            << QStringList{"begin", "main failed", "mirror failed", "mirror failed"}
            << QStringList{"mirror", "refuse", "ignore"} << 1;
        QTest::newRow("failed main, size-off mirror")
            << QStringList{"begin", "main failed", "mirror size-off"}
            << QStringList{"mirror", "refuse"} << 1;
        QTest::newRow("main answers again while the mirror is awaited")
            << QStringList{"begin", "main failed", "main good", "mirror good"}
            << QStringList{"mirror", "ignore", "accept"} << 1;
        QTest::newRow("answer without a check")
            << QStringList{"mirror good", "main good"} << QStringList{"ignore", "ignore"} << 0;
        QTest::newRow("a new check drops the old mirror answer")
            << QStringList{"begin", "main failed", "begin", "mirror good", "main good"}
            << QStringList{"mirror", "ignore", "accept"} << 1;
        QTest::newRow("each check gets its own mirror request")
            << QStringList{"begin", "main failed", "mirror failed",
                           "begin", "main failed", "mirror failed"}
            << QStringList{"mirror", "refuse", "mirror", "refuse"} << 2;
    }
    void check() {
        QFETCH(QStringList, events);
        QFETCH(QStringList, actions);
        QFETCH(int, mirrorRequests);
        const SiteList sites = baseSites();
        UpdateCheck check;
        QStringList seen;
        int requests = 0;
        for (const QString &event : events) {
            if (event == "begin") {
                check.begin();
                QVERIFY(check.isRunning());
                continue;
            }
            const auto [from, what] = std::pair(event.section(' ', 0, 0), event.section(' ', 1));
            const ListSource source = from == "main" ? ListSource::Main : ListSource::Mirror;
            UpdateDecision decision;
            if (what == "failed")
                decision = check.listFailed(source);
            else if (what == "good")
                decision = check.listReceived(source, validList(someNews, today), today, sites);
            else if (what == "old")
                decision = check.listReceived(source, oldList(someNews, today), today, sites);
            else if (what == "size-off")
                decision =
                    check.listReceived(source, updatesListBytes(someNews, today, 1), today, sites);
            else
                QFAIL(qPrintable("unknown event " + event));
            seen << actionName(decision.action);
            if (decision.action == UpdateDecision::Action::TryMirror) {
                ++requests;
                QVERIFY(check.isRunning());
            }
        }
        QCOMPARE(seen, actions);
        QCOMPARE(requests, mirrorRequests);
        QVERIFY(!check.isRunning() || actions.last() == "mirror");
    }

    void news_data() {
        QTest::addColumn<ListContent>("content");
        QTest::addColumn<SiteList>("extraSites");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("nothing listed") << ListContent{} << SiteList{} << QStringList{};
        QTest::newRow("discontinued") << ListContent{{"x*http://a/1.jpg*DELETE"}, {}, {}}
                                      << SiteList{} << QStringList{"gone K1AB http://a/1.jpg"};
        QTest::newRow("moved") << ListContent{{"K3EF*http://c/1.jpg*http://c/2.jpg"}, {}, {}}
                               << SiteList{}
                               << QStringList{"moved K3EF http://c/1.jpg http://c/2.jpg"};
        QTest::newRow("two records share a moved address")
            << ListContent{{"K3EF*http://c/1.jpg*http://c/2.jpg"}, {}, {}}
            << SiteList{site("K3EFB", "http://c/1.jpg")}
            << QStringList{"moved K3EF http://c/1.jpg http://c/2.jpg",
                           "moved K3EFB http://c/1.jpg http://c/2.jpg"};
        QTest::newRow("address compared exactly")
            << ListContent{{"K1AB*http://A/1.jpg*DELETE", "K1AB*http://a/1*DELETE"}, {}, {}}
            << SiteList{} << QStringList{};
        QTest::newRow("site kept after an earlier notice")
            << ListContent{{"K9KEPT*http://k/1.jpg*DELETE"}, {}, {}} << SiteList{} << QStringList{};
        QTest::newRow("renamed, exact callsign") << ListContent{{}, {"K4GH*K4GHN"}, {}}
                                                 << SiteList{} << QStringList{"renamed K4GH K4GHN"};
        QTest::newRow("part of a callsign is no match")
            << ListContent{{}, {"K4G*K4X", "4GHZ*K4X", "k4gh*K4X"}, {}} << SiteList{}
            << QStringList{};
        QTest::newRow("rename touches the first record only")
            << ListContent{{}, {"DL1AA*DL1AB"}, {}}
            << SiteList{site("DL1AA", "http://d/1"), site("DL1AA", "http://d/2")}
            << QStringList{"renamed DL1AA DL1AB"};
        QTest::newRow("new site") << ListContent{{},
                                                 {},
                                                 {{"DL1XX*52.5*13.4", "http://dl/image.jpg"}}}
                                  << SiteList{} << QStringList{"new DL1XX http://dl/image.jpg"};
        QTest::newRow("new site already in the list")
            << ListContent{{}, {}, {{"ON4AA*50.8*4.3", "http://on/image.jpg"}}} << SiteList{}
            << QStringList{};
        QTest::newRow("new site at an address a move just gave")
            << ListContent{{"K3EF*http://c/1.jpg*http://c/2.jpg"},
                           {},
                           {{"K3EF*40*-75", "http://c/2.jpg"}}}
            << SiteList{} << QStringList{"moved K3EF http://c/1.jpg http://c/2.jpg"};
        QTest::newRow("camera only: no news")
            << ListContent{{}, {}, {{"W1AW (Cam)*41.7*-72.7", "http://w1/cam.jpg"}}} << SiteList{}
            << QStringList{};
        QTest::newRow("empty address only: no news")
            << ListContent{{"K1AB**DELETE"}, {}, {{"W1AW*41.7*-72.7", ""}}}
            << SiteList{site("EMPTY", "")} << QStringList{};
        QTest::newRow("everything at once")
            << ListContent{{"x*http://a/1.jpg*delete", "K3EF*http://c/1.jpg*http://c/3.jpg"},
                           {"VK2XY*VK2XZ"},
                           {{"DL1XX*52.5*13.4", "http://dl/image.jpg"}}}
            << SiteList{}
            << QStringList{"new DL1XX http://dl/image.jpg", "gone K1AB http://a/1.jpg",
                           "renamed VK2XY VK2XZ", "moved K3EF http://c/1.jpg http://c/3.jpg"};
    }
    void news() {
        QFETCH(ListContent, content);
        QFETCH(SiteList, extraSites);
        QFETCH(QStringList, expected);
        const SiteList sites = baseSites() + extraSites;
        const std::optional<UpdatesList> list = readUpdatesList(validList(content, today));
        QVERIFY(list);
        const SiteNews news = compareSiteList(*list, sites);
        QCOMPARE(describe(news), expected);
        QCOMPARE(news.isEmpty(), expected.isEmpty());

        // The dialog applies exactly what the check announced.
        SiteList applied = sites;
        QCOMPARE(describe(applySiteChanges(applied, *list)), expected);
        // Once applied, a move is no news any more.
        QVERIFY(compareSiteList(*list, applied).movedSites.isEmpty());
    }

    void applyChangesTheList() {
        const std::optional<UpdatesList> list = readUpdatesList(validList(
            {{"K3EF*http://c/1.jpg*http://c/2.jpg"}, {"K1AB*ZZ9ZZ", "VK2XY*AA1AA"}, {}}, today));
        QVERIFY(list);
        SiteList sites = baseSites();
        applySiteChanges(sites, *list);
        QStringList order;
        for (const SiteRecord &record : sites)
            order << record.Callsign + " " + record.PictureUrl;
        QCOMPARE(order, (QStringList{"AA1AA http://vk/image.jpg", "K3EF http://c/2.jpg",
                                     "K4GH http://g/1.jpg", "K4GHZ http://gz/1.jpg",
                                     "K9KEPT http://k/1.jpgNoDelete", "ON4AA http://on/image.jpg",
                                     "ZZ9ZZ http://a/1.jpg"}));
    }

    void positions_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<SiteRecord>("stored");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");

        QTest::newRow("unknown position taken")
            << "ON4AA*50.85*4.35" << site("ON4AA", "http://x") << 50.85 << 4.35;
        QTest::newRow("known position kept")
            << "VK2XY*-33.8*151.2" << site("VK2XY", "http://x", -33.5, 151.5) << -33.5 << 151.5;
        QTest::newRow("only the unknown half taken")
            << "G1AA*51.5*-0.1" << site("G1AA", "http://x", 52.0, 0) << 52.0 << -0.1;
        QTest::newRow("empty field leaves it unknown")
            << "G1AA**-0.1" << site("G1AA", "http://x") << 0.0 << -0.1;
    }
    void positions() {
        QFETCH(QString, record);
        QFETCH(SiteRecord, stored);
        QFETCH(double, lat);
        QFETCH(double, lon);
        const std::optional<UpdatesList> list =
            readUpdatesList(validList({{}, {}, {{record, "http://x"}}}, today));
        QVERIFY(list);
        SiteList sites{site("A", "http://other"), stored, site("Z", "http://x")};
        const SiteRecord untouched = sites[2];
        const int changed = fillMissingPositions(sites, *list);
        QCOMPARE(sites[1].Latitude, lat);
        QCOMPARE(sites[1].Longitude, lon);
        QCOMPARE(changed, sites[1] == stored ? 0 : 1);
        QCOMPARE(sites[2], untouched); // only the first record with the address
    }

    void newSiteRecords_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<QString>("cam");
        QTest::newRow("with camera")
            << "VK2XY*-33.8*151.2*http://vk/cam" << -33.8 << 151.2 << "http://vk/cam";
        QTest::newRow("three fields") << "DL1XX*52.5*13.4" << 52.5 << 13.4 << "";
        QTest::newRow("comma is no point") << "DL1XX*52,5*abc" << 52.0 << 0.0 << "";
    }
    void newSiteRecords() {
        QFETCH(QString, record);
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(QString, cam);
        const std::optional<UpdatesList> list =
            readUpdatesList(validList({{}, {}, {{record, "http://n/image.jpg"}}}, today));
        QVERIFY(list);
        QCOMPARE(list->newSites.size(), 1);
        const SiteRecord made = newSiteRecord(list->newSites.first());
        QCOMPARE(made.Callsign, record.section('*', 0, 0));
        QCOMPARE(made.PictureUrl, QStringLiteral("http://n/image.jpg"));
        QCOMPARE(made.Latitude, lat);
        QCOMPARE(made.Longitude, lon);
        QCOMPARE(made.CamUrl, cam);
        QCOMPARE(made.SlotMap[0], QString());
        for (std::size_t layout = 1; layout <= 4; ++layout)
            QCOMPARE(made.SlotMap[layout], QStringLiteral("0000000000"));
        QVERIFY(made.LastPictureDate.isEmpty());
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "tst_updatecheck.moc"
