#include "core/base/Numbers.h"
#include "core/base/TextCodec.h"
#include "core/base/TextFile.h"

#include "FileSizeLimit.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cmath>
#include <cstring>

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

    void writeThenReadIsByteExact() {
        QTemporaryDir dir;
        const QString path = dir.filePath("x.txt");
        const QStringList lines{QString::fromUtf16(u"SM0\u00D8X*1"), "", "http://a/b"};
        QVERIFY(writeTextLines(path, lines).ok);
        QCOMPARE(tavimo::test::readBytes(path), QByteArray("SM0\xD8X*1\r\n\r\nhttp://a/b\r\n"));
        QCOMPARE(*readTextLines(path), lines);
        QVERIFY(!readTextLines(dir.filePath("missing/file.txt")).has_value());
        QCOMPARE(splitTextLines("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
        QCOMPARE(splitTextLines("\r\n\r\nx\r\n\r\n"), (QStringList{"", "", "x", ""}));
        QVERIFY(splitTextLines(QByteArray()).isEmpty());
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

    // A full disk: the old file stays whole and the message says why.
    void fullDiskKeepsOldFile_data() {
        QTest::addColumn<int>("lineCount");
        QTest::newRow("fails at the last flush") << 10; // Qt buffers the small file
        QTest::newRow("fails at the write") << 10000;   // larger than Qt's buffer
    }
    void fullDiskKeepsOldFile() {
        QFETCH(int, lineCount);
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.txt");
        QVERIFY(writeTextLines(path, {"old"}).ok);
        WriteResult result;
        {
            tavimo::test::FileSizeLimit full(4);
            result = writeTextLines(path, QStringList(lineCount, "a line that does not fit"));
        }
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains("keep.txt") &&
                     result.error.contains(QString::fromLocal8Bit(std::strerror(EFBIG))),
                 qPrintable(result.error));
        QCOMPARE(tavimo::test::readBytes(path), QByteArray("old\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.txt"});
    }

    // Windows editors save "Unicode" as UTF-16 with a mark; NUL outside
    // UTF-16, or NUL characters within it, are no text.
    void textFileEncodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines"); // {"<no text>"}: refused
        const QString text = QString::fromUtf16(u"SM\u00D8A*1\r\n\u0416\r\n");
        const QStringList lines{QString::fromUtf16(u"SM\u00D8A*1"), QString::fromUtf16(u"\u0416")};
        QByteArray le("\xFF\xFE"), be("\xFE\xFF");
        for (const QChar c : text) {
            le += char(c.unicode() & 0xFF), le += char(c.unicode() >> 8);
            be += char(c.unicode() >> 8), be += char(c.unicode() & 0xFF);
        }
        QTest::newRow("Windows-1252") << QByteArray("SM\xD8"
                                                    "A*1\r\n\x80")
                                      << QStringList{"SM\u00D8A*1", "\u20AC"};
        QTest::newRow("UTF-16 LE") << le << lines;
        QTest::newRow("UTF-16 BE") << be << lines;
        QTest::newRow("Windows-1252 that starts like a mark")
            << QByteArray("\xFF\xFEK1A*1\r\n") << QStringList{"\u00FF\u00FEK1A*1"};
        QTest::newRow("UTF-16 with NUL") << le + QByteArray(2, 0) << QStringList{"<no text>"};
        QTest::newRow("UTF-16 without mark") << le.mid(2) << QStringList{"<no text>"};
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)
                                << QStringList{"<no text>"};
    }
    void textFileEncodings() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath("list.lst");
        tavimo::test::writeBytes(path, bytes);
        QCOMPARE(readTextLines(path).value_or(QStringList{"<no text>"}), lines);
    }

    void numbers() {
        const QStringList texts{"-81.2", "   7",  "42,5", "60 sec", "abc", "-",
                                ".5",    "1.2.3", "1e3",  "12e",    "1 2"};
        const QList<double> values{-81.2, 7, 42, 60, 0, 0, 0.5, 1.2, 1000, 12, 12};
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(Val(texts[i]), values[i]);
        const QList<double> halves{0.5, 1.5, 2.5, -2.5}, rounded{0, 2, 2, -2};
        for (int i = 0; i < halves.size(); ++i)
            QCOMPARE(roundHalfEven(halves[i]), rounded[i]);
        QCOMPARE(toInt16(32767.4), std::optional<std::int16_t>(32767));
        QVERIFY(!toInt16(32768.0) && !toInt16(-32769.0) && !toInt16(std::nan("")));
        QCOMPARE(toInt32(70000.0), std::optional<std::int32_t>(70000));
        QVERIFY(!toInt32(3e9));
        const QList<double> numbers{42, -81.2, -0.0, 0.0000001, 1e20, 0.1 + 0.2};
        const QStringList written{"42", "-81.2", "0", "0.0000001", "100000000000000000000", "0.3"};
        for (int i = 0; i < numbers.size(); ++i)
            QCOMPARE(numberText(numbers[i]), written[i]);
    }
};

QTEST_GUILESS_MAIN(TextBasicsTest)
#include "tst_textbasics.moc"
