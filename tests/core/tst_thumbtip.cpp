#include "core/AppPaths.h"
#include "core/ThumbTip.h"
#include "support/TestFiles.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace tavimo;

namespace {

const QString kNoPos = QStringLiteral("No position known for ??");
const QString kNoHome = QStringLiteral("Enter your own position");
const QString kEarthView = QStringLiteral("Map views of ??");

LanguageTexts texts() {
    LanguageTexts t;
    t.LngNoPosTpl = kNoPos;
    t.LngNoHome = kNoHome;
    t.LngLast30Tpl = QStringLiteral("Last ** of ??");
    t.LngMapLocTpl = QStringLiteral("Show ?? on the map");
    t.LngLookupTpl = QStringLiteral("Look up ??");
    t.LngRefreshSite = QStringLiteral("Refresh site");
    t.LngReloadPage = QStringLiteral("Reload page");
    t.LngSave = QStringLiteral("Save");
    t.LngPaste = QStringLiteral("Paste");
    t.LngLeave = QStringLiteral("Leave");
    t.LngSelectSite = QStringLiteral("Select");
    return t;
}

SiteRecord site(const QString &call, double lat, double lon) {
    SiteRecord r = test::makeSite(call, QStringLiteral("http://127.0.0.1/") + call + "/image1");
    r.Latitude = lat;
    r.Longitude = lon;
    return r;
}

// Slot 0: London (DL0ABC shown as "DLØABC"); 1: no position; 2: "Not found";
// 3: a transmitted picture; 4: a callsign no site has; 5: on the equator;
// 6: empty.
struct Fixture {
    SiteList sites{site("DL0ABC", 51.5, -0.12), site("G4NOPOS", 0, 0), site("K1FAIL", 42.0, -71.0),
                   site("PY2EQ", 0, -46.6)};
    SlotTable table;
    Config config;
    LanguageTexts t = texts();

    Fixture() {
        config.MyLat = 40.7;
        config.MyLon = -74;
        fill(0, QStringLiteral("DL\u00D8ABC"), QStringLiteral("X"),
             QStringLiteral("2024/05/01 12:34"));
        fill(1, QStringLiteral("G4NOPOS"), QStringLiteral("X"), QStringLiteral("2024/05/01"));
        fill(2, QStringLiteral("K1FAIL"), QString(), QString());
        table.setValue(2, stFrom, QStringLiteral("Not found"));
        fill(3, QStringLiteral("TX1"), QStringLiteral("X"), QString());
        fill(4, QStringLiteral("ZZ9ZZ"), QStringLiteral("X"), QString());
        fill(5, QStringLiteral("PY2EQ"), QStringLiteral("X"), QString());
    }
    void fill(int slot, const QString &call, const QString &info, const QString &time) {
        table.setValue(slot, stSiteCall, call);
        table.setValue(slot, stInfo, info);
        table.setValue(slot, stTime, time);
    }
    ThumbContext context(bool wx = false) const { return {table, sites, config, t, wx}; }
};

QStringList visibleItems(const ThumbPopUp &m) {
    const QList<std::pair<const char *, const PopUpItem *>> items{
        {"mnuRefreshSite", &m.mnuRefreshSite},
        {"mnuReloadPage", &m.mnuReloadPage},
        {"mnuRefreshSep", &m.mnuRefreshSep},
        {"mnuLast15", &m.mnuLast15},
        {"mnuLast10", &m.mnuLast10},
        {"mnuTX", &m.mnuTX},
        {"mnuText", &m.mnuText},
        {"mnuCamSite", &m.mnuCamSite},
        {"mnuMapSep", &m.mnuMapSep},
        {"mnuMapLoc", &m.mnuMapLoc},
        {"mnuNoLat", &m.mnuNoLat},
        {"mnuEarthView", &m.mnuEarthView},
        {"mnuQrzCall", &m.mnuQrzCall},
        {"mnuQrzFrom", &m.mnuQrzFrom},
        {"mnuQrzSep", &m.mnuQrzSep},
        {"mnuSave", &m.mnuSave},
        {"mnuPaste", &m.mnuPaste},
        {"mnuPasteSep", &m.mnuPasteSep},
        {"mnuLeaveBlank", &m.mnuLeaveBlank},
        {"mnuSelectSite", &m.mnuSelectSite},
    };
    QStringList names;
    for (const auto &[name, item] : items) {
        if (item->visible)
            names.append(QString::fromLatin1(name));
    }
    return names;
}

} // namespace

