#include "SiteWindowsHarness.h"

#include "core/sites/ListableText.h"
#include "core/sites/SiteEdits.h"
#include "core/sites/SiteGrid.h"
#include "core/sites/SiteLists.h"

#include <QTest>

using namespace tavimo;
using namespace tavimo::test;

Q_DECLARE_METATYPE(tavimo::SiteRecord)
Q_DECLARE_METATYPE(tavimo::PageView)
Q_DECLARE_METATYPE(tavimo::SlotCaption)

namespace {

SiteRecord wxAt(const QString &name, const QString &slotText) {
    SiteRecord r = test::makeSite(name, u"http://127.0.0.1/wx/"_s + name);
    r.SlotMap[2] = slotText;
    return r;
}

PageView sstvPage(int page) {
    return {page, 11, 2};
}
const PageView kWxPage{11, 11, 2};

} // namespace

class TestSiteEdits : public QObject {
    Q_OBJECT

private slots:
    void gridRowsAndScrolling_data() {
        QTest::addColumn<int>("sites");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("maximum");
        QTest::newRow("empty list: one empty row") << 0 << 1 << 0;
        QTest::newRow("five sites get an empty row") << 5 << 2 << 0;
        QTest::newRow("six sites: the sixth starts row 2") << 6 << 2 << 0;
        QTest::newRow("thirty rows") << 146 << 30 << 10;
    }
    void gridRowsAndScrolling() {
        QFETCH(int, sites);
        QFETCH(int, rows);
        QFETCH(int, maximum);
        QCOMPARE(gridRows(sites), rows);
        QCOMPARE(gridScrollMaximum(rows), maximum);
        QCOMPARE(clampTopRow(-3, rows), 0);
        QCOMPARE(clampTopRow(maximum + 1, rows), maximum);
    }

    void wheelGoesByTheSign() {
        int pending = 0;
        const QList<std::pair<int, int>> turns{{-120, 1}, {120, -1}, {-240, 2}, {-60, 0},
                                               {-60, 1},  {-60, 0},  {60, 0},   {60, -1}};
        for (const auto &[delta, rows] : turns)
            QCOMPARE(wheelRows(pending, delta), rows);
    }

    void slotOnPageShown_data() {
        QTest::addColumn<SiteRecord>("site");
        QTest::addColumn<bool>("wxList");
        QTest::addColumn<PageView>("view");
        QTest::addColumn<int>("slot");
        QTest::newRow("SSTV 0: none") << sstvAt(u"A"_s, 3, -1) << false << sstvPage(3) << -1;
        QTest::newRow("SSTV A: slot 9") << sstvAt(u"A"_s, 3, 9) << false << sstvPage(3) << 9;
        QTest::newRow("SSTV: other page") << sstvAt(u"A"_s, 3, 9) << false << sstvPage(2) << -1;
        QTest::newRow("SSTV on the WX page") << sstvAt(u"A"_s, 10, 0) << false << kWxPage << -1;
        QTest::newRow("WX 3") << wxAt(u"N"_s, u"3"_s) << true << kWxPage << 2;
        QTest::newRow("WX empty") << wxAt(u"N"_s, QString()) << true << kWxPage << -1;
        QTest::newRow("WX on an SSTV page") << wxAt(u"N"_s, u"1"_s) << true << sstvPage(1) << -1;
    }
    void slotOnPageShown() {
        QFETCH(SiteRecord, site);
        QFETCH(bool, wxList);
        QFETCH(PageView, view);
        QTEST(slotOnPage(site, wxList, view), "slot");
    }

