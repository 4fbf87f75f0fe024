#include "core/app/AppState.h"
#include "core/sites/SlotMap.h"
#include "core/thumbs/PagePlan.h"
#include "core/thumbs/RefreshTimers.h"
#include "core/thumbs/SlotAssignment.h"

#include <QSignalSpy>
#include <QTest>

using namespace tavimo;
using namespace std::chrono_literals;

namespace {

const QString slashedO = QStringLiteral("\u00D8");
constexpr int kSetting = 2; // 10 slots

// A site whose setting-2 slot map is `map`; the other settings leave it off.
SiteRecord makeSite(const QString &callsign, const QString &map, const QString &url = QString()) {
    SiteRecord s;
    s.Callsign = callsign;
    s.PictureUrl = url.isEmpty() ? "http://sites.test/" + callsign + "/image1.jpg" : url;
    s.SlotMap = {QString(), kEmptySlotMap, map, kEmptySlotMap, kEmptySlotMap};
    return s;
}

// An SSTV site placed at `slot` on page 3 (-1: not there) and at slot 4 on page 1.
SiteRecord placed(const QString &call, int slot) {
    return makeSite(call, withSstvSlotOnPage(withSstvSlotOnPage(kEmptySlotMap, 1, 4), 3, slot));
}

PageState page(bool wxPage, int slotCount, int selected = 0) {
    PageState p;
    p.CurrentPage = wxPage ? p.PageCount : 3;
    p.SlotCount = slotCount;
    p.SelectedSlot = selected;
    return p;
}

// Character `page` of every site's setting-2 slot map.
QString pageChars(const SiteList &sites, int page) {
    QString chars;
    for (const SiteRecord &s : sites)
        chars += s.SlotMap[kSetting].at(page - 1);
    return chars;
}

// "slot:site:caption:key" per placed slot, joined by "|".
QString describe(const PagePlan &plan) {
    QStringList parts;
    for (const PlannedSlot &p : plan.placed)
        parts << QStringLiteral("%1:%2:%3:%4").arg(p.slot).arg(p.site).arg(p.caption, p.key);
    return parts.join(u'|');
}

} // namespace

Q_DECLARE_METATYPE(SiteList)
Q_DECLARE_METATYPE(tavimo::SitePick)

// Which site sits in which slot of the page, the pass that fetches them, and the timers that
// start the passes.
class PagePlanTest : public QObject {
    Q_OBJECT

    SiteList sites;
    WxSiteList wxSites;
    SlotTable table;

private slots:
    void init() {
        // Page 3: AA1A at slot 6 ("7"), BB2B at slot 1 ("2"), CC3C nowhere, DD4D at slot 9 ("A").
        sites = {placed("AA1A", 6), placed("BB2B", 1), placed("CC3C", -1), placed("DD4D", 9)};
        wxSites = {makeSite("METEOR", "1"), makeSite("NOAA 15", "5"), makeSite("NOAA 19", "x")};
        table = SlotTable();
    }

