// The gallery's and the viewers' rules, without a window: addresses, sites,
// keys, answers, tips, clicks, paging, geometry, captions and the viewer's
// sizes.

#include "gallery/CaptionZoomWindow.h"
#include "gallery/GalleryAnswers.h"
#include "gallery/GalleryGeometry.h"
#include "gallery/GalleryHover.h"
#include "gallery/GalleryPlan.h"
#include "gallery/ViewerLayout.h"
#include "support/Fixtures.h"
#include "support/TestFiles.h"

#include <QTest>

using namespace tavimo;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(GalleryRequest)
Q_DECLARE_METATYPE(GallerySite)
Q_DECLARE_METATYPE(GalleryTip)
Q_DECLARE_METATYPE(GalleryClick)
Q_DECLARE_METATYPE(ViewerLayout::Fit)

namespace {

const QString kFolder = u"http://127.0.0.1:8/sstv/4/"_s;

// Page 2 shows AB1CD in slot 2 and K0XYZ in slot 0; WX site 0 is NOAA.
struct Sites {
    SiteList sstv{test::makeSite(u"AB1CD"_s, kFolder + u"image1.jpg"_s),
                  test::makeSite(u"EF2GH"_s, u"http://127.0.0.1:8/ef/image1.jpgNoDelete"_s),
                  test::makeSite(u"K0XYZ"_s, u"abcd"_s)};
    WxSiteList wx{test::makeSite(u"NOAA"_s, u"http://127.0.0.1:8/wx/latest.jpg"_s)};
    PageState page;

    Sites() {
        page.CurrentPage = 2;
        page.SlotTable.setValue(2, stSiteCall, u"AB1CD"_s);
        page.SlotTable.setValue(2, stSiteIndex, u"0"_s);
        page.SlotTable.setValue(0, stSiteCall, u"K\u00D8XYZ"_s);
        page.SlotTable.setValue(0, stSiteIndex, u"2"_s);
    }
};

LanguageTexts texts() {
    LanguageTexts t;
    t.LngFromPrefix = u"From:"_s;
    t.LngNewPicPrefix = u"NEW"_s;
    t.LngCallSep = u" -"_s;
    return t;
}

} // namespace

class TestGalleryPlan : public QObject {
    Q_OBJECT

private slots:
    void baseAddress_data();
    void baseAddress();
    void site_data();
    void site();
    void captionsAndOwner();
    void slotMenuCaption_data();
    void slotMenuCaption();
    void centreCaption_data();
    void centreCaption();
    void keyOwner_data();
    void keyOwner();
    void answer_data();
    void answer();
    void blocked_data();
    void blocked();
    void tips_data();
    void tips();
    void tipKeepsItsCell();
    void click_data();
    void click();
    void paging();
    void wheel_data();
    void wheel();
    void cellGeometry();
    void windowSize();
    void viewerLayout_data();
    void viewerLayout();
    void monitors_data();
    void monitors();
    void panning_data();
    void panning();
    void viewerCaption();
    void captionZoom();
};

void TestGalleryPlan::baseAddress_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");

    QTest::newRow("image1 beside its pictures")
        << u"http://h/s/image1.jpg"_s << u"http://h/s/image1.jpg"_s << u"http://h/s/image30.jpg"_s;
    QTest::newRow("NoDelete taken out")
        << u"http://h/s/image1.jpgNoDelete"_s << u"http://h/s/image1.jpg"_s
        << u"http://h/s/image30.jpg"_s;
    QTest::newRow("too short to cut") << u"abcd"_s << QString() << QString();
}

void TestGalleryPlan::baseAddress() {
    QFETCH(QString, url);
    QFETCH(QString, first);
    QFETCH(QString, last);
    const std::optional<QString> base = galleryBase(url);
    QCOMPARE(base.has_value(), !first.isEmpty());
    if (base) {
        QCOMPARE(galleryPictureUrl(*base, 1), first);
        QCOMPARE(galleryPictureUrl(*base, 30), last);
    }
}

