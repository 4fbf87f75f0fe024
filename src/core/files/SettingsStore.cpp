#include "core/files/SettingsStore.h"

#include "core/base/AtomicWrite.h"
#include "core/base/Logging.h"
#include "core/base/RegularFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tavimo {
namespace {

constexpr int kLockWaitMs = 40'000;
constexpr int kLockRetryMs = 100;

QString fullKey(const QString &section, const QString &key) {
    return section + QLatin1Char('/') + key;
}

QString tr(const char *text) {
    return QCoreApplication::translate("tavimo", text);
}

// The same keys with the same values, typed ones included.
bool sameSettings(const QSettings &a, const QSettings &b) {
    const QStringList keys = a.allKeys();
    if (keys != b.allKeys())
        return false;
    return std::all_of(keys.cbegin(), keys.cend(),
                       [&](const QString &key) { return a.value(key) == b.value(key); });
}

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Puts the file at `target`, as it is on disk now with these changes applied,
// in its place; "" on success, else the reason. The caller holds the file's
// lock.
//
// Qt writes the new version once, as QSettings always writes, but in the
// file's own staging folder: a copy of the file under one of our names, which
// it rewrites and syncs. Once its bytes read back as the settings Qt meant,
// the copy is renamed over the file. Nothing is written twice or synced twice,
// and what a save cut short leaves is swept at the next start.
QString saveMerged(const QString &target, const QMap<QString, std::optional<QString>> &changes) {
    const QFileInfo targetInfo(target);
    QByteArray current;
    if (targetInfo.exists()) {
        // A file the user made read-only stays as it is.
        if (!targetInfo.isWritable())
            return systemReason(EACCES);
        // Without what the file holds now the save would drop it. What is no
        // file (a named pipe, a device put in its place) is neither waited on
        // nor replaced.
        QString why;
        std::optional<QByteArray> bytes = readRegularFile(target, &why);
        if (!bytes)
            return why;
        current = std::move(*bytes);
    }
    const QString staging = saveStagingFolder(targetInfo.absolutePath());
    // Under the lock no other save of this file runs: what is in our folder
    // (Qt's lock of a staged copy among it) a save killed mid-write left.
    removeStagedSaves(targetInfo.absolutePath());
    if (!QDir().mkpath(staging))
        return tr("The folder %1 could not be made.").arg(QDir::toNativeSeparators(staging));
    QDir stagingDir(staging);

    QString scratchPath;
    QFile scratch;
    for (int i = 0; i < 16 && !scratch.isOpen(); ++i) {
        scratchPath = stagingDir.filePath(newStagedSaveName());
        scratch.setFileName(scratchPath);
        if (!scratch.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
            !QFileInfo::exists(scratchPath))
            break;
    }
    const auto failed = [&](const QString &why) {
        scratch.close();
        QFile::remove(scratchPath);
        QDir().rmdir(staging);
        return why;
    };
    if (!scratch.isOpen())
        return failed(scratch.errorString());
    errno = 0;
    if (scratch.write(current) != current.size() || !scratch.flush()) {
        // After a failed flush the device's own text says nothing.
        const int systemError = errno;
        return failed(systemError ? systemReason(systemError) : scratch.errorString());
    }
    scratch.close();
    // Qt gives its new version the permissions of the file it replaces.
    if (targetInfo.exists())
        scratch.setPermissions(targetInfo.permissions());

    const QString cut = tr("The new settings did not read back whole.");
    {
        QSettings settings(scratchPath, QSettings::IniFormat);
        for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
            if (it.value())
                settings.setValue(it.key(), *it.value());
            else
                settings.remove(it.key());
        }
        settings.sync();
        if (settings.status() == QSettings::AccessError)
            return failed(tr("Qt could not write %1.").arg(QDir::toNativeSeparators(scratchPath)));
        // Qt may report success for a file a full disk cut: check what it
        // wrote, from the page cache, without a second sync. Qt keeps what it
        // wrote under that name in memory and would answer from there, so the
        // copy is read back under a name of its own.
        const QString written = scratchPath;
        scratchPath = stagingDir.filePath(newStagedSaveName());
        scratch.setFileName(scratchPath);
        if (std::rename(QFile::encodeName(written).constData(),
                        QFile::encodeName(scratchPath).constData()) != 0) {
            const int renameError = errno;
            QFile::remove(written);
            return failed(systemReason(renameError));
        }
        const QSettings check(scratchPath, QSettings::IniFormat);
        if (check.status() != QSettings::NoError || !sameSettings(settings, check))
            return failed(cut);
    }
    if (!scratch.open(QIODevice::ReadOnly))
        return failed(scratch.errorString());
    const QByteArray merged = scratch.readAll();
    if (scratch.error() != QFileDevice::NoError)
        return failed(scratch.errorString());
    scratch.close();
    // Qt ends every line; a copy cut after its last value reads back whole
    // all the same.
    if (!merged.isEmpty() && !merged.endsWith('\n') && merged != current)
        return failed(cut);
    if (std::rename(QFile::encodeName(scratchPath).constData(),
                    QFile::encodeName(target).constData()) != 0)
        return failed(systemReason(errno));
    // Fails while another save is under way there: that one removes it.
    QDir().rmdir(staging);
    return {};
}

