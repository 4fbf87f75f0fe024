#include "platform/SingleInstanceGuard.h"

#include "platform/Logging.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace tavimo {

SingleInstanceGuard::SingleInstanceGuard() : SingleInstanceGuard(defaultLockFilePath()) {}

SingleInstanceGuard::SingleInstanceGuard(const QString &lockFilePath)
    : path_(lockFilePath), lock_(std::make_unique<QLockFile>(lockFilePath)) {
    // A lock is stale only when its process is gone: an age limit would let a second copy take
    // the lock from a first one that has simply been running for a while.
    lock_->setStaleLockTime(0);
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

bool SingleInstanceGuard::tryLock() {
    if (lock_->isLocked())
        return true;
    if (lock_->tryLock(0))
        return true;
    switch (lock_->error()) {
    case QLockFile::LockFailedError:
        qCInfo(lcPlatform) << "Another instance holds" << path_;
        return false;
    case QLockFile::PermissionError:
    case QLockFile::UnknownError:
    case QLockFile::NoError:
        break;
    }
    qCWarning(lcPlatform) << "Cannot make the instance lock" << path_
                          << "- a second instance will not be noticed";
    return true;
}

bool SingleInstanceGuard::isLocked() const {
    return lock_->isLocked();
}

void SingleInstanceGuard::unlock() {
    lock_->unlock();
}

} // namespace tavimo
