// The pointer on the real main window's thumbnails: the tip, the left click,
// the pop-up menu as each kind of slot shows it, the map items, and what the
// pop-up changes: a site picked for a slot, a slot left blank, saving and
// pasting a slot's picture.

#include "support/MainWindowHarness.h"

#include "core/base/FileDialogs.h"
#include "core/thumbs/ThumbTip.h"

#include <QLabel>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {

const QString kTime = u"2024/05/01 12:34"_s;
constexpr int kSetting24 = 4; // the 24-slot layout

// Page 1: a site in the UK, one in New York, one without position and one on
// the equator; slots 4 and up are empty. Page 3 holds SP3AB in slot 1;
// VK2ZZ and JA1AA are on no page. Only an address ending in "image1" itself
// (JA1AA's) has a check picture asked for when its site is put into a slot.
const QList<QStringList> kSites{{"AB1CD", "1000000000", "/ab1cd/image1.jpg", "51.5", "-0.12"},
                                {"EF2GH", "2000000000", "/ef2gh/image1.jpg", "40", "-74"},
                                {"K0XYZ", "3000000000", "/k0xyz/image1.jpg", "0", "0"},
                                {"EQ1AA", "4000000000", "/eq1aa/image1.jpg", "0", "30"},
                                {"SP3AB", "0020000000", "/sp3ab/image1.jpg", "52.2", "21"},
                                {"VK2ZZ", "0000000000", "/vk2zz/latest.jpg", "-33.9", "151.2"},
                                {"JA1AA", "0000000000", "/ja1aa/image1", "35.7", "139.7"}};

struct Rig : Harness {
    explicit Rig(int thumbSetting = 2, int startPage = 0) {
        writeConfig(thumbSetting, 1, startPage, 30);
        for (const QStringList &s : kSites)
            addSite(s[0], s[1], s[2], s[3], s[4]);
        addWxSite("NOAA", "1", "/wx/noaa.jpg");
        addWxSite("METEOR", "0", "/wx/meteor.jpg");
    }
    QStringList requestedPaths() const {
        QStringList paths;
        for (const RecordedRequest &request : server.requests())
            paths << QString::fromLatin1(request.path);
        return paths;
    }
    // The pick handed back by the selection grid, applied once the timer fired.
    bool pick(int index) {
        server.clearRequests();
        opener.calls.clear();
        w().handOverPickedSite(index);
        return QTest::qWaitFor([&] { return !w().actions().pickPending(); }, 5000) &&
               waitForQuiet();
    }
    // Page 3 of the 24-slot layout with every site's picture served.
    bool startOnPage3() {
        for (const QStringList &s : kSites)
            servePicture(s[2], s[0]);
        if (!startShown())
            return false;
        item(u"mnuPage"_s, 3)->trigger();
        return page().CurrentPage == 3 && waitForQuiet();
    }
    QStringList visiblePopUpItems() {
        QStringList names;
        for (QAction *action : popUp()->actions()) {
            if (action->isVisible())
                names << action->objectName();
        }
        return names;
    }
};

const QStringList kFullMenu{"mnuRefreshSite", "mnuReloadPage", "mnuRefreshSep", "mnuLast15",
                            "mnuMapSep",      "mnuMapLoc",     "mnuEarthView",  "mnuQrzCall",
                            "mnuQrzSep",      "mnuSave",       "mnuPaste",      "mnuPasteSep",
                            "mnuLeaveBlank",  "mnuSelectSite"};

} // namespace

class ThumbActionsTest : public QObject {
    Q_OBJECT

private slots:
    void tipAfterItsDelay_data();
    void tipAfterItsDelay();
    void leftClick();
    void popUpItems_data();
    void popUpItems();
    void mapLocation_data();
    void mapLocation();
    void webMapViews_data();
    void webMapViews();
    void assigningFetchesThatSlotOnly_data();
    void assigningFetchesThatSlotOnly();
    void pickLandsInTheSlotItWasMadeFor();
    void wxPickOnAnSstvPageIsDropped();
    void allSitesPickOpensTheGallery();
    void leavingASlotBlank();
    void savingAPicture();
    void pastingIntoMmsstv_data();
    void pastingIntoMmsstv();
};

