#include "core/base/Numbers.h"
#include "core/base/TextCodec.h"
#include "core/files/AppPaths.h"
#include "core/sites/SiteLists.h"
#include "core/sites/SlotMap.h"

#include "support/FakePrompts.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;
using tavimo::test::FakePrompts;
using tavimo::test::makeSite;
using tavimo::test::readBytes;
using tavimo::test::writeBytes;

namespace {

QStringList callsigns(const SiteList &sites) {
    QStringList result;
    for (const SiteRecord &r : sites)
        result.append(r.Callsign);
    return result;
}

QByteArray utf16(const QString &text) {
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : text)
        bytes += char(c.unicode() & 0xFF), bytes += char(c.unicode() >> 8);
    return bytes;
}

QByteArray r1Bytes() {
    return "K1A*1000000000*0000000000*0000000000*0000000000*0*0**\r\nu1\r\n";
}

QByteArray record(const char *callsign) {
    return QByteArray(callsign) + "*1000000000*0000000000*0000000000*0000000000*0*0**\r\n";
}

struct DataFolder {
    QTemporaryDir dir;
    AppPaths paths;
    DataFolder() { paths.dataFolder = dir.path(); }
    QString data(const QString &name) const { return paths.data(name); }
};

} // namespace

class SiteListsTest : public QObject {
    Q_OBJECT

private slots:
    void slotMap() {
        for (auto [c, slot] : {std::pair{u'0', -1}, {u'1', 0}, {u'9', 8}, {u'A', 9}, {u'O', 23}})
            QCOMPARE(slotChar(slot) + QString::number(slotIndexFromChar(QChar(c))),
                     QChar(c) + QString::number(slot));
        QCOMPARE(sstvSlotOnPage("30C000000A", 3), 11);
        QCOMPARE(sstvSlotOnPage("30C000000A", 11), -1);
        QCOMPARE(withSstvSlotOnPage("bad", 2, 0), QString("0100000000"));
        QCOMPARE(wxSlotIndex("3") + wxSlotIndex("x"), 1);
    }

    // Files in their current format come back byte for byte.
    void roundTrip_data() {
        QTest::addColumn<bool>("wx");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("sstv list")
            << false
            << QByteArray("DL0ABC*1000000000*2000000000*3000000000*4000000000*52.5*13.25*"
                          "14.10.2009 12:00 \xDC*http://127.0.0.1/cam/dl0abc.jpg\r\n"
                          "http://127.0.0.1/dl0abc/image1.jpg\r\n"
                          "OH0XYZ*0000000000*0A00000000*00O0000000*0000000000*41.5*-81.2**\r\n"
                          "http://127.0.0.1/oh0xyz/latest.jpgNoDelete\r\n"
                          "W0AAA*0000000000*0000000000*0000000000*0000000000*0*0**\r\n"
                          "\r\n");
        QTest::newRow("wx list") << true
                                 << QByteArray("METEOR M2*1*2*3*4\r\n"
                                               "http://127.0.0.1/wx/meteor.jpg\r\n"
                                               "NOAA 19*0*0**\r\n"
                                               "http://127.0.0.1/wx/noaa/image1\r\n"
                                               "SM\xD8XYZ WX*2*3*4*5\r\n"
                                               "http://127.0.0.1/wx/sm0xyz.jpg\r\n");
        QTest::newRow("empty list") << false << QByteArray();
    }
    void roundTrip() {
        QFETCH(bool, wx);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        writeBytes(dir.filePath("in"), bytes);
        const SiteListFile file =
            wx ? readWxSiteList(dir.filePath("in")) : readSiteList(dir.filePath("in"));
        QCOMPARE(file.status, ListStatus::Read);
        const QString out = dir.filePath("out");
        QVERIFY(wx ? writeWxSiteList(out, file.sites) : writeSiteList(out, file.sites));
        QCOMPARE(readBytes(out), bytes);
    }