// Takes the settings file's lock as QSettings takes it, waiting up to
// kLockWaitMs for another writer to let go; "" once it is held, else why not.
// Qt takes over a lock whose holder has gone, or after 30 s. But to learn
// whose a lock is, Qt reads the lock file (and, while it takes one over, the
// ".rmlock" beside it) on every try: a named pipe there would hang the save
// for good, a device would be read without end. So the wait is ours, and the
// lock files are looked at before each of Qt's tries; only one put there
// within the next few system calls could still reach Qt.
QString takeLock(QLockFile &lock, const QString &lockPath) {
    const QDeadlineTimer deadline(kLockWaitMs);
    for (;;) {
        if (const std::optional<LockFileThatIsNoFile> other = lockFileThatIsNoFile(lockPath)) {
            return tr("Its lock file %1 is %2: remove %3, and the next save takes the lock.")
                .arg(QDir::toNativeSeparators(other->path), other->what.what, other->what.remove);
        }
        if (lock.tryLock(0))
            return {};
        if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired())
            return tr("Its lock file %1 could not be taken.")
                .arg(QDir::toNativeSeparators(lockPath));
        QThread::msleep(kLockRetryMs);
    }
}

} // namespace

// The file QSettings(IniFormat, UserScope, "Tavimo", "Tavimo") names. Not asked
// of such a QSettings: it reads the file as it is made, and would wait there on
// a named pipe before anything could look at it.
SettingsStore::SettingsStore()
    : SettingsStore(
          QFileInfo(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                    QStringLiteral("/Tavimo/Tavimo.ini"))
              .absoluteFilePath()) {}

SettingsStore::SettingsStore(const QString &iniPath) : path_(iniPath) {
    if (QFileInfo::exists(path_)) {
        // QSettings opens the file by its name: a named pipe there would stop
        // the start, a device be read without end at the save. What is no file
        // is named here, just before QSettings reads; only one put there
        // within the next few system calls could still reach it.
        QFile probe;
        if (QString why; !openRegularFile(probe, path_, &why)) {
            readError_ =
                tr("Could not read %1:\n%2\n\nTavimo uses its built-in settings and leaves "
                   "the file as it is.")
                    .arg(QDir::toNativeSeparators(path_), why);
            qCWarning(lcCore) << "cannot read the settings file" << path_ << why;
            return;
        }
    }
    // Read only: a QSettings with no change of its own never writes.
    const QSettings settings(path_, QSettings::IniFormat);
    if (settings.status() == QSettings::FormatError)
        qCWarning(lcCore) << "the settings file" << path_ << "is damaged; kept what reads";
    for (const QString &key : settings.allKeys()) {
        const QVariant value = settings.value(key);
        if (value.isValid())
            values_.insert(key, value);
    }
}

SettingsStore::~SettingsStore() {
    // A save that failed has been reported already; trying it again here
    // would only fail again, unseen.
    if (!untried_)
        return;
    if (QString error; !sync(&error))
        qCWarning(lcCore) << error;
}

bool SettingsStore::contains(const QString &section, const QString &key) const {
    return values_.contains(fullKey(section, key));
}

QString SettingsStore::value(const QString &section, const QString &key,
                             const QString &defaultValue) const {
    const auto it = values_.constFind(fullKey(section, key));
    return it != values_.cend() ? it->toString() : defaultValue;
}

void SettingsStore::setValue(const QString &section, const QString &key, const QString &value) {
    const QString full = fullKey(section, key);
    QVariant &stored = values_[full];
    if (stored.typeId() == QMetaType::QString && stored.toString() == value)
        return;
    stored = value;
    changes_.insert(full, value);
    untried_ = true;
}

void SettingsStore::remove(const QString &section, const QString &key) {
    const QString full = fullKey(section, key);
    if (values_.remove(full) == 0)
        return;
    changes_.insert(full, std::nullopt);
    untried_ = true;
}

bool SettingsStore::sync(QString *error) {
    if (changes_.isEmpty())
        return true;
    untried_ = false;
    // Told once, at the start; writing would lose what the file holds.
    if (!readError_.isEmpty())
        return true;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    // The lock QSettings takes for its own writes, taken the same way: every
    // Qt program writing this file, and every other store, waits for this
    // save's read, merge and rename, and this save for theirs.
    const QString lockPath = QFileInfo(path_).absoluteFilePath() + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    QString reason = takeLock(lock, lockPath);
    if (reason.isEmpty())
        reason = saveMerged(saveTargetOf(path_), changes_);
    if (!reason.isEmpty()) {
        qCWarning(lcCore) << "cannot save" << path_ << reason;
        if (error)
            *error = tr("Could not save %1:\n%2").arg(QDir::toNativeSeparators(path_), reason);
        return false;
    }
    changes_.clear();
    return true;
}

QString SettingsStore::fileName() const {
    return path_;
}

QString SettingsStore::readError() const {
    return readError_;
}

} // namespace tavimo
