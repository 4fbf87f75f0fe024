#include "platform/SingleInstanceGuard.h"

#include "core/base/RegularFile.h"
#include "core/files/AppPaths.h"
#include "platform/Logging.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <optional>

namespace tavimo {

namespace {

// A starting copy creates its lock file and writes its process id into it at once;
// only for that moment may a live lock hold nothing readable.
constexpr qint64 kUnreadableLockGraceMs = 5000;

// QLockFile calls a lock stale only by the process id in it, so a file with no readable id
// (empty, as a power cut soon after a start leaves it, or holding other text) would refuse
// every start for good. Such a file that is no longer new is taken over, unless a running
// process holds it: removeStaleLockFile() removes nothing while another process holds the
// file lock that QLockFile takes on the file it owns. Takeovers go one at a time under
// QLockFile's own ".rmlock", so that two starts never both remove and both lock.
bool takeOverUnreadableLock(QLockFile &lock, const QString &path) {
    const auto unreadableAndOld = [&] {
        qint64 pid = 0;
        QString host;
        QString application;
        if (lock.getLockInfo(&pid, &host, &application))
            return false;
        // Both times come from the one system clock; a time ahead of it is no newer file.
        const QDateTime modified = QFileInfo(path).lastModified();
        return modified.isValid() &&
               qAbs(modified.msecsTo(QDateTime::currentDateTimeUtc())) >= kUnreadableLockGraceMs;
    };
    if (lock.error() != QLockFile::LockFailedError || !unreadableAndOld())
        return false;
    QLockFile removal(path + QStringLiteral(".rmlock"));
    if (!removal.tryLock(0) || !unreadableAndOld() || !lock.removeStaleLockFile())
        return false;
    qCInfo(lcPlatform) << "Took over the unreadable lock" << path << "that no process held";
    return lock.tryLock(0);
}

QString tr(const char *text) {
    return QCoreApplication::translate("tavimo", text);
}

// Why the file at `path` can never be a lock that a running copy holds, and what the user
// removes to clear the way; nothing when it may be one. QLockFile makes a plain file the user
// can read; anything else refuses every start the same way, as if a copy were running.
struct NotALock {
    QString why;
    QString remove;
};
NotALock notALock(const NotAFile &other) {
    return {tr("it is %1").arg(other.what), other.remove};
}
std::optional<NotALock> notALock(const QString &path) {
    if (const std::optional<NotAFile> other = notAFile(path))
        return notALock(*other);
    if (QFileInfo(path).isSymLink())
        return NotALock{tr("it is a symbolic link"), tr("the link")};
    QFile file;
    if (QString why; !openRegularFile(file, path, &why))
        return NotALock{why, tr("the file")};
    return std::nullopt;
}

} // namespace

SingleInstanceGuard::SingleInstanceGuard()
    : SingleInstanceGuard(QStringList{defaultLockFilePath(),
                                      dataFolderLockFilePath(AppPaths::standard().dataFolder)}) {}

SingleInstanceGuard::SingleInstanceGuard(const QString &lockFilePath)
    : SingleInstanceGuard(QStringList{lockFilePath}) {}

SingleInstanceGuard::SingleInstanceGuard(const QStringList &lockFilePaths) : paths_(lockFilePaths) {
    for (const QString &path : paths_) {
        auto lock = std::make_unique<QLockFile>(path);
        // A lock is stale only when its process is gone: an age limit would let a second copy
        // take the lock from a first one that has simply been running for a while.
        lock->setStaleLockTime(0);
        locks_.push_back(std::move(lock));
    }
}

SingleInstanceGuard::~SingleInstanceGuard() = default;

QString SingleInstanceGuard::defaultLockFilePath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        return QDir::tempPath() + QStringLiteral("/tavimo-") + qEnvironmentVariable("USER") +
               QStringLiteral(".lock");
    }
    return folder + QStringLiteral("/tavimo.lock");
}

QString SingleInstanceGuard::dataFolderLockFilePath(const QString &dataFolder) {
    return dataFolder + QStringLiteral("/tavimo.lock");
}

bool SingleInstanceGuard::tryLock() {
    problem_.clear();
    const auto refuse = [this](const QString &path, const NotALock &problem) {
        qCWarning(lcPlatform) << "The instance lock" << path << "is no lock:" << problem.why;
        problem_ = tr("Tavimo cannot use its lock file %1: %2.\n\nIf no other Tavimo is running, "
                      "remove %3 and start Tavimo again.")
                       .arg(QDir::toNativeSeparators(path), problem.why, problem.remove);
        unlock();
        return false;
    };
    for (std::size_t i = 0; i < locks_.size(); ++i) {
        QLockFile &lock = *locks_[i];
        const QString &path = paths_[int(i)];
        if (lock.isLocked())
            continue;
        // QLockFile reads a lock file it cannot make, to learn whose it is (and the ".rmlock"
        // beside it that guards a takeover): a named pipe there would stop the start for good,
        // a device would be read without end. Such a file is named before Qt looks at it; only
        // one put there within the next few system calls could still reach Qt.
        if (const std::optional<LockFileThatIsNoFile> other = lockFileThatIsNoFile(path))
            return refuse(other->path, notALock(other->what));
        if (lock.tryLock(0) || takeOverUnreadableLock(lock, path))
            continue;
        if (lock.error() == QLockFile::LockFailedError) {
            if (const std::optional<NotALock> problem = notALock(path))
                return refuse(path, *problem);
            qCInfo(lcPlatform) << "Another instance holds" << path;
            unlock();
            return false;
        }
        qCWarning(lcPlatform) << "Cannot make the instance lock" << path
                              << "- a second instance may not be noticed";
    }
    return true;
}

bool SingleInstanceGuard::isLocked() const {
    return std::any_of(locks_.begin(), locks_.end(), [](auto &lock) { return lock->isLocked(); });
}

void SingleInstanceGuard::unlock() {
    for (const auto &lock : locks_)
        lock->unlock();
}

} // namespace tavimo
