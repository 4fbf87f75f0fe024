#include "core/SettingsStore.h"
#include "core/TextFile.h"
#include "core/TimePage.h"
#include "core/UpdateCheck.h"
#include "core/VersionCheck.h"
#include "sitesim/DataFolderWriter.h"
#include "sitesim/SiteSimulator.h"
#include "support/Fixtures.h"
#include "support/LoopbackServer.h"

#include <QBuffer>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <csignal>

using namespace tavimo;
using namespace tavimo::sitesim;

namespace {

const QDateTime kOrigin(QDate(2024, 5, 1), QTime(12, 0, 0), QTimeZone::utc());

test::RecordedRequest get(const QString &path) {
    test::RecordedRequest request;
    request.method = "GET";
    request.path = path.toUtf8();
    return request;
}

QSize decodedSize(const QByteArray &bytes, QByteArray *format = nullptr, int *frames = nullptr) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (format)
        *format = reader.format();
    if (frames)
        *frames = reader.imageCount();
    const QImage image = reader.read();
    return image.isNull() ? QSize() : image.size();
}

// A simulator whose clock the test moves.
struct SimAt {
    explicit SimAt(const SimConfig &config) : sim(config, [this] { return now; }) {}
    QDateTime now = kOrigin;
    SiteSimulator sim;
};

} // namespace

class SiteSimTest : public QObject {
    Q_OBJECT

private slots:
    void sitesHavePlausibleNamesAndPlaces() {
        const QList<SstvSiteInfo> sites = makeSstvSites(SimConfig{});
        QCOMPARE(sites.size(), 24);
        QSet<QString> calls;
        QSet<QString> places;
        bool zero = false;
        int animated = 0;
        for (const SstvSiteInfo &site : sites) {
            QVERIFY2(QRegularExpression("^SIM\\d[A-Z]{2}$").match(site.callsign).hasMatch(),
                     qPrintable(site.callsign));
            calls.insert(site.callsign);
            zero = zero || site.callsign.mid(3).contains(u'0');
            QVERIFY(site.latitude >= -90 && site.latitude <= 90);
            QVERIFY(site.longitude >= -180 && site.longitude <= 180);
            places.insert(QString::number(site.latitude) + u',' + QString::number(site.longitude));
            animated += site.animated;
            QCOMPARE(site.fault, SiteFault::None);
        }
        QCOMPARE(calls.size(), 24);
        QCOMPARE(places.size(), 24);
        QVERIFY(zero);
        QVERIFY(animated >= 2);
        const QList<WxSiteInfo> wx = makeWxSites(SimConfig{});
        QCOMPARE(wx.size(), 4);
        QCOMPARE(wx.first().name, QStringLiteral("WX Alpha"));
    }

    void faultsTakeTheLastSites() {
        SimConfig config;
        config.sstvCount = 10;
        config.notFound = 2;
        config.slow = 1;
        config.stall = 1;
        config.garbage = 1;
        const QList<SstvSiteInfo> sites = makeSstvSites(config);
        const QList<SiteFault> expected = {SiteFault::None,    SiteFault::None, SiteFault::None,
                                           SiteFault::None,    SiteFault::None, SiteFault::Garbage,
                                           SiteFault::Stall,   SiteFault::Slow, SiteFault::NotFound,
                                           SiteFault::NotFound};
        for (int i = 0; i < 10; ++i)
            QCOMPARE(sites[i].fault, expected[i]);

        config.notFound = 50; // more than there are sites
        for (const SstvSiteInfo &site : makeSstvSites(config))
            QCOMPARE(site.fault, SiteFault::NotFound);
    }

