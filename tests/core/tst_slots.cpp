#include "core/app/AppState.h"
#include "core/sites/SlotMap.h"
#include "core/thumbs/CheckPicture.h"
#include "core/thumbs/CutPictures.h"
#include "core/thumbs/DownloadKeys.h"
#include "core/thumbs/PagePlan.h"
#include "core/thumbs/PictureAge.h"
#include "core/thumbs/PictureTrailer.h"
#include "core/thumbs/RefreshTimers.h"
#include "core/thumbs/SlotAssignment.h"
#include "core/thumbs/SlotPictures.h"
#include "support/Fixtures.h"
#include "support/GifEncoder.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace tavimo;
using namespace std::chrono_literals;

namespace {

const QString slashedO = QStringLiteral("\u00D8");

// Picture-like bytes that hold no "*".
QByteArray pictureBytes(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(0x40 + i % 50);
    bytes[0] = char(0xFF);
    return bytes;
}

const QByteArray pic = pictureBytes(5000);

// A 16 x 16 PNG whose data is stored uncompressed and ends in rows of grey 42: its last
// compressed bytes read "***".
QByteArray pngEndingInStars() {
    QByteArray header(13, '\0');
    qToBigEndian(quint32(16), header.data());
    qToBigEndian(quint32(16), header.data() + 4);
    header[8] = 8; // bits per sample
    header[9] = 2; // RGB
    QByteArray rows;
    for (int y = 0; y < 16; ++y)
        rows += '\0' + QByteArray(48, y < 12 ? '\x90' : '*');
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + test::pngChunk("IHDR", header) +
           test::pngChunk("IDAT", qCompress(rows, 0).mid(4)) + test::pngChunk("IEND", {});
}

LanguageTexts ageTexts() {
    LanguageTexts t;
    t.LngCallSep = QStringLiteral(" -");
    t.LngDay = QStringLiteral(" day");
    t.LngDays = QStringLiteral(" days");
    return t;
}

QDateTime at(const QString &iso) {
    return QDateTime::fromString(iso, Qt::ISODate);
}

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

// `count` sites, each placed on a few random pages of every setting.
SiteList randomSites(int count, quint32 seed) {
    QRandomGenerator random(seed);
    SiteList sites;
    for (int i = 0; i < count; ++i) {
        SiteRecord r = makeSite(QStringLiteral("K%1X").arg(i), kEmptySlotMap);
        for (int k = 0; k <= 4; ++k) {
            for (int n = random.bounded(3); n > 0; --n)
                r.SlotMap[k] =
                    withSstvSlotOnPage(r.SlotMap[k], 1 + random.bounded(10), random.bounded(26));
        }
        sites.append(r);
    }
    return sites;
}

// The index plans every page of every setting as the walk over the whole list does.
bool indexPlansAsTheWalk(SstvPageIndex &index, const SiteList &sites) {
    for (int setting = 0; setting <= 4; ++setting) {
        for (int page = 1; page <= 10; ++page) {
            for (int slotCount : {5, 24}) {
                const PagePlan walked = planSstvPage(sites, page, setting, slotCount, slashedO);
                const PagePlan indexed = index.plan(sites, page, setting, slotCount, slashedO);
                if (indexed.placed != walked.placed || indexed.List1 != walked.List1)
                    return false;
            }
        }
    }
    return true;
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
using IndexChange = std::function<void(SiteList &, SstvPageIndex &)>;
Q_DECLARE_METATYPE(IndexChange)

// Which site sits in which slot of the page, the pass that fetches them and the timers that start
// the passes; then the road of one slot's picture: its download keys, whether an answer still
// fits the page, the check picture's verdict, the trailer, what lands on disk and in the slot
// table, and the age shown from the trailer's date.
class SlotsTest : public QObject {
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

    // The index of the SSTV pages after every way the list changes.
    void pageIndex_data() {
        QTest::addColumn<IndexChange>("change");
        QTest::newRow("unchanged") << IndexChange([](SiteList &, SstvPageIndex &) {});
        QTest::newRow("a site moved, the change announced")
            << IndexChange([](SiteList &sites, SstvPageIndex &index) {
                   sites[3].SlotMap[2] = withSstvSlotOnPage(kEmptySlotMap, 4, 7);
                   index.invalidate();
               });
        QTest::newRow("the list replaced")
            << IndexChange([](SiteList &sites, SstvPageIndex &) { sites = randomSites(150, 99); });
        QTest::newRow("a site added in place") << IndexChange([](SiteList &sites, SstvPageIndex &) {
            sites.reserve(sites.size() + 10);
            SiteRecord r = sites.first();
            r.Callsign = QStringLiteral("ZZ9ZZ");
            sites.append(r);
        });
        QTest::newRow("a site removed in place")
            << IndexChange([](SiteList &sites, SstvPageIndex &) { sites.removeAt(5); });
        QTest::newRow("emptied") << IndexChange(
            [](SiteList &sites, SstvPageIndex &) { sites.clear(); });
    }
    void pageIndex() {
        QFETCH(IndexChange, change);
        SiteList sites = randomSites(120, 5);
        SstvPageIndex index;
        QVERIFY(indexPlansAsTheWalk(index, sites));
        change(sites, index);
        QVERIFY(indexPlansAsTheWalk(index, sites));
        // Outside the pages and settings it plans as the walk does too.
        for (const auto &[page, setting] : {std::pair{0, 2}, {11, 2}, {3, 5}, {3, -1}}) {
            QCOMPARE(index.plan(sites, page, setting, 24, slashedO).placed,
                     planSstvPage(sites, page, setting, 24, slashedO).placed);
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
        QSignalSpy ticks(&timers, onWxPage ? &RefreshTimers::wxTick : &RefreshTimers::sstvTick);
        QVERIFY(ticks.wait(2000));

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

    // parts: page, slot, site (-1: a key without a site); none: refused.
    void keys_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QList<int>>("parts");
        QTest::addColumn<bool>("made"); // the key is also what pictureKey makes
        QTest::newRow("WX picture") << "1107" << QList<int>{11, 7, -1} << true;
        QTest::newRow("SSTV picture") << "307-12" << QList<int>{3, 7, 12} << true;
        QTest::newRow("last slot of page 10") << "1023-250" << QList<int>{10, 23, 250} << true;
        QTest::newRow("blanks skipped") << " 3 07- 12" << QList<int>{3, 7, 12} << false;
        QTest::newRow("site rounded to even") << "307-2.5" << QList<int>{3, 7, 2} << false;
        QTest::newRow("no number reads as 0") << "x-y" << QList<int>{0, 0, 0} << false;
        QTest::newRow("too large for a page") << "1e300" << QList<int>{} << false;
        QTest::newRow("too large for a site") << "307-99999999999" << QList<int>{} << false;
    }
    void keys() {
        QFETCH(QString, key);
        QFETCH(QList<int>, parts);
        QFETCH(bool, made);
        if (made)
            QCOMPARE(parts[2] < 0 ? pictureKey(parts[0], parts[1])
                                  : pictureKey(parts[0], parts[1], parts[2]),
                     key);
        const auto parsed = parsePictureKey(key);
        QCOMPARE(parsed.has_value(), !parts.isEmpty());
        if (!parsed) {
            QVERIFY(!parseCheckKey(key.section(u'-', -1)));
            return;
        }
        QCOMPARE((QList<int>{parsed->page, parsed->slot, parsed->site.value_or(-1)}), parts);
        QCOMPARE(parseCheckKey(checkKey(parts[1]))->slot, parts[1]);
    }

    // The page shows SSTV page 4 with 15 slots unless the row says WX; slot 7 shows XXØABC,
    // site 2 of the list. counted: the slot counted for the pass; slot -1: the answer is dropped.
    void answerStillFits_data() {
        for (const char *column : {"check", "wxPage"})
            QTest::addColumn<bool>(column);
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("change");
        for (const char *column : {"counted", "slot", "site"})
            QTest::addColumn<int>(column);
        const auto row = [](const char *name, bool check, bool wx, const char *key,
                            const char *change, int counted, int slot, int site) {
            QTest::newRow(name) << check << wx << QString(key) << QString(change) << counted << slot
                                << site;
        };
        row("picture fits", false, false, "407-2", "", 7, 7, 2);
        row("307-12 while page 4 is shown", false, false, "307-12", "", -1, -1, -1);
        row("slot beyond the layout", false, false, "420-2", "", -1, -1, -1);
        row("key's site is another site: the slot's index wins", false, false, "407-0", "", 7, 7,
            2);
        row("list re-sorted: found again by callsign", false, false, "407-2", "resorted", 7, 7, 0);
        row("slot emptied meanwhile", false, false, "407-2", "emptied", 7, -1, -1);
        row("site removed meanwhile", false, false, "407-2", "removed", 7, -1, -1);
        row("check picture, list re-sorted", true, false, "7", "resorted", 7, 7, 0);
        row("check picture on the WX page", true, true, "7", "", -1, -1, -1);
        row("WX picture", false, true, "1103", "", 3, 3, -1);
        row("SSTV picture while the WX page is shown", false, true, "407-2", "", -1, -1, -1);
    }
    void answerStillFits() {
        QFETCH(bool, check);
        QFETCH(bool, wxPage);
        QFETCH(QString, key);
        QFETCH(QString, change);
        QFETCH(int, slot);
        QFETCH(int, site);
        SiteList sites{makeSite("AA1A", ""), makeSite("BB1B", ""), makeSite("XX0ABC", "")};
        SlotTable table;
        table.setValue(7, stSiteCall, "XX" + slashedO + "ABC");
        table.setValue(7, stSiteIndex, QStringLiteral("2"));
        if (change == u"resorted")
            sites.move(2, 0);
        else if (change == u"emptied")
            table.setValue(7, stSiteCall, QString());
        else if (change == u"removed")
            sites.removeLast();
        PageState page;
        page.CurrentPage = wxPage ? kPageCount : 4;
        page.SlotCount = 15;

        std::optional<int> counted;
        std::optional<SlotTarget> target;
        const auto run = [&](const auto &k) {
            counted = shownSlot(k, page);
            target = tavimo::answerStillFits(k, page, table, sites);
        };
        check ? run(*parseCheckKey(key)) : run(*parsePictureKey(key));
        QTEST(counted.value_or(-1), "counted");
        QCOMPARE(target.has_value(), slot >= 0);
        if (target)
            QCOMPARE(*target, (SlotTarget{slot, site}));
    }

    void checkPicture_data() {
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("download");
        QTest::addColumn<bool>("newFrame"); // and " - NEW" in the caption
        QTest::newRow("first check of the slot") << "" << QSize(1, 37) << true << true;
        QTest::newRow("refresh of one site sets 0") << "0" << QSize(20, 37) << true << false;
        QTest::newRow("new picture announced") << "36" << QSize(1, 37) << true << true;
        QTest::newRow("nothing new") << "37" << QSize(1, 37) << false << true;
        QTest::newRow("same height, other width") << "37" << QSize(30, 37) << false << false;
        QTest::newRow("height changed, not 1 wide") << "36" << QSize(5, 37) << false << false;
    }
    void checkPicture() {
        QFETCH(QString, previous);
        QFETCH(QSize, size);
        QFETCH(bool, newFrame);
        LanguageTexts texts;
        texts.LngNewPicPrefix = QStringLiteral(" - NEW");
        texts.LngCallSep = QStringLiteral(" -");
        const CheckJudgement j = judgeCheckPicture(QStringLiteral("XX9ABC"), size, previous, texts);
        QTEST(j.decision == CheckDecision::Download, "download");
        QCOMPARE(j.caption, newFrame ? "XX9ABC - NEW" : "XX9ABC -");
        QCOMPARE(j.frameColour.value_or(QColor()), newFrame ? QColor(242, 242, 214) : QColor());
        QCOMPARE(j.checkHeight, QString::number(size.height()));
    }

    void trailerSplit_data() {
        QTest::addColumn<QByteArray>("download");
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<QString>("text"); // null: no trailer
        const QByteArray old = "***OLD*x*1/1/09 1:00";
        const QByteArray text1998(1998, 'T'), text1999(1999, 'T');
        QTest::newRow("no trailer") << pic << pic << QString();
        QTest::newRow("normal trailer")
            << pic + "***XX9ABC*OK*10/14/09 12:34:56" << pic << "XX9ABC*OK*10/14/09 12:34:56";
        QTest::newRow("slashed zero byte")
            << pic + "***XX\xD8" + "ABC*OK" << pic << "XX" + slashedO + "ABC*OK";
        QTest::newRow("two markers, the later wins")
            << pic + old + "***XX9ABC*OK" << pic + old << "XX9ABC*OK";
        QTest::newRow("*** as the last three bytes") << pic + "***" << pic + "***" << QString();
        QTest::newRow("**** at the end") << pic + "****" << pic << "*";
        QTest::newRow("1998 text bytes are a trailer")
            << pic + "***" + text1998 << pic << QString(text1998);
        QTest::newRow("1999 text bytes are not")
            << pic + "***" + text1999 << pic + "***" + text1999 << QString();
        QTest::newRow("empty") << QByteArray() << QByteArray() << QString();

        // "***" inside a whole picture is no trailer; every trailer after a picture still is.
        const QByteArray jpeg = test::jpegBytes(QSize(64, 48));
        const QByteArray gif =
            test::encodeAnimatedGif({{test::makeImage(QSize(32, 24), Qt::red), 100},
                                     {test::makeImage(QSize(32, 24), Qt::blue), 100}});
        const QByteArray png = test::pngBytes(QSize(64, 48));
        const QByteArray text = "XX9ABC*OK*10/14/09 12:34:56";
        const QByteArray pngText = test::withTextChunk(png, "Comment", "*** fine copy *** 73");
        const QByteArray pngStars = pngEndingInStars();
        QVERIFY(pngStars.indexOf("***") > pngStars.size() - 2001);
        QTest::newRow("JPEG with a trailer") << jpeg + "***" + text << jpeg << QString(text);
        QTest::newRow("animated GIF with a trailer") << gif + "***" + text << gif << QString(text);
        QTest::newRow("JPEG without its end marker, with a trailer")
            << jpeg.chopped(2) + "***" + text << jpeg.chopped(2) << QString(text);
        QTest::newRow("PNG with *** in a text chunk after its data")
            << pngText << pngText << QString();
        QTest::newRow("PNG with *** in its last compressed bytes")
            << pngStars << pngStars << QString();
        QTest::newRow("that PNG with a trailer")
            << pngText + "***" + text << pngText << QString(text);
        // A cut answer is not whole either way: it splits as it always did, and is judged cut.
        const qsizetype stars = pngText.lastIndexOf("***");
        QTest::newRow("that PNG cut in its text chunk")
            << pngText.left(stars + 4) << pngText.left(stars) << " ";
    }
    void trailerSplit() {
        QFETCH(QByteArray, download);
        QFETCH(QString, text);
        const SplitPicture split = splitPictureTrailer(download);
        QCOMPARE(split.hasTrailer, !text.isNull());
        QTEST(split.picture, "picture");
        QCOMPARE(split.text, text.isNull() ? QString() : text);
    }

    // Sites rewrite their picture in place: an answer may be the first part of it.
    void pictureWhole_data() {
        QTest::addColumn<QByteArray>("download"); // trailer and all
        QTest::addColumn<bool>("whole");
        const QImage image = test::makeImage(QSize(160, 120));
        const QByteArray jpeg = test::encodeImage(image, "JPG", 85);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        QVERIFY(writer.write(image));
        const QByteArray progressive = buffer.data();
        const QByteArray png = test::encodeImage(image, "PNG");
        const QByteArray gif =
            test::encodeAnimatedGif({{test::makeImage(QSize(32, 24), Qt::red), 100},
                                     {test::makeImage(QSize(32, 24), Qt::blue), 100}});
        const QByteArray bmp = test::encodeImage(image, "BMP");
        const QByteArray text = test::trailer("XX9ABC", "OK", QStringLiteral("10/14/09 12:34:56"));
        QTest::newRow("JPEG") << jpeg << true;
        QTest::newRow("JPEG with a trailer") << jpeg + text << true;
        QTest::newRow("JPEG with bytes after its end") << jpeg + QByteArray(40, '\0') << true;
        QTest::newRow("JPEG cut in its data") << jpeg.left(jpeg.size() / 2) << false;
        QTest::newRow("JPEG cut in its data, with a trailer")
            << jpeg.left(jpeg.size() / 2) + text << false;
        QTest::newRow("JPEG without its end marker") << jpeg.chopped(2) << false;
        QTest::newRow("JPEG cut in its header") << jpeg.left(100) << false;
        QTest::newRow("progressive JPEG") << progressive << true;
        QTest::newRow("progressive JPEG cut")
            << progressive.left(progressive.size() * 2 / 3) << false;
        QTest::newRow("PNG") << png + text << true;
        QTest::newRow("PNG cut in its data") << png.left(png.size() / 2) << false;
        QTest::newRow("PNG cut before IEND") << png.chopped(12) << false;
        QTest::newRow("animated GIF") << gif + text << true;
        QTest::newRow("GIF cut before its trailer") << gif.chopped(1) << false;
        QTest::newRow("GIF cut in a frame") << gif.left(gif.size() / 2) << false;
        QTest::newRow("BMP is not judged") << bmp.left(bmp.size() / 2) << true;
        QTest::newRow("no picture is not judged") << QByteArray("no picture") << true;
    }
    void pictureWhole() {
        QFETCH(QByteArray, download);
        QTEST(isPictureWhole(splitPictureTrailer(download).picture), "whole");
    }

    // Answers for one slot in turn: w(hole), e(mpty), or cut with the bytes a, b, c, d; "|"
    // starts a pass; x: a failed read's placeholder took the place of what the slot showed.
    // Verdicts: S show, C show cut (logged), s ask soon, n ask at the next pass.
    void cutPictures_data() {
        QTest::addColumn<bool>("gallery");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("verdicts");
        QTest::addColumn<bool>("asksNext"); // after the last answer
        const auto row = [](const char *name, bool gallery, const char *answers,
                            const char *verdicts, bool asksNext) {
            QTest::newRow(name) << gallery << answers << verdicts << asksNext;
        };
        row("whole pictures are shown", false, "ww", "SS", false);
        row("a file growing over three passes is never shown", false, "ab|cd|ab|w", "snsnsnS",
            false);
        row("cut for good: shown at the second request", false, "aa", "sC", true);
        row("cut for good: kept, and asked for at every pass", false, "aa|a|a", "sCnn", true);
        row("a paused write is shown, then the whole picture", false, "aa|w", "sCS", false);
        row("an empty answer twice is shown, then kept until a whole one", false, "ee|e|w", "sCnS",
            false);
        row("what a failure replaced is shown again at once", false, "aa|xa", "sCS", true);
        row("a row of shown cuts is logged once", false, "aa|bb", "sCsS", true);
        row("the gallery shows the same bytes twice", true, "aa", "sC", true);
        row("the gallery shows the last of a site that never stops", true, "abcd", "sssC", true);
        row("the gallery shows an empty answer at its second, not its first", true, "ewee", "sSsC",
            true);
    }
    void cutPictures() {
        QFETCH(bool, gallery);
        QFETCH(QString, answers);
        CutPictures cuts(gallery ? kGalleryCutRule : kPageCutRule);
        const QImage image = test::makeImage(QSize(64, 48));
        QHash<QChar, QByteArray> bytes{{u'w', test::encodeImage(image, "JPG", 85)}};
        bytes[u'e'] = QByteArray();
        for (const QChar c : QStringLiteral("abcd"))
            bytes[c] = bytes[u'w'].left(200 + 100 * (c.unicode() - 'a'));
        cuts.take(3, bytes[u'a']); // another slot's
        QString verdicts;
        for (const QChar answer : answers) {
            if (answer == u'|' || answer == u'x') {
                answer == u'|' ? cuts.startPass() : cuts.shownAnswerGone(7);
                continue;
            }
            verdicts += QStringLiteral("SCsn").at(int(cuts.take(7, bytes[answer]).verdict));
        }
        QTEST(verdicts, "verdicts");
        QTEST(cuts.askAtNextPass(7), "asksNext");
    }
    // What a kept answer leaves is the look from before the fetch, and what the soon ask
    // shows the look its check picture announced, both in the language of now.
    void cutPicturesKeepTheLook() {
        CutPictures cuts;
        cuts.setRetryDelay(std::chrono::milliseconds(20));
        const QByteArray whole = test::encodeImage(test::makeImage(QSize(64, 48)), "JPG", 85);
        const auto english = [](QString caption) {
            return caption.replace(QStringLiteral("Tage"), QStringLiteral("days"))
                .replace(QStringLiteral("neu"), QStringLiteral("new"));
        };
        cuts.setLook(2, {QStringLiteral("AB1CD 2 Tage"), Qt::red});
        cuts.setLookUnlessSet(2, {QStringLiteral("AB1CD new"), Qt::blue});
        cuts.recaptionLooks(english);
        const CutAnswer kept = cuts.take(2, whole.left(300));
        QCOMPARE(kept.verdict, CutVerdict::AskSoon);
        QVERIFY(kept.look);
        QCOMPARE(kept.look->caption, QStringLiteral("AB1CD 2 days"));
        QCOMPARE(kept.look->frame, QColor(Qt::red));

        // The language changes while the slot waits to ask again.
        std::optional<SlotLook> announced;
        connect(&cuts, &CutPictures::askAgain,
                [&](const SlotTarget &, const std::optional<SlotLook> &look) { announced = look; });
        cuts.askSoon(SlotTarget{2, 5}, SlotLook{QStringLiteral("AB1CD neu"), Qt::blue},
                     SlotLook{QStringLiteral("AB1CD 2 Tage"), Qt::red});
        cuts.recaptionLooks(english);
        QTRY_VERIFY(announced);
        QCOMPARE(announced->caption, QStringLiteral("AB1CD new"));
        QCOMPARE(cuts.take(2, whole.left(400)).look->caption, QStringLiteral("AB1CD 2 days"));

        cuts.setLook(2, {QStringLiteral("AB1CD"), Qt::red});
        cuts.endFetch(2);
        QVERIFY(!cuts.take(2, whole.left(300)).look);
    }

    // fields: sender|status|date|slot caption|gallery caption
    void trailerFields_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("fieldCount");
        QTest::addColumn<QString>("fields");
        const QString ok = "XX9ABC|OK|10/14/2009 12:34|From: XX9ABC|From: XX9ABC";
        QTest::newRow("normal, seconds dropped") << "XX9ABC*OK*10/14/09 12:34:56" << 3 << ok;
        QTest::newRow("slashed zero in the sender")
            << "XX" + slashedO + "ABC*OK*10/14/09 12:34" << 3
            << "XX0ABC|OK|10/14/2009 12:34|From: XX" + slashedO + "ABC|From: XX" + slashedO + "ABC";
        QTest::newRow("no colon") << "XX9ABC*OK*10/14/09" << 0 << "||||";
        QTest::newRow("colon in the sender: one field")
            << "XX9:ABC*OK*10/14/09 12:34" << 1 << "XX9:AB||||From: XX9:AB";
        QTest::newRow("four-digit year gains 20 all the same")
            << "XX9ABC*OK*10/14/2009 12:34" << 3
            << "XX9ABC|OK|10/14/202009 12:34|From: XX9ABC|From: XX9ABC";
        QTest::newRow("CR LF after the time") << "XX9ABC*OK*10/14/09 12:34\r\n" << 3 << ok;
        QTest::newRow("date too short for the year fix")
            << "A*B*1:23" << 3 << "A|B|1:23|From: A|From: A";
    }
    void trailerFields() {
        QFETCH(QString, text);
        const TrailerFields f = parseTrailerText(text);
        QTEST(f.fieldCount, "fieldCount");
        const QString prefix = QStringLiteral("From: ");
        QTEST(QStringList({f.sender, f.status, f.date,
                           senderCaption(f, TrailerReader::Slot, prefix, slashedO),
                           senderCaption(f, TrailerReader::Gallery, prefix, slashedO)})
                  .join(u'|'),
              "fields");
    }

    // What a picture answer leaves on disk, in the slot table and in the list:
    // stFrom|stInfo|lblFrom|LastPictureDate. "unwritable": the data folder is missing.
    void store_data() {
        QTest::addColumn<QByteArray>("download");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<bool>("unwritable");
        QTest::addColumn<QString>("result");
        QTest::newRow("SSTV with trailer")
            << pic + "***XX\xD8" + "ABC*OK*10/14/09 12:34:56" << false << false
            << "XX0ABC|OK|From: XX" + slashedO + "ABC|10/14/2009 12:34";
        QTest::newRow("SSTV without trailer") << pic << false << false << "|Old||earlier";
        QTest::newRow("WX stores no date")
            << pic + "***NOAA*OK*10/14/09 12:34" << true << false << "NOAA|OK|From: NOAA|earlier";
        QTest::newRow("failed write still fills the table")
            << pic + "***XX9ABC*OK*10/14/09 12:34" << false << true
            << "XX9ABC|OK|From: XX9ABC|10/14/2009 12:34";
    }
    void store() {
        QFETCH(QByteArray, download);
        QFETCH(bool, wxPage);
        QFETCH(bool, unwritable);
        QTemporaryDir dir;
        AppPaths paths;
        paths.dataFolder = dir.path() + (unwritable ? "/missing" : "");
        // An older, longer picture in the slot must not leave a tail behind.
        if (!unwritable)
            QVERIFY(test::writeBytes(slotPictureFile(paths, wxPage, 4), QByteArray(9000, 'o')));
        SlotTable table;
        table.setValue(4, stTime, QStringLiteral("previous"));
        SiteList sites(3);
        for (SiteRecord &s : sites)
            s.LastPictureDate = QStringLiteral("earlier");
        LanguageTexts texts;
        texts.LngFromPrefix = QStringLiteral("From: ");

        const StoredSlotPicture stored = storeSlotPicture(download, SlotTarget{4, 1}, wxPage, paths,
                                                          table, sites, texts, slashedO);
        QCOMPARE(stored.file, paths.data(wxPage ? "images/wx/4" : "images/sstv/4"));
        QCOMPARE(stored.stored, !unwritable);
        QCOMPARE(stored.error.isEmpty(), !unwritable);
        QCOMPARE(test::readBytes(stored.file),
                 unwritable ? "<unreadable>" : splitPictureTrailer(download).picture);
        QTEST(QStringList({table.value(4, stFrom), table.value(4, stInfo), stored.lblFrom,
                           sites.at(1).LastPictureDate})
                  .join(u'|'),
              "result");
        QCOMPARE(table.value(4, stTime), QString());
        QCOMPARE(sites.at(0).LastPictureDate + sites.at(2).LastPictureDate, "earlierearlier");
    }

    void pictureCache() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("7"));
        QVERIFY(replaceCachedPicture(path, QByteArray("old")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("7")});
        // A folder where the new bytes would go: they cannot be written.
        QVERIFY(QDir().mkpath(path + QStringLiteral(".part")));
        const WriteResult result = replaceCachedPicture(path, QByteArray("new"));
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains(QDir::toNativeSeparators(path)));
        QCOMPARE(test::readBytes(path), QByteArray("old"));
        // A named pipe there is no reason to wait for a reader.
        QVERIFY(QDir(path + QStringLiteral(".part")).removeRecursively());
        QVERIFY(test::makeFifo(path + QStringLiteral(".part")));
        QVERIFY(replaceCachedPicture(path, QByteArray("new")));
        QCOMPARE(test::readBytes(path), QByteArray("new"));

