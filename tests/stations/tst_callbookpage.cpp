#include "core/base/TextCodec.h"
#include "core/net/CallbookPage.h"
#include "support/CallbookPages.h"

#include <QTest>

using namespace tavimo;

namespace {

test::CallbookStation station() {
    test::CallbookStation s;
    s.callsign = "VK2XYZ";
    s.name = "Ann Lee";
    s.address1 = "12 Dipole Lane";
    s.address2 = "Sydney NSW";
    s.country = "Australia";
    s.latitude = -33.87;
    s.longitude = 151.21;
    s.grid = "QF56od";
    s.licenceClass = "Advanced";
    s.previousCall = "VK2ABC";
    s.born = "1961";
    s.webPage = "http://example.org/vk2xyz";
    return s;
}

QString page(int db) {
    return QString::fromUtf8(test::callbookRecordPage(db, station()));
}

// A page of `size` characters whose label starts at one-based position `at`.
QString labelledAt(const QString &label, int at, int size = 1000) {
    QString text(size, u'x');
    text.replace(at - 1, label.size(), label);
    return text;
}

} // namespace

class TestCallbookPage : public QObject {
    Q_OBJECT

private slots:
    void fields_data() {
        QTest::addColumn<int>("db");
        QTest::addColumn<QStringList>(
            "texts"); // name, add1, add2, country, class, prev, born, grid, web
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::newRow("eHam") << 1 << QStringList{"Ann Lee",   "12 Dipole Lane", "Sydney NSW",
                                                  "Australia", "Advanced",       "VK2ABC",
                                                  "1961",      "QF56od",         ""}
                              << -33.87 << 151.21;
        QTest::newRow("QRZ")
            << 2 << QStringList{"Ann Lee",   "12 Dipole Lane", "Sydney NSW",
                                "Australia", "Advanced",       "",
                                "",          "QF56od",         "http://example.org/vk2xyz"}
            << -33.87 << 151.21;
        QTest::newRow("Hamdata") << 3 << QStringList{"Ann Lee", "12 Dipole Lane", "Sydney NSW",
                                                     "",        "Advanced",       "",
                                                     "",        "QF56od",         ""}
                                 << 0.0 << 0.0;
    }
    void fields() {
        QFETCH(int, db);
        QFETCH(QStringList, texts);
        const QString p = page(db);
        bool found = false;
        QCOMPARE(callbook::cName(p, db, &found), texts[0]);
        QVERIFY(found);
        const QStringList got{
            callbook::cName(p, db),       callbook::Add1(p, db),  callbook::Add2(p, db),
            callbook::Ctry(p, db),        callbook::Class(p, db), callbook::PrevCall(p, db),
            callbook::DateOfBirth(p, db), callbook::Grid(p, db),  callbook::WebAddress(p, db)};
        QCOMPARE(got, texts);
        QTEST(callbook::Latitude(p, db), "lat");
        QTEST(callbook::Longitude(p, db), "lon");
        QVERIFY(pageHasLabel(p, callbookLabel(db)));
    }

