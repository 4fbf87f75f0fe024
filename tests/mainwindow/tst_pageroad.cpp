// The road of a picture end to end: the real main window, in a data folder of
// its own, against sites served on 127.0.0.1. A pass is started as the refresh
// does it and has ended when the Refresh item is plain again and every placed
// slot has finished.

#include "MainWindowHarness.h"

#include "core/AnimatedPicture.h"
#include "core/CheckPicture.h"
#include "core/MenuBarPainter.h"
#include "core/NotFoundCanvas.h"
#include "core/PictureAge.h"
#include "core/SlotMap.h"
#include "mainwindow/PageRoad.h"
#include "mainwindow/ThumbCell.h"
#include "support/Fixtures.h"
#include "support/LoopbackServer.h"

#include <QAction>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;

namespace {

const QDateTime kNow(QDate(2024, 5, 1), QTime(13, 5, 9), Qt::UTC);

// A main window with its sites on a loopback server. Sites live at
// /<callsign in lower case>/image1.jpg with their check picture beside it.
class Rig {
public:
    Rig() { server.start(); }

    // An SSTV site on `page` in `slot` for every thumbnail setting; the slot
    // map character may be given as it stands (to place a site beyond the grid).
    void addSite(const QString &call, int slot, int page = 1, const QString &date = QString(),
                 std::optional<QChar> slotCharacter = std::nullopt) {
        QString map = kEmptySlotMap;
        map[page - 1] = slotCharacter.value_or(slotChar(slot));
        sstvLines
            << QStringList{call, map,      map, map, map, QStringLiteral("0"), QStringLiteral("0"),
                           date, QString()}
                   .join(u'*')
            << server.url(picturePath(call)).toString();
    }

    void addWxSite(const QString &name, int slot, const QString &path) {
        const QString map = QString::number(slot + 1);
        wxLines << QStringList{name, map, map, map, map}.join(u'*') << server.url(path).toString();
    }

    static QString folder(const QString &call) { return u'/' + call.toLower() + u'/'; }
    static QString picturePath(const QString &call) {
        return folder(call) + QStringLiteral("image1.jpg");
    }
    static QString checkPath(const QString &call) {
        return folder(call) + QStringLiteral("checknew.jpg");
    }

    void setCheck(const QString &call, int width, int height) {
        Route route;
        route.body = checkPicture(width, height);
        route.contentType = "image/jpeg";
        server.setRoute(checkPath(call), route);
    }
    void setPicture(const QString &call, const QByteArray &bytes, Route route = Route()) {
        route.body = bytes;
        server.setRoute(picturePath(call), route);
    }
    void setFailure(const QString &path, int status) {
        Route route;
        route.status = status;
        route.body = "gone";
        server.setRoute(path, route);
    }

    // Starts the window on page 1 (or the WX page) with manual refreshing.
    bool start(int thumbSetting = 2, int startPage = 0) {
        h.writeData(QStringLiteral("tavimo.cfg"),
                    configFileLines(1, thumbSetting, 0, 60, startPage));
        h.writeData(QStringLiteral("tavimo.lst"), sstvLines);
        h.writeData(QStringLiteral("WXsites.lst"), wxLines);
        if (!h.startUp())
            return false;
        window().refreshTimers().StopRefreshTimers();
        return true;
    }

    MainWindow &window() { return h.window(); }
    ThumbCell &cell(int slot) { return *window().cell(slot); }
    QString table(int slot, int column) const { return h.state.page.SlotTable.value(slot, column); }
    QAction *refreshItem() { return window().menuItem(QStringLiteral("mnuRefresh")); }
    DownloadControl *control(const char *name) {
        return window().findChild<DownloadControl *>(QLatin1String(name));
    }
    const LanguageTexts &texts() const { return h.state.texts; }
    QString slotFile(int slot, bool wx = false) const {
        return h.data((wx ? QStringLiteral("images/wx/") : QStringLiteral("images/sstv/")) +
                      QString::number(slot));
    }
    SiteRecord &site(const QString &call) {
        for (SiteRecord &record : h.state.SiteList) {
            if (record.Callsign == call)
                return record;
        }
        qFatal("no site %s", qPrintable(call));
    }

