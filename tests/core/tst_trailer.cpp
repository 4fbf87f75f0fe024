#include "core/PictureTrailer.h"
#include "core/SlotPictures.h"

#include <QFile>
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

QByteArray textBytes(int size) {
    return QByteArray(size, 'T');
}

LanguageTexts texts() {
    LanguageTexts t;
    t.LngFromPrefix = QStringLiteral("From: ");
    return t;
}

} // namespace

class TrailerTest : public QObject {
    Q_OBJECT

private slots:
    void split_data() {
        QTest::addColumn<QByteArray>("download");
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<bool>("hasTrailer");
        QTest::addColumn<QString>("text");

        const QByteArray pic = pictureBytes(5000);
        QTest::newRow("no trailer") << pic << pic << false << QString();
        QTest::newRow("normal trailer") << pic + "***XX9ABC*OK*10/14/09 12:34:56" << pic << true
                                        << "XX9ABC*OK*10/14/09 12:34:56";
        QTest::newRow("slashed zero byte")
            << pic + "***XX\xD8"
                     "ABC*OK*10/14/09 12:34"
            << pic << true << "XX" + slashedO + "ABC*OK*10/14/09 12:34";
        QTest::newRow("two markers, the later wins")
            << pic + "***OLD*x*1/1/09 1:00" + "***XX9ABC*OK*10/14/09 12:34"
            << pic + "***OLD*x*1/1/09 1:00" << true << "XX9ABC*OK*10/14/09 12:34";
        QTest::newRow("*** as the last three bytes")
            << pic + "***" << pic + "***" << false << QString();
        QTest::newRow("**** at the end") << pic + "****" << pic << true << "*";
        QTest::newRow("CR LF in the trailer") << pic + "***XX9ABC*OK*10/14/09 12:34\r\n"
                                              << pic << true << "XX9ABC*OK*10/14/09 12:34\r\n";
        QTest::newRow("1998 text bytes are a trailer")
            << pic + "***" + textBytes(1998) << pic << true << QString(textBytes(1998));
        QTest::newRow("1999 text bytes are not")
            << pic + "***" + textBytes(1999) << pic + "***" + textBytes(1999) << false << QString();
        QTest::newRow("short download, marker at the start")
            << QByteArray("***" + textBytes(1998)) << QByteArray() << true
            << QString(textBytes(1998));
        QTest::newRow("four bytes") << QByteArray("***X") << QByteArray() << true << "X";
        QTest::newRow("three bytes")
            << QByteArray("***") << QByteArray("***") << false << QString();
        QTest::newRow("empty") << QByteArray() << QByteArray() << false << QString();
    }
    void split() {
        QFETCH(QByteArray, download);
        QFETCH(QByteArray, picture);
        QFETCH(bool, hasTrailer);
        QFETCH(QString, text);

        const SplitPicture split = splitPictureTrailer(download);
        QCOMPARE(split.hasTrailer, hasTrailer);
        QCOMPARE(split.picture, picture);
        QCOMPARE(split.text, text);
    }

    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("fieldCount");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("slotCaption");
        QTest::addColumn<QString>("galleryCaption");

        QTest::newRow("normal, seconds dropped") << "XX9ABC*OK*10/14/09 12:34:56" << 3 << "XX9ABC"
                                                 << "OK"
                                                 << "10/14/2009 12:34"
                                                 << "From: XX9ABC"
                                                 << "From: XX9ABC";
        QTest::newRow("slashed zero in the sender")
            << "XX" + slashedO + "ABC*OK*10/14/09 12:34" << 3 << "XX0ABC"
            << "OK"
            << "10/14/2009 12:34"
            << "From: XX" + slashedO + "ABC"
            << "From: XX" + slashedO + "ABC";
        QTest::newRow("no colon") << "XX9ABC*OK*10/14/09" << 0 << ""
                                  << ""
                                  << ""
                                  << ""
                                  << "";
        QTest::newRow("Mode: X keeps the character after the blank")
            << "XX9ABC*Mode: X*10/14/09 12:34" << 2 << "XX9ABC"
            << "Mode: X"
            << ""
            << "From: XX9ABC"
            << "From: XX9ABC";
        QTest::newRow("colon in the sender: one field")
            << "XX9:ABC*OK*10/14/09 12:34" << 1 << "XX9:AB"
            << ""
            << ""
            << ""
            << "From: XX9:AB";
        QTest::newRow("four-digit year gains 20 all the same")
            << "XX9ABC*OK*10/14/2009 12:34" << 3 << "XX9ABC"
            << "OK"
            << "10/14/202009 12:34"
            << "From: XX9ABC"
            << "From: XX9ABC";
        QTest::newRow("dots as separators") << "XX9ABC*OK*14.10.09 12:34" << 3 << "XX9ABC"
                                            << "OK"
                                            << "14.10.2009 12:34"
                                            << "From: XX9ABC"
                                            << "From: XX9ABC";
        QTest::newRow("CR LF after the time") << "XX9ABC*OK*10/14/09 12:34\r\n"
                                              << 3 << "XX9ABC"
                                              << "OK"
                                              << "10/14/2009 12:34"
                                              << "From: XX9ABC"
                                              << "From: XX9ABC";
        QTest::newRow("CR LF before the sender") << "\r\nXX9ABC*OK*10/14/09 12:34" << 3 << "XX9ABC"
                                                 << "OK"
                                                 << "10/14/2009 12:34"
                                                 << "From: XX9ABC"
                                                 << "From: XX9ABC";
        QTest::newRow("date too short for the year fix") << "A*B*1:23" << 3 << "A"
                                                         << "B"
                                                         << "1:23"
                                                         << "From: A"
                                                         << "From: A";
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(int, fieldCount);
        QFETCH(QString, sender);
        QFETCH(QString, status);
        QFETCH(QString, date);
        QFETCH(QString, slotCaption);
        QFETCH(QString, galleryCaption);

