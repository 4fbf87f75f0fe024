#include "core/base/TextFile.h"

#include "core/base/AtomicWrite.h"
#include "core/base/Logging.h"
#include "core/base/RegularFile.h"
#include "core/base/TextCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace tavimo {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("tavimo", text);
}

} // namespace

QStringList splitTextLines(QStringView text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start).toString());
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < n)
        lines.append(text.mid(start).toString());
    return lines;
}

QStringList splitTextLines(const QByteArray &bytes) {
    return splitTextLines(QStringView(decodeCp1252(bytes)));
}

std::optional<QString> decodeTextFile(const QByteArray &bytes) {
    // Text in UTF-16 has NUL bytes (every ASCII character and line break has
    // one), Windows-1252 text never: so a Windows-1252 file that happens to
    // start with the mark's two bytes still reads as such.
    const bool marked = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    if (marked && (bytes.size() == 2 || bytes.contains('\0'))) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                            : QStringDecoder::Utf16BE);
        QString text = decoder.decode(bytes); // the decoder drops the mark
        if (text.contains(QChar(0)))
            return std::nullopt;
        return text;
    }
    if (bytes.contains('\0'))
        return std::nullopt;
    return decodeCp1252(bytes);
}

TextFileLines readTextFile(const QString &path) {
    TextFileLines result;
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo::exists(path)) {
        result.error = tr("%1 does not exist.").arg(shown);
        return result;
    }
    // A named pipe or a device in a list's place is named, never waited on.
    QString reason;
    const std::optional<QByteArray> bytes = readRegularFile(path, &reason);
    if (!bytes) {
        result.status = TextFileLines::Status::Unreadable;
        result.error = tr("Could not read %1:\n%2").arg(shown, reason);
        return result;
    }
    const std::optional<QString> text = decodeTextFile(*bytes);
    if (!text) {
        result.status = TextFileLines::Status::NotText;
        result.error = tr("Could not read %1:\nThe file holds no text.").arg(shown);
        return result;
    }
    result.status = TextFileLines::Status::Read;
    result.lines = splitTextLines(QStringView(*text));
    return result;
}

std::optional<QStringList> readTextLines(const QString &path) {
    TextFileLines file = readTextFile(path);
    if (file.status != TextFileLines::Status::Read)
        return std::nullopt;
    return std::move(file.lines);
}

WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes) {
    const QString reason = replaceFileAtomically(path, bytes);
    if (reason.isEmpty())
        return {};
    qCWarning(lcCore) << "cannot write" << path << reason;
    return {false, tr("Could not save %1:\n%2").arg(QDir::toNativeSeparators(path), reason)};
}

WriteResult writeTextLines(const QString &path, const QStringList &lines) {
    QString text;
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString &line : lines) {
        text += line;
        text += u"\r\n";
    }
    return writeFileAtomically(path, encodeCp1252(text));
}

} // namespace tavimo
