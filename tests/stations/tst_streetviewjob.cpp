#include "core/geo/StreetViewJob.h"
#include "support/TestFiles.h"

#include <QTest>

using namespace tavimo;

class StreetViewJobTest : public QObject {
    Q_OBJECT

private slots:
    void windowSize_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("window");
        // 921.6 high would be 1474.56 wide: too wide, so 900 wide at 16:10 (562.5).
        QTest::newRow("1280x1024") << QSize(1280, 1024) << QSize(900, 562);
        QTest::newRow("2560x1080 keeps 1.6") << QSize(2560, 1080) << QSize(1555, 972);
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QSize(1540, 962);
        QTest::newRow("1366x768") << QSize(1366, 768) << QSize(986, 616);
        QTest::newRow("narrower than the side room") << QSize(320, 240) << QSize(160, 100);
    }
    void windowSize() {
        QFETCH(QSize, screen);
        QTEST(webMapWindowSize(screen), "window");
    }

    void job_data() {
        QTest::addColumn<QString>("job");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("callsign");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("street");

        const QString street = "http://maps.example/maps?q=&layer=c&cbll=51.5,-0.12&cbp=12,0,0,0,0";
        const QString satellite = "https://maps.example/maps?q=51.5,-0.12&t=h&z=18";
        QTest::newRow("street view") << "G0ABC*" + street << true << "G0ABC" << street << true;
        QTest::newRow("satellite") << "G0ABC*" + satellite << true << "G0ABC" << satellite << false;
        QTest::newRow("split at the first star") << "G0ABC*http://h/maps?q=1*2" << true << "G0ABC"
                                                 << "http://h/maps?q=1*2" << false;
        QTest::newRow("no star") << street << false << "" << street << false;
        QTest::newRow("not a web address") << "G0ABC*file:///etc/passwd" << false << "G0ABC"
                                           << "file:///etc/passwd" << false;
        QTest::newRow("script") << "G0ABC*javascript:alert(1)" << false << "G0ABC"
                                << "javascript:alert(1)" << false;
        QTest::newRow("no host") << "G0ABC*http:///maps" << false << "G0ABC"
                                 << "http:///maps" << false;
        QTest::newRow("empty address") << "G0ABC*" << false << "G0ABC"
                                       << "" << false;
    }
    void job() {
        QFETCH(QString, job);
        QFETCH(bool, street);
        const StreetViewJob parsed = parseStreetViewJob(job);
        QTEST(parsed.valid, "valid");
        QTEST(parsed.callsign, "callsign");
        QTEST(parsed.address, "address");
        QCOMPARE(parsed.view == WebMapView::Street, street);
    }

    void position_data() {
        QTest::addColumn<QString>("callsign");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<bool>("known");
        QTest::newRow("site with a position") << "G0ABC" << false << true;
        QTest::newRow("slashed zero") << "GØABC" << false << true;
        QTest::newRow("site at 0, 0") << "K1NUL" << false << false;
        QTest::newRow("not in the list") << "W9XYZ" << false << false;
        QTest::newRow("WX page") << "G0ABC" << true << false;
    }
    void position() {
        QFETCH(QString, callsign);
        QFETCH(bool, wxPage);
        SiteRecord london = test::makeSite("G0ABC", "http://127.0.0.1/1/image1.jpg");
        london.Latitude = 51.5;
        london.Longitude = -0.12;
        const SiteList sites{test::makeSite("K1NUL", "http://127.0.0.1/2/image1.jpg"), london};
        QTEST(webMapSitePosition(callsign, wxPage, sites).has_value(), "known");
    }
};

QTEST_GUILESS_MAIN(StreetViewJobTest)
#include "tst_streetviewjob.moc"
