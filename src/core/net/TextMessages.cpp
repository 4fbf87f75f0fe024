#include "core/net/TextMessages.h"

#include "core/base/TextCodec.h"
#include "core/net/UpdateCheck.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace tavimo {

namespace {

// Well below the 255 bytes most Linux file systems allow in one name.
constexpr qsizetype kMaxEncodedCall = 160;

bool keptAsIs(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c == u'-' || c == u'_' || c == u'.';
}

QString percentEncoded(const QString &text) {
    QString out;
    for (const QChar c : text) {
        if (keptAsIs(c.unicode()) && !(out.isEmpty() && c == u'.')) {
            out += c;
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            out += QStringLiteral("%%1").arg(quint8(byte), 2, 16, QChar(u'0')).toUpper();
    }
    return out;
}

} // namespace

QString TextMessageUrl(const QString &pictureUrl, int k) {
    QString url = pictureUrl;
    url.remove(kNoDeleteMark, Qt::CaseSensitive);
    return url.replace(QStringLiteral("image1"), QStringLiteral("text%1.txt").arg(k),
                       Qt::CaseSensitive);
}

QString textMessageKey(int k) {
    return QString::number(k - 1);
}

int textMessageNumber(const QString &key) {
    bool ok = false;
    const int index = key.toInt(&ok);
    return ok && index >= 0 && index < kTextMessageCount ? index + 1 : 0;
}

QString textMessageFileName(const QString &messageCall, int k) {
    QString call = percentEncoded(messageCall);
    if (call.size() > kMaxEncodedCall) {
        const QByteArray digest =
            QCryptographicHash::hash(messageCall.toUtf8(), QCryptographicHash::Sha1).toHex();
        call = call.left(kMaxEncodedCall - digest.size() - 1) + u'~' + QString::fromLatin1(digest);
    }
    // Not arg() twice: an encoded callsign holds "%2F" and the like.
    return call + u'-' + QString::number(k) + QStringLiteral(".txt");
}

QString textMessageFilePath(const QString &textFilesFolder, const QString &messageCall, int k) {
    const QString folder = QDir::cleanPath(textFilesFolder);
    const QString name = textMessageFileName(messageCall, k);
    const QString path = QDir::cleanPath(folder + u'/' + name);
    // The encoding already keeps every name a plain name; this holds should it ever change.
    if (name.contains(u'/') || QFileInfo(path).dir().absolutePath() != QDir(folder).absolutePath())
        return {};
    return path;
}

QStringList textMessageLines(const QByteArray &bytes) {
    const QString text = decodeCp1252(bytes);
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r') {
            line += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        lines.append(line);
        line.clear();
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

TextMessageItem textMessageItem(int k, const std::optional<QByteArray> &storedBytes,
                                const QString &readFailedText) {
    TextMessageItem item;
    item.k = k;
    if (!storedBytes) {
        item.state = TextMessageState::NotStored;
        item.text = QString::number(k);
        return item;
    }
    const QStringList lines = textMessageLines(*storedBytes);
    if (lines.size() < 2) {
        item.state = TextMessageState::ReadFailed;
        item.text = QString::number(k) + readFailedText;
        return item;
    }
    item.state = TextMessageState::Read;
    item.firstLine = lines[0];
    item.text = QStringLiteral("%1  %2 - %3").arg(k).arg(lines[0], lines[1]);
    return item;
}

TextMessageItem failedTextMessageItem(int k, const QString &failedText) {
    TextMessageItem item;
    item.k = k;
    item.state = TextMessageState::Failed;
    item.text = QStringLiteral("txt%1").arg(k) + failedText;
    return item;
}

qsizetype textMessageInsertPosition(const QList<TextMessageItem> &items,
                                    const TextMessageItem &item) {
    qsizetype at = 0;
    while (at < items.size() &&
           QString::compare(items[at].text, item.text, Qt::CaseInsensitive) <= 0)
        ++at;
    return at;
}

QString textMessageShownText(const QByteArray &bytes) {
    QString text;
    for (const QString &line : textMessageLines(bytes))
        text += line + u'\n';
    return text;
}

QString textMessageSaveName(const QByteArray &bytes) {
    const QString text = decodeCp1252(bytes);
    qsizetype at = 0;
    // One field the way comma-separated text is read: a field ends at a comma or a line end;
    // one in double quotes runs to its closing quote.
    const auto nextField = [&] {
        while (at < text.size() && (text[at] == u' ' || text[at] == u'\n'))
            ++at;
        QString field;
        const bool quoted = at < text.size() && text[at] == u'"';
        if (quoted) {
            const qsizetype close = text.indexOf(u'"', at + 1);
            const qsizetype end = close < 0 ? text.size() : close;
            field = text.mid(at + 1, end - at - 1);
            at = end + 1;
        }
        for (; at < text.size() && text[at] != u',' && text[at] != u'\r'; ++at) {
            if (!quoted)
                field += text[at];
        }
        if (at < text.size() && text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n')
            ++at;
        ++at;
        return field.remove(u'\n');
    };
    const QString a = nextField();
    const QString b = nextField();
    QString name = a + QStringLiteral(" - ") + b;
    name.remove(u':');
    name.replace(u'/', u'_');
    name.replace(QChar(u'\0'), u'_');
    return name;
}

} // namespace tavimo
