// Reads for tst_downloadcontrol with the spill folder on a full disk of its
// own, while other reads hold all the memory the budget allows:
//   full-spill <folder> <room|full>  mounts small private tmpfs on <folder>/cache
//                                    (filled) and <folder>/temp (the temporary
//                                    folder, filled unless "room"), reads a
//                                    15 kB and a 3 MiB answer from 127.0.0.1 and
//                                    prints how each ended; exit 77 when no tmpfs
//                                    can be mounted here
#include "PrivateTmpfs.h"

#include "core/net/DownloadControl.h"

#include "support/LoopbackServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>

#include <cstdio>

using namespace tavimo;
using namespace tavimo::test;

int main(int argc, char **argv) {
    if (argc != 4 || QByteArray(argv[1]) != "full-spill")
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const bool room = QByteArray(argv[3]) == "room";
    const QString cache = folder + QStringLiteral("/cache");
    const QString temp = folder + QStringLiteral("/temp");
    QDir().mkpath(cache);
    QDir().mkpath(temp);
    // Before any thread starts.
    if (!enterPrivateMounts() || !mountTmpfs(cache, "256k") ||
        !mountTmpfs(temp, room ? "16m" : "256k"))
        return kNoTmpfsHere;
    const QString spill = cache + QStringLiteral("/tavimo");
    QDir().mkpath(spill);
    fillDisk(cache + QStringLiteral("/filler"));
    if (!room)
        fillDisk(temp + QStringLiteral("/filler"));
    qputenv("TMPDIR", temp.toLocal8Bit());

    QCoreApplication app(argc, argv);
    LoopbackServer server;
    if (!server.start())
        return 3;
    const QMap<QString, QByteArray> answers{{QStringLiteral("small"), QByteArray(15 * 1024, 's')},
                                            {QStringLiteral("large"), QByteArray(3 << 20, 'l')}};
    for (auto it = answers.begin(); it != answers.end(); ++it) {
        Route route;
        route.body = it.value();
        server.setRoute('/' + it.key(), route);
    }
    DownloadContext context;
    context.setSpillFolder(spill);
    context.setHeldBytesBudget(64 * 1024);
    if (!context.budget().hold(64 * 1024)) // what the other reads hold
        return 3;
    DownloadControl control(context, DownloadControl::Flavour::Bytes);
    QEventLoop loop;
    int outcomes = 0;
    const auto report = [&](const QString &key, const QString &outcome) {
        std::printf("%s %s\n", qPrintable(key), qPrintable(outcome));
        if (++outcomes == answers.size())
            loop.quit();
    };
    QObject::connect(&control, &DownloadControl::ready, &loop,
                     [&](const QString &key, const QByteArray &bytes) {
                         report(key, bytes == answers.value(key) ? QStringLiteral("whole")
                                                                 : QStringLiteral("changed"));
                     });
    QObject::connect(&control, &DownloadControl::failed, &loop, [&](const QString &key) {
        report(key, QStringLiteral("failed: ") + control.failureReason());
    });
    for (auto it = answers.begin(); it != answers.end(); ++it)
        control.DownloadFile(server.url('/' + it.key()).toString(), it.key());
    loop.exec();
    return 0;
}
