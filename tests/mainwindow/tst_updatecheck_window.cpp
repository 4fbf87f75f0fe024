// The main window's web services against the loopback server: the updates
// list with its size and age rules and the mirror, the hand-over to the
// site-news window, the newer-version notice, and the clock correction from
// the time page.

#include "support/MainWindowHarness.h"

#include "support/UpdateServices.h"

#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {

const QString kListPath = u"/updates/sstvupdates.txt"_s;
const QString kMirrorAfterFailure = u"/mirror/updates/sstvupdates.txt"_s;
const QString kMirrorAfterOld = u"/mirror/updates/updates.txt"_s;
const QDate kToday(2024, 5, 1); // the harness's clock

UpdatesListContent newSite() {
    UpdatesListContent content;
    content.newSites.append({u"NEW1*10.5*20.25"_s, u"http://127.0.0.1:1/new1/image1.jpg"_s});
    return content;
}

struct Rig : Harness {
    Rig() {
        writeConfig(2);
        addQuietSites();
    }
    // Started with its update services on the loopback server.
    bool start() {
        if (!startUp())
            return false;
        page().UpdateCheckPending = false; // the page's own pass must not check
        state.endpoints.HomePage = url(u"/home/"_s);
        state.endpoints.UpdatesList = url(kListPath);
        state.endpoints.UpdatesMirror = url(u"/mirror/"_s);
        opener.calls.clear();
        return true;
    }
    void serveText(const QString &path, const QByteArray &body, int status = 200) {
        Route route;
        route.status = status;
        route.contentType = "text/plain";
        serve(path, body, route);
    }
    // Waits until every request of the check has been answered and handled.
    void settle() {
        QTRY_COMPARE(w().updates().updatesControl()->pendingCount(), 0);
        QTest::qWait(150); // the site-news window opens on a 100 ms timer
    }
};

} // namespace

class UpdateCheckWindowTest : public QObject {
    Q_OBJECT

private slots:
    void listWithoutNewsFillsPositions();
    void listRulesAndMirror_data();
    void listRulesAndMirror();
    void newerVersion_data();
    void newerVersion();
    void timePageCorrectsTheClock_data();
    void timePageCorrectsTheClock();
};

void UpdateCheckWindowTest::listWithoutNewsFillsPositions() {
    Rig rig;
    QVERIFY(rig.start());
    UpdatesListContent content;
    // Known sites: one without a position takes the list's, one with keeps its own.
    content.newSites.append({u"K0XYZ*12.5*-3.25"_s, rig.url(u"/k0xyz/image1.jpg"_s)});
    content.newSites.append({u"AB1CD*1*2"_s, rig.url(u"/ab1cd/image1.jpg"_s)});
    rig.serveText(kListPath, updatesListBytes(content, kToday));

    rig.w().updates().CheckForUpdates();
    rig.settle();

    QCOMPARE(rig.opener.count(u"openSiteNews"_s), 0);
    QCOMPARE(rig.site(u"K0XYZ"_s).Latitude, 12.5);
    QCOMPARE(rig.site(u"K0XYZ"_s).Longitude, -3.25);
    QCOMPARE(rig.site(u"AB1CD"_s).Latitude, 51.5);
    QCOMPARE(rig.site(u"AB1CD"_s).Longitude, -0.12);
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

    // The rules themselves are UpdateCheck's; these rows follow each way a
    // check can take through the window. Every list holds news.
    QTest::newRow("fresh") << 200 << 0 << 0 << 200 << 0 << 0 << 0 << 1 << 0;
    QTest::newRow("one byte too many") << 200 << 0 << 1 << 200 << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("61 days old") << 200 << 61 << 0 << 200 << 0 << 0 << 1 << 0 << 1;
    QTest::newRow("61 days old, mirror as old") << 200 << 61 << 0 << 200 << 61 << 0 << 1 << 0 << 0;
    QTest::newRow("fails") << 404 << 0 << 0 << 200 << 0 << 1 << 0 << 0 << 1;
    QTest::newRow("fails, mirror fails") << 500 << 0 << 0 << 404 << 0 << 1 << 0 << 0 << 0;
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
    Rig rig;
    QVERIFY(rig.start());
    const QByteArray main = updatesListBytes(newSite(), kToday.addDays(-mainAge), mainSizeError);
    const QByteArray mirror = updatesListBytes(newSite(), kToday.addDays(-mirrorAge));
    rig.serveText(kListPath, main, mainStatus);
    rig.serveText(kMirrorAfterFailure, mirror, mirrorStatus);
    rig.serveText(kMirrorAfterOld, mirror, mirrorStatus);
    const SiteList before = rig.state.SiteList;

    rig.w().updates().CheckForUpdates();
    QTRY_COMPARE(rig.server.requestCount(kListPath), 1);
    QTRY_COMPARE(rig.server.requestCount(kMirrorAfterFailure), mirrorAfterFailure);
    QTRY_COMPARE(rig.server.requestCount(kMirrorAfterOld), mirrorAfterOld);
    rig.settle();

    QCOMPARE(rig.server.requestCount(kListPath), 1);
    QCOMPARE(rig.server.requestCount(kMirrorAfterFailure), mirrorAfterFailure);
    QCOMPARE(rig.server.requestCount(kMirrorAfterOld), mirrorAfterOld);
    QCOMPARE(rig.opener.siteNewsFromMain.count(true), newsFromMain);
    QCOMPARE(rig.opener.siteNewsFromMain.count(false), newsFromMirror);
    // The site-news window gets the list's sections and applies them; the
    // check itself changes no site.
    if (newsFromMain + newsFromMirror > 0)
        QCOMPARE(rig.opener.siteNews.constFirst(),
                 QString::fromLatin1(newsFromMain ? main : mirror).split("/////5"));
    QCOMPARE(rig.state.SiteList, before);
}

