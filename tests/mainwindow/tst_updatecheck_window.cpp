// The main window's web services against a loopback server: the updates list
// with its size and age rules and the mirror, the hand-over to the site-news
// window, the newer-version notice, and the clock correction from the time
// page around midnight.

#include "RefreshRig.h"

#include "support/LoopbackServer.h"
#include "support/UpdateServices.h"

#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;

namespace {

const QString kListPath = QStringLiteral("/updates/sstvupdates.txt");
const QString kMirrorAfterFailure = QStringLiteral("/mirror/updates/sstvupdates.txt");
const QString kMirrorAfterOld = QStringLiteral("/mirror/updates/updates.txt");
const QDate kToday(2024, 5, 1); // the harness's clock

Route textRoute(const QByteArray &body, int status = 200) {
    Route route;
    route.status = status;
    route.body = body;
    route.contentType = "text/plain";
    return route;
}

UpdatesListContent newSite() {
    UpdatesListContent content;
    content.newSites.append(
        {QStringLiteral("NEW1*10.5*20.25"), QStringLiteral("http://127.0.0.1:1/new1/image1.jpg")});
    return content;
}

// A started window whose update services are on `server`.
struct ServiceRig {
    explicit ServiceRig(LoopbackServer &server) {
        QVERIFY(rig.start());
        // The page's own pass must not start a check of its own here.
        rig.page().UpdateCheckPending = false;
        Endpoints &endpoints = rig.h.state.endpoints;
        endpoints.HomePage = server.url(QStringLiteral("/home/")).toString();
        endpoints.UpdatesList = server.url(kListPath).toString();
        endpoints.UpdatesMirror = server.url(QStringLiteral("/mirror/")).toString();
    }

    // Waits until every request of the check has been answered and handled.
    void settle() {
        QTRY_COMPARE(rig.w().updatesControl()->pendingCount(), 0);
        QTest::qWait(150); // the site-news window opens on a 100 ms timer
    }

    // The rows name the rig's sites at "http://127.0.0.1:1"; the rig serves
    // them from a port of its own.
    UpdatesListContent withSiteAddresses(UpdatesListContent content) {
        const QString base = rig.sites.url(QStringLiteral("/")).toString();
        const QString rowBase = QStringLiteral("http://127.0.0.1:1/");
        content.moved.replaceInStrings(rowBase, base);
        for (auto &site : content.newSites)
            site.second.replace(rowBase, base);
        return content;
    }

    RefreshRig rig;
};

} // namespace

class UpdateCheckWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        server.clearRoutes();
        server.clearRequests();
    }
    void initTestCase() { QVERIFY(server.start()); }

    void listWithNewsOpensTheSiteNews_data();
    void listWithNewsOpensTheSiteNews();
    void listWithoutNewsFillsPositions();
    void listRulesAndMirror_data();
    void listRulesAndMirror();
    void newerVersion_data();
    void newerVersion();
    void timePageCorrectsTheClock_data();
    void timePageCorrectsTheClock();

private:
    LoopbackServer server;
};

void UpdateCheckWindowTest::listWithNewsOpensTheSiteNews_data() {
    QTest::addColumn<UpdatesListContent>("content");
    UpdatesListContent moved;
    moved.moved << QStringLiteral("AB1CD*http://127.0.0.1:1/ab1cd/image1.jpg*DELETE");
    UpdatesListContent renamed;
    renamed.renamed << QStringLiteral("EF2GH*EF2XY");
    QTest::newRow("a new site") << newSite();
    QTest::newRow("a discontinued site") << moved;
    QTest::newRow("a new callsign") << renamed;
}

void UpdateCheckWindowTest::listWithNewsOpensTheSiteNews() {
    QFETCH(UpdatesListContent, content);
    ServiceRig s(server);
    const QByteArray list = updatesListBytes(s.withSiteAddresses(content), kToday);
    server.setRoute(kListPath, textRoute(list));
    const SiteList before = s.rig.h.state.SiteList;

    s.rig.w().CheckForUpdates();
    QTRY_COMPARE(s.rig.opener.count(QStringLiteral("openSiteNews")), 1);
    s.settle();

    QCOMPARE(s.rig.opener.count(QStringLiteral("openSiteNews")), 1);
    QCOMPARE(s.rig.opener.siteNewsFromMain, QList<bool>{true});
    const QStringList sections = s.rig.opener.siteNews.constFirst();
    QCOMPARE(sections, QString::fromLatin1(list).split(QStringLiteral("/////5")));
    QCOMPARE(server.requestCount(kListPath), 1);
    QCOMPARE(server.requestCount(kMirrorAfterFailure) + server.requestCount(kMirrorAfterOld), 0);
    // The window applies the news; the check itself changes no site.
    QCOMPARE(s.rig.h.state.SiteList.size(), before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        QCOMPARE(s.rig.h.state.SiteList[i].Callsign, before[i].Callsign);
        QCOMPARE(s.rig.h.state.SiteList[i].PictureUrl, before[i].PictureUrl);
    }
}

