// Start-up of the main window with a list of 24 SSTV sites on a 24-slot page:
// the time from process start to the first shown window, and the time of
// laying the window out for each thumbnail setting.
//
// How it measures: everything runs in this process, through the real
// MainWindow, real files in a temporary data folder, the real connection
// check against a probe on a local loopback server, and the real time-page
// request. "From process start" is taken from the kernel's start time of this
// process (/proc, 10 ms steps) to the moment the window is first exposed; it
// includes loading the program and making the QApplication. Further start-ups
// in the same process (a fresh folder each) show the main window's own share.
// Uses the offscreen platform unless QT_QPA_PLATFORM says otherwise. Prints,
// does not judge.

#include "BenchWindow.h"

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "core/base/TextFile.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "mainwindow/MainWindow.h"
#include "platform/ConnectionChecker.h"
#include "support/FakePrompts.h"
#include "support/LoopbackServer.h"
#include "ui/ThumbGrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

using namespace tavimo;

namespace {

// Runs the event loop until the window is on the screen (at most 5 s).
bool waitExposed(QWidget &window) {
    QElapsedTimer deadline;
    deadline.start();
    while (deadline.elapsed() < 5000) {
        if (window.windowHandle() && window.windowHandle()->isExposed())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return false;
}

// Seconds since this process started, from /proc (clock ticks since boot).
double secondsSinceProcessStart() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name in parentheses; start time is field 22.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const double startTicks = fields.at(19).toDouble();
    const double up = uptime.readAll().split(' ').value(0).toDouble();
    return up - startTicks / double(sysconf(_SC_CLK_TCK));
}

QStringList siteLines(int count, const QString &base) {
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        // Slot i on page 1 of the 24-slot setting, and on the pages of the others.
        const QString code = i < 9 ? QString::number(i + 1) : QString(QChar(u'A' + (i - 9)));
        const QString map = code + QStringLiteral("000000000");
        lines << QStringLiteral("BM%1XX*%2*%2*%2*%2*%3*%4**")
                     .arg(i)
                     .arg(map)
                     .arg(40 + i * 0.5)
                     .arg(-10 + i);
        lines << QStringLiteral("%1/sstv/%2/image1.jpg").arg(base).arg(i + 1);
    }
    return lines;
}

struct Run {
    double toExposedMs = 0;
    std::unique_ptr<QTemporaryDir> dir;
};

Run startOnce(const test::LoopbackServer &server, bool print) {
    Run run;
    run.dir = std::make_unique<QTemporaryDir>();
    const QString root = run.dir->path();
    AppState state;
    state.paths.dataFolder = root + QStringLiteral("/data/tavimo");
    state.paths.programFolder = root + QStringLiteral("/program");
    state.paths.bundledDataFolder = QStringLiteral(TAVIMO_SOURCE_DATA_DIR);
    QDir().mkpath(state.paths.dataFolder);
    QDir().mkpath(state.paths.programFolder);
    const QString base = server.url(QStringLiteral("")).toString();
    writeTextLines(state.paths.data(QStringLiteral("tavimo.lst")), siteLines(24, base));
    writeTextLines(state.paths.data(QStringLiteral("tavimo.cfg")),
                   {QStringLiteral("1"), QStringLiteral("4"), QStringLiteral("1"),
                    QStringLiteral("60"), QStringLiteral("0"), QStringLiteral("0")});
    SettingsStore settings(root + QStringLiteral("/Tavimo.ini"));
    test::FakePrompts prompts;
    DownloadContext downloads;
    state.settings = &settings;
    state.prompts = &prompts;
    state.downloads = &downloads;
    state.endpoints.ConnectionProbe = server.url(QStringLiteral("/")).toString();
    state.endpoints.TimePage = server.url(QStringLiteral("/time")).toString();
    TcpConnectionChecker checker(state.endpoints.ConnectionProbe);

    QElapsedTimer timer;
    timer.start();
    MainWindowDeps deps;
    deps.connectionChecker = &checker;
    deps.quit = [] {};
    bench::NoWindows opener;
    deps.opener = &opener;
    MainWindow window(state, deps);
    if (!window.startUp()) {
        std::fprintf(stderr, "start-up ended early: %s\n", qPrintable(prompts.texts().join(u'|')));
        return run;
    }
    window.show();
    if (!waitExposed(window))
        std::fprintf(stderr, "the window was never exposed\n");
    run.toExposedMs = double(timer.nsecsElapsed()) / 1e6;
    if (print) {
        const double sinceStart = secondsSinceProcessStart();
        std::printf("first start: %.1f ms from process start to the shown window "
                    "(main window's share %.1f ms; %d cells)\n",
                    sinceStart * 1000.0, run.toExposedMs, int(window.grid().cells().size()));
    }

    // Layout of each setting, repeated on the live window.
    if (print) {
        constexpr int rounds = 40;
        std::printf("\n%-8s %6s %16s\n", "setting", "slots", "ms per layout");
        for (int setting = 1; setting <= 4; ++setting) {
            QList<double> times;
            for (int i = 0; i < rounds; ++i) {
                QElapsedTimer layout;
                layout.start();
                window.LayoutMainWindow(setting);
                times << double(layout.nsecsElapsed()) / 1e6;
            }
            std::sort(times.begin(), times.end());
            std::printf("%-8d %6d %8.3f median %8.3f min\n", setting,
                        int(window.grid().cells().size()), times.at(rounds / 2), times.first());
        }
    }
    return run;
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.info=false;*.debug=false");
    QApplication app(argc, argv);

    test::LoopbackServer server;
    if (!server.start()) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 1;
    }
    test::Route time;
    time.body = "<BR>May. 01, 13:05:09 UTC";
    server.setRoute(QStringLiteral("/time"), time);
    test::Route probe;
    probe.body = "ok";
    server.setRoute(QStringLiteral("/"), probe);

    startOnce(server, true);

    constexpr int again = 10;
    QList<double> times;
    for (int i = 0; i < again; ++i)
        times << startOnce(server, false).toExposedMs;
    std::sort(times.begin(), times.end());
    std::printf("\nlater start-ups in this process (%d, fresh folders): %.1f ms median, "
                "%.1f ms min, %.1f ms max\n",
                again, times.at(again / 2), times.first(), times.last());
    return 0;
}
