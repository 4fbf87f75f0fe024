// A full pass over a page of 24 SSTV sites whose pictures are all new, through
// the shown MainWindow against the site simulator, beside a bare loop that
// makes the same 48 requests (24 check pictures, then 24 pictures) with a
// QNetworkAccessManager of its own and decodes the 24 pictures at full size.
//
// How it measures: the pass is measured in a child process per platform: on
// the X server named by DISPLAY (when set) with the pointer held over the
// window, as a user watching it would have it, and on the offscreen platform.
// Each child serves the simulator with a fixed clock from a loopback server
// (the pictures never change, the simulator's drawing is cached after the
// warm-up). The window's pass is a reload after the slot table was erased, so
// every site counts as new and every picture is fetched, stored, decoded and
// shown; it ends once the end-of-pass rule has run and every picture is
// painted. The bare loop makes the same requests in the same order (each
// picture once its check picture is in), reads each check picture's size and
// decodes each picture with QImage. Rounds of the two alternate; medians and
// their ratio (the window's overhead) are printed.
//
// For an X server with a window manager, run it as, for example:
//     Xvfb :57 -screen 0 1920x1080x24 & DISPLAY=:57 openbox &
//     DISPLAY=:57 build/bench/bench_pass

#include "BenchWindow.h"

#include "sitesim/SiteSimulator.h"
#include "support/LoopbackServer.h"
#include "ui/ThumbGrid.h"

#include <QApplication>
#include <QBuffer>
#include <QCursor>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>

#include <algorithm>
#include <atomic>

using namespace tavimo;

namespace {

constexpr int kSites = 24;
constexpr int kRounds = 41;
const char *const kMeasureArgument = "--measure";

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

QSize pictureSize(const QByteArray &bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer).size();
}

// The same 48 requests without the window: check picture, then picture.
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
            if (!pictureSize(bytes).isValid())
                std::fprintf(stderr, "bare loop: a check picture without a size\n");
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

// Puts the pointer over the middle of the grid and waits until the window
// knows it is there. False where the platform has no pointer to move.
bool pointerOverWindow(bench::BenchWindow &w) {
    QWidget &grid = w.window->grid();
    QCursor::setPos(grid.mapToGlobal(grid.rect().center()));
    return bench::waitUntil([&] { return grid.underMouse(); }, 2000);
}

// One platform's figures, printed as one line for the parent.
int measure(int argc, char *argv[]) {
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

    bench::BenchWindow w(simulator.sstvSites(), server.url(QStringLiteral("")).toString());
    if (!w.start(true) || !bench::waitExposed(*w.window) || !w.waitForPassEnd()) {
        std::fprintf(stderr, "the first pass did not end\n");
        return 1;
    }
    const bool pointerOver = pointerOverWindow(w);
    QStringList urls;
    for (const SiteRecord &site : std::as_const(w.state.SiteList))
        urls << site.PictureUrl;

    QNetworkAccessManager network;
    barePass(network, urls); // warm-up: connections, decoders

    QList<double> windowMs;
    QList<double> bareMs;
    qint64 bytesPerPass = 0;
    for (int round = 0; round < kRounds; ++round) {
        server.clearRequests();
        const qint64 bytesBefore = bodyBytes;
        QElapsedTimer timer;
        timer.start();
        w.reload(true);
        if (!w.waitForPassEnd()) {
            std::fprintf(stderr, "a pass did not end\n");
            return 1;
        }
        windowMs << double(timer.nsecsElapsed()) / 1e6;
        bytesPerPass = bodyBytes - bytesBefore;
        if (server.requests().size() != 2 * kSites)
            std::fprintf(stderr, "window pass: %d requests, expected %d\n",
                         int(server.requests().size()), 2 * kSites);
        bareMs << barePass(network, urls);
    }
    std::printf("figures %s %.2f %.2f %.2f %.2f %lld %d\n",
                qPrintable(QGuiApplication::platformName()), median(windowMs),
                *std::min_element(windowMs.begin(), windowMs.end()), median(bareMs),
                *std::min_element(bareMs.begin(), bareMs.end()),
                static_cast<long long>(bytesPerPass), pointerOver ? 1 : 0);
    return 0;
}

// Runs this program again on one platform; its figures line, or nothing.
QStringList figuresOn(const QString &program, const QString &platform) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, {QString::fromLatin1(kMeasureArgument)});
    if (!child.waitForFinished(600'000) || child.exitCode() != 0) {
        std::fprintf(stderr, "the %s run failed\n", qPrintable(platform));
        return {};
    }
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        if (line.startsWith("figures "))
            return QString::fromLatin1(line).split(u' ');
    }
    return {};
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc > 1 && qstrcmp(argv[1], kMeasureArgument) == 0)
        return measure(argc, argv);

    QCoreApplication app(argc, argv);
    const QString program = QCoreApplication::applicationFilePath();
    QList<QStringList> runs;
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        runs << figuresOn(program, QStringLiteral("xcb"));
    else
        std::printf("DISPLAY is not set: no figure on an X server\n");
    runs << figuresOn(program, QStringLiteral("offscreen"));

    std::printf("full pass of %d changed SSTV sites through the shown window "
                "(%d requests), median (min) of %d rounds each\n",
                kSites, 2 * kSites, kRounds);
    std::printf("%-22s %18s %18s %8s %10s\n", "platform", "main window ms", "bare loop ms", "ratio",
                "KiB/pass");
    for (const QStringList &f : std::as_const(runs)) {
        if (f.size() < 8)
            continue;
        const QString name = f[1] + (f[7] == u"1" ? QStringLiteral(", pointer over") : QString());
        std::printf("%-22s %9.1f (%6.1f) %9.1f (%6.1f) %8.2f %10.1f\n", qPrintable(name),
                    f[2].toDouble(), f[3].toDouble(), f[4].toDouble(), f[5].toDouble(),
                    f[2].toDouble() / f[4].toDouble(), f[6].toDouble() / 1024.0);
    }
    std::printf("target on X: ratio <= 1.3\n");
    return runs.isEmpty() ? 1 : 0;
}
