#include "core/Numbers.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include "support/TestFiles.h"

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
        QCOMPARE(encodeCp1252(text), all);
        QCOMPARE(text.at(0xD8), QChar(0x00D8)); // Ø
        QCOMPARE(text.at(0x80), QChar(0x20AC)); // €
        QCOMPARE(encodeCp1252(u"a\u4E2Db"), QByteArray("a?b"));
    }

    void splitLines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QByteArray() << QStringList{};
        QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("trailing empty line") << QByteArray("a\r\n\r\n") << QStringList{"a", ""};
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
        const QStringList lines{QString::fromUtf16(u"SM0\u00D8X*1"), "", "http://a/b"};
        QVERIFY(writeTextLines(path, lines).ok);
        QCOMPARE(tavimo::test::readBytes(path), QByteArray("SM0\xD8X*1\r\n\r\nhttp://a/b\r\n"));
        QCOMPARE(*readTextLines(path), lines);
        QVERIFY(!readTextLines(dir.filePath("missing/file.txt")).has_value());
    }

    void failedWriteKeepsOldFileAndNamesIt() {
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.txt");
        QVERIFY(writeTextLines(path, {"old"}).ok);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const WriteResult result = writeTextLines(path, {"new"});
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (result.ok)
            QSKIP("running with rights that ignore folder permissions");
        QVERIFY(result.error.contains("keep.txt"));
        QCOMPARE(*readTextLines(path), QStringList{"old"});
    }

    void val_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        const struct {
            const char *text;
            double value;
        } rows[] = {{"-81.2", -81.2}, {"   7", 7}, {"42,5", 42}, {"60 sec", 60}, {"abc", 0},
                    {"", 0},          {"-", 0},    {".5", 0.5},  {"1.2.3", 1.2}, {"1e3", 1000},
                    {"12e", 12},      {"1 2", 12}, {"+3", 3}};
        for (const auto &r : rows)
            QTest::newRow(r.text) << QString(r.text) << r.value;
    }
    void val() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(Val(text), value);
    }

    void roundingAndWidths() {
        for (auto [value, rounded] :
             {std::pair{0.5, 0.0}, {1.5, 2.0}, {2.5, 2.0}, {-2.5, -2.0}, {2.6, 3.0}})
            QCOMPARE(roundHalfEven(value), rounded);
        QCOMPARE(toInt16(32767.4), std::optional<std::int16_t>(32767));
        QVERIFY(!toInt16(32768.0).has_value());
        QVERIFY(!toInt16(-32769.0).has_value());
        QCOMPARE(toInt32(70000.0), std::optional<std::int32_t>(70000));
        QVERIFY(!toInt32(3e9).has_value());
        QVERIFY(!toInt16(std::nan("")).has_value());
    }

    void numberText() {
        const std::pair<double, const char *> rows[] = {{42.0, "42"},
                                                        {-81.25, "-81.25"},
                                                        {-0.0, "0"},
                                                        {0.0000001, "0.0000001"},
                                                        {1e20, "100000000000000000000"},
                                                        {0.1 + 0.2, "0.3"},
                                                        {41.5, "41.5"},
                                                        {-81.2, "-81.2"}};
        for (auto [value, text] : rows)
            QCOMPARE(tavimo::numberText(value), QString(text));
    }
};

QTEST_GUILESS_MAIN(TextBasicsTest)
#include "tst_textbasics.moc"
