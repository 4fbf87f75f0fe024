#include "core/Language.h"
#include "core/Prompts.h"
#include "core/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

namespace {

const QString kVersionTitle = QStringLiteral("Tavimo  4.91");

// Records every box instead of showing it.
class RecordingPrompts final : public Prompts {
public:
    struct Shown {
        QString text;
        QString title;
        Icon icon;
    };
    QList<Shown> shown;

    void message(const QString &text, const QString &title, Icon icon) override {
        shown.append({text, title, icon});
    }
    Answer retryCancel(const QString &text, const QString &title) override {
        shown.append({text, title, Icon::None});
        return Answer::Cancel;
    }
    Answer yesNo(const QString &text, const QString &title) override {
        shown.append({text, title, Icon::Question});
        return Answer::No;
    }
};

QString oldText(const char *name) {
    return QStringLiteral("old ") + QLatin1String(name);
}

// Texts and captions as a previous language left them, so that a test can see
// which ones a load replaced.
void fillWithOldValues(LanguageTexts &texts, MenuCaptions &captions) {
    for (const LanguageTextSlot &slot : kLanguageTextSlots)
        texts.*slot.text = oldText(slot.name);
    for (int entry : kUnusedLanguageEntries)
        texts.unusedEntries.insert(entry, QStringLiteral("old unused"));
    texts.LngPasteTooBig = texts.LngTextTitle = texts.LngReloadMessages = texts.LngSaveMessage =
        texts.LngPasteMessage = texts.LngTextReadFailed = QStringLiteral("old held");
    for (const MenuCaptionSlot &slot : kMenuCaptionSlots)
        captions.insert({QLatin1String(slot.menu), slot.index}, oldText(slot.menu));
}

// A language file whose entry n reads "Entry n = En", cut after `lineCount` lines
// when that is given.
QByteArray languageFile(const QString &versionLine, int lineCount = 1 + kLanguageEntryCount) {
    QStringList lines{versionLine};
    for (int entry = 1; entry <= kLanguageEntryCount; ++entry)
        lines.append(QStringLiteral("Entry %1 = E%1").arg(entry));
    lines = lines.mid(0, lineCount);
    return encodeCp1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString bundledLanguages() {
    return QStringLiteral(TAVIMO_SOURCE_DATA_DIR "/Languages");
}

const LanguageTextSlot *textSlot(const QString &name) {
    for (const LanguageTextSlot &slot : kLanguageTextSlots) {
        if (name == QLatin1String(slot.name))
            return &slot;
    }
    return nullptr;
}

} // namespace

class LanguageTest : public QObject {
    Q_OBJECT

private slots:
    void bundledFileLoads_data() {
        QTest::addColumn<int>("index");
        QTest::newRow("English") << 0;
        QTest::newRow("Spanish") << 1;
        QTest::newRow("German") << 2;
        QTest::newRow("French") << 3;
        QTest::newRow("Dutch") << 4;
    }
    void bundledFileLoads() {
        QFETCH(int, index);
        LanguageTexts texts;
        MenuCaptions captions;
        RecordingPrompts prompts;
        const LanguageLoadResult result =
            LoadLanguage(bundledLanguages(), index, kVersionTitle, prompts, texts, captions);
        QVERIFY(result.succeeded());
        QCOMPARE(result.languageIndex, index);
        QCOMPARE(result.entriesRead, kLanguageEntryCount);
        QVERIFY(prompts.shown.isEmpty());

        // 54 named texts and 9 entries that no window shows: the 63 shared texts.
        for (const LanguageTextSlot &slot : kLanguageTextSlots)
            QVERIFY2(!(texts.*slot.text).trimmed().isEmpty(), slot.name);
        QCOMPARE(texts.unusedEntries.size(), qsizetype(kUnusedLanguageEntries.size()));
        for (const QString &value : texts.unusedEntries)
            QVERIFY(!value.isEmpty());
        QCOMPARE(captions.size(), qsizetype(kMenuCaptionSlots.size()));
        for (auto it = captions.cbegin(); it != captions.cend(); ++it)
            QVERIFY2(!it.value().isEmpty(), qPrintable(it.key().menu));
        for (const QString *held :
             {&texts.LngPasteTooBig, &texts.LngTextTitle, &texts.LngReloadMessages,
              &texts.LngSaveMessage, &texts.LngPasteMessage, &texts.LngTextReadFailed})
            QVERIFY(!held->trimmed().isEmpty());

        // Placeholders where their users replace them.
        QVERIFY(texts.LngLast30Tpl.contains(QStringLiteral("**")));
        for (const QString *callTemplate :
             {&texts.LngLast30Tpl, &texts.LngMapLocTpl, &texts.LngNoPosTpl, &texts.LngLookupTpl,
              &texts.LngTextTitle, &captions[{QStringLiteral("mnuEarthView"), -1}]})
            QVERIFY2(callTemplate->contains(QStringLiteral("??")), qPrintable(*callTemplate));
        QVERIFY(texts.LngPasteTooBig.contains(QStringLiteral("???")));
        QVERIFY(texts.LngTextReadFailed.startsWith(QStringLiteral("  ")));

        // The blanks and line breaks that the loader adds.
        QVERIFY(texts.LngPage.endsWith(u' ') && !texts.LngPage.endsWith(QStringLiteral("  ")));
        QVERIFY(texts.LngNewPicPrefix.startsWith(u' '));
        QVERIFY(texts.LngCallSep.startsWith(u' '));
        QCOMPARE(texts.LngUrlRules.count(QStringLiteral("\r\n")), 1);
        QCOMPARE(texts.LngInstructions.count(QStringLiteral("\r\n")), 1);

        // The gallery tells a "new picture" caption from an age caption by the
        // new-picture text: an age caption must not contain it.
        const QString ageCaption =
            QStringLiteral("XX9ABC") + texts.LngCallSep + QStringLiteral(" 3") + texts.LngDays;
        QVERIFY(!ageCaption.contains(texts.LngNewPicPrefix));
        QVERIFY((QStringLiteral("XX9ABC") + texts.LngNewPicPrefix).contains(texts.LngNewPicPrefix));
    }

