// The gallery's and the viewer's rules without a window: which site and
// pictures, whose answers, what an answer gives, tips, clicks, paging, the
// caption and the viewer's sizes.

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
Q_DECLARE_METATYPE(GalleryTip)
Q_DECLARE_METATYPE(GalleryClick)
Q_DECLARE_METATYPE(ViewerLayout::Fit)

class TestGalleryPlan : public QObject {
    Q_OBJECT

private slots:
    void site_data() {
        QTest::addColumn<GalleryRequest>("request");
        QTest::addColumn<bool>("wxPage");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("base"); // "-": none

        QTest::newRow("slot: the site it shows")
            << GalleryRequest::pageSlot(2) << false << 0 << u"http://h/ab/image"_s;
        QTest::newRow("slot: shown with Ø, an address too short")
            << GalleryRequest::pageSlot(0) << false << 2 << u"-"_s;
        QTest::newRow("slot: empty") << GalleryRequest::pageSlot(1) << false << -1 << u"-"_s;
        QTest::newRow("slot: on the WX page")
            << GalleryRequest::pageSlot(2) << true << -1 << u"-"_s;
        QTest::newRow("site: NoDelete left out")
            << GalleryRequest::listRecord(1) << true << 1 << u"http://h/ef/image"_s;
        QTest::newRow("site: of the WX list") << GalleryRequest::listRecord(0, SiteListKind::Wx)
                                              << false << 0 << u"http://h/wx/lates"_s;
        QTest::newRow("site: beyond the list")
            << GalleryRequest::listRecord(3) << false << -1 << u"-"_s;
    }

    void site() {
        QFETCH(GalleryRequest, request);
        QFETCH(bool, wxPage);
        QFETCH(QString, base);
        const SiteList sstv{test::makeSite(u"AB1CD"_s, u"http://h/ab/image1.jpg"_s),
                            test::makeSite(u"EF2GH"_s, u"http://h/ef/image1.jpgNoDelete"_s),
                            test::makeSite(u"K0XYZ"_s, u"abcd"_s)};
        const WxSiteList wx{test::makeSite(u"NOAA"_s, u"http://h/wx/latest.jpg"_s)};
        PageState page;
        page.CurrentPage = wxPage ? page.PageCount : 2;
        page.SlotTable.setValue(2, stSiteCall, u"AB1CD"_s);
        page.SlotTable.setValue(2, stSiteIndex, u"0"_s);
        page.SlotTable.setValue(0, stSiteCall, u"K\u00D8XYZ"_s);
        page.SlotTable.setValue(0, stSiteIndex, u"2"_s);
        const GallerySite found = resolveGallerySite(request, page, sstv, wx);
        QTEST(found.index, "index");
        QCOMPARE(found.base.value_or(u"-"_s), base);
        if (found.base)
            QCOMPARE(galleryPictureUrl(*found.base, 30), base + u"30.jpg"_s);
    }

    void keyOwner() {
        GalleryKeyOwner owner;
        owner.setOwnerNumber(4);
        const auto fit = [&](const char *key, int requestOwner) {
            return owner.fitPicture(*parsePictureKey(QString::fromLatin1(key)),
                                    SlotRequest{requestOwner, u"AB1CD"_s});
        };
        QCOMPARE(fit("411-9", 4).target, std::optional(SlotTarget{11, 9}));
        QVERIFY(!fit("311-9", 4).slot); // another owner's
        QVERIFY(!fit("411-9", 3).slot); // asked for under another owner
        QVERIFY(!fit("430-9", 4).slot); // beyond the cells
        QVERIFY(!owner.fitPicture(*parsePictureKey(u"411-9"_s), std::nullopt).slot);
        QCOMPARE(galleryOwnerNumber(GalleryRequest::pageSlot(2)), 2);
        QCOMPARE(galleryOwnerNumber(GalleryRequest::listRecord(57)), 1);
    }

    void answer_data() {
        QTest::addColumn<QByteArray>("trailer");
        QTest::addColumn<QStringList>("columns"); // sender, status, date
        QTest::addColumn<QString>("lblFrom");

        QTest::newRow("three fields")
            << QByteArray("***XX9ABC*OK*10/14/09 12:34:56")
            << QStringList{u"XX9ABC"_s, u"OK"_s, u"14.10.2009 12:34"_s} << u"From:XX9ABC"_s;
        QTest::newRow("a zero as Ø, one field")
            << QByteArray("***PA0\xd8X 12:3") << QStringList{u"PA00X 12:3"_s, u"Old"_s, QString()}
            << u"From:PA\u00D8\u00D8X 12:3"_s;
        QTest::newRow("no colon") << QByteArray("***XX9ABC")
                                  << QStringList{QString(), u"Old"_s, QString()} << QString();
        QTest::newRow("no trailer")
            << QByteArray() << QStringList{QString(), u"Old"_s, QString()} << QString();
    }

