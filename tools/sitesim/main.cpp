// tavimo-sitesim: simulated SSTV and WX reception sites on loopback addresses, for the
// demo and the end-to-end tests.

#include "sitesim/DataFolderWriter.h"
#include "sitesim/SiteSimulator.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

using namespace tavimo;
using namespace tavimo::sitesim;

namespace {

// The write end of the socket pair that carries SIGINT and SIGTERM into the
// event loop; a signal handler can reach nothing else.
int signalWriteEnd = -1;

extern "C" void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalWriteEnd, &byte, 1);
}

const char *const kDescription =
    "Serves simulated SSTV and WX reception sites on 127.0.0.0/8 until SIGINT or SIGTERM:\n"
    "the services at 127.0.0.1, and each site at an address of its own on the same\n"
    "port (the SSTV sites from 127.0.0.2 on, the WX sites after them), as real sites are.\n"
    "\n"
    "SSTV site n (1..N) serves /sstv/n/image1.jpg (its current picture, with a trailer\n"
    "\"***sender*status*MM/DD/YY hh:mm:ss\" in UTC), image2.jpg to image30.jpg (the\n"
    "pictures before it, shifted on every new picture) and checknew.jpg (width 1 while\n"
    "the current picture is newer than the interval, else 2; its height changes with\n"
    "every new picture), and list.jpg (its last-heard list, text in Windows-1252).\n"
    "Every sixth site serves animated GIF pictures; every third site\n"
    "changes only every third interval. WX site m (1..M) serves /wx/m/latest.jpg, with\n"
    "no check picture. Beside image1.jpg, SSTV sites serve the text messages\n"
    "text1.txt.jpg to text5.txt.jpg (text6 to text8 answer 404). / answers 200 (the\n"
    "connection probe).\n"
    "\n"
    "The program's web services are served too: /time (the UTC time page), /home/\n"
    "(the home page, naming --home-version), /updates/sstvupdates.txt (the updates\n"
    "list, as --updates says: valid, truncated, old (61 days) or missing) and its\n"
    "mirror's copies /mirror/updates/sstvupdates.txt and /mirror/updates/updates.txt\n"
    "(always valid), and /map/maps, a small page standing in for the web map service.\n"
    "The list announces the last --news SSTV sites as new; they are\n"
    "left out of the written tavimo.lst.\n"
    "\n"
    "Three callbooks hold the SSTV sites and SIM0OP: /callbook/eham/callbook/CALL,\n"
    "/callbook/qrz/db/CALL and /callbook/hamdata/getcall.html?callsign=CALL. Of every six\n"
    "sites three have full records, one a locator without coordinates, one a\n"
    "four-character square only, and one is not held. /qrzpics/c/call/call.jpg is the\n"
    "picture of a held site, except every fourth one.\n"
    "\n"
    "Faulty sites are the last SSTV sites before the news sites: the last --fail-404\n"
    "ones, then the --slow ones before them, then --stall, --garbage, --torn, --trickle,\n"
    "--no-end, --png-text and --large; no\n"
    "two switches share a site. A torn site serves its current picture cut the first\n"
    "two times it is asked for (its first 40 %, then 60 %, as a site answers while it\n"
    "rewrites the file), and whole from the third request on, until its next picture,\n"
    "which comes every third interval (the first 1.5 intervals after the start). Before it\n"
    "listens the simulator names the sites of each switch on stderr. A --no-end or\n"
    "--png-text site posts a new picture whenever its check picture is asked for, so at\n"
    "every pass; its pictures are odd but whole.\n"
    "\n"
    "With --home DIR it writes, for Tavimo started with XDG_DATA_HOME=DIR/data and\n"
    "XDG_CONFIG_HOME=DIR/config:\n"
    "  DIR/data/tavimo/tavimo.lst   the SSTV sites, filling the pages from page 1, slot 1,\n"
    "                               for every thumbnail setting\n"
    "  DIR/data/tavimo/WXsites.lst  the WX sites, filling the WX page\n"
    "  DIR/data/tavimo/tavimo.cfg   window size 1, 24 thumbnails, automatic refresh\n"
    "                               every 60 s, start on SSTV page 1, English, own\n"
    "                               position 52.1 N 5.1 E, kilometres, callsign SIM0OP\n"
    "  DIR/config/Tavimo/Tavimo.ini section Endpoints: ConnectionProbe, TimePage,\n"
    "                               HomePage, UpdatesList, UpdatesMirror, CallbookEham,\n"
    "                               CallbookQrz, CallbookHamdata, QrzPictures and WebMap\n"
    "                               pointed at this server (other settings are kept)\n"
    "\n"
    "Once it listens it prints one line: listening on http://127.0.0.1:PORT";