    bool passEnded() {
        const PageState &page = h.state.page;
        return !menuPicture(refreshItem()) && page.FinishedCount == page.ExpectedCount;
    }
    bool waitForPassEnd() {
        return QTest::qWaitFor([this] { return passEnded(); }, 10000);
    }
    // A reload of the SSTV page shown, as the refresh does it.
    bool reload() {
        setRefreshMenuText(refreshItem(), refreshItem()->text());
        h.state.page.FinishedCount = 0;
        window().LoadSstvPage();
        return !passEnded() && waitForPassEnd();
    }
    // Every download of the window has answered (or failed).
    bool waitForQuiet() {
        return QTest::qWaitFor(
            [this] {
                return control("ucDnLoad")->pendingCount() == 0 &&
                       control("ucCkNew")->pendingCount() == 0;
            },
            10000);
    }
    int requests(const QString &path) const { return server.requestCount(path); }

    QImage shownImage(int slot) {
        return cell(slot).img->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QImage placeholder(int slot, bool wx, bool pictureRead) {
        return renderPlaceholder(cell(slot).img->size(),
                                 slotNotFoundLines(texts(), wx, pictureRead))
            .convertToFormat(QImage::Format_RGB32);
    }
    QString withZeroChar(QString call) const { return call.replace(u'0', h.state.ZeroChar); }

    LoopbackServer server;
    Harness h;
    QStringList sstvLines;
    QStringList wxLines;
};

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray stillPicture(const QString &text, QSize size = QSize(320, 240)) {
    return jpegBytes(size, QColor(40, 90, 160), text);
}

QString storedDate(const QDateTime &when) {
    return when.toUTC().toString(QStringLiteral("MM/dd/yyyy hh:mm"));
}

} // namespace

class PageRoadTest : public QObject {
    Q_OBJECT

private slots:
    void passesFollowTheCheckPictures();
    void withoutCheckPictureEveryPassFetches();
    void failuresShowThePlaceholder_data();
    void failuresShowThePlaceholder();
    void refetchingOneSlot();
    void openViewerFollowsItsSlot();
    void animatedPictureAnimates();
    void slowPictureShowsProgress();
    void pageSwitchDropsLateAnswers();
    void answersFollowTheSiteNotTheIndex_data();
    void answersFollowTheSiteNotTheIndex();
    void oddPlacementsStillEndThePass();
    void wxPageFetchesDirectly();
    void picturesFitTheCell_data();
    void picturesFitTheCell();
};

void PageRoadTest::passesFollowTheCheckPictures() {
    Rig rig;
    const QString fresh = QStringLiteral("AB1CD");
    const QString old = QStringLiteral("EF2GH");
    const QString plain = QStringLiteral("IJ3KL");
    rig.addSite(fresh, 0);
    rig.addSite(old, 1);
    rig.addSite(plain, 4);
    const QByteArray freshPicture = stillPicture(QStringLiteral("fresh"));
    const QByteArray oldPicture = stillPicture(QStringLiteral("old"), QSize(320, 200));
    const QByteArray plainPicture = stillPicture(QStringLiteral("plain"));
    rig.setCheck(fresh, 1, 100);
    rig.setCheck(old, 1, 110);
    rig.setCheck(plain, 2, 120);
    rig.setPicture(fresh, freshPicture + trailer(QStringLiteral("XX\u00D8ABC"),
                                                 QStringLiteral("OK"), kNow.addDays(-2)));
    rig.setPicture(old, oldPicture + trailer(QStringLiteral("YY9Z"), QStringLiteral("Fine"),
                                             kNow.addDays(-40)));
    rig.setPicture(plain, plainPicture);

    // First pass, at start-up: nothing is remembered, so every picture comes.
    QVERIFY(rig.start());
    QVERIFY(menuPicture(rig.refreshItem())); // loading look while the pass runs
    QVERIFY(rig.waitForPassEnd());
    const PageState &page = rig.h.state.page;
    QCOMPARE(page.ExpectedCount, 3);
    QVERIFY(!page.UpdateCheckPending);
    for (const QString &call : {fresh, old, plain}) {
        QCOMPARE(rig.requests(Rig::checkPath(call)), 1);
        QCOMPARE(rig.requests(Rig::picturePath(call)), 1);
    }
    // The files hold the pictures without their trailers.
    QCOMPARE(fileBytes(rig.slotFile(0)), freshPicture);
    QCOMPARE(fileBytes(rig.slotFile(1)), oldPicture);
    QCOMPARE(fileBytes(rig.slotFile(4)), plainPicture);

    const LanguageTexts &t = rig.texts();
    const QString freshCall = rig.withZeroChar(fresh);
    QCOMPARE(rig.table(0, stSiteCall), freshCall);
    QCOMPARE(rig.table(0, stFrom), QStringLiteral("XX0ABC"));
    QCOMPARE(rig.table(0, stInfo), QStringLiteral("OK"));
    QCOMPARE(rig.cell(0).lblFrom->text(), t.LngFromPrefix + rig.withZeroChar("XX0ABC"));
    QCOMPARE(rig.site(fresh).LastPictureDate, storedDate(kNow.addDays(-2)));
    QCOMPARE(rig.cell(0).lblCall->text(), ageCaption(freshCall, 2, t));
    QCOMPARE(rig.cell(0).shapeColor(), newPictureFrameColour());

    QCOMPARE(rig.cell(1).lblCall->text(), ageCaption(rig.withZeroChar(old), 40, t));
    QCOMPARE(rig.cell(1).shapeColor(), oldPictureFrameColour());

    // No trailer: an "Old" picture, with no age and no sender.
    QCOMPARE(rig.table(4, stInfo), QStringLiteral("Old"));
    QCOMPARE(rig.cell(4).lblCall->text(), rig.withZeroChar(plain) + t.LngCallSep);
    QCOMPARE(rig.cell(4).lblFrom->text(), QString());
    QCOMPARE(rig.cell(4).shapeColor(), rig.window().palette().color(QPalette::Window));
    QVERIFY(rig.site(plain).LastPictureDate.isEmpty());

    for (int slot : {0, 1, 4}) {
        ThumbCell &c = rig.cell(slot);
        QVERIFY(c.picProg->isHidden());
        QVERIFY(c.lblConnect->isHidden());
        QVERIFY(!c.lblFrom->isHidden());
        QVERIFY(!c.img->pixmap().isNull());
        QVERIFY(c.AniGIF->isHidden());
        QVERIFY(c.AniGIF->isEmpty());
    }
    QCOMPARE(rig.shownImage(0).size(), QSize(320, 240));

    // Nothing new: one check request per site, no picture at all.
    rig.server.clearRequests();
    QVERIFY(rig.reload());
    for (const QString &call : {fresh, old, plain}) {
        QCOMPARE(rig.requests(Rig::checkPath(call)), 1);
        QCOMPARE(rig.requests(Rig::picturePath(call)), 0);
    }
    QCOMPARE(fileBytes(rig.slotFile(0)), freshPicture);
    QCOMPARE(rig.cell(0).lblCall->text(), ageCaption(freshCall, 2, t));

    // One site publishes a new picture: only it is fetched.
    rig.server.clearRequests();
    const QByteArray newer = stillPicture(QStringLiteral("newer"));
    rig.setCheck(fresh, 1, 101);
    rig.setPicture(
        fresh, newer + trailer(QStringLiteral("XX9NEW"), QStringLiteral("OK"), kNow.addSecs(-600)));
    QVERIFY(rig.reload());
    QCOMPARE(rig.requests(Rig::picturePath(fresh)), 1);
    QCOMPARE(rig.requests(Rig::picturePath(old)), 0);
    QCOMPARE(rig.requests(Rig::picturePath(plain)), 0);
    QCOMPARE(fileBytes(rig.slotFile(0)), newer);
    QCOMPARE(rig.table(0, stFrom), QStringLiteral("XX9NEW"));
    // Today's picture: the check picture's caption stays.
    QCOMPARE(rig.cell(0).lblCall->text(), freshCall + t.LngNewPicPrefix);

    // A changed height with a width other than 1 is remembered, not fetched;
    // the same height at width 1 afterwards is nothing new either.
    rig.server.clearRequests();
    rig.setCheck(fresh, 2, 102);
    QVERIFY(rig.reload());
    QCOMPARE(rig.requests(Rig::picturePath(fresh)), 0);
    QCOMPARE(rig.table(0, stCheckHeight), QStringLiteral("102"));
    QCOMPARE(rig.cell(0).lblCall->text(), freshCall + t.LngCallSep);
    QCOMPARE(rig.cell(0).shapeColor(), rig.window().palette().color(QPalette::Window));
    rig.setCheck(fresh, 1, 102);
    QVERIFY(rig.reload());
    QCOMPARE(rig.requests(Rig::picturePath(fresh)), 0);
    QCOMPARE(fileBytes(rig.slotFile(0)), newer);
}

void PageRoadTest::withoutCheckPictureEveryPassFetches() {
    Rig rig;
    const QString call = QStringLiteral("AB1CD");
    rig.addSite(call, 2);
    rig.setFailure(Rig::checkPath(call), 404);
    rig.setPicture(call, stillPicture(QStringLiteral("x")));
    QVERIFY(rig.start());
    QVERIFY(rig.waitForPassEnd());
    QVERIFY(rig.reload());
    QCOMPARE(rig.requests(Rig::checkPath(call)), 2);
    QCOMPARE(rig.requests(Rig::picturePath(call)), 2);
    QCOMPARE(rig.table(2, stCheckHeight), QStringLiteral("0"));
    QVERIFY(!rig.cell(2).img->pixmap().isNull());
}

void PageRoadTest::failuresShowThePlaceholder_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("pictureRead");
    QTest::addColumn<QString>("earlierDate");
    QTest::newRow("picture answers 404") << QStringLiteral("404") << false << QString();
    QTest::newRow("site answers 404 everywhere") << QStringLiteral("all404") << false << QString();
    QTest::newRow("picture never answers") << QStringLiteral("stall") << false << QString();
    QTest::newRow("bytes that are no picture") << QStringLiteral("garbage") << true << QString();
    QTest::newRow("empty picture") << QStringLiteral("empty") << true << QString();
    QTest::newRow("a site that failed before keeps its date")
        << QStringLiteral("404") << false << QStringLiteral("03/01/2024 20:30");
}

