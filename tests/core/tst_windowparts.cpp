#include "core/app/Monitors.h"
#include "core/files/AppPaths.h"
#include "core/thumbs/GridGeometry.h"
#include "core/thumbs/NotFoundCanvas.h"
#include "core/thumbs/PictureDecoding.h"
#include "core/thumbs/ThumbTip.h"
#include "support/Fixtures.h"
#include "support/TestFiles.h"
#include "ui/AnimatedPicture.h"
#include "ui/CornerMenu.h"
#include "ui/MenuBarPainter.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtMath>

#include <cmath>
#include <limits>
#include <memory>
#include <set>

using namespace tavimo;
using namespace tavimo::test;

namespace {

// Near the top left corner: the test GIFs carry a frame number in their middle.
QRgb shownColour(AnimatedPicture &picture) {
    return picture.grab().toImage().pixel(3, 3);
}

QList<QRgb> samplesDuring(AnimatedPicture &picture, int ms) {
    QList<QRgb> samples;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        samples.append(shownColour(picture));
        QTest::qWait(10);
    }
    return samples;
}

QRgb rgb(Qt::GlobalColor colour) {
    return QColor(colour).rgb();
}

// A menu bar shaped like the main window's: page menu, refresh item, a plain menu.
struct BarFixture {
    QMainWindow window;
    QMenuBar *bar = window.menuBar();
    QAction *page = bar->addMenu(QStringLiteral("Pages"))->menuAction();
    QAction *refresh = bar->addAction(QStringLiteral("&Refresh"));
    QAction *help = bar->addMenu(QStringLiteral("Help"))->menuAction();

    BarFixture() {
        window.resize(700, 200);
        installMenuBarPainter(bar);
    }
    bool show() {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
    QImage grab() { return bar->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRect rect(QAction *action) { return bar->actionGeometry(action); }
};

// Pixels that differ from the background in the rows [top, bottom) and columns [left, right),
// with the mean column of those found.
struct Ink {
    int count = 0;
    double meanX = 0;
};
Ink inkIn(const QImage &image, int left, int top, int right, int bottom) {
    Ink ink;
    for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y) {
        for (int x = std::max(0, left); x < std::min(right, image.width()); ++x) {
            if (image.pixel(x, y) != placeholderBackground().rgb()) {
                ++ink.count;
                ink.meanX += x;
            }
        }
    }
    if (ink.count > 0)
        ink.meanX /= ink.count;
    return ink;
}

const QString kNoHome = QStringLiteral("Enter your own position");
const QString kEarthView = QStringLiteral("Map views of ??");

SiteRecord site(const QString &call, double lat, double lon) {
    return makeSite(call, QStringLiteral("http://127.0.0.1/") + call + "/image1", lat, lon);
}

// Slot 0: London (DL0ABC shown as "DLØABC"); 1: no position; 2: "Not found"; 3 and 4:
// positions that are not finite; 6: empty.
struct Fixture {
    SiteList sites{site("DL0ABC", 51.5, -0.12), site("G4NOPOS", 0, 0), site("K1FAIL", 42.0, -71.0),
                   site("K2INF", std::numeric_limits<double>::infinity(), 10),
                   site("K3NAN", 10, std::nan(""))};
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
        fill(3, QStringLiteral("K2INF"), QStringLiteral("2024/05/01"));
        fill(4, QStringLiteral("K3NAN"), QStringLiteral("2024/05/01"));
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

Q_DECLARE_METATYPE(tavimo::PlaceholderLines)
Q_DECLARE_METATYPE(tavimo::MissingPicture)

// The parts the windows are made of. The thumbnail grid: where the cells and their parts go,
// how large the window is, the placeholder a cell shows when its picture cannot be had, and what
// pointing at a cell and clicking it do. What the windows share: the picture widget of every
// thumbnail and viewer and the decoder behind it, menu-bar items drawn as pictures, the corner
// menu, the register of open windows and the list of monitors.
class WindowPartsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    // An empty path when writing fails, so that the load after it fails too.
    QString put(const QString &name, const QByteArray &bytes) {
        return writeBytes(dir.filePath(name), bytes) ? dir.filePath(name) : QString();
    }

private slots:
    // The scale is exactly what the cells need: the last column and row end at the margin.
    void cellsFillTheScaleExactly() {
        QCOMPARE(cellOrigin(7, 5), QPoint(270, 121)); // five columns: the second row's third
        for (int setting = 1; setting <= 4; ++setting) {
            const ThumbLayout layout = *thumbLayout(setting);
            QCOMPARE(layout.gridRows * layout.gridCols, layout.slotCount);
            QRect all;
            for (int slot = 0; slot < layout.slotCount; ++slot)
                all |= cellGeometry(slot, layout.gridCols).shape1;
            QCOMPARE(all, QRect(GridMarginX, GridMarginY, layout.scaleWidth - 2 * GridMarginX,
                                layout.scaleHeight - 2 * GridMarginY));
        }
        QVERIFY(!thumbLayout(0) && !thumbLayout(5) && !thumbLayout(-3));
    }