void TestGalleryPlan::site_data() {
    QTest::addColumn<GalleryRequest>("request");
    QTest::addColumn<bool>("wxPage");
    QTest::addColumn<GallerySite>("expected");

    const GallerySite ab{0, u"AB1CD"_s, kFolder + u"image"_s};
    QTest::newRow("slot: the site the page shows") << GalleryRequest::pageSlot(2) << false << ab;
    QTest::newRow("slot: a callsign shown with Ø, too short an address")
        << GalleryRequest::pageSlot(0) << false << GallerySite{2, u"K0XYZ"_s, std::nullopt};
    QTest::newRow("slot: empty") << GalleryRequest::pageSlot(1) << false << GallerySite{};
    QTest::newRow("slot: beyond the table")
        << GalleryRequest::pageSlot(30) << false << GallerySite{};
    QTest::newRow("slot: the WX page has none")
        << GalleryRequest::pageSlot(2) << true << GallerySite{};
    QTest::newRow("site: SSTV record")
        << GalleryRequest::listRecord(1) << true
        << GallerySite{1, u"EF2GH"_s, u"http://127.0.0.1:8/ef/image"_s};
    QTest::newRow("site: WX record") << GalleryRequest::listRecord(0, SiteListKind::Wx) << false
                                     << GallerySite{0, u"NOAA"_s, u"http://127.0.0.1:8/wx/lates"_s};
    QTest::newRow("site: beyond the list")
        << GalleryRequest::listRecord(3) << false << GallerySite{};
    QTest::newRow("site: negative") << GalleryRequest::listRecord(-1) << false << GallerySite{};
}

void TestGalleryPlan::site() {
    QFETCH(GalleryRequest, request);
    QFETCH(bool, wxPage);
    QFETCH(GallerySite, expected);
    Sites s;
    if (wxPage)
        s.page.CurrentPage = s.page.PageCount;
    const GallerySite found = resolveGallerySite(request, s.page, s.sstv, s.wx);
    QCOMPARE(found.index, expected.index);
    QCOMPARE(found.callsign, expected.callsign);
    QCOMPARE(found.base, expected.base);
}

void TestGalleryPlan::captionsAndOwner() {
    QCOMPARE(galleryOwnerNumber(GalleryRequest::pageSlot(2)), 2);
    QCOMPARE(galleryOwnerNumber(GalleryRequest::listRecord(57)), 1);
    QCOMPARE(galleryCaption(true, u"AB1CD"_s),
             u"Images 1-30 on AB1CD's site  --- Use Scroll Wheel ---"_s);
    QCOMPARE(galleryCaption(false, u"AB1CD"_s), u"Images 1-30 on AB1CD's site"_s);
    QCOMPARE(galleryCaption(true, QString()),
             u"Images 1-30 on 's site  --- Use Scroll Wheel ---"_s);
}

void TestGalleryPlan::slotMenuCaption_data() {
    QTest::addColumn<QString>("lblCall");
    QTest::addColumn<QString>("item");

    QTest::newRow("age after the separator") << u"AB1CD - 3 days"_s << u"AB1CD  -  3 days"_s;
    QTest::newRow("a new picture keeps its caption") << u"AB1CD - NEW"_s << u"AB1CD - NEW"_s;
    QTest::newRow("an ampersand is shown") << u"R&D"_s << u"R&&D"_s;
    QTest::newRow("empty slot") << QString() << QString();
}

void TestGalleryPlan::slotMenuCaption() {
    QFETCH(QString, lblCall);
    QFETCH(QString, item);
    QCOMPARE(tavimo::slotMenuCaption(lblCall, texts()), item);
}

