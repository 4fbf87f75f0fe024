#include "core/sites/SlotMap.h"
#include "core/thumbs/SlotAssignment.h"
#include "support/TestFiles.h"

#include <QTest>

using namespace tavimo;

namespace {

constexpr int kSetting = 2; // 10 slots

// An SSTV site placed at `slot` on page 3 (-1: not there) and at slot 4 on page 1.
SiteRecord sstv(const QString &call, int slot) {
    SiteRecord r = test::makeSite(call, QStringLiteral("http://127.0.0.1/") + call + "/pic.jpg");
    r.SlotMap[kSetting] = withSstvSlotOnPage(withSstvSlotOnPage(kEmptySlotMap, 1, 4), 3, slot);
    return r;
}

SiteRecord wx(const QString &name, const QString &slotText) {
    SiteRecord r = test::makeSite(name, QStringLiteral("http://127.0.0.1/wx/") + name);
    r.SlotMap[kSetting] = slotText;
    return r;
}

PageState page(bool wxPage, int slotCount, int selected = 0) {
    PageState p;
    p.CurrentPage = wxPage ? p.PageCount : 3;
    p.SlotCount = slotCount;
    p.SelectedSlot = selected;
    return p;
}

QString pageChars(const SiteList &sites, int page) {
    QString chars;
    for (const SiteRecord &s : sites)
        chars += s.SlotMap[kSetting].at(page - 1);
    return chars;
}

} // namespace

Q_DECLARE_METATYPE(tavimo::SitePick)

class TestSlotAssignment : public QObject {
    Q_OBJECT

    SiteList sites;
    WxSiteList wxSites;
    SlotTable table;

private slots:
    void init() {
        // Page 3: AA1A at slot 6 ("7"), BB2B at slot 1 ("2"), CC3C nowhere, DD4D at slot 9 ("A").
        sites = {sstv("AA1A", 6), sstv("BB2B", 1), sstv("CC3C", -1), sstv("DD4D", 9)};
        wxSites = {wx("METEOR", "1"), wx("NOAA 15", "5"), wx("NOAA 19", "x")};
        table = SlotTable();
    }

    void assignSstv_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("site");
        QTest::addColumn<QString>("page3"); // character 3 of every site afterwards
        QTest::addColumn<int>("clearSlot"); // -1 none
        QTest::addColumn<QStringList>("list1");

        QTest::newRow("site moves to an occupied slot")
            << 1 << 0 << "200A" << 6 << QStringList{"AA1A    2", "DD4D    10"};
        QTest::newRow("slot 9 is A")
            << 9 << 2 << "72A0" << -1 << QStringList{"AA1A    7", "BB2B    2", "CC3C    10"};
        QTest::newRow("slot 23 is O")
            << 23 << 2 << "72OA" << -1
            << QStringList{"AA1A    7", "BB2B    2", "CC3C    24", "DD4D    10"};
    }
    void assignSstv() {
        QFETCH(int, slot);
        QFETCH(int, site);
        QFETCH(int, clearSlot);
        const PageState p = page(false, 24, slot);
        const auto a = AssignSiteToSlot(captureSitePick(false, p), site, p, kSetting, sites,
                                        wxSites, table, QStringLiteral("\u00D8"));
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
        QCOMPARE(wxSites[0].SlotMap[kSetting], QStringLiteral("5"));
        QCOMPARE(wxSites[1].SlotMap[kSetting], QStringLiteral("0"));
        QCOMPARE(wxSites[2].SlotMap[kSetting], QStringLiteral("x")); // no number: not placed
        QCOMPARE(a->clearSlot, std::optional<int>(0));
        QVERIFY(a->checkUrl.isEmpty());
        QCOMPARE(a->pictureKey, QStringLiteral("1104-0"));
    }

    void pickLandsInCapturedSlot() {
        PageState p = page(false, 24, 5);
        const SitePick pick = captureSitePick(false, p);
        // Another window changed the selected slot before the pick came back.
        p.SelectedSlot = 2;
        const auto a = AssignSiteToSlot(pick, 2, p, kSetting, sites, wxSites, table, "0");
        QVERIFY(a);
        QCOMPARE(a->slot, 5);
        QCOMPARE(pageChars(sites, 3), QStringLiteral("726A"));
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
        const QList<AlphaMenuItem> expected{{QStringLiteral("DL\u00D8AB    3"), 2},
                                            {QStringLiteral("K1ZZ    24"), 23}};
        QCOMPARE(alphaMenu({"DL0AB    3", "K1ZZ    24"}, QStringLiteral("\u00D8")), expected);
        QStringList many;
        for (int i = 1; i <= 26; ++i)
            many.append(QStringLiteral("S%1    %1").arg(i));
        QCOMPARE(alphaMenu(many, QStringLiteral("0")).size(), kAlphaMenuItems);
    }
};

QTEST_GUILESS_MAIN(TestSlotAssignment)
#include "tst_slotassignment.moc"
