#include "SiteWindowsHarness.h"

#include "core/base/TextCodec.h"
#include "core/net/UpdateCheck.h"
#include "core/net/UpdatesList.h"
#include "core/sites/SiteLists.h"
#include "sites/SiteNewsDialog.h"
#include "support/UpdateServices.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace tavimo;
using namespace tavimo::test;

namespace {

const QDate kToday(2024, 5, 1);

SiteList startingSites() {
    SiteList sites{
        makeSite("K1AAA", "http://a/image1.jpg"), makeSite("K2BBB", "http://b/image1.jpg"),
        makeSite("K3CCC", "http://c/image1.jpg"), makeSite("K4DDD", "http://d/image1.jpg"),
        makeSite("K5EEE", "http://e/image1.jpg"), makeSite("OLD1", "http://o/image1.jpg")};
    SortSiteList(sites);
    return sites;
}

// Every kind of entry, with short, empty, unknown and camera entries among them.
QByteArray fixtureList(bool crlf) {
    UpdatesListContent content;
    content.moved = {"K1AAA*http://a/image1.jpg*delete",
                     "K2BBB*http://b/image1.jpg*DELETE",
                     "K3CCC*http://c/image1.jpg*http://c2/image1.jpg",
                     "K4DDD*http://d/image1.jpg*http://e/image1.jpg",
                     "SHORT*http://c2/image1.jpg",
                     "",
                     "NOBODY*http://nobody/image1.jpg*DELETE"};
    content.renamed = {"OLD1*NEW1", "GHOST*NONE", "ONLYONE", ""};
    content.newSites = {{"N1NEW*41.5*-72.25", "http://n/image1.jpg"},
                        {"N2CAM (Cam)*1*2*http://cam", "http://cam/image1.jpg"},
                        {"N3NEW*-33.9*18.4*http://n3cam", "http://n3/image1.jpg"},
                        {"N4SHORT*1", "http://short/image1.jpg"},
                        {"K5EEE*1*2", "http://e/image1.jpg"}};
    QByteArray bytes = updatesListBytes(content, kToday);
    if (!crlf)
        bytes.replace("\r\n", "\n");
    return bytes;
}

QStringList sectionsOf(const QByteArray &bytes) {
    return decodeCp1252(bytes).split(kUpdatesSectionMarker.toString());
}

QStringList entries(const SiteList &sites) {
    QStringList result;
    for (const SiteRecord &site : sites)
        result << site.Callsign + u' ' + site.PictureUrl;
    return result;
}

} // namespace

class TestSiteNews : public QObject {
    Q_OBJECT

private slots:
    void dialogAppliesAndSaves_data() {
        QTest::addColumn<bool>("crlf");
        QTest::newRow("CR LF") << true;
        QTest::newRow("LF") << false;
    }