    // SSTV page 3, or the WX page, of the 10-slot setting.
    void plan_data() {
        QTest::addColumn<bool>("wx");
        QTest::addColumn<SiteList>("sites");
        QTest::addColumn<int>("slotCount");
        QTest::addColumn<QString>("placed");
        QTest::addColumn<QStringList>("list1");
        // "NoDelete" is no part of the address asked for.
        QTest::newRow("A on page 3 is slot 9")
            << false
            << SiteList{makeSite("XX9ABC", "00A0000000",
                                 "http://sites.test/XX9ABC/NoDeleteimage1.jpgNoDelete")}
            << 10 << "9:0:XX9ABC:9" << QStringList{"XX9ABC    10"};
        QTest::newRow("zero shown as ZeroChar, List1 keeps it")
            << false << SiteList{makeSite("XX0ABC", "0010000000")} << 10
            << "0:0:XX" + slashedO + "ABC:0" << QStringList{"XX0ABC    1"};
        QTest::newRow("two sites in one slot: the later has it")
            << false << SiteList{makeSite("AA1A", "0030000000"), makeSite("BB1B", "0030000000")}
            << 10 << "2:1:BB1B:2" << QStringList{"AA1A    3", "BB1B    3"};
        QTest::newRow("a site beyond the slot count is skipped")
            << false << SiteList{makeSite("AA1A", "00B0000000"), makeSite("BB1B", "0040000000")}
            << 10 << "3:1:BB1B:3" << QStringList{"BB1B    4"};
        QTest::newRow("the last slot of the layout is placed")
            << false << SiteList{makeSite("AA1A", "00O0000000")} << 24 << "23:0:AA1A:23"
            << QStringList{"AA1A    24"};
        // An address ending in "image1" once drew a check picture on the WX page too.
        QTest::newRow("WX slot from the number")
            << true << SiteList{makeSite("NOAA 19", "3", "http://wx.test/image1NoDelete")} << 10
            << "2:0:NOAA 19:1102" << QStringList{};
        QTest::newRow("WX no number, not placed")
            << true << SiteList{makeSite("NOAA", "x3")} << 10 << "" << QStringList{};
        QTest::newRow("WX beyond the slot count skipped, later sites still placed")
            << true << SiteList{makeSite("A", "11"), makeSite("B", "2")} << 10 << "1:1:B:1101"
            << QStringList{};
    }
    void plan() {
        QFETCH(bool, wx);
        QFETCH(SiteList, sites);
        QFETCH(int, slotCount);
        const PagePlan plan = wx ? planWxPage(sites, kPageCount, 2, slotCount)
                                 : planSstvPage(sites, 3, 2, slotCount, slashedO);
        QCOMPARE(plan.wxPage, wx);
        QTEST(describe(plan), "placed");
        QTEST(plan.List1, "list1");
        for (const PlannedSlot &p : plan.placed) {
            const QString folder = "http://sites.test/" + sites.at(p.site).Callsign;
            // The WX address is taken as stored, with no check picture.
            QCOMPARE(p.url, wx ? sites.at(p.site).PictureUrl : folder + "/image1.jpg");
            QCOMPARE(p.checkUrl, wx ? QString() : folder + "/checknew.jpg");
        }
    }

    // "f"/"t": what finish() answered for each slot in turn.
    void passCounter_data() {
        QTest::addColumn<QList<int>>("slotList");
        QTest::addColumn<QList<int>>("finished");
        QTest::addColumn<QString>("results");
        QTest::newRow("each slot once ends the pass")
            << QList<int>{0, 1, 2} << QList<int>{2, 0, 1} << "fft";
        QTest::newRow("a slot counted twice does not end the pass early")
            << QList<int>{0, 1, 2} << QList<int>{0, 0, 1, 2} << "ffft";
        QTest::newRow("a slot outside the pass changes nothing")
            << QList<int>{0, 1} << QList<int>{7, 0, 1} << "fft";
        QTest::newRow("empty pass is complete at once") << QList<int>{} << QList<int>{3} << "t";
        QTest::newRow("a slot listed twice is expected once")
            << QList<int>{6, 6} << QList<int>{6} << "t";
    }
    void passCounter() {
        QFETCH(QList<int>, slotList);
        QFETCH(QList<int>, finished);
        PassCounter pass;
        pass.start({1, 2, 3}); // an earlier pass, replaced by the next start
        pass.finish(1);
        pass.start(slotList);
        QCOMPARE(pass.FinishedCount(), 0);
        QString answers;
        for (const int slot : finished)
            answers += pass.finish(slot) ? u't' : u'f';
        QTEST(answers, "results");
        QVERIFY(pass.isComplete());
    }

    void passOfPlanAlwaysEnds() {
        // A duplicate slot and a slot beyond the layout must not stall the pass.
        const SiteList sites{makeSite("A", "00B0000000"), makeSite("B", "0020000000"),
                             makeSite("C", "0020000000"), makeSite("D", "0090000000")};
        PassCounter pass;
        pass.start(planSstvPage(sites, 3, 2, 10, slashedO).slotNumbers());
        QCOMPARE(pass.ExpectedCount(), 2);
        QVERIFY(!pass.finish(1));
        QVERIFY(pass.finish(8));
    }