    // Short, long and broken records are padded to what the program expects.
    void sstvRecordFields() {
        QTemporaryDir dir;
        const QString path = dir.filePath("tavimo.lst");
        writeBytes(path, "SM\xD8Q*12*2000000000*3000000000*40000000000*-33.9*151.2e0*d*c*extra\r\n"
                         "u1\r\nK1A\r\nu2\r\nK2B*1000000000*x*x*x*abc*12.5x\r\n");
        // Slot maps of other lengths are emptied; the last record has no address line.
        QCOMPARE(siteListLines(readSiteList(path).sites),
                 (QStringList{"K1A*0000000000*0000000000*0000000000*0000000000*0*0**", "u2",
                              "K2B*1000000000*0000000000*0000000000*0000000000*0*12.5**", "",
                              "SM0Q*0000000000*2000000000*3000000000*0000000000*-33.9*151.2*d*c",
                              "u1"}));
        // A trailing empty line reads as an empty record that is not written back.
        writeBytes(path, "K1A*1000000000*0000000000*0000000000*0000000000*0*0**\r\nu\r\n\r\n");
        const SiteListFile trailing = readSiteList(path);
        QCOMPARE(callsigns(trailing.sites), (QStringList{"", "K1A"}));
        QCOMPARE(siteListLines(trailing.sites).size(), 2);
    }