    void answer() {
        QFETCH(QByteArray, trailer);
        QFETCH(QStringList, columns);
        SlotTable table;
        table.setValue(7, stGalFrom, u"stale"_s);
        table.setValue(7, stFrom, u"the main window's"_s);
        LanguageTexts texts;
        texts.LngFromPrefix = u"From:"_s;
        const QByteArray picture = test::jpegBytes(QSize(32, 24));
        const GalleryAnswer a =
            takeGalleryAnswer(splitPictureTrailer(picture + trailer), 7, table, texts, u"\u00D8"_s,
                              DateOrder{DateOrder::DayFirst, u"."_s});
        QCOMPARE(a.picture, picture);
        QCOMPARE((QStringList{table.value(7, stGalFrom), table.value(7, stGalInfo),
                              table.value(7, stGalTime)}),
                 columns);
        QTEST(a.lblFrom, "lblFrom");
        QCOMPARE(table.value(7, stFrom), u"the main window's"_s);
    }

    void blocked() {
        QVERIFY(isBlockedSender(u"xx9abc"_s, {u"ABC"_s}));
        QVERIFY(isBlockedSender(u"XX9ABC"_s, {u"D"_s, u"abc"_s})); // letter case ignored
        QVERIFY(!isBlockedSender(u"XX9ABC"_s, {u"DEF"_s, QString()}));
        QVERIFY(!isBlockedSender(QString(), {u"A"_s}));
    }

    void tips_data() {
        QTest::addColumn<QStringList>("columns"); // sender, status, date
        QTest::addColumn<int>("shift");
        QTest::addColumn<GalleryTip>("tip");
        QTest::addColumn<QString>("text");

        const QString time = u"14.10.2009 12:34"_s;
        QTest::newRow("status and date")
            << QStringList{u"X"_s, u"OK"_s, time} << 0 << GalleryTip::Delayed
            << u" OK  \n 14.10.2009 12:34 UTC "_s;
        QTest::newRow("the words go, inside others too")
            << QStringList{u"X"_s, u"Oldies Animated!"_s, time} << 0 << GalleryTip::Delayed
            << u" ies !  \n 14.10.2009 12:34 UTC "_s;
        QTest::newRow("Ctrl: the captions") << QStringList{u"X"_s, u"OK"_s, time} << 2
                                            << GalleryTip::Caption << u"  image8  \n  From:X  "_s;
        QTest::newRow("Ctrl and Shift: the status")
            << QStringList{u"X"_s, u"OK"_s, time} << 3 << GalleryTip::Delayed
            << u" OK  \n 14.10.2009 12:34 UTC "_s;
        QTest::newRow("no date") << QStringList{u"X"_s, u"OK"_s, QString()} << 2
                                 << GalleryTip::Nothing << QString();
        QTest::newRow("not found") << QStringList{u"Not found"_s, QString(), time} << 0
                                   << GalleryTip::Nothing << QString();
        QTest::newRow("download failed: why")
            << QStringList{u"Not found"_s, QString(), QString(), u"connection refused"_s} << 0
            << GalleryTip::Delayed << u" connection refused "_s;
    }

    void tips() {
        QFETCH(QStringList, columns);
        QFETCH(int, shift);
        QFETCH(GalleryTip, tip);
        SlotTable table;
        for (int i = 0; i < 3; ++i)
            table.setValue(7, stGalFrom + i, columns[i]);
        table.setValue(7, stGalFailure, columns.value(3));
        GalleryHover hover;
        QCOMPARE(hover.mouseMove(7, shift, table, u"image8"_s, u"From:X"_s), tip);
        QTEST(hover.TipText, "text");
        // Moving on inside the cell builds nothing new; leaving and coming back does.
        QCOMPARE(hover.mouseMove(7, shift, table, {}, {}), GalleryTip::Nothing);
        hover.leave();
        QCOMPARE(hover.tipCell(), std::nullopt);
        QCOMPARE(hover.mouseMove(7, shift, table, u"image8"_s, u"From:X"_s), tip);
    }

    void click_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("fileReady");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("lblCall");
        QTest::addColumn<bool>("progress");
        QTest::addColumn<GalleryClick>("action");