// The texts are the tip's own; the window shows them for the slot's site.
void ThumbActionsTest::tipAfterItsDelay_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("homeSet"); // without it no tip shows
    QTest::addColumn<QString>("pictureToolTip");
    QTest::newRow("position") << 0 << true << QString();
    QTest::newRow("no position") << 2 << true << u"No position known for K0XYZ"_s;
    QTest::newRow("home not set")
        << 0 << false << u"Enter your own position (Setup menu) to see distance and bearing"_s;
    // EF2GH serves no picture: its failed cell's tip also says why.
    QTest::newRow("download failed") << 1 << true << QString();
}

void ThumbActionsTest::tipAfterItsDelay() {
    QFETCH(int, slot);
    QFETCH(bool, homeSet);
    QFETCH(QString, pictureToolTip);
    Rig rig;
    QVERIFY(rig.startShown());
    const bool failed = QByteArray(QTest::currentDataTag()) == "download failed";
    // What the picture's trailer left in the slot table.
    if (!failed) {
        rig.page().SlotTable.setValue(slot, stFrom, u"PA0SND"_s);
        rig.page().SlotTable.setValue(slot, stInfo, u"X"_s);
        rig.page().SlotTable.setValue(slot, stTime, kTime);
    }
    Config &config = rig.config();
    if (!homeSet)
        config.MyLat = config.MyLon = 0;
    QLabel *tip = rig.w().pointer().tipLabel();

    rig.hover(slot);
    QVERIFY(tip->isHidden());
    QCOMPARE(rig.cell(slot).img->toolTip(), pictureToolTip);
    if (!homeSet) {
        QVERIFY(!rig.w().pointer().tipPending());
        return;
    }
    rig.hover(slot); // moving on over the same picture prepares nothing new
    QTRY_VERIFY_WITH_TIMEOUT(!tip->isHidden(), kTipDelayMs * 5);

    const SiteRecord &site = rig.site(kSites[slot][0]);
    if (failed)
        QCOMPARE(tip->text(), thumbTipText({}, rig.page().SlotTable.value(slot, stTime),
                                           {site.Latitude, site.Longitude}, config) +
                                  u"\n HTTP status 404 Not Found "_s);
    else
        QCOMPARE(tip->text(), thumbTipText(u"X"_s, kTime, {site.Latitude, site.Longitude}, config));
    // Just under the picture, centred under the frame.
    ThumbCell &c = rig.cell(slot);
    const QRect picture(c.img->mapTo(&rig.w().grid(), QPoint(0, 0)), c.img->size());
    QCOMPARE(tip->y(), picture.bottom() + 1);
    QVERIFY(qAbs(tip->geometry().center().x() - picture.center().x()) <= 3);
    // Down over both caption lines, the lower one included.
    QVERIFY(tip->geometry().bottom() >=
            c.lblFrom->mapTo(&rig.w().grid(), QPoint(0, 0)).y() + c.lblFrom->height() - 1);
}