void PageRoadTest::failuresShowThePlaceholder() {
    QFETCH(QString, failure);
    QFETCH(bool, pictureRead);
    QFETCH(QString, earlierDate);
    Rig rig;
    const QString call = QStringLiteral("AB1CD");
    const QString good = QStringLiteral("ZZ9ZZ");
    rig.addSite(call, 3, 1, earlierDate);
    rig.addSite(good, 0);
    rig.setCheck(call, 1, 50);
    rig.setCheck(good, 1, 60);
    rig.setPicture(good, stillPicture(QStringLiteral("good")));
    if (failure == u"404") {
        rig.setFailure(Rig::picturePath(call), 404);
    } else if (failure == u"all404") {
        rig.setFailure(Rig::checkPath(call), 404);
        rig.setFailure(Rig::picturePath(call), 404);
    } else if (failure == u"stall") {
        Route stall;
        stall.stall = true;
        rig.setPicture(call, QByteArray(), stall);
    } else if (failure == u"garbage") {
        rig.setPicture(call, QByteArray("this is no picture") +
                                 trailer(QStringLiteral("XX9ABC"), QStringLiteral("OK"), kNow));
    } else {
        rig.setPicture(call, QByteArray());
    }

    QVERIFY(rig.start());
    QVERIFY(rig.waitForPassEnd());
    // Counted once, however many steps saw it fail.
    QCOMPARE(rig.h.state.page.ExpectedCount, 2);
    QCOMPARE(rig.h.state.page.FinishedCount, 2);

    ThumbCell &c = rig.cell(3);
    QCOMPARE(rig.table(3, stFrom), QStringLiteral("Not found"));
    QCOMPARE(c.lblFrom->text(), QString());
    QVERIFY(c.picProg->isHidden());
    QVERIFY(c.AniGIF->isHidden());
    QCOMPARE(rig.shownImage(3), rig.placeholder(3, false, pictureRead));
    QCOMPARE(c.imgUnits().size(), QSize(120, 90));
    // The age counts from the first failure, in UTC.
    const QString date = earlierDate.isEmpty() ? storedDate(kNow) : earlierDate;
    QCOMPARE(rig.site(call).LastPictureDate, date);
    if (earlierDate.isEmpty())
        QCOMPARE(c.lblCall->text().left(call.size()), rig.withZeroChar(call));
    else
        QCOMPARE(c.shapeColor(), oldPictureFrameColour());
    // The other site is untouched by the failure.
    QCOMPARE(rig.table(0, stFrom), QString());
    QVERIFY(rig.site(good).LastPictureDate.isEmpty());
}

