#include "core/base/TextFile.h"
#include "core/files/SettingsStore.h"
#include "core/net/TimePage.h"
#include "core/net/UpdateCheck.h"
#include "core/net/VersionCheck.h"
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
    request.headers.insert("host", "127.0.0.1:8000");
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
    std::optional<test::Route> operator()(const QString &path) { return sim.answer(get(path)); }
    QByteArray body(const QString &path) {
        return sim.answer(get(path)).value_or(test::Route{}).body;
    }
    QDateTime now = kOrigin;
    SiteSimulator sim;
};

} // namespace

class SiteSimTest : public QObject {
    Q_OBJECT

private slots:
    void sitesHaveDistinctNamesAndPlaces() {
        const QList<SstvSiteInfo> sites = makeSstvSites(SimConfig{});
        QCOMPARE(sites.size(), 24);
        QSet<QString> calls;
        int animated = 0;
        for (const SstvSiteInfo &site : sites) {
            QVERIFY2(QRegularExpression("^SIM\\d[A-Z]{2}$").match(site.callsign).hasMatch(),
                     qPrintable(site.callsign));
            QVERIFY(qAbs(site.latitude) <= 90 && qAbs(site.longitude) <= 180);
            calls.insert(site.callsign);
            animated += site.animated;
            QCOMPARE(site.fault, SiteFault::None);
        }
        QCOMPARE(calls.size(), 24);
        QVERIFY(animated >= 2);
        QCOMPARE(makeWxSites(SimConfig{}).size(), 4);
    }

    void timelineCountsPictures() {
        const PictureTimeline late(kOrigin, 60000, 20000, 60000);
        QCOMPARE(late.currentNumber(kOrigin.addSecs(19)), qint64(kHistoryLength - 1));
        QCOMPARE(late.arrival(kHistoryLength), kOrigin.addSecs(20));
        // The check picture is 1 wide for a minute after a picture arrives, 2 after that,
        // and its height changes with every picture.
        const PictureTimeline quiet(kOrigin, 180000, 0, 60000);
        const int start = quiet.checkPictureSize(kOrigin).height();
        QCOMPARE(quiet.checkPictureSize(kOrigin.addSecs(59)), QSize(1, start));
        QCOMPARE(quiet.checkPictureSize(kOrigin.addSecs(179)), QSize(2, start));
        QCOMPARE(quiet.checkPictureSize(kOrigin.addSecs(180)).width(), 1);
        const PictureTimeline fast(kOrigin, 1000, 0, 1000);
        for (int s = 1; s < 500; ++s)
            QVERIFY(fast.checkPictureSize(kOrigin.addSecs(s)).height() !=
                    fast.checkPictureSize(kOrigin.addSecs(s - 1)).height());
    }

    void historyShiftsOnEveryNewPicture() {
        SimConfig config;
        config.sstvCount = 3;
        SimAt at(config);
        const auto image = [](int k) { return QStringLiteral("/sstv/1/image%1.jpg").arg(k); };
        QList<QByteArray> before;
        for (int k = 1; k <= kHistoryLength; ++k)
            before.append(at.body(image(k)));
        QCOMPARE(QSet<QByteArray>(before.begin(), before.end()).size(), kHistoryLength);
        at.now = at.now.addMSecs(at.sim.sstvSites()[0].periodMs);
        for (int k = 2; k <= kHistoryLength; ++k)
            QCOMPARE(at.body(image(k)), before[k - 2]);
        QVERIFY(at.body(image(1)) != before[0]);
        QCOMPARE(at(image(31)), std::nullopt);
        QCOMPARE(at(image(0)), std::nullopt);
    }

    void picturesCarryTheirTrailer() {
        SimAt at(SimConfig{});
        const SstvSiteInfo &site = at.sim.sstvSites()[0];
        const qint64 number = at.sim.sstvTimeline(0).currentNumber(at.now);
        const QDateTime arrival = at.sim.sstvTimeline(0).arrival(number);
        const PictureCaption caption = sstvCaption(site, number, arrival);
        const QByteArray bytes = at.body("/sstv/1/image1.jpg?nocache=1");
        QVERIFY(bytes.endsWith(test::trailer(caption.sender, caption.status, arrival)));
        QByteArray format;
        QCOMPARE(decodedSize(bytes, &format), QSize(320, 256));
        QCOMPARE(format, QByteArray("jpeg"));

        bool slashed = false;
        for (qint64 n = 0; n < 20; ++n)
            slashed = slashed || sstvCaption(site, n, kOrigin).sender.contains(QChar(0xD8));
        QVERIFY(slashed);

        qsizetype index = 0;
        while (!at.sim.sstvSites()[index].animated)
            ++index;
        const QByteArray gif = at.body(sstvPicturePath(at.sim.sstvSites()[index].number));
        int frames = 0;
        QCOMPARE(decodedSize(gif, &format, &frames), QSize(320, 256));
        QCOMPARE(format, QByteArray("gif"));
        QCOMPARE(frames, 4);
    }

