// The index of the SSTV pages gives the plans the whole-list walk gives, on
// every page and setting, and after every way the list changes.

#include "core/sites/SlotMap.h"
#include "core/thumbs/PagePlan.h"

#include <QRandomGenerator>
#include <QtTest>

#include <functional>

using namespace tavimo;

namespace {

const QString kZero = QStringLiteral("\u00D8");

SiteList randomSites(int count, quint32 seed) {
    QRandomGenerator random(seed);
    SiteList sites;
    for (int i = 0; i < count; ++i) {
        SiteRecord r;
        r.Callsign = QStringLiteral("K%1X").arg(i);
        r.PictureUrl = QStringLiteral("http://127.0.0.1:1/%1/image1.jpg").arg(i);
        for (int k = 0; k <= 4; ++k) {
            QString map = kEmptySlotMap;
            for (int n = random.bounded(3); n > 0; --n)
                map = withSstvSlotOnPage(map, 1 + random.bounded(10), random.bounded(26));
            r.SlotMap[k] = map;
        }
        sites.append(r);
    }
    return sites;
}

bool samePlans(SstvPageIndex &index, const SiteList &sites) {
    for (int setting = 0; setting <= 4; ++setting) {
        for (int page = 1; page <= 10; ++page) {
            for (int slotCount : {5, 24}) {
                const PagePlan walked = planSstvPage(sites, page, setting, slotCount, kZero);
                const PagePlan indexed = index.plan(sites, page, setting, slotCount, kZero);
                if (indexed.placed != walked.placed || indexed.List1 != walked.List1)
                    return false;
            }
        }
    }
    return true;
}

} // namespace

Q_DECLARE_METATYPE(std::function<void(SiteList &, SstvPageIndex &)>)

class PageIndexTest : public QObject {
    Q_OBJECT

private slots:
    void plansAsTheWalk_data() {
        using Change = std::function<void(SiteList &, SstvPageIndex &)>;
        QTest::addColumn<Change>("change");
        QTest::newRow("unchanged") << Change([](SiteList &, SstvPageIndex &) {});
        QTest::newRow("a site moved, the change announced")
            << Change([](SiteList &sites, SstvPageIndex &index) {
                   sites[3].SlotMap[2] = withSstvSlotOnPage(kEmptySlotMap, 4, 7);
                   index.invalidate();
               });
        QTest::newRow("the list replaced")
            << Change([](SiteList &sites, SstvPageIndex &) { sites = randomSites(150, 99); });
        QTest::newRow("a site added in place") << Change([](SiteList &sites, SstvPageIndex &) {
            sites.reserve(sites.size() + 10);
            SiteRecord r = sites.first();
            r.Callsign = QStringLiteral("ZZ9ZZ");
            sites.append(r);
        });
        QTest::newRow("a site removed in place")
            << Change([](SiteList &sites, SstvPageIndex &) { sites.removeAt(5); });
        QTest::newRow("emptied") << Change([](SiteList &sites, SstvPageIndex &) { sites.clear(); });
    }

    void plansAsTheWalk() {
        QFETCH(std::function<void(SiteList &, SstvPageIndex &)>, change);
        SiteList sites = randomSites(120, 5);
        SstvPageIndex index;
        QVERIFY(samePlans(index, sites));
        change(sites, index);
        QVERIFY(samePlans(index, sites));
    }

    void outsideThePagesAsTheWalk() {
        const SiteList sites = randomSites(40, 8);
        SstvPageIndex index;
        for (const auto &[page, setting] : {std::pair{0, 2}, {11, 2}, {3, 5}, {3, -1}}) {
            QCOMPARE(index.plan(sites, page, setting, 24, kZero).placed,
                     planSstvPage(sites, page, setting, 24, kZero).placed);
        }
    }
};

QTEST_MAIN(PageIndexTest)
#include "tst_pageindex.moc"
