#include "core/net/SpillFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace tavimo {

namespace {

// A file without a name in `folder`; not open, with errno set, when the
// folder takes none.
UniqueFd openIn(const QString &folder) {
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        errno = ENOENT;
        return {};
    }
    const QByteArray path = QFile::encodeName(folder);
    UniqueFd fd = openUnnamedFile(path, O_RDWR, 0600);
    if (fd.isOpen() || !noUnnamedFiles(errno))
        return fd;
    // A file system without unnamed files: a named one, its name taken away at once.
    QByteArray name = path + "/.tavimo-answer-XXXXXX";
    fd.reset(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.isOpen())
        ::unlink(name.constData());
    return fd;
}

// Reads `size` bytes of `fd` from `from` on: 0, or why not.
int readAt(int fd, char *data, qint64 size, qint64 from) {
    qint64 at = 0;
    while (at < size) {
        const ssize_t got = ::pread(fd, data + at, size_t(size - at), off_t(from + at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 ? errno : EIO;
        at += got;
    }
    return 0;
}

} // namespace

std::unique_ptr<SpillFile> SpillFile::open(const QString &folder, QString &error,
                                           const QString &fallback) {
    QStringList folders{folder};
    if (!fallback.isEmpty() && QDir::cleanPath(fallback) != QDir::cleanPath(folder))
        folders.append(fallback);
    std::unique_ptr<SpillFile> file(new SpillFile(std::move(folders)));
    if (!file->moveOn()) {
        error = file->error();
        return nullptr;
    }
    error.clear();
    return file;
}

void SpillFile::giveUp(const QString &folder, int error) {
    failures_.append((folder.isEmpty() ? QStringLiteral("no folder") : folder) +
                     QStringLiteral(": ") + qt_error_string(error));
}

bool SpillFile::moveOn() {
    constexpr qint64 kChunk = qint64(256) * 1024;
    QByteArray chunk;
    while (!left_.isEmpty()) {
        const QString folder = left_.takeFirst();
        UniqueFd next = openIn(folder);
        int error = next.isOpen() ? 0 : errno;
        bool lost = false;
        // Only what the last folder confirmed is carried over, not the part
        // of the last bytes it took before it ran out of room.
        for (qint64 at = 0; error == 0 && at < size_; at += kChunk) {
            const qint64 size = qMin(kChunk, size_ - at);
            chunk.resize(qsizetype(size));
            lost = (error = readAt(fd_.get(), chunk.data(), size, at)) != 0;
            if (!lost)
                error = writeAll(next.get(), chunk.constData(), size);
        }
        if (error == 0) {
            fd_ = std::move(next);
            folder_ = folder;
            return true;
        }
        giveUp(lost ? folder_ : folder, error);
        // The bytes went with the file they were in: no folder helps.
        if (lost)
            break;
    }
    fd_.reset();
    error_ = failures_.join(QStringLiteral("; "));
    return false;
}

bool SpillFile::append(const char *data, qint64 size) {
    if (!error_.isEmpty())
        return false;
    while (const int error = writeAll(fd_.get(), data, size)) {
        giveUp(folder_, error);
        // Written again, from where the file ended before, in the next folder.
        if (!moveOn())
            return false;
    }
    size_ += size;
    return true;
}

std::optional<QByteArray> SpillFile::readAll() {
    QByteArray bytes(qsizetype(size_), Qt::Uninitialized);
    if (const int error = readAt(fd_.get(), bytes.data(), size_, 0)) {
        error_ = qt_error_string(error);
        return std::nullopt;
    }
    return bytes;
}

} // namespace tavimo
