// The pointer on the real main window's thumbnails: the tip after its delay,
// the enlarged captions with Ctrl, the left click, the pop-up menu as each
// kind of slot shows it, and the map items that hand a slot's site to the map
// windows.

#include "ThumbRig.h"

#include "core/ThumbTip.h"

#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;

namespace {

// Page 1 of the ten-slot layout: a site in the UK, one in New York, one
// without position and one on the equator; slots 4 and up are empty.
QList<SiteLine> sstvSites() {
    return {
        {QStringLiteral("AB1CD"), QStringLiteral("1000000000"), QStringLiteral("51.5"),
         QStringLiteral("-0.12"), QStringLiteral("/ab1cd/image1.jpg")},
        {QStringLiteral("EF2GH"), QStringLiteral("2000000000"), QStringLiteral("40"),
         QStringLiteral("-74"), QStringLiteral("/ef2gh/image1.jpg")},
        {QStringLiteral("K0XYZ"), QStringLiteral("3000000000"), QStringLiteral("0"),
         QStringLiteral("0"), QStringLiteral("/k0xyz/image1.jpg")},
        {QStringLiteral("EQ1AA"), QStringLiteral("4000000000"), QStringLiteral("0"),
         QStringLiteral("30"), QStringLiteral("/eq1aa/image1.jpg")},
    };
}

QList<SiteLine> wxSites() {
    return {{QStringLiteral("NOAA"), QStringLiteral("1"), {}, {}, QStringLiteral("/wx/noaa.jpg")}};
}

const QString kTime = QStringLiteral("2024/05/01 12:34");

// What a slot's picture trailer left in the slot table.
void setPictureFacts(PageState &page, int slot) {
    page.SlotTable.setValue(slot, stFrom, QStringLiteral("PA0SND"));
    page.SlotTable.setValue(slot, stInfo, QStringLiteral("X"));
    page.SlotTable.setValue(slot, stTime, kTime);
}

const QStringList kFullMenu{QStringLiteral("mnuRefreshSite"), QStringLiteral("mnuReloadPage"),
                            QStringLiteral("mnuRefreshSep"),  QStringLiteral("mnuLast15"),
                            QStringLiteral("mnuMapSep"),      QStringLiteral("mnuMapLoc"),
                            QStringLiteral("mnuEarthView"),   QStringLiteral("mnuQrzCall"),
                            QStringLiteral("mnuQrzSep"),      QStringLiteral("mnuSave"),
                            QStringLiteral("mnuPaste"),       QStringLiteral("mnuPasteSep"),
                            QStringLiteral("mnuLeaveBlank"),  QStringLiteral("mnuSelectSite")};

QStringList withNoLat(QStringList items) {
    items.replace(items.indexOf(QStringLiteral("mnuMapLoc")), QStringLiteral("mnuNoLat"));
    return items;
}

} // namespace

class ThumbActionsTest : public QObject {
    Q_OBJECT

private slots:
    void tipAppearsAfterItsDelay_data();
    void tipAppearsAfterItsDelay();
    void tipGoesAfterItsLifetimeOrOnLeaving();
    void ctrlHoverOpensTheEnlargedCaptions();
    void leftClick();
    void popUpItems_data();
    void popUpItems();
    void popUpCaptionsNameTheClickedSite();
    void mapLocation_data();
    void mapLocation();
    void webMapViews_data();
    void webMapViews();
};

void ThumbActionsTest::tipAppearsAfterItsDelay_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("units");
    QTest::addColumn<bool>("homeSet");
    QTest::addColumn<QString>("unitText");  // "" when no tip shows
    QTest::addColumn<QString>("exactText"); // "" when only the unit is checked
    QTest::addColumn<QString>("pictureToolTip");

    QTest::newRow("position, km") << 0 << 0 << true << " km " << QString() << QString();
    QTest::newRow("position, miles") << 0 << 1 << true << " mi " << QString() << QString();
    QTest::newRow("no position") << 2 << 0 << true << " km "
                                 << QStringLiteral(" X  0 km 0\u00B0 \n ") + kTime +
                                        QStringLiteral(" UTC ")
                                 << "No position known for K0XYZ";
    QTest::newRow("home not set")
        << 0 << 0 << false << QString() << QString()
        << "Enter your own position (Setup menu) to see distance and bearing";
}

