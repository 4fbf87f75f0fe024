#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

#include <optional>

namespace tavimo {

// The per-user settings store: application "Tavimo", sections and keys, every
// value a text. Backed by an INI file in the format QSettings reads and
// writes; tests hand in a file of their own.
//
// The file is read once, when the store is made; value() answers from that
// reading with this run's changes over it. A save changes only the keys this
// run set or removed: everything else keeps what the file holds at the moment
// of the save, so that a section the user adds by hand while the program runs,
// or a typed value another program wrote (@Rect(...), @ByteArray(...)),
// survives. A save holds the lock file QSettings takes (Tavimo.ini.lock)
// from reading the file to replacing it, so that it and another Qt program
// writing the file never lose each other's keys. Qt writes the new version
// beside the file, which replaces the file only once it reads back whole:
// QSettings, on a disk with a few KiB left, puts an empty file in place of
// the old one and reports success. A settings file or lock file that is no
// file (a folder, a named pipe, a device) is named in the message, never
// waited on.
class SettingsStore {
public:
    // The user's store: ~/.config/Tavimo/Tavimo.ini (XDG_CONFIG_HOME honoured).
    SettingsStore();
    // A store in the given INI file.
    explicit SettingsStore(const QString &iniPath);
    // Writes the changes that no sync() has tried yet; a failure is only logged.
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
    // failure; the changes are then written by the next sync. A file that
    // could not be read at the start is never written over (see readError()):
    // its changes stay in memory and sync() has nothing to report.
    bool sync(QString *error = nullptr);
    QString fileName() const;

    // Empty, or a message naming the settings file that exists but could not
    // be read when the store was made: none of its settings are in use.
    QString readError() const;

private:
    QString path_;
    QMap<QString, QVariant> values_; // by "Section/key", as read, with this run's changes
    // The keys this run set (a text) or removed (none) since the last save.
    QMap<QString, std::optional<QString>> changes_;
    bool untried_ = false; // changes that no sync has tried to write yet
    QString readError_;
};

} // namespace tavimo