    void faultySitesMisbehave() {
        // Faulty sites are the last ones: garbage, stall, slow, not found.
        SimConfig config;
        config.sstvCount = 4;
        config.notFound = config.slow = config.stall = config.garbage = 1;
        SimAt at(config);
        for (const QString file : {"image1.jpg", "checknew.jpg"}) {
            const auto garbage = at("/sstv/1/" + file);
            QCOMPARE(garbage->status, 200);
            QVERIFY(!garbage->body.isEmpty());
            QVERIFY(!decodedSize(garbage->body).isValid());
            QVERIFY(at("/sstv/2/" + file)->stall);
            const auto slow = at("/sstv/3/" + file);
            QVERIFY(slow->delayMs > 0 && slow->trickleChunk > 0 && slow->trickleIntervalMs > 0);
            QVERIFY(decodedSize(slow->body).isValid());
            QCOMPARE(at("/sstv/4/" + file)->status, 404);
        }
    }

    void answersOnlyTheSitesItHas() {
        SimAt at(SimConfig{});
        QCOMPARE(at("/")->status, 200);
        QCOMPARE(decodedSize(at.body(wxPicturePath(4))), QSize(512, 384));
        for (const QString &path : {QStringLiteral("/wx/1/checknew.jpg"), wxPicturePath(5),
                                    sstvPicturePath(25), QStringLiteral("/sstv/0/image1.jpg"),
                                    QStringLiteral("/sstv/1/other.jpg"), QStringLiteral("/x")})
            QVERIFY2(!at(path), qPrintable(path));
    }

    void servesTheProgramsServices_data() {
        QTest::addColumn<UpdatesListState>("state");
        QTest::addColumn<int>("status");
        QTest::addColumn<UpdateDecision::Action>("action");
        using A = UpdateDecision::Action;
        QTest::newRow("valid") << UpdatesListState::Valid << 200 << A::Accept;
        QTest::newRow("truncated") << UpdatesListState::Truncated << 200 << A::Refuse;
        QTest::newRow("too old") << UpdatesListState::TooOld << 200 << A::TryMirror;
        QTest::newRow("missing") << UpdatesListState::Missing << 404 << A::TryMirror;
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
        at.now = kOrigin.addSecs(3723);
        QCOMPARE(timePageUtcTime(at.body("/time")), QStringLiteral("13:02:03"));
        QCOMPARE(homePageVersionText(at.body("/home/")), QStringLiteral("5.02"));

        // The user's list lacks the announced sites.
        SiteList listed;
        for (const SstvSiteInfo &site : at.sim.sstvSites().mid(0, 4)) {
            SiteRecord record;
            record.Callsign = site.callsign;
            record.PictureUrl = "http://127.0.0.1:8000" + sstvPicturePath(site.number);
            listed.append(record);
        }
        const auto list = at("/updates/sstvupdates.txt");
        QCOMPARE(list->status, status);
        const UpdateDecision main =
            status == 200 ? judgeUpdatesList(ListSource::Main, list->body, kOrigin.date(), listed)
                          : judgeFailedList(ListSource::Main);
        QCOMPARE(main.action, action);
        if (action == UpdateDecision::Action::Accept)
            QCOMPARE(main.news.newSites.size(), 2);
        for (const char *path :
             {"/mirror/updates/sstvupdates.txt", "/mirror/updates/updates.txt"}) {
            const UpdateDecision mirror =
                judgeUpdatesList(ListSource::Mirror, at.body(path), kOrigin.date(), listed);
            QCOMPARE(mirror.action, UpdateDecision::Action::Accept);
            QCOMPARE(mirror.news.newSites.first().pictureUrl,
                     "http://127.0.0.1:8000" + sstvPicturePath(5));
        }
    }

