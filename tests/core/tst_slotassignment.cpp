#include "core/SlotAssignment.h"
#include "core/SlotMap.h"
#include "support/TestFiles.h"

#include <QTest>

using namespace tavimo;

namespace {

constexpr int kSetting = 2; // 10 slots

// An SSTV site placed at `slot` on page 3 (-1: not there) and at slot 4 on page 1.
SiteRecord sstv(const QString &call, int slot, const QString &url = QString()) {
    SiteRecord r = test::makeSite(
        call, url.isEmpty() ? QStringLiteral("http://127.0.0.1/") + call + "/pic.jpg" : url);
    r.SlotMap[kSetting] = withSstvSlotOnPage(withSstvSlotOnPage(kEmptySlotMap, 1, 4), 3, slot);
    return r;
}

SiteRecord wx(const QString &name, const QString &slotText) {
    SiteRecord r = test::makeSite(name, QStringLiteral("http://127.0.0.1/wx/") + name);
    r.SlotMap[kSetting] = slotText;
    return r;
}

PageState sstvPage(int slotCount = 24) {
    PageState page;
    page.CurrentPage = 3;
    page.SlotCount = slotCount;
    return page;
}

PageState wxPage() {
    PageState page;
    page.CurrentPage = page.PageCount;
    page.SlotCount = 10;
    return page;
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

private slots:
    void assignSstv_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("site");
        QTest::addColumn<QString>("page3"); // character 3 of every site afterwards
        QTest::addColumn<int>("clearSlot"); // -1 none
        QTest::addColumn<QStringList>("list1");

        // Before: AA1A at slot 6 ("7"), BB2B at slot 1 ("2"), CC3C nowhere, DD4D at slot 9 ("A").
        QTest::newRow("site moves to an occupied slot")
            << 1 << 0 << "200A" << 6 << QStringList{"AA1A    2", "DD4D    10"};
        QTest::newRow("slot 9 is A")
            << 9 << 2 << "72A0" << -1 << QStringList{"AA1A    7", "BB2B    2", "CC3C    10"};
        QTest::newRow("slot 23 is O")
            << 23 << 2 << "72OA" << -1
            << QStringList{"AA1A    7", "BB2B    2", "CC3C    24", "DD4D    10"};
        QTest::newRow("slot it already holds")
            << 6 << 0 << "720A" << 6 << QStringList{"AA1A    7", "BB2B    2", "DD4D    10"};
    }
    void assignSstv() {
        QFETCH(int, slot);
        QFETCH(int, site);
        SiteList sites{sstv("AA1A", 6), sstv("BB2B", 1), sstv("CC3C", -1), sstv("DD4D", 9)};
        WxSiteList wxSites;
        SlotTable table;
        PageState page = sstvPage();
        page.SelectedSlot = slot;

        const auto a = AssignSiteToSlot(captureSitePick(false, page), site, page, kSetting, sites,
                                        wxSites, table, QStringLiteral("\u00D8"));
        QVERIFY(a);
        QTEST(pageChars(sites, 3), "page3");
        QCOMPARE(pageChars(sites, 1), QStringLiteral("5555")); // other pages untouched
        QFETCH(int, clearSlot);
        QCOMPARE(a->clearSlot, clearSlot < 0 ? std::nullopt : std::optional<int>(clearSlot));
        QTEST(*a->List1, "list1");
        QCOMPARE(a->slot, slot);
        QCOMPARE(table.value(slot, stSiteIndex), QString::number(site));
        QCOMPARE(table.value(slot, stSiteCall), a->caption);
        QCOMPARE(a->pictureKey, QStringLiteral("3%1-%2").arg(slot, 2, 10, QChar(u'0')).arg(site));
    }

    void assignSstvRequest() {
        SiteList sites{sstv("DL0XY", -1, "http://127.0.0.1/dl0xy/image1NoDelete")};
        WxSiteList wxSites;
        SlotTable table;
        PageState page = sstvPage();
        page.SelectedSlot = 4;
        table.setValue(6, stSiteCall, QStringLiteral("OLD"));
        const auto a = AssignSiteToSlot(captureSitePick(false, page), 0, page, kSetting, sites,
                                        wxSites, table, QStringLiteral("\u00D8"));
        QVERIFY(a);
        QCOMPARE(a->caption, QStringLiteral("DL\u00D8XY"));
        QCOMPARE(a->url, QStringLiteral("http://127.0.0.1/dl0xy/image1"));
        QCOMPARE(a->checkUrl, QStringLiteral("http://127.0.0.1/dl0xy/checknew.jpg"));
        QCOMPARE(a->checkKey, QStringLiteral("4"));
        QCOMPARE(a->pictureKey, QStringLiteral("304-0"));
    }

    void assignWx() {
        WxSiteList wxSites{wx("METEOR", "1"), wx("NOAA 15", "5"), wx("NOAA 19", "x")};
        SiteList sites;
        SlotTable table;
        PageState page = wxPage();
        page.SelectedSlot = 4;
        const auto a = AssignSiteToSlot(captureSitePick(false, page), 0, page, kSetting, sites,
                                        wxSites, table, QStringLiteral("0"));
        QVERIFY(a);
        QCOMPARE(wxSites[0].SlotMap[kSetting], QStringLiteral("5"));
        QCOMPARE(wxSites[1].SlotMap[kSetting], QStringLiteral("0"));
        QCOMPARE(wxSites[2].SlotMap[kSetting], QStringLiteral("x")); // no number: not placed
        QCOMPARE(a->clearSlot, std::optional<int>(0));
        QCOMPARE(a->caption, QStringLiteral("METEOR"));
        QCOMPARE(a->List1, std::nullopt);
        QVERIFY(a->checkUrl.isEmpty());
        QCOMPARE(a->pictureKey, QStringLiteral("1104-0"));
    }

