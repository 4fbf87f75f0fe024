#include "core/geo/StreetViewJob.h"

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
    }
    void windowSize() {
        QFETCH(QSize, screen);
        QTEST(webMapWindowSize(screen), "window");
    }

    void job_data() {
        QTest::addColumn<QString>("job");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("street");
        const QString street = "http://m.example/maps?q=&layer=c&cbll=51.5,-0.12&cbp=12,0,0,0,0";
        QTest::newRow("street view") << "G0ABC*" + street << true << street << true;
        QTest::newRow("satellite, split at the first star")
            << "G0ABC*https://m.example/maps?q=1*2" << true << "https://m.example/maps?q=1*2"
            << false;
        QTest::newRow("no star") << street << false << street << false;
        QTest::newRow("not a web address")
            << "G0ABC*file:///etc/passwd" << false << "file:///etc/passwd" << false;
        QTest::newRow("no host") << "G0ABC*http:///maps" << false << "http:///maps" << false;
    }
    void job() {
        QFETCH(QString, job);
        QFETCH(bool, valid);
        QFETCH(bool, street);
        const StreetViewJob parsed = parseStreetViewJob(job);
        QCOMPARE(parsed.valid, valid);
        QCOMPARE(parsed.callsign, valid ? "G0ABC" : parsed.callsign);
        QTEST(parsed.address, "address");
        QCOMPARE(parsed.view == WebMapView::Street, street);
    }
};

QTEST_GUILESS_MAIN(StreetViewJobTest)
#include "tst_streetviewjob.moc"
