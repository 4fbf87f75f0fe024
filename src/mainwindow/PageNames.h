#pragma once

#include <QString>
#include <QStringList>

namespace tavimo {

// The page word of every language ("Page ", "Seite ", ...) as the language
// files in `languagesFolder` give it (entry 61, with the blank the loader
// adds). A file that cannot be read is left out.
QStringList pageWordsOfAllLanguages(const QString &languagesFolder);

// A page name the user never chose: empty, or a page word followed by the
// page's number. Such a name follows the language; any other is the user's.
bool isDefaultPageName(const QString &name, int page, const QStringList &pageWords);

} // namespace tavimo
