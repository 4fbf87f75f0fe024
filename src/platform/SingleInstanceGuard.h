#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace tavimo {

// Keeps a second copy of the program from running for the same user: a lock file in the
// user's runtime folder, held for as long as the guard lives (or until unlock()).
// A lock left behind by a process that no longer runs is taken over.
class SingleInstanceGuard {
public:
    // The user's lock: "tavimo.lock" in the runtime folder (XDG_RUNTIME_DIR).
    SingleInstanceGuard();
    explicit SingleInstanceGuard(const QString &lockFilePath);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    static QString defaultLockFilePath();

    // False only when another running instance holds the lock. When the lock file cannot be
    // made at all (an unwritable folder), the answer is true with a warning in the log: failing
    // to notice a second copy does less harm than refusing to start.
    bool tryLock();
    // Whether this guard holds the lock.
    bool isLocked() const;
    void unlock();

    QString lockFilePath() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace tavimo
