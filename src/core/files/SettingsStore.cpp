#include "core/files/SettingsStore.h"

#include "core/base/Logging.h"
#include "core/base/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringEncoder>

namespace tavimo {
namespace {

const QString kGeneral = QStringLiteral("General");

QString fullKey(const QString &section, const QString &key) {
    return section + QLatin1Char('/') + key;
}

bool isHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A section or key as the INI reader takes it back: letters, digits and "_-."
// as they are, "/" (a subsection) as "\", anything else as %XX or %UXXXX.
QByteArray escapedKey(QStringView key) {
    QByteArray out;
    for (const QChar qc : key) {
        const char16_t c = qc.unicode();
        if (c == u'/') {
            out += '\\';
        } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                   (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' || c == u'.') {
            out += char(c);
        } else if (c <= 0xFF) {
            out += '%' + QByteArray::number(c, 16).rightJustified(2, '0').toUpper();
        } else {
            out += "%U" + QByteArray::number(c, 16).rightJustified(4, '0').toUpper();
        }
    }
    return out;
}

// One text as the INI reader takes it back whole: in quotes when it holds a
// list separator, a comment or an assignment, or starts or ends with a blank;
// control characters escaped; a leading "@" doubled (it would mark a typed
// value); the rest in UTF-8.
QByteArray escapedText(const QString &value) {
    const QString text = value.startsWith(u'@') ? u'@' + value : value;
    QByteArray out;
    bool quote = text.startsWith(u' ') || text.endsWith(u' ');
    bool escapeHexDigit = false; // a hex escape would swallow a digit after it
    QStringEncoder toUtf8(QStringEncoder::Utf8);
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u';' || c == u',' || c == u'=')
            quote = true;
        if (escapeHexDigit && isHexDigit(c)) {
            out += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        escapeHexDigit = false;
        switch (c) {
        case u'\n':
            out += "\\n";
            break;
        case u'\r':
            out += "\\r";
            break;
        case u'\t':
            out += "\\t";
            break;
        case u'"':
        case u'\\':
            out += '\\';
            out += char(c);
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                out += "\\x" + QByteArray::number(c, 16);
                escapeHexDigit = true;
            } else {
                out += QByteArray(toUtf8(QStringView(&qc, 1)));
            }
        }
    }
    return quote ? '"' + out + '"' : out;
}

QByteArray escapedValue(const QVariant &value) {
    if (value.typeId() == QMetaType::QStringList) {
        const QStringList items = value.toStringList();
        // As QSettings has it: a list of one item reads back as a text.
        if (items.size() <= 1)
            return escapedText(items.value(0));
        QByteArrayList parts;
        for (const QString &item : items)
            parts.append(escapedText(item));
        return parts.join(", ");
    }
    return escapedText(value.toString());
}

// The bytes of an INI file holding these values ("Section/key", or a bare
// key of the General section), as QSettings would read them back.
QByteArray iniBytes(const QMap<QString, QVariant> &values) {
    // Sections in name order, keys in name order within each.
    QMap<QString, QMap<QString, QVariant>> sections;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        if (slash < 0)
            sections[QString()].insert(it.key(), it.value());
        else
            sections[it.key().left(slash)].insert(it.key().mid(slash + 1), it.value());
    }
    QByteArray out;
    for (auto section = sections.cbegin(); section != sections.cend(); ++section) {
        if (!out.isEmpty())
            out += '\n';
        // Bare keys belong to [General]; a section of that very name is told apart.
        const QString &name = section.key();
        out += '[' +
               (name.isEmpty() ? kGeneral.toLatin1()
                               : (name == kGeneral ? "%General" : escapedKey(name))) +
               "]\n";
        for (auto it = section->cbegin(); it != section->cend(); ++it)
            out += escapedKey(it.key()) + '=' + escapedValue(it.value()) + '\n';
    }
    return out;
}

QString tr(const char *text) {
    return QCoreApplication::translate("tavimo", text);
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
            unwritable_ = tr("Could not save %1:\n%2")
                              .arg(QDir::toNativeSeparators(path_), probe.errorString());
            qCWarning(lcCore) << "cannot read the settings file" << path_ << probe.errorString();
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
    if (!changed_)
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
    QVariant &stored = values_[fullKey(section, key)];
    if (stored.typeId() == QMetaType::QString && stored.toString() == value)
        return;
    stored = value;
    changed_ = true;
}

void SettingsStore::remove(const QString &section, const QString &key) {
    changed_ = values_.remove(fullKey(section, key)) > 0 || changed_;
}

bool SettingsStore::sync(QString *error) {
    if (!changed_)
        return true;
    WriteResult written{false, unwritable_};
    if (unwritable_.isEmpty()) {
        QDir().mkpath(QFileInfo(path_).absolutePath());
        written = writeFileAtomically(path_, iniBytes(values_));
    }
    if (!written) {
        if (error)
            *error = written.error;
        return false;
    }
    changed_ = false;
    return true;
}

QString SettingsStore::fileName() const {
    return path_;
}

} // namespace tavimo