class TestThumbTip : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void tip_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("units");
        QTest::addColumn<double>("myLat");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("tipText");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<bool>("timer");

        const QString ny = QStringLiteral("\n 2024/05/01 12:34 UTC ");
        QTest::newRow("position, km")
            << 0 << 0 << 40.7 << "X" << QStringLiteral(" X  5,582 km 51\u00B0 ") + ny << "" << true;
        QTest::newRow("position, miles")
            << 0 << 1 << 40.7 << "X" << QStringLiteral(" X  3,468 mi 51\u00B0 ") + ny << "" << true;
        QTest::newRow("picture without trailer")
            << 0 << 0 << 40.7 << "Old" << QStringLiteral(" 5,582 km 51\u00B0 ") << "" << true;
        QTest::newRow("animated picture")
            << 0 << 0 << 40.7 << "Animated" << QStringLiteral(" 5,582 km 51\u00B0 ") << "" << true;
        QTest::newRow("status letters Old taken out")
            << 0 << 0 << 40.7 << "PD-Old" << QStringLiteral(" PD-  5,582 km 51\u00B0 ") + ny << ""
            << true;
        QTest::newRow("no position")
            << 1 << 0 << 40.7 << "X" << QStringLiteral(" X  0 km 0\u00B0 \n 2024/05/01 UTC ")
            << "No position known for G4NOPOS" << true;
        QTest::newRow("callsign no site has")
            << 4 << 0 << 40.7 << "X" << QStringLiteral(" X  0 km 0\u00B0 \n ")
            << "No position known for ZZ9ZZ" << true;
        QTest::newRow("home not set") << 0 << 0 << 0.0 << "X"
                                      << "" << kNoHome << false;
        QTest::newRow("home not set, no position") << 1 << 0 << 0.0 << "X"
                                                   << "" << kNoHome << false;
        QTest::newRow("picture not found") << 2 << 0 << 40.7 << ""
                                           << ""
                                           << "" << false;
        QTest::newRow("transmitted picture") << 3 << 0 << 40.7 << "X"
                                             << ""
                                             << "" << false;
        QTest::newRow("empty slot") << 6 << 0 << 40.7 << ""
                                    << ""
                                    << "" << false;
    }
    void tip() {
        QFETCH(int, slot);
        QFETCH(int, units);
        QFETCH(double, myLat);
        QFETCH(QString, info);
        Fixture f;
        f.config.Units = static_cast<std::int16_t>(units);
        f.config.MyLat = myLat;
        if (myLat == 0)
            f.config.MyLon = 0;
        if (!info.isEmpty())
            f.table.setValue(slot, stInfo, info);

        ThumbHover hover;
        const ThumbTipPlan plan = hover.mouseMove(slot, 0, f.context());
        QCOMPARE(plan.kind, ThumbTipPlan::Kind::Prepared);
        QTEST(hover.TipText, "tipText");
        QTEST(plan.pictureToolTip, "toolTip");
        QTEST(plan.startTipTimer, "timer");
        QCOMPARE(hover.tipSlot(), std::optional<int>(slot));
    }

    void tipPosition_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::newRow("zero shown as slashed zero") << 0 << 51.5 << -0.12;
        QTest::newRow("no position") << 1 << 0.0 << 0.0;
        QTest::newRow("not found still looked up") << 2 << 42.0 << -71.0;
        QTest::newRow("transmitted picture has none") << 3 << 0.0 << 0.0;
    }
    void tipPosition() {
        QFETCH(int, slot);
        Fixture f;
        ThumbHover hover;
        const ThumbTipPlan plan = hover.mouseMove(slot, 0, f.context());
        QTEST(plan.position.SiteLat, "lat");
        QTEST(plan.position.SiteLon, "lon");
    }

    void tipStates() {
        Fixture f;
        ThumbHover hover;
        QCOMPARE(hover.mouseMove(0, 0, f.context(true)).kind, ThumbTipPlan::Kind::Nothing);
        QCOMPARE(hover.LastTipSlot, -1);

        QCOMPARE(hover.mouseMove(0, 2, f.context()).kind, ThumbTipPlan::Kind::CaptionZoom);
        QVERIFY(hover.TipText.isEmpty());
        // The same slot again: nothing until the pointer has left.
        QCOMPARE(hover.mouseMove(0, 0, f.context()).kind, ThumbTipPlan::Kind::Nothing);
        hover.leave();
        QCOMPARE(hover.tipSlot(), std::nullopt);
        QCOMPARE(hover.mouseMove(0, 3, f.context()).kind, ThumbTipPlan::Kind::Prepared);
        QVERIFY(!hover.TipText.isEmpty());
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
        QStringList withPosition = common;
        withPosition.removeOne("mnuNoLat");
        QStringList withoutPosition = common;
        withoutPosition.removeOne("mnuMapLoc");

        QTest::newRow("empty slot")
            << 6 << false << "" << QStringList{"mnuEarthView", "mnuSelectSite"};
        QTest::newRow("WX slot") << 0 << true << "NOAA 19"
                                 << QStringList{"mnuRefreshSite", "mnuReloadPage", "mnuEarthView",
                                                "mnuQrzSep",      "mnuSave",       "mnuPaste",
                                                "mnuPasteSep",    "mnuLeaveBlank", "mnuSelectSite"};
        QTest::newRow("slot with a position") << 0 << false << "DLØABC" << withPosition;
        QTest::newRow("slot without a position") << 1 << false << "G4NOPOS" << withoutPosition;
        QTest::newRow("site on the equator") << 5 << false << "PY2EQ" << withoutPosition;
        QTest::newRow("transmitted picture") << 3 << false << "TX1" << withoutPosition;
    }
    void popUp() {
        QFETCH(int, slot);
        QFETCH(bool, wx);
        QFETCH(QString, lblCall);
        Fixture f;
        QTemporaryDir dir;
        AppPaths paths;
        paths.dataFolder = dir.path();
        ThumbHover hover;
        const ThumbClickPlan click = hover.click(
            slot, 2, 0, f.context(wx), ThumbSlotState{lblCall, false, false}, paths, kEarthView);
        QCOMPARE(click.action, ThumbClickAction::PopUp);
        QCOMPARE(click.SelectedSlot, slot);
        QTEST(visibleItems(click.popUp), "visible");
    }

    void popUpCaptions() {
        Fixture f;
        const ThumbPopUp menu =
            thumbPopUp(f.context(), 0, ThumbSlotState{QStringLiteral("DL\u00D8ABC"), false, false},
                       SitePosition{51.5, -0.12}, kEarthView);
        const QString call = QStringLiteral("DL\u00D8ABC");
        QCOMPARE(menu.mnuLast15.caption, "Last 30 of " + call);
        QCOMPARE(menu.mnuMapLoc.caption, "Show " + call + " on the map");
        QCOMPARE(menu.mnuNoLat.caption, "No position known for " + call);
        QCOMPARE(menu.mnuQrzCall.caption, "Look up " + call);
        QCOMPARE(menu.mnuEarthView.caption, "Map views of " + call);
        QCOMPARE(menu.mnuSelectSite.caption, QStringLiteral("Select"));
        // The next slot's menu names the next site, not the first one.
        const ThumbPopUp next = thumbPopUp(f.context(), 1, ThumbSlotState{"G4NOPOS", false, false},
                                           SitePosition{}, kEarthView);
        QCOMPARE(next.mnuEarthView.caption, QStringLiteral("Map views of G4NOPOS"));
    }

    void leftClick_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("lblCall");
        QTest::addColumn<bool>("progress");
        QTest::addColumn<bool>("animated");
        QTest::addColumn<bool>("file");
        QTest::addColumn<ThumbClickAction>("action");
        QTest::addColumn<bool>("loadFirst");

        using A = ThumbClickAction;
        QTest::newRow("still picture")
            << 0 << "DLØABC" << false << false << true << A::OpenViewer << true;
        QTest::newRow("animated picture")
            << 0 << "DLØABC" << false << true << true << A::OpenViewer << false;
        QTest::newRow("download under way")
            << 0 << "DLØABC" << true << false << true << A::Nothing << false;
        QTest::newRow("empty slot") << 6 << "" << false << false << true << A::Nothing << false;
        QTest::newRow("no picture file")
            << 0 << "DLØABC" << false << true << false << A::Nothing << false;
        QTest::newRow("picture not found, fetched again")
            << 2 << "K1FAIL" << true << false << false << A::Refetch << false;
    }
    void leftClick() {
        QFETCH(int, slot);
        QFETCH(QString, lblCall);
        QFETCH(bool, progress);
        QFETCH(bool, animated);
        QFETCH(bool, file);
        Fixture f;
        QTemporaryDir dir;
        AppPaths paths;
        paths.dataFolder = dir.path();
        const QString picture = dir.filePath(QStringLiteral("images/sstv/%1").arg(slot));
        if (file)
            QVERIFY(test::writeBytes(picture, "picture"));

        ThumbHover hover;
        const ThumbClickPlan click =
            hover.click(slot, 1, 0, f.context(), ThumbSlotState{lblCall, progress, animated}, paths,
                        kEarthView);
        QTEST(click.action, "action");
        QTEST(click.loadPictureFirst, "loadFirst");
        if (click.action == ThumbClickAction::OpenViewer)
            QCOMPARE(click.PicturePath, picture);
    }

    void clickPositionIsTheClickedSlots() {
        // With Ctrl held the tip keeps its last values; the menu still works on
        // the slot that was clicked.
        Fixture f;
        QTemporaryDir dir;
        AppPaths paths;
        paths.dataFolder = dir.path();
        ThumbHover hover;
        hover.mouseMove(0, 0, f.context());
        const ThumbClickPlan click = hover.click(
            2, 2, 2, f.context(), ThumbSlotState{"K1FAIL", false, false}, paths, kEarthView);
        QCOMPARE(click.tip.kind, ThumbTipPlan::Kind::CaptionZoom);
        QCOMPARE(click.position, (SitePosition{42.0, -71.0}));
        QVERIFY(click.popUp.mnuMapLoc.visible);
    }
};

QTEST_GUILESS_MAIN(TestThumbTip)
#include "tst_thumbtip.moc"
