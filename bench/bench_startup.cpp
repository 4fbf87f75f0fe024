// Start-up of the real program: the time from starting the tavimo binary to
// its first window mapped on the X server, with a list of 24 SSTV sites and
// with one of 50,000 sites in random order (a list not written by Tavimo),
// beside the same time for a minimal Qt program that only shows an empty
// window (floor_window, built beside this benchmark): the floor no Qt program
// can go below on this machine. The same program with a menu bar and a line
// of text shows what loading the fonts adds, as any program with text must.
//
// How it measures: each program is started as a child process with a home,
// data and runtime folder of its own; this process watches the root window of
// the X server named by DISPLAY for the first window mapped after the start
// (with a window manager, its frame) and then kills the child. The sites and
// the connection probe are served by the site simulator on a loopback server;
// the time page is switched off, so nothing asks to set the clock. The data
// folder is filled by a first start that is not counted; the list is written
// afresh before every start. Medians of several starts are printed. Needs an
// X server (DISPLAY); Xvfb will do.

#include "core/base/TextFile.h"
#include "core/files/SettingsStore.h"
#include "sitesim/DataFolderWriter.h"
#include "sitesim/SiteSimulator.h"
#include "support/LoopbackServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <sys/select.h>

using namespace tavimo;

namespace {

constexpr int kStarts = 9;
constexpr int kManySites = 50'000;

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// Tells when a window is mapped on the root window of the X server.
class MapWatch {
public:
    MapWatch() : display_(XOpenDisplay(nullptr)) {
        if (display_)
            XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    }
    ~MapWatch() {
        if (display_)
            XCloseDisplay(display_);
    }
    MapWatch(const MapWatch &) = delete;
    MapWatch &operator=(const MapWatch &) = delete;

    bool isOpen() const { return display_ != nullptr; }

    // Forgets what happened so far.
    void drain() {
        XSync(display_, False);
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
        }
    }

    // Waits for the next window mapped below the root; false after timeoutMs.
    bool waitForMap(int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            while (XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == MapNotify)
                    return true;
            }
            const qint64 left = timeoutMs - timer.elapsed();
            if (left <= 0)
                return false;
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(ConnectionNumber(display_), &fds);
            timeval wait{static_cast<time_t>(left / 1000),
                         static_cast<suseconds_t>((left % 1000) * 1000)};
            select(ConnectionNumber(display_) + 1, &fds, nullptr, nullptr, &wait);
        }
    }

private:
    Display *display_;
};

// A home for the program: data folder, settings and runtime folder.
struct Home {
    QTemporaryDir dir;
    QString data() const { return sitesim::dataFolderOf(dir.path()); }
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString root = dir.path();
        env.insert(QStringLiteral("HOME"), root);
        env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/run"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.info=false"));
        return env;
    }
};

// The list of `count` sites in random order: the first 24 are the
// simulator's page of sites, the others sit on no page.
QStringList manySiteLines(const QStringList &pageLines, int count) {
    QList<QStringList> records;
    for (qsizetype i = 0; i + 1 < pageLines.size(); i += 2)
        records.append({pageLines[i], pageLines[i + 1]});
    QRandomGenerator random(11);
    for (int i = int(records.size()); i < count; ++i) {
        const QString call = QStringLiteral("%1%2%3%4")
                                 .arg(QChar(u'A' + random.bounded(26)))
                                 .arg(QChar(u'A' + random.bounded(26)))
                                 .arg(random.bounded(10))
                                 .arg(i, 4, 36, QChar(u'0'))
                                 .toUpper();
        records.append({call + QStringLiteral("*0000000000*0000000000*0000000000*0000000000*0*0**"),
                        QStringLiteral("http://127.0.0.1:9/none/%1/image1.jpg").arg(i)});
    }
    std::shuffle(records.begin(), records.end(), *QRandomGenerator::global());
    QStringList lines;
    for (const QStringList &record : std::as_const(records))
        lines << record;
    return lines;
}

