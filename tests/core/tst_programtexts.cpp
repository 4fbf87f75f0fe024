#include "core/text/Language.h"
#include "core/text/ProgramTexts.h"

#include <QTest>

#include <climits>

using namespace tavimo;

Q_DECLARE_METATYPE(tavimo::ProgramText)

// The texts held in the program: one set per language, whatever index asks for it.
class ProgramTextsTest : public QObject {
    Q_OBJECT

private slots:
    void languageIndex_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0 << 0;
        QTest::newRow("Dutch") << 4 << 4;
        QTest::newRow("below 0") << -1 << 0;
        QTest::newRow("lowest") << INT_MIN << 0;
        QTest::newRow("above 4") << 5 << 4;
        QTest::newRow("largest stored") << 32767 << 4;
    }
    void languageIndex() {
        QFETCH(int, index);
        QFETCH(int, language);
        QCOMPARE(clampLanguageIndex(index), language);
        for (int text = 0; text < kProgramTextCount; ++text) {
            const QString shown = programText(ProgramText(text), index);
            QVERIFY2(!shown.trimmed().isEmpty(), qPrintable(QString::number(text)));
            QCOMPARE(shown, programText(ProgramText(text), language));
        }
    }

    // What their users replace must stand in every language, or a callsign, a number or a
    // menu item silently drops out of the sentence.
    void placeholders_data() {
        QTest::addColumn<ProgramText>("text");
        QTest::addColumn<QStringList>("placeholders");
        QTest::newRow("paste too big") << ProgramText::PasteTooBig << QStringList{"???"};
        QTest::newRow("text title") << ProgramText::TextTitle << QStringList{"??"};
        QTest::newRow("data folder") << ProgramText::DataFolderReadOnly << QStringList{"??"};
        QTest::newRow("empty lists") << ProgramText::EmptyListsNote << QStringList{"%1", "%2"};
        QTest::newRow("unlistable") << ProgramText::UnlistableCharacter << QStringList{"%1", "%2"};
        QTest::newRow("kept") << ProgramText::KeptWhileRefused << QStringList{"%1"};
        QTest::newRow("street") << ProgramText::StreetViewCaption << QStringList{"xxx"};
        QTest::newRow("satellite") << ProgramText::SatelliteViewCaption << QStringList{"xxx"};
        QTest::newRow("cannot open") << ProgramText::MapCannotOpen << QStringList{"xxx"};
        QTest::newRow("no browser") << ProgramText::NoWebBrowser << QStringList{"xxx"};
        QTest::newRow("sites checked") << ProgramText::NewSitesChecked << QStringList{"%1", "%2"};
    }
    void placeholders() {
        QFETCH(ProgramText, text);
        QFETCH(QStringList, placeholders);
        for (int language = 0; language < kLanguageCount; ++language) {
            for (const QString &placeholder : placeholders)
                QVERIFY2(programText(text, language).contains(placeholder),
                         qPrintable(programText(text, language)));
        }
    }
};

QTEST_GUILESS_MAIN(ProgramTextsTest)
#include "tst_programtexts.moc"
