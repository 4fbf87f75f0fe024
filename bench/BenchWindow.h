#pragma once

// The real main window in a scratch data folder written for the site
// simulator's sites, for the pass benchmarks. The sites' addresses point at a
// loopback server the benchmark runs; what that server answers is the
// benchmark's business (the simulator itself, or fixed pictures).

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "core/files/Endpoints.h"
#include "core/files/SettingsStore.h"
#include "core/net/DownloadControl.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PageLoader.h"
#include "mainwindow/RefreshSchedule.h"
#include "platform/LargeBlocks.h"
#include "sitesim/DataFolderWriter.h"
#include "sitesim/SiteSimulator.h"
#include "support/FakePrompts.h"
#include "support/Fixtures.h"
#include "support/LoopbackServer.h"
#include "ui/MenuBarPainter.h"
#include "ui/ThumbGrid.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <atomic>

#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace tavimo::bench {

// The benchmarks open no other window.
struct NoWindows final : WindowOpener {};

// Offscreen unless the caller's environment says otherwise, and quiet; memory
// handled as the program handles it.
inline void prepareBenchEnvironment() {
    returnLargeBlocksToSystem();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.info=false;*.debug=false");
}

// The simulator's SSTV sites frozen at one moment: their pictures never change,
// so every round of a benchmark fetches the same bytes.
inline std::unique_ptr<sitesim::SiteSimulator> frozenSimulator(int sstvSites) {
    sitesim::SimConfig config;
    config.sstvCount = sstvSites;
    config.wxCount = 0;
    const QDateTime fixed = QDateTime::currentDateTimeUtc();
    return std::make_unique<sitesim::SiteSimulator>(config, [fixed] { return fixed; });
}

// Runs the event loop until `done` or the time is up.
inline bool waitUntil(const std::function<bool()> &done, int timeoutMs = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Runs the event loop as the program does (sleeping while nothing is due)
// for `ms` milliseconds, calling `sample` every 100 ms.
inline void runFor(int ms, const std::function<void()> &sample = {}) {
    QEventLoop loop;
    QTimer sampler;
    if (sample) {
        QObject::connect(&sampler, &QTimer::timeout, &loop, sample);
        sampler.start(100);
    }
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until the window is on the screen (at most 5 s).
inline bool waitExposed(QWidget &window) {
    return waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); },
                     5000);
}

// CPU time of this process, every thread, user and system, in seconds.
inline double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// How often the main thread has gone to sleep and woken up so far.
inline qint64 mainThreadWakeups() {
    QFile status(QStringLiteral("/proc/self/task/%1/status").arg(getpid()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return -1;
}

// Resident memory of this process in bytes.
inline qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

class BenchWindow {
public:
    // Writes the data folder for `sites` served under `base` (24 slots, page 1).
    BenchWindow(const QList<sitesim::SstvSiteInfo> &sites, const QString &base) {
        const QString home = dir.path();
        if (const WriteResult written = sitesim::writeDataFolder(home, sites, {}, base); !written)
            std::fprintf(stderr, "%s\n", qPrintable(written.error));
        state.paths.dataFolder = sitesim::dataFolderOf(home);
        state.paths.programFolder = home + QStringLiteral("/program");
        state.paths.bundledDataFolder = QStringLiteral(TAVIMO_SOURCE_DATA_DIR);
        settings = std::make_unique<SettingsStore>(sitesim::settingsFileOf(home));
        state.settings = settings.get();
        state.prompts = &prompts;
        state.downloads = &downloads;
        state.opener = &opener;
        state.endpoints = readEndpoints(*settings);
        // Only the sites' own requests are measured.
        state.endpoints.TimePage.clear();
    }

    // Starts the window (its first pass begins) and stops the refresh timers.
    bool start(bool show) {
        MainWindowDeps deps;
        deps.opener = &opener;
        deps.quit = [] {};
        window = std::make_unique<MainWindow>(state, deps);
        if (!window->startUp()) {
            std::fprintf(stderr, "start-up ended early: %s\n",
                         qPrintable(prompts.texts().join(u'|')));
            return false;
        }
        window->schedule().StopRefreshTimers();
        refreshItem = window->menus().mnuRefresh;
        if (show)
            window->show();
        return true;
    }

    // Cheap enough to ask on every turn of the event loop: the counts first.
    bool passEnded() const {
        const PageState &page = state.page;
        return page.FinishedCount >= page.ExpectedCount && !menuPicture(refreshItem);
    }
    // The pass is over for the user once its pictures are on the screen:
    // decoded, handed to their cells and painted.
    bool waitForPassEnd() {
        const ThumbGrid &grid = window->grid();
        if (!waitUntil([&] { return passEnded() && grid.decodesPending() == 0; }))
            return false;
        if (window->isVisible())
            window->repaint();
        return true;
    }

    // A reload as the Refresh command does it; with `forget`, the slot table
    // is erased first, so every site's picture counts as new.
    void reload(bool forget) {
        if (forget)
            state.page.SlotTable.erase();
        setRefreshMenuText(refreshItem, refreshItem->text());
        state.page.FinishedCount = 0;
        window->loader().LoadSstvPage();
    }

    QTemporaryDir dir;
    AppState state;
    std::unique_ptr<SettingsStore> settings;
    test::FakePrompts prompts;
    DownloadContext downloads;
    NoWindows opener;
    std::unique_ptr<MainWindow> window;
    QAction *refreshItem = nullptr;
};

inline double mib(qint64 bytes) {
    return double(bytes) / (1024.0 * 1024.0);
}

// Serves every SSTV site's picture as one of two pictures, with a check
// picture that announces a new one when the second is switched on: the same
// window measured with two kinds of picture.
class TwoPictureServer {
public:
    TwoPictureServer(QByteArray first, QByteArray second)
        : first_(std::move(first)), second_(std::move(second)) {
        server_.setHandler(
            [this](const test::RecordedRequest &request) -> std::optional<test::Route> {
                test::Route route;
                if (request.path.endsWith("/checknew.jpg"))
                    route.body = test::checkPicture(1, secondOn_ ? 21 : 20);
                else if (request.path.startsWith("/sstv/"))
                    route.body = secondOn_ ? second_ : first_;
                else
                    return std::nullopt;
                return route;
            });
    }
    // Says why on stderr when it cannot listen.
    bool start() {
        if (server_.start())
            return true;
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return false;
    }
    QString base() const { return server_.url(QStringLiteral("")).toString(); }
    void serveSecond() { secondOn_ = true; }

private:
    const QByteArray first_;
    const QByteArray second_;
    std::atomic<bool> secondOn_{false};
    test::LoopbackServer server_;
};

} // namespace tavimo::bench