    // What each cell shows, read from the list of the build: the painter and the grid's tests
    // both read this.
    void gridCells() {
        SiteList sites;
        for (int i = 0; i < 6; ++i)
            sites << sstvAt(u"S%1"_s.arg(i), 3, i == 1 ? 9 : -1);
        const SiteGridCells cells(&sites, false, sstvPage(3));
        QCOMPARE(cells.rows(), 2);
        QCOMPARE(cells.at(5).value().text, u"S5"_s);
        QCOMPARE(cells.at(6).value().rect, QRect(151, 21, 150, 20)); // lines between the cells
        QCOMPARE(cells.at(1).value().background, QColor(175, 225, 255));
        QCOMPARE(cells.at(2).value().background, QColor(255, 255, 255));
        QCOMPARE(cells.at(2).value().foreground, QColor(0, 0, 0));
        QVERIFY(cells.at(9).value().text.isEmpty());
        QVERIFY(!cells.at(10) && !cells.at(-1));

        QList<qsizetype> painted;
        for (const SiteGridCell &cell : cells.cellsIn(QRect(200, 15, 200, 100)))
            painted << cell.index;
        QCOMPARE(painted, (QList<qsizetype>{1, 2, 6, 7}));

        // Removed before the next build: the cell shows nothing and offers no pick.
        sites.removeLast();
        QVERIFY(cells.at(5).value().text.isEmpty());
        QVERIFY(!cells.at(5).value().placed);
    }

    void gridCellUnderThePointer_data() {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<qsizetype>("index");
        QTest::newRow("first") << QPoint(0, 0) << qsizetype(0);
        QTest::newRow("second row, second column") << QPoint(151, 21) << qsizetype(6);
        QTest::newRow("right of the grid") << QPoint(755, 0) << qsizetype(-1);
        QTest::newRow("below the last row") << QPoint(0, 42) << qsizetype(-1);
        QTest::newRow("above") << QPoint(10, -1) << qsizetype(-1);
    }
    void gridCellUnderThePointer() {
        QFETCH(QPoint, point);
        const SiteList sites(6, sstvAt(u"S"_s, 3, -1));
        QTEST(SiteGridCells(&sites, false, sstvPage(3)).indexAt(point), "index");
    }

    void addressesAndFields() {
        const SiteList sites{test::makeSite(u"AA1A"_s, u"http://h/a.jpg"_s),
                             test::makeSite(u"BB2B"_s, u"http://h/b.jpgNoDelete"_s)};
        QCOMPARE(indexOfAddress(sites, u"http://h/a.jpg"_s), 0);
        QCOMPARE(indexOfAddress(sites, u"http://h/a.jpg"_s, 0), -1); // itself
        QCOMPARE(indexOfAddress(sites, u"http://h/A.jpg"_s), -1);    // letter case counts
        QCOMPARE(indexOfAddress(sites, u"http://h/b.jpg"_s), -1);    // without the marker
        for (const QString &text : {u"a*b"_s, u"a\rb"_s, u"a\nb"_s})
            QVERIFY(holdsForbiddenCharacter(text));
        QVERIFY(!holdsForbiddenCharacter(u"http://h/x?a=1&b=2 PA3ABC-2"_s));
    }

