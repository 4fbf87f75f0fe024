#include "core/base/TextFile.h"

#include "core/base/Logging.h"
#include "core/base/TextCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace tavimo {

QStringList splitTextLines(const QByteArray &bytes) {
    const QString text = decodeCp1252(bytes);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

std::optional<QStringList> readTextLines(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return splitTextLines(bytes);
}

WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return {};
    const QString reason = file.errorString();
    file.cancelWriting();
    qCWarning(lcCore) << "cannot write" << path << reason;
    return {false, QCoreApplication::translate("tavimo", "Could not save %1:\n%2")
                       .arg(QDir::toNativeSeparators(path), reason)};
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
