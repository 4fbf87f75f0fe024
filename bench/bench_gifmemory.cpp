// What animated thumbnails cost: the resident size of the process with 24
// animated GIF thumbnails playing, less the same window showing 24 still
// pictures; and the share of a core the process uses, and how often its main
// thread wakes up, over 30 s with either on the screen and nothing else to do.
//
// How it measures: one process, the real MainWindow (shown, offscreen unless
// QT_QPA_PLATFORM says otherwise) on a page of 24 slots, its sites served from
// a loopback server. The pictures are the site simulator's own: a still test
// card (JPEG) and an animated one (GIF, 320 x 256, several frames), each with
// its trailer. First every site serves the still picture; once that pass has
// ended and the window has run for a while, the resident size is read from
// /proc/self/statm. Then every site serves the animation, the slot table is
// erased so the pass fetches all again, and after the animations have played
// for a while the resident size is read again. The CPU share is the process's
// CPU time (every thread, user and system) over 30 s of the event loop with
// the refresh timer running as in automatic mode (no reload falls within
// them), divided by the 30 s; the wake-ups are the main thread's voluntary
// context switches over the same time.

#include "BenchWindow.h"

#include "sitesim/SiteSimulator.h"
#include "ui/AnimatedPicture.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"

#include <QApplication>
#include <QMutex>

#include <algorithm>

using namespace tavimo;

namespace {

constexpr int kSites = 24;

constexpr int kIdleSeconds = 30;

// Runs the window for a while and returns the largest resident size seen.
qint64 settle(int ms) {
    qint64 largest = bench::residentBytes();
    bench::runFor(ms, [&] { largest = std::max(largest, bench::residentBytes()); });
    return largest;
}

struct Idle {
    double cpuShare = 0; // of one core
    double wakeupsPerSecond = 0;
};

// The window left alone, its refresh timer running, for kIdleSeconds.
Idle idle(bench::BenchWindow &w) {
    w.window->schedule().StartRefreshTimers();
    const double cpu = bench::cpuSeconds();
    const qint64 wakeups = bench::mainThreadWakeups();
    QElapsedTimer wall;
    wall.start();
    bench::runFor(kIdleSeconds * 1000);
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    Idle result{(bench::cpuSeconds() - cpu) / seconds,
                double(bench::mainThreadWakeups() - wakeups) / seconds};
    w.window->schedule().StopRefreshTimers();
    return result;
}

} // namespace

int main(int argc, char *argv[]) {
    bench::prepareBenchEnvironment();
    QApplication app(argc, argv);
    const std::unique_ptr<sitesim::SiteSimulator> frozen = bench::frozenSimulator(kSites);
    sitesim::SiteSimulator &simulator = *frozen;
    qsizetype stillSite = -1;
    qsizetype animatedSite = -1;
    for (qsizetype i = 0; i < simulator.sstvSites().size(); ++i) {
        const sitesim::SstvSiteInfo &site = simulator.sstvSites()[i];
        if (site.fault != sitesim::SiteFault::None)
            continue;
        (site.animated ? animatedSite : stillSite) = i;
    }
    if (stillSite < 0 || animatedSite < 0) {
        std::fprintf(stderr, "the simulator has no still or no animated site\n");
        return 1;
    }
    const auto pictureOf = [&](qsizetype index) {
        return simulator.sstvPicture(index,
                                     simulator.sstvTimeline(index).currentNumber(simulator.now()));
    };
    const QByteArray still = pictureOf(stillSite);
    const QByteArray animated = pictureOf(animatedSite);

    bench::TwoPictureServer server(still, animated);
    if (!server.start())
        return 1;

    bench::BenchWindow w(simulator.sstvSites(), server.base());
    if (!w.start(true) || !w.waitForPassEnd()) {
        std::fprintf(stderr, "the first pass did not end\n");
        return 1;
    }
    const qint64 stillBytes = settle(3000);
    const Idle stillIdle = idle(w);

    server.serveSecond();
    w.reload(true);
    if (!w.waitForPassEnd()) {
        std::fprintf(stderr, "the animated pass did not end\n");
        return 1;
    }
    int playing = 0;
    for (ThumbCell *cell : w.window->grid().cells())
        playing += cell->AniGIF()->isAnimating() ? 1 : 0;
    const qint64 animatedBytes = settle(5000);
    const Idle animatedIdle = idle(w);

    std::printf("resident size, window of %d thumbnails\n", kSites);
    std::printf("  24 still pictures (JPEG, %lld bytes)                 %8.1f MiB\n",
                static_cast<long long>(still.size()), bench::mib(stillBytes));
    std::printf("  24 animations (GIF, %lld bytes; %d playing)         %8.1f MiB\n",
                static_cast<long long>(animated.size()), playing, bench::mib(animatedBytes));
    std::printf("  animated less still: %.1f MiB (target under 60 MB)\n",
                bench::mib(animatedBytes - stillBytes));
    std::printf("\nleft alone for %d s, refresh timer running (%s platform)\n", kIdleSeconds,
                qPrintable(QGuiApplication::platformName()));
    std::printf("  %-22s %10s %22s\n", "thumbnails", "CPU share", "main thread wake-ups/s");
    std::printf("  %-22s %9.2f%% %22.1f   (target <= 0.2%%)\n", "24 still pictures",
                100 * stillIdle.cpuShare, stillIdle.wakeupsPerSecond);
    std::printf("  %-22s %9.2f%% %22.1f   (target <= 2%%)\n", "24 animations",
                100 * animatedIdle.cpuShare, animatedIdle.wakeupsPerSecond);
    return 0;
}