void PageRoadTest::refetchingOneSlot() {
    Rig rig;
    const QString call = QStringLiteral("AB1CD");
    rig.addSite(call, 1);
    rig.setCheck(call, 2, 70);
    rig.setFailure(Rig::picturePath(call), 503);
    QVERIFY(rig.start());
    QVERIFY(rig.waitForPassEnd());
    QCOMPARE(rig.table(1, stFrom), QStringLiteral("Not found"));

    // The site is back; the same check picture still leads to the picture.
    const QByteArray picture = stillPicture(QStringLiteral("back"));
    rig.setPicture(call, picture + trailer(QStringLiteral("XX9ABC"), QStringLiteral("OK"), kNow));
    rig.h.state.page.SelectedSlot = 1;
    rig.window().StartSlotFetch();
    QCOMPARE(rig.cell(1).lblFrom->text(), rig.texts().LngLoading);
    QVERIFY(QTest::qWaitFor([&] { return rig.table(1, stFrom) == u"XX9ABC"; }, 10000));
    QCOMPARE(fileBytes(rig.slotFile(1)), picture);
    QCOMPARE(rig.requests(Rig::picturePath(call)), 2);
    // Not counted as a pass of its own.
    QCOMPARE(rig.h.state.page.ExpectedCount, 1);
    QCOMPARE(rig.h.state.page.FinishedCount, 1);
    QVERIFY(rig.passEnded());
}