void TestGalleryPlan::centreCaption_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("widthTwips");
    QTest::addColumn<int>("blanks");
    QTest::addColumn<QString>("text");

    const QString with25 = u"Images 1-30 on AB1CD's si"_s; // 25 characters, blanks, no "!"
    QTest::newRow("25 with blanks in 9234 twips")
        << u"  "_s + with25 + u" "_s << 9234 << 58 << with25;
    QTest::newRow("all blanks") << u"    "_s << 9234 << 75 << QString();
    QTest::newRow("no room: only trimmed") << u" ABCDEFGHIJ "_s << 856 << 0 << u"ABCDEFGHIJ"_s;
    QTest::newRow("difference of 2") << u"ABCDEFGHIJ"_s << 918 << 1 << u"ABCDEFGHIJ"_s;
    QTest::newRow("exclamation and blank") << u"A! B"_s << 612 << 2 << u"A! B"_s;
}

void TestGalleryPlan::centreCaption() {
    QFETCH(QString, caption);
    QFETCH(int, widthTwips);
    QFETCH(int, blanks);
    QFETCH(QString, text);
    QCOMPARE(CenterCaption(caption, widthTwips), QString(blanks, u' ') + text);
}

void TestGalleryPlan::keyOwner_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("requestOwner"); // -1: no request on record
    QTest::addColumn<int>("cell");         // -1: ignored

    QTest::newRow("another owner") << u"311-9"_s << 3 << -1;
    QTest::newRow("this owner") << u"411-9"_s << 4 << 11;
    QTest::newRow("no request on record") << u"411-9"_s << -1 << -1;
    QTest::newRow("made for another owner") << u"411-9"_s << 3 << -1;
    QTest::newRow("beyond the cells") << u"430-9"_s << 4 << -1;
}

void TestGalleryPlan::keyOwner() {
    QFETCH(QString, key);
    QFETCH(int, requestOwner);
    QFETCH(int, cell);
    GalleryKeyOwner owner;
    owner.setOwnerNumber(4);
    std::optional<SlotRequest> request;
    if (requestOwner >= 0)
        request = SlotRequest{requestOwner, u"AB1CD"_s};
    const AnswerFit fit = owner.fitPicture(*parsePictureKey(key), request);
    QCOMPARE(fit.slot.value_or(-1), cell);
    if (cell >= 0)
        QCOMPARE(fit.target, std::optional(SlotTarget{cell, 9}));
    QVERIFY(!owner.fitCheck(CheckKey{1}, request).slot);
}

void TestGalleryPlan::answer_data() {
    QTest::addColumn<QByteArray>("trailer");
    QTest::addColumn<QStringList>("columns"); // from, info, time
    QTest::addColumn<QString>("lblFrom");

    QTest::newRow("three fields") << QByteArray("***XX9ABC*OK*10/14/09 12:34:56")
                                  << QStringList{u"XX9ABC"_s, u"OK"_s, u"14.10.2009 12:34"_s}
                                  << u"From:XX9ABC"_s;
    QTest::newRow("a zero shown as Ø")
        << QByteArray("***PA0\xd8X*OK*10/14/09 12:34:56")
        << QStringList{u"PA00X"_s, u"OK"_s, u"14.10.2009 12:34"_s} << u"From:PA\u00D8\u00D8X"_s;
    QTest::newRow("one field still labels")
        << QByteArray("***XX9ABC 12:3") << QStringList{u"XX9ABC 12:3"_s, u"Old"_s, QString()}
        << u"From:XX9ABC 12:3"_s;
    QTest::newRow("no colon") << QByteArray("***XX9ABC")
                              << QStringList{QString(), u"Old"_s, QString()} << QString();
    QTest::newRow("no trailer") << QByteArray() << QStringList{QString(), u"Old"_s, QString()}
                                << QString();
}