void UpdateCheckWindowTest::listWithoutNewsFillsPositions() {
    UpdatesListContent content;
    // Known sites: one without a position takes the list's, one with keeps its own.
    content.newSites.append({QStringLiteral("K0XYZ*12.5*-3.25"),
                             QStringLiteral("http://127.0.0.1:1/k0xyz/image1.jpg")});
    content.newSites.append(
        {QStringLiteral("AB1CD*1*2"), QStringLiteral("http://127.0.0.1:1/ab1cd/image1.jpg")});
    ServiceRig s(server);
    server.setRoute(kListPath, textRoute(updatesListBytes(s.withSiteAddresses(content), kToday)));

    s.rig.w().CheckForUpdates();
    s.settle();

    QCOMPARE(s.rig.opener.count(QStringLiteral("openSiteNews")), 0);
    const SiteList &sites = s.rig.h.state.SiteList;
    const auto find = [&](const QString &callsign) {
        for (const SiteRecord &site : sites) {
            if (site.Callsign == callsign)
                return site;
        }
        return SiteRecord{};
    };
    QCOMPARE(find(QStringLiteral("K0XYZ")).Latitude, 12.5);
    QCOMPARE(find(QStringLiteral("K0XYZ")).Longitude, -3.25);
    QCOMPARE(find(QStringLiteral("AB1CD")).Latitude, 51.5);
    QCOMPARE(find(QStringLiteral("AB1CD")).Longitude, -0.12);
}

void UpdateCheckWindowTest::listRulesAndMirror_data() {
    QTest::addColumn<int>("mainStatus");
    QTest::addColumn<int>("mainAge");
    QTest::addColumn<int>("mainSizeError");
    QTest::addColumn<int>("mirrorStatus");
    QTest::addColumn<int>("mirrorAge");
    QTest::addColumn<int>("mirrorAfterFailure");
    QTest::addColumn<int>("mirrorAfterOld");
    QTest::addColumn<int>("newsFromMain");   // site-news windows with the main list
    QTest::addColumn<int>("newsFromMirror"); // and with the mirror's

    QTest::newRow("one byte too many") << 200 << 0 << 1 << 200 << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("one byte short") << 200 << 0 << -1 << 200 << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("exactly 60 days old") << 200 << 60 << 0 << 200 << 0 << 0 << 0 << 1 << 0;
    QTest::newRow("dated tomorrow") << 200 << -1 << 0 << 200 << 0 << 0 << 0 << 1 << 0;
    QTest::newRow("61 days old") << 200 << 61 << 0 << 200 << 0 << 0 << 1 << 0 << 1;
    QTest::newRow("61 days old, mirror as old") << 200 << 61 << 0 << 200 << 61 << 0 << 1 << 0 << 0;
    QTest::newRow("61 days old, mirror fails") << 200 << 61 << 0 << 404 << 0 << 0 << 1 << 0 << 0;
    QTest::newRow("fails") << 404 << 0 << 0 << 200 << 0 << 1 << 0 << 0 << 1;
    QTest::newRow("fails, mirror fails") << 500 << 0 << 0 << 404 << 0 << 1 << 0 << 0 << 0;
    QTest::newRow("fails, mirror one byte off") << 404 << 0 << 0 << 200 << 0 << 1 << 0 << 0 << 0;
}

void UpdateCheckWindowTest::listRulesAndMirror() {
    QFETCH(int, mainStatus);
    QFETCH(int, mainAge);
    QFETCH(int, mainSizeError);
    QFETCH(int, mirrorStatus);
    QFETCH(int, mirrorAge);
    QFETCH(int, mirrorAfterFailure);
    QFETCH(int, mirrorAfterOld);
    QFETCH(int, newsFromMain);
    QFETCH(int, newsFromMirror);
    server.setRoute(kListPath,
                    textRoute(updatesListBytes(newSite(), kToday.addDays(-mainAge), mainSizeError),
                              mainStatus));
    const int mirrorSizeError =
        QByteArray(QTest::currentDataTag()).endsWith("one byte off") ? 1 : 0;
    const Route mirror = textRoute(
        updatesListBytes(newSite(), kToday.addDays(-mirrorAge), mirrorSizeError), mirrorStatus);
    server.setRoute(kMirrorAfterFailure, mirror);
    server.setRoute(kMirrorAfterOld, mirror);
    ServiceRig s(server);

    s.rig.w().CheckForUpdates();
    QTRY_COMPARE(server.requestCount(kListPath), 1);
    QTRY_COMPARE(server.requestCount(kMirrorAfterFailure), mirrorAfterFailure);
    QTRY_COMPARE(server.requestCount(kMirrorAfterOld), mirrorAfterOld);
    s.settle();

    QCOMPARE(server.requestCount(kListPath), 1);
    QCOMPARE(server.requestCount(kMirrorAfterFailure), mirrorAfterFailure);
    QCOMPARE(server.requestCount(kMirrorAfterOld), mirrorAfterOld);
    QCOMPARE(s.rig.opener.siteNewsFromMain.count(true), newsFromMain);
    QCOMPARE(s.rig.opener.siteNewsFromMain.count(false), newsFromMirror);
}

