#include "core/base/TextCodec.h"
#include "core/text/DateOrder.h"
#include "core/text/Language.h"

#include "support/FakePrompts.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;
using Outcome = tavimo::LanguageLoadOutcome;

namespace {

const QString kTitle = QStringLiteral("Tavimo  4.91");
const QString kBundled = QStringLiteral(TAVIMO_SOURCE_DATA_DIR "/Languages");

QString oldText(const char *name) {
    return QStringLiteral("old ") + QLatin1String(name);
}

// A language file whose entry n reads "Entry n = En", cut after lineCount lines.
QByteArray languageFile(const QString &versionLine, int lineCount = 1 + kLanguageEntryCount) {
    QStringList lines{versionLine};
    for (int entry = 1; entry <= kLanguageEntryCount; ++entry)
        lines.append(QStringLiteral("Entry %1 = E%1").arg(entry));
    return lineCount == 0 ? QByteArray()
                          : encodeCp1252(lines.mid(0, lineCount).join("\r\n") + "\r\n");
}

struct Scene {
    QTemporaryDir dir;
    LanguageTexts texts;
    MenuCaptions captions;
    tavimo::test::FakePrompts prompts;

    // Texts as a previous language left them, so that a test sees what a load replaced.
    void fillWithOldValues() {
        for (const LanguageTextSlot &slot : kLanguageTextSlots)
            texts.*slot.text = oldText(slot.name);
        texts.LngTextTitle = QStringLiteral("old held");
        for (const MenuCaptionSlot &slot : kMenuCaptionSlots)
            captions.insert({QLatin1String(slot.menu), slot.index}, oldText(slot.menu));
    }
    // An empty file means no file at all.
    LanguageLoadResult load(int index, const QByteArray &file, bool write = true) {
        if (write)
            tavimo::test::writeBytes(dir.filePath(languageFileName(index)), file);
        return LoadLanguage(dir.path(), index, kTitle, prompts, texts, captions);
    }
};

} // namespace

// The language files and the system's date order: what the texts and dates of the windows
// follow.
class LanguageTest : public QObject {
    Q_OBJECT

private slots:
    void bundledFileLoads_data() {
        QTest::addColumn<int>("index");
        for (int index = 0; index < kLanguageCount; ++index)
            QTest::newRow(qPrintable(languageFileName(index))) << index;
    }
    void bundledFileLoads() {
        QFETCH(int, index);
        Scene s;
        const LanguageLoadResult result =
            LoadLanguage(kBundled, index, kTitle, s.prompts, s.texts, s.captions);
        QVERIFY(result.succeeded());
        QCOMPARE(result.entriesRead, kLanguageEntryCount);
        QVERIFY(s.prompts.calls.isEmpty());
        LanguageTexts &t = s.texts;

        // 54 named texts and 9 entries that no window shows: the 63 shared texts.
        for (const LanguageTextSlot &slot : kLanguageTextSlots)
            QVERIFY2(!(t.*slot.text).trimmed().isEmpty(), slot.name);
        QCOMPARE(t.unusedEntries.size(), qsizetype(kUnusedLanguageEntries.size()));
        QCOMPARE(s.captions.size(), qsizetype(kMenuCaptionSlots.size()));
        for (const QString &value : t.unusedEntries.values() + s.captions.values())
            QVERIFY(!value.isEmpty());

        // Placeholders where their users replace them.
        QVERIFY(t.LngLast30Tpl.contains("**"));
        for (const QString *tpl :
             {&t.LngLast30Tpl, &t.LngMapLocTpl, &t.LngNoPosTpl, &t.LngLookupTpl, &t.LngTextTitle,
              &s.captions[{"mnuEarthView", -1}]})
            QVERIFY2(tpl->contains("??"), qPrintable(*tpl));
        QVERIFY(t.LngPasteTooBig.contains("???"));
        QVERIFY(t.LngTextReadFailed.startsWith("  "));

        // The blanks and line breaks that the loader adds.
        QVERIFY(t.LngPage.endsWith(u' ') && !t.LngPage.endsWith("  "));
        QVERIFY(t.LngNewPicPrefix.startsWith(u' ') && t.LngCallSep.startsWith(u' '));
        QCOMPARE(t.LngUrlRules.count("\r\n"), 1);
        QCOMPARE(t.LngInstructions.count("\r\n"), 1);
        // A prefix that ends in a colon keeps a blank before what follows it.
        for (const QString *prefix : {&t.LngFromPrefix, &t.LngNewVersion})
            QVERIFY2(prefix->endsWith(": ") && !prefix->endsWith("  "), qPrintable(*prefix));
        QVERIFY(!t.LngSeconds.isEmpty() && !t.LngSeconds.contains(u' '));
        // The gallery tells a "new picture" caption from an age caption by this text.
        QVERIFY(!("XX9ABC" + t.LngCallSep + " 3" + t.LngDays).contains(t.LngNewPicPrefix));

        // Windows-1252 with CR LF, not UTF-8 read as Windows-1252.
        const QByteArray bytes = tavimo::test::readBytes(kBundled + '/' + languageFileName(index));
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
        QCOMPARE(bytes.count('\n'), 1 + kLanguageEntryCount);
        const QString text = decodeCp1252(bytes);
        QVERIFY(!text.contains(QChar(0x00C3)) && !text.contains(QChar(0x00C2)));
    }