void TestGalleryPlan::answer() {
    QFETCH(QByteArray, trailer);
    QFETCH(QStringList, columns);
    QFETCH(QString, lblFrom);
    SlotTable table;
    table.setValue(7, stGalFrom, u"stale"_s);
    table.setValue(7, stFrom, u"main window's"_s);
    const QByteArray picture = test::jpegBytes(QSize(32, 24));
    const GalleryAnswer a = takeGalleryAnswer(picture + trailer, 7, table, texts(), u"\u00D8"_s,
                                              DateOrder{DateOrder::DayFirst, u"."_s});
    QCOMPARE(a.picture, picture);
    QCOMPARE((QStringList{table.value(7, stGalFrom), table.value(7, stGalInfo),
                          table.value(7, stGalTime)}),
             columns);
    QCOMPARE(a.sender, columns[0]);
    QCOMPARE(a.lblFrom, lblFrom);
    QCOMPARE(table.value(7, stFrom), u"main window's"_s);

    clearGalleryColumns(7, table);
    QCOMPARE(table.value(7, stGalInfo), QString());
}

void TestGalleryPlan::blocked_data() {
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QStringList>("block");
    QTest::addColumn<bool>("blocked");

    QTest::newRow("fragment in capitals") << u"xx9abc"_s << QStringList{u"ABC"_s} << true;
    QTest::newRow("fragment in small letters") << u"XX9ABC"_s << QStringList{u"abc"_s} << true;
    QTest::newRow("no fragment matches") << u"XX9ABC"_s << QStringList{u"DEF"_s, u"G"_s} << false;
    QTest::newRow("an empty sender never") << QString() << QStringList{u"A"_s} << false;
    QTest::newRow("an empty fragment never") << u"XX9ABC"_s << QStringList{QString()} << false;
}

void TestGalleryPlan::blocked() {
    QFETCH(QString, sender);
    QFETCH(QStringList, block);
    QFETCH(bool, blocked);
    QCOMPARE(isBlockedSender(sender, block), blocked);
    QCOMPARE(galleryBlockedLines(u"XX9ABC"_s),
             (PlaceholderLines{u"Blocked"_s, u"from"_s, u"XX9ABC"_s}));
}

void TestGalleryPlan::tips_data() {
    QTest::addColumn<QStringList>("columns"); // from, info, time
    QTest::addColumn<int>("shift");
    QTest::addColumn<GalleryTip>("tip");
    QTest::addColumn<QString>("text");

    const QString time = u"14.10.2009 12:34"_s;
    QTest::newRow("status and date") << QStringList{u"XX9ABC"_s, u"OK"_s, time} << 0
                                     << GalleryTip::Delayed << u" OK  \n 14.10.2009 12:34 UTC "_s;
    QTest::newRow("Old leaves blanks") << QStringList{u"XX9ABC"_s, u"Old"_s, time} << 0
                                       << GalleryTip::Delayed << u"   \n 14.10.2009 12:34 UTC "_s;
    QTest::newRow("the words go inside others too")
        << QStringList{u"X"_s, u"Oldies Animated!"_s, time} << 0 << GalleryTip::Delayed
        << u" ies !  \n 14.10.2009 12:34 UTC "_s;
    QTest::newRow("Ctrl: the captions at once")
        << QStringList{u"XX9ABC"_s, u"OK"_s, time} << 2 << GalleryTip::Caption
        << u"  image8  \n  From:XX9ABC  "_s;
    QTest::newRow("Ctrl and Shift: the status")
        << QStringList{u"XX9ABC"_s, u"OK"_s, time} << 3 << GalleryTip::Delayed
        << u" OK  \n 14.10.2009 12:34 UTC "_s;
    QTest::newRow("no date, no tip")
        << QStringList{u"XX9ABC"_s, u"OK"_s, QString()} << 0 << GalleryTip::Nothing << QString();
    QTest::newRow("not found, no tip")
        << QStringList{u"Not found"_s, QString(), time} << 0 << GalleryTip::Nothing << QString();
}