    void timelineCountsPictures() {
        const PictureTimeline line(kOrigin, 60000, 0, 60000);
        QCOMPARE(line.currentNumber(kOrigin), qint64(kHistoryLength));
        QCOMPARE(line.arrival(kHistoryLength), kOrigin);
        QCOMPARE(line.currentNumber(kOrigin.addMSecs(59999)), qint64(kHistoryLength));
        QCOMPARE(line.currentNumber(kOrigin.addSecs(60)), qint64(kHistoryLength + 1));
        QCOMPARE(line.arrival(kHistoryLength + 1), kOrigin.addSecs(60));
        // Every history position exists from the start.
        QCOMPARE(line.historyNumber(kHistoryLength, kOrigin), std::optional<qint64>(1));
        QCOMPARE(line.historyNumber(1, kOrigin.addSecs(120)), std::optional<qint64>(32));
        QCOMPARE(line.historyNumber(2, kOrigin.addSecs(120)), std::optional<qint64>(31));
        QCOMPARE(line.historyNumber(0, kOrigin), std::nullopt);
        QCOMPARE(line.historyNumber(kHistoryLength + 1, kOrigin), std::nullopt);

        const PictureTimeline late(kOrigin, 60000, 20000, 60000);
        QCOMPARE(late.currentNumber(kOrigin), qint64(kHistoryLength - 1));
        QVERIFY(late.arrival(kHistoryLength - 1) < kOrigin);
        QCOMPARE(late.currentNumber(kOrigin.addSecs(20)), qint64(kHistoryLength));
    }

    void checkPictureTellsNewPictures_data() {
        QTest::addColumn<qint64>("periodMs");
        QTest::addColumn<int>("atSecond");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("sameHeightAsStart");
        // Busy site: a new picture every minute, always fresh.
        QTest::newRow("busy, start") << qint64(60000) << 0 << 1 << true;
        QTest::newRow("busy, within the minute") << qint64(60000) << 59 << 1 << true;
        QTest::newRow("busy, next picture") << qint64(60000) << 60 << 1 << false;
        // Quiet site: a picture every three minutes, fresh for one.
        QTest::newRow("quiet, start") << qint64(180000) << 0 << 1 << true;
        QTest::newRow("quiet, no longer new") << qint64(180000) << 60 << 2 << true;
        QTest::newRow("quiet, still old") << qint64(180000) << 179 << 2 << true;
        QTest::newRow("quiet, next picture") << qint64(180000) << 180 << 1 << false;
    }
    void checkPictureTellsNewPictures() {
        QFETCH(qint64, periodMs);
        QFETCH(int, atSecond);
        QFETCH(int, width);
        QFETCH(bool, sameHeightAsStart);
        const PictureTimeline line(kOrigin, periodMs, 0, 60000);
        const QSize start = line.checkPictureSize(kOrigin);
        const QSize then = line.checkPictureSize(kOrigin.addSecs(atSecond));
        QCOMPARE(then.width(), width);
        QCOMPARE(then.height() == start.height(), sameHeightAsStart);
    }

    void checkPictureHeightChangesWithEveryPicture() {
        const PictureTimeline line(kOrigin, 1000, 0, 1000);
        int previous = line.checkPictureSize(kOrigin).height();
        for (int s = 1; s < 500; ++s) {
            const int height = line.checkPictureSize(kOrigin.addSecs(s)).height();
            QVERIFY(height > 0);
            QVERIFY(height != previous);
            previous = height;
        }
    }

    void historyShiftsOnEveryNewPicture() {
        SimConfig config;
        config.sstvCount = 3;
        SimAt at(config);
        const qint64 period = at.sim.sstvSites()[0].periodMs;
        QList<QByteArray> before;
        for (int k = 1; k <= kHistoryLength; ++k)
            before.append(at.sim.answer(get(QStringLiteral("/sstv/1/image%1.jpg").arg(k)))->body);
        QCOMPARE(QSet<QByteArray>(before.begin(), before.end()).size(), kHistoryLength);
        at.now = at.now.addMSecs(period);
        for (int k = 2; k <= kHistoryLength; ++k)
            QCOMPARE(at.sim.answer(get(QStringLiteral("/sstv/1/image%1.jpg").arg(k)))->body,
                     before[k - 2]);
        QVERIFY(at.sim.answer(get("/sstv/1/image1.jpg"))->body != before[0]);
        QCOMPARE(at.sim.answer(get("/sstv/1/image31.jpg")), std::nullopt);
        QCOMPARE(at.sim.answer(get("/sstv/1/image0.jpg")), std::nullopt);
    }

