// An idle pass: the page of 24 SSTV sites is reloaded while no site has a new
// picture. What it costs the network: requests and body bytes per site, split
// into check pictures and pictures, beside the first pass that fetched
// everything.
//
// How it measures: one process, the real MainWindow against the site
// simulator on a loopback server, with the simulator's clock held still so no
// picture changes. The server counts every request and the body bytes it
// answers with; the update check and other endpoints are not counted (only
// the sites' own addresses are). Uses the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.

#include "BenchWindow.h"

#include "sitesim/SiteSimulator.h"
#include "support/LoopbackServer.h"

#include <QApplication>
#include <QMutex>

#include <algorithm>

using namespace tavimo;

namespace {

constexpr int kSites = 24;
constexpr int kIdlePasses = 20;

struct Tally {
    int checkRequests = 0;
    int pictureRequests = 0;
    qint64 checkBytes = 0;
    qint64 pictureBytes = 0;
};

class CountingServer {
public:
    explicit CountingServer(sitesim::SiteSimulator &simulator) {
        server.setHandler([this, &simulator](const test::RecordedRequest &request) {
            std::optional<test::Route> route = simulator.answer(request);
            const QByteArray path = request.path;
            QMutexLocker lock(&mutex);
            const qint64 bytes = route ? route->body.size() : 0;
            if (path.endsWith("/checknew.jpg")) {
                ++tally.checkRequests;
                tally.checkBytes += bytes;
            } else if (path.startsWith("/sstv/")) {
                ++tally.pictureRequests;
                tally.pictureBytes += bytes;
            }
            return route;
        });
    }
    Tally take() {
        QMutexLocker lock(&mutex);
        return std::exchange(tally, Tally{});
    }

    test::LoopbackServer server;
    QMutex mutex;
    Tally tally;
};

void printRow(const char *what, const Tally &t, int passes, double ms) {
    const double perSite = double(passes) * kSites;
    std::printf("%-12s %9.2f %9.2f %12.1f %12.1f %10.1f\n", what, t.checkRequests / perSite,
                t.pictureRequests / perSite, double(t.checkBytes) / perSite,
                double(t.pictureBytes) / perSite, ms);
}

} // namespace

int main(int argc, char *argv[]) {
    bench::prepareBenchEnvironment();
    QApplication app(argc, argv);
    const std::unique_ptr<sitesim::SiteSimulator> frozen = bench::frozenSimulator(kSites);
    sitesim::SiteSimulator &simulator = *frozen;
    CountingServer counting(simulator);
    if (!counting.server.start()) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 1;
    }

    bench::BenchWindow w(simulator.sstvSites(), counting.server.url(QStringLiteral("")).toString());
    QElapsedTimer timer;
    timer.start();
    if (!w.start(true) || !w.waitForPassEnd()) {
        std::fprintf(stderr, "the first pass did not end\n");
        return 1;
    }
    const double firstMs = double(timer.nsecsElapsed()) / 1e6;
    const Tally first = counting.take();

    QList<double> idleMs;
    for (int i = 0; i < kIdlePasses; ++i) {
        timer.restart();
        w.reload(false);
        if (!w.waitForPassEnd()) {
            std::fprintf(stderr, "an idle pass did not end\n");
            return 1;
        }
        idleMs << double(timer.nsecsElapsed()) / 1e6;
    }
    const Tally idle = counting.take();
    std::sort(idleMs.begin(), idleMs.end());

    std::printf("passes over %d SSTV sites, per site and pass (idle: %d passes)\n", kSites,
                kIdlePasses);
    std::printf("%-12s %9s %9s %12s %12s %10s\n", "pass", "checks", "pictures", "check bytes",
                "pict. bytes", "ms/pass");
    printRow("first", first, 1, firstMs);
    printRow("idle", idle, kIdlePasses, idleMs.at(idleMs.size() / 2));
    const double firstBytes = double(first.checkBytes + first.pictureBytes);
    const double idleBytes = double(idle.checkBytes + idle.pictureBytes) / kIdlePasses;
    std::printf("an idle pass moves %.1f%% of the bytes of a full pass (%.0f of %.0f bytes)\n",
                100.0 * idleBytes / firstBytes, idleBytes, firstBytes);
    return 0;
}
