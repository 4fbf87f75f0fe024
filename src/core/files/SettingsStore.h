#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace tavimo {

// The per-user settings store: application "Tavimo", sections and keys, every
// value a text. Backed by an INI file; tests hand in a file of their own.
class SettingsStore {
public:
    // The user's store: ~/.config/Tavimo/Tavimo.ini (XDG_CONFIG_HOME honoured).
    SettingsStore();
    // A store in the given INI file.
    explicit SettingsStore(const QString &iniPath);
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    bool contains(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key,
                  const QString &defaultValue = QString()) const;
    void setValue(const QString &section, const QString &key, const QString &value);
    void remove(const QString &section, const QString &key);

    // Writes pending changes to disk (atomically); false with a reason on failure.
    bool sync(QString *error = nullptr);
    QString fileName() const;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace tavimo