struct NumberOption {
    QCommandLineOption option;
    int minimum;
    int maximum;
};

} // namespace

int main(int argc, char *argv[]) {
    // Pictures are drawn with fonts, which need a GUI application, never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tavimo-sitesim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addHelpOption();
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Port to listen on; 0 picks a free one (default 0)."), QStringLiteral("P"),
        QStringLiteral("0"));
    const QCommandLineOption sstv(QStringLiteral("sstv"),
                                  QStringLiteral("Number of SSTV sites, 0 to 240 (default 24)."),
                                  QStringLiteral("N"), QStringLiteral("24"));
    const QCommandLineOption wx(QStringLiteral("wx"),
                                QStringLiteral("Number of WX sites, 0 to 24 (default 4)."),
                                QStringLiteral("M"), QStringLiteral("4"));
    const QCommandLineOption interval(
        QStringLiteral("interval"),
        QStringLiteral("Seconds between new pictures of a site (default 60)."), QStringLiteral("S"),
        QStringLiteral("60"));
    const QCommandLineOption home(
        QStringLiteral("home"),
        QStringLiteral("Write a data folder and settings file for Tavimo below DIR (see above)."),
        QStringLiteral("DIR"));
    // The fault switches, in the order their sites are given out from the end of the list.
    struct FaultSwitch {
        const char *name;
        int SimConfig::*count;
        const char *help;
    };
    const FaultSwitch faultSwitches[] = {
        {"fail-404", &SimConfig::notFound, "N SSTV sites answer 404."},
        {"slow", &SimConfig::slow, "N SSTV sites answer after 1.5 s and send 2 KiB every 0.4 s."},
        {"stall", &SimConfig::stall, "N SSTV sites take requests and never answer."},
        {"garbage", &SimConfig::garbage, "N SSTV sites answer with bytes that are no picture."},
        {"torn", &SimConfig::torn,
         "N SSTV sites serve each new picture cut, and longer, the first two times it is asked "
         "for."},
        {"trickle", &SimConfig::trickle,
         "N SSTV sites send the pictures asked for in their first 150 s at one byte a second."},
        {"no-end", &SimConfig::noEndMarker,
         "N SSTV sites serve JPEGs without their end marker, a new one at every pass."},
        {"png-text", &SimConfig::starsInText,
         "N SSTV sites serve PNGs with \"***\" in a text chunk after the picture data and no "
         "trailer, a new one at every pass."},
        {"large", &SimConfig::large,
         "N SSTV sites serve pictures of several MB, as WX sites do, at 150 KiB/s."},
    };
    QList<QCommandLineOption> faultOptions;
    for (const FaultSwitch &fault : faultSwitches)
        faultOptions.append(QCommandLineOption(QString::fromLatin1(fault.name),
                                               QString::fromLatin1(fault.help), QStringLiteral("N"),
                                               QStringLiteral("0")));
    const QCommandLineOption homeVersion(
        QStringLiteral("home-version"),
        QStringLiteral("Version the home page names (default 4.91, no notice)."),
        QStringLiteral("V"), QStringLiteral("4.91"));
    const QCommandLineOption updates(
        QStringLiteral("updates"),
        QStringLiteral("The updates list: valid, truncated, old or missing (default valid)."),
        QStringLiteral("STATE"), QStringLiteral("valid"));
    const QCommandLineOption news(
        QStringLiteral("news"),
        QStringLiteral("The last N SSTV sites are announced as new sites (default 0)."),
        QStringLiteral("N"), QStringLiteral("0"));
    for (const QCommandLineOption &option : {port, sstv, wx, interval, home})
        parser.addOption(option);
    parser.addOptions(faultOptions);
    for (const QCommandLineOption &option : {homeVersion, updates, news})
        parser.addOption(option);
    parser.process(app);

    const auto number = [&](const QCommandLineOption &option, int minimum, int maximum) {
        bool ok = false;
        const int value = parser.value(option).toInt(&ok);
        if (!ok || value < minimum || value > maximum) {
            std::fprintf(stderr, "tavimo-sitesim: --%s wants a whole number from %d to %d\n",
                         qPrintable(option.names().constFirst()), minimum, maximum);
            std::exit(2);
        }
        return value;
    };
    SimConfig config;
    const int portNumber = number(port, 0, 65535);
    config.sstvCount = number(sstv, 0, kMaxSstvSites);
    config.wxCount = number(wx, 0, kMaxWxSites);
    config.intervalSeconds = number(interval, 1, 86400);
    for (qsizetype k = 0; k < faultOptions.size(); ++k)
        config.*faultSwitches[k].count = number(faultOptions.at(k), 0, kMaxSstvSites);
    config.newsSites = number(news, 0, config.sstvCount);
    config.homeVersion = parser.value(homeVersion);
    const QString listState = parser.value(updates);
    if (listState == u"valid") {
        config.updatesList = UpdatesListState::Valid;
    } else if (listState == u"truncated") {
        config.updatesList = UpdatesListState::Truncated;
    } else if (listState == u"old") {
        config.updatesList = UpdatesListState::TooOld;
    } else if (listState == u"missing") {
        config.updatesList = UpdatesListState::Missing;
    } else {
        std::fprintf(stderr, "tavimo-sitesim: --updates wants valid, truncated, old or missing\n");
        return 2;
    }

    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        std::perror("tavimo-sitesim: socketpair");
        return 1;
    }
    signalWriteEnd = pair[1];
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    QSocketNotifier notifier(pair[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(pair[0], &byte, 1);
        QCoreApplication::quit();
    });

    SiteSimulator simulator(config);
    test::LoopbackServer server;
    server.setRequestLogLimit(0); // a long run would otherwise keep every request
    server.setHandler(
        [&simulator](const test::RecordedRequest &request) { return simulator.answer(request); });
    if (!server.start(quint16(portNumber))) {
        std::fprintf(stderr, "tavimo-sitesim: cannot listen on 127.0.0.1:%d\n", portNumber);
        return 1;
    }
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(server.port());
    // Each site at an address of its own, as real sites are: Qt opens at most
    // six connections to one host, so sites sharing one would wait for each
    // other (a slow site behind six large ones).
    SiteHosts hosts = SiteHosts::OwnHost;
    const auto listen = [&](bool wx, int number) {
        if (hosts == SiteHosts::OwnHost && !server.listenAlso(siteHost(wx, number))) {
            std::fprintf(stderr,
                         "tavimo-sitesim: cannot listen on %s:%d; all sites share 127.0.0.1\n",
                         qPrintable(siteHost(wx, number)), int(server.port()));
            hosts = SiteHosts::Shared;
        }
    };
    for (const SstvSiteInfo &site : simulator.sstvSites())
        listen(false, site.number);
    for (const WxSiteInfo &site : simulator.wxSites())
        listen(true, site.number);
    simulator.setSitesOnOwnHosts(hosts == SiteHosts::OwnHost);

    if (parser.isSet(home)) {
        const QString dir = QDir(parser.value(home)).absolutePath();
        // The sites the updates list announces are not in the user's list yet.
        const QList<SstvSiteInfo> listed = simulator.sstvSites().mid(
            0, simulator.sstvSites().size() - simulator.newsSites().size());
        const WriteResult written = writeDataFolder(dir, listed, simulator.wxSites(), base, hosts);
        if (!written) {
            std::fprintf(stderr, "tavimo-sitesim: %s\n", qPrintable(written.error));
            return 1;
        }
        std::fprintf(stderr, "tavimo-sitesim: wrote %s and %s\n", qPrintable(dataFolderOf(dir)),
                     qPrintable(settingsFileOf(dir)));
    }

    if (const QString roles = siteRoles(simulator.sstvSites(), int(simulator.newsSites().size()));
        !roles.isEmpty())
        std::fprintf(stderr, "tavimo-sitesim: %s\n", qPrintable(roles));
    std::printf("listening on %s\n", qPrintable(base));
    std::fflush(stdout);

    const int result = QCoreApplication::exec();
    server.stop();
    ::close(pair[0]);
    ::close(pair[1]);
    return result;
}
