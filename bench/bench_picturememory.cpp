// What large still pictures cost on the grid: the resident size of the
// process with 24 thumbnails of 6 MB pictures (the size of a weather
// satellite's picture), less the same window showing 24 small SSTV pictures.
// A thumbnail should cost what it draws, not what its picture weighs: the
// target is a difference under 30 MB.
//
// How it measures: one process, the real MainWindow (shown, offscreen unless
// QT_QPA_PLATFORM says otherwise) on a page of 24 slots, its sites served from
// a loopback server. First every site serves a small JPEG (the simulator's
// test card); once that pass has ended and the window has run for a while,
// the resident size is read from /proc/self/statm. Then every site serves a
// JPEG of about 6 MB (noise, 2000 pixels wide or more), the slot table is
// erased so the pass fetches all again, and after a while the resident size
// is read again. Each figure is the largest seen over the last two seconds.

#include "BenchWindow.h"

#include "sitesim/SiteSimulator.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"

#include <QApplication>
#include <QBuffer>
#include <QImageWriter>
#include <QRandomGenerator>

#include <algorithm>

using namespace tavimo;

namespace {

constexpr int kSites = 24;
constexpr qsizetype kLargeBytes = 6 * 1000 * 1000;

// A JPEG of at least `bytes` bytes: noise barely compresses.
QByteArray largeJpeg(qsizetype bytes) {
    QRandomGenerator random(20240607);
    for (int width = 2000;; width += 200) {
        QImage image(width, width * 3 / 4, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = 0xff000000u | (random.generate() & 0xffffffu);
        }
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(90);
        writer.write(image);
        if (jpeg.size() >= bytes)
            return jpeg;
    }
}

// Runs the window for a while; the largest resident size of its last 2 s.
qint64 settle(int ms) {
    bench::runFor(ms - 2000);
    qint64 largest = bench::residentBytes();
    bench::runFor(2000, [&] { largest = std::max(largest, bench::residentBytes()); });
    return largest;
}

} // namespace

int main(int argc, char *argv[]) {
    bench::prepareBenchEnvironment();
    QApplication app(argc, argv);
    const std::unique_ptr<sitesim::SiteSimulator> frozen = bench::frozenSimulator(kSites);
    sitesim::SiteSimulator &simulator = *frozen;
    qsizetype stillSite = -1;
    for (qsizetype i = 0; i < simulator.sstvSites().size() && stillSite < 0; ++i) {
        const sitesim::SstvSiteInfo &site = simulator.sstvSites()[i];
        if (site.fault == sitesim::SiteFault::None && !site.animated)
            stillSite = i;
    }
    if (stillSite < 0) {
        std::fprintf(stderr, "the simulator has no still site\n");
        return 1;
    }
    const QByteArray small = simulator.sstvPicture(
        stillSite, simulator.sstvTimeline(stillSite).currentNumber(simulator.now()));
    const QByteArray large = largeJpeg(kLargeBytes);

    bench::TwoPictureServer server(small, large);
    if (!server.start())
        return 1;

    bench::BenchWindow w(simulator.sstvSites(), server.base());
    if (!w.start(true) || !w.waitForPassEnd()) {
        std::fprintf(stderr, "the first pass did not end\n");
        return 1;
    }
    const qint64 smallBytes = settle(4000);

    server.serveSecond();
    w.reload(true);
    if (!w.waitForPassEnd()) {
        std::fprintf(stderr, "the pass of large pictures did not end\n");
        return 1;
    }
    int shown = 0;
    for (ThumbCell *cell : w.window->grid().cells())
        shown += cell->img->hasPicture() ? 1 : 0;
    const qint64 largeBytes = settle(6000);

    std::printf("resident size, window of %d thumbnails (%s platform)\n", kSites,
                qPrintable(QGuiApplication::platformName()));
    std::printf("  24 small pictures (JPEG, %lld bytes)               %8.1f MiB\n",
                static_cast<long long>(small.size()), bench::mib(smallBytes));
    std::printf("  24 large pictures (JPEG, %lld bytes; %d shown)  %8.1f MiB\n",
                static_cast<long long>(large.size()), shown, bench::mib(largeBytes));
    std::printf("  large less small: %.1f MiB (target under 30 MB)\n",
                bench::mib(largeBytes - smallBytes));
    return 0;
}