void TestGalleryPlan::tips() {
    QFETCH(QStringList, columns);
    QFETCH(int, shift);
    QFETCH(GalleryTip, tip);
    QFETCH(QString, text);
    SlotTable table;
    table.setValue(7, stGalFrom, columns[0]);
    table.setValue(7, stGalInfo, columns[1]);
    table.setValue(7, stGalTime, columns[2]);
    GalleryHover hover;
    QCOMPARE(hover.mouseMove(7, shift, table, u"image8"_s, u"From:XX9ABC"_s), tip);
    QCOMPARE(hover.TipText, text);
    QCOMPARE(hover.tipCell(), std::optional(7));
}

void TestGalleryPlan::tipKeepsItsCell() {
    SlotTable table;
    table.setValue(3, stGalTime, u"x"_s);
    GalleryHover hover;
    QCOMPARE(hover.mouseMove(3, 0, table, {}, {}), GalleryTip::Delayed);
    QCOMPARE(hover.mouseMove(3, 0, table, {}, {}), GalleryTip::Nothing); // moving inside the cell
    hover.leave();
    QCOMPARE(hover.tipCell(), std::nullopt);
    QCOMPARE(hover.mouseMove(3, 0, table, {}, {}), GalleryTip::Delayed); // back again
}

void TestGalleryPlan::click_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("fileReady");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("lblCall");
    QTest::addColumn<bool>("progress");
    QTest::addColumn<GalleryClick>("action");

    QTest::newRow("left: the viewer")
        << 1 << u"X"_s << true << true << u"image1"_s << false << GalleryClick::OpenViewer;
    QTest::newRow("right: the pop-up")
        << 2 << u"X"_s << true << false << u"image1"_s << true << GalleryClick::PopUp;
    QTest::newRow("middle: the pop-up")
        << 4 << QString() << true << false << QString() << false << GalleryClick::PopUp;
    QTest::newRow("not found: nothing")
        << 2 << u"Not found"_s << true << true << u"image1"_s << false << GalleryClick::Nothing;
    QTest::newRow("no file: nothing")
        << 2 << u"X"_s << false << false << u"image1"_s << false << GalleryClick::Nothing;
    QTest::newRow("left, unreadable")
        << 1 << u"X"_s << true << false << u"image1"_s << false << GalleryClick::Nothing;
    QTest::newRow("left, no label")
        << 1 << u"X"_s << true << true << QString() << false << GalleryClick::Nothing;
    QTest::newRow("left, still loading")
        << 1 << u"X"_s << true << true << u"image1"_s << true << GalleryClick::Nothing;
}

void TestGalleryPlan::click() {
    QFETCH(int, button);
    QFETCH(QString, from);
    QFETCH(bool, fileReady);
    QFETCH(bool, readable);
    QFETCH(QString, lblCall);
    QFETCH(bool, progress);
    QFETCH(GalleryClick, action);
    QCOMPARE(galleryClick(button, GalleryCellState{from, fileReady, readable, lblCall, progress}),
             action);
}

void TestGalleryPlan::paging() {
    GalleryPaging paging;
    QVERIFY(!paging.stepUp());
    QList<double> tops;
    while (paging.stepDown())
        tops << paging.top();
    QCOMPARE(tops, (QList<double>{-59.5, -119, -178.5, -238, -297.5, -357}));
    QCOMPARE(paging.top(), GalleryPaging::Page2Top);
    QVERIFY(paging.stepUp());
    QCOMPARE(paging.top(), -297.5);
    for (int i = 0; i < 5; ++i)
        QVERIFY(paging.stepUp());
    QCOMPARE(paging.top(), 0.0);
    paging.showPage2();
    QCOMPARE(paging.top(), -357.0);
    paging.showPage1();
    QCOMPARE(paging.top(), 0.0);
}

void TestGalleryPlan::wheel_data() {
    QTest::addColumn<int>("delta");
    QTest::addColumn<double>("top"); // from -178.5

    QTest::newRow("one notch away: towards page 1") << 120 << -119.0;
    QTest::newRow("two notches away at once") << 240 << -119.0;
    QTest::newRow("a touchpad's small turn away") << 15 << -119.0;
    QTest::newRow("one notch back: towards page 2") << -120 << -238.0;
    QTest::newRow("two notches back") << -240 << -238.0;
    QTest::newRow("no turn") << 0 << -178.5;
}