    void picturesCarryTheirTrailer() {
        SimAt at(SimConfig{});
        const SstvSiteInfo &site = at.sim.sstvSites()[0];
        const qint64 number = at.sim.sstvTimeline(0).currentNumber(at.now);
        const QDateTime arrival = at.sim.sstvTimeline(0).arrival(number);
        const PictureCaption caption = sstvCaption(site, number, arrival);
        const QByteArray bytes = at.sim.answer(get("/sstv/1/image1.jpg?nocache=1"))->body;
        QVERIFY(bytes.endsWith(test::trailer(caption.sender, caption.status, arrival)));
        const QByteArray text = bytes.mid(bytes.lastIndexOf("***") + 3);
        QVERIFY2(QRegularExpression("^[^*:]+\\*[^*:]+\\*\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                     .match(QString::fromLatin1(text))
                     .hasMatch(),
                 text.constData());
        QByteArray format;
        QCOMPARE(decodedSize(bytes, &format), QSize(320, 256));
        QCOMPARE(format, QByteArray("jpeg"));
    }

    void someSitesSendSlashedZeros() {
        const SstvSiteInfo site = makeSstvSites(SimConfig{}).first();
        bool slashed = false;
        for (qint64 n = 0; n < 20; ++n)
            slashed = slashed || sstvCaption(site, n, kOrigin).sender.contains(QChar(0xD8));
        QVERIFY(slashed);
    }

    void animatedSitesServeGifs() {
        SimAt at(SimConfig{});
        qsizetype index = -1;
        for (qsizetype i = 0; i < at.sim.sstvSites().size() && index < 0; ++i)
            if (at.sim.sstvSites()[i].animated)
                index = i;
        QVERIFY(index >= 0);
        const QByteArray bytes =
            at.sim.answer(get(sstvPicturePath(at.sim.sstvSites()[index].number)))->body;
        QVERIFY(bytes.startsWith("GIF89a"));
        QByteArray format;
        int frames = 0;
        QCOMPARE(decodedSize(bytes, &format, &frames), QSize(320, 256));
        QCOMPARE(format, QByteArray("gif"));
        QCOMPARE(frames, 4);
    }

    void checkPictureMatchesTheTimeline() {
        SimAt at(SimConfig{});
        at.now = at.now.addSecs(200);
        for (qsizetype i : {0, 2}) {
            const auto route = at.sim.answer(get(sstvFolder(int(i) + 1) + "checknew.jpg"));
            QVERIFY(route);
            QCOMPARE(route->status, 200);
            QCOMPARE(decodedSize(route->body), at.sim.sstvTimeline(i).checkPictureSize(at.now));
        }
    }

    void faultySitesMisbehave() {
        SimConfig config;
        config.sstvCount = 4;
        config.notFound = 1;
        config.slow = 1;
        config.stall = 1;
        config.garbage = 1;
        SimAt at(config);
        for (const QString file : {"image1.jpg", "checknew.jpg"}) {
            const auto garbage = at.sim.answer(get("/sstv/1/" + file));
            QCOMPARE(garbage->status, 200);
            QVERIFY(!garbage->body.isEmpty());
            QVERIFY(!decodedSize(garbage->body).isValid());
            QVERIFY(at.sim.answer(get("/sstv/2/" + file))->stall);
            const auto slow = at.sim.answer(get("/sstv/3/" + file));
            QVERIFY(slow->delayMs > 0 && slow->trickleChunk > 0 && slow->trickleIntervalMs > 0);
            QVERIFY(decodedSize(slow->body).isValid());
            QCOMPARE(at.sim.answer(get("/sstv/4/" + file))->status, 404);
        }
    }

    void answersOnlyTheSitesItHas() {
        SimAt at(SimConfig{});
        const auto probe = at.sim.answer(get("/"));
        QVERIFY(probe && probe->status == 200);
        const auto wx = at.sim.answer(get(wxPicturePath(4)));
        QVERIFY(wx);
        QCOMPARE(decodedSize(wx->body), QSize(512, 384));
        QVERIFY(!wxPicturePath(1).endsWith(QStringLiteral("image1.jpg")));
        QCOMPARE(at.sim.answer(get("/wx/1/checknew.jpg")), std::nullopt);
        QCOMPARE(at.sim.answer(get(wxPicturePath(5))), std::nullopt);
        QCOMPARE(at.sim.answer(get(sstvPicturePath(25))), std::nullopt);
        QCOMPARE(at.sim.answer(get("/sstv/0/image1.jpg")), std::nullopt);
        QCOMPARE(at.sim.answer(get("/sstv/1/other.jpg")), std::nullopt);
        QCOMPARE(at.sim.answer(get("/elsewhere")), std::nullopt);
    }

    void servesTheProgramsServices_data() {
        QTest::addColumn<UpdatesListState>("state");
        QTest::addColumn<int>("status");
        QTest::addColumn<UpdateDecision::Action>("action");
        QTest::newRow("valid") << UpdatesListState::Valid << 200 << UpdateDecision::Action::Accept;
        QTest::newRow("truncated")
            << UpdatesListState::Truncated << 200 << UpdateDecision::Action::Refuse;
        QTest::newRow("too old") << UpdatesListState::TooOld << 200
                                 << UpdateDecision::Action::TryMirror;
        QTest::newRow("missing") << UpdatesListState::Missing << 404
                                 << UpdateDecision::Action::TryMirror;
    }
    void servesTheProgramsServices() {
        QFETCH(UpdatesListState, state);
        QFETCH(int, status);
        QFETCH(UpdateDecision::Action, action);
        SimConfig config;
        config.sstvCount = 6;
        config.newsSites = 2;
        config.homeVersion = QStringLiteral("5.02");
        config.updatesList = state;
        SimAt at(config);
        at.now = kOrigin.addSecs(3723); // 13:02:03 UTC
        const auto ask = [&](const QString &path) {
            test::RecordedRequest request = get(path);
            request.headers.insert("host", "127.0.0.1:8000");
            return at.sim.answer(request);
        };

        const auto time = ask("/time");
        QVERIFY(time && time->status == 200);
        QCOMPARE(timePageUtcTime(time->body), QStringLiteral("13:02:03"));
        const auto home = ask("/home/");
        QVERIFY(home && home->status == 200);
        QCOMPARE(homePageVersionText(home->body), QStringLiteral("5.02"));

        // The user's list lacks the announced sites.
        SiteList listed;
        for (const SstvSiteInfo &site : at.sim.sstvSites().mid(0, 4)) {
            SiteRecord record;
            record.Callsign = site.callsign;
            record.PictureUrl = "http://127.0.0.1:8000" + sstvPicturePath(site.number);
            listed.append(record);
        }
        const auto list = ask("/updates/sstvupdates.txt");
        QVERIFY(list);
        QCOMPARE(list->status, status);
        const UpdateDecision main =
            status == 200 ? judgeUpdatesList(ListSource::Main, list->body, kOrigin.date(), listed)
                          : judgeFailedList(ListSource::Main);
        QCOMPARE(main.action, action);
        if (action == UpdateDecision::Action::Accept)
            QCOMPARE(main.news.newSites.size(), 2);

        for (const char *path :
             {"/mirror/updates/sstvupdates.txt", "/mirror/updates/updates.txt"}) {
            const auto mirror = ask(path);
            QVERIFY(mirror && mirror->status == 200);
            const UpdateDecision decision =
                judgeUpdatesList(ListSource::Mirror, mirror->body, kOrigin.date(), listed);
            QCOMPARE(decision.action, UpdateDecision::Action::Accept);
            QCOMPARE(decision.news.newSites.first().pictureUrl,
                     "http://127.0.0.1:8000" + sstvPicturePath(5));
        }
    }

    void slotCharacters_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QChar>("character");
        QTest::newRow("first") << 0 << QChar(u'1');
        QTest::newRow("ninth") << 8 << QChar(u'9');
        QTest::newRow("tenth") << 9 << QChar(u'A');
        QTest::newRow("last of 24") << 23 << QChar(u'O');
    }
    void slotCharacters() {
        QFETCH(int, slot);
        QFETCH(QChar, character);
        QCOMPARE(slotCharacter(slot), character);
    }