    void refetch_data() {
        QTest::addColumn<bool>("wx");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("siteCall"); // stSiteCall|stSiteIndex
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("site"); // -1: nothing fetched
        QTest::addColumn<QString>("key");
        const auto row = [](const char *name, bool wx, int slot, const QString &siteCall,
                            const char *caption, int site, const char *key) {
            QTest::newRow(name) << wx << slot << siteCall << QString(caption) << site << key;
        };
        row("SSTV slot by its index", false, 4, "XX" + slashedO + "ABC|1", "", 1, "4");
        row("SSTV stale index, found by callsign", false, 4, "YY1Y|1", "", 2, "4");
        row("SSTV callsign only contained is no match", false, 4, "ABC|1", "", -1, "");
        row("SSTV slot beyond the layout", false, 12, "YY1Y|2", "", -1, "");
        row("WX exact name first", true, 3, "|", "NOAA 19", 1, "1103");
        row("WX name inside the caption", true, 3, "|", "METEOR M2 x", 2, "1103");
        row("WX no match fetches nothing", true, 3, "|", "GOES", -1, "");
    }
    void refetch() {
        QFETCH(bool, wx);
        QFETCH(int, slot);
        QFETCH(QString, siteCall);
        QFETCH(QString, caption);
        QFETCH(int, site);
        const SiteList sites{makeSite("AA1A", kEmptySlotMap), makeSite("XX0ABC", kEmptySlotMap),
                             makeSite("YY1Y", kEmptySlotMap)};
        const SiteList wxSites{makeSite("NOAA", "1"), makeSite("NOAA 19", "2"),
                               makeSite("METEOR M2", "3")};
        table.setValue(slot, stSiteCall, siteCall.section(u'|', 0, 0));
        table.setValue(slot, stSiteIndex, siteCall.section(u'|', 1));
        table.setValue(slot, stCheckHeight, QStringLiteral("88"));
        const auto planned = planSlotRefetch(slot, page(wx, 10), table, sites, wxSites, caption);
        if (SlotTable::isRow(slot))
            QCOMPARE(table.value(slot, stCheckHeight), QStringLiteral("0"));
        QCOMPARE(planned.has_value(), site >= 0);
        if (!planned)
            return;
        QCOMPARE(planned->site, site);
        QTEST(planned->key, "key");
        QCOMPARE(planned->url, (wx ? wxSites : sites).at(site).PictureUrl);
        QCOMPARE(planned->checkUrl.isEmpty(), wx);
    }

