// Opening the gallery of a site's last 30 pictures, through the real
// GalleryWindow beside the real MainWindow, against a bare loop that fetches
// the same 30 addresses with a QNetworkAccessManager of its own and decodes
// the pictures as the gallery does; and the resident memory over 300
// openings and closings of the gallery.
//
// How it measures: one process, one loopback server serving the site
// simulator with a fixed clock (the pictures never change; the simulator's
// drawing is cached after the warm-up). The server's log of requests is
// cleared before every round, so that it does not count as the program's
// memory. A gallery round runs from the opening until its pass has ended,
// every picture is decoded and the window has painted all 30 cells; the
// gallery is then closed and destroyed. The bare loop asks for image1.jpg to
// image30.jpg at once and decodes each answer at its cell's size on a
// PictureDecoder, the same pool of workers a gallery decodes on: the floor of
// what the gallery does. A last bare loop holds its reads to as many at once as the
// gallery lets run, which leaves the page its connections to the host: what
// that rule alone costs. Rounds of each alternate; medians are printed,
// and their ratio. Memory: the resident size after a warm-up round, then
// every 100 rounds. Uses the offscreen platform unless QT_QPA_PLATFORM says
// otherwise (QT_QPA_PLATFORM=xcb under xvfb-run for a real X server).

#include "BenchWindow.h"

#include "core/thumbs/PictureDecoding.h"
#include "gallery/GalleryFetch.h"
#include "gallery/GalleryWindow.h"
#include "sitesim/SiteSimulator.h"
#include "support/LoopbackServer.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <algorithm>
#include <functional>
#include <memory>

using namespace tavimo;

namespace {

constexpr int kSites = 6;
constexpr int kRounds = 31;
constexpr int kMemoryRounds = 300;
constexpr int kMemoryStep = 100;

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// Where the gallery's window and its 30 pictures lie (window coordinates).
struct GalleryShape {
    QRect window;
    QList<QRect> cells;
    qreal pixelRatio = 1;
};

// The same 30 fetches without the gallery, each picture decoded at the size
// of its cell on the workers of `decoder`. With `window`, a plain window of
// the gallery's size and place opens at once, as the gallery does, and shows
// each picture in a QLabel where the gallery's cell lies: the floor of opening
// a window of 30 pictures. The time until every picture is decoded (and, with
// the window, shown and painted).
// With `atOnce`, no more reads than that run at a time (the next leaves as one
// ends), as the gallery must to leave a host's other connections to the page.
double bareGallery(QNetworkAccessManager &network, PictureDecoder &decoder, const QStringList &urls,
                   const GalleryShape &shape, bool window, int atOnce = 0) {
    int answered = 0;
    int decoded = 0;
    QObject receiver;
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<QWidget> plain;
    QList<QLabel *> labels;
    if (window) {
        plain = std::make_unique<QWidget>();
        plain->setGeometry(shape.window);
        for (const QRect &cell : shape.cells) {
            auto *label = new QLabel(plain.get());
            label->setGeometry(cell);
            labels << label;
        }
        plain->show();
    }
    qsizetype next = 0;
    int running = 0;
    std::function<void()> sendMore;
    sendMore = [&] {
        while (next < urls.size() && (atOnce <= 0 || running < atOnce)) {
            const qsizetype k = next++;
            ++running;
            QNetworkRequest request{QUrl(urls.at(k))};
            request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                                 QNetworkRequest::AlwaysNetwork);
            QNetworkReply *reply = network.get(request);
            const QSize cell = shape.cells.value(k).size() * shape.pixelRatio;
            QLabel *label = labels.value(k);
            QObject::connect(reply, &QNetworkReply::finished, reply, [&, reply, cell, label] {
                reply->deleteLater();
                --running;
                sendMore();
                const QByteArray bytes = reply->readAll();
                const std::optional<PictureHeader> header = readPictureHeader(bytes);
                if (!header) {
                    ++answered;
                    return;
                }
                decoder.decodeStill(bytes, *header, cell, &receiver,
                                    [&, label](const QImage &image) {
                                        if (!image.isNull())
                                            ++decoded;
                                        if (label)
                                            label->setPixmap(QPixmap::fromImage(image));
                                        ++answered;
                                    });
            });
        }
    };
    sendMore();
    bench::waitUntil([&] {
        return answered == int(urls.size()) &&
               (!plain || (plain->windowHandle() && plain->windowHandle()->isExposed()));
    });
    if (plain)
        plain->repaint();
    if (decoded != answered)
        std::fprintf(stderr, "bare loop: %d of %d pictures decoded\n", decoded, answered);
    return double(timer.nsecsElapsed()) / 1e6;
}

