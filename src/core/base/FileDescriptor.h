#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <sys/types.h>

namespace tavimo {

// An open file descriptor, closed when it goes.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd &&other) noexcept : fd_(other.release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);
    // Closes it and tells whether the system took it: 0, or why not. A file
    // system that writes late (NFS) may only report a failed write here.
    int close();

private:
    int fd_ = -1;
};

// A file without a name in `folder`, opened with `access` (O_WRONLY or
// O_RDWR) and `mode`; it goes when closed unless it is given a name first.
// Not open, with errno set, when the folder takes no file; errno is
// EOPNOTSUPP where the system has no unnamed files at all.
UniqueFd openUnnamedFile(const QByteArray &folder, int access, mode_t mode);

// True for an error of openUnnamedFile that only says this file system or
// kernel makes no unnamed files, where a named file would do.
bool noUnnamedFiles(int error);

// Writes all `size` bytes at the file's offset, going on after interruptions
// and short writes. 0, or the error that stopped it (EIO when the system
// wrote nothing and gave no reason).
int writeAll(int fd, const char *data, qint64 size);

} // namespace tavimo
