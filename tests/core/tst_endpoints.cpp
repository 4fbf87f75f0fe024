// The endpoint table: defaults, values from the settings store, switching a
// request off, and addresses below an endpoint.

#include "core/Endpoints.h"
#include "core/SettingsStore.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tavimo;

class EndpointsTest : public QObject {
    Q_OBJECT

private slots:
    void storeOverridesDefaults();
    void joinEndpoint_data();
    void joinEndpoint();
};

void EndpointsTest::storeOverridesDefaults() {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("Tavimo.ini")));
    QCOMPARE(readEndpoints(store), Endpoints::defaults());
    QVERIFY(Endpoints::defaults().ConnectionProbe.startsWith(QStringLiteral("http://")));

    store.setValue(kEndpointsSection, QStringLiteral("ConnectionProbe"), QString());
    store.setValue(kEndpointsSection, QStringLiteral("TimePage"),
                   QStringLiteral("  http://127.0.0.1:8080/time "));
    QVERIFY(store.sync());
    SettingsStore reread(dir.filePath(QStringLiteral("Tavimo.ini")));
    const Endpoints endpoints = readEndpoints(reread);
    QCOMPARE(endpoints.ConnectionProbe, QString()); // present and empty: switched off
    QCOMPARE(endpoints.TimePage, QStringLiteral("http://127.0.0.1:8080/time"));
    QCOMPARE(endpoints.WebMap, Endpoints::defaults().WebMap);
}

void EndpointsTest::joinEndpoint_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("address");
    QTest::newRow("folder") << "http://www.qrz.com/"
                            << "db/AB1CD#t_detail"
                            << "http://www.qrz.com/db/AB1CD#t_detail";
    QTest::newRow("leading slash stays below") << "http://127.0.0.1:9/callbook/eham/"
                                               << "/callbook/AB1CD"
                                               << "http://127.0.0.1:9/callbook/eham/callbook/AB1CD";
    QTest::newRow("beside a list") << "http://127.0.0.1:9/mirror/updates.txt"
                                   << "updates/sstvupdates.txt"
                                   << "http://127.0.0.1:9/mirror/updates/sstvupdates.txt";
    QTest::newRow("query kept") << "http://maps.example/"
                                << "maps?q=51.5,-0.12&t=h&z=18"
                                << "http://maps.example/maps?q=51.5,-0.12&t=h&z=18";
    QTest::newRow("switched off") << ""
                                  << "db/AB1CD"
                                  << "";
}

void EndpointsTest::joinEndpoint() {
    QFETCH(QString, base);
    QFETCH(QString, path);
    QFETCH(QString, address);
    QCOMPARE(tavimo::joinEndpoint(base, path), address);
}

QTEST_MAIN(EndpointsTest)
#include "tst_endpoints.moc"
