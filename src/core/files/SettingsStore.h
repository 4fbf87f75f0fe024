#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

namespace tavimo {

// The per-user settings store: application "Tavimo", sections and keys, every
// value a text. Backed by an INI file in the format QSettings reads and
// writes; tests hand in a file of their own.
//
// The file is read once, when the store is made. It is written only by sync(),
// whole, through the program's checked atomic writer: QSettings itself, on a
// disk with a few KiB left, puts an empty file in place of the old one and
// reports success, so it reads here but never writes.
class SettingsStore {
public:
    // The user's store: ~/.config/Tavimo/Tavimo.ini (XDG_CONFIG_HOME honoured).
    SettingsStore();
    // A store in the given INI file.
    explicit SettingsStore(const QString &iniPath);
    // Writes what sync() has not, as QSettings would; a failure is only logged.
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    bool contains(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key,
                  const QString &defaultValue = QString()) const;
    void setValue(const QString &section, const QString &key, const QString &value);
    void remove(const QString &section, const QString &key);

    // Writes the changes since the last sync to disk: the file is replaced
    // whole or stays as it was. False with a message naming the file on
    // failure; the changes are then written by the next sync.
    bool sync(QString *error = nullptr);
    QString fileName() const;

private:
    QString path_;
    QMap<QString, QVariant> values_; // by "Section/key"
    bool changed_ = false;
    // The file there could not be read, or not as INI: it is never written
    // over, so that nothing in it is lost.
    QString unwritable_;
};

} // namespace tavimo
