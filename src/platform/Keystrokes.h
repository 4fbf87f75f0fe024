#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringView>
#include <Qt>

#include <optional>

namespace tavimo {

// One key pressed and released while its modifiers are held.
// Either `key` names a key (a letter or digit key, F1..F24, Enter, Tab, ...) or, when it is
// Qt::Key_unknown, `text` is a character to type as the keyboard layout produces it.
struct KeyStroke {
    Qt::KeyboardModifiers modifiers;
    Qt::Key key = Qt::Key_unknown;
    QChar text;

    friend bool operator==(const KeyStroke &, const KeyStroke &) = default;
};

// Reads the keystroke notation the paste helpers use:
//   "%" Alt, "^" Ctrl, "+" Shift: held for the key that follows ("%{E}" is Alt+E);
//   "{NAME}": a named key: a single letter or digit ("{P}" is the P key, without Shift),
//            F1..F24, ENTER, TAB, ESC, BACKSPACE, DELETE, INSERT, HOME, END, PGUP, PGDN,
//            UP, DOWN, LEFT, RIGHT, SPACE; any other single character in braces is typed
//            as it is, which is how "{+}", "{%}", "{^}", "{~}", "{(}", "{{}" and "{}}" are sent;
//   "~": Enter;
//   any other printable character: typed as text ("abc", "A" with Shift).
// Nothing for text that does not follow the notation (an unknown key name, an open brace,
// a modifier with no key after it, an unbraced parenthesis, a control character).
std::optional<QList<KeyStroke>> parseKeystrokes(QStringView notation);

// A readable form for logs and test failures: "Alt+E", "F7", "Shift+'a'".
QString describeKeystroke(const KeyStroke &stroke);

} // namespace tavimo