    // A failure shows one box in the chosen language and changes nothing.
    void versionAndIndex_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("versionLine"); // empty: no file
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("message");
        const QString wrong = "Wrong language file version.";
        const QString missing = "Language file not found or corrupt";
        const auto row = [](const char *name, int index, const char *line, Outcome outcome,
                            const QString &message) {
            QTest::newRow(name) << index << QString(line) << outcome << message;
        };
        row("title after words", 0, "Language file English - Tavimo  4.91", Outcome::Loaded, "");
        row("title alone", 0, "Tavimo  4.91", Outcome::Loaded, "");
        row("one blank", 0, "Language file - Tavimo 4.91", Outcome::WrongVersion, wrong);
        row("trailing blank", 0, "Language file - Tavimo  4.91 ", Outcome::WrongVersion, wrong);
        row("twice, last matches", 0, "Tavimo 3.0 file - Tavimo  4.91", Outcome::Loaded, "");
        row("twice, last differs", 0, "Tavimo  4.91 for Tavimo 5", Outcome::WrongVersion, wrong);
        row("no Tavimo", 0, "Language file 4.91", Outcome::NotFound, missing);
        row("lower case", 0, "tavimo  4.91", Outcome::NotFound, missing);
        row("Spanish, missing", 1, "", Outcome::NotFound, missing);
        row("German, wrong", 2, "Tavimo  4.90", Outcome::WrongVersion, wrong);
        row("Dutch, missing", 4, "", Outcome::NotFound, "Taalbestand ontbreekt of corrupt.");
        row("index -1", -1, "", Outcome::NotFound, "");
        row("index 5", 5, "", Outcome::NotFound, "");
    }
    void versionAndIndex() {
        QFETCH(int, index);
        QFETCH(QString, versionLine);
        QFETCH(Outcome, outcome);
        QFETCH(QString, message);
        Scene s;
        s.fillWithOldValues();
        const MenuCaptions oldCaptions = s.captions;
        const auto result = s.load(index, languageFile(versionLine), !versionLine.isEmpty());
        QCOMPARE(result.outcome, outcome);
        if (!versionLine.isEmpty())
            QCOMPARE(CheckLanguageVersion(versionLine, kTitle), outcome == Outcome::Loaded);
        if (outcome == Outcome::Loaded) {
            QVERIFY(s.prompts.calls.isEmpty());
            QCOMPARE(s.texts.LngReloadPage, QStringLiteral("E93"));
            return;
        }
        QCOMPARE(s.prompts.texts(), QStringList{message});
        QCOMPARE(s.prompts.calls[0].title, QStringLiteral("tavimo"));
        QCOMPARE(s.prompts.calls[0].icon, Prompts::Icon::Exclamation);
        QCOMPARE(s.captions, oldCaptions);
        QCOMPARE(s.texts.LngBarCaption, oldText("LngBarCaption"));
        QCOMPARE(s.texts.LngTextTitle, QStringLiteral("old held"));
    }

    // A file that ends early keeps what it read and leaves the rest as it was.
    void shortFile_data() {
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("lastApplied");
        QTest::newRow("empty file") << 0 << 0;
        QTest::newRow("version line only") << 1 << 0;
        QTest::newRow("ends inside the first joined pair") << 43 << 41;
        QTest::newRow("ends after the first joined pair") << 44 << 43;
        QTest::newRow("last entry missing") << 96 << 95;
    }
    void shortFile() {
        QFETCH(int, lineCount);
        QFETCH(int, lastApplied);
        Scene s;
        s.fillWithOldValues();
        const auto result = s.load(3, languageFile(kTitle, lineCount));
        QCOMPARE(result.outcome, Outcome::NotFound);
        QCOMPARE(result.entriesRead, qMax(0, lineCount - 1));
        QCOMPARE(s.prompts.texts(), QStringList{"Fichier langage non trouvé ou corrompu."});
        for (const MenuCaptionSlot &slot : kMenuCaptionSlots)
            QCOMPARE(s.captions.value({QLatin1String(slot.menu), slot.index}),
                     slot.entry <= lastApplied ? QStringLiteral("E%1").arg(slot.entry)
                                               : oldText(slot.menu));
        for (const LanguageTextSlot &slot : kLanguageTextSlots)
            QCOMPARE(s.texts.*slot.text == oldText(slot.name), slot.lastEntry > lastApplied);
        QCOMPARE(s.texts.LngTextTitle, QStringLiteral("old held"));
    }

    void entryValue_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("value");
        const char *rows[][3] = {
            {"commentary and value", "Refresh word = Refresh", "Refresh"},
            {"two equals signs", "a = b = c d ", "c d"},
            {"no equals sign", "   whole line  ", "whole line"},
            {"nothing after the sign", "unused =   ", ""},
            {"inner blanks kept", "x =  a  b  ", "a  b"},
            {"only blanks are trimmed", "x =\tv\t", "\tv\t"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0]) << QString(r[1]) << QString(r[2]);
    }
    void entryValue() {
        QFETCH(QString, line);
        QTEST(ReadLanguageLine(line), "value");
    }

    // Where entries land, with the blanks and CR LF joins the loader adds.
    void entryPlacement() {
        Scene s;
        QVERIFY(s.load(2, languageFile("x " + kTitle)).succeeded());
        const LanguageTexts &t = s.texts;
        QCOMPARE(
            (QStringList{s.captions.value({"mnuLang", 0}), s.captions.value({"mnuLanguage", -1}),
                         s.captions.value({"mnuStView", 1}), t.LngBarCaption, t.LngUrlRules,
                         t.LngAddButton, t.LngNewPicPrefix, t.LngCallSep, t.LngPage,
                         t.LngInstructions, t.LngReloadPage}),
            (QStringList{"E1", "E6", "E31", "E32", "E42\r\nE43", "E44", " E50", " E51", "E61 ",
                         "E66\r\nE67", "E93"}));
        for (int entry : kUnusedLanguageEntries)
            QCOMPARE(t.unusedEntries.value(entry), QStringLiteral("E%1").arg(entry));
        // The texts no file fills come with the language.
        QCOMPARE(t.LngReloadMessages, "Nachrichten wieder laden");
    }

    void refreshCaption() {
        LanguageTexts texts;
        texts.LngRefresh = "Refresh";
        texts.LngManual = "manual";
        QCOMPARE(refreshMenuCaption(texts, 0, 150), "Refresh (manual) ");
        QCOMPARE(refreshMenuCaption(texts, 1, 120), "Refresh (auto 120 sec) ");
        texts.LngSeconds = "Sek.";
        QCOMPARE(refreshMenuCaption(texts, 1, 90), "Refresh (auto 90 Sek.) ");
    }

    // Short dates of Qt 6.4 for 14 October 2009: en_US 10/14/09, en_GB 14/10/2009, de_DE
    // 14.10.09, nl_NL 14-10-2009, sv_SE 2009-10-14, ko_KR 09. 10. 14., hu_HU 2009. 10. 14.,
    // C 14 Oct 2009.
    void dateOrderOfTheLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<DateOrder::Order>("order");
        QTest::addColumn<QString>("separator");
        const auto row = [&](const char *locale, DateOrder::Order order, const char *separator) {
            QTest::newRow(locale) << locale << order << separator;
        };
        row("en_US", DateOrder::MonthFirst, "/");
        row("en_GB", DateOrder::DayFirst, "/");
        row("de_DE", DateOrder::DayFirst, ".");
        row("nl_NL", DateOrder::DayFirst, "-");
        row("sv_SE", DateOrder::YearFirst, "-");
        row("ko_KR", DateOrder::YearFirst, "."); // two-digit year first
        row("hu_HU", DateOrder::YearFirst, "."); // dot before blank
        row("C", DateOrder::MonthFirst, " ");    // month as a word: no order to turn to
    }
    void dateOrderOfTheLocale() {
        QFETCH(QString, locale);
        QFETCH(DateOrder::Order, order);
        const DateOrder detected = DateOrder::fromLocale(QLocale(locale));
        QCOMPARE(detected.order, order);
        QTEST(detected.separator, "separator");
        QCOMPARE(detected.zeroChar(), order == DateOrder::YearFirst ? "0" : "\u00D8");
    }

    // `inPlace` is what the caller's text holds afterwards: dashes and dots became slashes.
    void normalizeDate_data() {
        for (const char *column : {"locale", "date", "result", "inPlace"})
            QTest::addColumn<QString>(column);
        const auto row = [](const char *name, const char *locale, const char *date,
                            const char *result, const char *inPlace) {
            QTest::newRow(name) << locale << date << result << inPlace;
        };
        row("en_US", "en_US", "10-14-2009 13:05", "10/14/2009 13:05", "10/14/2009 13:05");
        row("en_GB", "en_GB", "10/14/09 13:05", "14/10/09 13:05", "10/14/09 13:05");
        row("de_DE", "de_DE", "10.14.2009 13:05", "14.10.2009 13:05", "10/14/2009 13:05");
        row("fr_FR", "fr_FR", "1/2/2024 08:00", "2/1/2024 08:00", "1/2/2024 08:00");
        row("nl_NL", "nl_NL", "10/14/2009", "14-10-2009", "10/14/2009");
        row("sv_SE", "sv_SE", "10/14/2009 13:05", "2009-10-14 13:05", "10/14/2009 13:05");
        row("sv_SE two-digit year", "sv_SE", "10-14-09 13:05", "09-10-14 13:05", "10/14/09 13:05");
        row("C", "C", "10/14/2009 13:05", "10/14/2009 13:05", "10/14/2009 13:05");
        // Malformed dates come back as they stand after the replacement.
        row("one separator", "de_DE", "10-14", "10/14", "10/14");
        row("no separator", "en_GB", "yesterday", "yesterday", "yesterday");
        row("empty", "en_GB", "", "", "");
        row("no time", "sv_SE", "10.14.2009", "10/14/2009", "10/14/2009");
        row("time too short", "sv_SE", "10/14/2009 1:5", "10/14/2009 1:5", "10/14/2009 1:5");
    }
    void normalizeDate() {
        QFETCH(QString, locale);
        QFETCH(QString, date);
        QTEST(NormalizeDate(date, DateOrder::fromLocale(QLocale(locale))), "result");
        QTEST(date, "inPlace");
    }
};

QTEST_GUILESS_MAIN(LanguageTest)
#include "tst_language.moc"
