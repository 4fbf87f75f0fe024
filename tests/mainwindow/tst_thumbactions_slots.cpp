// What the slot pop-up and the Find menu change: a site picked in the
// selection grid lands in the slot the grid was opened for and only that slot
// is fetched again; a slot left blank; the gallery pick; the blink of a site
// chosen from the alphabetical list; saving and pasting a slot's picture.

#include "ThumbRig.h"

#include "core/FileDialogs.h"

#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;

namespace {

// Page 1 holds AB1CD and EF2GH, page 3 holds SP3AB in slot 1; VK2ZZ and
// JA1AA are on no page. Only an address ending in "image1" itself (JA1AA's)
// has a check picture asked for when its site is put into a slot.
QList<SiteLine> sites() {
    return {
        {QStringLiteral("AB1CD"), QStringLiteral("1000000000"), QStringLiteral("51.5"),
         QStringLiteral("-0.12"), QStringLiteral("/ab1cd/image1.jpg")},
        {QStringLiteral("EF2GH"), QStringLiteral("2000000000"), QStringLiteral("40"),
         QStringLiteral("-74"), QStringLiteral("/ef2gh/image1.jpg")},
        {QStringLiteral("SP3AB"), QStringLiteral("0020000000"), QStringLiteral("52.2"),
         QStringLiteral("21"), QStringLiteral("/sp3ab/image1.jpg")},
        {QStringLiteral("VK2ZZ"), QStringLiteral("0000000000"), QStringLiteral("-33.9"),
         QStringLiteral("151.2"), QStringLiteral("/vk2zz/latest.jpg")},
        {QStringLiteral("JA1AA"), QStringLiteral("0000000000"), QStringLiteral("35.7"),
         QStringLiteral("139.7"), QStringLiteral("/ja1aa/image1")},
    };
}

QList<SiteLine> wxSites() {
    return {{QStringLiteral("NOAA"), QStringLiteral("1"), {}, {}, QStringLiteral("/wx/noaa.jpg")}};
}

constexpr int kSetting24 = 4; // the 24-slot layout

QStringList requestedPaths(const LoopbackServer &server) {
    QStringList paths;
    for (const RecordedRequest &request : server.requests())
        paths << QString::fromLatin1(request.path);
    return paths;
}

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A rig on page 3 of the 24-slot layout with every site's picture served.
bool startOnPage3(ThumbRig &rig) {
    for (const SiteLine &site : sites())
        rig.servePicture(site.path, site.call);
    ThumbRig::Options options;
    options.thumbSetting = kSetting24;
    if (!rig.start(sites(), wxSites(), options))
        return false;
    rig.item(QStringLiteral("mnuPage"), 3)->trigger();
    return rig.page().CurrentPage == 3 && rig.waitForQuiet();
}

// The pick handed back by the grid, applied once the window's timer fired.
bool pick(ThumbRig &rig, int siteIndex) {
    rig.w().handOverPickedSite(siteIndex);
    return QTest::qWaitFor([&] { return !rig.w().sitePickTimer.isActive(); }, 2000) &&
           rig.waitForQuiet();
}

} // namespace

class ThumbSlotsTest : public QObject {
    Q_OBJECT

private slots:
    void assigningFetchesThatSlotOnly_data();
    void assigningFetchesThatSlotOnly();
    void pickLandsInTheSlotItWasMadeFor();
    void wxPickFetchesTheWxPicture();
    void allSitesPickOpensTheGallery();
    void leavingASlotBlank();
    void alphabeticalListBlinksTheSlot();
    void savingAPicture_data();
    void savingAPicture();
    void pastingIntoMmsstv_data();
    void pastingIntoMmsstv();
};

void ThumbSlotsTest::assigningFetchesThatSlotOnly_data() {
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QChar>("code");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<int>("emptied"); // the slot that lost its site, -1 none

    const QStringList vk{QStringLiteral("/vk2zz/latest.jpg")};
    QTest::newRow("slot 1, over another site") << "VK2ZZ" << 1 << QChar(u'2') << vk << -1;
    QTest::newRow("slot 9 is coded A") << "VK2ZZ" << 9 << QChar(u'A') << vk << -1;
    QTest::newRow("slot 23 is coded O, check picture first")
        << "JA1AA" << 23 << QChar(u'O')
        << QStringList{QStringLiteral("/ja1aa/checknew.jpg"), QStringLiteral("/ja1aa/image1")}
        << -1;
    QTest::newRow("site moves on its page")
        << "SP3AB" << 4 << QChar(u'5') << QStringList{QStringLiteral("/sp3ab/image1.jpg")} << 1;
    QTest::newRow("site into the slot it holds")
        << "SP3AB" << 1 << QChar(u'2') << QStringList{QStringLiteral("/sp3ab/image1.jpg")} << -1;
}

