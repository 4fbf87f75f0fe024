// N sites answer at once, each from a server of its own on 127.0.0.1, as the
// slot pictures of a page are read: once with a picture of about 40 KB each
// (the quiet run), once with answers that never end (the flood). The reads of
// each run happen in a child process of their own, so that its peak resident
// size (VmHWM) is theirs alone, the servers staying in this process; the
// figures printed are both peaks and their difference, with what the servers
// sent and how the reads ended.
//
//     bench_flood [SITES]        (default 20)

#include "core/net/DownloadControl.h"

#include "support/LoopbackServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cstdio>
#include <list>
#include <optional>

using namespace tavimo;
using namespace tavimo::test;

namespace {

// The peak resident size of this process so far, in kilobytes.
qint64 peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QStringLiteral("^VmHWM:\\s+(\\d+) kB"),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

QByteArray noise(qsizetype size, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.generate());
    return bytes;
}

// One run, in a child process: reads every address at once and prints
// "peak-KB ready failed ms".
int run(const QStringList &urls) {
    DownloadContext context;
    DownloadControl control(context, DownloadControl::Flavour::Bytes);
    const int sites = int(urls.size());
    int ready = 0;
    int failed = 0;
    QEventLoop loop;
    QObject::connect(&control, &DownloadControl::ready, &loop, [&] {
        if (++ready + failed == sites)
            loop.quit();
    });
    QObject::connect(&control, &DownloadControl::failed, &loop, [&] {
        if (ready + ++failed == sites)
            loop.quit();
    });
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < sites; ++i)
        control.DownloadFile(urls[i], QString::number(100 + i));
    loop.exec();
    std::printf("%lld %d %d %lld\n", qlonglong(peakResidentKb()), ready, failed,
                qlonglong(clock.elapsed()));
    return 0;
}

struct Figures {
    qint64 peakKb = 0, sent = 0, ms = 0;
    int ready = 0, failed = 0;
};

// The servers run here, on threads of their own; the reads in a child.
std::optional<Figures> measure(bool flood, int sites) {
    std::list<LoopbackServer> servers; // one host:port per site, as sites are
    QStringList urls;
    for (int i = 0; i < sites; ++i) {
        LoopbackServer &server = servers.emplace_back();
        if (!server.start())
            return std::nullopt;
        Route route;
        route.contentType = "image/jpeg";
        route.body = noise(flood ? 64 * 1024 : 40 * 1024, quint32(i + 1));
        route.endless = flood;
        server.setRoute(QStringLiteral("/image1.jpg"), route);
        urls.append(server.url(QStringLiteral("/image1.jpg")).toString());
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), QStringList{"--read"} + urls);
    if (!process.waitForFinished(600'000) || process.exitCode() != 0)
        return std::nullopt;
    const QStringList fields =
        QString::fromLatin1(process.readAllStandardOutput()).split(u' ', Qt::SkipEmptyParts);
    if (fields.size() != 4)
        return std::nullopt;
    Figures figures{fields[0].toLongLong(), 0, fields[3].toLongLong(), fields[1].toInt(),
                    fields[2].toInt()};
    for (const LoopbackServer &server : servers)
        figures.sent += server.bytesSent();
    return figures;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 && args[1] == u"--read")
        return run(args.mid(2));

    const int sites = args.size() > 1 ? qBound(1, args[1].toInt(), 200) : 20;
    const std::optional<Figures> quiet = measure(false, sites);
    const std::optional<Figures> flood = measure(true, sites);
    if (!quiet || !flood) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    const double mb = 1024.0;
    std::printf("%d sites at once, each on a server of its own on 127.0.0.1; body cap %lld MiB\n",
                sites, qlonglong(DownloadContext::DefaultBodyCap >> 20));
    std::printf("quiet run (40 KB pictures): peak resident %7.1f MB, %d ready, %d failed\n",
                quiet->peakKb / mb, quiet->ready, quiet->failed);
    std::printf("flood (endless answers):    peak resident %7.1f MB, %d ready, %d failed, "
                "%.1f MB sent in %.1f s\n",
                flood->peakKb / mb, flood->ready, flood->failed, flood->sent / mb / mb,
                flood->ms / 1000.0);
    std::printf("flood above quiet: %.1f MB\n", (flood->peakKb - quiet->peakKb) / mb);
    return 0;
}