void ThumbActionsTest::leftClick() {
    Rig rig;
    rig.servePicture(u"/ab1cd/image1.jpg"_s, u"AB1CD"_s);
    rig.serve(u"/k0xyz/image1.jpg"_s,
              animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green, Qt::blue}));
    QVERIFY(rig.startShown());
    QCOMPARE(rig.page().SlotTable.value(1, stFrom), u"Not found"_s);
    QVERIFY(!rig.cell(2).AniGIF()->isHidden());

    // A picture, still or animated: the viewer, with the slot's file.
    for (int slot : {0, 2}) {
        rig.opener.calls.clear();
        rig.press(slot, Qt::LeftButton);
        QCOMPARE(
            rig.opener.named(u"openPictureViewer"_s),
            QStringList{u"openPictureViewer %1 %2"_s.arg(rig.data(u"images/sstv/%1"_s.arg(slot)))
                            .arg(slot)});
        QCOMPARE(rig.page().SelectedSlot, slot);
    }
    // A slot whose picture was not found is fetched again instead.
    rig.opener.calls.clear();
    const int checks = rig.server.requestCount(u"/ef2gh/checknew.jpg"_s);
    rig.press(1, Qt::LeftButton);
    QTRY_COMPARE(rig.server.requestCount(u"/ef2gh/checknew.jpg"_s), checks + 1);
    QVERIFY(rig.waitForQuiet());
    // An empty slot, and a slot whose download is under way: nothing.
    rig.press(6, Qt::LeftButton);
    rig.cell(0).setProgressShown(true);
    rig.press(0, Qt::LeftButton);
    QVERIFY(rig.opener.named(u"openPictureViewer"_s).isEmpty());
}

void ThumbActionsTest::popUpItems_data() {
    QTest::addColumn<int>("startPage");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QStringList>("visible");
    QTest::addColumn<QString>("mapCaption");
    QTest::newRow("slot with a position") << 0 << 0 << kFullMenu << "Show AB1CD on the map";
    QTest::newRow("empty slot") << 0 << 6 << QStringList{"mnuSelectSite"} << "";
    QTest::newRow("WX slot") << 1 << 0
                             << QStringList{"mnuRefreshSite", "mnuReloadPage", "mnuEarthView",
                                            "mnuQrzSep",      "mnuSave",       "mnuPaste",
                                            "mnuPasteSep",    "mnuLeaveBlank", "mnuSelectSite"}
                             << "";
}

void ThumbActionsTest::popUpItems() {
    QFETCH(int, startPage);
    QFETCH(int, slot);
    QFETCH(QStringList, visible);
    QFETCH(QString, mapCaption);
    Rig rig(2, startPage);
    QVERIFY(rig.startShown());

    // Another slot's menu first: every rule is applied afresh on each click.
    rig.press(slot == 0 ? 6 : 0, Qt::RightButton);
    rig.popUp()->hide();
    rig.press(slot, Qt::RightButton);
    QVERIFY(rig.popUp()->isVisible());
    QCOMPARE(rig.visiblePopUpItems(), visible);
    QCOMPARE(rig.page().SelectedSlot, slot);
    rig.popUp()->hide();
    // The map views never name nobody ("Map views of ").
    MainMenus &menus = rig.w().menus();
    QVERIFY(menus.mnuEarthView->title() !=
            QString(menus.earthViewTemplate()).remove(QStringLiteral("??")));
    if (mapCaption.isEmpty())
        return;
    // The captions name the site as the slot shows it, with the user's zero.
    QCOMPARE(rig.item(u"mnuMapLoc"_s)->text(), mapCaption.replace(u'0', rig.state.ZeroChar));
}

void ThumbActionsTest::mapLocation_data() {
    QTest::addColumn<QStringList>("lstMap");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<int>("messages"); // the texts are the map choice's own
    QTest::newRow("only the world map")
        << QStringList{"World Map.png"} << QStringList{"openSiteMap 0 51.5 -0.12 AB1CD"} << 1;
    QTest::newRow("no map pictures") << QStringList() << QStringList() << 2;
}

