#include "core/app/AppState.h"
#include "core/sites/SlotMap.h"
#include "core/thumbs/PagePlan.h"

#include <QTest>

using namespace tavimo;

namespace {

const QString slashedO = QStringLiteral("\u00D8");

// A site whose setting-2 slot map is `map`; the other settings leave it off.
SiteRecord makeSite(const QString &callsign, const QString &map, const QString &url = QString()) {
    SiteRecord s;
    s.Callsign = callsign;
    s.PictureUrl = url.isEmpty() ? "http://sites.test/" + callsign + "/image1.jpg" : url;
    s.SlotMap = {QString(), kEmptySlotMap, map, kEmptySlotMap, kEmptySlotMap};
    return s;
}

// "slot:site:caption:key:checkUrl" per placed slot, joined by "|".
QString describe(const PagePlan &plan) {
    QStringList parts;
    for (const PlannedSlot &p : plan.placed)
        parts << QStringLiteral("%1:%2:%3:%4").arg(p.slot).arg(p.site).arg(p.caption, p.key);
    return parts.join(u'|');
}

} // namespace

Q_DECLARE_METATYPE(SiteList)

class PagePlanTest : public QObject {
    Q_OBJECT

private slots:
    // Page 3 of the 10-slot setting.
    void sstvPage_data() {
        QTest::addColumn<SiteList>("sites");
        QTest::addColumn<int>("slotCount");
        QTest::addColumn<QString>("placed");
        QTest::addColumn<QStringList>("list1");

        // "NoDelete" is no part of the address asked for.
        QTest::newRow("A on page 3 is slot 9")
            << SiteList{makeSite("XX9ABC", "00A0000000",
                                 "http://sites.test/XX9ABC/NoDeleteimage1.jpgNoDelete")}
            << 10 << "9:0:XX9ABC:9" << QStringList{"XX9ABC    10"};
        QTest::newRow("zero shown as ZeroChar, List1 keeps it")
            << SiteList{makeSite("XX0ABC", "0010000000")} << 10 << "0:0:XX" + slashedO + "ABC:0"
            << QStringList{"XX0ABC    1"};
        QTest::newRow("two sites in one slot: the later has it")
            << SiteList{makeSite("AA1A", "0030000000"), makeSite("BB1B", "0030000000")} << 10
            << "2:1:BB1B:2" << QStringList{"AA1A    3", "BB1B    3"};
        QTest::newRow("a site beyond the slot count is skipped")
            << SiteList{makeSite("AA1A", "00B0000000"), makeSite("BB1B", "0040000000")} << 10
            << "3:1:BB1B:3" << QStringList{"BB1B    4"};
        QTest::newRow("the last slot of the layout is placed")
            << SiteList{makeSite("AA1A", "00O0000000")} << 24 << "23:0:AA1A:23"
            << QStringList{"AA1A    24"};
    }
    void sstvPage() {
        QFETCH(SiteList, sites);
        QFETCH(int, slotCount);
        const PagePlan plan = planSstvPage(sites, 3, 2, slotCount, slashedO);
        QVERIFY(!plan.wxPage);
        QTEST(describe(plan), "placed");
        QTEST(plan.List1, "list1");
        for (const PlannedSlot &p : plan.placed) {
            const QString folder = "http://sites.test/" + sites.at(p.site).Callsign;
            QCOMPARE(p.url, folder + "/image1.jpg");
            QCOMPARE(p.checkUrl, folder + "/checknew.jpg");
        }
    }

    void wxPage_data() {
        QTest::addColumn<SiteList>("sites");
        QTest::addColumn<QString>("placed");

        // An address ending in "image1" once drew a check picture here too.
        QTest::newRow("slot from the number")
            << SiteList{makeSite("NOAA 19", "3", "http://wx.test/image1NoDelete")}
            << "2:0:NOAA 19:1102";
        QTest::newRow("no number, not placed") << SiteList{makeSite("NOAA", "x3")} << "";
        QTest::newRow("beyond the slot count skipped, later sites still placed")
            << SiteList{makeSite("A", "11"), makeSite("B", "2")} << "1:1:B:1101";
    }
    void wxPage() {
        QFETCH(SiteList, sites);
        const PagePlan plan = planWxPage(sites, kPageCount, 2, 10);
        QVERIFY(plan.wxPage);
        QVERIFY(plan.List1.isEmpty());
        QTEST(describe(plan), "placed");
        for (const PlannedSlot &p : plan.placed) {
            QCOMPARE(p.checkUrl, QString());
            QCOMPARE(p.url, sites.at(p.site).PictureUrl); // taken as stored
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

        QTest::newRow("SSTV slot by its index")
            << false << 4 << "XX" + slashedO + "ABC|1" << QString() << 1 << "4";
        QTest::newRow("SSTV stale index, found by callsign")
            << false << 4 << "YY1Y|1" << QString() << 2 << "4";
        QTest::newRow("SSTV callsign only contained is no match")
            << false << 4 << "ABC|1" << QString() << -1 << QString();
        QTest::newRow("SSTV slot beyond the layout")
            << false << 12 << "YY1Y|2" << QString() << -1 << QString();
        QTest::newRow("WX exact name first") << true << 3 << "|"
                                             << "NOAA 19" << 1 << "1103";
        QTest::newRow("WX name inside the caption") << true << 3 << "|"
                                                    << "METEOR M2 x" << 2 << "1103";
        QTest::newRow("WX no match fetches nothing") << true << 3 << "|"
                                                     << "GOES" << -1 << QString();
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
        SlotTable table;
        table.setValue(slot, stSiteCall, siteCall.section(u'|', 0, 0));
        table.setValue(slot, stSiteIndex, siteCall.section(u'|', 1));
        table.setValue(slot, stCheckHeight, QStringLiteral("88"));
        PageState page;
        page.CurrentPage = wx ? kPageCount : 3;
        page.SlotCount = 10;

        const auto planned = planSlotRefetch(slot, page, table, sites, wxSites, caption);
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
};

QTEST_GUILESS_MAIN(PagePlanTest)
#include "tst_pageplan.moc"
