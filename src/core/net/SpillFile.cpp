#include "core/net/SpillFile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace tavimo {

namespace {

// -1 with errno set when the folder takes no file.
int openUnnamed(const QString &folder) {
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        errno = ENOENT;
        return -1;
    }
    const QByteArray path = QFile::encodeName(folder);
#ifdef O_TMPFILE
    const int fd = ::open(path.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
#endif
    // A file system without unnamed files: a named one, its name taken away at once.
    QByteArray name = path + "/.tavimo-answer-XXXXXX";
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(name.constData());
    return named;
}

} // namespace

std::unique_ptr<SpillFile> SpillFile::open(const QString &folder, QString &error) {
    int fd = openUnnamed(folder);
    if (fd < 0) {
        error = qt_error_string(errno);
        fd = openUnnamed(QDir::tempPath());
    }
    if (fd < 0)
        return nullptr;
    error.clear();
    return std::unique_ptr<SpillFile>(new SpillFile(fd));
}

SpillFile::~SpillFile() {
    ::close(fd_);
}

bool SpillFile::append(const char *data, qint64 size) {
    if (!error_.isEmpty())
        return false;
    while (size > 0) {
        const ssize_t written = ::pwrite(fd_, data, size_t(size), off_t(size_));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error_ = written < 0 ? qt_error_string(errno) : QStringLiteral("nothing written");
            return false;
        }
        data += written;
        size -= written;
        size_ += written;
    }
    return true;
}

std::optional<QByteArray> SpillFile::readAll() {
    QByteArray bytes(qsizetype(size_), Qt::Uninitialized);
    qint64 at = 0;
    while (at < size_) {
        const ssize_t got = ::pread(fd_, bytes.data() + at, size_t(size_ - at), off_t(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error_ = got < 0 ? qt_error_string(errno) : QStringLiteral("the file ended early");
            return std::nullopt;
        }
        at += got;
    }
    return bytes;
}

} // namespace tavimo