    void bundledFileBytes_data() {
        QTest::addColumn<QString>("name");
        for (int index = 0; index < kLanguageCount; ++index)
            QTest::newRow(qPrintable(languageFileName(index))) << languageFileName(index);
    }
    void bundledFileBytes() {
        QFETCH(QString, name);
        QFile file(QDir(bundledLanguages()).filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.endsWith("\r\n"));
        const QList<QByteArray> lines = bytes.chopped(2).split('\n');
        QCOMPARE(lines.size(), 1 + kLanguageEntryCount);
        for (const QByteArray &line : lines) {
            QVERIFY2(line.endsWith('\r') || &line == &lines.last(), line.constData());
            QVERIFY2(line.count('\r') <= 1, line.constData());
        }
        QVERIFY(lines.first().endsWith("- " + kVersionTitle.toLatin1() + "\r"));
        // Windows-1252, not UTF-8 read as Windows-1252.
        const QString text = decodeCp1252(bytes);
        QVERIFY(!text.contains(QChar(0x00C3)) && !text.contains(QChar(0x00C2)));
        for (int entry = 1; entry <= kLanguageEntryCount; ++entry) {
            const QByteArray &line = lines.at(entry);
            QVERIFY2(line.startsWith(QByteArray::number(100 + entry).mid(1) + ' '),
                     line.constData());
            QCOMPARE(line.count('='), 1);
        }
    }

    void versionLine_data() {
        QTest::addColumn<QString>("versionLine");
        QTest::addColumn<LanguageLoadOutcome>("outcome");
        QTest::newRow("title after words")
            << "Tavimo language file English - Tavimo  4.91" << LanguageLoadOutcome::Loaded;
        QTest::newRow("title alone") << "Tavimo  4.91" << LanguageLoadOutcome::Loaded;
        QTest::newRow("one blank")
            << "Language file - Tavimo 4.91" << LanguageLoadOutcome::WrongVersion;
        QTest::newRow("other version")
            << "Language file - Tavimo  4.90" << LanguageLoadOutcome::WrongVersion;
        QTest::newRow("trailing blank")
            << "Language file - Tavimo  4.91 " << LanguageLoadOutcome::WrongVersion;
        QTest::newRow("twice, last matches")
            << "Tavimo 3.0 language file - Tavimo  4.91" << LanguageLoadOutcome::Loaded;
        QTest::newRow("twice, last differs")
            << "Tavimo  4.91 language file for Tavimo 5" << LanguageLoadOutcome::WrongVersion;
        QTest::newRow("no Tavimo") << "Language file 4.91" << LanguageLoadOutcome::NotFound;
        QTest::newRow("lower case") << "tavimo  4.91" << LanguageLoadOutcome::NotFound;
    }
    void versionLine() {
        QFETCH(QString, versionLine);
        QFETCH(LanguageLoadOutcome, outcome);
        QTemporaryDir dir;
        writeFile(dir.filePath(languageFileName(0)), languageFile(versionLine));
        LanguageTexts texts;
        MenuCaptions captions;
        fillWithOldValues(texts, captions);
        const MenuCaptions oldCaptions = captions;
        RecordingPrompts prompts;

        const LanguageLoadResult result =
            LoadLanguage(dir.path(), 0, kVersionTitle, prompts, texts, captions);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(CheckLanguageVersion(versionLine, kVersionTitle),
                 outcome == LanguageLoadOutcome::Loaded);
        if (outcome == LanguageLoadOutcome::Loaded) {
            QVERIFY(prompts.shown.isEmpty());
            QCOMPARE(texts.LngReloadPage, QStringLiteral("E93"));
            return;
        }
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.first().text,
                 outcome == LanguageLoadOutcome::WrongVersion
                     ? QStringLiteral("Wrong language file version.")
                     : QStringLiteral("Language file not found or corrupt"));
        QCOMPARE(prompts.shown.first().title, QStringLiteral("tavimo"));
        QCOMPARE(prompts.shown.first().icon, Prompts::Icon::Exclamation);
        QCOMPARE(captions, oldCaptions);
        QCOMPARE(texts.LngBarCaption, oldText("LngBarCaption"));
        QCOMPARE(texts.LngTextTitle, QStringLiteral("old held"));
    }