// Starts `program` and times it to its first mapped window, then kills it.
std::optional<double> timeToMap(MapWatch &watch, const QString &program,
                                const QStringList &arguments, const Home &home) {
    const QString run = home.dir.path() + QStringLiteral("/run");
    QDir().mkpath(run);
    QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::remove(home.dir.path() + QStringLiteral("/run/tavimo.lock"));
    QProcess child;
    child.setProcessEnvironment(home.environment());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setStandardOutputFile(QProcess::nullDevice());
    watch.drain();
    QElapsedTimer timer;
    timer.start();
    child.start(program, arguments);
    if (!child.waitForStarted(10'000))
        return std::nullopt;
    const bool mapped = watch.waitForMap(60'000);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    child.kill();
    child.waitForFinished(10'000);
    if (!mapped)
        return std::nullopt;
    return ms;
}

} // namespace

int main(int argc, char *argv[]) {
    // The simulator draws its pictures here; this process shows nothing.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    MapWatch watch;
    if (!watch.isOpen()) {
        std::fprintf(stderr, "bench_startup needs an X server: DISPLAY is not usable\n");
        return 1;
    }

    sitesim::SimConfig config;
    config.sstvCount = 24;
    config.wxCount = 0;
    sitesim::SiteSimulator simulator(config, [] { return QDateTime::currentDateTimeUtc(); });
    test::LoopbackServer server;
    server.setHandler([&](const test::RecordedRequest &r) { return simulator.answer(r); });
    if (!server.start()) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 1;
    }
    const QString base = server.url(QStringLiteral("")).toString();

    Home home;
    if (const WriteResult written =
            sitesim::writeDataFolder(home.dir.path(), simulator.sstvSites(), {}, base);
        !written) {
        std::fprintf(stderr, "%s\n", qPrintable(written.error));
        return 1;
    }
    {
        SettingsStore settings(sitesim::settingsFileOf(home.dir.path()));
        settings.setValue(QStringLiteral("Endpoints"), QStringLiteral("TimePage"), QString());
        settings.sync();
    }
    const QString listPath = home.data() + QStringLiteral("/tavimo.lst");
    const QStringList pageLines = sitesim::sstvListLines(simulator.sstvSites(), base);
    const QStringList manyLines = manySiteLines(pageLines, kManySites);

    const QString tavimo = QStringLiteral(TAVIMO_PROGRAM);
    const QString floor = QStringLiteral(FLOOR_PROGRAM);
    // The first start fills the data folder from the bundled files.
    writeTextLines(listPath, pageLines);
    timeToMap(watch, tavimo, {}, home);

    // Built with the embedded web view or not, the program starts without it:
    // the view's module is loaded when the first street or satellite view opens.
    const QString tavimoName = TAVIMO_PROGRAM_HAS_WEB_VIEW
                                   ? QStringLiteral("tavimo (web view built)")
                                   : QStringLiteral("tavimo");
    struct Row {
        QString name;
        QString program;
        QStringList arguments;
        const QStringList *list;
        QList<double> times;
    };
    QList<Row> rows{
        {QStringLiteral("minimal Qt window (floor)"), floor, {}, nullptr, {}},
        {QStringLiteral("the same with menus and text"), floor, {"--text"}, nullptr, {}},
        {tavimoName + QStringLiteral(", 24 sites"), tavimo, {}, &pageLines, {}},
        {tavimoName + QStringLiteral(", 50,000 shuffled"), tavimo, {}, &manyLines, {}}};
    for (int start = 0; start < kStarts; ++start) {
        for (Row &row : rows) {
            if (row.list)
                writeTextLines(listPath, *row.list);
            if (const std::optional<double> ms = timeToMap(watch, row.program, row.arguments, home))
                row.times << *ms;
            else
                std::fprintf(stderr, "%s: no window mapped\n", qPrintable(row.name));
        }
    }

    std::printf("from process start to the first mapped window, median (min, max) of %d starts\n",
                kStarts);
    const double floorMs = median(rows.first().times);
    for (const Row &row : std::as_const(rows)) {
        if (row.times.isEmpty())
            continue;
        std::printf("%-36s %8.1f ms (%6.1f, %6.1f) %6.2f x floor\n", qPrintable(row.name),
                    median(row.times), *std::min_element(row.times.begin(), row.times.end()),
                    *std::max_element(row.times.begin(), row.times.end()),
                    median(row.times) / floorMs);
    }
    std::printf("target: tavimo with 24 sites <= 1.5 x floor\n");
    return 0;
}