    // page3: character 3 of every site's slot map afterwards. selectedLater: the slot another
    // window selected before the pick came back (-1: none); the pick still lands where it was
    // made.
    void assignSstv_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("selectedLater");
        QTest::addColumn<int>("site");
        QTest::addColumn<QString>("page3");
        QTest::addColumn<int>("clearSlot"); // -1 none
        QTest::addColumn<QStringList>("list1");
        QTest::newRow("site moves to an occupied slot")
            << 1 << -1 << 0 << "200A" << 6 << QStringList{"AA1A    2", "DD4D    10"};
        QTest::newRow("slot 9 is A")
            << 9 << -1 << 2 << "72A0" << -1 << QStringList{"AA1A    7", "BB2B    2", "CC3C    10"};
        QTest::newRow("slot 23 is O")
            << 23 << -1 << 2 << "72OA" << -1
            << QStringList{"AA1A    7", "BB2B    2", "CC3C    24", "DD4D    10"};
        QTest::newRow("pick lands in the slot it was made for")
            << 5 << 2 << 2 << "726A" << -1
            << QStringList{"AA1A    7", "BB2B    2", "CC3C    6", "DD4D    10"};
    }
    void assignSstv() {
        QFETCH(int, slot);
        QFETCH(int, selectedLater);
        QFETCH(int, site);
        QFETCH(int, clearSlot);
        PageState p = page(false, 24, slot);
        const SitePick pick = captureSitePick(false, p);
        if (selectedLater >= 0)
            p.SelectedSlot = selectedLater;
        const auto a = AssignSiteToSlot(pick, site, p, kSetting, sites, wxSites, table, slashedO);
        QVERIFY(a);
        QTEST(pageChars(sites, 3), "page3");
        QCOMPARE(pageChars(sites, 1), QStringLiteral("5555")); // other pages untouched
        QCOMPARE(a->clearSlot, clearSlot < 0 ? std::nullopt : std::optional<int>(clearSlot));
        QTEST(*a->List1, "list1");
        QCOMPARE(a->slot, slot);
        QCOMPARE(table.value(slot, stSiteIndex), QString::number(site));
        QCOMPARE(a->pictureKey, QStringLiteral("3%1-%2").arg(slot, 2, 10, QChar(u'0')).arg(site));
    }

    void assignWx() {
        const PageState p = page(true, 10, 4);
        const auto a = AssignSiteToSlot(captureSitePick(false, p), 0, p, kSetting, sites, wxSites,
                                        table, QStringLiteral("0"));
        QVERIFY(a);
        QCOMPARE(pageChars(wxSites, 1), QStringLiteral("50x")); // no number: not placed
        QCOMPARE(a->clearSlot, std::optional<int>(0));
        QVERIFY(a->checkUrl.isEmpty());
        QCOMPARE(a->pictureKey, QStringLiteral("1104-0"));
    }

    void pickThatNoLongerFits_data() {
        QTest::addColumn<SitePick>("pick");
        QTest::addColumn<int>("site");
        QTest::addColumn<bool>("onWxPage");
        QTest::addColumn<int>("slotCount");
        QTest::newRow("WX pick on an SSTV page") << SitePick{1, true, false} << 0 << false << 24;
        QTest::newRow("slot beyond the layout") << SitePick{12, false, false} << 0 << false << 10;
        QTest::newRow("no such site") << SitePick{1, false, false} << 4 << false << 24;
    }
    void pickThatNoLongerFits() {
        QFETCH(SitePick, pick);
        QFETCH(int, site);
        QFETCH(bool, onWxPage);
        QFETCH(int, slotCount);
        const SiteList sitesBefore = sites;
        const WxSiteList wxBefore = wxSites;
        QCOMPARE(AssignSiteToSlot(pick, site, page(onWxPage, slotCount), kSetting, sites, wxSites,
                                  table, "0"),
                 std::nullopt);
        QCOMPARE(sites, sitesBefore);
        QCOMPARE(wxSites, wxBefore);
    }

    void leaveBlank_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("page3");
        QTest::addColumn<QStringList>("list1");
        QTest::newRow("occupied slot") << 1 << "700A" << QStringList{"AA1A    7", "DD4D    10"};
        QTest::newRow("empty slot")
            << 3 << "720A" << QStringList{"AA1A    7", "BB2B    2", "DD4D    10"};
    }
    void leaveBlank() {
        QFETCH(int, slot);
        table.setValue(slot, stSiteCall, QStringLiteral("BB2B"));
        const LeaveBlankResult r =
            LeaveSlotBlank(slot, page(false, 24), kSetting, sites, wxSites, table);
        QTEST(pageChars(sites, 3), "page3");
        QTEST(*r.List1, "list1");
        QVERIFY(table.value(slot, stSiteCall).isEmpty());
    }

    void alphabeticalMenu() {
        const QList<AlphaMenuItem> expected{{"DL" + slashedO + "AB    3", 2}, {"K1ZZ    24", 23}};
        QCOMPARE(alphaMenu({"DL0AB    3", "K1ZZ    24"}, slashedO), expected);
        QStringList many;
        for (int i = 1; i <= 26; ++i)
            many.append(QStringLiteral("S%1    %1").arg(i));
        QCOMPARE(alphaMenu(many, QStringLiteral("0")).size(), kAlphaMenuItems);
    }

    void refreshTimerOfThePage_data() {
        QTest::addColumn<bool>("onWxPage");
        QTest::newRow("SSTV page") << false;
        QTest::newRow("WX page") << true;
    }
    void refreshTimerOfThePage() {
        QFETCH(bool, onWxPage);
        RefreshTimers timers([&] { return onWxPage; }, nullptr, 10ms, 15ms);
        timers.Timer6Seconds = 7;
        timers.Timer4Ticks = 2;
        timers.StartRefreshTimers();
        QCOMPARE(timers.sstvRunning(), !onWxPage);
        QCOMPARE(timers.wxRunning(), onWxPage);
        // Only the counter of the started timer is cleared.
        QCOMPARE(timers.Timer6Seconds, std::int16_t(onWxPage ? 7 : 0));
        QCOMPARE(timers.Timer4Ticks, std::int16_t(onWxPage ? 0 : 2));

        QSignalSpy sstvTicks(&timers, &RefreshTimers::sstvTick);
        QSignalSpy wxTicks(&timers, &RefreshTimers::wxTick);
        QSignalSpy &running = onWxPage ? wxTicks : sstvTicks;
        QVERIFY(running.wait(2000));
        QTest::qWait(50);
        QVERIFY(running.count() >= 2);
        QCOMPARE((onWxPage ? sstvTicks : wxTicks).count(), 0);

        timers.Timer6Seconds = 12;
        timers.StopRefreshTimers();
        QVERIFY(!timers.sstvRunning() && !timers.wxRunning());
        QCOMPARE(timers.Timer6Seconds, std::int16_t(12)); // a stop keeps the counters

        // After a page switch only the other page's timer runs.
        onWxPage = !onWxPage;
        timers.StartRefreshTimers();
        QCOMPARE(timers.sstvRunning(), !onWxPage);
        QCOMPARE(timers.wxRunning(), onWxPage);
    }
};

QTEST_GUILESS_MAIN(PagePlanTest)
#include "tst_pageplan.moc"