void ThumbActionsTest::mapLocation() {
    QFETCH(QStringList, lstMap);
    QFETCH(QStringList, opened);
    QFETCH(int, messages);
    Rig rig;
    QVERIFY(rig.startShown());
    rig.state.lstMap = lstMap;
    rig.config().MapIndex = 7;
    rig.prompts.clear();

    rig.press(0, Qt::RightButton);
    rig.popUp()->hide();
    // The pointer passes over other sites on its way to the menu item.
    rig.hover(1);
    rig.hover(2);
    rig.item(u"mnuMapLoc"_s)->trigger();

    QCOMPARE(rig.opener.named(u"openSiteMap"_s), opened);
    QCOMPARE(rig.prompts.texts().size(), messages);
    QCOMPARE(rig.w().actions().MapName, u"World Map"_s);
    QCOMPARE(int(rig.config().MapIndex), opened.isEmpty() ? 7 : 0);
}

void ThumbActionsTest::webMapViews_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("view");
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("street view")
        << 0 << 0
        << QStringList{"openWebMap AB1CD "
                       "http://127.0.0.1:9/maps?q=&layer=c&cbll=51.5,-0.12&cbp=12,0,0,0,0"};
    QTest::newRow("satellite view")
        << 0 << 1 << QStringList{"openWebMap AB1CD http://127.0.0.1:9/maps?q=51.5,-0.12&t=h&z=18"};
    // The map views keep the caption of the last site; an empty slot opens nothing.
    QTest::newRow("empty slot") << 6 << 0 << QStringList();
}

void ThumbActionsTest::webMapViews() {
    QFETCH(int, slot);
    QFETCH(int, view);
    QFETCH(QStringList, opened);
    Rig rig;
    QVERIFY(rig.startShown());
    // A comma as the decimal sign must not reach the address.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    rig.press(slot, Qt::RightButton);
    rig.popUp()->hide();
    rig.item(u"mnuStView"_s, view)->trigger();
    QLocale::setDefault(before);
    QCOMPARE(rig.opener.named(u"openWebMap"_s), opened);
}

void ThumbActionsTest::assigningFetchesThatSlotOnly_data() {
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QChar>("code");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<int>("emptied"); // the slot that lost its site, -1 none
    const QStringList vk{"/vk2zz/latest.jpg"};
    QTest::newRow("slot 1, over another site") << "VK2ZZ" << 1 << QChar(u'2') << vk << -1;
    QTest::newRow("slot 23 is coded O, check picture first")
        << "JA1AA" << 23 << QChar(u'O') << QStringList{"/ja1aa/checknew.jpg", "/ja1aa/image1"}
        << -1;
    QTest::newRow("site moves on its page")
        << "SP3AB" << 4 << QChar(u'5') << QStringList{"/sp3ab/image1.jpg"} << 1;
    QTest::newRow("site into the slot it holds")
        << "SP3AB" << 1 << QChar(u'2') << QStringList{"/sp3ab/image1.jpg"} << -1;
}

void ThumbActionsTest::assigningFetchesThatSlotOnly() {
    QFETCH(QString, call);
    QFETCH(int, slot);
    QFETCH(QChar, code);
    QFETCH(QStringList, requests);
    QFETCH(int, emptied);
    Rig rig(kSetting24);
    QVERIFY(rig.startOnPage3());
    QCOMPARE(rig.cell(1).lblCall->text().left(5), u"SP3AB"_s);

    rig.choose(slot, u"mnuSelectSite"_s);
    QCOMPARE(rig.opener.named(u"openSiteSelection"_s),
             QStringList{u"openSiteSelection 0 %1 0"_s.arg(slot)});
    QSignalSpy sitesChanged(&rig.state.events, &AppEvents::sitesChanged);
    QVERIFY(rig.pick(rig.siteIndex(call)));

    QCOMPARE(sitesChanged.size(), 1);
    QCOMPARE(rig.requestedPaths(), requests);
    // A check picture asked for leaves the new site's height for the next pass.
    if (requests.size() == 2)
        QCOMPARE(rig.page().SlotTable.value(slot, stCheckHeight), u"100"_s);
    QCOMPARE(rig.page().ExpectedCount, 1);
    QCOMPARE(rig.page().FinishedCount, 1);
    QVERIFY(rig.opener.calls.contains(u"rebuildSiteSelection"_s));
    // The slot maps of setting 4 at page 3.
    QCOMPARE(rig.site(call).SlotMap[kSetting24][2], code);
    for (const SiteRecord &other : rig.state.SiteList) {
        if (other.Callsign != call)
            QVERIFY2(other.SlotMap[kSetting24][2] != code, qPrintable(other.Callsign));
    }
    QCOMPARE(rig.page().SlotTable.value(slot, stSiteCall), call);
    QVERIFY(rig.cell(slot).lblCall->text().startsWith(call));
    QVERIFY(!rig.cell(slot).img->pixmap().isNull());
    QVERIFY(rig.w().loader().List1.contains(call + u"    "_s + QString::number(slot + 1)));
    if (emptied >= 0) {
        QVERIFY(rig.cell(emptied).isBlank());
        QVERIFY(rig.page().SlotTable.value(emptied, stSiteCall).isEmpty());
    }
}