    void wxRecordFields() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("wx"),
                   "\r\nu\r\nA*1\r\nu\r\nB*1*2*3\r\nu\r\nC*1*2*3*4\r\nhttp://x/1\r\n");
        QStringList records;
        for (const SiteRecord &r : readWxSiteList(dir.filePath("wx")).sites)
            records.append(QStringList{r.Callsign, r.SlotMap[1], r.SlotMap[2], r.SlotMap[3],
                                       r.SlotMap[4], r.PictureUrl}
                               .join(','));
        QCOMPARE(records,
                 (QStringList{",0,,,,u", "A,1,0,,,u", "B,1,2,3,0,u", "C,1,2,3,4,http://x/1"}));
    }

    void sortAndDuplicates() {
        SiteList sorted{makeSite("b", "1"), makeSite("\u00D8", "2"), makeSite("B", "3"),
                        makeSite("a1", "4"), makeSite("", "5")};
        SortSiteList(sorted);
        QCOMPARE(callsigns(sorted), (QStringList{"", "B", "a1", "b", "\u00D8"}));

        SiteList sites{makeSite("", "U"),    makeSite("K1A", "U"), makeSite("K2B", "V"),
                       makeSite("K3C", "U"), makeSite("", "V"),    makeSite("K4D", "V"),
                       makeSite("k5e", "u")};
        // An emptied record takes no part; the comparison is case-sensitive.
        QCOMPARE(removeDuplicateAddresses(sites), (QStringList{"K3C  U", "K4D  V"}));
        QCOMPARE(callsigns(sites), (QStringList{"", "K1A", "K2B", "", "", "", "k5e"}));
        QVERIFY(removeDuplicateAddresses(sites).isEmpty());
    }

    // The record that came first in the file stays, whatever its callsign;
    // one made during the run comes after every record read.
    void duplicateKeepsTheFirstInTheFile() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("l"), record("ZZ1") + "U\r\n" + record("AA1") + "U\r\n");
        SiteList sites = readSiteList(dir.filePath("l")).sites;
        sites.append(makeSite("A0NEW", "U"));
        SortSiteList(sites);
        QCOMPARE(removeDuplicateAddresses(sites), (QStringList{"A0NEW  U", "AA1  U"}));
        QCOMPARE(siteListLines(sites), (QStringList{record("ZZ1").trimmed(), "U"}));
    }

    // A position no one could mean is no position, so nothing breaks and the
    // file keeps reading the same.
    void positionsOffTheGlobe_data() {
        QTest::addColumn<QString>("fields"); // latitude*longitude
        QTest::addColumn<QString>("read");
        QTest::newRow("infinite latitude") << "1e999*10"
                                           << "0*0";
        QTest::newRow("infinite longitude") << "10*-1e999"
                                            << "0*0";
        QTest::newRow("beyond a pole") << "90.5*10"
                                       << "0*0";
        QTest::newRow("beyond the date line") << "10*-180.5"
                                              << "0*0";
        QTest::newRow("on a pole and the date line") << "-90*180"
                                                     << "-90*180";
    }
    void positionsOffTheGlobe() {
        QFETCH(QString, fields);
        QFETCH(QString, read);
        QTemporaryDir dir;
        writeBytes(dir.filePath("l"), "K1A*0*0*0*0*" + fields.toLatin1() + "**\r\nu\r\n");
        const SiteRecord r = readSiteList(dir.filePath("l")).sites.value(0);
        QCOMPARE(numberText(r.Latitude) + "*" + numberText(r.Longitude), read);
    }

    // What is read is what will be written, so the second save writes what
    // the first did: characters outside the code page sort as the "?" they become.
    void readFieldsAsWritten() {
        QTemporaryDir dir;
        const QString path = dir.filePath("l");
        writeBytes(path, utf16(QString::fromUtf16(
                             u"\u0416A*1\r\nu1\r\nB*2\r\nu2\r\nAB*3\r\nu\u00D83\r\n")));
        const QStringList first = siteListLines(readSiteList(path).sites);
        QCOMPARE(first.at(0), QString("?A*0000000000*0000000000*0000000000*0000000000*0*0**"));
        QVERIFY(writeSiteList(path, readSiteList(path).sites));
        QCOMPARE(siteListLines(readSiteList(path).sites), first);
        QCOMPARE(readBytes(path).mid(0, 4), QByteArray("?A*0"));
    }

    // Texts from picture trailers and dialogs cannot break the file.
    void cleanedFieldsKeepTheFileReadable() {
        SiteList sites{makeSite("AB*C", "http://127.0.0.1/a*b.jpg"),
                       makeSite("K1Z", "http://127.0.0.1/z")};
        sites[0].LastPictureDate = QString("2024-01-05\r\n10:00") + QChar(0) + "*";
        sites[0].CamUrl = "http://127.0.0.1/cam*1\n";
        sites[0].Latitude = 41.5;
        sites[0].Longitude = -81.2;
        sites[1].SlotMap[1] = "1*000000000";
        QTemporaryDir dir;
        const QString path = dir.filePath("tavimo.lst");
        QVERIFY(writeSiteList(path, sites));
        QCOMPARE(readTextLines(path)->size(), 4);
        QCOMPARE(siteListLines(readSiteList(path).sites),
                 (QStringList{"ABC*0000000000*0000000000*0000000000*0000000000*41.5*-81.2*"
                              "2024-01-0510:00*http://127.0.0.1/cam%2A1",
                              "http://127.0.0.1/a%2Ab.jpg",
                              "K1Z*1000000000*0000000000*0000000000*0000000000*0*0**",
                              "http://127.0.0.1/z"}));

        WxSiteList wx{makeSite("WX*1", "http://127.0.0.1/wx\r")};
        wx[0].SlotMap = {"", "1*", "0", "0", "0"};
        QVERIFY(writeWxSiteList(path, wx));
        const SiteRecord wxBack = readWxSiteList(path).sites.value(0);
        QCOMPARE(wxBack.Callsign + wxBack.SlotMap[1] + wxBack.PictureUrl,
                 QString("WX11http://127.0.0.1/wx"));
    }

    void oldFormatConversion() {
        DataFolder f;
        QVERIFY(QDir().mkpath(f.data("Backups")));
        QStringList old(30, "0");
        old[0] = "3", old[1] = "7", old[2] = "12";   // page 1
        old[3] = "16", old[4] = "15", old[5] = "";   // page 2
        old[6] = "2.5", old[7] = "-1", old[8] = "x"; // page 3
        const QByteArray original =
            encodeCp1252(QString("SM\u00D8OLD*") + old.join('*') + "*52.5*-1.25*2009-10-14") +
            "\r\nhttp://127.0.0.1/old.jpg\r\nK1SHORT*1*2*3*0*0*0*0*0*0*0*0\r\n"
            "http://127.0.0.1/short.jpg\r\n";
        writeBytes(f.data("tavimo.lst"), original);
        QVERIFY(isOldFormatSiteList(f.data("tavimo.lst")));

        FakePrompts prompts;
        const StartupLists lists = loadSiteLists(f.paths, prompts);
        QVERIFY(prompts.calls.isEmpty());
        QVERIFY(lists.sitesLoaded && !lists.endProgram);
        QCOMPARE(readBytes(f.data("Backups/tavimo.lst")), original);
        QCOMPARE(readBytes(f.data("tavimo.lst")),
                 QByteArray("SM0OLD*3000000000*7F00000000*C000000000*0000000000*52.5*-1.25*"
                            "2009-10-14\r\nhttp://127.0.0.1/old.jpg\r\n"
                            "K1SHORT*1000000000*2000000000*3000000000*0000000000***\r\n"
                            "http://127.0.0.1/short.jpg\r\n"));
        QCOMPARE(callsigns(lists.sites), (QStringList{"K1SHORT", "SM0OLD"}));
        QVERIFY(!isOldFormatSiteList(f.data("tavimo.lst")));
    }

    // A current list written before fields were cleaned may hold "*" in a camera address,
    // which makes its line long; the other records show it is no old list.
    void currentListWithStarsInAnAddressIsReadAsItIs() {
        DataFolder f;
        const QByteArray list =
            "AB1CD*1000000000*2000000000*3000000000*4000000000*51.5*-0.12*10/14/09 12:34*"
            "http://127.0.0.1/cam.cgi?a=*&b=*&c=*\r\nhttp://127.0.0.1/ab1cd/image1.jpg\r\n"
            "EF2GH*0100000000*0200000000*0300000000*0400000000*40*-74**\r\n"
            "http://127.0.0.1/ef2gh/image1.jpg\r\n";
        writeBytes(f.data("tavimo.lst"), list);
        QVERIFY(!isOldFormatSiteList(f.data("tavimo.lst")));

        FakePrompts prompts;
        const StartupLists lists = loadSiteLists(f.paths, prompts);
        QVERIFY(prompts.calls.isEmpty() && lists.sitesLoaded);
        QCOMPARE(readBytes(f.data("tavimo.lst")), list);
        QVERIFY(!QFileInfo::exists(f.data("Backups/tavimo.lst")));
        const SiteRecord &first = lists.sites.at(0);
        QCOMPARE(first.Callsign, QString("AB1CD"));
        QCOMPARE(first.SlotMap[4], QString("4000000000"));
        QCOMPARE(first.Latitude, 51.5);
        QCOMPARE(first.LastPictureDate, QString("10/14/09 12:34"));
    }

    // Without a backup the old file stays as it is; an older backup is never replaced.
    void conversionKeepsEveryCopy() {
        DataFolder f;
        writeBytes(f.data("Backups"), "a file where the folder should be");
        const QByteArray original = "K1OLD" + QByteArray("*1").repeated(33) + "\r\nu\r\n";
        writeBytes(f.data("tavimo.lst"), original);
        FakePrompts prompts;
        const StartupLists lists = loadSiteLists(f.paths, prompts);
        QCOMPARE(prompts.calls.size(), 1);
        QVERIFY(prompts.calls[0].text.contains("tavimo.lst"));
        QCOMPARE(readBytes(f.data("tavimo.lst")), original);
        QVERIFY(!lists.sitesLoaded && !lists.endProgram); // read for the run, never written back

        QVERIFY(QFile::remove(f.data("Backups")) && QDir().mkpath(f.data("Backups")));
        writeBytes(f.data("Backups/tavimo.lst"), "an older backup\r\n");
        const ConvertResult result = ConvertOldSiteList(f.data("tavimo.lst"), f.data("Backups"));
        QVERIFY(result.ok);
        QCOMPARE(readBytes(f.data("Backups/tavimo.lst")), QByteArray("an older backup\r\n"));
        QCOMPARE(readBytes(result.backupPath), original);
    }

    // A list that would be damaged by writing it back is read as far as it
    // goes, with one message, and never written; every other list is first
    // kept as it was in Backups.
    void damagedListsAreNotWrittenBack_data() {
        QTest::addColumn<bool>("wx");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("sites"); // {"<end>"}: the program ends
        QTest::addColumn<QString>("message");   // empty: the list is written back
        const QByteArray r1 = record("K1A"), r2 = record("K2B"), r3 = record("K3C");
        QTest::newRow("record line lost") << false << r1 + "u1\r\nu2\r\n" + r3 + "u3\r\n"
                                          << QStringList{"K1A"} << "line 4";
        QTest::newRow("address line lost") << false << r1 + "u1\r\n" + r2 + r3 + "u3\r\n"
                                           << QStringList{"K1A"} << "line 4";
        QTest::newRow("line left over") << false << r1 + "u1\r\n\r\n" + r2 + "u2\r\n"
                                        << QStringList{"K1A"} << "line 4";
        QTest::newRow("wx record line lost")
            << true << QByteArray("A*1*0*0*0\r\nu1\r\nu2\r\nC*3\r\n") << QStringList{"A"}
            << "line 4";
        QTest::newRow("binary") << false << QByteArray("GIF89a\x01\0\x01\0", 10)
                                << QStringList{"<end>"} << "no text";
        QTest::newRow("wx binary") << true << QByteArray("K\0", 2) << QStringList{} << "no text";
        QTest::newRow("UTF-16") << false
                                << utf16(QString::fromUtf16(
                                       u"SM\u00D8Q*1\r\nu1\r\n\u00DCA*2\r\nu2\r\n"))
                                << QStringList{"SM0Q", "\u00DC"
                                                       "A"}
                                << "";
        QTest::newRow("sound") << false << r2 + "u2\r\n" + r1 + "u1\r\n"
                               << QStringList{"K1A", "K2B"} << "";
    }
    void damagedListsAreNotWrittenBack() {
        QFETCH(bool, wx);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, sites);
        QFETCH(QString, message);
        DataFolder f;
        const QString name = wx ? "WXsites.lst" : "tavimo.lst";
        writeBytes(f.data("tavimo.lst"), wx ? r1Bytes() : bytes);
        if (wx)
            writeBytes(f.data("WXsites.lst"), bytes);
        FakePrompts prompts;
        const StartupLists lists = loadSiteLists(f.paths, prompts);
        QCOMPARE(prompts.calls.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QVERIFY2(prompts.calls[0].text.contains(message) &&
                         prompts.calls[0].text.contains(name),
                     qPrintable(prompts.calls[0].text));
        }
        if (sites == QStringList{"<end>"}) {
            QVERIFY(lists.endProgram && !lists.sitesLoaded);
            return;
        }
        QCOMPARE(callsigns(wx ? lists.wxSites : lists.sites), sites);
        QCOMPARE(wx ? lists.wxSitesLoaded : lists.sitesLoaded, message.isEmpty());
        const QString previous = f.data("Backups/" + QString(name).replace(".", ".previous."));
        QCOMPARE(readBytes(previous), message.isEmpty() ? bytes : QByteArray("<unreadable>"));
        QCOMPARE(readBytes(f.data(name)), bytes);
    }

    // Start-up with short, empty, missing and unreadable list files.
    void startupFiles_data() {
        QTest::addColumn<QByteArray>("sstv"); // "<none>": no file, "<dir>": a folder
        QTest::addColumn<QByteArray>("wx");
        QTest::addColumn<QList<int>>("state"); // endProgram, wxSitesLoaded, sites
        QTest::addColumn<QString>("message");
        const QByteArray none("<none>"), folder("<dir>"), oneSite("K1A*1000000000\r\nu\r\n");
        QTest::newRow("missing sstv")
            << none << QByteArray() << QList{1, 0, 0} << ".lst file not found";
        QTest::newRow("unreadable sstv")
            << folder << QByteArray() << QList{1, 0, 0} << "tavimo.lst";
        QTest::newRow("empty lists") << QByteArray() << QByteArray() << QList{0, 1, 0} << "";
        QTest::newRow("missing wx") << oneSite << none << QList{0, 1, 1} << "";
        QTest::newRow("unreadable wx") << oneSite << folder << QList{0, 0, 1} << "WXsites.lst";
    }
    void startupFiles() {
        QFETCH(QByteArray, sstv);
        QFETCH(QByteArray, wx);
        QFETCH(QList<int>, state);
        QFETCH(QString, message);
        DataFolder f;
        for (auto [name, content] : {std::pair{"tavimo.lst", sstv}, {"WXsites.lst", wx}}) {
            if (content == "<dir>")
                QVERIFY(QDir().mkpath(f.data(name)));
            else if (content != "<none>")
                writeBytes(f.data(name), content);
        }
        FakePrompts prompts;
        const StartupLists lists = loadSiteLists(f.paths, prompts);
        QCOMPARE((QList<int>{lists.endProgram, lists.wxSitesLoaded, int(lists.sites.size())}),
                 state);
        QCOMPARE(lists.sitesLoaded, !lists.endProgram);
        QVERIFY(lists.wxSites.isEmpty());
        QCOMPARE(prompts.calls.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QVERIFY2(prompts.calls[0].text.contains(message), qPrintable(prompts.calls[0].text));
            QCOMPARE(prompts.calls[0].title, QString("Tavimo"));
        }
    }
};

QTEST_GUILESS_MAIN(SiteListsTest)
#include "tst_sitelists.moc"