void PageRoadTest::openViewerFollowsItsSlot() {
    Rig rig;
    const QString call = QStringLiteral("AB1CD");
    rig.addSite(call, 2);
    rig.setCheck(call, 1, 20);
    rig.setPicture(call, stillPicture(QStringLiteral("v"), QSize(200, 100)));
    QWidget viewer;
    rig.h.state.windows.add(QStringLiteral("PictureViewer"), &viewer);
    rig.h.state.page.SelectedSlot = 2;
    QVERIFY(rig.start());
    QVERIFY(rig.waitForPassEnd());
    QCOMPARE(rig.h.opener.calls.count(QStringLiteral("openPictureViewer")), 1);
    // The viewer takes the picture's size from the slot's animation part.
    QCOMPARE(rig.window().slotPicture(2)->pictureSize(), QSize(200, 100));
    QVERIFY(rig.cell(2).AniGIF->isHidden());
}

void PageRoadTest::animatedPictureAnimates() {
    Rig rig;
    const QString call = QStringLiteral("AB1CD");
    rig.addSite(call, 0);
    rig.setCheck(call, 1, 80);
    rig.setPicture(call,
                   animatedGifBytes(QSize(160, 120), {Qt::red, Qt::green, Qt::blue}, 50) +
                       trailer(QStringLiteral("XX9ABC"), QStringLiteral("OK"), kNow.addDays(-3)));
    QVERIFY(rig.start());
    QVERIFY(rig.waitForPassEnd());

    ThumbCell &c = rig.cell(0);
    QVERIFY(!c.AniGIF->isHidden());
    QCOMPARE(c.AniGIF->frameCount(), 3);
    QVERIFY(c.AniGIF->isAnimating());
    QCOMPARE(rig.table(0, stInfo), QStringLiteral("Animated"));
    // An animation shows no age, however old its date.
    QCOMPARE(c.lblCall->text(), rig.withZeroChar(call) + rig.texts().LngNewPicPrefix);
    QCOMPARE(c.imgUnits().size(), QSize(117, 88));
}

