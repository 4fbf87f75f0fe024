#include "core/net/VersionCheck.h"

#include <QTest>

using namespace tavimo;

class VersionCheckTest : public QObject {
    Q_OBJECT

private slots:
    void notice_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("own");
        QTest::addColumn<QString>("newer"); // empty: no notice
        // The product name, four characters, the version.
        const auto row = [](const char *name, const QByteArray &version, const char *own,
                            const char *newer) {
            QTest::newRow(name) << "<p>Tavimo ver " + version + " is out.</p>" << QString(own)
                                << QString(newer);
        };
        row("4.100 over 4.92, as numbers", "4.100", "4.92", "4.100");
        row("4.9 under 4.91", "4.9", "4.91", "");
        row("10.0 over 9.99", "10.0", "9.99", "10.0");
        row("letters after the number", "4.92b", "4.91", "4.92");
        row("letters instead", "beta", "4.91", "");
        row("no minor part", "5. ", "4.91", "");
        row("no major part", ".95", "4.91", "");
        row("two points", "4.9.2", "4.91", "");
        row("absurdly long", "4.1234567", "4.91", "");
        row("own version unreadable", "4.92", "", "");
        QTest::newRow("at the very end") << QByteArray("Tavimo ver 4.92") << "4.91"
                                         << "4.92";
        QTest::newRow("first marker counts")
            << QByteArray("Tavimo ver 4.90 / Tavimo ver 4.99") << "4.91"
            << "";
        QTest::newRow("case-sensitive") << QByteArray("tavimo ver 4.92") << "4.91"
                                        << "";
        QTest::newRow("no marker") << QByteArray("<html>Page moved</html>") << "4.91"
                                   << "";
        QTest::newRow("cut in the marker") << QByteArray("Tavimo ve") << "4.91"
                                           << "";
    }
    void notice() {
        QFETCH(QByteArray, page);
        QFETCH(QString, own);
        QFETCH(QString, newer);
        QCOMPARE(newerVersionOnHomePage(page, own).value_or(QString()), newer);
    }
};

QTEST_GUILESS_MAIN(VersionCheckTest)
#include "tst_versioncheck.moc"
