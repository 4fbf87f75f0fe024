#include "core/files/Endpoints.h"
#include "core/files/SettingsStore.h"
#include "core/net/TimePage.h"
#include "core/net/VersionCheck.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

// Where the program's own web services are, and what it reads from the time page and the
// maker's home page.
class WebServicesTest : public QObject {
    Q_OBJECT

private slots:
    void storeOverridesDefaults() {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath("Tavimo.ini"));
        QCOMPARE(readEndpoints(store), Endpoints::defaults());
        store.setValue(kEndpointsSection, "ConnectionProbe", QString());
        store.setValue(kEndpointsSection, "TimePage", "  http://127.0.0.1:8080/time ");
        QVERIFY(store.sync());
        const Endpoints endpoints = readEndpoints(SettingsStore(dir.filePath("Tavimo.ini")));
        QCOMPARE(endpoints.ConnectionProbe, QString()); // present and empty: switched off
        QCOMPARE(endpoints.TimePage, QString("http://127.0.0.1:8080/time"));
        QCOMPARE(endpoints.WebMap, Endpoints::defaults().WebMap);
    }

    void joinEndpoint() {
        const char *rows[][3] = {
            {"http://www.qrz.com/", "db/AB1CD#t_detail", "http://www.qrz.com/db/AB1CD#t_detail"},
            // A leading slash stays below the endpoint.
            {"http://127.0.0.1:9/callbook/eham/", "/callbook/AB1CD",
             "http://127.0.0.1:9/callbook/eham/callbook/AB1CD"},
            {"http://127.0.0.1:9/mirror/updates.txt", "updates/sstvupdates.txt",
             "http://127.0.0.1:9/mirror/updates/sstvupdates.txt"},
            {"http://maps.example/", "maps?q=51.5,-0.12&t=h&z=18",
             "http://maps.example/maps?q=51.5,-0.12&t=h&z=18"},
            {"", "db/AB1CD", ""}, // switched off
        };
        for (const auto &r : rows)
            QCOMPARE(tavimo::joinEndpoint(r[0], r[1]), QString(r[2]));
    }

    // The first "BR" is followed by ten characters, then the UTC time.
    void timePage_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("time"); // empty: clock left alone
        const auto page = [](const QByteArray &time) {
            return "<html><body>15:05:09<BR>UTC now: " + time + "<BR>bye</body></html>";
        };
        QTest::newRow("midnight") << page("00:00:00") << "00:00:00";
        QTest::newRow("before midnight") << page("23:59:59") << "23:59:59";
        QTest::newRow("first marker")
            << QByteArray("xBR012345678908:15:00 BR012345678909:00:00") << "08:15:00";
        QTest::newRow("invalid time") << page("25:61:00") << "";
        QTest::newRow("24:00:00") << page("24:00:00") << "";
        QTest::newRow("no marker") << QByteArray("<br>UTC now:  13:05:09") << "";
        QTest::newRow("empty page") << QByteArray() << "";
        QTest::newRow("cut inside the time") << QByteArray("BR012345678913:05") << "";
        QTest::newRow("one place off") << QByteArray("BR01234567813:05:09") << "";
    }
    void timePage() {
        QFETCH(QByteArray, page);
        QTEST(timePageUtcTime(page).value_or(QString()), "time");
    }

    // The product name, four characters, the version. newer: empty when there is no notice.
    void newerVersion_data() {
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
        row("no marker", "<html>Page moved</html>", "4.91", "");
        row("cut in the marker", "Tavimo ve", "4.91", "");
    }
    void newerVersion() {
        QFETCH(QByteArray, page);
        QFETCH(QString, own);
        QTEST(newerVersionOnHomePage(page, own).value_or(QString()), "newer");
    }
};

QTEST_GUILESS_MAIN(WebServicesTest)
#include "tst_webservices.moc"
