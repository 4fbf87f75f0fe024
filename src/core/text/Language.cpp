#include "core/text/Language.h"

#include "core/base/Logging.h"
#include "core/base/Prompts.h"
#include "core/base/TextFile.h"

#include <QDir>

namespace tavimo {

namespace {

constexpr std::array<const char *, kLanguageCount> kLanguageFileNames{
    "tavimo_English.Language", "tavimo_Spanish.Language", "tavimo_German.Language",
    "tavimo_French.Language", "tavimo_Dutch.Language"};

// Texts that no language file carries, in the order English, Spanish, German,
// French, Dutch. A read-failure text starts with two blanks, so that the message
// list reads "3  Error ..." and the English and Spanish ones are recognised as
// failures when clicked.
struct ProgramTexts {
    const char16_t *pasteTooBig;
    const char16_t *textTitle;
    const char16_t *reloadMessages;
    const char16_t *saveMessage;
    const char16_t *pasteMessage;
    const char16_t *textReadFailed;
    const char16_t *seconds;
    const char16_t *notStored;
    const char16_t *dataFolderReadOnly;
    const char16_t *textCut;
};

// The paste button hands the message to MMSSTV, so every language names MMSSTV.
constexpr std::array<ProgramTexts, kLanguageCount> kProgramTexts{{
    {u"This animated picture is ??? bytes large. Pasting so large a picture may take a "
     u"while. Paste it anyway?",
     u"Text messages on ?\?'s site", u"Reload messages", u"Save message",
     u"Paste message into MMSSTV", u"  Error reading the text file.", u"sec", u"not stored",
     u"Tavimo cannot write into its data folder ??. Pictures cannot be kept there, and "
     u"changes to the site lists will not be saved.",
     u"(cut short: the text is too long)"},
    {u"Esta imagen animada ocupa ??? bytes. Pegar una imagen tan grande puede tardar. "
     u"\u00BFPegarla de todos modos?",
     u"Mensajes de texto en el sitio de ??", u"Recargar mensajes", u"Guardar mensaje",
     u"Pegar el mensaje en MMSSTV", u"  Error al leer el archivo de texto.", u"seg", u"no guardada",
     u"Tavimo no puede escribir en su carpeta de datos ??. Las im\u00E1genes no se pueden "
     u"guardar all\u00ED y los cambios en las listas de sitios no se guardar\u00E1n.",
     u"(cortado: el texto es demasiado largo)"},
    {u"Dieses animierte Bild ist ??? Bytes gro\u00DF. Das Einf\u00FCgen eines so gro\u00DFen "
     u"Bildes kann dauern. Trotzdem einf\u00FCgen?",
     u"Text-Nachrichten auf der Seite von ??", u"Nachrichten wieder laden", u"Nachricht sichern",
     u"Sende Nachricht zum MMSSTV-TX-Fenster", u"  Fehler beim laden der Textdatei.", u"Sek.",
     u"nicht gespeichert",
     u"Tavimo kann nicht in seinen Datenordner ?? schreiben. Bilder k\u00F6nnen dort nicht "
     u"abgelegt werden, und \u00C4nderungen an den Stationslisten werden nicht gespeichert.",
     u"(gek\u00FCrzt: der Text ist zu lang)"},
    {u"Cette image anim\u00E9e fait ??? octets. Coller une image aussi grande peut prendre "
     u"du temps. La coller quand m\u00EAme ?",
     u"Les messages texte sur le site ??", u"Recharger les messages", u"Sauver le message",
     u"D\u00E9poser le message dans MMSSTV", u"  Erreur de transfert du fichier texte.", u"s",
     u"non enregistr\u00E9e",
     u"Tavimo ne peut pas \u00E9crire dans son dossier de donn\u00E9es ??. Les images ne "
     u"peuvent pas y \u00EAtre conserv\u00E9es et les modifications des listes de sites ne "
     u"seront pas enregistr\u00E9es.",
     u"(coup\u00E9 : le texte est trop long)"},
    {u"Dit geanimeerde beeld is ??? bytes groot. Het plakken van zo'n groot beeld kan even "
     u"duren. Toch plakken?",
     u"Tekst berichten op ?\?'s site", u"Herlaad berichten", u"Bewaar berichten",
     u"Plak het bericht in MMSSTV TX", u"  Tekst downloading mislukt.", u"sec", u"niet opgeslagen",
     u"Tavimo kan niet schrijven in zijn gegevensmap ??. Beelden kunnen daar niet bewaard "
     u"worden en wijzigingen in de sitelijsten worden niet opgeslagen.",
     u"(ingekort: de tekst is te lang)"},
}};

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
    const ProgramTexts &held = kProgramTexts[static_cast<std::size_t>(languageIndex)];
    texts.LngPasteTooBig = text16(held.pasteTooBig);
    texts.LngTextTitle = text16(held.textTitle);
    texts.LngReloadMessages = text16(held.reloadMessages);
    texts.LngSaveMessage = text16(held.saveMessage);
    texts.LngPasteMessage = text16(held.pasteMessage);
    texts.LngTextReadFailed = text16(held.textReadFailed);
    texts.LngSeconds = text16(held.seconds);
    texts.LngNotStored = text16(held.notStored);
    texts.LngDataFolderReadOnly = text16(held.dataFolderReadOnly);
    texts.LngTextCut = text16(held.textCut);
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