        // What an older cache left under the site's own name goes.
        for (const char *name : {"image1.jpg", "IMAGE1.GIF", "image10.jpg", "7", "image1"})
            QVERIFY(test::writeBytes(dir.filePath(QString::fromLatin1(name)), ""));
        QCOMPARE(removeStrayImage1Files(dir.path()), 2);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
                 (QStringList{"7", "image1", "image10.jpg"}));
    }

    void readDate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date"); // null: unreadable
        QTest::newRow("two-digit year") << "10/14/09" << QDate(2009, 10, 14);
        QTest::newRow("dots, day first") << "14.10.2009 12:34" << QDate(2009, 10, 14);
        QTest::newRow("one-digit parts") << "1/2/3 4:05" << QDate(2003, 1, 2);
        QTest::newRow("no such day") << "02/30/2009 12:34" << QDate();
    }
    void readDate() {
        QFETCH(QString, text);
        QTEST(readPictureDate(text).value_or(QDate()), "date");
    }

    void age_data() {
        QTest::addColumn<QString>("lastPictureDate");
        QTest::addColumn<bool>("old"); // stInfo "Old" rather than "OK"
        QTest::addColumn<bool>("always");
        QTest::addColumn<QString>("now");
        QTest::addColumn<int>("days"); // -999: no age
        QTest::addColumn<QString>("caption");
        const auto row = [](const char *name, const char *date, bool old, bool always,
                            const char *now, int days, const char *caption) {
            QTest::newRow(name) << date << old << always << now << days << caption;
        };
        row("23:59 to 00:01 is one day", "10/14/2009 23:59", false, false, "2009-10-15T00:01:00Z",
            1, "XX9ABC - 1 day");
        row("30 days, no colour", "10/01/2009 12:00", false, false, "2009-10-31T12:00:00Z", 30,
            "XX9ABC - 30 days");
        row("31 days, light red", "10/01/2009 12:00", false, false, "2009-11-01T12:00:00Z", 31,
            "XX9ABC - 31 days");
        row("+05:30, local date ahead: true UTC says same day", "03/01/2024 10:00", false, false,
            "2024-03-02T02:00:00+05:30", 0, "");
        row("-05:30, local date behind: true UTC says next day", "03/01/2024 10:00", false, false,
            "2024-03-01T22:00:00-05:30", 1, "XX9ABC - 1 day");
        row("picture without trailer gets no age", "10/01/2009 12:00", true, false,
            "2009-11-01T12:00:00Z", -999, "");
        row("placeholder ages Old pictures too", "10/01/2009 12:00", true, true,
            "2009-11-01T12:00:00Z", 31, "XX9ABC - 31 days");
        row("date from the future", "10/20/2009 12:00", false, false, "2009-10-14T12:00:00Z", -6,
            "");
        row("unreadable date", "10/14/202009 12:34", false, false, "2009-10-14T12:00:00Z", -999,
            "");
    }
    void age() {
        QFETCH(QString, lastPictureDate);
        QFETCH(bool, old);
        QFETCH(bool, always);
        QFETCH(QString, now);
        QFETCH(int, days);
        const AgeDisplay display =
            ageDisplay(lastPictureDate, old ? "Old" : "OK", QStringLiteral("XX9ABC"),
                       always ? AgeRule::Always : AgeRule::SkipOldAndAnimated, DateOrder(),
                       ageTexts(), at(now));
        QCOMPARE(display.days.value_or(-999), days);
        QTEST(display.caption, "caption");
        QCOMPARE(display.frameColour.value_or(QColor()),
                 days > 30 ? QColor(255, 136, 136) : QColor());
        QCOMPARE(display.stTime, lastPictureDate);
    }

    // stTime is the date in the system's order; the record's own text keeps month first but
    // takes "/" for "-" and ".".
    void ageInTheSystemsOrder() {
        QString lastPictureDate = QStringLiteral("10-14-2009 12:34");
        const AgeDisplay display =
            ageDisplay(lastPictureDate, QStringLiteral("OK"), QStringLiteral("XX9ABC"),
                       AgeRule::SkipOldAndAnimated, DateOrder{DateOrder::DayFirst, "."}, ageTexts(),
                       at(QStringLiteral("2009-10-16T12:00:00Z")));
        QCOMPARE(display.stTime, QStringLiteral("14.10.2009 12:34"));
        QCOMPARE(lastPictureDate, QStringLiteral("10/14/2009 12:34"));
        QCOMPARE(display.days.value_or(-999), 2);
    }

    void firstFailureStamp() {
        // 02:00 on 2 March in India is 20:30 on 1 March in UTC.
        const QDateTime now = at(QStringLiteral("2024-03-02T02:00:00+05:30"));
        QString date;
        QVERIFY(stampFirstFailure(date, now));
        QCOMPARE(date, QStringLiteral("03/01/2024 20:30"));
        // Read back in every order, it is the present.
        for (const auto o : {DateOrder::MonthFirst, DateOrder::DayFirst, DateOrder::YearFirst}) {
            QString copy = date;
            const AgeDisplay display =
                ageDisplay(copy, QStringLiteral("Old"), "XX9ABC", AgeRule::Always,
                           DateOrder{o, "/"}, ageTexts(), now);
            QCOMPARE(display.days.value_or(-999), 0);
        }
        QString existing = QStringLiteral("10/14/2009 12:34");
        QVERIFY(!stampFirstFailure(existing, now));
        QCOMPARE(existing, QStringLiteral("10/14/2009 12:34"));
    }
};

QTEST_GUILESS_MAIN(SlotsTest)
#include "tst_slots.moc"