void PageRoadTest::slowPictureShowsProgress() {
    Rig rig;
    const QString call = QStringLiteral("AB1CD");
    rig.addSite(call, 5);
    rig.setCheck(call, 1, 90);
    Route trickle;
    trickle.trickleChunk = 8192;
    trickle.trickleIntervalMs = 25;
    const QByteArray picture = bmpBytes(QSize(320, 240));
    rig.setPicture(call, picture, trickle);
    QVERIFY(rig.start());

    SlotProgress *bar = rig.cell(5).picProg;
    QVERIFY(QTest::qWaitFor(
        [&] { return !bar->isHidden() && bar->percent() > 0 && bar->percent() < 100; }, 10000));
    QCOMPARE(bar->backColor(), rig.cell(5).shapeColor());
    QVERIFY(rig.waitForPassEnd());
    QVERIFY(bar->isHidden());
    QCOMPARE(fileBytes(rig.slotFile(5)), picture);
}

void PageRoadTest::pageSwitchDropsLateAnswers() {
    Rig rig;
    rig.h.downloads.setTransferTimeout(std::chrono::seconds(10));
    const QString slowCheck = QStringLiteral("AA1AA");
    const QString slowPicture = QStringLiteral("BB2BB");
    const QString other = QStringLiteral("CC3CC");
    rig.addSite(slowCheck, 0);
    rig.addSite(slowPicture, 1);
    rig.addSite(other, 2, 2);
    Route late;
    late.delayMs = 1500;
    late.body = checkPicture(1, 40);
    rig.server.setRoute(Rig::checkPath(slowCheck), late);
    rig.setPicture(slowCheck, stillPicture(QStringLiteral("a")));
    rig.setCheck(slowPicture, 1, 41);
    Route trickle;
    trickle.delayMs = 600;
    trickle.trickleChunk = 4096;
    trickle.trickleIntervalMs = 50;
    rig.setPicture(slowPicture, bmpBytes(QSize(160, 120)), trickle);
    rig.setCheck(other, 1, 42);
    rig.setPicture(other, stillPicture(QStringLiteral("c")));

    QVERIFY(rig.start());
    QVERIFY(
        QTest::qWaitFor([&] { return rig.requests(Rig::picturePath(slowPicture)) == 1; }, 10000));

    // To page 2 while both answers are on their way. The slot table keeps
    // page 1's callsigns in the slots page 2 leaves empty.
    PageState &page = rig.h.state.page;
    page.CurrentPage = 2;
    rig.window().ArrangeThumbnailGrid();
    QVERIFY(rig.reload());
    QCOMPARE(page.ExpectedCount, 1);

    const QStringList files =
        QDir(rig.h.data(QStringLiteral("images/sstv"))).entryList(QDir::Files);
    const SiteList sites = rig.h.state.SiteList;
    QVERIFY(rig.waitForQuiet());
    QCOMPARE(QDir(rig.h.data(QStringLiteral("images/sstv"))).entryList(QDir::Files), files);
    QVERIFY(!QFileInfo::exists(rig.slotFile(0)));
    QVERIFY(!QFileInfo::exists(rig.slotFile(1)));
    QCOMPARE(rig.h.state.SiteList, sites);
    QCOMPARE(page.ExpectedCount, 1);
    QCOMPARE(page.FinishedCount, 1);
    for (int slot : {0, 1}) {
        QVERIFY2(rig.cell(slot).isBlank(), qPrintable(QString::number(slot)));
        QVERIFY(rig.cell(slot).lblConnect->isHidden());
    }
    QCOMPARE(rig.requests(Rig::picturePath(slowCheck)), 0);
    QVERIFY(rig.passEnded());
}

void PageRoadTest::answersFollowTheSiteNotTheIndex_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("the list was re-sorted") << QStringLiteral("resorted");
    QTest::newRow("the slot was emptied") << QStringLiteral("emptied");
    QTest::newRow("the slot shows another site") << QStringLiteral("reassigned");
}