    void listLinesPlaceTheSites() {
        const QList<SstvSiteInfo> sites = makeSstvSites(SimConfig{});
        const QStringList lines = sstvListLines(sites, "http://127.0.0.1:8000");
        QCOMPARE(lines.size(), 48);
        for (int i = 0; i < 24; ++i) {
            const QStringList fields = lines[2 * i].split(u'*');
            QCOMPARE(fields.size(), 9);
            QCOMPARE(fields[0], sites[i].callsign);
            // Setting 4 (24 slots): all on page 1, in order.
            QCOMPARE(fields[4], slotCharacter(i) + QString(9, u'0'));
            QCOMPARE(fields[7], QString());
            QCOMPARE(fields[8], QString());
            QCOMPARE(lines[2 * i + 1],
                     QStringLiteral("http://127.0.0.1:8000/sstv/%1/image1.jpg").arg(i + 1));
        }
        // Setting 1 (5 slots): the eighth site is slot 3 of page 2.
        QCOMPARE(lines[14].split(u'*')[1], QStringLiteral("0300000000"));
        // Setting 3 (15 slots): the twentieth site is slot 5 of page 2.
        QCOMPARE(lines[38].split(u'*')[3], QStringLiteral("0500000000"));

        const QStringList wx = wxListLines(makeWxSites(SimConfig{}), "http://h");
        QCOMPARE(wx, QStringList({"WX Alpha*1*1*1*1", "http://h/wx/1/latest.jpg",
                                  "WX Bravo*2*2*2*2", "http://h/wx/2/latest.jpg",
                                  "WX Charlie*3*3*3*3", "http://h/wx/3/latest.jpg",
                                  "WX Delta*4*4*4*4", "http://h/wx/4/latest.jpg"}));
        SimConfig many;
        many.wxCount = 12;
        const QStringList crowded = wxListLines(makeWxSites(many), "http://h");
        QCOMPARE(crowded[20].section(u'*', 1), QStringLiteral("0*0*11*11")); // 11th site
    }