        const TrailerFields fields = parseTrailerText(text);
        QCOMPARE(fields.fieldCount, fieldCount);
        QCOMPARE(fields.sender, sender);
        QCOMPARE(fields.status, status);
        QCOMPARE(fields.date, date);
        const QString prefix = QStringLiteral("From: ");
        QCOMPARE(senderCaption(fields, TrailerReader::Slot, prefix, slashedO), slotCaption);
        QCOMPARE(senderCaption(fields, TrailerReader::Gallery, prefix, slashedO), galleryCaption);
    }

    void centuryYear_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("fixed");

        QTest::newRow("slashes") << "10/14/09 12:34"
                                 << "10/14/2009 12:34";
        QTest::newRow("dots") << "14.10.09 12:34"
                              << "14.10.2009 12:34";
        QTest::newRow("nothing below 0: in front") << "1234567"
                                                   << "201234567";
        QTest::newRow("six characters stay") << "123456"
                                             << "123456";
    }
    void centuryYear() {
        QFETCH(QString, date);
        QFETCH(QString, fixed);
        QCOMPARE(withCenturyYear(date), fixed);
    }

    // What a picture answer leaves on disk, in the slot table and in the list.
    void store_data() {
        QTest::addColumn<QByteArray>("download");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("lblFrom");
        QTest::addColumn<QString>("lastPictureDate");

        const QByteArray pic = pictureBytes(3000);
        QTest::newRow("SSTV with trailer") << pic + "***XX"
                                                    "\xD8"
                                                    "ABC*OK*10/14/09 12:34:56"
                                           << false << "images/sstv/4"
                                           << "XX0ABC"
                                           << "OK"
                                           << "From: XX" + slashedO + "ABC"
                                           << "10/14/2009 12:34";
        QTest::newRow("SSTV without trailer") << pic << false << "images/sstv/4"
                                              << ""
                                              << "Old"
                                              << ""
                                              << "earlier";
        QTest::newRow("SSTV, sender only") << pic + "***XX9ABC:1" << false << "images/sstv/4"
                                           << "XX9ABC:1"
                                           << "Old"
                                           << ""
                                           << "earlier";
        QTest::newRow("WX stores no date")
            << pic + "***NOAA*OK*10/14/09 12:34" << true << "images/wx/4"
            << "NOAA"
            << "OK"
            << "From: NOAA"
            << "earlier";
    }
    void store() {
        QFETCH(QByteArray, download);
        QFETCH(bool, wxPage);
        QFETCH(QString, fileName);
        QFETCH(QString, from);
        QFETCH(QString, info);
        QFETCH(QString, lblFrom);
        QFETCH(QString, lastPictureDate);

        QTemporaryDir dir;
        AppPaths paths;
        paths.dataFolder = dir.path();
        QVERIFY(QDir().mkpath(paths.data("images/sstv")));
        QVERIFY(QDir().mkpath(paths.data("images/wx")));
        // An older, longer picture in the slot must not leave a tail behind.
        {
            QFile old(slotPictureFile(paths, wxPage, 4));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(9000, 'o'));
        }

        SlotTable table;
        table.setValue(4, stFrom, QStringLiteral("previous"));
        table.setValue(4, stTime, QStringLiteral("previous"));
        SiteList sites(3);
        for (SiteRecord &s : sites)
            s.LastPictureDate = QStringLiteral("earlier");

        const StoredSlotPicture stored = storeSlotPicture(download, SlotTarget{4, 1}, wxPage, paths,
                                                          table, sites, texts(), slashedO);

        QVERIFY(stored.stored);
        QCOMPARE(stored.file, paths.data(fileName));
        QFile file(stored.file);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), splitPictureTrailer(download).picture);
        QCOMPARE(table.value(4, stFrom), from);
        QCOMPARE(table.value(4, stInfo), info);
        QCOMPARE(table.value(4, stTime), QString());
        QCOMPARE(stored.lblFrom, lblFrom);
        QCOMPARE(sites.at(1).LastPictureDate, lastPictureDate);
        QCOMPARE(sites.at(0).LastPictureDate, QStringLiteral("earlier"));
        QCOMPARE(sites.at(2).LastPictureDate, QStringLiteral("earlier"));
    }

    void storeFailureStillFillsTheTable() {
        QTemporaryDir dir;
        AppPaths paths;
        paths.dataFolder = dir.path() + "/missing";
        SlotTable table;
        SiteList sites(1);
        const StoredSlotPicture stored =
            storeSlotPicture(pictureBytes(100) + "***XX9ABC*OK*10/14/09 12:34", SlotTarget{2, 0},
                             false, paths, table, sites, texts(), slashedO);
        QVERIFY(!stored.stored);
        QVERIFY(!stored.error.isEmpty());
        QVERIFY(!QFile::exists(stored.file));
        QCOMPARE(table.value(2, stFrom), QStringLiteral("XX9ABC"));
        QCOMPARE(sites.at(0).LastPictureDate, QStringLiteral("10/14/2009 12:34"));
    }
};

QTEST_GUILESS_MAIN(TrailerTest)
#include "tst_trailer.moc"
