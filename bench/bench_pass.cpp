// A full pass over a page of 24 SSTV sites whose pictures are all new, through
// the real MainWindow against the site simulator, beside a bare loop that
// fetches the same 48 addresses (24 check pictures, then 24 pictures) with a
// QNetworkAccessManager of its own and decodes the pictures.
//
// How it measures: one process, one loopback server serving the simulator
// with a fixed clock (the pictures never change, the simulator's drawing is
// cached after the warm-up). The window's pass is a reload after the slot table
// was erased, so every site counts as new and every picture is fetched,
// stored, decoded and shown; it ends when the end-of-pass rule has run. The
// bare loop does the same fetches in the same order (each picture once its
// check picture is in) and decodes each picture with QImage. Rounds of the two
// alternate; medians are printed, and their ratio (the window's overhead).
// Shown, the window's pass ends once its pictures are painted; hidden, a still
// picture is only measured, since a thumbnail decodes it when it first paints.
// Uses the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "BenchWindow.h"

#include "sitesim/SiteSimulator.h"
#include "support/LoopbackServer.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <algorithm>
#include <atomic>

using namespace tavimo;

namespace {

constexpr int kSites = 24;
constexpr int kRounds = 41;

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// The same 48 fetches without the window: check picture, then picture.
double barePass(QNetworkAccessManager &network, const QStringList &pictureUrls) {
    int pictures = 0;
    int decoded = 0;
    QElapsedTimer timer;
    timer.start();
    const auto get = [&](const QString &url, std::function<void(const QByteArray &)> then) {
        QNetworkRequest request{QUrl(url)};
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        QNetworkReply *reply = network.get(request);
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, then] {
            reply->deleteLater();
            then(reply->readAll());
        });
    };
    for (const QString &url : pictureUrls) {
        const QString check = url.left(url.lastIndexOf(u'/') + 1) + QStringLiteral("checknew.jpg");
        get(check, [&, url](const QByteArray &bytes) {
            QImage checkImage;
            checkImage.loadFromData(bytes);
            get(url, [&](const QByteArray &picture) {
                QImage image;
                if (image.loadFromData(picture))
                    ++decoded;
                ++pictures;
            });
        });
    }
    bench::waitUntil([&] { return pictures == int(pictureUrls.size()); });
    if (decoded != pictures)
        std::fprintf(stderr, "bare loop: %d of %d pictures decoded\n", decoded, pictures);
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[]) {
    bench::prepareBenchEnvironment();
    QApplication app(argc, argv);
    const std::unique_ptr<sitesim::SiteSimulator> frozen = bench::frozenSimulator(kSites);
    sitesim::SiteSimulator &simulator = *frozen;
    test::LoopbackServer server;
    std::atomic<qint64> bodyBytes{0};
    server.setHandler([&](const test::RecordedRequest &request) {
        std::optional<test::Route> route = simulator.answer(request);
        if (route)
            bodyBytes += route->body.size();
        return route;
    });
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
    QStringList urls;
    for (const SiteRecord &site : std::as_const(w.state.SiteList))
        urls << site.PictureUrl;

    QNetworkAccessManager network;
    barePass(network, urls); // warm-up: connections, decoders

    struct Figures {
        double windowMs = 0;
        double bareMs = 0;
        double windowMin = 0;
        double bareMin = 0;
    };
    qint64 bytesPerPass = 0;
    const auto measure = [&]() -> std::optional<Figures> {
        QList<double> windowMs;
        QList<double> bareMs;
        for (int round = 0; round < kRounds; ++round) {
            server.clearRequests();
            const qint64 bytesBefore = bodyBytes;
            QElapsedTimer timer;
            timer.start();
            w.reload(true);
            if (!w.waitForPassEnd())
                return std::nullopt;
            windowMs << double(timer.nsecsElapsed()) / 1e6;
            bytesPerPass = bodyBytes - bytesBefore;
            if (server.requests().size() != 2 * kSites)
                std::fprintf(stderr, "window pass: %d requests, expected %d\n",
                             int(server.requests().size()), 2 * kSites);
            bareMs << barePass(network, urls);
        }
        return Figures{median(windowMs), median(bareMs),
                       *std::min_element(windowMs.begin(), windowMs.end()),
                       *std::min_element(bareMs.begin(), bareMs.end())};
    };
    const std::optional<Figures> shown = measure();
    w.window->hide();
    const std::optional<Figures> hidden = shown ? measure() : std::nullopt;
    if (!hidden) {
        std::fprintf(stderr, "a pass did not end\n");
        return 1;
    }

    std::printf("full pass of %d changed SSTV sites (%d requests, %.1f KiB of bodies), "
                "median (min) of %d rounds each\n",
                kSites, 2 * kSites, double(bytesPerPass) / 1024.0, kRounds);
    std::printf("%-16s %18s %18s %8s\n", "window", "main window ms", "bare loop ms", "ratio");
    for (const auto &[name, f] : {std::pair{"shown", *shown}, std::pair{"hidden", *hidden}})
        std::printf("%-16s %9.1f (%6.1f) %9.1f (%6.1f) %8.2f\n", name, f.windowMs, f.windowMin,
                    f.bareMs, f.bareMin, f.windowMs / f.bareMs);
    std::printf("target: ratio <= 1.3\n");
    return 0;
}
