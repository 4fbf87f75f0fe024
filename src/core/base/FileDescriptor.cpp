#include "core/base/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tavimo {

void UniqueFd::reset(int fd) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

int UniqueFd::close() {
    if (fd_ < 0)
        return EBADF;
    // Linux frees the descriptor even when close is interrupted: never again.
    const int closed = ::close(release());
    return closed == 0 || errno == EINTR ? 0 : errno;
}

UniqueFd openUnnamedFile(const QByteArray &folder, int access, mode_t mode) {
#ifdef O_TMPFILE
    return UniqueFd(::open(folder.constData(), O_TMPFILE | access | O_CLOEXEC, mode));
#else
    Q_UNUSED(folder);
    Q_UNUSED(access);
    Q_UNUSED(mode);
    errno = EOPNOTSUPP;
    return UniqueFd();
#endif
}

bool noUnnamedFiles(int error) {
    // EISDIR: a kernel older than unnamed files took the flag for a plain open.
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

int writeAll(int fd, const char *data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min<qint64>(size, qint64(1) << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        data += n;
        size -= n;
    }
    return 0;
}

} // namespace tavimo
