#include "core/base/RegularFile.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace tavimo {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("tavimo", text);
}

bool isLink(const QByteArray &name) {
    struct stat entry {};
    return ::lstat(name.constData(), &entry) == 0 && S_ISLNK(entry.st_mode);
}

std::optional<NotAFile> notAFile(mode_t mode, bool link) {
    if (S_ISREG(mode))
        return std::nullopt;
    const QString type = S_ISDIR(mode)                    ? tr("a folder")
                         : S_ISFIFO(mode)                 ? tr("a named pipe (FIFO)")
                         : S_ISCHR(mode) || S_ISBLK(mode) ? tr("a device")
                         : S_ISSOCK(mode)                 ? tr("a socket")
                                                          : tr("a special file");
    if (link)
        return NotAFile{tr("a link to %1").arg(type), tr("the link")};
    return NotAFile{type, S_ISDIR(mode) ? tr("the folder") : tr("the file")};
}

} // namespace

QString NotAFile::sentence() const {
    return tr("It is %1, not a file: remove %2.").arg(what, remove);
}

std::optional<NotAFile> notAFile(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat target {};
    // Nothing there, or nothing this user may look at: opening it says why.
    if (::stat(name.constData(), &target) != 0)
        return std::nullopt;
    return notAFile(target.st_mode, isLink(name));
}

std::optional<LockFileThatIsNoFile> lockFileThatIsNoFile(const QString &lockPath) {
    for (const QString &path : {lockPath, lockPath + QStringLiteral(".rmlock")}) {
        if (std::optional<NotAFile> other = notAFile(path))
            return LockFileThatIsNoFile{path, std::move(*other)};
        struct stat target {};
        if (isLink(QFile::encodeName(path)) &&
            ::stat(QFile::encodeName(path).constData(), &target) != 0 && errno == ENOENT)
            return LockFileThatIsNoFile{path, NotAFile{tr("a link to nothing"), tr("the link")}};
    }
    return std::nullopt;
}

bool openRegularFile(QFile &file, const QString &path, QString *why) {
    file.close();
    file.setFileName(path);
    const auto fail = [why](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    // Looked at before it is opened, so that a device is never opened.
    if (const std::optional<NotAFile> other = notAFile(path))
        return fail(other->sentence());
    // Should a named pipe or a device take the file's place after that look,
    // this open still returns at once (it waits for no writer and no carrier,
    // and takes no terminal), and what it opened is refused below.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(QString::fromLocal8Bit(std::strerror(error)));
    }
    if (!S_ISREG(opened.st_mode)) {
        ::close(fd);
        return fail(notAFile(opened.st_mode, isLink(name))->sentence());
    }
    // A regular file reads the same either way; the flag goes so that nothing
    // downstream meets a descriptor it did not expect.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file.errorString());
    }
    return true;
}

std::optional<QByteArray> readRegularFile(const QString &path, QString *why) {
    QFile file;
    if (!openRegularFile(file, path, why))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (why)
            *why = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

} // namespace tavimo
