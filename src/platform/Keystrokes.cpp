#include "platform/Keystrokes.h"

#include <array>
#include <utility>

namespace tavimo {

namespace {

struct NamedKey {
    const char *name;
    Qt::Key key;
};

constexpr std::array namedKeys{
    NamedKey{"ENTER", Qt::Key_Return},
    NamedKey{"TAB", Qt::Key_Tab},
    NamedKey{"ESC", Qt::Key_Escape},
    NamedKey{"ESCAPE", Qt::Key_Escape},
    NamedKey{"BACKSPACE", Qt::Key_Backspace},
    NamedKey{"BS", Qt::Key_Backspace},
    NamedKey{"BKSP", Qt::Key_Backspace},
    NamedKey{"DELETE", Qt::Key_Delete},
    NamedKey{"DEL", Qt::Key_Delete},
    NamedKey{"INSERT", Qt::Key_Insert},
    NamedKey{"INS", Qt::Key_Insert},
    NamedKey{"HOME", Qt::Key_Home},
    NamedKey{"END", Qt::Key_End},
    NamedKey{"PGUP", Qt::Key_PageUp},
    NamedKey{"PGDN", Qt::Key_PageDown},
    NamedKey{"UP", Qt::Key_Up},
    NamedKey{"DOWN", Qt::Key_Down},
    NamedKey{"LEFT", Qt::Key_Left},
    NamedKey{"RIGHT", Qt::Key_Right},
    NamedKey{"SPACE", Qt::Key_Space},
};

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A braced name: a key, or a character to type. Nothing for an unknown name.
std::optional<KeyStroke> bracedKey(QStringView name) {
    KeyStroke stroke;
    if (name.size() == 1) {
        const QChar c = name.front();
        if (isAsciiLetter(c)) {
            stroke.key = Qt::Key(Qt::Key_A + (c.toUpper().unicode() - u'A'));
        } else if (isAsciiDigit(c)) {
            stroke.key = Qt::Key(Qt::Key_0 + (c.unicode() - u'0'));
        } else if (c.isPrint() && !c.isSurrogate()) {
            stroke.text = c;
        } else {
            return std::nullopt;
        }
        return stroke;
    }
    if (name.size() >= 2 && name.size() <= 3 && name.front().toUpper() == u'F') {
        bool ok = false;
        const int number = name.mid(1).toInt(&ok);
        if (ok && number >= 1 && number <= 24 && isAsciiDigit(name.at(1))) {
            stroke.key = Qt::Key(Qt::Key_F1 + number - 1);
            return stroke;
        }
        return std::nullopt;
    }
    for (const NamedKey &named : namedKeys) {
        if (name.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0) {
            stroke.key = named.key;
            return stroke;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<QList<KeyStroke>> parseKeystrokes(QStringView notation) {
    QList<KeyStroke> strokes;
    Qt::KeyboardModifiers held;
    qsizetype i = 0;
    while (i < notation.size()) {
        const QChar c = notation.at(i);
        if (c == u'%' || c == u'^' || c == u'+') {
            held |= c == u'%'   ? Qt::AltModifier
                    : c == u'^' ? Qt::ControlModifier
                                : Qt::ShiftModifier;
            ++i;
            continue;
        }
        KeyStroke stroke;
        if (c == u'{') {
            // "{}}" is the closing brace itself; any other name ends at the first "}".
            qsizetype close = notation.indexOf(u'}', i + 1);
            if (close == i + 1 && i + 2 < notation.size() && notation.at(i + 2) == u'}')
                close = i + 2;
            if (close < 0 || close == i + 1)
                return std::nullopt;
            const std::optional<KeyStroke> braced =
                bracedKey(notation.sliced(i + 1, close - i - 1));
            if (!braced)
                return std::nullopt;
            stroke = *braced;
            i = close + 1;
        } else if (c == u'~') {
            stroke.key = Qt::Key_Return;
            ++i;
        } else if (c == u'}' || c == u'(' || c == u')' || !c.isPrint() || c.isSurrogate()) {
            return std::nullopt;
        } else {
            stroke.text = c;
            ++i;
        }
        stroke.modifiers = std::exchange(held, Qt::KeyboardModifiers());
        strokes.append(stroke);
    }
    if (held != Qt::KeyboardModifiers())
        return std::nullopt;
    return strokes;
}

QString describeKeystroke(const KeyStroke &stroke) {
    QString text;
    if (stroke.modifiers & Qt::ControlModifier)
        text += QStringLiteral("Ctrl+");
    if (stroke.modifiers & Qt::AltModifier)
        text += QStringLiteral("Alt+");
    if (stroke.modifiers & Qt::ShiftModifier)
        text += QStringLiteral("Shift+");
    if (stroke.key == Qt::Key_unknown) {
        text += u'\'' + QString(stroke.text) + u'\'';
    } else if (stroke.key >= Qt::Key_F1 && stroke.key <= Qt::Key_F24) {
        text += u'F' + QString::number(stroke.key - Qt::Key_F1 + 1);
    } else if (stroke.key >= Qt::Key_0 && stroke.key <= Qt::Key_Z) {
        text += QChar(stroke.key);
    } else {
        for (const NamedKey &named : namedKeys) {
            if (named.key == stroke.key) {
                text += QLatin1String(named.name);
                return text;
            }
        }
        text += QStringLiteral("key 0x") + QString::number(stroke.key, 16);
    }
    return text;
}

} // namespace tavimo