    void writesTheDataFolder() {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        {
            SettingsStore existing(settingsFileOf(home.path()));
            existing.setValue("SAVEDIR", "1", "/somewhere");
            QVERIFY(existing.sync());
        }
        SimConfig config;
        config.sstvCount = 5;
        config.wxCount = 2;
        const WriteResult result = writeDataFolder(home.path(), makeSstvSites(config),
                                                   makeWxSites(config), "http://127.0.0.1:9");
        QVERIFY2(result.ok, qPrintable(result.error));
        const QString data = dataFolderOf(home.path());
        QCOMPARE(readTextLines(data + "/tavimo.lst")->size(), 10);
        QCOMPARE(readTextLines(data + "/WXsites.lst")->size(), 4);
        QCOMPARE(*readTextLines(data + "/tavimo.cfg"), configLines());
        QCOMPARE(configLines().size(), 15);
        SettingsStore settings(settingsFileOf(home.path()));
        QCOMPARE(settings.value("Endpoints", "ConnectionProbe"),
                 QStringLiteral("http://127.0.0.1:9/"));
        for (const char *key :
             {"TimePage", "HomePage", "UpdatesList", "UpdatesMirror", "CallbookEham", "CallbookQrz",
              "CallbookHamdata", "QrzPictures", "WebMap"})
            QVERIFY2(settings.value("Endpoints", key).startsWith("http://127.0.0.1:9/"), key);
        QCOMPARE(settings.value("SAVEDIR", "1"), QStringLiteral("/somewhere"));
    }

