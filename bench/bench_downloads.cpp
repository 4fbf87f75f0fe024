// Fetches a page worth of pictures (24) from a loopback server, once through
// DownloadControl and once through a bare QNetworkAccessManager loop sending the
// same requests, over several rounds in alternating order, and prints both
// times and their ratio. The control should cost nothing measurable on top of
// the network manager.

#include "core/net/DownloadControl.h"

#include "support/Fixtures.h"
#include "support/LoopbackServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkReply>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <numeric>

using namespace tavimo;
using namespace tavimo::test;

namespace {

constexpr int Pictures = 24;
constexpr int Rounds = 40;

// A JPEG of about 40 KB: noise keeps the encoder from squeezing it small.
QByteArray pictureOfAbout40k(quint32 seed) {
    QRandomGenerator random(seed);
    QImage image(280, 200, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate() | 0xff000000u);
    return encodeImage(image, "JPG", 80);
}

// Both loops hand every body to the caller: the control through its ready
// signal, the bare loop through readAll().
qint64 throughControl(DownloadControl &control, const QList<QUrl> &urls, qint64 expectedBytes) {
    int outstanding = Pictures;
    qint64 received = 0;
    QEventLoop loop;
    QObject receiver;
    QObject::connect(&control, &DownloadControl::ready, &receiver,
                     [&](const QString &, const QByteArray &bytes) {
                         received += bytes.size();
                         if (--outstanding == 0)
                             loop.quit();
                     });
    QObject::connect(&control, &DownloadControl::failed, &receiver, [&] {
        std::fprintf(stderr, "a read through the control failed\n");
        if (--outstanding == 0)
            loop.quit();
    });

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Pictures; ++i)
        control.DownloadFile(urls[i].toString(), QString::number(1100 + i));
    loop.exec();
    const qint64 elapsed = clock.nsecsElapsed();
    if (received != expectedBytes)
        std::fprintf(stderr, "received %lld bytes instead of %lld\n", qlonglong(received),
                     qlonglong(expectedBytes));
    return elapsed;
}

qint64 throughBareManager(DownloadContext &context, const QList<QUrl> &urls, qint64 expectedBytes) {
    int outstanding = Pictures;
    qint64 received = 0;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Pictures; ++i) {
        QNetworkReply *reply = context.network().get(context.request(urls[i]));
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply] {
            if (reply->error() != QNetworkReply::NoError)
                std::fprintf(stderr, "a bare read failed\n");
            received += reply->readAll().size();
            reply->deleteLater();
            if (--outstanding == 0)
                loop.quit();
        });
    }
    loop.exec();
    const qint64 elapsed = clock.nsecsElapsed();
    if (received != expectedBytes)
        std::fprintf(stderr, "received %lld bytes instead of %lld\n", qlonglong(received),
                     qlonglong(expectedBytes));
    return elapsed;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    LoopbackServer server;
    if (!server.start()) {
        std::fprintf(stderr, "cannot start the loopback server\n");
        return 1;
    }
    QList<QUrl> urls;
    qint64 pageBytes = 0;
    for (int i = 0; i < Pictures; ++i) {
        Route route;
        route.body = pictureOfAbout40k(quint32(i + 1));
        route.contentType = "image/jpeg";
        // One connection per picture: on a kept-alive connection the loopback
        // server's answers of this size wait about 40 ms for a delayed ACK, a wait
        // that would hide any cost of ours.
        route.sendLength = false;
        pageBytes += route.body.size();
        const QString path = QString("/site%1/image1.jpg").arg(i);
        server.setRoute(path, route);
        urls.append(server.url(path));
    }

    DownloadContext context;
    DownloadControl control(context, DownloadControl::Flavour::Bytes);
    // One warm-up round each, so both find the connections open.
    throughControl(control, urls, pageBytes);
    throughBareManager(context, urls, pageBytes);

    QList<qint64> controlTimes;
    QList<qint64> bareTimes;
    for (int round = 0; round < Rounds; ++round) {
        if (round % 2 == 0) {
            controlTimes.append(throughControl(control, urls, pageBytes));
            bareTimes.append(throughBareManager(context, urls, pageBytes));
        } else {
            bareTimes.append(throughBareManager(context, urls, pageBytes));
            controlTimes.append(throughControl(control, urls, pageBytes));
        }
    }

    auto total = [](const QList<qint64> &times) {
        return std::accumulate(times.begin(), times.end(), qint64(0));
    };
    auto median = [](QList<qint64> times) {
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    const double controlMs = total(controlTimes) / 1e6;
    const double bareMs = total(bareTimes) / 1e6;
    std::printf("%d rounds of %d pictures (%.1f KB a page) from 127.0.0.1\n", Rounds, Pictures,
                pageBytes / 1024.0);
    std::printf("DownloadControl:   total %8.1f ms, median round %6.2f ms\n", controlMs,
                median(controlTimes) / 1e6);
    std::printf("bare network loop: total %8.1f ms, median round %6.2f ms\n", bareMs,
                median(bareTimes) / 1e6);
    std::printf("ratio control / bare: %.3f (total), %.3f (median)\n", controlMs / bareMs,
                double(median(controlTimes)) / double(median(bareTimes)));
    server.stop();
    return 0;
}
