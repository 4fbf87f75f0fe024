// Reading a list at start-up: the site-list sort against the comb sort the
// lists were sorted with before (over shuffled lists, the same callsign order,
// and records with equal callsigns in the order the file gave them, which the
// comb sort did not promise), and the old-format test, which reads no further
// than the first line.

#include "core/sites/SiteLists.h"
#include "support/TestFiles.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace tavimo;

namespace {

// The sort as it was: a comb sort whose gap shrinks by 0.65 until a pass at
// gap 1 swaps nothing.
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

// `count` records with callsigns drawn from `alphabet` (short ones repeat),
// each carrying its place in the file as its address.
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

QStringList callsigns(const SiteList &sites) {
    QStringList calls;
    for (const SiteRecord &r : sites)
        calls << r.Callsign;
    return calls;
}

} // namespace

class SiteSortTest : public QObject {
    Q_OBJECT

private slots:
    void sameOrderAsTheCombSortAndEqualsInFileOrder_data() {
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
        QTest::newRow("mostly different callsigns")
            << 3000 << 8 << "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    }

    void sameOrderAsTheCombSortAndEqualsInFileOrder() {
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
        QFETCH(bool, old);
        QTemporaryDir dir;
        const QString path = dir.filePath(kSiteListFile);
        test::writeBytes(path, bytes);
        QCOMPARE(isOldFormatSiteList(path), old);
        QVERIFY(!isOldFormatSiteList(dir.filePath("missing.lst")));
    }
};

QTEST_MAIN(SiteSortTest)
#include "tst_sitesort.moc"