void UpdateCheckWindowTest::newerVersion_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("announced"); // empty: no notice
    QTest::newRow("4.92") << homePageBytes(u"4.92"_s) << "4.92";
    QTest::newRow("the same") << homePageBytes(u"4.91"_s) << "";
}

void UpdateCheckWindowTest::newerVersion() {
    QFETCH(QByteArray, page);
    QFETCH(QString, announced);
    Rig rig;
    QVERIFY(rig.start());
    rig.serveText(u"/home/"_s, page);
    rig.serveText(kListPath, updatesListBytes({}, kToday));
    QAction *notice = rig.item(u"mnuUpdate"_s);
    notice->setVisible(true); // whatever an earlier check showed

    rig.w().updates().CheckForUpdates();
    QVERIFY(!notice->isVisible());
    rig.settle();

    const LanguageTexts &texts = rig.state.texts;
    QCOMPARE(notice->isVisible(), !announced.isEmpty());
    if (announced.isEmpty())
        return;
    const auto picture = menuPicture(notice);
    QVERIFY(picture);
    QCOMPARE(picture->kind, MenuPicture::Update);
    QCOMPARE(picture->text, u"   "_s + texts.LngUpdate + u"   "_s);
    QAction *download = rig.item(u"mnuUpTavimo"_s);
    QCOMPARE(download->text(), texts.LngNewVersion + u"Tavimo "_s + announced);
    const qsizetype messages = rig.prompts.calls.size();
    download->trigger();
    QCOMPARE(rig.openedUrls, QStringList{rig.url(u"/home/_mgxroot/page_10724.html"_s)});
    QCOMPARE(rig.prompts.calls.size(), messages);
    // Without a browser the click says so, and where the download page is.
    rig.w().updates().openExternalUrl = [](const QString &) { return false; };
    download->trigger();
    QCOMPARE(rig.prompts.calls.size(), messages + 1);
    QVERIFY(rig.prompts.calls.last().text.contains(rig.url(u"/home/_mgxroot/page_10724.html"_s)));
}

void UpdateCheckWindowTest::timePageCorrectsTheClock_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QList<qint64>>("adjustments"); // milliseconds
    const auto at = [](int h, int m, int sec) {
        return QDateTime(kToday, QTime(h, m, sec), Qt::UTC);
    };
    QTest::newRow("9 s slow") << at(13, 5, 0) << timePageBytes(at(13, 5, 9)) << QList<qint64>{9000};
    QTest::newRow("one second off")
        << at(13, 5, 8) << timePageBytes(at(13, 5, 9)) << QList<qint64>{};
}

void UpdateCheckWindowTest::timePageCorrectsTheClock() {
    QFETCH(QDateTime, now);
    QFETCH(QByteArray, page);
    QFETCH(QList<qint64>, adjustments);
    Rig rig;
    rig.serveText(u"/time"_s, page);
    rig.state.endpoints.TimePage = rig.url(u"/time"_s);
    rig.state.utcNow = [now] { return now; };
    QVERIFY(rig.startUp());
    QTRY_COMPARE(rig.server.requestCount(u"/time"_s), 1);
    QTRY_COMPARE(rig.w().updates().updatesControl()->pendingCount(), 0);
    QTest::qWait(20);

    QList<qint64> made;
    for (const std::chrono::milliseconds step : rig.clock.adjustments())
        made << step.count();
    QCOMPARE(made, adjustments);
}

QTEST_MAIN(UpdateCheckWindowTest)
#include "tst_updatecheck_window.moc"
