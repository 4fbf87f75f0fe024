#include "core/sites/ListableText.h"

#include "core/base/TextCodec.h"

namespace tavimo {

namespace {

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

} // namespace

std::optional<UnlistableCharacter> firstUnlistableCharacter(QStringView text) {
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        const qsizetype length =
            c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QStringView character = text.mid(i, length);
        const bool refused = c == u'*' || isControl(c.unicode()) || length == 2 ||
                             c.isSurrogate() || cp1252Text(character) != character;
        if (refused)
            return UnlistableCharacter{i, character.toString()};
        i += length;
    }
    return std::nullopt;
}

QString characterName(const QString &character) {
    if (character.isEmpty())
        return {};
    // A lone surrogate is no character: it is named by its code unit.
    const bool pair = character.size() == 2 && character[0].isHighSurrogate();
    const char32_t code =
        pair ? QChar::surrogateToUcs4(character[0], character[1]) : character[0].unicode();
    QString hex = QString::number(uint(code), 16).toUpper();
    if (hex.size() < 4)
        hex.prepend(QString(4 - hex.size(), u'0'));
    const QString name = QStringLiteral("U+") + hex;
    if (isControl(code) || (!pair && character[0].isSurrogate()))
        return name;
    return u'"' + character + QStringLiteral("\" (") + name + u')';
}

QString listedCallsign(const QString &callsign) {
    QString text = cp1252Text(callsign);
    text.remove(u'\r').remove(u'\n').remove(QChar(0)).remove(u'*');
    return text;
}

} // namespace tavimo