void ThumbSlotsTest::assigningFetchesThatSlotOnly() {
    QFETCH(QString, call);
    QFETCH(int, slot);
    QFETCH(QChar, code);
    QFETCH(QStringList, requests);
    QFETCH(int, emptied);

    ThumbRig rig;
    QVERIFY(startOnPage3(rig));
    QCOMPARE(rig.cell(1).lblCall->text().left(5), QStringLiteral("SP3AB"));

    rig.choose(slot, QStringLiteral("mnuSelectSite"));
    QCOMPARE(rig.opener.named(QStringLiteral("openSiteSelection")),
             QStringList{QStringLiteral("openSiteSelection 0 %1 0").arg(slot)});
    rig.server.clearRequests();
    rig.opener.calls.clear();
    QVERIFY(pick(rig, rig.siteIndex(call)));

    QCOMPARE(requestedPaths(rig.server), requests);
    // A check picture asked for leaves the new site's height for the next pass.
    if (requests.size() == 2)
        QCOMPARE(rig.page().SlotTable.value(slot, stCheckHeight), QStringLiteral("100"));
    QCOMPARE(rig.page().ExpectedCount, 1);
    QCOMPARE(rig.page().FinishedCount, 1);
    QVERIFY(rig.opener.calls.contains(QStringLiteral("rebuildSiteSelection")));

    // The slot maps of setting 4 at page 3.
    QCOMPARE(rig.site(call).SlotMap[kSetting24][2], code);
    for (const SiteRecord &other : rig.h.state.SiteList) {
        if (other.Callsign != call)
            QVERIFY2(other.SlotMap[kSetting24][2] != code, qPrintable(other.Callsign));
    }
    QCOMPARE(rig.page().SlotTable.value(slot, stSiteCall), call);
    QVERIFY(rig.cell(slot).lblCall->text().startsWith(call));
    QVERIFY(!rig.cell(slot).img->pixmap().isNull());
    QVERIFY(rig.w().List1.contains(call + QStringLiteral("    ") + QString::number(slot + 1)));
    if (emptied >= 0) {
        QVERIFY(rig.cell(emptied).lblCall->text().isEmpty());
        QVERIFY(rig.page().SlotTable.value(emptied, stSiteCall).isEmpty());
        QVERIFY(rig.cell(emptied).img->pixmap().isNull());
    }
}

void ThumbSlotsTest::pickLandsInTheSlotItWasMadeFor() {
    ThumbRig rig;
    QVERIFY(startOnPage3(rig));
    rig.choose(2, QStringLiteral("mnuSelectSite"));
    // Another window (the gallery's cells) sets the shared slot meanwhile.
    rig.page().SelectedSlot = 7;
    rig.server.clearRequests();
    QVERIFY(pick(rig, rig.siteIndex(QStringLiteral("VK2ZZ"))));

    QCOMPARE(rig.site(QStringLiteral("VK2ZZ")).SlotMap[kSetting24][2], QChar(u'3'));
    QVERIFY(rig.cell(2).lblCall->text().startsWith(QStringLiteral("VK2ZZ")));
    QVERIFY(rig.cell(7).lblCall->text().isEmpty());
    QCOMPARE(requestedPaths(rig.server), QStringList{QStringLiteral("/vk2zz/latest.jpg")});

    // The next pick of a grid opened some other way fills the slot last pressed.
    rig.server.clearRequests();
    rig.page().SelectedSlot = 5;
    QVERIFY(pick(rig, rig.siteIndex(QStringLiteral("JA1AA"))));
    QCOMPARE(rig.site(QStringLiteral("JA1AA")).SlotMap[kSetting24][2], QChar(u'6'));
}

