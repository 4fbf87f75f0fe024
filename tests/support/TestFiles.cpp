#include "support/TestFiles.h"

#include "core/sites/SlotMap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/resource.h>
#include <sys/stat.h>

namespace tavimo::test {

QByteArray readBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool makeFifo(const QString &path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

void limitChildMemory(QProcess &process) {
#ifndef __SANITIZE_ADDRESS__
    process.setChildProcessModifier([] {
        const rlimit limit{rlim_t(1) << 30, rlim_t(1) << 30};
        ::setrlimit(RLIMIT_AS, &limit);
    });
#else
    Q_UNUSED(process);
#endif
}

SiteRecord makeSite(const QString &callsign, const QString &url, double latitude,
                    double longitude) {
    SiteRecord r;
    r.Callsign = callsign;
    r.PictureUrl = url;
    r.Latitude = latitude;
    r.Longitude = longitude;
    for (int k = 1; k <= 4; ++k)
        r.SlotMap[k] = kEmptySlotMap;
    return r;
}

} // namespace tavimo::test
