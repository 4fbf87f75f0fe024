#include "core/files/AppPaths.h"
#include "core/thumbs/ThumbTip.h"
#include "support/TestFiles.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

using namespace tavimo;

namespace {

const QString kNoHome = QStringLiteral("Enter your own position");
const QString kEarthView = QStringLiteral("Map views of ??");

SiteRecord site(const QString &call, double lat, double lon) {
    SiteRecord r = test::makeSite(call, QStringLiteral("http://127.0.0.1/") + call + "/image1");
    r.Latitude = lat;
    r.Longitude = lon;
    return r;
}

// Slot 0: London (DL0ABC shown as "DLØABC"); 1: no position; 2: "Not found";
// 6: empty.
struct Fixture {
    SiteList sites{site("DL0ABC", 51.5, -0.12), site("G4NOPOS", 0, 0), site("K1FAIL", 42.0, -71.0)};
    SlotTable table;
    Config config;
    LanguageTexts t;
    QTemporaryDir dir;
    AppPaths paths;

    Fixture() {
        config.MyLat = 40.7;
        config.MyLon = -74;
        t.LngNoPosTpl = QStringLiteral("No position known for ??");
        t.LngNoHome = kNoHome;
        t.LngLast30Tpl = QStringLiteral("Last ** of ??");
        t.LngMapLocTpl = QStringLiteral("Show ?? on the map");
        paths.dataFolder = dir.path();
        fill(0, QStringLiteral("DL\u00D8ABC"), QStringLiteral("2024/05/01 12:34"));
        fill(1, QStringLiteral("G4NOPOS"), QStringLiteral("2024/05/01"));
        fill(2, QStringLiteral("K1FAIL"), QString());
        table.setValue(2, stInfo, QString());
        table.setValue(2, stFrom, QStringLiteral("Not found"));
    }
    void fill(int slot, const QString &call, const QString &time) {
        table.setValue(slot, stSiteCall, call);
        table.setValue(slot, stInfo, QStringLiteral("X"));
        table.setValue(slot, stTime, time);
    }
    ThumbContext context(bool wx = false) const { return {table, sites, config, t, wx}; }
    ThumbClickPlan click(int slot, Qt::MouseButton button, ThumbSlotState state, bool wx = false) {
        return ThumbHover().click(slot, button, {}, context(wx), state, paths, kEarthView);
    }
};

#define ITEM(name)                                                                                 \
    { #name, &m.name }
QStringList visibleItems(const ThumbPopUp &m) {
    const QList<std::pair<const char *, const PopUpItem *>> items{
        ITEM(mnuRefreshSite), ITEM(mnuReloadPage), ITEM(mnuRefreshSep), ITEM(mnuLast15),
        ITEM(mnuLast10),      ITEM(mnuTX),         ITEM(mnuText),       ITEM(mnuCamSite),
        ITEM(mnuMapSep),      ITEM(mnuMapLoc),     ITEM(mnuNoLat),      ITEM(mnuEarthView),
        ITEM(mnuQrzCall),     ITEM(mnuQrzFrom),    ITEM(mnuQrzSep),     ITEM(mnuSave),
        ITEM(mnuPaste),       ITEM(mnuPasteSep),   ITEM(mnuLeaveBlank), ITEM(mnuSelectSite)};
    QStringList names;
    for (const auto &[name, item] : items)
        if (item->visible)
            names.append(QString::fromLatin1(name));
    return names;
}
#undef ITEM

} // namespace

class TestThumbTip : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void tip_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("units"); // -1: home not set
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("tipText");
        QTest::addColumn<QString>("toolTip");

