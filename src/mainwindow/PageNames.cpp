#include "mainwindow/PageNames.h"

#include "core/base/TextFile.h"
#include "core/text/Language.h"

#include <QDir>

namespace tavimo {

namespace {

constexpr int kPageWordEntry = 61; // the line after the version line counts as entry 1

} // namespace

QStringList pageWordsOfAllLanguages(const QString &languagesFolder) {
    QStringList words;
    for (int index = 0; index < kLanguageCount; ++index) {
        const std::optional<QStringList> lines =
            readTextLines(QDir(languagesFolder).filePath(languageFileName(index)));
        if (!lines || lines->size() <= kPageWordEntry)
            continue;
        const QString word = ReadLanguageLine(lines->at(kPageWordEntry));
        if (!word.isEmpty())
            words.append(word + u' ');
    }
    return words;
}

bool isDefaultPageName(const QString &name, int page, const QStringList &pageWords) {
    if (name.isEmpty())
        return true;
    const QString number = QString::number(page);
    for (const QString &word : pageWords) {
        if (name == word + number)
            return true;
    }
    return false;
}

} // namespace tavimo