    // A file that ends early keeps what it read and leaves the rest as it was.
    void shortFile_data() {
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("lastApplied");
        QTest::newRow("empty file") << 0 << 0;
        QTest::newRow("version line only") << 1 << 0;
        QTest::newRow("ends after line 40") << 40 << 39;
        QTest::newRow("ends inside the first joined pair") << 43 << 41;
        QTest::newRow("ends after the first joined pair") << 44 << 43;
        QTest::newRow("last entry missing") << 96 << 95;
    }
    void shortFile() {
        QFETCH(int, lineCount);
        QFETCH(int, lastApplied);
        QTemporaryDir dir;
        writeFile(dir.filePath(languageFileName(3)),
                  lineCount == 0 ? QByteArray()
                                 : languageFile(QStringLiteral("Tavimo  4.91"), lineCount));
        LanguageTexts texts;
        MenuCaptions captions;
        fillWithOldValues(texts, captions);
        RecordingPrompts prompts;

        const LanguageLoadResult result =
            LoadLanguage(dir.path(), 3, kVersionTitle, prompts, texts, captions);
        QCOMPARE(result.outcome, LanguageLoadOutcome::NotFound);
        QCOMPARE(result.entriesRead, qMax(0, lineCount - 1));
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.first().text,
                 QStringLiteral("Fichier langage non trouvé ou corrompu."));

