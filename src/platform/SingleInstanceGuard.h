#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QLockFile;

namespace tavimo {

// Keeps a second copy of the program from running on the same files: lock files held for as
// long as the guard lives (or until unlock()). A lock left behind by a process that no longer
// runs is taken over, and so is one whose content cannot be read (empty after a power cut) once
// it is a few seconds old and no running process holds it. A running copy keeps its lock however
// long it has run.
class SingleInstanceGuard {
public:
    // The program's locks: "tavimo.lock" in the user's runtime folder (XDG_RUNTIME_DIR), and
    // one in the data folder itself, which every copy working on those files shares whatever
    // its runtime folder (another session, ssh, su, none at all).
    SingleInstanceGuard();
    explicit SingleInstanceGuard(const QString &lockFilePath);
    // Holds every one of these locks, or none.
    explicit SingleInstanceGuard(const QStringList &lockFilePaths);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard &) = delete;
    SingleInstanceGuard &operator=(const SingleInstanceGuard &) = delete;

    static QString defaultLockFilePath();
    // The lock in the data folder.
    static QString dataFolderLockFilePath(const QString &dataFolder);

    // False only when another running instance holds one of the locks. When a lock file cannot
    // be made at all (an unwritable folder), that lock is passed over with a warning in the
    // log: failing to notice a second copy does less harm than refusing to start.
    bool tryLock();
    // After a refusing tryLock(): empty when a running copy holds the lock, otherwise a
    // message naming the lock file that no copy could ever take (a folder, a link, a file
    // this user cannot open), so that the user can remove it.
    QString lockProblem() const { return problem_; }
    // Whether this guard holds its locks (any of them, where one could not be made).
    bool isLocked() const;
    void unlock();

    QString lockFilePath() const { return paths_.value(0); }

private:
    QStringList paths_;
    QString problem_;
    std::vector<std::unique_ptr<QLockFile>> locks_;
};

} // namespace tavimo