void ThumbSlotsTest::wxPickFetchesTheWxPicture() {
    ThumbRig rig;
    const QList<SiteLine> wx{
        {QStringLiteral("NOAA"), QStringLiteral("1"), {}, {}, QStringLiteral("/wx/noaa.jpg")},
        {QStringLiteral("METEOR"), QStringLiteral("0"), {}, {}, QStringLiteral("/wx/meteor.jpg")}};
    rig.servePicture(QStringLiteral("/wx/meteor.jpg"), QStringLiteral("METEOR"));
    ThumbRig::Options options;
    options.startPage = 1;
    QVERIFY(rig.start(sites(), wx, options));
    QVERIFY(rig.page().isWxPage());
    const auto wxIndex = [&](const QString &name) {
        for (int i = 0; i < rig.h.state.WxSiteList.size(); ++i) {
            if (rig.h.state.WxSiteList[i].Callsign == name)
                return i;
        }
        return -1;
    };

    rig.choose(1, QStringLiteral("mnuSelectSite"));
    QCOMPARE(rig.opener.named(QStringLiteral("openSiteSelection")),
             QStringList{QStringLiteral("openSiteSelection 0 1 1")});
    rig.server.clearRequests();
    QVERIFY(pick(rig, wxIndex(QStringLiteral("METEOR"))));
    QCOMPARE(requestedPaths(rig.server), QStringList{QStringLiteral("/wx/meteor.jpg")});
    QCOMPARE(rig.h.state.WxSiteList[wxIndex(QStringLiteral("METEOR"))].SlotMap[2],
             QStringLiteral("2"));
    QCOMPARE(rig.cell(1).lblCall->text(), QStringLiteral("METEOR"));
    QVERIFY(!rig.cell(1).img->pixmap().isNull());

    // A WX pick that comes back when an SSTV page is on show is dropped: its
    // index names a WX site, not one of the SSTV list.
    rig.choose(2, QStringLiteral("mnuSelectSite"));
    rig.item(QStringLiteral("mnuPage"), 1)->trigger();
    QVERIFY(rig.waitForQuiet());
    rig.server.clearRequests();
    const QList<SiteRecord> before = rig.h.state.SiteList;
    QVERIFY(pick(rig, 1));
    QVERIFY(requestedPaths(rig.server).isEmpty());
    for (int i = 0; i < before.size(); ++i)
        QCOMPARE(rig.h.state.SiteList[i].SlotMap[2], before[i].SlotMap[2]);
    QVERIFY(rig.cell(2).lblCall->text().isEmpty());
}

void ThumbSlotsTest::allSitesPickOpensTheGallery() {
    ThumbRig rig;
    QVERIFY(startOnPage3(rig));
    rig.item(QStringLiteral("mnuAll"))->trigger();
    QCOMPARE(rig.opener.named(QStringLiteral("openSiteSelection")).size(), 1);
    QVERIFY(rig.opener.named(QStringLiteral("openSiteSelection"))
                .first()
                .startsWith(QStringLiteral("openSiteSelection 1 ")));
    rig.server.clearRequests();
    const QList<QString> mapsBefore = [&] {
        QList<QString> maps;
        for (const SiteRecord &site : rig.h.state.SiteList)
            maps << site.SlotMap[kSetting24];
        return maps;
    }();

    const int index = rig.siteIndex(QStringLiteral("JA1AA"));
    QVERIFY(pick(rig, index));
    QCOMPARE(rig.opener.named(QStringLiteral("openGallery")),
             QStringList{QStringLiteral("openGallery %1").arg(index - 1000)});
    QCOMPARE(rig.page().GalleryRequest, index - 1000);
    QVERIFY(rig.w().refreshTimers().sstvRunning());
    QVERIFY(requestedPaths(rig.server).isEmpty());
    for (int i = 0; i < rig.h.state.SiteList.size(); ++i)
        QCOMPARE(rig.h.state.SiteList[i].SlotMap[kSetting24], mapsBefore[i]);
}

void ThumbSlotsTest::leavingASlotBlank() {
    ThumbRig rig;
    rig.servePicture(QStringLiteral("/ab1cd/image1.jpg"), QStringLiteral("AB1CD"));
    QVERIFY(rig.start(sites(), wxSites(), {}));
    QVERIFY(!rig.cell(0).img->pixmap().isNull());
    QCOMPARE(rig.w().List1.size(), 2);

    rig.choose(0, QStringLiteral("mnuLeaveBlank"));
    QCOMPARE(rig.site(QStringLiteral("AB1CD")).SlotMap[2], QStringLiteral("0000000000"));
    QCOMPARE(rig.site(QStringLiteral("EF2GH")).SlotMap[2], QStringLiteral("2000000000"));
    QVERIFY(rig.cell(0).isBlank());
    QVERIFY(rig.page().SlotTable.value(0, stSiteCall).isEmpty());
    QCOMPARE(rig.w().List1, QStringList{QStringLiteral("EF2GH    2")});
    QVERIFY(rig.opener.calls.contains(QStringLiteral("rebuildSiteSelection")));

    // The emptied slot offers nothing to view any more.
    rig.opener.calls.clear();
    rig.press(0, Qt::LeftButton);
    QVERIFY(rig.opener.named(QStringLiteral("openPictureViewer")).isEmpty());
}

void ThumbSlotsTest::alphabeticalListBlinksTheSlot() {
    ThumbRig rig;
    QVERIFY(rig.start(sites(), wxSites(), {}));
    QCOMPARE(rig.w().List1,
             (QStringList{QStringLiteral("AB1CD    1"), QStringLiteral("EF2GH    2")}));

    rig.item(QStringLiteral("mnuThisPage"))->trigger();
    QMenu *list = rig.w().menu(QStringLiteral("mnuPopUp"));
    QVERIFY(list->isVisible());
    list->hide();
    rig.item(QStringLiteral("mnuAlphaList"), 1)->trigger();
    QCOMPARE(rig.w().BlinkSlot, 1);
    QVERIFY(rig.w().blinkTimer.isActive());
}

