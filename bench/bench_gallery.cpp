// Opening the gallery of a site's last 30 pictures, through the real
// GalleryWindow beside the real MainWindow, against a bare loop that fetches
// the same 30 addresses with a QNetworkAccessManager of its own and decodes
// the pictures; and the resident memory after opening and closing the gallery
// 50 times.
//
// How it measures: one process, one loopback server serving the site
// simulator with a fixed clock (the pictures never change; the simulator's
// drawing is cached after the warm-up). A gallery round runs from the opening
// until its pass has ended and the window has painted all 30 cells (painting
// decodes the still pictures); the gallery is then closed and destroyed. The
// bare loop asks for image1.jpg to image30.jpg at once and decodes each
// answer with QImage. Rounds of the two alternate; medians are printed, and
// their ratio. Memory: the resident size after a warm-up round, then after 50
// more rounds. Uses the offscreen platform unless QT_QPA_PLATFORM says
// otherwise (QT_QPA_PLATFORM=xcb under xvfb-run for a real X server).

#include "BenchWindow.h"

#include "gallery/GalleryFetch.h"
#include "gallery/GalleryWindow.h"
#include "sitesim/SiteSimulator.h"
#include "support/LoopbackServer.h"
#include "ui/ThumbGrid.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <algorithm>

using namespace tavimo;

namespace {

constexpr int kSites = 6;
constexpr int kRounds = 31;
constexpr int kMemoryRounds = 50;

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

double mib(qint64 bytes) {
    return double(bytes) / (1024.0 * 1024.0);
}

// The same 30 fetches without the window, each picture decoded.
double bareGallery(QNetworkAccessManager &network, const QStringList &urls) {
    int answered = 0;
    int decoded = 0;
    QElapsedTimer timer;
    timer.start();
    for (const QString &url : urls) {
        QNetworkRequest request{QUrl(url)};
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        QNetworkReply *reply = network.get(request);
        QObject::connect(reply, &QNetworkReply::finished, reply, [&, reply] {
            reply->deleteLater();
            QImage image;
            if (image.loadFromData(reply->readAll()))
                ++decoded;
            ++answered;
        });
    }
    bench::waitUntil([&] { return answered == int(urls.size()); });
    if (decoded != answered)
        std::fprintf(stderr, "bare loop: %d of %d pictures decoded\n", decoded, answered);
    return double(timer.nsecsElapsed()) / 1e6;
}

// Opens the gallery of the first slot, waits until its 30 cells are painted,
// closes it and waits until it is gone. The time to the painted cells, or
// nothing when the pass did not end.
std::optional<double> galleryRound(AppState &state, WindowRegistry &registry) {
    QElapsedTimer timer;
    timer.start();
    GalleryWindow *gallery =
        openGalleryWindow(state, registry, GalleryRequest::pageSlot(0), GalleryServices{});
    const double t1 = double(timer.nsecsElapsed()) / 1e6;
    if (!bench::waitUntil([&] { return !gallery->fetch().passRunning(); }))
        return std::nullopt;
    const double t2 = double(timer.nsecsElapsed()) / 1e6;
    gallery->grid().repaint();
    const double t3 = double(timer.nsecsElapsed()) / 1e6;
    std::fprintf(stderr, "open %.1f pass %.1f paint %.1f\n", t1, t2 - t1, t3 - t2);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    gallery->close();
    bench::waitUntil([&] { return !registry.find(kGalleryWindowName); });
    return ms;
}

} // namespace

int main(int argc, char *argv[]) {
    bench::prepareBenchEnvironment();
    QApplication app(argc, argv);
    const std::unique_ptr<sitesim::SiteSimulator> frozen = bench::frozenSimulator(kSites);
    sitesim::SiteSimulator &simulator = *frozen;
    test::LoopbackServer server;
    server.setHandler([&](const test::RecordedRequest &r) { return simulator.answer(r); });
    if (!server.start()) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 1;
    }
    const QString base = server.url(QStringLiteral("")).toString();

    bench::BenchWindow w(simulator.sstvSites(), base);
    if (!w.start(true) || !w.waitForPassEnd()) {
        std::fprintf(stderr, "the first pass did not end\n");
        return 1;
    }
    const QString picture = w.state.SiteList.first().PictureUrl;
    const QString folder = picture.left(picture.lastIndexOf(u'/') + 1);
    QStringList urls;
    for (int k = 1; k <= 30; ++k)
        urls << folder + QStringLiteral("image%1.jpg").arg(k);

    WindowRegistry registry;
    QNetworkAccessManager network;
    // Warm-up: connections, decoders, the simulator's drawings.
    bareGallery(network, urls);
    if (!galleryRound(w.state, registry)) {
        std::fprintf(stderr, "the gallery's pass did not end\n");
        return 1;
    }

    QList<double> galleryMs;
    QList<double> bareMs;
    for (int round = 0; round < kRounds; ++round) {
        const std::optional<double> ms = galleryRound(w.state, registry);
        if (!ms) {
            std::fprintf(stderr, "the gallery's pass did not end\n");
            return 1;
        }
        galleryMs << *ms;
        bareMs << bareGallery(network, urls);
    }

    const qint64 before = bench::residentBytes();
    for (int round = 0; round < kMemoryRounds; ++round) {
        if (!galleryRound(w.state, registry)) {
            std::fprintf(stderr, "the gallery's pass did not end\n");
            return 1;
        }
    }
    const qint64 after = bench::residentBytes();

    const double g = median(galleryMs);
    const double b = median(bareMs);
    std::printf("gallery of 30 pictures, median (min) of %d rounds each\n", kRounds);
    std::printf("%18s %18s %8s\n", "gallery ms", "bare loop ms", "ratio");
    std::printf("%9.1f (%6.1f) %9.1f (%6.1f) %8.2f\n", g,
                *std::min_element(galleryMs.begin(), galleryMs.end()), b,
                *std::min_element(bareMs.begin(), bareMs.end()), g / b);
    std::printf("target: ratio <= 1.3\n");
    std::printf("resident memory: %.1f MiB before, %.1f MiB after %d openings and closings "
                "(%+.1f MiB; target within 5 MB)\n",
                mib(before), mib(after), kMemoryRounds, mib(after - before));
    return 0;
}