    // The client area keeps the grid's proportions, worked out from the whole pixels of the
    // width taken: 9234 twips is 615.6 pixels, so the window takes 616 and the height follows
    // from those 9240 twips.
    void windowSize_data() {
        for (const char *column : {"screenPixelsHigh", "setting", "guiSize"})
            QTest::addColumn<int>(column);
        QTest::addColumn<double>("widthTwips");
        QTest::newRow("1080, setting 1, small") << 1080 << 1 << 0 << 9234.0;
        QTest::newRow("1080, setting 2, medium") << 1080 << 2 << 1 << 12960.0;
        QTest::newRow("1080, setting 4, extra large") << 1080 << 4 << 3 << 21951.0;
        QTest::newRow("960, setting 4, medium") << 960 << 4 << 1 << 13752.0;
        QTest::newRow("960, setting 2, extra large") << 960 << 2 << 3 << 16319.952;
    }
    void windowSize() {
        QFETCH(int, screenPixelsHigh);
        QFETCH(int, setting);
        QFETCH(int, guiSize);
        QFETCH(double, widthTwips);
        const ScreenMetrics screen = screenMetrics(QSize(1920, screenPixelsHigh), 96, 96);
        const ThumbLayout layout = *thumbLayout(setting);
        const FrameExtra extra{150, 900};
        const MainWindowSize size = mainWindowSize(screen, guiSize, layout, extra);
        QVERIFY(qAbs(size.widthTwips - widthTwips) < 1e-6);
        QCOMPARE(size.widthPixels, qRound(widthTwips / 15));
        // The height follows from the whole pixels of the width.
        const double client = size.widthPixels * 15.0 - extra.width;
        QVERIFY(qAbs(size.heightTwips - (client * layout.heightFactor + extra.height)) < 1e-6);
    }

    void screenUnitsAreClamped() {
        QCOMPARE(clampTwipsPerPixel(9), 15);
        QCOMPARE(clampTwipsPerPixel(0), 15);
        QCOMPARE(twipsPerPixelForDpi(120.0), 12);
        QCOMPARE(twipsPerPixelForDpi(192.0), 15);
        const ScreenMetrics screen = screenMetrics(QSize(1920, 1080), 96, 120);
        QCOMPARE(screen.screenHeight, 12960);
        const FrameExtra extra = frameExtra(QSize(870, 350), QSize(860, 300), screen);
        QVERIFY(extra.width == 150 && extra.height == 600);
    }

    // A label directly under a picture never overlaps it or leaves a gap, whatever the rounding.
    void touchingRectanglesStayTouching() {
        const UserScale scale(QSizeF(670, 359), QSize(917, 491));
        for (int top = 0; top < 300; ++top) {
            const QRect above = scale.toPixels(QRectF(4, top, 120, 90));
            const QRect below = scale.toPixels(QRectF(4, top + 90, 120, 15));
            QCOMPARE(above.bottom() + 1, below.top());
        }
        // 1.5 pixels a unit: 121 units is 181.5 pixels, rounded to the even 182.
        QCOMPARE(UserScale(QSizeF(670, 240), QSize(1005, 360)).toPixels(QRectF(270, 121, 130, 117)),
                 QRect(405, 182, 195, 175));
        const UserScale lines(QSizeF(670, 240), QSize(1340, 720));
        QCOMPARE(lines.toPixels(QLineF(270, 121, 270, 238)), QLine(540, 363, 540, 714));
        QCOMPARE(lines.toUnits(QPointF(540, 363)), QPointF(270, 121));
        QCOMPARE(UserScale(QSizeF(0, 0), QSize(100, 100)).toUnits(QPointF(50, 50)), QPointF(0, 0));
    }