void ThumbActionsTest::tipAppearsAfterItsDelay() {
    QFETCH(int, slot);
    QFETCH(int, units);
    QFETCH(bool, homeSet);
    QFETCH(QString, unitText);
    QFETCH(QString, exactText);
    QFETCH(QString, pictureToolTip);

    ThumbRig rig;
    QVERIFY(rig.start(sstvSites(), wxSites(), {}));
    setPictureFacts(rig.page(), slot);
    Config &config = rig.h.state.config;
    config.Units = std::int16_t(units);
    if (!homeSet) {
        config.MyLat = 0;
        config.MyLon = 0;
    }
    QLabel *tip = rig.w().tipLabel();

    rig.hover(slot);
    QVERIFY(tip->isHidden());
    QCOMPARE(rig.cell(slot).img->toolTip(), pictureToolTip);
    if (unitText.isEmpty()) {
        QVERIFY(!rig.w().tipShowTimer.isActive());
        QTest::qWait(kTipDelayMs + 300);
        QVERIFY(tip->isHidden());
        return;
    }
    // Moving on over the same picture prepares nothing new.
    rig.hover(slot);
    QTRY_VERIFY_WITH_TIMEOUT(!tip->isHidden(), kTipDelayMs * 3);

    const SiteRecord &site = rig.site(QStringLiteral("AB1CD"));
    const QString expected =
        exactText.isEmpty()
            ? thumbTipText(QStringLiteral("X"), kTime, {site.Latitude, site.Longitude}, config)
            : exactText;
    QCOMPARE(tip->text(), expected);
    QVERIFY(tip->text().contains(unitText));
    QVERIFY(tip->text().endsWith(QStringLiteral(" UTC ")));
    // Just under the picture, centred under the frame.
    ThumbCell &c = rig.cell(slot);
    const QRect picture(c.img->mapTo(rig.w().picAll(), QPoint(0, 0)), c.img->size());
    QCOMPARE(tip->y(), picture.bottom() + 1);
    QVERIFY(qAbs(tip->geometry().center().x() - picture.center().x()) <= 3);
}

void ThumbActionsTest::tipGoesAfterItsLifetimeOrOnLeaving() {
    ThumbRig rig;
    QVERIFY(rig.start(sstvSites(), wxSites(), {}));
    setPictureFacts(rig.page(), 0);
    setPictureFacts(rig.page(), 1);
    QLabel *tip = rig.w().tipLabel();

    rig.hover(0);
    QTRY_VERIFY_WITH_TIMEOUT(!tip->isHidden(), kTipDelayMs * 3);
    QTRY_VERIFY_WITH_TIMEOUT(tip->isHidden(), kTipLifetimeMs * 2);
    // Still on the same picture: the tip does not come back.
    rig.hover(0);
    QVERIFY(!rig.w().tipShowTimer.isActive());

    // Over another picture, then away before the delay: no tip at all.
    rig.hover(1);
    QVERIFY(rig.w().tipShowTimer.isActive());
    rig.leaveToBackground();
    QVERIFY(!rig.w().tipShowTimer.isActive());
    QCOMPARE(rig.w().thumbHover().HoverIndex, -1);
    QTest::qWait(kTipDelayMs + 300);
    QVERIFY(tip->isHidden());

    // A shown tip goes as soon as the pointer reaches the frame around a picture.
    rig.hover(1);
    QTRY_VERIFY_WITH_TIMEOUT(!tip->isHidden(), kTipDelayMs * 3);
    ThumbRig::send(&rig.cell(1), QEvent::MouseMove, Qt::NoButton, Qt::NoModifier);
    QVERIFY(tip->isHidden());
}

void ThumbActionsTest::ctrlHoverOpensTheEnlargedCaptions() {
    ThumbRig rig;
    rig.serve(QStringLiteral("/k0xyz/image1.jpg"),
              animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green, Qt::blue}));
    QVERIFY(rig.start(sstvSites(), wxSites(), {}));
    QVERIFY(!rig.cell(2).AniGIF->isHidden());
    setPictureFacts(rig.page(), 1);

    rig.hover(1, Qt::ControlModifier);
    QCOMPARE(rig.opener.named(QStringLiteral("openCaptionZoom")),
             QStringList{QStringLiteral("openCaptionZoom 1")});
    QVERIFY(!rig.w().tipShowTimer.isActive());

    rig.leaveToBackground();
    QVERIFY(!rig.opener.named(QStringLiteral("closeCaptionZoom")).isEmpty());

    // Ctrl on an animated picture as well.
    rig.hover(2, Qt::ControlModifier);
    QVERIFY(rig.opener.calls.contains(QStringLiteral("openCaptionZoom 2")));

    // Ctrl with Shift is no Ctrl alone: the normal tip.
    rig.opener.calls.clear();
    rig.hover(1, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(rig.opener.named(QStringLiteral("openCaptionZoom")).isEmpty());
    QVERIFY(rig.w().tipShowTimer.isActive());
}

