#include "core/files/SettingsStore.h"

#include "core/base/Logging.h"
#include "core/base/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tavimo {
namespace {

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

// The settings file as it is on disk now with these changes applied, in the
// text QSettings writes; nullopt with the reason when it cannot be had. Qt
// does the work on a copy in a private scratch folder, so that its own write
// never touches the real file.
std::optional<QByteArray> mergedIni(const QString &path,
                                    const QMap<QString, std::optional<QString>> &changes,
                                    QString *reason) {
    QByteArray current;
    if (QFileInfo::exists(path)) {
        // Without what the file holds now the save would drop it.
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            current = file.readAll();
        if (!file.isOpen() || file.error() != QFileDevice::NoError) {
            *reason = file.errorString();
            return std::nullopt;
        }
    }
    QTemporaryDir scratchFolder(QDir::tempPath() + QStringLiteral("/tavimo-settings-XXXXXX"));
    const QString scratchPath = scratchFolder.filePath(QStringLiteral("Tavimo.ini"));
    const auto scratchFailed = [&](const QString &why) {
        *reason = tr("The new settings could not be put together in %1: %2")
                      .arg(QDir::toNativeSeparators(QDir::tempPath()), why);
        return std::nullopt;
    };
    if (!scratchFolder.isValid())
        return scratchFailed(scratchFolder.errorString());
    QFile scratch(scratchPath);
    errno = 0;
    if (!scratch.open(QIODevice::WriteOnly) || scratch.write(current) != current.size() ||
        !scratch.flush()) {
        // After a failed flush the device's own text says nothing.
        const int systemError = errno;
        return scratchFailed(systemError ? QString::fromLocal8Bit(std::strerror(systemError))
                                         : scratch.errorString());
    }
    scratch.close();
    {
        QSettings settings(scratchPath, QSettings::IniFormat);
        for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
            if (it.value())
                settings.setValue(it.key(), *it.value());
            else
                settings.remove(it.key());
        }
        settings.sync();
        // Qt may report success for a file a full disk cut: read it back.
        const QSettings check(scratchPath, QSettings::IniFormat);
        if (settings.status() == QSettings::AccessError || check.status() != QSettings::NoError ||
            !sameSettings(settings, check)) {
            return scratchFailed(tr("The copy did not read back whole."));
        }
    }
    if (!scratch.open(QIODevice::ReadOnly))
        return scratchFailed(scratch.errorString());
    const QByteArray merged = scratch.readAll();
    if (scratch.error() != QFileDevice::NoError)
        return scratchFailed(scratch.errorString());
    // Qt ends every line; a copy cut after its last value reads back whole
    // all the same.
    if (!merged.isEmpty() && !merged.endsWith('\n') && merged != current)
        return scratchFailed(tr("The copy did not read back whole."));
    return merged;
}

} // namespace

SettingsStore::SettingsStore()
    : SettingsStore(QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tavimo"),
                              QStringLiteral("Tavimo"))
                        .fileName()) {}

SettingsStore::SettingsStore(const QString &iniPath) : path_(iniPath) {
    if (QFileInfo::exists(path_)) {
        QFile probe(path_);
        if (!probe.open(QIODevice::ReadOnly)) {
            readError_ =
                tr("Could not read %1:\n%2\n\nTavimo uses its built-in settings and leaves "
                   "the file as it is.")
                    .arg(QDir::toNativeSeparators(path_), probe.errorString());
            qCWarning(lcCore) << "cannot read the settings file" << path_ << probe.errorString();
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
    QString reason;
    const std::optional<QByteArray> merged = mergedIni(path_, changes_, &reason);
    WriteResult written;
    if (merged) {
        written = writeFileAtomically(path_, *merged);
    } else {
        qCWarning(lcCore) << "cannot save" << path_ << reason;
        written = {false,
                   tr("Could not save %1:\n%2").arg(QDir::toNativeSeparators(path_), reason)};
    }
    if (!written) {
        if (error)
            *error = written.error;
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
