#pragma once

// A real full disk for helper processes: a small tmpfs that this process
// alone sees, mounted over a folder of the test's.

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace tavimo::test {

// Exit code of a helper where the system lets it mount no tmpfs.
constexpr int kNoTmpfsHere = 77;

inline bool writeProcFile(const char *path, const QByteArray &text) {
    const int fd = open(path, O_WRONLY);
    const bool ok = fd >= 0 && write(fd, text.constData(), size_t(text.size())) == text.size();
    if (fd >= 0)
        close(fd);
    return ok;
}

// Mounts of this process's own from now on; a user namespace lends the right
// to mount when the process is not root. Must run before any thread starts.
inline bool enterPrivateMounts() {
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (uid == 0) {
        if (unshare(CLONE_NEWNS) != 0)
            return false;
    } else if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
               !writeProcFile("/proc/self/setgroups", "deny") ||
               !writeProcFile("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1") ||
               !writeProcFile("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1")) {
        return false;
    }
    return mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// A tmpfs of `size` ("256k") over `folder`, after enterPrivateMounts.
inline bool mountTmpfs(const QString &folder, const char *size) {
    return mount("tavimo-full", folder.toLocal8Bit().constData(), "tmpfs", 0,
                 (QByteArray("size=") + size).constData()) == 0;
}

// Takes every byte the file system has left, then gives `leave` back.
inline void fillDisk(const QString &path, off_t leave = 0) {
    const int fd = open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT, 0600);
    const QByteArray block(4096, 'x');
    for (qsizetype size : {block.size(), qsizetype(1)}) {
        while (write(fd, block.constData(), size_t(size)) > 0) {
        }
    }
    const off_t size = lseek(fd, 0, SEEK_END);
    if (leave > 0 && ftruncate(fd, size > leave ? size - leave : 0) != 0)
        std::perror("ftruncate");
    fsync(fd);
    close(fd);
}

} // namespace tavimo::test
