#pragma once

#include <csignal>
#include <sys/resource.h>

namespace tavimo::test {

// While it lives, every write of this process past `bytes` into a regular file
// fails (EFBIG), as it does on a full disk: no privilege is needed, and the
// limit is the process's own. Qt buffers small writes, so a small file fails
// only when its buffer is flushed; a large one fails at the write itself.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN); // the default action would end the process
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved_{};
};

} // namespace tavimo::test