    // What the dialogs refuse (Windows-1252 lists, "*" between fields) and how the
    // message names it; what they accept is written and read back unchanged.
    void listableText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("at"); // -1: accepted
        QTest::addColumn<QString>("named");
        QTest::newRow("plain callsign and address")
            << u"PAØABC-2 http://h/x?a=1&b=2 ÄÖÜ €"_s << -1 << QString();
        QTest::newRow("cyrillic") << u"NOAA 20 Метеор"_s << 8 << u"\"М\" (U+041C)"_s;
        QTest::newRow("field separator") << u"K1*AB"_s << 2 << u"\"*\" (U+002A)"_s;
        QTest::newRow("line break") << u"K1\nAB"_s << 2 << u"U+000A"_s;
        QTest::newRow("tab") << u"K1\tAB"_s << 2 << u"U+0009"_s;
        QTest::newRow("C1 control the code page keeps") << u"K1\u0081"_s << 2 << u"U+0081"_s;
        QTest::newRow("beyond U+FFFF") << u"K1😀"_s << 2 << u"\"😀\" (U+1F600)"_s;
        QTest::newRow("lone surrogate") << u"K1"_s + QChar(0xD800) << 2 << u"U+D800"_s;
    }
    void listableText() {
        QFETCH(QString, text);
        QFETCH(int, at);
        const auto found = firstUnlistableCharacter(text);
        QCOMPARE(found ? int(found->at) : -1, at);
        if (found)
            QTEST(characterName(found->character), "named");
        else
            QCOMPARE(listedCallsign(text), text);
    }

    void newRecordsGoInCallsignOrder() {
        const SiteRecord sstv = newSstvSite(u"PAØABC"_s, u"u"_s, u"c"_s, 52.3, 4.5);
        QCOMPARE(sstv.Callsign, u"PA0ABC"_s);
        QCOMPARE(sstv.SlotMap, (std::array<QString, 5>{QString(), kEmptySlotMap, kEmptySlotMap,
                                                       kEmptySlotMap, kEmptySlotMap}));
        const SiteRecord wx = newWxSite(u"METEØR"_s, u"w"_s);
        QCOMPARE(wx.Callsign, u"METEØR"_s); // a WX name is stored as the box shows it
        QCOMPARE(wx.SlotMap[4], u"0"_s);

        SiteList sites{test::makeSite(u"AA1A"_s, u"a"_s), test::makeSite(u"CC3C"_s, u"c"_s)};
        QCOMPARE(addSiteSorted(sites, sstv, false), 2);
        QCOMPARE(addSiteSorted(sites, test::makeSite(u"0ZERO"_s, u"z"_s), false), 0);
        QCOMPARE(callsigns(sites), (QStringList{u"0ZERO"_s, u"AA1A"_s, u"CC3C"_s, u"PA0ABC"_s}));
    }

    void removal_data() {
        QTest::addColumn<SiteList>("sites");
        QTest::addColumn<bool>("wxList");
        QTest::addColumn<PageView>("view");
        QTest::addColumn<int>("slotToClear");
        const SiteList sstv{sstvAt(u"AA1A"_s, 3, 9), sstvAt(u"BB2B"_s, 3, -1)};
        const SiteList wx{wxAt(u"NOAA 19"_s, u"4"_s), wxAt(u"METEOR"_s, u"1"_s)};
        // The dialog's own test has slot A of page 3 and a WX site on the WX page.
        QTest::newRow("an SSTV site while the WX page shows") << sstv << false << kWxPage << -1;
        QTest::newRow("WX site while an SSTV page shows") << wx << true << sstvPage(4) << -1;
        QTest::newRow("the last site of a list") << SiteList{sstv[0]} << false << sstvPage(3) << 9;
    }
    void removal() {
        QFETCH(SiteList, sites);
        QFETCH(bool, wxList);
        QFETCH(PageView, view);
        const SiteList before = sites;
        const SiteKey key = siteKey(sites[0]);
        const SiteRemoval r = removeSite(sites, key, wxList, view);
        QVERIFY(r.removed);
        QTEST(r.slotToClear, "slotToClear");
        QCOMPARE(sites, before.mid(1));
        QVERIFY(!removeSite(sites, key, wxList, view).removed);
    }

    void recordsAreFoundByKeyNotIndex() {
        SiteList sites{test::makeSite(u"BB2B"_s, u"u"_s), test::makeSite(u"AA1A"_s, u"v"_s)};
        sites.prepend(test::makeSite(QString(), u"u"_s)); // an emptied duplicate of BB2B
        const SiteKey bb = siteKey(sites[1]);
        SortSiteList(sites);
        QCOMPARE(sites[findSite(sites, bb)].Callsign, u"BB2B"_s);
        QCOMPARE(findSite(sites, SiteKey{u"w"_s, u"BB2B"_s}), -1);
    }

    void renamedCaptions_data() {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("siteCalls");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<QList<SlotCaption>>("renamed");
        // PAØAB becomes PAØXY.
        QTest::newRow("SSTV: the site's own slots, age kept")
            << QStringList{u"PAØAB"_s, u"PAØAB - 3 d"_s, u"PAØABC"_s, u"XPAØAB"_s, u"PAØAB"_s}
            << QStringList{u"PAØAB"_s, u"PAØAB"_s, u"PAØABC"_s, u"XPAØAB"_s, QString()} << false
            << QList<SlotCaption>{{0, u"PAØXY"_s}, {1, u"PAØXY - 3 d"_s}};
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