    void listLinesPlaceTheSites() {
        const QList<SstvSiteInfo> sites = makeSstvSites(SimConfig{});
        const QStringList lines = sstvListLines(sites, "http://127.0.0.1:8000");
        QCOMPARE(lines.size(), 48);
        for (int i = 0; i < 24; ++i) {
            const QStringList fields = lines[2 * i].split(u'*');
            QCOMPARE(fields.size(), 9);
            QCOMPARE(fields[0], sites[i].callsign);
            QCOMPARE(lines[2 * i + 1],
                     QStringLiteral("http://127.0.0.1:8000/sstv/%1/image1.jpg").arg(i + 1));
        }
        // Setting 4 (24 slots): all on page 1, in order, the tenth in slot "A".
        QCOMPARE(lines[18].split(u'*')[4], QStringLiteral("A000000000"));
        QCOMPARE(lines[46].split(u'*')[4], QStringLiteral("O000000000"));
        // Setting 1 (5 slots): the eighth site is slot 3 of page 2.
        QCOMPARE(lines[14].split(u'*')[1], QStringLiteral("0300000000"));
        // Setting 3 (15 slots): the twentieth site is slot 5 of page 2.
        QCOMPARE(lines[38].split(u'*')[3], QStringLiteral("0500000000"));

        const QStringList wx = wxListLines(makeWxSites(SimConfig{}), "http://h");
        QCOMPARE(wx.mid(0, 4), QStringList({"WX Alpha*1*1*1*1", "http://h/wx/1/latest.jpg",
                                            "WX Bravo*2*2*2*2", "http://h/wx/2/latest.jpg"}));
    }

    void writesTheDataFolder() {
        QTemporaryDir home;
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
        QCOMPARE(*readTextLines(data + "/tavimo.cfg"), configLines());
        SettingsStore settings(settingsFileOf(home.path()));
        for (const char *key :
             {"ConnectionProbe", "TimePage", "HomePage", "UpdatesList", "UpdatesMirror",
              "CallbookEham", "CallbookQrz", "CallbookHamdata", "QrzPictures", "WebMap"})
            QVERIFY2(settings.value("Endpoints", key).startsWith("http://127.0.0.1:9/"), key);
        QCOMPARE(settings.value("SAVEDIR", "1"), QStringLiteral("/somewhere"));

        // A file where the home folder should be.
        const WriteResult blocked = writeDataFolder(data + "/tavimo.cfg", {}, {}, "http://x");
        QVERIFY(!blocked.ok);
        QVERIFY(blocked.error.contains(data + "/tavimo.cfg"));
    }

    void commandLine() {
        QProcess help;
        help.start(TAVIMO_SITESIM_PATH, {"--help"});
        QVERIFY(help.waitForFinished(10000));
        QCOMPARE(help.exitCode(), 0);
        const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
        for (const char *word :
             {"--port",     "--sstv",     "--wx",      "--interval",   "--home",
              "--fail-404", "--slow",     "--stall",   "--garbage",    "--home-version",
              "--updates",  "--news",     "--help",    "tavimo.lst",   "WXsites.lst",
              "tavimo.cfg", "Tavimo.ini", "Endpoints", "checknew.jpg", "image30.jpg"})
            QVERIFY2(text.contains(QLatin1String(word)), word);

        for (const QStringList &bad :
             {QStringList{"--sstv", "many"}, QStringList{"--wx", "25"},
              QStringList{"--interval", "0"}, QStringList{"--port", "70000"}}) {
            QProcess process;
            process.start(TAVIMO_SITESIM_PATH, bad);
            QVERIFY(process.waitForFinished(10000));
            QCOMPARE(process.exitCode(), 2);
            QVERIFY(process.readAllStandardError().contains("wants a whole number"));
            QVERIFY(process.readAllStandardOutput().isEmpty());
        }
    }

    void servesTheSitesUntilSigterm() {
        QTemporaryDir home;
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
            QRegularExpression("^listening on (http://127\\.0\\.0\\.1:[1-9]\\d*)$").match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        const QString base = match.captured(1);

        for (int n = 1; n <= 24; ++n) {
            const test::HttpResult picture = test::httpGet(QUrl(base + sstvPicturePath(n)));
            QCOMPARE(picture.status, 200);
            QCOMPARE(decodedSize(picture.body), QSize(320, 256));
            QVERIFY(picture.body.contains("***"));
            QCOMPARE(test::httpGet(QUrl(base + sstvFolder(n) + "checknew.jpg")).status, 200);
        }
        for (int m = 1; m <= 4; ++m)
            QCOMPARE(decodedSize(test::httpGet(QUrl(base + wxPicturePath(m))).body),
                     QSize(512, 384));
        for (const char *path : {"/", "/time", "/home/", "/updates/sstvupdates.txt"})
            QVERIFY2(test::httpGet(QUrl(base + path)).status == 200, path);
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