        for (const MenuCaptionSlot &slot : kMenuCaptionSlots) {
            const QString expected = slot.entry <= lastApplied
                                         ? QStringLiteral("E%1").arg(slot.entry)
                                         : oldText(slot.menu);
            QCOMPARE(captions.value({QLatin1String(slot.menu), slot.index}), expected);
        }
        for (const LanguageTextSlot &slot : kLanguageTextSlots) {
            if (slot.lastEntry <= lastApplied)
                QVERIFY2(texts.*slot.text != oldText(slot.name), slot.name);
            else
                QCOMPARE(texts.*slot.text, oldText(slot.name));
        }
        QCOMPARE(texts.LngTextTitle, QStringLiteral("old held"));
    }

    void loaderMessages_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<QString>("message");
        QTest::newRow("English, missing") << 0 << false << "Language file not found or corrupt";
        QTest::newRow("Spanish, missing") << 1 << false << "Language file not found or corrupt";
        QTest::newRow("German, wrong version") << 2 << true << "Wrong language file version.";
        QTest::newRow("French, wrong version")
            << 3 << true << "Mauvaise version de fichier langage.";
        QTest::newRow("Dutch, missing") << 4 << false << "Taalbestand ontbreekt of corrupt.";
        QTest::newRow("Dutch, wrong version") << 4 << true << "Foute taalbestand versie.";
        QTest::newRow("index -1") << -1 << false << "";
        QTest::newRow("index 5") << 5 << false << "";
    }
    void loaderMessages() {
        QFETCH(int, index);
        QFETCH(bool, fileExists);
        QFETCH(QString, message);
        QTemporaryDir dir;
        if (fileExists)
            writeFile(dir.filePath(languageFileName(index)),
                      languageFile(QStringLiteral("Tavimo  4.90")));
        LanguageTexts texts;
        MenuCaptions captions;
        RecordingPrompts prompts;
        const LanguageLoadResult result =
            LoadLanguage(dir.path(), index, kVersionTitle, prompts, texts, captions);
        QVERIFY(!result.succeeded());
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.first().text, message);
        QCOMPARE(prompts.shown.first().title, QStringLiteral("tavimo"));
        QVERIFY(captions.isEmpty());
        QVERIFY(texts.LngLoading.isEmpty());
    }

    void entryValue_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("value");
        QTest::newRow("commentary and value") << "Refresh word = Refresh"
                                              << "Refresh";
        QTest::newRow("two equals signs") << "a = b = c d "
                                          << "c d";
        QTest::newRow("no equals sign") << "   whole line  "
                                        << "whole line";
        QTest::newRow("nothing after the sign") << "unused =   "
                                                << "";
        QTest::newRow("sign first") << "=value"
                                    << "value";
        QTest::newRow("inner blanks kept") << "x =  a  b  "
                                           << "a  b";
        QTest::newRow("only blanks are trimmed") << "x =\tv\t"
                                                 << "\tv\t";
        QTest::newRow("empty line") << ""
                                    << "";
    }
    void entryValue() {
        QFETCH(QString, line);
        QFETCH(QString, value);
        QCOMPARE(ReadLanguageLine(line), value);
    }

    // Where a few entries land, with the blanks and joins the loader adds.
    void entryPlacement_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("value");
        QTest::newRow("entry 1") << "mnuLang" << 0 << "E1";
        QTest::newRow("entry 5") << "mnuLang" << 4 << "E5";
        QTest::newRow("entry 6") << "mnuLanguage" << -1 << "E6";
        QTest::newRow("entry 22") << "mnuRate" << 4 << "E22";
        QTest::newRow("entry 29") << "mnuEarthView" << -1 << "E29";
        QTest::newRow("entry 31") << "mnuStView" << 1 << "E31";
        QTest::newRow("entry 32") << "LngBarCaption" << 0 << "E32";
        QTest::newRow("entries 42 and 43") << "LngUrlRules" << 0 << "E42\r\nE43";
        QTest::newRow("entry 44") << "LngAddButton" << 0 << "E44";
        QTest::newRow("entry 50") << "LngNewPicPrefix" << 0 << " E50";
        QTest::newRow("entry 51") << "LngCallSep" << 0 << " E51";
        QTest::newRow("entry 61") << "LngPage" << 0 << "E61 ";
        QTest::newRow("entries 66 and 67") << "LngInstructions" << 0 << "E66\r\nE67";
        QTest::newRow("entry 68") << "LngGrid" << 0 << "E68";
        QTest::newRow("entry 77") << "LngDay" << 0 << "E77";
        QTest::newRow("entry 86") << "LngFromPrefix" << 0 << "E86";
        QTest::newRow("entry 89") << "LngLastHeard" << 0 << "E89";
        QTest::newRow("entry 93") << "LngReloadPage" << 0 << "E93";
    }
    void entryPlacement() {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(QString, value);
        QTemporaryDir dir;
        writeFile(dir.filePath(languageFileName(2)),
                  languageFile(QStringLiteral("x Tavimo  4.91")));
        LanguageTexts texts;
        MenuCaptions captions;
        RecordingPrompts prompts;
        QVERIFY(LoadLanguage(dir.path(), 2, kVersionTitle, prompts, texts, captions).succeeded());
        if (name.startsWith(QStringLiteral("mnu"))) {
            QCOMPARE(captions.value({name, index}), value);
        } else {
            const LanguageTextSlot *slot = textSlot(name);
            QVERIFY(slot);
            QCOMPARE(texts.*slot->text, value);
        }
        for (int entry : kUnusedLanguageEntries)
            QCOMPARE(texts.unusedEntries.value(entry), QStringLiteral("E%1").arg(entry));
        // The texts no file fills come with the language.
        QCOMPARE(texts.LngReloadMessages, QStringLiteral("Nachrichten wieder laden"));
    }

    void refreshCaption_data() {
        QTest::addColumn<int>("autoRefreshMode");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("caption");
        QTest::newRow("manual") << 0 << 150 << "Refresh (manual) ";
        QTest::newRow("automatic") << 1 << 60 << "Refresh (auto 60 sec) ";
        QTest::newRow("automatic, 120") << 1 << 120 << "Refresh (auto 120 sec) ";
    }
    void refreshCaption() {
        QFETCH(int, autoRefreshMode);
        QFETCH(int, seconds);
        QFETCH(QString, caption);
        LanguageTexts texts;
        texts.LngRefresh = QStringLiteral("Refresh");
        texts.LngManual = QStringLiteral("manual");
        QCOMPARE(refreshMenuCaption(texts, autoRefreshMode, seconds), caption);
    }
};

QTEST_GUILESS_MAIN(LanguageTest)
#include "tst_language.moc"
