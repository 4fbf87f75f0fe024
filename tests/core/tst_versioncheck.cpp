#include "core/VersionCheck.h"

#include <QTest>

using namespace tavimo;

namespace {

// The home page as the maker writes it: the product name, four characters, the version.
QByteArray homePage(const QByteArray &afterMarker) {
    return "<html><head><title>Welcome</title></head><body><p>Tavimo ver " + afterMarker +
           " is out.</p></body></html>";
}

} // namespace

class VersionCheckTest : public QObject {
    Q_OBJECT

private slots:
    void notice_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("own");
        QTest::addColumn<QString>("newer"); // empty: no notice

        QTest::newRow("4.92 over 4.91") << homePage("4.92") << "4.91"
                                        << "4.92";
        QTest::newRow("5.00 over 4.91") << homePage("5.00") << "4.91"
                                        << "5.00";
        QTest::newRow("4.90 under 4.91") << homePage("4.90") << "4.91"
                                         << "";
        QTest::newRow("same version") << homePage("4.91") << "4.91"
                                      << "";
        QTest::newRow("4.100 over 4.92, as numbers") << homePage("4.100") << "4.92"
                                                     << "4.100";
        QTest::newRow("4.100 over 4.91") << homePage("4.100") << "4.91"
                                         << "4.100";
        QTest::newRow("4.9 under 4.91") << homePage("4.9") << "4.91"
                                        << "";
        QTest::newRow("10.0 over 9.99") << homePage("10.0") << "9.99"
                                        << "10.0";
        QTest::newRow("version at the very end") << QByteArray("Tavimo ver 4.92") << "4.91"
                                                 << "4.92";
        QTest::newRow("letters after the number") << homePage("4.92b") << "4.91"
                                                  << "4.92";
        QTest::newRow("first marker counts")
            << QByteArray("Tavimo ver 4.90 / Tavimo ver 4.99") << "4.91"
            << "";
        QTest::newRow("marker is case-sensitive") << QByteArray("tavimo ver 4.92") << "4.91"
                                                  << "";
        QTest::newRow("marker needs its blank") << QByteArray("Tavimo-ver 4.92") << "4.91"
                                                << "";
        QTest::newRow("no marker") << QByteArray("<html>Page moved</html>") << "4.91"
                                   << "";
        QTest::newRow("empty page") << QByteArray() << "4.91"
                                    << "";
        QTest::newRow("page cut after the marker") << QByteArray("Tavimo ve") << "4.91"
                                                   << "";
        QTest::newRow("letters instead of a version") << homePage("beta") << "4.91"
                                                      << "";
        QTest::newRow("no minor part") << homePage("5. ") << "4.91"
                                       << "";
        QTest::newRow("no major part") << homePage(".95") << "4.91"
                                       << "";
        QTest::newRow("two points") << homePage("4.9.2") << "4.91"
                                    << "";
        QTest::newRow("absurdly long") << homePage("4.1234567") << "4.91"
                                       << "";
        QTest::newRow("own version unreadable") << homePage("4.92") << ""
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