    void placeholderLines_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<MissingPicture>("why");
        QTest::addColumn<QString>("lines");
        QTest::newRow("SSTV picture cannot be shown")
            << "sstv" << MissingPicture::CannotShow << "Image 1|not found";
        QTest::newRow("WX download failed")
            << "wx" << MissingPicture::DownloadFailed << "Image|(download failed)";
        QTest::newRow("gallery cell 6 shows 7")
            << "cell6" << MissingPicture::CannotShow << "Image 7|not found";
        QTest::newRow("SSTV picture not stored")
            << "sstv" << MissingPicture::NotStored << "Image 1|nicht gespeichert";
        QTest::newRow("gallery picture not stored")
            << "cell6" << MissingPicture::NotStored << "Image 7|nicht gespeichert";
    }
    void placeholderLines() {
        QFETCH(QString, where);
        QFETCH(MissingPicture, why);
        LanguageTexts t;
        t.LngNotFound1 = QStringLiteral("Sorry");
        t.LngNotFound2 = QStringLiteral("not found");
        t.LngNotFound3 = QStringLiteral("Image");
        t.LngFailed = QStringLiteral("  (download failed) ");
        applyProgramTexts(2, t);
        const PlaceholderLines l = where == u"cell6" ? galleryNotFoundLines(t, 6, why)
                                                     : slotNotFoundLines(t, where == u"wx", why);
        QCOMPARE(l.lineA, QStringLiteral("Sorry"));
        QTEST(l.lineB + u'|' + l.lineC, "lines");
    }