void PageRoadTest::answersFollowTheSiteNotTheIndex() {
    QFETCH(QString, change);
    Rig rig;
    rig.h.downloads.setTransferTimeout(std::chrono::seconds(10));
    const QString first = QStringLiteral("AB1CD");
    const QString slow = QStringLiteral("EF2GH");
    const QString unplaced = QStringLiteral("XY9XY");
    rig.addSite(first, 0);
    rig.addSite(slow, 1);
    rig.addSite(unplaced, 0, 3);
    rig.setCheck(first, 1, 10);
    rig.setPicture(first, stillPicture(QStringLiteral("first")));
    rig.setCheck(slow, 1, 11);
    Route late;
    late.delayMs = 800;
    const QByteArray picture = stillPicture(QStringLiteral("slow"));
    rig.setPicture(slow, picture + trailer(QStringLiteral("XX9ABC"), QStringLiteral("OK"), kNow),
                   late);
    QVERIFY(rig.start());
    QVERIFY(QTest::qWaitFor([&] { return rig.requests(Rig::picturePath(slow)) == 1; }, 10000));

    SiteList &sites = rig.h.state.SiteList;
    SlotTable &table = rig.h.state.page.SlotTable;
    if (change == u"resorted") {
        SiteRecord added;
        added.Callsign = QStringLiteral("CD5EF");
        sites.insert(1, added); // the slow site moves from index 1 to 2
    } else if (change == u"emptied") {
        rig.window().clearSlot(1);
    } else {
        table.setValue(1, stSiteCall, rig.withZeroChar(unplaced));
        table.setValue(1, stSiteIndex, QStringLiteral("2"));
    }

    QVERIFY(rig.waitForPassEnd());
    QVERIFY(rig.waitForQuiet());
    QCOMPARE(rig.h.state.page.FinishedCount, 2);
    if (change == u"resorted") {
        QCOMPARE(fileBytes(rig.slotFile(1)), picture);
        QCOMPARE(rig.site(slow).LastPictureDate, storedDate(kNow));
        QVERIFY(rig.site(QStringLiteral("CD5EF")).LastPictureDate.isEmpty());
        QCOMPARE(rig.table(1, stFrom), QStringLiteral("XX9ABC"));
    } else {
        QVERIFY(!QFileInfo::exists(rig.slotFile(1)));
        QVERIFY(rig.site(slow).LastPictureDate.isEmpty());
        QVERIFY(rig.site(unplaced).LastPictureDate.isEmpty());
        QCOMPARE(rig.table(1, stFrom), QString());
        QVERIFY(rig.cell(1).img->pixmap().isNull());
        QVERIFY(rig.cell(1).picProg->isHidden());
    }
}

void PageRoadTest::oddPlacementsStillEndThePass() {
    Rig rig;
    // Slot 12 is beyond the ten cells of the grid; two sites claim slot 3.
    rig.addSite(QStringLiteral("AB1CD"), 12, 1, QString(), QChar(u'C'));
    rig.addSite(QStringLiteral("EF2GH"), 3);
    rig.addSite(QStringLiteral("IJ3KL"), 3);
    rig.addSite(QStringLiteral("MN4OP"), 0);
    for (const char *call : {"AB1CD", "EF2GH", "IJ3KL", "MN4OP"}) {
        rig.setCheck(QLatin1String(call), 1, 30);
        rig.setPicture(QLatin1String(call), stillPicture(QLatin1String(call)));
    }
    QVERIFY(rig.start());
    QVERIFY(rig.waitForPassEnd());
    QCOMPARE(rig.h.state.page.ExpectedCount, 2);
    // The later site of the list has the slot.
    QCOMPARE(rig.table(3, stSiteCall), rig.withZeroChar(QStringLiteral("IJ3KL")));
    QCOMPARE(rig.requests(Rig::checkPath(QStringLiteral("AB1CD"))), 0);
    QCOMPARE(rig.requests(Rig::picturePath(QStringLiteral("IJ3KL"))), 1);
    QCOMPARE(rig.window().List1,
             (QStringList{QStringLiteral("EF2GH    4"), QStringLiteral("IJ3KL    4"),
                          QStringLiteral("MN4OP    1")}));
}

