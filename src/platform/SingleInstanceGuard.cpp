#include "platform/SingleInstanceGuard.h"

#include "core/files/AppPaths.h"
#include "platform/Logging.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace tavimo {

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
    for (std::size_t i = 0; i < locks_.size(); ++i) {
        QLockFile &lock = *locks_[i];
        if (lock.isLocked() || lock.tryLock(0))
            continue;
        if (lock.error() == QLockFile::LockFailedError) {
            qCInfo(lcPlatform) << "Another instance holds" << paths_[int(i)];
            unlock();
            return false;
        }
        qCWarning(lcPlatform) << "Cannot make the instance lock" << paths_[int(i)]
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