    void pickLandsInCapturedSlot() {
        SiteList sites{sstv("AA1A", -1), sstv("BB2B", 2)};
        WxSiteList wxSites;
        SlotTable table;
        PageState page = sstvPage();
        page.SelectedSlot = 5;
        const SitePick pick = captureSitePick(false, page);
        // Another window changed the selected slot before the pick came back.
        page.SelectedSlot = 2;
        const auto a =
            AssignSiteToSlot(pick, 0, page, kSetting, sites, wxSites, table, QStringLiteral("0"));
        QVERIFY(a);
        QCOMPARE(a->slot, 5);
        QCOMPARE(pageChars(sites, 3), QStringLiteral("63"));
    }

    void pickThatNoLongerFits_data() {
        QTest::addColumn<SitePick>("pick");
        QTest::addColumn<int>("site");
        QTest::addColumn<bool>("onWxPage");
        QTest::addColumn<int>("slotCount");
        QTest::newRow("WX pick on an SSTV page") << SitePick{1, true, false} << 0 << false << 24;
        QTest::newRow("SSTV pick on the WX page") << SitePick{1, false, false} << 0 << true << 10;
        QTest::newRow("slot beyond the layout") << SitePick{12, false, false} << 0 << false << 10;
        QTest::newRow("no such site") << SitePick{1, false, false} << 2 << false << 24;
        QTest::newRow("gallery pick") << SitePick{1, false, true} << 0 << false << 24;
    }
    void pickThatNoLongerFits() {
        QFETCH(SitePick, pick);
        QFETCH(int, site);
        QFETCH(bool, onWxPage);
        QFETCH(int, slotCount);
        SiteList sites{sstv("AA1A", 6), sstv("BB2B", 1)};
        WxSiteList wxSites{wx("METEOR", "1"), wx("NOAA 15", "5")};
        const SiteList sitesBefore = sites;
        const WxSiteList wxBefore = wxSites;
        SlotTable table;
        PageState page = onWxPage ? wxPage() : sstvPage(slotCount);
        page.SlotCount = slotCount;
        QCOMPARE(AssignSiteToSlot(pick, site, page, kSetting, sites, wxSites, table,
                                  QStringLiteral("0")),
                 std::nullopt);
        QCOMPARE(sites, sitesBefore);
        QCOMPARE(wxSites, wxBefore);
    }

    void galleryPick() {
        PageState page = wxPage();
        page.SelectedSlot = 3;
        // The gallery shows SSTV sites, so its grid lists them on every page.
        QCOMPARE(captureSitePick(true, page), (SitePick{3, false, true}));
        QCOMPARE(galleryRequestForSite(7), -993);
    }

    void leaveBlank_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("page3");
        QTest::addColumn<QStringList>("list1");
        QTest::newRow("occupied slot") << 1 << "70" << QStringList{"AA1A    7"};
        QTest::newRow("empty slot") << 3 << "72" << QStringList{"AA1A    7", "BB2B    2"};
    }
    void leaveBlank() {
        QFETCH(int, slot);
        SiteList sites{sstv("AA1A", 6), sstv("BB2B", 1)};
        WxSiteList wxSites;
        SlotTable table;
        table.setValue(slot, stSiteCall, QStringLiteral("BB2B"));
        const LeaveBlankResult r =
            LeaveSlotBlank(slot, sstvPage(), kSetting, sites, wxSites, table);
        QTEST(pageChars(sites, 3), "page3");
        QTEST(*r.List1, "list1");
        QVERIFY(table.value(slot, stSiteCall).isEmpty());
    }

    void leaveBlankWx() {
        SiteList sites;
        WxSiteList wxSites{wx("METEOR", "1"), wx("NOAA 15", "5")};
        SlotTable table;
        const LeaveBlankResult r = LeaveSlotBlank(4, wxPage(), kSetting, sites, wxSites, table);
        QCOMPARE(wxSites[0].SlotMap[kSetting], QStringLiteral("1"));
        QCOMPARE(wxSites[1].SlotMap[kSetting], QStringLiteral("0"));
        QCOMPARE(r.List1, std::nullopt);
    }

    void alphabeticalMenu() {
        const QList<AlphaMenuItem> items =
            alphaMenu({"DL0AB    3", "G0XY    10", "K1ZZ    24"}, QStringLiteral("\u00D8"));
        const QList<AlphaMenuItem> expected{{QStringLiteral("DL\u00D8AB    3"), 2},
                                            {QStringLiteral("G\u00D8XY    10"), 9},
                                            {QStringLiteral("K1ZZ    24"), 23}};
        QCOMPARE(items, expected);

        QStringList many;
        for (int i = 1; i <= 26; ++i)
            many.append(QStringLiteral("S%1    %1").arg(i));
        QCOMPARE(alphaMenu(many, QStringLiteral("0")).size(), kAlphaMenuItems);
    }
};

QTEST_GUILESS_MAIN(TestSlotAssignment)
#include "tst_slotassignment.moc"
