#include "core/base/Numbers.h"
#include "core/base/TextCodec.h"
#include "core/files/AppPaths.h"
#include "core/files/Endpoints.h"
#include "core/files/SettingsStore.h"
#include "core/net/TimePage.h"
#include "core/net/UpdateCheck.h"
#include "core/net/VersionCheck.h"
#include "core/sites/CallsignIndex.h"
#include "core/sites/SiteLists.h"
#include "core/sites/SlotMap.h"

#include "support/FakePrompts.h"
#include "support/TestFiles.h"
#include "support/UpdateServices.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace tavimo;
using tavimo::test::FakePrompts;
using tavimo::test::makeSite;
using tavimo::test::readBytes;
using tavimo::test::UpdatesListContent;
using tavimo::test::writeBytes;

namespace {

QStringList callsigns(const SiteList &sites) {
    QStringList result;
    for (const SiteRecord &r : sites)
        result.append(r.Callsign);
    return result;
}

QByteArray utf16(const QString &text) {
    return "\xFF\xFE" + QByteArray(QStringEncoder(QStringEncoder::Utf16LE)(text));
}

QByteArray record(const char *callsign) {
    return QByteArray(callsign) + "*1000000000*0000000000*0000000000*0000000000*0*0**\r\n";
}

struct DataFolder {
    QTemporaryDir dir;
    AppPaths paths;
    FakePrompts prompts;
    DataFolder() { paths.dataFolder = dir.path(); }
    QString data(const QString &name) const { return paths.data(name); }
    StartupLists load() { return loadSiteLists(paths, prompts); }
};

// The bytes read as an SSTV or WX list file.
SiteListFile readList(const QByteArray &bytes, bool wx = false) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("l"), bytes);
    return wx ? readWxSiteList(dir.filePath("l")) : readSiteList(dir.filePath("l"));
}

// The sort the lists were sorted with before: a comb sort whose gap shrinks by 0.65 until a
// pass at gap 1 swaps nothing.
void combSort(SiteList &sites) {
    const qsizetype n = sites.size() - 1;
    qsizetype gap = n;
    double flag = 0;
    do {
        gap = static_cast<qsizetype>(std::floor((gap + 1) * 0.65));
        flag = static_cast<double>(gap);
        for (qsizetype i = 0; i <= n - gap; ++i) {
            if (sites[i].Callsign > sites[i + gap].Callsign) {
                std::swap(sites[i], sites[i + gap]);
                flag = 2;
            }
        }
    } while (flag > 1.5);
}

// `count` records with callsigns drawn from `alphabet` (short ones repeat), each carrying its
// place in the file as its address.
SiteList shuffledSites(int count, int callLength, const QString &alphabet, quint32 seed) {
    QRandomGenerator random(seed);
    SiteList sites;
    for (int i = 0; i < count; ++i) {
        SiteRecord r;
        const int length = 1 + int(random.bounded(callLength));
        for (int c = 0; c < length; ++c)
            r.Callsign += alphabet.at(random.bounded(int(alphabet.size())));
        r.PictureUrl = QString::number(i);
        sites.append(r);
    }
    return sites;
}

const QDate today(2024, 6, 15);

SiteList baseSites() {
    return {makeSite("K1AB", "http://a/1.jpg"),
            makeSite("K3EF", "http://c/1.jpg"),
            makeSite("K4GH", "http://g/1.jpg"),
            makeSite("K4GHZ", "http://gz/1.jpg"),
            makeSite("K9KEPT", "http://k/1.jpgNoDelete"),
            makeSite("ON4AA", "http://on/image.jpg"),
            makeSite("VK2XY", "http://vk/image.jpg", -33.5, 151.5)};
}

QByteArray list(const UpdatesListContent &content, int ageDays = 0, int sizeError = 0) {
    return test::updatesListBytes(content, today.addDays(-ageDays), sizeError);
}

// A list of seven sections with LF line ends (`crlf`: CR LF), written by hand. Each section body
// starts on the line after its marker, so the marker line's rest and the line before the next
// marker are no entries.
QByteArray rawList(const QString &moves, const QString &renames, const QString &news,
                   bool crlf = false) {
    QString text = QStringLiteral("999*2024-05-31\n/////5 site updates\n"
                                  "/////5 moved and discontinued\n%1/////5\n"
                                  "/////5 new callsigns\n%2/////5\n/////5 new sites\n%3")
                       .arg(moves, renames, news);
    if (crlf)
        text.replace(u'\n', QStringLiteral("\r\n"));
    return encodeCp1252(text);
}

// One line per entry of the list, fields joined by "|", so that rows read like the list itself.
QStringList describe(const UpdatesList &list) {
    QStringList lines;
    for (const AddressEntry &e : list.addressEntries)
        lines << QStringLiteral("2|%1|%2|%3")
                     .arg(e.callsign, e.pictureUrl, e.discontinued ? "DELETE" : e.newUrl);
    for (const CallsignEntry &e : list.callsignEntries)
        lines << QStringLiteral("4|%1|%2").arg(e.oldCallsign, e.newCallsign);
    for (const NewSiteEntry &e : list.newSites)
        lines << QStringLiteral("6|%1|%2|%3|%4|%5")
                     .arg(e.callsign, e.latitude, e.longitude, e.camUrl, e.pictureUrl);
    return lines;
}

