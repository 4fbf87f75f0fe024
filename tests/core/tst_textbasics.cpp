#include "core/Numbers.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace tavimo;

class TextBasicsTest : public QObject {
    Q_OBJECT

private slots:
    void everyByteRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        const QString text = decodeCp1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(encodeCp1252(text), all);
        QCOMPARE(text.at(0xD8), QChar(0x00D8)); // Ø
        QCOMPARE(text.at(0x80), QChar(0x20AC)); // €
    }

    void unmappableCharactersBecomeQuestionMarks() {
        QCOMPARE(encodeCp1252(u"a\u4E2Db"), QByteArray("a?b"));
    }

    void splitLines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QByteArray() << QStringList{};
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("lf") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("cr") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("no terminator") << QByteArray("a") << QStringList{"a"};
        QTest::newRow("trailing empty line")
            << QByteArray("a\r\n\r\n") << QStringList{"a", ""};
        QTest::newRow("blank lines kept") << QByteArray("\r\n\r\nx") << QStringList{"", "", "x"};
    }
    void splitLines() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(splitTextLines(bytes), lines);
    }

    void writeThenReadIsByteExact() {
        QTemporaryDir dir;
        const QString path = dir.filePath("x.txt");
        QVERIFY(writeTextLines(path, QStringList{QString::fromUtf16(u"SM0\u00D8X*1"), "", "http://a/b"}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("SM0\xD8X*1\r\n\r\nhttp://a/b\r\n"));
        QCOMPARE(*readTextLines(path), (QStringList{QString::fromUtf16(u"SM0\u00D8X*1"), "", "http://a/b"}));
    }

    void failedWriteKeepsOldFileAndNamesIt() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("ro");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/keep.txt";
        QVERIFY(writeTextLines(path, {"old"}));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(folder).isWritable())
            QSKIP("running with rights that ignore folder permissions");
        const WriteResult result = writeTextLines(path, {"new"});
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains("keep.txt"));
        QCOMPARE(*readTextLines(path), QStringList{"old"});
    }

    void missingFileReadsAsNothing() {
        QVERIFY(!readTextLines("/nonexistent/folder/file.txt").has_value());
    }

    void val_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "42" << 42.0;
        QTest::newRow("decimal") << "41.5" << 41.5;
        QTest::newRow("negative") << "-81.2" << -81.2;
        QTest::newRow("leading blanks") << "   7" << 7.0;
        QTest::newRow("comma ends the number") << "42,5" << 42.0;
        QTest::newRow("text after") << "60 sec" << 60.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("only sign") << "-" << 0.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("second point ends") << "1.2.3" << 1.2;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("dangling exponent") << "12e" << 12.0;
        QTest::newRow("inner blanks skipped") << "1 2" << 12.0;
        QTest::newRow("plus sign") << "+3" << 3.0;
    }
    void val() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(Val(text), value);
    }

    void rounding_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("rounded");
        QTest::newRow("0.5") << 0.5 << 0.0;
        QTest::newRow("1.5") << 1.5 << 2.0;
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("2.6") << 2.6 << 3.0;
    }
    void rounding() {
        QFETCH(double, value);
        QFETCH(double, rounded);
        QCOMPARE(roundHalfEven(value), rounded);
    }

    void wholeNumbersRespectTheirWidth() {
        QCOMPARE(toInt16(32767.4), std::optional<std::int16_t>(32767));
        QVERIFY(!toInt16(32768.0).has_value());
        QVERIFY(!toInt16(-32769.0).has_value());
        QCOMPARE(toInt32(70000.0), std::optional<std::int32_t>(70000));
        QVERIFY(!toInt32(3e9).has_value());
        QVERIFY(!toInt16(std::nan("")).has_value());
    }

    void numberText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 42.0 << "42";
        QTest::newRow("half") << 42.5 << "42.5";
        QTest::newRow("negative") << -81.25 << "-81.25";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("tiny") << 0.0000001 << "0.0000001";
        QTest::newRow("huge") << 1e20 << "100000000000000000000";
        QTest::newRow("fifteen digits") << 0.1 + 0.2 << "0.3";
        QTest::newRow("lat") << 41.5 << "41.5";
        QTest::newRow("lon") << -81.2 << "-81.2";
    }
    void numberText() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(tavimo::numberText(value), text);
    }
};

QTEST_GUILESS_MAIN(TextBasicsTest)
#include "tst_textbasics.moc"