    void writingIntoAFileFails() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("home"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const WriteResult result = writeDataFolder(dir.filePath("home"), {}, {}, "http://x");
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains(dir.filePath("home")));
    }

    // The program itself.

    void helpNamesEveryOption() {
        QProcess process;
        process.start(TAVIMO_SITESIM_PATH, {"--help"});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
        for (const char *option :
             {"--port", "--sstv", "--wx", "--interval", "--home", "--fail-404", "--slow", "--stall",
              "--garbage", "--home-version", "--updates", "--news", "--help"})
            QVERIFY2(help.contains(QLatin1String(option)), option);
        for (const char *written : {"tavimo.lst", "WXsites.lst", "tavimo.cfg", "Tavimo.ini",
                                    "Endpoints", "checknew.jpg", "image30.jpg"})
            QVERIFY2(help.contains(QLatin1String(written)), written);
    }

    void refusesBadNumbers_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("not a number") << QStringList{"--sstv", "many"};
        QTest::newRow("too many WX sites") << QStringList{"--wx", "25"};
        QTest::newRow("no interval") << QStringList{"--interval", "0"};
        QTest::newRow("port out of range") << QStringList{"--port", "70000"};
    }
    void refusesBadNumbers() {
        QFETCH(QStringList, arguments);
        QProcess process;
        process.start(TAVIMO_SITESIM_PATH, arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardError().contains("wants a whole number"));
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }

    void servesTheSitesUntilSigterm() {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", home.filePath("xdg-config"));
        environment.insert("XDG_DATA_HOME", home.filePath("xdg-data"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(TAVIMO_SITESIM_PATH, {"--sstv", "24", "--wx", "4", "--port", "0", "--home",
                                            home.path(), "--interval", "5"});
        QVERIFY(process.waitForStarted(10000));
        while (!process.canReadLine() && process.waitForReadyRead(10000)) {
        }
        const QString line = QString::fromLatin1(process.readLine()).trimmed();
        const QRegularExpressionMatch match =
            QRegularExpression("^listening on (http://127\\.0\\.0\\.1:(\\d+))$").match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        const QString base = match.captured(1);
        QVERIFY(match.captured(2).toInt() > 0);

        for (int n = 1; n <= 24; ++n) {
            const test::HttpResult picture = test::httpGet(QUrl(base + sstvPicturePath(n)));
            QCOMPARE(picture.status, 200);
            QByteArray format;
            QCOMPARE(decodedSize(picture.body, &format), QSize(320, 256));
            QVERIFY2(format == "jpeg" || format == "gif", format.constData());
            QVERIFY(picture.body.contains("***"));
            const test::HttpResult check =
                test::httpGet(QUrl(base + sstvFolder(n) + "checknew.jpg"));
            QCOMPARE(check.status, 200);
            const QSize size = decodedSize(check.body);
            QVERIFY(size.width() == 1 || size.width() == 2);
        }
        for (int m = 1; m <= 4; ++m) {
            const test::HttpResult picture = test::httpGet(QUrl(base + wxPicturePath(m)));
            QCOMPARE(picture.status, 200);
            QCOMPARE(decodedSize(picture.body), QSize(512, 384));
        }
        QCOMPARE(test::httpGet(QUrl(base + "/")).status, 200);
        QCOMPARE(test::httpGet(QUrl(base + "/time")).status, 200);
        QCOMPARE(test::httpGet(QUrl(base + "/updates/sstvupdates.txt")).status, 200);
        QCOMPARE(test::httpGet(QUrl(base + "/sstv/25/image1.jpg")).status, 404);

        const QString data = home.filePath("data/tavimo");
        const std::optional<QStringList> list = readTextLines(data + "/tavimo.lst");
        QVERIFY(list);
        QCOMPARE(list->size(), 48);
        QCOMPARE(list->at(1), base + sstvPicturePath(1));
        QCOMPARE(readTextLines(data + "/WXsites.lst")->size(), 8);
        QCOMPARE(readTextLines(data + "/tavimo.cfg")->size(), 15);
        SettingsStore settings(home.filePath("config/Tavimo/Tavimo.ini"));
        QCOMPARE(settings.value("Endpoints", "ConnectionProbe"), base + "/");

        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }
};

QTEST_MAIN(SiteSimTest)
#include "tst_sitesim.moc"
