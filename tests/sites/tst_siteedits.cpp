#include "core/sites/SiteEdits.h"
#include "core/sites/SiteGrid.h"
#include "core/sites/SiteLists.h"
#include "core/sites/SlotMap.h"
#include "support/TestFiles.h"

#include <QTest>

using namespace tavimo;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(tavimo::SiteRecord)
Q_DECLARE_METATYPE(tavimo::PageView)
Q_DECLARE_METATYPE(tavimo::SlotCaption)

namespace {

constexpr int kSetting = 2;

SiteRecord sstvAt(const QString &call, int page, int slot) {
    SiteRecord r = test::makeSite(call, u"http://127.0.0.1/"_s + call + u"/image1.jpg"_s);
    r.SlotMap[kSetting] = withSstvSlotOnPage(kEmptySlotMap, page, slot);
    return r;
}

SiteRecord wxAt(const QString &name, const QString &slotText) {
    SiteRecord r = test::makeSite(name, u"http://127.0.0.1/wx/"_s + name);
    r.SlotMap[kSetting] = slotText;
    return r;
}

PageView sstvPage(int page) {
    return {page, 11, kSetting};
}
const PageView kWxPage{11, 11, kSetting};

QStringList callsigns(const SiteList &sites) {
    QStringList calls;
    for (const SiteRecord &s : sites)
        calls << s.Callsign;
    return calls;
}

} // namespace

class TestSiteEdits : public QObject {
    Q_OBJECT

private slots:
    void gridRowsAndScrolling_data() {
        QTest::addColumn<int>("sites");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("maximum");
        QTest::newRow("empty list: one empty row, nothing to scroll") << 0 << 1 << 0;
        QTest::newRow("one site") << 1 << 1 << 0;
        QTest::newRow("five sites get an empty row") << 5 << 2 << 0;
        QTest::newRow("six sites: the sixth starts row 2") << 6 << 2 << 0;
        QTest::newRow("ten sites") << 10 << 3 << 0;
        QTest::newRow("twenty sites") << 20 << 5 << 0;
        QTest::newRow("96 sites fill twenty rows") << 96 << 20 << 0;
        QTest::newRow("101 sites scroll one row") << 101 << 21 << 1;
        QTest::newRow("thirty rows") << 146 << 30 << 10;
    }
    void gridRowsAndScrolling() {
        QFETCH(int, sites);
        QFETCH(int, rows);
        QFETCH(int, maximum);
        QCOMPARE(gridRows(sites), rows);
        QVERIFY(rows * kGridColumns >= sites);
        QCOMPARE(gridScrollMaximum(rows), maximum);
        QCOMPARE(clampTopRow(-3, rows), 0);
        QCOMPARE(clampTopRow(maximum + 1, rows), maximum);
    }

    void wheelGoesByTheSign() {
        int pending = 0;
        QCOMPARE(wheelRows(pending, -120), 1); // toward the user: down the list
        QCOMPARE(wheelRows(pending, 120), -1);
        QCOMPARE(wheelRows(pending, -240), 2);
        QCOMPARE(wheelRows(pending, -60), 0); // half a notch waits for the other half
        QCOMPARE(wheelRows(pending, -60), 1);
        QCOMPARE(wheelRows(pending, -60), 0);
        QCOMPARE(wheelRows(pending, 60), 0); // turning back drops the half notch
        QCOMPARE(wheelRows(pending, 60), -1);
        QCOMPARE(wheelRows(pending, 0), 0);
    }

    void slotOnPageShown_data() {
        QTest::addColumn<SiteRecord>("site");
        QTest::addColumn<bool>("wxList");
        QTest::addColumn<PageView>("view");
        QTest::addColumn<int>("slot");
        QTest::newRow("SSTV 0: none") << sstvAt(u"A"_s, 3, -1) << false << sstvPage(3) << -1;
        QTest::newRow("SSTV 1: slot 0") << sstvAt(u"A"_s, 3, 0) << false << sstvPage(3) << 0;
        QTest::newRow("SSTV A: slot 9") << sstvAt(u"A"_s, 3, 9) << false << sstvPage(3) << 9;
        QTest::newRow("SSTV: other page") << sstvAt(u"A"_s, 3, 9) << false << sstvPage(2) << -1;
        QTest::newRow("SSTV on the WX page") << sstvAt(u"A"_s, 10, 0) << false << kWxPage << -1;
        QTest::newRow("WX 3") << wxAt(u"N"_s, u"3"_s) << true << kWxPage << 2;
        QTest::newRow("WX 0") << wxAt(u"N"_s, u"0"_s) << true << kWxPage << -1;
        QTest::newRow("WX empty") << wxAt(u"N"_s, QString()) << true << kWxPage << -1;
        QTest::newRow("WX on an SSTV page") << wxAt(u"N"_s, u"1"_s) << true << sstvPage(1) << -1;
        QTest::newRow("layout outside 0..4")
            << sstvAt(u"A"_s, 1, 0) << false << PageView{1, 11, 9} << -1;
    }
    void slotOnPageShown() {
        QFETCH(SiteRecord, site);
        QFETCH(bool, wxList);
        QFETCH(PageView, view);
        QFETCH(int, slot);
        QCOMPARE(slotOnPage(site, wxList, view), slot);
    }

