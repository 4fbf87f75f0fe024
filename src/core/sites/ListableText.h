#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tavimo {

// Which text the site lists can keep as it stands. The list files are
// Windows-1252 with one record a line and "*" between the fields, so a
// character outside that code page would come back as "?" (a callsign with
// another name, an address that points elsewhere), a control character would
// vanish or break the line, and "*" would split the field. The add and edit
// dialogs refuse such text and name the character; addresses are not
// percent-encoded behind the user's back.

struct UnlistableCharacter {
    qsizetype at = 0;  // where it stands in the text
    QString character; // one character: two code units for one beyond U+FFFF
};

// The first character of `text` that a list cannot keep, if any.
std::optional<UnlistableCharacter> firstUnlistableCharacter(QStringView text);

// The character as a message names it: "М" (U+041C); a control character,
// which shows nothing, by its code alone (U+0009).
QString characterName(const QString &character);

// The callsign a list file keeps of `callsign`: what the writer leaves of it.
// Empty when nothing of it would be written, and the writer then drops the
// record, so a site with such a callsign must never be added.
QString listedCallsign(const QString &callsign);

} // namespace tavimo