    void dialogAppliesAndSaves() {
        QFETCH(bool, crlf);
        SiteWindowsHarness bed;
        bed.state.SiteList = startingSites();
        bed.state.page.SlotCount = 10;
        bed.state.page.SlotTable.setValue(2, stSiteCall, QStringLiteral("K1AAA"));
        bed.state.page.SlotTable.setValue(4, stSiteCall, QStringLiteral("K2BBB"));
        const QByteArray bytes = fixtureList(crlf);
        // The main window's check sees news in this list.
        const UpdateDecision first = judgeUpdatesList(
            ListSource::Main, crlf ? bytes : fixtureList(true), kToday, bed.state.SiteList);
        QCOMPARE(first.action, UpdateDecision::Action::Accept);
        QVERIFY(!first.news.isEmpty());

        QPointer<SiteNewsDialog> dialog =
            showSiteNewsDialog(bed.state, bed.registry, sectionsOf(bytes), true);
        QCOMPARE(bed.main.calls, QStringList({"stop", "disable"}));
        QCOMPARE(listTexts(dialog->List1),
                 QStringList({"N1NEW   http://n/image1.jpg   41.5   -72.25   ",
                              "N3NEW   http://n3/image1.jpg   -33.9   18.4   http://n3cam",
                              "N2CAM (Cam)   http://cam/image1.jpg   1   2   http://cam"}));
        QCOMPARE(listTexts(dialog->List2),
                 QStringList({"K1AAA   http://a/image1.jpg", "K2BBB   http://b/image1.jpg"}));
        QCOMPARE(listTexts(dialog->List3), QStringList({"OLD1 changed to NEW1"}));
        QCOMPARE(listTexts(dialog->List4),
                 QStringList({"K3CCC   http://c/image1.jpg to http://c2/image1.jpg",
                              "K4DDD   http://d/image1.jpg to http://e/image1.jpg   (not changed: "
                              "the new address is listed already)"}));
        QCOMPARE(dialog->List2->item(0)->checkState(), Qt::Checked);
        // The line under the lists says what the check found, not to wait for it.
        QCOMPARE(dialog->lblInfo->text(), "Check done: 2 new and 2 discontinued site(s) found.");
        // Moves and renames are made as the dialog opens.
        QVERIFY(entries(bed.state.SiteList).contains("NEW1 http://o/image1.jpg"));
        QVERIFY(entries(bed.state.SiteList).contains("K3CCC http://c2/image1.jpg"));

        dialog->List2->item(1)->setCheckState(Qt::Unchecked);
        dialog->cmdCancel->click();
        QTRY_VERIFY(dialog.isNull());

        const QStringList expected{
            "K2BBB http://b/image1.jpgNoDelete", "K3CCC http://c2/image1.jpg",
            "K4DDD http://d/image1.jpg",         "K5EEE http://e/image1.jpg",
            "N1NEW http://n/image1.jpg",         "N3NEW http://n3/image1.jpg",
            "NEW1 http://o/image1.jpg"};
        QCOMPARE(entries(bed.state.SiteList), expected);
        const SiteRecord &added = bed.state.SiteList[4];
        QCOMPARE(added.Latitude, 41.5);
        QCOMPARE(added.Longitude, -72.25);
        QCOMPARE(added.SlotMap[1], QStringLiteral("0000000000"));
        QCOMPARE(bed.state.SiteList[5].CamUrl, QStringLiteral("http://n3cam"));
        // On disk at once, not only at the next exit.
        const SiteListFile onDisk = readSiteList(bed.state.paths.data(kSiteListFile));
        QCOMPARE(onDisk.status, ListStatus::Read);
        QCOMPARE(entries(onDisk.sites), expected);
        // The removed site's thumbnail is emptied; the kept one stays.
        QCOMPARE(bed.main.calls,
                 QStringList({"stop", "disable", "clear 2", "enable", "resume", "reload"}));
        QVERIFY(bed.prompts.calls.isEmpty());

        // The next check finds nothing to say about the same list.
        QVERIFY(compareSiteList(*readUpdatesList(bytes), bed.state.SiteList).isEmpty());
    }

    void emptyNewsOnlyHandsBack() {
        SiteWindowsHarness bed;
        bed.state.SiteList = startingSites();
        bed.state.config.LanguageIndex = 2;
        QPointer<SiteNewsDialog> dialog = showSiteNewsDialog(
            bed.state, bed.registry, sectionsOf(updatesListBytes({}, kToday)), false);
        for (QListWidget *list : {dialog->List1, dialog->List2, dialog->List3, dialog->List4})
            QCOMPARE(list->count(), 0);
        QCOMPARE(dialog->lblInfo->text(),
                 QString::fromUtf16(u"Pr\u00FCfung beendet: 0 neue und 0 eingestellte Website(s) "
                                    u"gefunden."));
        QCOMPARE(dialog->List1->palette().color(QPalette::Base),
                 dialog->palette().color(QPalette::Window));
        dialog->close();
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(bed.main.calls, QStringList({"stop", "disable", "enable", "resume", "reload"}));
        QCOMPARE(bed.state.SiteList, startingSites());
        QVERIFY(!QFile::exists(bed.state.paths.data(kSiteListFile)));
    }

    void closingRules_data() {
        QTest::addColumn<SiteList>("sites");
        QTest::addColumn<QList<bool>>("checked");
        QTest::addColumn<QStringList>("after");
        const SiteRecord one = makeSite("K1AAA", "http://a/image1.jpg");
        const SiteRecord twin = makeSite("K1BBB", "http://a/image1.jpg");
        QTest::newRow("the last site stays")
            << SiteList{one} << QList<bool>{true} << QStringList{"K1AAA http://a/image1.jpg"};
        QTest::newRow("two records of one address, both checked")
            << SiteList{one, twin, makeSite("Z", "http://z")} << QList<bool>{true, true}
            << QStringList{"Z http://z"};
        QTest::newRow("first kept, second removed")
            << SiteList{one, twin, makeSite("Z", "http://z")} << QList<bool>{false, true}
            << QStringList{"K1AAA http://a/image1.jpgNoDelete", "Z http://z"};
    }

    void closingRules() {
        QFETCH(SiteList, sites);
        QFETCH(QList<bool>, checked);
        UpdatesList list;
        list.addressEntries.append({"K1AAA", "http://a/image1.jpg", QString(), true});
        const SiteNews news = applySiteChanges(sites, list);
        applyClosingChanges(sites, news, checked);
        QTEST(entries(sites), "after");
    }
};

QTEST_MAIN(TestSiteNews)
#include "tst_sitenews.moc"
