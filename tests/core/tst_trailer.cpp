#include "core/thumbs/PictureTrailer.h"
#include "core/thumbs/SlotPictures.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

namespace {

const QString slashedO = QStringLiteral("\u00D8");

// Picture-like bytes that hold no "*".
QByteArray pictureBytes(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(0x40 + i % 50);
    bytes[0] = char(0xFF);
    return bytes;
}

const QByteArray pic = pictureBytes(5000);
const QByteArray text1998(1998, 'T');
const QByteArray text1999(1999, 'T');

} // namespace

class TrailerTest : public QObject {
    Q_OBJECT

private slots:
    void split_data() {
        QTest::addColumn<QByteArray>("download");
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<QString>("text"); // null: no trailer

        const QByteArray old = "***OLD*x*1/1/09 1:00";
        QTest::newRow("no trailer") << pic << pic << QString();
        QTest::newRow("normal trailer")
            << pic + "***XX9ABC*OK*10/14/09 12:34:56" << pic << "XX9ABC*OK*10/14/09 12:34:56";
        QTest::newRow("slashed zero byte")
            << pic + "***XX\xD8" + "ABC*OK" << pic << "XX" + slashedO + "ABC*OK";
        QTest::newRow("two markers, the later wins")
            << pic + old + "***XX9ABC*OK" << pic + old << "XX9ABC*OK";
        QTest::newRow("*** as the last three bytes") << pic + "***" << pic + "***" << QString();
        QTest::newRow("**** at the end") << pic + "****" << pic << "*";
        QTest::newRow("CR LF in the trailer") << pic + "***A*OK*1\r\n" << pic << "A*OK*1\r\n";
        QTest::newRow("1998 text bytes are a trailer")
            << pic + "***" + text1998 << pic << QString(text1998);
        QTest::newRow("1999 text bytes are not")
            << pic + "***" + text1999 << pic + "***" + text1999 << QString();
        QTest::newRow("empty") << QByteArray() << QByteArray() << QString();
    }
    void split() {
        QFETCH(QByteArray, download);
        QFETCH(QString, text);
        const SplitPicture split = splitPictureTrailer(download);
        QCOMPARE(split.hasTrailer, !text.isNull());
        QTEST(split.picture, "picture");
        QCOMPARE(split.text, text.isNull() ? QString() : text);
    }

    // fields: sender|status|date|slot caption|gallery caption
    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("fieldCount");
        QTest::addColumn<QString>("fields");

        const QString ok = "XX9ABC|OK|10/14/2009 12:34|From: XX9ABC|From: XX9ABC";
        QTest::newRow("normal, seconds dropped") << "XX9ABC*OK*10/14/09 12:34:56" << 3 << ok;
        QTest::newRow("slashed zero in the sender")
            << "XX" + slashedO + "ABC*OK*10/14/09 12:34" << 3
            << "XX0ABC|OK|10/14/2009 12:34|From: XX" + slashedO + "ABC|From: XX" + slashedO + "ABC";
        QTest::newRow("no colon") << "XX9ABC*OK*10/14/09" << 0 << "||||";
        QTest::newRow("colon in the sender: one field")
            << "XX9:ABC*OK*10/14/09 12:34" << 1 << "XX9:AB||||From: XX9:AB";
        QTest::newRow("four-digit year gains 20 all the same")
            << "XX9ABC*OK*10/14/2009 12:34" << 3
            << "XX9ABC|OK|10/14/202009 12:34|From: XX9ABC|From: XX9ABC";
        QTest::newRow("dots as separators")
            << "XX9ABC*OK*14.10.09 12:34" << 3
            << "XX9ABC|OK|14.10.2009 12:34|From: XX9ABC|From: XX9ABC";
        QTest::newRow("CR LF after the time") << "XX9ABC*OK*10/14/09 12:34\r\n" << 3 << ok;
        QTest::newRow("date too short for the year fix")
            << "A*B*1:23" << 3 << "A|B|1:23|From: A|From: A";
    }
    void parse() {
        QFETCH(QString, text);
        const TrailerFields f = parseTrailerText(text);
        QTEST(f.fieldCount, "fieldCount");
        const QString prefix = QStringLiteral("From: ");
        QTEST(QStringList({f.sender, f.status, f.date,
                           senderCaption(f, TrailerReader::Slot, prefix, slashedO),
                           senderCaption(f, TrailerReader::Gallery, prefix, slashedO)})
                  .join(u'|'),
              "fields");
    }

    // What a picture answer leaves on disk, in the slot table and in the list:
    // stFrom|stInfo|lblFrom|LastPictureDate
    void store_data() {
        QTest::addColumn<QByteArray>("download");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<QString>("result");

        QTest::newRow("SSTV with trailer")
            << pic + "***XX\xD8" + "ABC*OK*10/14/09 12:34:56" << false
            << "XX0ABC|OK|From: XX" + slashedO + "ABC|10/14/2009 12:34";
        QTest::newRow("SSTV without trailer") << pic << false << "|Old||earlier";
        QTest::newRow("WX stores no date")
            << pic + "***NOAA*OK*10/14/09 12:34" << true << "NOAA|OK|From: NOAA|earlier";
    }
    void store() {
        QFETCH(QByteArray, download);
        QFETCH(bool, wxPage);
        QTemporaryDir dir;
        AppPaths paths;
        paths.dataFolder = dir.path();
        // An older, longer picture in the slot must not leave a tail behind.
        QVERIFY(test::writeBytes(slotPictureFile(paths, wxPage, 4), QByteArray(9000, 'o')));
        SlotTable table;
        table.setValue(4, stTime, QStringLiteral("previous"));
        SiteList sites(3);
        for (SiteRecord &s : sites)
            s.LastPictureDate = QStringLiteral("earlier");
        LanguageTexts texts;
        texts.LngFromPrefix = QStringLiteral("From: ");

        const StoredSlotPicture stored = storeSlotPicture(download, SlotTarget{4, 1}, wxPage, paths,
                                                          table, sites, texts, slashedO);
        QVERIFY(stored.stored);
        QCOMPARE(stored.file, paths.data(wxPage ? "images/wx/4" : "images/sstv/4"));
        QCOMPARE(test::readBytes(stored.file), splitPictureTrailer(download).picture);
        QTEST(QStringList({table.value(4, stFrom), table.value(4, stInfo), stored.lblFrom,
                           sites.at(1).LastPictureDate})
                  .join(u'|'),
              "result");
        QCOMPARE(table.value(4, stTime), QString());
        QCOMPARE(sites.at(0).LastPictureDate + sites.at(2).LastPictureDate, "earlierearlier");
    }

    void storeFailureStillFillsTheTable() {
        QTemporaryDir dir;
        AppPaths paths;
        paths.dataFolder = dir.path() + "/missing";
        SlotTable table;
        SiteList sites(1);
        const StoredSlotPicture stored =
            storeSlotPicture(pictureBytes(100) + "***XX9ABC*OK*10/14/09 12:34", SlotTarget{2, 0},
                             false, paths, table, sites, LanguageTexts(), slashedO);
        QVERIFY(!stored.stored);
        QVERIFY(!stored.error.isEmpty());
        QVERIFY(!QFile::exists(stored.file));
        QCOMPARE(table.value(2, stFrom), QStringLiteral("XX9ABC"));
        QCOMPARE(sites.at(0).LastPictureDate, QStringLiteral("10/14/2009 12:34"));
    }
};

QTEST_GUILESS_MAIN(TrailerTest)
#include "tst_trailer.moc"