void ThumbActionsTest::leftClick() {
    ThumbRig rig;
    rig.servePicture(QStringLiteral("/ab1cd/image1.jpg"), QStringLiteral("AB1CD"));
    rig.serve(QStringLiteral("/k0xyz/image1.jpg"),
              animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green, Qt::blue}));
    QVERIFY(rig.start(sstvSites(), wxSites(), {}));
    QCOMPARE(rig.page().SlotTable.value(1, stFrom), QStringLiteral("Not found"));
    QVERIFY(!rig.cell(2).AniGIF->isHidden());
    const QString slotFile = rig.h.data(QStringLiteral("images/sstv/0"));
    QVERIFY(QFileInfo::exists(slotFile));

    // A picture: the viewer, with the slot's file.
    rig.press(0, Qt::LeftButton);
    QCOMPARE(rig.opener.named(QStringLiteral("openPictureViewer")),
             QStringList{QStringLiteral("openPictureViewer ") + slotFile + QStringLiteral(" 0")});
    QCOMPARE(rig.page().SelectedSlot, 0);
    QVERIFY(rig.cell(0).AniGIF->frameCount() > 0); // the viewer reads the picture from here
    QCOMPARE(rig.w().tipShowTimer.interval(), kTipDelayAfterClickMs);
    QVERIFY(QApplication::overrideCursor() == nullptr);

    // An animation takes the pointer itself.
    rig.opener.calls.clear();
    rig.press(2, Qt::LeftButton);
    QCOMPARE(rig.opener.named(QStringLiteral("openPictureViewer")),
             QStringList{QStringLiteral("openPictureViewer ") +
                         rig.h.data(QStringLiteral("images/sstv/2")) + QStringLiteral(" 2")});

    // A slot whose picture was not found is fetched again instead.
    rig.opener.calls.clear();
    const int checks = rig.server.requestCount(QStringLiteral("/ef2gh/checknew.jpg"));
    rig.press(1, Qt::LeftButton);
    QTRY_COMPARE(rig.server.requestCount(QStringLiteral("/ef2gh/checknew.jpg")), checks + 1);
    QVERIFY(rig.opener.named(QStringLiteral("openPictureViewer")).isEmpty());
    QCOMPARE(rig.page().SelectedSlot, 1);
    QVERIFY(rig.waitForQuiet());

    // An empty slot, and a slot whose download is under way: nothing.
    rig.press(6, Qt::LeftButton);
    rig.cell(0).picProg->show();
    rig.press(0, Qt::LeftButton);
    QVERIFY(rig.opener.named(QStringLiteral("openPictureViewer")).isEmpty());
    QCOMPARE(rig.page().SelectedSlot, 0);
    QVERIFY(!rig.popUp()->isVisible());
}

void ThumbActionsTest::popUpItems_data() {
    QTest::addColumn<int>("startPage");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QStringList>("visible");

    QTest::newRow("slot with a position") << 0 << 0 << kFullMenu;
    QTest::newRow("slot without a position") << 0 << 2 << withNoLat(kFullMenu);
    QTest::newRow("site on the equator") << 0 << 3 << withNoLat(kFullMenu);
    QTest::newRow("empty slot") << 0 << 6
                                << QStringList{QStringLiteral("mnuEarthView"),
                                               QStringLiteral("mnuSelectSite")};
    QTest::newRow("WX slot")
        << 1 << 0 << QStringList{QStringLiteral("mnuRefreshSite"), QStringLiteral("mnuReloadPage"),
                                 QStringLiteral("mnuEarthView"),   QStringLiteral("mnuQrzSep"),
                                 QStringLiteral("mnuSave"),        QStringLiteral("mnuPaste"),
                                 QStringLiteral("mnuPasteSep"),    QStringLiteral("mnuLeaveBlank"),
                                 QStringLiteral("mnuSelectSite")};
}

void ThumbActionsTest::popUpItems() {
    QFETCH(int, startPage);
    QFETCH(int, slot);
    QFETCH(QStringList, visible);

    ThumbRig rig;
    ThumbRig::Options options;
    options.startPage = startPage;
    QVERIFY(rig.start(sstvSites(), wxSites(), options));
    QCOMPARE(rig.page().isWxPage(), startPage != 0);

    // Another slot's menu first: every rule is applied afresh on each click.
    rig.press(slot == 0 ? 6 : 0, Qt::RightButton);
    rig.popUp()->hide();
    rig.press(slot, Qt::RightButton);
    QVERIFY(rig.popUp()->isVisible());
    QCOMPARE(rig.visiblePopUpItems(), visible);
    QCOMPARE(rig.page().SelectedSlot, slot);
    QCOMPARE(rig.item(QStringLiteral("mnuSave"))->text(), rig.h.state.texts.LngSave);
    QCOMPARE(rig.item(QStringLiteral("mnuSelectSite"))->text(), rig.h.state.texts.LngSelectSite);
    rig.popUp()->hide();
}