void UpdateCheckWindowTest::newerVersion_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("announced"); // empty: no notice
    QTest::newRow("4.92") << homePageBytes(QStringLiteral("4.92")) << "4.92";
    QTest::newRow("5.00") << homePageBytes(QStringLiteral("5.00")) << "5.00";
    // Compared as numbers: 4.100 comes after 4.91.
    QTest::newRow("4.100") << homePageBytes(QStringLiteral("4.100")) << "4.100";
    QTest::newRow("the same") << homePageBytes(QStringLiteral("4.91")) << "";
    QTest::newRow("4.90") << homePageBytes(QStringLiteral("4.90")) << "";
    QTest::newRow("no version named") << QByteArray("<html>Welcome, 4.99 visitors</html>") << "";
}

void UpdateCheckWindowTest::newerVersion() {
    QFETCH(QByteArray, page);
    QFETCH(QString, announced);
    server.setRoute(QStringLiteral("/home/"), textRoute(page));
    server.setRoute(kListPath, textRoute(updatesListBytes({}, kToday)));
    ServiceRig s(server);
    MainWindow &w = s.rig.w();
    QAction *notice = w.menuItem(QStringLiteral("mnuUpdate"));
    notice->setVisible(true); // whatever an earlier check showed

    w.CheckForUpdates();
    QVERIFY(!notice->isVisible());
    s.settle();

    const LanguageTexts &texts = s.rig.h.state.texts;
    QCOMPARE(notice->isVisible(), !announced.isEmpty());
    if (announced.isEmpty())
        return;
    const auto picture = menuPicture(notice);
    QVERIFY(picture);
    QCOMPARE(picture->kind, MenuPicture::Update);
    QCOMPARE(picture->text, QStringLiteral("   ") + texts.LngUpdate + QStringLiteral("   "));
    QAction *download = w.menuItem(QStringLiteral("mnuUpTavimo"));
    QCOMPARE(download->text(), texts.LngNewVersion + QStringLiteral("Tavimo ") + announced);

    download->trigger();
    QCOMPARE(s.rig.openedUrls,
             QStringList{server.url(QStringLiteral("/home/_mgxroot/page_10724.html")).toString()});
}

void UpdateCheckWindowTest::timePageCorrectsTheClock_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QList<qint64>>("adjustments"); // milliseconds
    const QDate day(2024, 5, 1);
    const auto at = [&](int h, int m, int sec, int days = 0) {
        return QDateTime(day.addDays(days), QTime(h, m, sec), Qt::UTC);
    };
    QTest::newRow("9 s slow") << at(13, 5, 0) << timePageBytes(at(13, 5, 9)) << QList<qint64>{9000};
    QTest::newRow("3 s fast, just after midnight")
        << at(0, 0, 1, 1) << timePageBytes(at(23, 59, 58)) << QList<qint64>{-3000};
    QTest::newRow("7 s slow, just before midnight")
        << at(23, 59, 55) << timePageBytes(at(0, 0, 2, 1)) << QList<qint64>{7000};
    QTest::newRow("one second off")
        << at(13, 5, 8) << timePageBytes(at(13, 5, 9)) << QList<qint64>{};
    QTest::newRow("12 hours off") << at(13, 0, 0) << timePageBytes(at(1, 0, 0)) << QList<qint64>{};
    QTest::newRow("no marker") << at(13, 5, 0) << QByteArray("<html>13:05:09 UTC</html>")
                               << QList<qint64>{};
    QTest::newRow("no valid time")
        << at(13, 5, 0) << QByteArray("<BR>May. 01, 24:61:00 UTC") << QList<qint64>{};
}

void UpdateCheckWindowTest::timePageCorrectsTheClock() {
    QFETCH(QDateTime, now);
    QFETCH(QByteArray, page);
    QFETCH(QList<qint64>, adjustments);
    server.setRoute(QStringLiteral("/time"), textRoute(page));
    RefreshRig rig;
    rig.h.state.endpoints.TimePage = server.url(QStringLiteral("/time")).toString();
    rig.h.state.utcNow = [now] { return now; };
    QVERIFY(rig.start());
    QTRY_COMPARE(server.requestCount(QStringLiteral("/time")), 1);
    QTRY_COMPARE(rig.w().updatesControl()->pendingCount(), 0);
    QTest::qWait(20);

    QList<qint64> made;
    for (const std::chrono::milliseconds step : rig.clock.adjustments())
        made << step.count();
    QCOMPARE(made, adjustments);
}

QTEST_MAIN(UpdateCheckWindowTest)
#include "tst_updatecheck_window.moc"