void ThumbActionsTest::pickLandsInTheSlotItWasMadeFor() {
    Rig rig(kSetting24);
    QVERIFY(rig.startOnPage3());
    rig.choose(2, u"mnuSelectSite"_s);
    // Another window (the gallery's cells) sets the shared slot meanwhile.
    rig.page().SelectedSlot = 7;
    QVERIFY(rig.pick(rig.siteIndex(u"VK2ZZ"_s)));

    QCOMPARE(rig.site(u"VK2ZZ"_s).SlotMap[kSetting24][2], QChar(u'3'));
    QVERIFY(rig.cell(2).lblCall->text().startsWith(u"VK2ZZ"_s));
    QVERIFY(rig.cell(7).lblCall->text().isEmpty());
    QCOMPARE(rig.requestedPaths(), QStringList{"/vk2zz/latest.jpg"});

    // The next pick of a grid opened some other way fills the slot last pressed.
    rig.page().SelectedSlot = 5;
    QVERIFY(rig.pick(rig.siteIndex(u"JA1AA"_s)));
    QCOMPARE(rig.site(u"JA1AA"_s).SlotMap[kSetting24][2], QChar(u'6'));
}

void ThumbActionsTest::wxPickOnAnSstvPageIsDropped() {
    // Its index names a WX site, not one of the SSTV list.
    Rig rig(2, /*startPage=*/1);
    QVERIFY(rig.startShown());
    rig.choose(5, u"mnuSelectSite"_s);
    QCOMPARE(rig.opener.named(u"openSiteSelection"_s), QStringList{u"openSiteSelection 0 5 1"_s});
    rig.item(u"mnuPage"_s, 1)->trigger();
    QVERIFY(rig.waitForQuiet());
    const QList<SiteRecord> before = rig.state.SiteList;
    QVERIFY(rig.pick(1));
    QVERIFY(rig.requestedPaths().isEmpty());
    for (int i = 0; i < before.size(); ++i)
        QCOMPARE(rig.state.SiteList[i].SlotMap[2], before[i].SlotMap[2]);
    QVERIFY(rig.cell(5).lblCall->text().isEmpty());
}

void ThumbActionsTest::allSitesPickOpensTheGallery() {
    Rig rig;
    QVERIFY(rig.startShown());
    rig.press(1, Qt::RightButton);
    rig.popUp()->hide();
    rig.click(u"mnuAll"_s);
    QCOMPARE(rig.opener.named(u"openSiteSelection"_s), QStringList{u"openSiteSelection 1 1 0"_s});
    QVERIFY(rig.pick(3));
    QCOMPARE(rig.opener.calls, QStringList{u"openGallery site 3"_s});
    QVERIFY(!rig.opener.handOvers.constLast().sstvRunning);
    QVERIFY(rig.sstvRunning());
}

