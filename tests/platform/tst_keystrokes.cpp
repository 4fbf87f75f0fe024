#include "platform/Keystrokes.h"

#include <QTest>

using namespace tavimo;

namespace {

// Parsed keystrokes in their readable form, or "invalid".
QStringList described(const QString &notation) {
    const auto strokes = parseKeystrokes(notation);
    if (!strokes)
        return {QStringLiteral("invalid")};
    QStringList list;
    for (const KeyStroke &stroke : *strokes)
        list.append(describeKeystroke(stroke));
    return list;
}

} // namespace

class KeystrokesTest : public QObject {
    Q_OBJECT

private slots:
    void notation_data() {
        QTest::addColumn<QString>("notation");
        QTest::addColumn<QStringList>("strokes");
        QTest::newRow("alt+E menu") << "%{E}" << QStringList{"Alt+E"};
        QTest::newRow("braced letter is the key") << "{P}" << QStringList{"P"};
        QTest::newRow("braced lower case is the same key") << "{p}" << QStringList{"P"};
        QTest::newRow("function key") << "{F7}" << QStringList{"F7"};
        QTest::newRow("function key lower case") << "{f12}" << QStringList{"F12"};
        QTest::newRow("ctrl+v typed") << "^v" << QStringList{"Ctrl+'v'"};
        QTest::newRow("shift+a typed") << "+a" << QStringList{"Shift+'a'"};
        QTest::newRow("plain text") << "abc" << QStringList{"'a'", "'b'", "'c'"};
        QTest::newRow("upper case text stays text") << "A1" << QStringList{"'A'", "'1'"};
        QTest::newRow("enter") << "{ENTER}" << QStringList{"ENTER"};
        QTest::newRow("tilde is enter") << "~" << QStringList{"ENTER"};
        QTest::newRow("tab") << "{tab}" << QStringList{"TAB"};
        QTest::newRow("braced digit") << "{7}" << QStringList{"7"};
        QTest::newRow("modifiers combine") << "^%{DEL}" << QStringList{"Ctrl+Alt+DELETE"};
        QTest::newRow("modifier holds one key only") << "%{E}p" << QStringList{"Alt+E", "'p'"};
        QTest::newRow("escaped plus") << "{+}" << QStringList{"'+'"};
        QTest::newRow("escaped percent") << "{%}" << QStringList{"'%'"};
        QTest::newRow("escaped open brace") << "{{}" << QStringList{"'{'"};
        QTest::newRow("escaped close brace") << "{}}" << QStringList{"'}'"};
        QTest::newRow("blank is text") << "a b" << QStringList{"'a'", "' '", "'b'"};
        QTest::newRow("non-ascii text")
            << QString::fromUtf16(u"\u00D8") << QStringList{QString::fromUtf16(u"'\u00D8'")};
        QTest::newRow("empty sends nothing") << "" << QStringList{};

        QTest::newRow("unknown key name") << "{ENTR}" << QStringList{"invalid"};
        QTest::newRow("F0 does not exist") << "{F0}" << QStringList{"invalid"};
        QTest::newRow("F25 does not exist") << "{F25}" << QStringList{"invalid"};
        QTest::newRow("open brace") << "{F7" << QStringList{"invalid"};
        QTest::newRow("empty braces") << "{}" << QStringList{"invalid"};
        QTest::newRow("stray close brace") << "a}" << QStringList{"invalid"};
        QTest::newRow("modifier without key") << "a%" << QStringList{"invalid"};
        QTest::newRow("groups are not supported") << "+(ab)" << QStringList{"invalid"};
        QTest::newRow("control character") << "a\tb" << QStringList{"invalid"};
    }
    void notation() {
        QFETCH(QString, notation);
        QFETCH(QStringList, strokes);
        QCOMPARE(described(notation), strokes);
    }

    // The readable form hides which field holds what: check the fields once.
    void strokeFields() {
        const auto alt = parseKeystrokes(u"%{E}");
        QVERIFY(alt);
        QCOMPARE(alt->size(), 1);
        QCOMPARE(alt->front().key, Qt::Key_E);
        QCOMPARE(alt->front().modifiers, Qt::KeyboardModifiers(Qt::AltModifier));
        QVERIFY(alt->front().text.isNull());

        const auto text = parseKeystrokes(u"+a");
        QVERIFY(text);
        QCOMPARE(text->front().key, Qt::Key_unknown);
        QCOMPARE(text->front().text, QChar(u'a'));
        QCOMPARE(text->front().modifiers, Qt::KeyboardModifiers(Qt::ShiftModifier));
    }
};

QTEST_APPLESS_MAIN(KeystrokesTest)
#include "tst_keystrokes.moc"