    void markers_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("coordinate with a line break") << "Latitude:</b> \r\n 42.35 N</td>"
                                                      << "lat"
                                                      << "42.35";
        QTest::newRow("southern hemisphere") << "Latitude:</b>  42.35 S</td>"
                                             << "lat"
                                             << "-42.35";
        QTest::newRow("out of range is no position") << "Latitude:</b>  95.5</td>"
                                                     << "lat"
                                                     << "0";
        QTest::newRow("end marker before the value") << "Latitude:</td>"
                                                     << "lat"
                                                     << "0";
        QTest::newRow("name end before its offset") << "size=3 color=x<br>"
                                                    << "name"
                                                    << "";
        QTest::newRow("grid cut at the page end") << "Grid Square:</td><td class=\"g\">FN4"
                                                  << "grid"
                                                  << "FN4";
        QTest::newRow("born 1900 is no year") << "Born</td><td class=\"va\">1900"
                                              << "born"
                                              << "";
        QTest::newRow("born 1901") << "Born</td><td class=\"va\">1901"
                                   << "born"
                                   << "1901";
        QTest::newRow("address without its name") << "<td align=\"center\">x</td>"
                                                  << "add1"
                                                  << "";
    }
    void markers() {
        QFETCH(QString, page);
        QFETCH(QString, field);
        QString got;
        if (field == "lat")
            got = QString::number(callbook::Latitude(page, 1));
        else if (field == "name")
            got = callbook::cName(page, 3);
        else if (field == "grid")
            got = callbook::Grid(page, 1);
        else if (field == "born")
            got = callbook::DateOfBirth(page, 1);
        else
            got = callbook::Add1(page, 1);
        QTEST(got, "value");
    }

    void label_data() {
        QTest::addColumn<int>("at");
        QTest::addColumn<bool>("found");
        QTest::newRow("ends at 500") << 493 << true; // "eHam.net" is eight characters
        QTest::newRow("ends at 501") << 494 << false;
        QTest::newRow("from 496") << 496 << false;
        QTest::newRow("from 505") << 505 << false;
    }
    void label() {
        QFETCH(int, at);
        QTEST(pageHasLabel(labelledAt("eHam.net", at), "eHam.net"), "found");
        QVERIFY(!pageHasLabel(labelledAt("EHAM.NET", 10), "eHam.net"));
        QVERIFY(!pageHasLabel("anything", ""));
    }

    void htmlDecode_data() {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        QTest::newRow("any letter case, others stay") << "a&AMP;b&nbsp;c&copy;"
                                                      << "a&b c&copy;";
        QTest::newRow("never decoded twice") << "&amp;lt;"
                                             << "&lt;";
        QTest::newRow("quotes and brackets") << "&quot;&lt;x&gt;&quot;"
                                             << "\"<x>\"";
        QTest::newRow("bare ampersand") << "R&D &"
                                        << "R&D &";
    }
    void htmlDecode() {
        QFETCH(QString, html);
        QTEST(HTMLDecode(html), "text");
    }

    void addresses_data() {
        QTest::addColumn<int>("db");
        QTest::addColumn<QString>("callsign");
        QTest::addColumn<QString>("address");
        QTest::newRow("eHam") << 1 << "G0ABC"
                              << "http://cb.test/e/callbook/G0ABC";
        QTest::newRow("slashed zero") << 1 << "SIM\u00D8AB"
                                      << "http://cb.test/e/callbook/SIM0AB";
        QTest::newRow("portable stays") << 1 << "DL/G0ABC"
                                        << "http://cb.test/e/callbook/DL/G0ABC";
        QTest::newRow("punctuation encoded") << 1 << "G0A#?&B"
                                             << "http://cb.test/e/callbook/G0A%23%3F%26B";
        QTest::newRow("letters beyond ASCII") << 1 << "\u00C4B1"
                                              << "http://cb.test/e/callbook/%C3%84B1";
        QTest::newRow("QRZ") << 2 << "G0ABC"
                             << "http://cb.test/q/db/G0ABC#t_detail";
        QTest::newRow("Hamdata") << 3 << "G0ABC"
                                 << "http://cb.test/h/getcall.html?callsign=G0ABC";
        QTest::newRow("no such database") << 4 << "G0ABC"
                                          << "";
        QTest::newRow("switched off") << 0 << "G0ABC"
                                      << "";
        QTest::newRow("no callsign") << 1 << ""
                                     << "";
    }
    void addresses() {
        QFETCH(int, db);
        QFETCH(QString, callsign);
        Endpoints endpoints;
        endpoints.CallbookEham = "http://cb.test/e/";
        endpoints.CallbookQrz = "http://cb.test/q/";
        endpoints.CallbookHamdata = "http://cb.test/h/";
        QTEST(callbookRecordAddress(endpoints, db, callsign), "address");
    }

    void pictureAddress() {
        QCOMPARE(stationPictureAddress("http://p.test/", "SIM\u00D8AB"),
                 QString("http://p.test/b/sim0ab/sim0ab.jpg"));
        QCOMPARE(stationPictureAddress("http://p.test/", "AB1\u00D8"),
                 QString("http://p.test/0/ab10/ab10.jpg"));
        QCOMPARE(stationPictureAddress("", "G0ABC"), QString());
        QCOMPARE(stationPictureAddress("http://p.test/", ""), QString());
    }

    void pageEncoding() {
        QCOMPARE(callbookPageText(QString("M\u00FCller").toUtf8()), QString("M\u00FCller"));
        QCOMPARE(callbookPageText(encodeCp1252(u"M\u00FCller")), QString("M\u00FCller"));
    }
};

QTEST_GUILESS_MAIN(TestCallbookPage)
#include "tst_callbookpage.moc"