// One line per item of the news, in the order of the dialog's lists.
QStringList describe(const SiteNews &news) {
    QStringList lines;
    for (const NewSiteEntry &e : news.newSites)
        lines << QStringLiteral("new %1 %2").arg(e.callsign, e.pictureUrl);
    for (const DiscontinuedSite &e : news.discontinued)
        lines << QStringLiteral("gone %1 %2").arg(e.callsign, e.pictureUrl);
    for (const CallsignEntry &e : news.renamedSites)
        lines << QStringLiteral("renamed %1 %2").arg(e.oldCallsign, e.newCallsign);
    for (const MovedSite &e : news.movedSites)
        lines << QStringLiteral("moved %1 %2 %3").arg(e.callsign, e.oldUrl, e.newUrl);
    return lines;
}

const UpdatesListContent someNews{{}, {}, {{"DL1XX*52.5*13.4", "http://dl/image.jpg"}}};

QString actionName(UpdateDecision::Action action) {
    static const char *const names[] = {"accept", "refuse", "mirror", "ignore"};
    return names[int(action)];
}

UpdatesList parsed(const UpdatesListContent &content) {
    return readUpdatesList(list(content)).value_or(UpdatesList{});
}

} // namespace

Q_DECLARE_METATYPE(UpdatesListContent)
Q_DECLARE_METATYPE(ListSource)
Q_DECLARE_METATYPE(SiteRecord)

// The site lists, their files and how a start reads them; the maker's updates list that brings
// news of them (how it is read, judged and compared with the user's sites), the home page's
// version notice and the time page.
class SiteListsTest : public QObject {
    Q_OBJECT

private slots:
    // The first site of a callsign, "0" for "Ø"; a list of another size is indexed afresh, a
    // callsign changed in place is never answered for its old name and is found after clear().
    void callsignIndex() {
        SiteList sites{makeSite("AB1", "u1"), makeSite("AB1", "u2"), makeSite("C\u00D8D", "u3")};
        CallsignIndex index;
        QCOMPARE(index.first(sites, "AB1"), 0);
        QCOMPARE(index.first(sites, "C0D"), 2);
        QCOMPARE(index.first(sites, "ab1"), -1);
        sites.removeFirst();
        QCOMPARE(index.first(sites, "C0D"), 1);
        sites[1].Callsign = "ZZ9";
        QCOMPARE(index.first(sites, "C0D"), -1);
        index.clear();
        QCOMPARE(index.first(sites, "ZZ9"), 1);
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
    }
    void roundTrip() {
        QFETCH(bool, wx);
        QFETCH(QByteArray, bytes);
        const SiteListFile file = readList(bytes, wx);
        QCOMPARE(file.status, ListStatus::Read);
        QTemporaryDir dir;
        const QString out = dir.filePath("out");
        QVERIFY(wx ? writeWxSiteList(out, file.sites) : writeSiteList(out, file.sites));
        QCOMPARE(readBytes(out), bytes);
    }

    // Short, long and broken records are padded to what the program expects.
    void sstvRecordFields() {
        // Slot maps of other lengths are emptied; the last record has no address line.
        QCOMPARE(
            siteListLines(readList("SM\xD8Q*12*2000000000*3000000000*40000000000*-33.9*151.2e0*d*c*"
                                   "extra\r\nu1\r\nK1A\r\nu2\r\nK2B*1000000000*x*x*x*abc*12.5x\r\n")
                              .sites),
            (QStringList{"K1A*0000000000*0000000000*0000000000*0000000000*0*0**", "u2",
                         "K2B*1000000000*0000000000*0000000000*0000000000*0*12.5**", "",
                         "SM0Q*0000000000*2000000000*3000000000*0000000000*-33.9*151.2*d*c",
                         "u1"}));
        // A trailing empty line reads as an empty record that is not written back.
        const SiteListFile trailing = readList(record("K1A") + "u\r\n\r\n");
        QCOMPARE(callsigns(trailing.sites), (QStringList{"", "K1A"}));
        QCOMPARE(siteListLines(trailing.sites).size(), 2);
        // A slot map of another length is repaired where a slot is set. (The slot characters
        // themselves are the page plan's and slot assignment's tests.)
        QCOMPARE(withSstvSlotOnPage("bad", 2, 0), QString("0100000000"));
        QCOMPARE(sstvSlotOnPage("30C000000A", 11), -1); // no such page
        QCOMPARE(slotChar(-1), QChar(u'0'));
    }

    void wxRecordFields() {
        QStringList records;
        for (const SiteRecord &r :
             readList("\r\nu\r\nA*1\r\nu\r\nB*1*2*3\r\nu\r\nC*1*2*3*4\r\nhttp://x/1\r\n", true)
                 .sites)
            records.append(QStringList{r.Callsign, r.SlotMap[1], r.SlotMap[2], r.SlotMap[3],
                                       r.SlotMap[4], r.PictureUrl}
                               .join(','));
        QCOMPARE(records,
                 (QStringList{",0,,,,u", "A,1,0,,,u", "B,1,2,3,0,u", "C,1,2,3,4,http://x/1"}));
    }