// Opens the gallery of the first slot, waits until its 30 cells are decoded
// and painted, closes it and waits until it is gone. The time to the painted
// cells, or nothing when the pass did not end. `shape` receives where the
// window and its pictures lie.
std::optional<double> galleryRound(AppState &state, WindowRegistry &registry,
                                   GalleryShape *shape = nullptr) {
    QElapsedTimer timer;
    timer.start();
    GalleryWindow *gallery =
        openGalleryWindow(state, registry, GalleryRequest::pageSlot(0), GalleryServices{});
    if (!bench::waitUntil([&] {
            return !gallery->fetch().passRunning() && gallery->grid().decodesPending() == 0;
        }))
        return std::nullopt;
    gallery->grid().repaint();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (shape) {
        shape->window = gallery->geometry();
        shape->pixelRatio = gallery->devicePixelRatioF();
        shape->cells.clear();
        for (int k = 0; k < 30; ++k) {
            const StillPicture *img = gallery->grid().cell(k)->img;
            shape->cells << QRect(img->mapTo(gallery, QPoint(0, 0)), img->size());
        }
    }
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
    PictureDecoder decoder;
    // Warm-up: connections, decoders, the simulator's drawings, the gallery's shape.
    GalleryShape shape;
    if (!galleryRound(w.state, registry, &shape)) {
        std::fprintf(stderr, "the gallery's pass did not end\n");
        return 1;
    }
    bareGallery(network, decoder, urls, shape, false);
    bareGallery(network, decoder, urls, shape, true);

    QList<double> galleryMs;
    QList<double> bareMs;
    QList<double> windowMs;
    QList<double> fourMs;
    for (int round = 0; round < kRounds; ++round) {
        server.clearRequests();
        const std::optional<double> ms = galleryRound(w.state, registry);
        if (!ms) {
            std::fprintf(stderr, "the gallery's pass did not end\n");
            return 1;
        }
        galleryMs << *ms;
        server.clearRequests();
        bareMs << bareGallery(network, decoder, urls, shape, false);
        server.clearRequests();
        windowMs << bareGallery(network, decoder, urls, shape, true);
        server.clearRequests();
        fourMs << bareGallery(network, decoder, urls, shape, false, kGalleryReadsAtOnce);
    }

    server.clearRequests();
    QList<qint64> resident{bench::residentBytes()};
    for (int round = 1; round <= kMemoryRounds; ++round) {
        server.clearRequests();
        if (!galleryRound(w.state, registry)) {
            std::fprintf(stderr, "the gallery's pass did not end\n");
            return 1;
        }
        if (round % kMemoryStep == 0)
            resident << bench::residentBytes();
    }

    const double g = median(galleryMs);
    const double b = median(bareMs);
    const double f = median(windowMs);
    const auto least = [](const QList<double> &values) {
        return *std::min_element(values.begin(), values.end());
    };
    std::printf("gallery of 30 pictures, median (min) of %d rounds each\n", kRounds);
    std::printf("%18s %18s %18s %8s %8s\n", "gallery ms", "bare loop ms", "bare+window ms", "ratio",
                "ratio w");
    std::printf("%9.1f (%6.1f) %9.1f (%6.1f) %9.1f (%6.1f) %8.2f %8.2f\n", g, least(galleryMs), b,
                least(bareMs), f, least(windowMs), g / b, g / f);
    std::printf("target: ratio <= 1.3 (ratio: against the bare loop; ratio w: against the bare "
                "loop that shows its pictures in a plain window)\n");
    const double four = median(fourMs);
    std::printf("bare loop with at most %d reads at once, as the gallery reads: %.1f ms (%.1f); "
                "ratio %.2f\n",
                kGalleryReadsAtOnce, four, least(fourMs), g / four);
    std::printf("resident memory after 0");
    for (int round = kMemoryStep; round <= kMemoryRounds; round += kMemoryStep)
        std::printf(", %d", round);
    std::printf(" openings and closings:");
    for (const qint64 bytes : resident)
        std::printf(" %.1f", bench::mib(bytes));
    std::printf(" MiB (%+.1f MiB; target within 5 MB)\n",
                bench::mib(resident.last() - resident.first()));
    return 0;
}