        QTest::newRow("left: the viewer")
            << 1 << u"X"_s << true << true << u"image1"_s << false << GalleryClick::OpenViewer;
        QTest::newRow("middle: the pop-up")
            << 4 << QString() << true << false << QString() << true << GalleryClick::PopUp;
        QTest::newRow("not found")
            << 2 << u"Not found"_s << true << true << u"image1"_s << false << GalleryClick::Nothing;
        QTest::newRow("no file") << 2 << u"X"_s << false << false << u"image1"_s << false
                                 << GalleryClick::Nothing;
        QTest::newRow("left, unreadable")
            << 1 << u"X"_s << true << false << u"image1"_s << false << GalleryClick::Nothing;
        QTest::newRow("left, still loading")
            << 1 << u"X"_s << true << true << u"image1"_s << true << GalleryClick::Nothing;
    }

    void click() {
        QFETCH(int, button);
        QFETCH(QString, from);
        QFETCH(bool, fileReady);
        QFETCH(bool, readable);
        QFETCH(QString, lblCall);
        QFETCH(bool, progress);
        QTEST(galleryClick(button, GalleryCellState{from, fileReady, readable, lblCall, progress}),
              "action");
    }

    void paging() {
        // Cell 7, row 2, column 3, in the surface's units.
        const CellGeometry cell7 = galleryCellGeometry(7);
        QCOMPARE(
            (QList<QPoint>{cell7.shape1.topLeft(), cell7.lblCall.topLeft(),
                           cell7.imgAfterPageSwitch.topLeft(), galleryNumberLabel(7).topLeft()}),
            (QList<QPoint>{{270, 121}, {270, 217}, {275, 126}, {383, 221}}));
        QVERIFY(QRect(0, 0, 670, 726).contains(galleryCellGeometry(29).bounds));

        GalleryPaging paging;
        QVERIFY(!paging.stepUp());
        QList<double> tops;
        while (paging.stepDown())
            tops << paging.top();
        QCOMPARE(tops, (QList<double>{-59.5, -119, -178.5, -238, -297.5, -357}));
        QVERIFY(paging.stepUp());
        QCOMPARE(paging.top(), -297.5);
        // The wheel by the sign of its turn, whatever its size.
        for (const auto &[delta, top] : QList<std::pair<int, double>>{
                 {240, -238}, {15, -178.5}, {0, -178.5}, {-240, -238}, {-120, -297.5}}) {
            paging.wheel(delta);
            QCOMPARE(paging.top(), top);
        }
    }

    void centreCaption() {
        // 25 characters with blanks in 9234 twips: 151 characters' room less 35, halved.
        const QString text = u"Images 1-30 on AB1CD's si"_s;
        QCOMPARE(CenterCaption(u"  "_s + text + u" "_s, 9234), QString(58, u' ') + text);
        QCOMPARE(CenterCaption(u"    "_s, 9234), QString(75, u' '));
        QCOMPARE(CenterCaption(u" ABCDEFGHIJ "_s, 856), u"ABCDEFGHIJ"_s); // no room: only trimmed
        QCOMPARE(CenterCaption(u"A! B"_s, 612), u"  A! B"_s);
    }

    void viewerLayout_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<ViewerLayout::Fit>("fit");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QRect>("shown");
        QTest::addColumn<QPoint>("topLeft");

        using Fit = ViewerLayout::Fit;
        // A 1920 x 1080 monitor right of another; the frame adds 10 x 30.
        QTest::newRow("320x240: 500 high") << QSize(320, 240) << Fit::Enlarged << QSize(667, 500)
                                           << QRect(0, 0, 667, 500) << QPoint(2541, 275);
        QTest::newRow("640x200: 700 wide") << QSize(640, 200) << Fit::Enlarged << QSize(700, 219)
                                           << QRect(0, 0, 700, 219) << QPoint(2525, 415);
        QTest::newRow("699x499 is small") << QSize(699, 499) << Fit::Enlarged << QSize(700, 500)
                                          << QRect(0, 0, 700, 500) << QPoint(2525, 275);
        QTest::newRow("700x400: its own size") << QSize(700, 400) << Fit::OwnSize << QSize(700, 400)
                                               << QRect(0, 0, 700, 400) << QPoint(2525, 325);
        QTest::newRow("3000x2000: the monitor, middle in view")
            << QSize(3000, 2000) << Fit::Panned << QSize(1910, 1050)
            << QRect(-545, -475, 3000, 2000) << QPoint(1920, 0);
        QTest::newRow("tall only") << QSize(1000, 2000) << Fit::Panned << QSize(1000, 1050)
                                   << QRect(0, -475, 1000, 2000) << QPoint(2375, 0);
    }

    void viewerLayout() {
        QFETCH(QSize, picture);
        QFETCH(QSize, client);
        QFETCH(QRect, shown);
        const QRect monitor(1920, 0, 1920, 1080);
        const ViewerLayout layout = tavimo::viewerLayout(picture, monitor, QSize(10, 30));
        QTEST(layout.fit, "fit");
        QCOMPARE(layout.client, client);
        QCOMPARE(layout.picture, shown);
        QTEST(layout.windowTopLeft, "topLeft");
        QCOMPARE(layout.PanWide, shown.width() > client.width());
        QCOMPARE(layout.PanTall, shown.height() > client.height());
        // The remembered place picks the monitor nearest to it.
        QCOMPARE(nearestMonitor({QRect(0, 0, 1920, 1080), monitor}, QPoint(4000, 1200)), monitor);
        // Panning: three times the pointer's travel for a picture three times as wide, no gap.
        QCOMPARE(panOffset(-1000, 500, 600, 3000, 1000), -1300);
        QCOMPARE(panOffset(-1900, 500, 900, 3000, 1000), -2000);
    }
};

QTEST_GUILESS_MAIN(TestGalleryPlan)
#include "tst_galleryplan.moc"