    // The sort gives the callsign order of the comb sort the lists were sorted with before, and
    // keeps records with equal callsigns in the order the file gave them, which the comb sort
    // did not promise.
    void sortAsTheCombSortAndEqualsInFileOrder_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("callLength");
        QTest::addColumn<QString>("alphabet");
        QTest::newRow("empty list") << 0 << 1 << "A";
        QTest::newRow("one site") << 1 << 3 << "AB";
        QTest::newRow("two sites, one callsign") << 2 << 1 << "A";
        QTest::newRow("many equal callsigns") << 500 << 2 << "AB0";
        QTest::newRow("callsigns, digits and case") << 2000 << 6 << "ABCKLOPZ0129ab";
        QTest::newRow("beyond ASCII, empty callsigns")
            << 300 << 3 << QStringLiteral("A0\u00D8\u00E9\u20AC") + QChar(0);
        // Surrogates sort by code unit, below U+E000 to U+FFFF.
        QTest::newRow("surrogate halves") << 300 << 3 << QStringLiteral("A\U0001F600\uFFFD\uE000");
    }
    void sortAsTheCombSortAndEqualsInFileOrder() {
        QFETCH(int, count);
        QFETCH(int, callLength);
        QFETCH(QString, alphabet);
        for (quint32 seed = 1; seed <= 5; ++seed) {
            SiteList sites = shuffledSites(count, callLength, alphabet, seed);
            // An empty callsign marks a dropped record; it sorts like any other.
            if (alphabet.contains(QChar(0)) && count > 0)
                sites[count / 2].Callsign.clear();
            SiteList before = sites;
            combSort(before);
            SortSiteList(sites);
            QCOMPARE(callsigns(sites), callsigns(before));
            for (qsizetype i = 1; i < sites.size(); ++i) {
                if (sites[i].Callsign == sites[i - 1].Callsign)
                    QVERIFY2(sites[i].PictureUrl.toInt() > sites[i - 1].PictureUrl.toInt(),
                             qPrintable(sites[i].Callsign));
            }
        }
    }

    void duplicateAddresses() {
        SiteList sites{makeSite("", "U"),    makeSite("K1A", "U"), makeSite("K2B", "V"),
                       makeSite("K3C", "U"), makeSite("", "V"),    makeSite("K4D", "V"),
                       makeSite("k5e", "u")};
        // An emptied record takes no part; the comparison is case-sensitive.
        QCOMPARE(removeDuplicateAddresses(sites), (QStringList{"K3C  U", "K4D  V"}));
        QCOMPARE(callsigns(sites), (QStringList{"", "K1A", "K2B", "", "", "", "k5e"}));
        QVERIFY(removeDuplicateAddresses(sites).isEmpty());

        // The record that came first in the file stays, whatever its callsign; one made during
        // the run comes after every record read.
        sites = readList(record("ZZ1") + "U\r\n" + record("AA1") + "U\r\n").sites;
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
        QTest::newRow("infinite latitude") << "1e999*10" << QString("0*0");
        QTest::newRow("infinite longitude") << "10*-1e999" << QString("0*0");
        QTest::newRow("beyond a pole") << "90.5*10" << QString("0*0");
        QTest::newRow("beyond the date line") << "10*-180.5" << QString("0*0");
        QTest::newRow("on a pole and the date line") << "-90*180" << QString("-90*180");
    }
    void positionsOffTheGlobe() {
        QFETCH(QString, fields);
        QFETCH(QString, read);
        const SiteRecord r =
            readList("K1A*0*0*0*0*" + fields.toLatin1() + "**\r\nu\r\n").sites.value(0);
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

        const StartupLists lists = f.load();
        QVERIFY(f.prompts.calls.isEmpty());
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

    void oldFormatIsToldByTheFirstLine_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("old");
        const QByteArray old = "AB1CD" + QByteArray("*1").repeated(33); // 34 fields
        const QByteArray current = "AB1CD*1000000000*0*0*0*51.5*-0.12**";
        QTest::newRow("old, CR LF") << old + "\r\nhttp://a/image1.jpg\r\n" << true;
        QTest::newRow("old, LF") << old + "\nhttp://a/image1.jpg\n" << true;
        QTest::newRow("old, CR") << old + "\rhttp://a/image1.jpg\r" << true;
        QTest::newRow("old, one line without a break") << old << true;
        QTest::newRow("old, a first line longer than a read")
            << "AB1CD" + QByteArray(5000, ' ') + QByteArray("*1").repeated(33) + "\r\nx\r\n"
            << true;
        QTest::newRow("current") << current + "\r\nhttp://a/image1.jpg\r\n" << false;
        QTest::newRow("current, an old-looking line later")
            << current + "\r\nhttp://a/image1.jpg\r\n" + old + "\r\n"
            << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void oldFormatIsToldByTheFirstLine() {
        QFETCH(QByteArray, bytes);
        DataFolder f;
        writeBytes(f.data(kSiteListFile), bytes);
        QTEST(isOldFormatSiteList(f.data(kSiteListFile)), "old");
        QVERIFY(!isOldFormatSiteList(f.data("missing.lst")));
    }

    // Without a backup the old file stays as it is; an older backup is never replaced.
    void conversionKeepsEveryCopy() {
        DataFolder f;
        writeBytes(f.data("Backups"), "a file where the folder should be");
        const QByteArray original = "K1OLD" + QByteArray("*1").repeated(33) + "\r\nu\r\n";
        writeBytes(f.data("tavimo.lst"), original);
        const StartupLists lists = f.load();
        QCOMPARE(f.prompts.calls.size(), 1);
        QVERIFY(f.prompts.calls[0].text.contains("tavimo.lst"));
        QCOMPARE(readBytes(f.data("tavimo.lst")), original);
        QVERIFY(!lists.sitesLoaded && !lists.endProgram); // read for the run, never written back

        QVERIFY(QFile::remove(f.data("Backups")) && QDir().mkpath(f.data("Backups")));
        writeBytes(f.data("Backups/tavimo.lst"), "an older backup\r\n");
        const ConvertResult result = ConvertOldSiteList(f.data("tavimo.lst"), f.data("Backups"));
        QVERIFY(result.ok);
        QCOMPARE(readBytes(f.data("Backups/tavimo.lst")), QByteArray("an older backup\r\n"));
        QCOMPARE(readBytes(result.backupPath), original);
    }

    // What a start makes of its two list files ("<none>": no file, "<dir>": a folder). A list
    // that would be damaged by writing it back is read as far as it goes, with one message, and
    // never written; every other list is first kept as it was in Backups. sites: {"<end>"} when
    // the program ends; message: "<the file it names>|<what else it says>". (A missing SSTV
    // list is the provisioning test's vanished list.)
    void startupLists_data() {
        for (const char *column : {"sstv", "wx"})
            QTest::addColumn<QByteArray>(column);
        QTest::addColumn<QStringList>("sites");
        QTest::addColumn<QStringList>("wxSites");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const QByteArray &sstv, const QByteArray &wx,
                            const QStringList &sites, const QStringList &wxSites,
                            const char *message) {
            QTest::newRow(name) << sstv << wx << sites << wxSites << QString(message);
        };
        const QByteArray r1 = record("K1A"), r2 = record("K2B"), r3 = record("K3C");
        const QByteArray k1a = r1 + "u1\r\n", none("<none>"), folder("<dir>");
        const QStringList end{"<end>"};
        row("record line lost", r1 + "u1\r\nu2\r\n" + r3 + "u3\r\n", none, {"K1A"}, {},
            "tavimo.lst|line 4");
        row("address line lost", r1 + "u1\r\n" + r2 + r3 + "u3\r\n", none, {"K1A"}, {},
            "tavimo.lst|line 4");
        row("line left over", r1 + "u1\r\n\r\n" + r2 + "u2\r\n", none, {"K1A"}, {},
            "tavimo.lst|line 4");
        row("wx record line lost", k1a, "A*1*0*0*0\r\nu1\r\nu2\r\nC*3\r\n", {"K1A"}, {"A"},
            "WXsites.lst|line 4");
        row("binary", QByteArray("GIF89a\x01\0\x01\0", 10), none, end, {}, "tavimo.lst|no text");
        row("wx binary", k1a, QByteArray("K\0", 2), {"K1A"}, {}, "WXsites.lst|no text");
        row("UTF-16", utf16(QString::fromUtf16(u"SM\u00D8Q*1\r\nu1\r\n\u00DCA*2\r\nu2\r\n")), none,
            {"SM0Q", QString::fromUtf16(u"\u00DCA")}, {}, "");
        row("sound", r2 + "u2\r\n" + k1a, none, {"K1A", "K2B"}, {}, "");
        row("unreadable sstv", folder, "", end, {}, "tavimo.lst|");
        row("empty lists", "", "", {}, {}, "");
        row("unreadable wx", k1a, folder, {"K1A"}, {}, "WXsites.lst|");
        row("sstv list a named pipe", "<fifo>", "", end, {}, "tavimo.lst|remove the file");
        // Written before fields were cleaned: the stars make the first line long, and the
        // other records show it is no list of the old format.
        row("current, stars in a camera address",
            "AB1CD*1000000000*2000000000*3000000000*4000000000*51.5*-0.12*10/14/09 12:34*"
            "http://127.0.0.1/cam.cgi?a=*&b=*&c=*\r\nhttp://127.0.0.1/ab1cd/image1.jpg\r\n" +
                r2 + "u2\r\n",
            none, {"AB1CD", "K2B"}, {}, "");
    }
    void startupLists() {
        QFETCH(QByteArray, sstv);
        QFETCH(QByteArray, wx);
        QFETCH(QStringList, sites);
        QFETCH(QString, message);
        DataFolder f;
        const std::pair<QString, QByteArray> files[] = {{"tavimo.lst", sstv}, {"WXsites.lst", wx}};
        for (const auto &[name, content] : files) {
            if (content == "<dir>")
                QVERIFY(QDir().mkpath(f.data(name)));
            else if (content == "<fifo>")
                QVERIFY(test::makeFifo(f.data(name)));
            else if (content != "<none>")
                writeBytes(f.data(name), content);
        }
        const StartupLists lists = f.load();
        const QString named = message.section(u'|', 0, 0);
        QCOMPARE(f.prompts.calls.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            const QString text = f.prompts.calls[0].text;
            QVERIFY2(text.contains(named) && text.contains(message.section(u'|', 1)),
                     qPrintable(text));
            QCOMPARE(f.prompts.calls[0].title, QString("Tavimo"));
        }
        QCOMPARE(lists.endProgram, sites == QStringList{"<end>"});
        QCOMPARE(lists.sitesLoaded, !lists.endProgram && named != "tavimo.lst");
        if (lists.endProgram)
            return;
        QCOMPARE(callsigns(lists.sites), sites);
        QTEST(callsigns(lists.wxSites), "wxSites");
        QCOMPARE(lists.wxSitesLoaded, named != "WXsites.lst");
        for (const auto &[name, content] : files) {
            if (content == "<dir>" || content == "<none>")
                continue;
            const QString previous = f.data("Backups/" + QString(name).replace(".", ".previous."));
            QCOMPARE(readBytes(previous), named == name ? QByteArray("<unreadable>") : content);
            QCOMPARE(readBytes(f.data(name)), content);
        }
    }

    // ---- The maker's updates list and pages --------------------------------------------

    void entries_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        const QString moves = "K1AB*http://a/1.jpg*DELETE\nK2CD*http://b/1.jpg*delete\n"
                              "K3EF*http://c/1.jpg*http://c/2.jpg\n";
        const QString news = "ON4AA*50.85*4.35\nhttp://on/image.jpg\n"
                             "VK2XY*-33.8*151.2*http://vk/cam\nhttp://vk/image.jpg\n";
        const QStringList all{"2|K1AB|http://a/1.jpg|DELETE",
                              "2|K2CD|http://b/1.jpg|DELETE",
                              "2|K3EF|http://c/1.jpg|http://c/2.jpg",
                              "4|K4GH|K4GHX",
                              "6|ON4AA|50.85|4.35||http://on/image.jpg",
                              "6|VK2XY|-33.8|151.2|http://vk/cam|http://vk/image.jpg"};
        QTest::newRow("lf") << rawList(moves, "K4GH*K4GHX\n", news) << all;
        QTest::newRow("cr lf") << rawList(moves, "K4GH*K4GHX\n", news, true) << all;
        QTest::newRow("first and last line of a section are no entries")
            << QByteArray("1*2024-05-31/////5/////5K9ZZ*http://z*DELETE\nK1AB*http://a*DELETE\n"
                          "K8YY*http://y*DELETE/////5/////5/////5/////5")
            << QStringList{"2|K1AB|http://a|DELETE"};
        QTest::newRow("carriage returns inside fields removed")
            << rawList("K1AB*http://a\r*DEL\rETE\n", "K4GH*K4\rGHX\n", "")
            << QStringList{"2|K1AB|http://a|DELETE", "4|K4GH|K4GHX"};
        QTest::newRow("short, empty and no-change entries skipped")
            << rawList(
                   "K1AB*http://a\nK2CD\n\nK1AB**DELETE\nK2CD*http://b*\nK1AB*http://a*http://a\n",
                   "K4GH\n\nK4GH*K4GH\n*K4GH\nK5IJ*\n",
                   "*50*4\nhttp://x\nON4AA*50*4\n\nON4AA*50\nhttp://on/image.jpg\n")
            << QStringList{};
        QTest::newRow("cam entries skipped, case-sensitive")
            << rawList("", "",
                       "W1AW (Cam)*41.7*-72.7\nhttp://w1/cam.jpg\nW2BB*41*-73*(Cam)\nhttp://w2\n"
                       "W3CC*40*-75\nhttp://w3/(Cam).jpg\nW4DD (cam)*35*-80\nhttp://w4\n")
            << QStringList{"6|W4DD (cam)|35|-80||http://w4"};
        QTest::newRow("repeated address once, blank lines, record without address")
            << rawList("", "", "ON4AA*50*4\nhttp://on\nON4AB*51*5\nhttp://on\n\n\nON4AC*5*5\n")
            << QStringList{"6|ON4AA|50|4||http://on"};
        QTest::newRow("callsign or address that a list file writes as nothing")
            << rawList("", "",
                       QString(QChar(0)) + "*50*4\nhttp://on\nON4AB*50*4\n" + QChar(0) +
                           "\nON4AC*50*4\nhttp://ac\n")
            << QStringList{"6|ON4AC|50|4||http://ac"};
        QTest::newRow("windows-1252 text")
            << rawList("", QString::fromUtf16(u"SM0\u00D8X*SM0X\n"), "")
            << QStringList{QString::fromUtf16(u"4|SM0\u00D8X|SM0X")};
        QTest::newRow("sections after the sixth ignored")
            << rawList("", "", "ON4AA*50*4\nhttp://on\n") + "/////5 more\nK1*http://k*DELETE\n"
            << QStringList{"6|ON4AA|50|4||http://on"};
    }
    void entries() {
        QFETCH(QByteArray, bytes);
        const std::optional<UpdatesList> list = readUpdatesList(bytes);
        QVERIFY(list);
        QTEST(describe(*list), "expected");
    }

    void header_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("hasHeader");
        QTest::addColumn<double>("size");
        QTest::addColumn<QString>("date");
        QTest::addColumn<bool>("wholeList");
        const QByteArray sections = "/////5/////5/////5/////5/////5/////5";
        const auto row = [](const char *name, const QByteArray &bytes, bool hasHeader, double size,
                            const char *date, bool wholeList) {
            QTest::newRow(name) << bytes << hasHeader << size << QString(date) << wholeList;
        };
        row("complete", rawList("", "", "", true), true, 999, "2024-05-31", true);
        row("third header field", "12*05/31/2024*x" + sections, true, 12, "05/31/2024", true);
        row("size not a number", "abc*2024-05-31" + sections, true, 0, "2024-05-31", true);
        row("no star", "999 2024-05-31" + sections, false, 0, "", false);
        row("empty", "", false, 0, "", false);
        row("truncated in section 2", rawList("", "", "").left(60), true, 999, "2024-05-31", false);
        row("truncated before the first marker", "999*2024-0", true, 999, "2024-0", false);
    }
    void header() {
        QFETCH(QByteArray, bytes);
        const std::optional<UpdatesListHeader> header = readUpdatesHeader(bytes);
        QTEST(header.has_value(), "hasHeader");
        QTEST(header.value_or(UpdatesListHeader{}).declaredSize, "size");
        QTEST(header.value_or(UpdatesListHeader{}).dateText, "date");
        QTEST(readUpdatesList(bytes).has_value(), "wholeList");
    }

    void date_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        for (const char *may31 : {"2024-05-31", " 2024/5/31 ", "05/31/2024", "5-31-24", "5.31.2024",
                                  "05/31/2024 13:05:09"})
            QTest::newRow(may31) << QString(may31) << QDate(2024, 5, 31);
        QTest::newRow("two-digit year 29") << "1/2/29" << QDate(2029, 1, 2);
        QTest::newRow("two-digit year 30") << "1/2/30" << QDate(1930, 1, 2);
        QTest::newRow("leap day") << "2024-02-29" << QDate(2024, 2, 29);
        for (const char *bad :
             {"2023-02-29", "31/05/2024", "05/31-2024", "5/31/202", "yesterday", "", "+5/31/2024"})
            QTest::newRow(bad) << QString(bad) << QDate();
    }
    void date() {
        QFETCH(QString, text);
        QTEST(parseUpdatesListDate(text).value_or(QDate()), "date");
    }

    void judge_data() {
        QTest::addColumn<ListSource>("source");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("news");
        const auto row = [](const char *name, ListSource source, const QByteArray &bytes,
                            const char *action, bool news) {
            QTest::newRow(name) << source << bytes << QString(action) << news;
        };
        const auto main = ListSource::Main;
        QByteArray noDate = list({});
        noDate.replace(today.toString(Qt::ISODate).toLatin1(), "someday!!!");
        const QByteArray sixSections = "*2024-06-15/////5/////5/////5/////5/////5 five";

        row("valid with news", main, list(someNews), "accept", true);
        row("one byte more stated", main, list(someNews, 0, 1), "refuse", false);
        row("one byte less stated", main, list(someNews, 0, -1), "refuse", false);
        row("truncated", main, list(someNews).chopped(20), "refuse", false);
        row("60 days old", main, list(someNews, 60), "accept", true);
        row("61 days old", main, list(someNews, 61), "mirror", false);
        row("61 days old from the mirror", ListSource::Mirror, list(someNews, 61), "refuse", false);
        row("unreadable date", main, noDate, "refuse", false);
        row("no header", main, "<html>Not found</html>", "refuse", false);
        row("six sections", main, QByteArray::number(sixSections.size() + 2) + sixSections,
            "refuse", false);
    }
    void judge() {
        QFETCH(ListSource, source);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, action);
        QFETCH(bool, news);
        const UpdateDecision decision = judgeUpdatesList(source, bytes, today, baseSites());
        QCOMPARE(actionName(decision.action), action);
        QCOMPARE(decision.mirrorPath, action == "mirror" ? "updates/updates.txt" : "");
        QCOMPARE(decision.source, source);
        QCOMPARE(decision.list.has_value(), action == "accept");
        QCOMPARE(!decision.news.isEmpty(), news);
        if (action != "accept")
            QVERIFY(!decision.reason.isEmpty());
    }

    // A whole check as the main window drives it: every "mirror" decision is one request to
    // the mirror. Events: "begin" or "<main|mirror>:<good|old|size-off|failed>".
    void check_data() {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("actions");
        QTest::addColumn<int>("mirrorRequests");
        const auto row = [](const char *name, const char *events, const char *actions, int n) {
            QTest::newRow(name) << QString(events) << QString(actions) << n;
        };
        row("size off", "begin main:size-off", "refuse", 0);
        row("old main", "begin main:old mirror:good", "mirror accept", 1);
        row("both failed", "begin main:failed mirror:failed mirror:failed", "mirror refuse ignore",
            1);
        row("main again while the mirror is awaited", "begin main:failed main:good mirror:good",
            "mirror ignore accept", 1);
        row("no check running", "mirror:good main:good", "ignore ignore", 0);
        row("new check drops the old mirror answer",
            "begin main:failed begin mirror:good main:good", "mirror ignore accept", 1);
        row("each check its own mirror request",
            "begin main:failed mirror:failed begin main:failed mirror:failed",
            "mirror refuse mirror refuse", 2);
    }
    void check() {
        QFETCH(QString, events);
        QFETCH(QString, actions);
        const SiteList sites = baseSites();
        UpdateCheck check;
        QStringList seen;
        int requests = 0;
        for (const QString &event : events.split(u' ')) {
            if (event == "begin") {
                check.begin();
                continue;
            }
            const ListSource source =
                event.startsWith("main") ? ListSource::Main : ListSource::Mirror;
            const QString what = event.section(u':', 1);
            const UpdateDecision decision =
                what == "failed" ? check.listFailed(source)
                                 : check.listReceived(source,
                                                      list(someNews, what == "old" ? 61 : 0,
                                                           what == "size-off" ? 1 : 0),
                                                      today, sites);
            seen << actionName(decision.action);
            requests += decision.action == UpdateDecision::Action::TryMirror;
        }
        QCOMPARE(seen.join(u' '), actions);
        QTEST(requests, "mirrorRequests");
        QCOMPARE(check.isRunning(), actions.endsWith("mirror"));
    }

    void news_data() {
        QTest::addColumn<UpdatesListContent>("content");
        QTest::addColumn<SiteList>("extraSites");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("everything at once")
            << UpdatesListContent{{"x*http://a/1.jpg*delete", "K3EF*http://c/1.jpg*http://c/3.jpg"},
                                  {"VK2XY*VK2XZ"},
                                  {{"DL1XX*52.5*13.4", "http://dl/image.jpg"}}}
            << SiteList{}
            << QStringList{"new DL1XX http://dl/image.jpg", "gone K1AB http://a/1.jpg",
                           "renamed VK2XY VK2XZ", "moved K3EF http://c/1.jpg http://c/3.jpg"};
        QTest::newRow("two records share a moved address")
            << UpdatesListContent{{"K3EF*http://c/1.jpg*http://c/2.jpg"}, {}, {}}
            << SiteList{makeSite("K3EFB", "http://c/1.jpg")}
            << QStringList{"moved K3EF http://c/1.jpg http://c/2.jpg",
                           "moved K3EFB http://c/1.jpg http://c/2.jpg"};
        QTest::newRow("addresses and callsigns compared exactly")
            << UpdatesListContent{{"K1AB*http://A/1.jpg*DELETE", "K1AB*http://a/1*DELETE",
                                   "K9KEPT*http://k/1.jpg*DELETE"},
                                  {"K4G*K4X", "4GHZ*K4X", "k4gh*K4X"},
                                  {}}
            << SiteList{} << QStringList{};
        QTest::newRow("renames keep the list sorted")
            << UpdatesListContent{{}, {"K1AB*ZZ9ZZ", "VK2XY*AA1AA"}, {}} << SiteList{}
            << QStringList{"renamed K1AB ZZ9ZZ", "renamed VK2XY AA1AA"};
        QTest::newRow("rename touches the first record only")
            << UpdatesListContent{{}, {"DL1AA*DL1AB"}, {}}
            << SiteList{makeSite("DL1AA", "http://d/1"), makeSite("DL1AA", "http://d/2")}
            << QStringList{"renamed DL1AA DL1AB"};
        QTest::newRow("new sites already known, cameras, empty addresses")
            << UpdatesListContent{{"K1AB**DELETE", "K3EF*http://c/1.jpg*http://c/2.jpg"},
                                  {},
                                  {{"ON4AA*50.8*4.3", "http://on/image.jpg"},
                                   {"K3EF*40*-75", "http://c/2.jpg"},
                                   {"W1AW (Cam)*41.7*-72.7", "http://w1/cam.jpg"},
                                   {"W1AW*41.7*-72.7", ""}}}
            << SiteList{makeSite("EMPTY", "")}
            << QStringList{"moved K3EF http://c/1.jpg http://c/2.jpg"};
    }
    void news() {
        QFETCH(UpdatesListContent, content);
        QFETCH(SiteList, extraSites);
        QFETCH(QStringList, expected);
        const SiteList sites = baseSites() + extraSites;
        const UpdatesList updates = parsed(content);
        QCOMPARE(describe(compareSiteList(updates, sites)), expected);
        // The dialog applies exactly what the check announced, and an applied move is no news.
        SiteList applied = sites;
        QCOMPARE(describe(applySiteChanges(applied, updates)), expected);
        QVERIFY(compareSiteList(updates, applied).movedSites.isEmpty());
        const QStringList order = callsigns(applied);
        QVERIFY2(std::is_sorted(order.begin(), order.end()), qPrintable(order.join(u' ')));
    }

    void positions_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<SiteRecord>("stored");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        const auto row = [](const char *name, const char *record, const SiteRecord &stored,
                            double lat, double lon) {
            QTest::newRow(name) << QString(record) << stored << lat << lon;
        };
        const SiteRecord unknown = makeSite("G1AA", "http://x");
        row("unknown taken", "G1AA*50.85*4.35", unknown, 50.85, 4.35);
        row("known kept", "G1AA*-33.8*151.2", makeSite("G1AA", "http://x", -33.5, 151.5), -33.5,
            151.5);
        row("only the unknown half taken", "G1AA*51.5*-0.1", makeSite("G1AA", "http://x", 52, 0),
            52, -0.1);
        row("empty field stays unknown", "G1AA**-0.1", unknown, 0, -0.1);
        // A pair off the globe is no position: the site keeps what it had.
        row("latitude off the globe", "G1AA*95*-0.1", unknown, 0, 0);
        row("longitude off the globe", "G1AA*52*200", unknown, 0, 0);
        row("unknown half off the globe", "G1AA*1*200", makeSite("G1AA", "http://x", 52, 0), 52, 0);
    }
    void positions() {
        QFETCH(QString, record);
        QFETCH(SiteRecord, stored);
        SiteList sites{makeSite("A", "http://other"), stored, makeSite("Z", "http://x")};
        const int changed = fillMissingPositions(sites, parsed({{}, {}, {{record, "http://x"}}}));
        QTEST(sites[1].Latitude, "lat");
        QTEST(sites[1].Longitude, "lon");
        QCOMPARE(changed, sites[1] == stored ? 0 : 1);
        QCOMPARE(sites[2], makeSite("Z", "http://x")); // only the first record with the address
    }

    // The list file, a new site from the news and the news filling a site without a position
    // keep the same pairs, and only whole ones.
    void onePositionRule_data() {
        QTest::addColumn<QString>("fields"); // latitude*longitude
        QTest::addColumn<QString>("kept");
        QTest::newRow("on the globe") << "52.5*13.4" << QString("52.5*13.4");
        QTest::newRow("pole and date line") << "-90*180" << QString("-90*180");
        QTest::newRow("longitude off the globe") << "52*200" << QString("0*0");
        QTest::newRow("latitude off the globe") << "-90.5*13" << QString("0*0");
        QTest::newRow("infinite") << "52*1e999" << QString("0*0");
        QTest::newRow("no number") << "abc*13" << QString("0*13");
    }
    void onePositionRule() {
        QFETCH(QString, fields);
        QFETCH(QString, kept);
        const auto pair = [](const SiteRecord &r) {
            return numberText(r.Latitude) + "*" + numberText(r.Longitude);
        };
        const SiteRecord read =
            readList("K1A*0*0*0*0*" + fields.toLatin1() + "**\r\nu\r\n").sites.value(0);
        QCOMPARE(pair(read), kept);
        const UpdatesList news = parsed({{}, {}, {{"K1A*" + fields, "http://x"}}});
        QCOMPARE(pair(newSiteRecord(news.newSites.value(0))), kept);
        SiteList sites{makeSite("K1A", "http://x")};
        fillMissingPositions(sites, news);
        QCOMPARE(pair(sites[0]), kept);
    }

    void endpoints() {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("Tavimo.ini"));
        QCOMPARE(readEndpoints(store), Endpoints::defaults());
        store.setValue(kEndpointsSection, "ConnectionProbe", QString());
        store.setValue(kEndpointsSection, "TimePage", "  http://127.0.0.1:8080/time ");
        QVERIFY(store.sync());
        const Endpoints stored = readEndpoints(SettingsStore(dir.filePath("Tavimo.ini")));
        QCOMPARE(stored.ConnectionProbe, QString()); // present and empty: switched off
        QCOMPARE(stored.TimePage, QString("http://127.0.0.1:8080/time"));
        QCOMPARE(stored.WebMap, Endpoints::defaults().WebMap);

        // A leading slash stays below the endpoint; an endpoint that names a file is its
        // folder. (A plain join is what the callbook addresses and web map views are made of.)
        const char *rows[][3] = {
            {"http://127.0.0.1:9/callbook/eham/", "/callbook/AB1CD",
             "http://127.0.0.1:9/callbook/eham/callbook/AB1CD"},
            {"http://127.0.0.1:9/mirror/updates.txt", "updates/sstvupdates.txt",
             "http://127.0.0.1:9/mirror/updates/sstvupdates.txt"},
            {"", "db/AB1CD", ""}, // switched off
        };
        for (const auto &r : rows)
            QCOMPARE(tavimo::joinEndpoint(r[0], r[1]), QString(r[2]));
    }

    // The maker's pages. The home page names the product, four characters and the version; newer
    // is empty when there is no notice. own "time": the time page, whose first "BR" is followed by
    // ten characters, then the UTC time (empty: the clock is left alone).
    void pages_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("own");
        QTest::addColumn<QString>("newer");
        const auto row = [](const char *name, const QByteArray &page, const char *own,
                            const char *newer) {
            QTest::newRow(name) << page << QString(own) << QString(newer);
        };
        const auto notice = [](const QByteArray &v) {
            return "<p>Tavimo ver " + v + " is out.</p>";
        };
        row("4.100 over 4.92, as numbers", notice("4.100"), "4.92", "4.100");
        row("4.9 under 4.91", notice("4.9"), "4.91", "");
        row("10.0 over 9.99", notice("10.0"), "9.99", "10.0");
        row("letters after the number", notice("4.92b"), "4.91", "4.92");
        row("letters instead", notice("beta"), "4.91", "");
        row("no minor part", notice("5. "), "4.91", "");
        row("no major part", notice(".95"), "4.91", "");
        row("two points", notice("4.9.2"), "4.91", "");
        row("absurdly long", notice("4.1234567"), "4.91", "");
        row("own version unreadable", notice("4.92"), "", "");
        row("at the very end", "Tavimo ver 4.92", "4.91", "4.92");
        row("first marker counts", "Tavimo ver 4.90 / Tavimo ver 4.99", "4.91", "");
        row("case-sensitive", "tavimo ver 4.92", "4.91", "");
        row("cut in the marker", "Tavimo ve", "4.91", "");
        const auto time = [](const QByteArray &utc) {
            return "<html><body>15:05:09<BR>UTC now: " + utc + "<BR>bye</body></html>";
        };
        row("midnight", time("00:00:00"), "time", "00:00:00");
        row("before midnight", time("23:59:59"), "time", "23:59:59");
        row("first BR", "xBR012345678908:15:00 BR012345678909:00:00", "time", "08:15:00");
        row("24:00:00", time("24:00:00"), "time", "");
        row("no BR", "<br>UTC now:  13:05:09", "time", "");
        row("cut inside the time", "BR012345678913:05", "time", "");
        row("one place off", "BR01234567813:05:09", "time", "");
    }
    void pages() {
        QFETCH(QByteArray, page);
        QFETCH(QString, own);
        QTEST(own == "time" ? timePageUtcTime(page).value_or(QString())
                            : newerVersionOnHomePage(page, own).value_or(QString()),
              "newer");
    }
};

QTEST_GUILESS_MAIN(SiteListsTest)
#include "tst_sitelists.moc"