void ThumbSlotsTest::savingAPicture_data() {
    QTest::addColumn<QString>("answer"); // relative to the temporary folder; "" cancels
    QTest::addColumn<bool>("copied");
    QTest::addColumn<int>("messages");
    QTest::addColumn<QString>("saveFolder"); // afterwards, relative; "" = unchanged

    QTest::newRow("saved") << "pics/a.jpg" << true << 0 << "pics/";
    QTest::newRow("cancelled") << "" << false << 0 << "";
    QTest::newRow("copy fails") << "afile/a.jpg" << false << 1 << "afile/";
}

void ThumbSlotsTest::savingAPicture() {
    QFETCH(QString, answer);
    QFETCH(bool, copied);
    QFETCH(int, messages);
    QFETCH(QString, saveFolder);

    ThumbRig rig;
    rig.servePicture(QStringLiteral("/ab1cd/image1.jpg"), QStringLiteral("AB1CD"));
    QVERIFY(rig.start(sites(), wxSites(), {}));
    const QString root = rig.h.root + u'/';
    QVERIFY(QDir().mkpath(root + QStringLiteral("pics")));
    QVERIFY(QDir().mkpath(root + QStringLiteral("old")));
    // A file where the folder should be: no copy can go there, root or not.
    QFile blocker(root + QStringLiteral("afile"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    rig.h.state.SaveFolder = root + QStringLiteral("old/");
    if (!answer.isEmpty())
        rig.fileDialog.answers << root + answer;
    rig.h.prompts.clear();
    QVERIFY(rig.w().refreshTimers().sstvRunning());

    rig.choose(0, QStringLiteral("mnuSave"));

    QCOMPARE(rig.fileDialog.requests.size(), 1);
    const FileDialogRequest &request = rig.fileDialog.requests.first();
    QCOMPARE(request.InitialDir, root + QStringLiteral("old/"));
    QCOMPARE(request.FileName, QStringLiteral("image1"));
    QCOMPARE(request.Filter,
             MakeFilter(QString(), QStringLiteral("jpg files (*.jpg)"), QStringLiteral("*.jpg")));
    QVERIFY(!request.OpenDialog);
    QVERIFY(request.Flags & OFN_OVERWRITEPROMPT);
    QCOMPARE(rig.fileDialog.refreshRunning, QList<bool>{false});
    // Refreshing goes on whatever the outcome.
    QVERIFY(rig.w().refreshTimers().sstvRunning());
    QCOMPARE(rig.h.prompts.calls.size(), messages);
    QCOMPARE(rig.h.state.SaveFolder,
             root + (saveFolder.isEmpty() ? QStringLiteral("old/") : saveFolder));
    if (copied)
        QCOMPARE(fileBytes(root + answer), fileBytes(rig.h.data(QStringLiteral("images/sstv/0"))));
    else if (!answer.isEmpty())
        QVERIFY(!QFileInfo::exists(root + answer));
}

void ThumbSlotsTest::pastingIntoMmsstv_data() {
    QTest::addColumn<QString>("window"); // a window on the fake desktop; "" none
    QTest::addColumn<int>("slot");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("onClipboard");

    const QStringList paste{QStringLiteral("%{E}"), QStringLiteral("{P}")};
    QTest::newRow("MMSSTV open") << "MMSSTV" << 0 << paste << true;
    QTest::newRow("MMSSTV not running") << "" << 0 << QStringList() << true;
    QTest::newRow("title differs in case") << "mmsstv" << 0 << QStringList() << true;
    QTest::newRow("no picture in the slot") << "MMSSTV" << 1 << QStringList() << false;
}

void ThumbSlotsTest::pastingIntoMmsstv() {
    QFETCH(QString, window);
    QFETCH(int, slot);
    QFETCH(QStringList, keys);
    QFETCH(bool, onClipboard);

    ThumbRig rig;
    rig.servePicture(QStringLiteral("/ab1cd/image1.jpg"), QStringLiteral("AB1CD"));
    QVERIFY(rig.start(sites(), wxSites(), {}));
    if (!window.isEmpty())
        rig.desktop.addWindow(window);

    rig.choose(slot, QStringLiteral("mnuPaste"));

    QCOMPARE(rig.desktop.sentKeys(), keys);
    QCOMPARE(rig.clipboard.size(), size_t(onClipboard ? 1 : 0));
    if (onClipboard) {
        QVERIFY(rig.clipboard.front()->hasImage());
        QCOMPARE(rig.refreshAtClipboard, QList<bool>{false});
    }
    QVERIFY(rig.w().refreshTimers().sstvRunning());
    QVERIFY(rig.h.prompts.calls.isEmpty());
}

QTEST_MAIN(ThumbSlotsTest)
#include "tst_thumbactions_slots.moc"