    void placeholderCanvas_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<PlaceholderLines>("lines");
        QTest::newRow("odd size") << QSize(131, 97) << PlaceholderLines{"Sorry", "Image 1", "x"};
        QTest::newRow("only line C") << QSize(120, 90) << PlaceholderLines{"", "", "not found"};
        // Long lines shrink to fit rather than lose their ends.
        QTest::newRow("long line C, small cell")
            << QSize(98, 74)
            << PlaceholderLines{"Entschuldigung", "Bild 1", "(Laden fehlgeschlagen)"};
        QTest::newRow("long lines, cell size")
            << QSize(120, 90)
            << PlaceholderLines{"Helaas, helaas", "Afbeelding 1", "(downloaden mislukt, helaas)"};
    }
    void placeholderCanvas() {
        QFETCH(QSize, size);
        QFETCH(PlaceholderLines, lines);
        QVERIFY(renderPlaceholder(QSize(), lines).isNull());
        const QImage image = renderPlaceholder(size, lines);
        QCOMPARE(image.size(), size);
        const PlaceholderLayout layout = placeholderLayout(size);
        const QRect frame = layout.frame;
        const QRgb white = qRgb(255, 255, 255), background = placeholderBackground().rgb();
        QCOMPARE(image.pixel(0, 0), background);
        QCOMPARE(image.pixel(frame.topLeft()), white);
        QCOMPARE(image.pixel(frame.bottomRight()), white);
        QCOMPARE(image.pixel(frame.left() - 1, frame.center().y()), background);

        // Line A inside the frame, lines B and C below it, each centred.
        const Ink a =
            inkIn(image, frame.left() + 1, frame.top() + 1, frame.right(), frame.bottom());
        const Ink b = inkIn(image, 0, frame.bottom() + 1, size.width(), layout.lineCTop);
        const Ink c = inkIn(image, 0, layout.lineCTop, size.width(), size.height());
        QCOMPARE(a.count > 0, !lines.lineA.isEmpty());
        QCOMPARE(b.count > 0, !lines.lineB.isEmpty());
        QCOMPARE(c.count > 0, !lines.lineC.isEmpty());
        for (const Ink &ink : {a, b, c})
            if (ink.count > 0)
                QVERIFY(std::abs(ink.meanX - layout.centreX) < size.width() / 10.0);
        // Nothing is cut at the edges: the outermost columns below the frame stay bare.
        QCOMPARE(inkIn(image, 0, frame.bottom() + 1, 1, size.height()).count, 0);
        QCOMPARE(
            inkIn(image, size.width() - 1, frame.bottom() + 1, size.width(), size.height()).count,
            0);
        for (const QString &line : {lines.lineB, lines.lineC}) {
            const int pixels = fittedPlaceholderPixels(line, layout.lineBCPixels, size.width());
            QFont font = placeholderFont();
            font.setPixelSize(pixels);
            QVERIFY(QFontMetrics(font).horizontalAdvance(line) <= size.width() - 2);
        }
    }

    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void tip_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("units"); // -1: home not set
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("tipText");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("failure"); // why the picture could not be read
        const QString when = QStringLiteral("\n 2024/05/01 12:34 UTC ");
        QTest::newRow("position, km")
            << 0 << 0 << "X" << QStringLiteral(" X  5,582 km 51\u00B0 ") + when << "" << QString();
        QTest::newRow("position, miles")
            << 0 << 1 << "X" << QStringLiteral(" X  3,468 mi 51\u00B0 ") + when << "" << QString();
        QTest::newRow("picture without trailer")
            << 0 << 0 << "Old" << QStringLiteral(" 5,582 km 51\u00B0 ") << "" << QString();
        QTest::newRow("no position")
            << 1 << 0 << "X" << QStringLiteral(" X  0 km 0\u00B0 \n 2024/05/01 UTC ")
            << "No position known for G4NOPOS" << QString();
        // A position that is not finite gives no distance, not a cast of infinity.
        const QString noDistance = QStringLiteral(" X  0 km 0\u00B0 \n 2024/05/01 UTC ");
        QTest::newRow("infinite latitude") << 3 << 0 << "X" << noDistance << "" << QString();
        QTest::newRow("longitude not a number") << 4 << 0 << "X" << noDistance << "" << QString();
        QTest::newRow("home not set") << 0 << -1 << "X" << QString() << kNoHome << QString();
        QTest::newRow("picture not found") << 2 << 0 << "" << QString() << "" << QString();
        QTest::newRow("empty slot") << 6 << 0 << "" << QString() << "" << QString();
        // A picture that could not be read says why, below the usual lines.
        QTest::newRow("picture failed, reason known")
            << 2 << 0 << "" << QStringLiteral("   289 km 59\u00B0 \n \n connection refused ") << ""
            << "connection refused";
        QTest::newRow("picture failed, home not set")
            << 2 << -1 << "" << QStringLiteral(" connection refused ") << kNoHome
            << "connection refused";
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
        QFETCH(QString, failure);
        f.table.setValue(slot, stFailure, failure);

        ThumbHover hover;
        const ThumbTipPlan plan = hover.mouseMove(slot, {}, f.context());
        QCOMPARE(plan.kind, ThumbTipPlan::Kind::Prepared);
        QTEST(hover.TipText, "tipText");
        QTEST(plan.pictureToolTip, "toolTip");
        QCOMPARE(plan.startTipTimer, !hover.TipText.isEmpty());
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

        QTest::newRow("empty slot") << 6 << false << "" << QStringList{"mnuSelectSite"};
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
        // Without a site callsign the map views caption is left as it was, naming nobody.
        QCOMPARE(click.popUp.mnuEarthView.caption.isEmpty(), wx || lblCall.isEmpty());
    }

    void leftClick_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("progress");
        QTest::addColumn<bool>("animated");
        QTest::addColumn<QString>("file"); // "picture", "fifo" (a named pipe), "" (none)
        QTest::addColumn<ThumbClickAction>("action");
        QTest::addColumn<bool>("loadFirst");
        using A = ThumbClickAction;
        const QString picture = QStringLiteral("picture");
        QTest::newRow("still picture") << 0 << false << false << picture << A::OpenViewer << true;
        QTest::newRow("animated picture")
            << 0 << false << true << picture << A::OpenViewer << false;
        QTest::newRow("empty slot") << 6 << false << false << picture << A::Nothing << false;
        QTest::newRow("no picture file") << 0 << false << true << QString() << A::Nothing << false;
        // The viewer names it.
        QTest::newRow("picture file is a named pipe")
            << 0 << false << false << QStringLiteral("fifo") << A::OpenViewer << true;
        QTest::newRow("not found, fetched again")
            << 2 << true << false << QString() << A::Refetch << false;
    }
    void leftClick() {
        QFETCH(int, slot);
        QFETCH(bool, progress);
        QFETCH(bool, animated);
        QFETCH(QString, file);
        Fixture f;
        const QString picture = f.dir.filePath(QStringLiteral("images/sstv/%1").arg(slot));
        if (file == "picture")
            QVERIFY(writeBytes(picture, "picture"));
        if (file == "fifo")
            QVERIFY(QDir().mkpath(QFileInfo(picture).path()) && makeFifo(picture));
        const QString call = f.table.value(slot, stSiteCall);
        const ThumbClickPlan click =
            f.click(slot, Qt::LeftButton, ThumbSlotState{call, progress, animated});
        QTEST(click.action, "action");
        QTEST(click.loadPictureFirst, "loadFirst");
        if (click.action == ThumbClickAction::OpenViewer)
            QCOMPARE(click.PicturePath, picture);
    }

    // A slot's tip is prepared once until the pointer leaves; Ctrl alone zooms the caption. With
    // Ctrl held at a click the tip keeps its last values; the menu still works on, and names, the
    // slot that was clicked.
    void hoverThenClickWithCtrl() {
        Fixture f;
        f.t.LngLookupTpl = QStringLiteral("Look up ??");
        ThumbHover hover;
        QCOMPARE(hover.mouseMove(0, {}, f.context(true)).kind, ThumbTipPlan::Kind::Nothing);
        QCOMPARE(hover.mouseMove(0, Qt::ControlModifier, f.context()).kind,
                 ThumbTipPlan::Kind::CaptionZoom);
        QCOMPARE(hover.mouseMove(0, {}, f.context()).kind, ThumbTipPlan::Kind::Nothing);
        hover.leave();
        QCOMPARE(hover.tipSlot(), std::nullopt);
        QCOMPARE(hover.mouseMove(0, Qt::ShiftModifier | Qt::ControlModifier, f.context()).kind,
                 ThumbTipPlan::Kind::Prepared);
        const ThumbClickPlan click =
            hover.click(2, Qt::RightButton, Qt::ControlModifier, f.context(),
                        ThumbSlotState{"K1FAIL", false, false}, f.paths, kEarthView);
        QCOMPARE(click.tip.kind, ThumbTipPlan::Kind::CaptionZoom);
        QCOMPARE(click.position, (SitePosition{42.0, -71.0}));
        QVERIFY(click.popUp.mnuMapLoc.visible);
        QCOMPARE(click.popUp.mnuQrzCall.caption, QStringLiteral("Look up K1FAIL"));
        QCOMPARE(click.popUp.mnuEarthView.caption, QStringLiteral("Map views of K1FAIL"));
    }

    // ---- What the windows share ---------------------------------------------------------

    void loadsStillPictures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("jpeg without extension") << "7" << jpegBytes(QSize(320, 240));
        QTest::newRow("gif of one frame") << "10" << animatedGifBytes(QSize(50, 40), {Qt::red});
    }
    void loadsStillPictures() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QImage expected = QImage::fromData(bytes);
        AnimatedPicture picture;
        picture.setBackColor(Qt::black);
        picture.resize(118, 88);
        QVERIFY(picture.loadFile(put(name, bytes)));
        QCOMPARE(picture.frameCount(), 1);
        QCOMPARE(picture.pictureSize(), expected.size());
        // Stretched over the whole widget, corner to corner.
        const QImage shown = picture.grab().toImage();
        QCOMPARE(shown.pixel(0, 0), expected.pixel(0, 0));
        QCOMPARE(shown.pixel(117, 87), expected.pixel(expected.width() - 1, expected.height() - 1));
        picture.startAnimation();
        QVERIFY(!picture.isAnimating());
    }

    // Without a frame delay it plays at about ten frames a second, not as fast as the event loop
    // turns; and what plays is what was loaded, though the file is rewritten or removed.
    void gifPlaysWhatWasLoaded() {
        const QString path = put("anim", animatedGifBytes({60, 45}, {Qt::red, Qt::blue}, 0));
        AnimatedPicture picture;
        picture.resize(60, 45);
        QVERIFY(picture.loadFile(path));
        QCOMPARE(picture.frameCount(), 2);
        QCOMPARE(shownColour(picture), rgb(Qt::red)); // the first frame before it starts
        picture.startAnimation();
        QVERIFY(picture.isAnimating());
        QVERIFY(writeBytes(path, animatedGifBytes({60, 45}, {Qt::green, Qt::yellow}, 0)));
        QList<QRgb> samples = samplesDuring(picture, 300);
        QVERIFY(QFile::remove(path));
        samples += samplesDuring(picture, 300);
        int changes = 0;
        for (qsizetype i = 1; i < samples.size(); ++i)
            changes += samples[i] != samples[i - 1];
        QVERIFY2(changes >= 1 && changes <= 8, qPrintable(QString::number(changes)));
        QCOMPARE((std::set<QRgb>(samples.begin(), samples.end())),
                 (std::set<QRgb>{rgb(Qt::red), rgb(Qt::blue)}));
        QCOMPARE(picture.firstFrame().pixel(3, 3), rgb(Qt::red));
    }

    void unreadableFileFailsAndClears_data() {
        QTest::addColumn<QString>("name");     // empty: load nothing
        QTest::addColumn<QByteArray>("bytes"); // null: no file at all
        QTest::newRow("nothing") << "" << QByteArray();
        QTest::newRow("garbage") << "bad.jpg" << QByteArray("\x01\x02 this is no picture");
        QTest::newRow("truncated jpeg") << "bad.jpg" << jpegBytes(QSize(200, 150)).left(20);
    }
    void unreadableFileFailsAndClears() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        AnimatedPicture picture;
        picture.resize(40, 30);
        picture.setBackColor(Qt::darkGray);
        QVERIFY(
            picture.loadFile(put("good", animatedGifBytes(QSize(40, 30), {Qt::red, Qt::blue}))));
        picture.startAnimation();
        const QString path = bytes.isNull() ? dir.filePath(name) : put(name, bytes);
        QVERIFY(!picture.loadFile(name.isEmpty() ? QString() : path));
        QVERIFY(picture.isEmpty());
        QCOMPARE(picture.pictureSize(), QSize(0, 0));
        QVERIFY(picture.firstFrame().isNull());
        QVERIFY(!picture.isAnimating());
        QCOMPARE(shownColour(picture), rgb(Qt::darkGray));
    }

    // What a header tells, and a still picture decoded at the size it is shown (none asked: its
    // own), in one colour.
    void picturesDecodeAtTheSizeShown_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("shown");
        const auto row = [](const char *name, const QByteArray &bytes, QSize size, int frames,
                            const char *format, QSize shown) {
            QTest::newRow(name) << bytes << size << frames << QByteArray(format) << shown;
        };
        const QSize own;
        row("JPEG, smaller", jpegBytes({320, 256}, Qt::red), {320, 256}, 1, "jpeg", {61, 47});
        row("PNG, larger", pngBytes({20, 10}, Qt::red), {20, 10}, 1, "png", {100, 50});
        row("BMP, its own size", bmpBytes({17, 9}, Qt::red), {17, 9}, 1, "bmp", own);
        row("animated GIF", animatedGifBytes({64, 48}, {Qt::red, Qt::green, Qt::blue}), {64, 48}, 3,
            "gif", {32, 24});
        row("no picture", "<html>gone</html>", own, 0, "", {10, 10});
    }
    void picturesDecodeAtTheSizeShown() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(int, frames);
        QFETCH(QSize, shown);
        const PictureHeader header = readPictureHeader(bytes).value_or(PictureHeader{{}, 0, {}});
        QCOMPARE(header.size, size);
        QCOMPARE(header.frames, frames);
        QTEST(header.format, "format");
        const QImage image = decodeScaled(bytes, {}, shown);
        QCOMPARE(image.size(), frames == 0 ? QSize(0, 0) : shown.isValid() ? shown : size);
        if (image.isNull())
            return;
        QCOMPARE(image.format(), QImage::Format_RGB32);
        QVERIFY(QColor(image.pixel(image.width() / 2, 1)).red() > 200);
    }

    void framesDecodeOnceWithTheirDelays_data() {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("played");
        QTest::newRow("as asked") << 300 << 300;
        QTest::newRow("no delay: the default") << 0 << DefaultFrameDelayMs;
        QTest::newRow("10 ms: the default") << 10 << DefaultFrameDelayMs;
        QTest::newRow("the shortest kept") << 20 << 20;
    }
    void framesDecodeOnceWithTheirDelays() {
        QFETCH(int, delayMs);
        QFETCH(int, played);
        const QByteArray gif =
            animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green, Qt::blue}, delayMs);
        const std::optional<AnimationFrames> frames =
            decodeFrames(gif, "gif", QSize(32, 24), 1 << 20);
        QVERIFY(frames);
        QCOMPARE(frames->images.size(), 3);
        QCOMPARE(frames->delays, QList<int>(3, played));
        QCOMPARE(frames->loopCount, -1); // the encoder loops for ever
        for (const QImage &image : frames->images)
            QCOMPARE(image.size(), QSize(32, 24));
        QVERIFY(QColor(frames->images[1].pixel(2, 2)).green() > 200);
        // Frames beyond the memory budget are not kept.
        const QSize size(100, 100);
        QVERIFY(decodeFrames(gif, "gif", size, frameBytes(size, 3)));
        QVERIFY(!decodeFrames(gif, "gif", size, frameBytes(size, 3) - 1));
        QVERIFY(!decodeFrames("gone", "gif", size, 1 << 20));
    }

    // The decoder answers later, on its own threads, and never to a receiver that is gone.
    void decoderAnswersLaterAndOnlyToLivingReceivers() {
        PictureDecoder decoder;
        const QByteArray jpeg = jpegBytes(QSize(320, 256), Qt::red);
        const std::optional<PictureHeader> header = readPictureHeader(jpeg);
        QObject receiver;
        auto gone = std::make_unique<QObject>();
        QList<QSize> answers;
        int goneAnswers = 0;
        decoder.decodeStill(jpeg, *header, QSize(40, 32), &receiver,
                            [&](const QImage &image) { answers << image.size(); });
        decoder.decodeStill(jpeg, *header, QSize(40, 32), gone.get(),
                            [&](const QImage &) { ++goneAnswers; });
        gone.reset();
        const QByteArray gif = animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green});
        const std::optional<PictureHeader> gifHeader = readPictureHeader(gif);
        int frameCount = 0;
        decoder.decodeAnimation(
            gif, *gifHeader, QSize(16, 12), 1 << 20, &receiver,
            [&](const QImage &first) { answers << first.size(); },
            [&](const std::optional<AnimationFrames> &frames) {
                frameCount = frames ? int(frames->images.size()) : -1;
            });
        QVERIFY(answers.isEmpty()); // never inside the call
        QCOMPARE(decoder.pending(), 3);
        decoder.waitForDone();
        QCOMPARE(decoder.pending(), 0);
        // The pool answers in whatever order its threads finish.
        QCOMPARE(answers.size(), 2);
        QVERIFY(answers.contains(QSize(40, 32)) && answers.contains(QSize(16, 12)));
        QCOMPARE(frameCount, 2);
        QCOMPARE(goneAnswers, 0);
    }

    void mouseReachesTheHost() {
        AnimatedPicture picture;
        picture.resize(50, 40);
        picture.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picture));
        QSignalSpy pressed(&picture, &AnimatedPicture::mousePressed);
        QSignalSpy clicked(&picture, &AnimatedPicture::clicked);
        QTest::mouseClick(&picture, Qt::RightButton, Qt::ControlModifier, QPoint(20, 15));
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(pressed[0][0].value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(pressed[0][1].value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
        QCOMPARE(pressed[0][2].toPoint(), QPoint(20, 15));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked[0][1].value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
        // Released outside: no click.
        QTest::mousePress(&picture, Qt::LeftButton, {}, QPoint(20, 15));
        QTest::mouseRelease(&picture, Qt::LeftButton, {}, QPoint(80, 15));
        QCOMPARE(clicked.size(), 1);
    }

    // A text stays centred in a box of any width, and one wider than its box is cut at both
    // edges. Mnemonic marks are not drawn, "&&" is one ampersand; blanks on both sides count.
    void menuPictureTexts() {
        const QFont font = menuFont();
        for (const auto &[text, width] :
             {std::pair{"A rather long page name", 60}, {"  Page 1  ", 120}}) {
            const QImage wide = renderMenuPicture(MenuPicture::Page, text, font, {400, 20});
            QCOMPARE(renderMenuPicture(MenuPicture::Page, text, font, {width, 20}),
                     wide.copy((400 - width) / 2, 0, width, 20));
        }
        QCOMPARE(menuPictureTextWidth(font, "&Refresh"), menuPictureTextWidth(font, "Refresh"));
        QCOMPARE(menuPictureTextWidth(font, "R&&D"),
                 qCeil(QFontMetricsF(font).horizontalAdvance(QStringLiteral("R&D"))));
        QVERIFY(menuPictureTextWidth(font, "  Page  ") > menuPictureTextWidth(font, "  Page"));
        const int widest = menuPictureTextWidth(font, "  A much longer page  ");
        QCOMPARE(widestPageLabel(font, {"Page 1", "A much longer page", "WX"}, 0), widest);
        QCOMPARE(widestPageLabel(font, {"x"}, widest), widest); // only grows
    }

    // The items show exactly the pictures of their texts, a plain menu none; restored, an item
    // shows its plain caption again.
    void menuBarShowsThePictures() {
        BarFixture f;
        QVERIFY(f.show());
        const int plainWidth = f.rect(f.refresh).width();
        setPageMenuText(f.page, QStringLiteral("  Page 1  "), 120);
        setRefreshMenuText(f.refresh, QStringLiteral("Refresh (manual) "));
        const QImage image = f.grab();
        const QRect page = f.rect(f.page), refresh = f.rect(f.refresh);
        QCOMPARE(page.width(), 120);
        QCOMPARE(refresh.width(), menuPictureTextWidth(f.bar->font(), "Refresh (manual) "));
        QCOMPARE(refresh.height(), page.height());
        const auto picture = [&](MenuPicture kind, const char *text, QSize size) {
            return renderMenuPicture(kind, text, f.bar->font(), size)
                .convertToFormat(QImage::Format_RGB32);
        };
        QCOMPARE(image.copy(page), picture(MenuPicture::Page, "  Page 1  ", page.size()));
        QCOMPARE(image.copy(refresh),
                 picture(MenuPicture::Refresh, "Refresh (manual) ", refresh.size()));
        QVERIFY(f.page->text() == "Pages" && f.refresh->text() == "&Refresh");

        // A longer caption widens the item and moves the items to its right.
        setRefreshMenuText(f.refresh, QStringLiteral("Refresh (auto 120 sec) "));
        QVERIFY(f.rect(f.refresh).width() > refresh.width());
        QVERIFY(f.rect(f.help).left() >= f.rect(f.refresh).right());

        // Restored, the item is drawn and sized by the normal style again.
        restorePlainMenuText(f.refresh, f.refresh->text());
        QVERIFY(!menuPicture(f.refresh));
        QCOMPARE(f.rect(f.refresh).width(), plainWidth);
        setGalleryMenuText(f.refresh, QStringLiteral("  Images 1-15  "));
        restorePlainMenuText(f.refresh, QStringLiteral("  Images 16-30  "));
        QCOMPARE(f.refresh->text(), QStringLiteral("  Images 16-30  "));
        QVERIFY(!menuPicture(f.refresh));
    }

    void cornerMenuStaysAtTheRightEdgeAndOpens() {
        BarFixture f;
        QMenu setup;
        setup.addAction(QStringLiteral("Manual refresh"));
        int shown = 0;
        connect(&setup, &QMenu::aboutToShow, this, [&] {
            ++shown;
            QTimer::singleShot(0, &setup, &QMenu::close);
        });
        CornerMenuButton *clock =
            installCornerMenu(f.bar, &setup, QStringLiteral("12:00 UTC   Setup"));
        QVERIFY(f.show());
        const int right = f.bar->width() - clock->geometry().right();
        const int shortWidth = clock->width();
        QVERIFY(right >= 0 && right < 12);

        QVERIFY(!clock->setCaption(QStringLiteral("12:00 UTC   Setup")));
        QVERIFY(clock->setCaption(QStringLiteral("12:01 UTC   Configuración larga")));
        QTRY_VERIFY(clock->width() > shortWidth);
        QCOMPARE(f.bar->width() - clock->geometry().right(), right);
        QVERIFY(clock->geometry().left() > f.rect(f.help).right());

        QTest::mouseClick(clock, Qt::LeftButton);
        QTRY_COMPARE(shown, 1);
        QTRY_VERIFY(!setup.isVisible());
    }

    // Names match without regard to case, a window registered twice counts once, "" counts all,
    // and a window closed with WA_DeleteOnClose is no longer loaded.
    void windowRegistry() {
        WindowRegistry registry;
        QWidget gallery1, gallery2;
        auto *viewer = new QWidget;
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        registry.add("PictureViewer", viewer);
        registry.add("GalleryWindow", &gallery1);
        registry.add("GalleryWindow", &gallery2);
        registry.add("GalleryWindow", &gallery2);
        QCOMPARE(registry.IsFormLoaded("galleryWINDOW"), 2);
        QCOMPARE(registry.IsFormLoaded(""), 3);
        QCOMPARE(registry.IsFormLoaded("Gallery"), 0); // a prefix is no match
        QCOMPARE(registry.find("PICTUREVIEWER"), viewer);
        viewer->show();
        viewer->close();
        QTRY_COMPARE(registry.IsFormLoaded("PictureViewer"), 0);
        QCOMPARE(registry.find("PictureViewer"), nullptr);
        QCOMPARE(registry.loadedWindows().size(), 2);
    }

    // Escape closes the registered window it is pressed in, wherever inside it the key lands:
    // on the window, or on a widget (made after the window was registered) that takes every key
    // for itself, as a web page does. Other keys stay where they land, other windows stay open.
    void escapeClosesTheWindowItIsPressedIn_data() {
        QTest::addColumn<bool>("inside");
        QTest::newRow("on the window") << false;
        QTest::newRow("on a widget that takes every key") << true;
    }
    void escapeClosesTheWindowItIsPressedIn() {
        QFETCH(bool, inside);
        class KeyTaker : public QWidget {
        public:
            using QWidget::QWidget;
            QList<int> keys;

        protected:
            void keyPressEvent(QKeyEvent *event) override {
                keys << event->key();
                event->accept();
            }
        };
        WindowRegistry registry;
        QWidget other;
        auto *window = new QWidget;
        window->setAttribute(Qt::WA_DeleteOnClose);
        registry.add("WebMapWindow", window);
        registry.add("Other", &other);
        auto *page = new KeyTaker(window);
        QWidget *target = inside ? static_cast<QWidget *>(page) : window;
        window->show();
        other.show();
        QTest::keyClick(target, Qt::Key_A);
        QCOMPARE(page->keys, inside ? QList<int>{Qt::Key_A} : QList<int>{});
        QVERIFY(window->isVisible());
        QTest::keyClick(target, Qt::Key_Escape);
        QTRY_COMPARE(registry.IsFormLoaded("WebMapWindow"), 0);
        QVERIFY(other.isVisible());
    }

    // Right and bottom lie one past the last pixel. One monitor unplugged: the count drops, the
    // old second entry stays.
    void monitorReenumerationKeepsStaleEntries() {
        MonitorList list;
        list.enumerate({QRect(0, 0, 1920, 1080), QRect(1920, -200, 1280, 1024)});
        list.enumerate({QRect(0, 0, 2560, 1440)});
        QCOMPARE(list.MonitorCount, std::int16_t(1));
        QCOMPARE(list.Monitors,
                 (QList<MonitorRect>{{}, {1, 0, 0, 2560, 1440}, {2, 1920, -200, 3200, 824}}));
    }
};

QTEST_MAIN(WindowPartsTest)
#include "tst_windowparts.moc"