    void addressesAndFields() {
        const SiteList sites{test::makeSite(u"AA1A"_s, u"http://h/a/image1.jpg"_s),
                             test::makeSite(u"BB2B"_s, u"http://h/b/image1.jpgNoDelete"_s)};
        QCOMPARE(indexOfAddress(sites, u"http://h/a/image1.jpg"_s), 0);
        QCOMPARE(indexOfAddress(sites, u"http://h/a/image1.jpg"_s, 0), -1); // itself
        QCOMPARE(indexOfAddress(sites, u"http://h/A/image1.jpg"_s), -1);    // letter case counts
        QCOMPARE(indexOfAddress(sites, u"http://h/b/image1.jpg"_s), -1);    // without the marker
        QCOMPARE(indexOfAddress(sites, u" http://h/a/image1.jpg"_s), -1);   // nothing trimmed

        for (const QString &text : {u"a*b"_s, u"a\rb"_s, u"a\nb"_s, u"*"_s})
            QVERIFY2(holdsForbiddenCharacter(text), qPrintable(text));
        for (const QString &text : {QString(), u"PA3ABC-2"_s, u"http://h/x?a=1&b=2"_s})
            QVERIFY(!holdsForbiddenCharacter(text));
    }

    void positionBoxes_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<double>("value");
        QTest::newRow("decimal comma") << u"41,5"_s << 41.5;
        QTest::newRow("point, blanks, minus") << u" -81.25"_s << -81.25;
        QTest::newRow("no number") << u"north"_s << 0.0;
        QTest::newRow("empty") << QString() << 0.0;
        QTest::newRow("number then text") << u"52.1 N"_s << 52.1;
    }
    void positionBoxes() {
        QFETCH(QString, box);
        QFETCH(double, value);
        QCOMPARE(positionFromBox(box), value);
    }

    void positionTextFollowsTheLocale() {
        const QLocale german(QLocale::German, QLocale::Germany);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(positionBoxText(41.5, german), u"41,5"_s);
        QCOMPARE(positionBoxText(-81.25, english), u"-81.25"_s);
        QCOMPARE(positionBoxText(0, english), u"0"_s);
        QCOMPARE(positionBoxText(1234567.5, german), u"1234567,5"_s); // no grouping
        QCOMPARE(positionBoxText(52.12345678901234567, english), u"52.1234567890123"_s);
        // What a box shows reads back as the number it shows.
        QCOMPARE(positionFromBox(positionBoxText(-33.8688, german)), -33.8688);
    }

    void newRecords() {
        const SiteRecord sstv = newSstvSite(u"PAØABC"_s, u"http://h/p/image1.jpg"_s,
                                            u"http://h/cam.jpg"_s, u"52,3"_s, u"x"_s);
        QCOMPARE(sstv.Callsign, u"PA0ABC"_s);
        QCOMPARE(sstv.Latitude, 52.3);
        QCOMPARE(sstv.Longitude, 0.0);
        QCOMPARE(sstv.CamUrl, u"http://h/cam.jpg"_s);
        QCOMPARE(sstv.SlotMap[0], QString());
        for (int k = 1; k <= 4; ++k)
            QCOMPARE(sstv.SlotMap[k], kEmptySlotMap);

        const SiteRecord wx = newWxSite(u"METEØR"_s, u"http://h/wx.jpg"_s);
        QCOMPARE(wx.Callsign, u"METEØR"_s); // a WX name is stored as the box shows it
        QCOMPARE(wx.Latitude, 0.0);
        QCOMPARE(wx.CamUrl, QString());
        for (int k = 1; k <= 4; ++k)
            QCOMPARE(wx.SlotMap[k], u"0"_s);
    }

    void addInsertsInCallsignOrder() {
        SiteList sites{test::makeSite(u"AA1A"_s, u"a"_s), test::makeSite(u"CC3C"_s, u"c"_s)};
        QCOMPARE(addSiteSorted(sites, test::makeSite(u"BB2B"_s, u"b"_s), false), 1);
        QCOMPARE(callsigns(sites), (QStringList{u"AA1A"_s, u"BB2B"_s, u"CC3C"_s}));
        QCOMPARE(addSiteSorted(sites, test::makeSite(u"0ZERO"_s, u"z"_s), false), 0);
        SiteList empty;
        QCOMPARE(addSiteSorted(empty, test::makeSite(u"N"_s, u"n"_s), true), 0);
    }

    void lookupCallsignIsCut_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("call");
        QTest::newRow("plain") << u"PA3ABC"_s << u"PA3ABC"_s;
        QTest::newRow("dash suffix") << u"PA3ABC-2"_s << u"PA3ABC"_s;
        QTest::newRow("blank suffix") << u"F1ABC cam"_s << u"F1ABC"_s;
        QTest::newRow("leading dash") << u"-X"_s << QString();
    }
    void lookupCallsignIsCut() {
        QFETCH(QString, box);
        QFETCH(QString, call);
        QCOMPARE(lookupCallsign(box), call);
    }

    void removal_data() {
        QTest::addColumn<SiteList>("sites");
        QTest::addColumn<int>("remove");
        QTest::addColumn<bool>("wxList");
        QTest::addColumn<PageView>("view");
        QTest::addColumn<int>("slotToClear");
        QTest::addColumn<QStringList>("left");
        const SiteList sstv{sstvAt(u"AA1A"_s, 3, 9), sstvAt(u"BB2B"_s, 3, -1),
                            sstvAt(u"CC3C"_s, 1, 4)};
        QTest::newRow("slot A of page 3")
            << sstv << 0 << false << sstvPage(3) << 9 << QStringList{u"BB2B"_s, u"CC3C"_s};
        QTest::newRow("no slot on the page")
            << sstv << 1 << false << sstvPage(3) << -1 << QStringList{u"AA1A"_s, u"CC3C"_s};
        QTest::newRow("SSTV site while the WX page shows")
            << sstv << 2 << false << kWxPage << -1 << QStringList{u"AA1A"_s, u"BB2B"_s};
        QTest::newRow("the last site of a list")
            << SiteList{sstvAt(u"AA1A"_s, 3, 0)} << 0 << false << sstvPage(3) << 0 << QStringList{};
        const SiteList wx{wxAt(u"METEOR"_s, u"1"_s), wxAt(u"NOAA 19"_s, u"4"_s)};
        QTest::newRow("WX site on the WX page")
            << wx << 1 << true << kWxPage << 3 << QStringList{u"METEOR"_s};
        QTest::newRow("WX site while an SSTV page shows")
            << wx << 1 << true << sstvPage(4) << -1 << QStringList{u"METEOR"_s};
    }
    void removal() {
        QFETCH(SiteList, sites);
        QFETCH(int, remove);
        QFETCH(bool, wxList);
        QFETCH(PageView, view);
        QFETCH(int, slotToClear);
        QFETCH(QStringList, left);
        const SiteKey key = siteKey(sites[remove]);
        const SiteRemoval r = removeSite(sites, key, wxList, view);
        QVERIFY(r.removed);
        QCOMPARE(r.slotToClear, slotToClear);
        QCOMPARE(callsigns(sites), left);
        QVERIFY(!removeSite(sites, key, wxList, view).removed);
    }

    void recordsAreFoundByKeyNotIndex() {
        SiteList sites{test::makeSite(u"BB2B"_s, u"u"_s), test::makeSite(u"AA1A"_s, u"v"_s)};
        sites.append(test::makeSite(QString(), u"u"_s)); // an emptied duplicate of BB2B
        const SiteKey bb = siteKey(sites[0]);
        SortSiteList(sites);
        QCOMPARE(sites[findSite(sites, bb)].Callsign, u"BB2B"_s);
        QCOMPARE(findSite(sites, SiteKey{u"w"_s, u"BB2B"_s}), -1);
    }

    void renamedCaptions_data() {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("siteCalls");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<QList<SlotCaption>>("renamed");
        // Renaming PAØAB to PAØXY.
        QTest::newRow("SSTV: exact site, age kept")
            << QStringList{u"PAØAB"_s, u"PAØAB - 3 days"_s, u"PAØABC"_s, u"PAØAB-2"_s, u""_s}
            << QStringList{u"PAØAB"_s, u"PAØAB"_s, u"PAØABC"_s, u"PAØAB-2"_s, u""_s} << false
            << QList<SlotCaption>{{0, u"PAØXY"_s}, {1, u"PAØXY - 3 days"_s}};
        QTest::newRow("SSTV: a caption without the site's callsign in the table")
            << QStringList{u"PAØAB"_s} << QStringList{QString()} << false << QList<SlotCaption>{};
        QTest::newRow("WX: whole names only")
            << QStringList{u"PAØAB"_s, u"PAØAB 2"_s, u"XPAØAB"_s} << QStringList{} << true
            << QList<SlotCaption>{{0, u"PAØXY"_s}};
    }
    void renamedCaptions() {
        QFETCH(QStringList, captions);
        QFETCH(QStringList, siteCalls);
        QFETCH(bool, wxPage);
        QFETCH(QList<SlotCaption>, renamed);
        QCOMPARE(tavimo::renamedCaptions(captions, siteCalls, wxPage, u"PAØAB"_s, u"PAØXY"_s),
                 renamed);
    }
};

QTEST_GUILESS_MAIN(TestSiteEdits)
#include "tst_siteedits.moc"
