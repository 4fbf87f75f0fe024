#include "core/base/TextCodec.h"
#include "core/net/UpdatesList.h"

#include <QTest>

using namespace tavimo;

namespace {

// A list of seven sections with LF line ends (`crlf`: CR LF). Each section body starts on the
// line after its marker, so the marker line's rest and the line before the next marker are no
// entries.
QByteArray listBytes(const QString &moves, const QString &renames, const QString &news,
                     bool crlf = false) {
    QString text = QStringLiteral("999*2024-05-31\n/////5 site updates\n"
                                  "/////5 moved and discontinued\n%1/////5\n"
                                  "/////5 new callsigns\n%2/////5\n/////5 new sites\n%3")
                       .arg(moves, renames, news);
    if (crlf)
        text.replace(u'\n', QStringLiteral("\r\n"));
    return encodeCp1252(text);
}

// One line per entry, fields joined by "|", so that rows read like the list itself.
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

} // namespace

class UpdatesListTest : public QObject {
    Q_OBJECT

private slots:
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
        QTest::newRow("lf") << listBytes(moves, "K4GH*K4GHX\n", news) << all;
        QTest::newRow("cr lf") << listBytes(moves, "K4GH*K4GHX\n", news, true) << all;
        QTest::newRow("first and last line of a section are no entries")
            << QByteArray("1*2024-05-31/////5/////5K9ZZ*http://z*DELETE\nK1AB*http://a*DELETE\n"
                          "K8YY*http://y*DELETE/////5/////5/////5/////5")
            << QStringList{"2|K1AB|http://a|DELETE"};
        QTest::newRow("carriage returns inside fields removed")
            << listBytes("K1AB*http://a\r*DEL\rETE\n", "K4GH*K4\rGHX\n", "")
            << QStringList{"2|K1AB|http://a|DELETE", "4|K4GH|K4GHX"};
        QTest::newRow("short, empty and no-change entries skipped")
            << listBytes(
                   "K1AB*http://a\nK2CD\n\nK1AB**DELETE\nK2CD*http://b*\nK1AB*http://a*http://a\n",
                   "K4GH\n\nK4GH*K4GH\n*K4GH\nK5IJ*\n",
                   "*50*4\nhttp://x\nON4AA*50*4\n\nON4AA*50\nhttp://on/image.jpg\n")
            << QStringList{};
        QTest::newRow("cam entries skipped, case-sensitive")
            << listBytes("", "",
                         "W1AW (Cam)*41.7*-72.7\nhttp://w1/cam.jpg\nW2BB*41*-73*(Cam)\nhttp://w2\n"
                         "W3CC*40*-75\nhttp://w3/(Cam).jpg\nW4DD (cam)*35*-80\nhttp://w4\n")
            << QStringList{"6|W4DD (cam)|35|-80||http://w4"};
        QTest::newRow("repeated address once, blank lines, record without address")
            << listBytes("", "", "ON4AA*50*4\nhttp://on\nON4AB*51*5\nhttp://on\n\n\nON4AC*5*5\n")
            << QStringList{"6|ON4AA|50|4||http://on"};
        QTest::newRow("windows-1252 text")
            << listBytes("", QString::fromUtf16(u"SM0\u00D8X*SM0X\n"), "")
            << QStringList{QString::fromUtf16(u"4|SM0\u00D8X|SM0X")};
        QTest::newRow("sections after the sixth ignored")
            << listBytes("", "", "ON4AA*50*4\nhttp://on\n") + "/////5 more\nK1*http://k*DELETE\n"
            << QStringList{"6|ON4AA|50|4||http://on"};
    }
    void entries() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        const std::optional<UpdatesList> list = readUpdatesList(bytes);
        QVERIFY(list);
        QCOMPARE(describe(*list), expected);
    }

    void header_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("hasHeader");
        QTest::addColumn<double>("size");
        QTest::addColumn<QString>("date");
        QTest::addColumn<bool>("wholeList");
        const QByteArray sections = "/////5/////5/////5/////5/////5/////5";
        QTest::newRow("complete") << listBytes("", "", "", true) << true << 999.0 << "2024-05-31"
                                  << true;
        QTest::newRow("third header field")
            << "12*05/31/2024*x" + sections << true << 12.0 << "05/31/2024" << true;
        QTest::newRow("size not a number")
            << "abc*2024-05-31" + sections << true << 0.0 << "2024-05-31" << true;
        QTest::newRow("no star") << "999 2024-05-31" + sections << false << 0.0 << "" << false;
        QTest::newRow("empty") << QByteArray() << false << 0.0 << "" << false;
        QTest::newRow("truncated in section 2")
            << listBytes("", "", "").left(60) << true << 999.0 << "2024-05-31" << false;
        QTest::newRow("truncated before the first marker")
            << QByteArray("999*2024-0") << true << 999.0 << "2024-0" << false;
    }
    void header() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, hasHeader);
        QFETCH(double, size);
        QFETCH(QString, date);
        QFETCH(bool, wholeList);
        const std::optional<UpdatesListHeader> header = readUpdatesHeader(bytes);
        QCOMPARE(header.has_value(), hasHeader);
        QCOMPARE(header.value_or(UpdatesListHeader{}).declaredSize, size);
        QCOMPARE(header.value_or(UpdatesListHeader{}).dateText, date);
        QCOMPARE(readUpdatesList(bytes).has_value(), wholeList);
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
        QFETCH(QDate, date);
        QCOMPARE(parseUpdatesListDate(text).value_or(QDate()), date);
    }
};

QTEST_GUILESS_MAIN(UpdatesListTest)
#include "tst_updateslist.moc"