        const QString when = QStringLiteral("\n 2024/05/01 12:34 UTC ");
        QTest::newRow("position, km")
            << 0 << 0 << "X" << QStringLiteral(" X  5,582 km 51\u00B0 ") + when << "";
        QTest::newRow("position, miles")
            << 0 << 1 << "X" << QStringLiteral(" X  3,468 mi 51\u00B0 ") + when << "";
        QTest::newRow("picture without trailer")
            << 0 << 0 << "Old" << QStringLiteral(" 5,582 km 51\u00B0 ") << "";
        QTest::newRow("no position")
            << 1 << 0 << "X" << QStringLiteral(" X  0 km 0\u00B0 \n 2024/05/01 UTC ")
            << "No position known for G4NOPOS";
        QTest::newRow("home not set") << 0 << -1 << "X" << QString() << kNoHome;
        QTest::newRow("picture not found") << 2 << 0 << "" << QString() << "";
        QTest::newRow("empty slot") << 6 << 0 << "" << QString() << "";
    }
    void tip() {
        QFETCH(int, slot);
        QFETCH(int, units);
        QFETCH(QString, info);
        Fixture f;
        f.config.Units = static_cast<std::int16_t>(std::max(units, 0));
        if (units < 0)
            f.config.MyLat = f.config.MyLon = 0;
        if (!info.isEmpty())
            f.table.setValue(slot, stInfo, info);

        ThumbHover hover;
        const ThumbTipPlan plan = hover.mouseMove(slot, {}, f.context());
        QCOMPARE(plan.kind, ThumbTipPlan::Kind::Prepared);
        QTEST(hover.TipText, "tipText");
        QTEST(plan.pictureToolTip, "toolTip");
        QCOMPARE(plan.startTipTimer, !hover.TipText.isEmpty());
    }

    // A position that is not finite gives no distance, not a cast of NaN.
    void nonFinitePositionGivesNoDistance() {
        Config config;
        config.MyLat = 40.7;
        config.MyLon = -74;
        const double inf = std::numeric_limits<double>::infinity();
        for (const SitePosition site : {SitePosition{inf, 10}, SitePosition{10, std::nan("")}})
            QCOMPARE(thumbTipText("X", "", site, config),
                     QString::fromUtf16(u" X  0 km 0\u00B0 \n "));
    }

    void tipStates() {
        Fixture f;
        ThumbHover hover;
        QCOMPARE(hover.mouseMove(0, {}, f.context(true)).kind, ThumbTipPlan::Kind::Nothing);
        QCOMPARE(hover.mouseMove(0, Qt::ControlModifier, f.context()).kind,
                 ThumbTipPlan::Kind::CaptionZoom);
        // The same slot again: nothing until the pointer has left.
        QCOMPARE(hover.mouseMove(0, {}, f.context()).kind, ThumbTipPlan::Kind::Nothing);
        hover.leave();
        QCOMPARE(hover.tipSlot(), std::nullopt);
        QCOMPARE(hover.mouseMove(0, Qt::ShiftModifier | Qt::ControlModifier, f.context()).kind,
                 ThumbTipPlan::Kind::Prepared);
    }

    void popUp_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("wx");
        QTest::addColumn<QString>("lblCall");
        QTest::addColumn<QStringList>("visible");

        const QStringList common{"mnuRefreshSite", "mnuReloadPage", "mnuRefreshSep", "mnuLast15",
                                 "mnuMapSep",      "mnuMapLoc",     "mnuNoLat",      "mnuEarthView",
                                 "mnuQrzCall",     "mnuQrzSep",     "mnuSave",       "mnuPaste",
                                 "mnuPasteSep",    "mnuLeaveBlank", "mnuSelectSite"};
        QStringList withPosition = common, withoutPosition = common;
        withPosition.removeOne("mnuNoLat");
        withoutPosition.removeOne("mnuMapLoc");

        QTest::newRow("empty slot")
            << 6 << false << "" << QStringList{"mnuEarthView", "mnuSelectSite"};
        QTest::newRow("WX slot") << 0 << true << "NOAA 19"
                                 << QStringList{"mnuRefreshSite", "mnuReloadPage", "mnuEarthView",
                                                "mnuQrzSep",      "mnuSave",       "mnuPaste",
                                                "mnuPasteSep",    "mnuLeaveBlank", "mnuSelectSite"};
        QTest::newRow("slot with a position") << 0 << false << "DLØABC" << withPosition;
        QTest::newRow("slot without a position") << 1 << false << "G4NOPOS" << withoutPosition;
    }
    void popUp() {
        QFETCH(int, slot);
        QFETCH(bool, wx);
        QFETCH(QString, lblCall);
        Fixture f;
        const ThumbClickPlan click =
            f.click(slot, Qt::RightButton, ThumbSlotState{lblCall, false, false}, wx);
        QCOMPARE(click.action, ThumbClickAction::PopUp);
        QCOMPARE(click.SelectedSlot, slot);
        QTEST(visibleItems(click.popUp), "visible");
        // Without a site callsign the map views caption is left as it was, not
        // made to name nobody.
        QCOMPARE(click.popUp.mnuEarthView.caption.isEmpty(), wx || lblCall.isEmpty());
    }

    void popUpNamesTheClickedSite() {
        Fixture f;
        f.t.LngLookupTpl = QStringLiteral("Look up ??");
        const ThumbPopUp menu = thumbPopUp(f.context(), 1, ThumbSlotState{"G4NOPOS", false, false},
                                           SitePosition{}, kEarthView);
        QCOMPARE(menu.mnuQrzCall.caption, QStringLiteral("Look up G4NOPOS"));
        QCOMPARE(menu.mnuEarthView.caption, QStringLiteral("Map views of G4NOPOS"));
    }

    void leftClick_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("progress");
        QTest::addColumn<bool>("animated");
        QTest::addColumn<bool>("file");
        QTest::addColumn<ThumbClickAction>("action");
        QTest::addColumn<bool>("loadFirst");

        using A = ThumbClickAction;
        QTest::newRow("still picture") << 0 << false << false << true << A::OpenViewer << true;
        QTest::newRow("animated picture") << 0 << false << true << true << A::OpenViewer << false;
        QTest::newRow("empty slot") << 6 << false << false << true << A::Nothing << false;
        QTest::newRow("no picture file") << 0 << false << true << false << A::Nothing << false;
        QTest::newRow("not found, fetched again")
            << 2 << true << false << false << A::Refetch << false;
    }
    void leftClick() {
        QFETCH(int, slot);
        QFETCH(bool, progress);
        QFETCH(bool, animated);
        QFETCH(bool, file);
        Fixture f;
        const QString picture = f.dir.filePath(QStringLiteral("images/sstv/%1").arg(slot));
        if (file)
            QVERIFY(test::writeBytes(picture, "picture"));
        const QString call = f.table.value(slot, stSiteCall);
        const ThumbClickPlan click =
            f.click(slot, Qt::LeftButton, ThumbSlotState{call, progress, animated});
        QTEST(click.action, "action");
        QTEST(click.loadPictureFirst, "loadFirst");
        if (click.action == ThumbClickAction::OpenViewer)
            QCOMPARE(click.PicturePath, picture);
    }

    void clickPositionIsTheClickedSlots() {
        // With Ctrl held the tip keeps its last values; the menu still works on
        // the slot that was clicked.
        Fixture f;
        ThumbHover hover;
        hover.mouseMove(0, {}, f.context());
        const ThumbClickPlan click =
            hover.click(2, Qt::RightButton, Qt::ControlModifier, f.context(),
                        ThumbSlotState{"K1FAIL", false, false}, f.paths, kEarthView);
        QCOMPARE(click.tip.kind, ThumbTipPlan::Kind::CaptionZoom);
        QCOMPARE(click.position, (SitePosition{42.0, -71.0}));
        QVERIFY(click.popUp.mnuMapLoc.visible);
    }
};

QTEST_GUILESS_MAIN(TestThumbTip)
#include "tst_thumbtip.moc"