void ThumbActionsTest::leavingASlotBlank() {
    Rig rig;
    rig.servePicture(u"/ab1cd/image1.jpg"_s, u"AB1CD"_s);
    QVERIFY(rig.startShown());
    QVERIFY(!rig.cell(0).img->pixmap().isNull());

    QSignalSpy sitesChanged(&rig.state.events, &AppEvents::sitesChanged);
    rig.choose(0, u"mnuLeaveBlank"_s);
    QCOMPARE(sitesChanged.size(), 1);
    QCOMPARE(rig.site(u"AB1CD"_s).SlotMap[2], u"0000000000"_s);
    QCOMPARE(rig.site(u"EF2GH"_s).SlotMap[2], u"2000000000"_s);
    QVERIFY(rig.cell(0).isBlank());
    QVERIFY(rig.page().SlotTable.value(0, stSiteCall).isEmpty());
    QVERIFY(!rig.w().loader().List1.join(u' ').contains(u"AB1CD"_s));
    QVERIFY(rig.opener.calls.contains(u"rebuildSiteSelection"_s));
    // The emptied slot offers nothing to view any more.
    rig.press(0, Qt::LeftButton);
    QVERIFY(rig.opener.named(u"openPictureViewer"_s).isEmpty());
}

// The outcomes of a save are the transfer's own; the window hands it the
// slot's file, named after the site's address, and the save folder.
void ThumbActionsTest::savingAPicture() {
    Rig rig;
    rig.servePicture(u"/ab1cd/image1.jpg"_s, u"AB1CD"_s);
    QVERIFY(rig.startShown());
    const QString root = rig.root + u'/';
    QVERIFY(QDir().mkpath(root + u"pics"_s) && QDir().mkpath(root + u"old"_s));
    rig.state.SaveFolder = root + u"old/"_s;
    rig.fileDialog.answers << root + u"pics/a.jpg"_s;
    rig.prompts.clear();

    rig.choose(0, u"mnuSave"_s);

    QCOMPARE(rig.fileDialog.requests.size(), 1);
    const FileDialogRequest &request = rig.fileDialog.requests.first();
    QCOMPARE(request.InitialDir, root + u"old/"_s);
    QCOMPARE(request.FileName, u"image1"_s);
    QVERIFY(!request.OpenDialog);
    QVERIFY(request.Flags & OFN_OVERWRITEPROMPT);
    // Refreshing pauses for the dialog only.
    QCOMPARE(rig.fileDialog.refreshRunning, QList<bool>{false});
    QVERIFY(rig.timers().sstvRunning());
    QVERIFY(rig.prompts.calls.isEmpty());
    QCOMPARE(rig.state.SaveFolder, root + u"pics/"_s);
    QCOMPARE(readBytes(root + u"pics/a.jpg"_s), readBytes(rig.data(u"images/sstv/0"_s)));
}

void ThumbActionsTest::pastingIntoMmsstv_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("MMSSTV open") << 0 << QStringList{"%{E}", "{P}"};
    QTest::newRow("no picture in the slot") << 1 << QStringList();
}

void ThumbActionsTest::pastingIntoMmsstv() {
    QFETCH(int, slot);
    QFETCH(QStringList, keys);
    Rig rig;
    rig.servePicture(u"/ab1cd/image1.jpg"_s, u"AB1CD"_s);
    QVERIFY(rig.startShown());
    rig.desktop.addWindow(u"MMSSTV"_s);

    rig.choose(slot, u"mnuPaste"_s);

    QCOMPARE(rig.desktop.sentKeys(), keys);
    QCOMPARE(rig.clipboard.size(), size_t(keys.isEmpty() ? 0 : 1));
    if (!keys.isEmpty()) {
        QVERIFY(rig.clipboard.front()->hasImage());
        QCOMPARE(rig.refreshAtClipboard, QList<bool>{false});
    }
    QVERIFY(rig.timers().sstvRunning());
    QVERIFY(rig.prompts.calls.isEmpty());
}

QTEST_MAIN(ThumbActionsTest)
#include "tst_thumbactions.moc"