void TestGalleryPlan::wheel() {
    QFETCH(int, delta);
    QFETCH(double, top);
    GalleryPaging paging;
    for (int i = 0; i < 3; ++i)
        paging.stepDown();
    paging.wheel(delta);
    QCOMPARE(paging.top(), top);
}

void TestGalleryPlan::cellGeometry() {
    // Cell 7: row 2, column 3.
    const CellGeometry g = galleryCellGeometry(7);
    QCOMPARE(g.shape1, QRect(270, 121, 130, 117));
    QCOMPARE(g.img.topLeft(), QPoint(274, 125));
    QCOMPARE(g.imgAfterPageSwitch.topLeft(), QPoint(275, 126));
    QCOMPARE(g.lblCall.topLeft(), QPoint(270, 217));
    QCOMPARE(galleryNumberLabel(7).topLeft(), QPoint(383, 221));
    QVERIFY(g.bounds.contains(galleryNumberLabel(7)) && g.bounds.contains(g.lblFrom));
    // The last cell lies within the surface, which holds six rows.
    const ThumbLayout layout = galleryGridLayout();
    QCOMPARE(layout.slotCount, 30);
    QCOMPARE(QSize(layout.scaleWidth, layout.scaleHeight), QSize(670, 726));
    QVERIFY(QRect(0, 0, 670, 726).contains(galleryCellGeometry(29).bounds));
}

void TestGalleryPlan::windowSize() {
    const ScreenMetrics screen{15, 15, 28800, 16200};
    const FrameExtra extra{120, 600};
    for (const auto &[guiSize, factor] :
         QList<std::pair<int, double>>{{0, 0.57}, {1, 0.8}, {2, 0.9333}, {3, 1.13333}}) {
        const MainWindowSize size = gallerySize(screen, guiSize, extra);
        QCOMPARE(size.widthTwips, 16200 * factor);
        QCOMPARE(size.heightTwips, (size.widthPixels * 15 - 120) * 0.545 + 600);
    }
}

void TestGalleryPlan::viewerLayout_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<ViewerLayout::Fit>("fit");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("shown");
    QTest::addColumn<QPoint>("topLeft");

    using Fit = ViewerLayout::Fit;
    // A 1920 x 1080 monitor at 1920, 0; the frame adds 10 x 30.
    QTest::newRow("320x240 enlarged to 500 high")
        << QSize(320, 240) << Fit::Enlarged << QSize(667, 500) << QRect(0, 0, 667, 500)
        << QPoint(1920 + 621, 275);
    QTest::newRow("640x200 enlarged to 700 wide")
        << QSize(640, 200) << Fit::Enlarged << QSize(700, 219) << QRect(0, 0, 700, 219)
        << QPoint(1920 + 605, 415);
    QTest::newRow("699x499 is small") << QSize(699, 499) << Fit::Enlarged << QSize(700, 500)
                                      << QRect(0, 0, 700, 500) << QPoint(1920 + 605, 275);
    QTest::newRow("700x400 at its own size") << QSize(700, 400) << Fit::OwnSize << QSize(700, 400)
                                             << QRect(0, 0, 700, 400) << QPoint(1920 + 605, 325);
    QTest::newRow("3000x2000 fills the monitor, middle in view")
        << QSize(3000, 2000) << Fit::Panned << QSize(1910, 1050) << QRect(-545, -475, 3000, 2000)
        << QPoint(1920, 0);
    QTest::newRow("tall only") << QSize(1000, 2000) << Fit::Panned << QSize(1000, 1050)
                               << QRect(0, -475, 1000, 2000) << QPoint(1920 + 455, 0);
}