void PageRoadTest::wxPageFetchesDirectly() {
    Rig rig;
    // A data folder whose path holds "sstv" must not give WX pictures an age.
    rig.h.state.paths.dataFolder = rig.h.root + QStringLiteral("/sstv-home/tavimo");
    // The SSTV site at index 0 has an old picture date that must stay its own.
    const QString oldDate = storedDate(kNow.addDays(-40));
    rig.addSite(QStringLiteral("AB1CD"), 0, 1, oldDate);
    rig.addWxSite(QStringLiteral("NOAA 19"), 0, QStringLiteral("/noaa19/image1"));
    rig.addWxSite(QStringLiteral("METEOR"), 2, QStringLiteral("/meteor/latest.jpg"));
    const QByteArray picture = stillPicture(QStringLiteral("wx"), QSize(512, 384));
    Route ok;
    ok.body = picture + trailer(QStringLiteral("NOAA"), QStringLiteral("pass"), kNow.addDays(-5));
    rig.server.setRoute(QStringLiteral("/noaa19/image1"), ok);
    rig.setFailure(QStringLiteral("/meteor/latest.jpg"), 404);

    QVERIFY(rig.start(2, 1));
    QVERIFY(rig.waitForPassEnd());
    QVERIFY(rig.h.state.page.isWxPage());
    QCOMPARE(rig.h.state.page.ExpectedCount, 2);
    QCOMPARE(rig.requests(QStringLiteral("/noaa19/checknew.jpg")), 0);
    QCOMPARE(rig.requests(QStringLiteral("/noaa19/image1")), 1);
    QCOMPARE(rig.requests(QStringLiteral("/meteor/latest.jpg")), 1);

    QCOMPARE(fileBytes(rig.slotFile(0, true)), picture);
    QCOMPARE(rig.cell(0).lblCall->text(), QStringLiteral("NOAA 19"));
    QCOMPARE(rig.cell(0).lblFrom->text(), rig.texts().LngFromPrefix + QStringLiteral("NOAA"));
    QVERIFY(rig.cell(0).shapeColor() != oldPictureFrameColour());
    QCOMPARE(rig.table(0, stTime), QString());

    QCOMPARE(rig.cell(2).lblCall->text(), QStringLiteral("METEOR"));
    QCOMPARE(rig.shownImage(2), rig.placeholder(2, true, false));
    QCOMPARE(rig.site(QStringLiteral("AB1CD")).LastPictureDate, oldDate);

    // Fetching the failed slot again, once its site answers.
    const QByteArray back = stillPicture(QStringLiteral("meteor"), QSize(512, 384));
    Route meteor;
    meteor.body = back;
    rig.server.setRoute(QStringLiteral("/meteor/latest.jpg"), meteor);
    rig.h.state.page.SelectedSlot = 2;
    rig.window().StartSlotFetch();
    QVERIFY(QTest::qWaitFor([&] { return fileBytes(rig.slotFile(2, true)) == back; }, 10000));
    QVERIFY(QTest::qWaitFor(
        [&] {
            return !rig.cell(2).img->pixmap().isNull() &&
                   rig.shownImage(2).size() == QSize(512, 384);
        },
        10000));
    QCOMPARE(rig.requests(QStringLiteral("/meteor/checknew.jpg")), 0);
}

void PageRoadTest::picturesFitTheCell_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSizeF>("shown");
    QTest::newRow("4:3 fills the height") << QSize(320, 240) << QSizeF(320 / (240 / 88.0), 88);
    QTest::newRow("wide fills the width") << QSize(320, 200) << QSizeF(118, 73.75);
    QTest::newRow("tall fills the height") << QSize(100, 200) << QSizeF(44, 88);
    QTest::newRow("empty picture") << QSize(0, 0) << QSizeF(0, 0);
}

void PageRoadTest::picturesFitTheCell() {
    QFETCH(QSize, picture);
    QFETCH(QSizeF, shown);
    const QRect shape1(270, 121, 130, 117);
    const QRectF fitted = fitPictureInCell(picture, shape1);
    QCOMPARE(fitted.size(), shown);
    if (!shown.isEmpty())
        QCOMPARE(fitted.center(), QPointF(270 + 65, 121 + 49));
}

QTEST_MAIN(PageRoadTest)
#include "tst_pageroad.moc"