void ThumbActionsTest::popUpCaptionsNameTheClickedSite() {
    ThumbRig rig;
    QVERIFY(rig.start(sstvSites(), wxSites(), {}));
    QMenu *earth = rig.w().menu(QStringLiteral("mnuEarthView"));
    QVERIFY(earth);

    rig.press(0, Qt::RightButton);
    rig.popUp()->hide();
    QCOMPARE(rig.item(QStringLiteral("mnuMapLoc"))->text(),
             QStringLiteral("Show AB1CD on the map"));
    QCOMPARE(earth->title(), QStringLiteral("Map views of AB1CD"));
    QVERIFY(rig.item(QStringLiteral("mnuLast15"))->text().contains(QStringLiteral("30")));
    QVERIFY(rig.item(QStringLiteral("mnuLast15"))->text().contains(QStringLiteral("AB1CD")));

    rig.press(2, Qt::RightButton);
    rig.popUp()->hide();
    // The captions name the site as the slot shows it, with the user's zero.
    const QString shown = QStringLiteral("K0XYZ").replace(u'0', rig.h.state.ZeroChar);
    QCOMPARE(rig.item(QStringLiteral("mnuNoLat"))->text(),
             QStringLiteral("No position known for ") + shown);
    QCOMPARE(earth->title(), QStringLiteral("Map views of ") + shown);
}

void ThumbActionsTest::mapLocation_data() {
    QTest::addColumn<QStringList>("lstMap");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("mapName");

    const QString ukMissing =
        QStringLiteral("UK Map not found\nPlease install UK Map in Tavimo]Maps folder");
    const QString worldMissing =
        QStringLiteral("World Map not found\nPlease install World Map in Tavimo]Maps folder");
    QTest::newRow("region map installed")
        << QStringList{QStringLiteral("Europe Map.png"), QStringLiteral("UK Map.png"),
                       QStringLiteral("World Map.png")}
        << QStringList{QStringLiteral("openSiteMap 1 51.5 -0.12")} << QStringList() << "UK Map";
    QTest::newRow("only the world map") << QStringList{QStringLiteral("World Map.png")}
                                        << QStringList{QStringLiteral("openSiteMap 0 51.5 -0.12")}
                                        << QStringList{ukMissing} << "World Map";
    QTest::newRow("no map pictures")
        << QStringList() << QStringList() << QStringList{ukMissing, worldMissing} << "World Map";
}

void ThumbActionsTest::mapLocation() {
    QFETCH(QStringList, lstMap);
    QFETCH(QStringList, opened);
    QFETCH(QStringList, messages);
    QFETCH(QString, mapName);

    ThumbRig rig;
    QVERIFY(rig.start(sstvSites(), wxSites(), {}));
    rig.h.state.lstMap = lstMap;
    rig.h.state.config.MapIndex = 7;
    rig.h.prompts.clear();

    rig.press(0, Qt::RightButton);
    rig.popUp()->hide();
    // The pointer passes over other sites on its way to the menu item.
    rig.hover(1);
    rig.hover(2);
    rig.item(QStringLiteral("mnuMapLoc"))->trigger();

    QCOMPARE(rig.opener.named(QStringLiteral("openSiteMap")), opened);
    QCOMPARE(rig.h.prompts.texts(), messages);
    QCOMPARE(rig.w().MapName, mapName);
    const int mapIndex =
        opened.isEmpty() ? 7 : int(lstMap.indexOf(mapName + QStringLiteral(".png")));
    QCOMPARE(int(rig.h.state.config.MapIndex), mapIndex);
}

void ThumbActionsTest::webMapViews_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("view");
    QTest::addColumn<QStringList>("opened");

    QTest::newRow("street view")
        << 0 << 0
        << QStringList{
               QStringLiteral("openWebMap AB1CD "
                              "http://127.0.0.1:9/maps?q=&layer=c&cbll=51.5,-0.12&cbp=12,0,0,0,0")};
    QTest::newRow("satellite view")
        << 0 << 1
        << QStringList{
               QStringLiteral("openWebMap AB1CD http://127.0.0.1:9/maps?q=51.5,-0.12&t=h&z=18")};
    QTest::newRow("empty slot") << 6 << 0 << QStringList();
}

void ThumbActionsTest::webMapViews() {
    QFETCH(int, slot);
    QFETCH(int, view);
    QFETCH(QStringList, opened);

    ThumbRig rig;
    QVERIFY(rig.start(sstvSites(), wxSites(), {}));
    // A comma as the decimal sign must not reach the address.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    rig.press(slot, Qt::RightButton);
    rig.popUp()->hide();
    rig.item(QStringLiteral("mnuStView"), view)->trigger();
    QLocale::setDefault(before);
    QCOMPARE(rig.opener.named(QStringLiteral("openWebMap")), opened);
}

QTEST_MAIN(ThumbActionsTest)
#include "tst_thumbactions.moc"