void TestGalleryPlan::viewerLayout() {
    QFETCH(QSize, picture);
    QFETCH(ViewerLayout::Fit, fit);
    QFETCH(QSize, client);
    QFETCH(QRect, shown);
    QFETCH(QPoint, topLeft);
    const ViewerLayout layout =
        tavimo::viewerLayout(picture, QRect(1920, 0, 1920, 1080), QSize(10, 30));
    QCOMPARE(layout.fit, fit);
    QCOMPARE(layout.client, client);
    QCOMPARE(layout.picture, shown);
    QCOMPARE(layout.windowTopLeft, topLeft);
    QCOMPARE(layout.PanWide, shown.width() > client.width());
    QCOMPARE(layout.PanTall, shown.height() > client.height());
}

void TestGalleryPlan::monitors_data() {
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QRect>("monitor");

    const QRect first(0, 0, 1920, 1080);
    const QRect second(1920, 0, 1280, 1024);
    QTest::newRow("the default place") << QPoint(400, 300) << first;
    QTest::newRow("on the second monitor") << QPoint(2500, 300) << second;
    QTest::newRow("beyond every monitor, nearest the second") << QPoint(4000, 1200) << second;
    QTest::newRow("left of everything") << QPoint(-500, 10) << first;
}

void TestGalleryPlan::monitors() {
    QFETCH(QPoint, point);
    QFETCH(QRect, monitor);
    QCOMPARE(nearestMonitor({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}, point), monitor);
    QVERIFY(nearestMonitor({}, point).isEmpty());
}

void TestGalleryPlan::panning_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("now");
    QTest::addColumn<int>("moved");

    // A picture 3000 wide in a client area 1000 wide: three times the pointer's travel.
    QTest::newRow("pointer right, picture left") << -1000 << 500 << 600 << -1300;
    QTest::newRow("pointer left, picture right") << -1000 << 500 << 400 << -700;
    QTest::newRow("stops at the right edge") << -1900 << 500 << 900 << -2000;
    QTest::newRow("stops at the left edge") << -100 << 500 << 0 << 0;
}

void TestGalleryPlan::panning() {
    QFETCH(int, offset);
    QFETCH(int, last);
    QFETCH(int, now);
    QFETCH(int, moved);
    QCOMPARE(panOffset(offset, last, now, 3000, 1000), moved);
    QCOMPARE(panOffset(0, 0, 100, 800, 1000), 0); // a picture that fits does not move
}

void TestGalleryPlan::viewerCaption() {
    LanguageTexts t = texts();
    const QLocale english(QLocale::English, QLocale::UnitedKingdom);
    QCOMPARE(tavimo::viewerCaption(t, u"XX9ABC"_s, u"OK"_s, u"14.10.2009 12:34"_s, QSize(320, 240),
                                   1234567, english),
             u"From:XX9ABC - OK - 14.10.2009 12:34 - 320x240 pixels - 1,234,567 bytes (Uploaded "
             u"size)"_s);
    QCOMPARE(tavimo::viewerCaption(t, QString(), u"Old"_s, QString(), QSize(1, 2), 0, QLocale::c()),
             u"Old -  - 1x2 pixels - 0 bytes (Uploaded size)"_s);
    QCOMPARE(tavimo::viewerCaption(t, {}, {}, {}, QSize(1, 2), 25000, QLocale::c()).right(28),
             u"25,000 bytes (Uploaded size)"_s);
}

void TestGalleryPlan::captionZoom() {
    QCOMPARE(captionZoomText(QString(), QString()), u"    \n    "_s);
    QCOMPARE(captionZoomText(u"AB1CD - 2 days"_s, u"From:X"_s),
             u"  AB1CD - 2 days  \n  From:X  "_s);
    // The frame's bottom lies 240 below the grid's top; the main window's
    // outer top is 50 above the grid.
    QCOMPARE(captionZoomTopLeft(QRect(300, 200, 130, 100), 60, 10, QSize(80, 40)),
             QPoint(325, 250));
}

QTEST_GUILESS_MAIN(TestGalleryPlan)
#include "tst_galleryplan.moc"
