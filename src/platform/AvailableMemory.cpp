#include "platform/AvailableMemory.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

namespace tavimo {

namespace {

// The first number of the line of `text` that starts with `key`, or -1.
qint64 numberAfter(const QByteArray &text, const QByteArray &key) {
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QByteArray readSmallFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(64 * 1024) : QByteArray();
}

// What the process's control group (version 2) still allows, or -1.
qint64 controlGroupRoom() {
    const QByteArray self = readSmallFile(QStringLiteral("/proc/self/cgroup"));
    const qsizetype at = self.indexOf("0::");
    if (at < 0)
        return -1;
    const QByteArray group = self.mid(at + 3).split('\n').value(0).trimmed();
    const QString folder = QStringLiteral("/sys/fs/cgroup") + QString::fromUtf8(group);
    const QByteArray max = readSmallFile(folder + QStringLiteral("/memory.max")).trimmed();
    const QByteArray current = readSmallFile(folder + QStringLiteral("/memory.current")).trimmed();
    bool maxOk = false;
    bool currentOk = false;
    const qint64 limit = max.toLongLong(&maxOk);
    const qint64 used = current.toLongLong(&currentOk);
    return maxOk && currentOk ? std::max<qint64>(limit - used, 0) : -1;
}

// What the address-space limit still allows, or -1.
qint64 addressSpaceRoom() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return -1;
    const QByteArray statm = readSmallFile(QStringLiteral("/proc/self/statm"));
    const qint64 used = statm.split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
    return std::max<qint64>(qint64(limit.rlim_cur) - used, 0);
}

} // namespace

qint64 availableMemory() {
    qint64 available = -1;
    const qint64 kiB = numberAfter(readSmallFile(QStringLiteral("/proc/meminfo")), "MemAvailable:");
    if (kiB >= 0)
        available = kiB * 1024;
    for (const qint64 room : {controlGroupRoom(), addressSpaceRoom()}) {
        if (room >= 0)
            available = available < 0 ? room : std::min(available, room);
    }
    return available;
}

} // namespace tavimo
