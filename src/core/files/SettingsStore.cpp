#include "core/files/SettingsStore.h"

#include <QSettings>

namespace tavimo {
namespace {

QString fullKey(const QString &section, const QString &key) {
    return section + QLatin1Char('/') + key;
}

} // namespace

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Tavimo"), QStringLiteral("Tavimo"))) {}

SettingsStore::SettingsStore(const QString &iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

bool SettingsStore::contains(const QString &section, const QString &key) const {
    return settings_->contains(fullKey(section, key));
}

QString SettingsStore::value(const QString &section, const QString &key,
                             const QString &defaultValue) const {
    const QVariant v = settings_->value(fullKey(section, key));
    return v.isValid() ? v.toString() : defaultValue;
}

void SettingsStore::setValue(const QString &section, const QString &key, const QString &value) {
    settings_->setValue(fullKey(section, key), value);
}

void SettingsStore::remove(const QString &section, const QString &key) {
    settings_->remove(fullKey(section, key));
}

bool SettingsStore::sync(QString *error) {
    settings_->sync();
    const bool ok = settings_->status() == QSettings::NoError;
    if (!ok && error)
        *error = settings_->status() == QSettings::AccessError
                     ? QStringLiteral("Could not save the settings file %1.").arg(fileName())
                     : QStringLiteral("The settings file %1 is damaged.").arg(fileName());
    return ok;
}

QString SettingsStore::fileName() const {
    return settings_->fileName();
}

} // namespace tavimo
