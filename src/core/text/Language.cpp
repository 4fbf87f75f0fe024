#include "core/text/Language.h"

#include "core/base/Logging.h"
#include "core/base/Prompts.h"
#include "core/base/TextFile.h"
#include "core/text/ProgramTexts.h"

#include <QDir>

namespace tavimo {

namespace {

constexpr std::array<const char *, kLanguageCount> kLanguageFileNames{
    "tavimo_English.Language", "tavimo_Spanish.Language", "tavimo_German.Language",
    "tavimo_French.Language", "tavimo_Dutch.Language"};

bool validIndex(int languageIndex) {
    return languageIndex >= 0 && languageIndex < kLanguageCount;
}

QString text16(const char16_t *text) {
    return QString::fromUtf16(text);
}

// Stores one entry value as the entry tables say. A joined pair is stored when
// its second line arrives; until then its first half waits in pendingJoin.
void storeEntry(int entry, const QString &value, LanguageTexts &texts, MenuCaptions &captions,
                QString &pendingJoin) {
    for (const MenuCaptionSlot &slot : kMenuCaptionSlots) {
        if (slot.entry == entry) {
            captions.insert(MenuItemKey{QString::fromLatin1(slot.menu), slot.index}, value);
            return;
        }
    }
    for (const LanguageTextSlot &slot : kLanguageTextSlots) {
        if (slot.entry == entry && slot.lastEntry > entry) {
            pendingJoin = value;
            return;
        }
        if (slot.lastEntry == entry && slot.entry < entry) {
            texts.*slot.text = pendingJoin + QStringLiteral("\r\n") + value;
            pendingJoin.clear();
            return;
        }
        if (slot.entry == entry) {
            QString text =
                QString::fromLatin1(slot.prefix) + value + QString::fromLatin1(slot.suffix);
            // A prefix that ends in a colon ("From:", "Download:") is followed by
            // a blank, or the callsign or version after it would stick to it.
            if (slot.text == &LanguageTexts::LngFromPrefix ||
                slot.text == &LanguageTexts::LngNewVersion) {
                if (text.endsWith(u':'))
                    text += u' ';
            }
            texts.*slot.text = text;
            return;
        }
    }
    texts.unusedEntries.insert(entry, value);
}

void showLoaderMessage(Prompts &prompts, const QString &text) {
    prompts.message(text, QStringLiteral("tavimo"), Prompts::Icon::Exclamation);
}

} // namespace

QString languageFileName(int languageIndex) {
    if (!validIndex(languageIndex))
        return {};
    return QString::fromLatin1(kLanguageFileNames[static_cast<std::size_t>(languageIndex)]);
}

LanguageLoaderMessages languageLoaderMessages(int languageIndex) {
    switch (languageIndex) {
    case 0:
    case 1:
    case 2:
        return {QStringLiteral("Wrong language file version."),
                QStringLiteral("Language file not found or corrupt")};
    case 3:
        return {QStringLiteral("Mauvaise version de fichier langage."),
                text16(u"Fichier langage non trouv\u00E9 ou corrompu.")};
    case 4:
        return {QStringLiteral("Foute taalbestand versie."),
                QStringLiteral("Taalbestand ontbreekt of corrupt.")};
    default:
        return {};
    }
}

bool applyProgramTexts(int languageIndex, LanguageTexts &texts) {
    if (!validIndex(languageIndex))
        return false;
    auto held = [languageIndex](ProgramText text) { return programText(text, languageIndex); };
    texts.LngPasteTooBig = held(ProgramText::PasteTooBig);
    texts.LngTextTitle = held(ProgramText::TextTitle);
    texts.LngReloadMessages = held(ProgramText::ReloadMessages);
    texts.LngSaveMessage = held(ProgramText::SaveMessage);
    texts.LngPasteMessage = held(ProgramText::PasteMessage);
    texts.LngTextReadFailed = held(ProgramText::TextReadFailed);
    texts.LngSeconds = held(ProgramText::Seconds);
    texts.LngNotStored = held(ProgramText::NotStored);
    texts.LngDataFolderReadOnly = held(ProgramText::DataFolderReadOnly);
    texts.LngTextCut = held(ProgramText::TextCut);
    return true;
}

bool CheckLanguageVersion(const QString &versionLine, const QString &versionTitle) {
    const qsizetype at = versionLine.lastIndexOf(QStringLiteral("Tavimo"));
    return at >= 0 && versionLine.mid(at) == versionTitle;
}

QString ReadLanguageLine(const QString &line) {
    const qsizetype equals = line.lastIndexOf(u'=');
    QStringView value = QStringView(line).mid(equals + 1);
    // Only blanks are trimmed: other white space is part of the value.
    qsizetype first = 0;
    qsizetype end = value.size();
    while (first < end && value.at(first) == u' ')
        ++first;
    while (end > first && value.at(end - 1) == u' ')
        --end;
    return value.mid(first, end - first).toString();
}

LanguageLoadResult LoadLanguage(const QString &languagesFolder, int languageIndex,
                                const QString &versionTitle, Prompts &prompts, LanguageTexts &texts,
                                MenuCaptions &captions) {
    LanguageLoadResult result;
    result.languageIndex = languageIndex;
    const QString fileName = languageFileName(languageIndex);
    const LanguageLoaderMessages messages = languageLoaderMessages(languageIndex);

    auto notFound = [&](const QString &why) {
        qCWarning(lcCore) << "Language file" << fileName << "in" << languagesFolder << why;
        result.outcome = LanguageLoadOutcome::NotFound;
        showLoaderMessage(prompts, messages.notFound);
        return result;
    };

    if (fileName.isEmpty())
        return notFound(QStringLiteral("has no name for index %1").arg(languageIndex));
    const std::optional<QStringList> lines =
        readTextLines(QDir(languagesFolder).filePath(fileName));
    if (!lines)
        return notFound(QStringLiteral("cannot be read"));
    if (lines->isEmpty() || !lines->first().contains(QStringLiteral("Tavimo")))
        return notFound(QStringLiteral("has no version line"));
    if (!CheckLanguageVersion(lines->first(), versionTitle)) {
        qCWarning(lcCore) << "Language file" << fileName
                          << "is of another version:" << lines->first();
        result.outcome = LanguageLoadOutcome::WrongVersion;
        showLoaderMessage(prompts, messages.wrongVersion);
        return result;
    }

    QString pendingJoin;
    for (int entry = 1; entry <= kLanguageEntryCount; ++entry) {
        if (entry >= lines->size())
            return notFound(QStringLiteral("ends after entry %1").arg(entry - 1));
        storeEntry(entry, ReadLanguageLine(lines->at(entry)), texts, captions, pendingJoin);
        result.entriesRead = entry;
    }
    applyProgramTexts(languageIndex, texts);
    result.outcome = LanguageLoadOutcome::Loaded;
    return result;
}

QString refreshMenuCaption(const LanguageTexts &texts, int autoRefreshMode, int refreshSeconds) {
    if (autoRefreshMode == 0)
        return texts.LngRefresh + QStringLiteral(" (") + texts.LngManual + QStringLiteral(") ");
    const QString seconds = texts.LngSeconds.isEmpty() ? QStringLiteral("sec") : texts.LngSeconds;
    return texts.LngRefresh + QStringLiteral(" (auto ") + QString::number(refreshSeconds) + u' ' +
           seconds + QStringLiteral(") ");
}

} // namespace tavimo
