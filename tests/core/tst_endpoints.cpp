#include "core/files/Endpoints.h"
#include "core/files/SettingsStore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

class EndpointsTest : public QObject {
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
};

QTEST_GUILESS_MAIN(EndpointsTest)
#include "tst_endpoints.moc"
