// The road of a picture end to end: the real main window, in a data folder of
// its own, against sites served on 127.0.0.1. A pass is started as the refresh
// does it and has ended when the Refresh item is plain again and every placed
// slot has finished. Passes end around a site that never answers, and show or
// hide no part of a cell.

#include "support/MainWindowHarness.h"
#include "support/ShowHideCounter.h"

#include "core/sites/SlotMap.h"
#include "core/thumbs/CheckPicture.h"
#include "core/thumbs/NotFoundCanvas.h"
#include "core/thumbs/PictureAge.h"

#include <QtEndian>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {

const QDateTime kNow(QDate(2024, 5, 1), QTime(13, 5, 9), Qt::UTC);

// Sites live at /<callsign in lower case>/image1.jpg with their check picture
// beside it.
struct Rig : Harness {
    // An SSTV site on `page` in `slot` for every thumbnail setting; the slot
    // map character may be given as it stands (to place a site beyond the grid).
    void place(const QString &call, int slot, int page = 1, const QString &date = QString(),
               std::optional<QChar> slotCharacter = std::nullopt) {
        QString map = kEmptySlotMap;
        map[page - 1] = slotCharacter.value_or(slotChar(slot));
        addSite(call, map, picturePath(call), "0", "0", date);
    }
    static QString picturePath(const QString &call) {
        return u'/' + call.toLower() + u"/image1.jpg"_s;
    }
    static QString checkPath(const QString &call) {
        return u'/' + call.toLower() + u"/checknew.jpg"_s;
    }
    void setCheck(const QString &call, int width, int height) {
        serve(checkPath(call), checkPicture(width, height));
    }
    void setPicture(const QString &call, const QByteArray &bytes, Route route = Route()) {
        serve(picturePath(call), bytes, route);
    }
    // A site in `slot` of page 1 with a check picture 1 pixel wide.
    void placeServed(const QString &call, int slot, int checkHeight, const QByteArray &bytes,
                     Route route = Route()) {
        place(call, slot);
        setCheck(call, 1, checkHeight);
        setPicture(call, bytes, route);
    }
    void setFailure(const QString &path, int status) {
        Route route;
        route.status = status;
        serve(path, "gone", route);
    }

    // Starts the window on page 1 (or the WX page) with manual refreshing.
    bool start(int startPage = 0) {
        writeConfig(2, 0, startPage);
        writeData(u"WXsites.lst"_s, wxLines);
        if (!startUp())
            return false;
        timers().StopRefreshTimers();
        return true;
    }

    QString table(int slot, int column) const { return state.page.SlotTable.value(slot, column); }
    const LanguageTexts &texts() const { return state.texts; }
    QString slotFile(int slot, bool wx = false) const {
        return data((wx ? u"images/wx/"_s : u"images/sstv/"_s) + QString::number(slot));
    }
    bool passEnded() { return !loadingLook() && page().FinishedCount == page().ExpectedCount; }
    bool waitForPassEnd() {
        return QTest::qWaitFor([this] { return passEnded(); }, 10000);
    }
    // A reload of the SSTV page shown, as the refresh does it.
    bool reload() {
        setRefreshMenuText(item(u"mnuRefresh"_s), item(u"mnuRefresh"_s)->text());
        page().FinishedCount = 0;
        w().loader().LoadSstvPage();
        return !passEnded() && waitForPassEnd();
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
    QString withZeroChar(QString call) const { return call.replace(u'0', state.ZeroChar); }
};

QByteArray stillPicture(const QString &text, QSize size = QSize(320, 240)) {
    return jpegBytes(size, QColor(40, 90, 160), text);
}

// A whole PNG whose header promises 50000 x 50000 pixels: it reads, but does not decode.
QByteArray pngBomb() {
    const auto be32 = [](quint32 v) {
        QByteArray bytes(4, '\0');
        qToBigEndian(v, bytes.data());
        return bytes;
    };
    const QByteArray header = be32(50000) + be32(50000) + QByteArray("\x08\x00\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", qCompress(QByteArray(4 * 50001, '\0')).mid(4)) + pngChunk("IEND", {});
}

QString storedDate(const QDateTime &when) {
    return when.toUTC().toString(u"MM/dd/yyyy hh:mm"_s);
}

} // namespace

class PageRoadTest : public QObject {
    Q_OBJECT

private slots:
    void passesFollowTheCheckPictures();
    void withoutCheckPictureEveryPassFetches();
    void failuresShowThePlaceholder_data();
    void failuresShowThePlaceholder();
    void aSiteOfNoPicturesIsLoggedOnce();
    void unwritablePictureFolderIsToldAndShown();
    void animatedPictureAnimates();
    void slowPictureShowsProgress();
    void pageSwitchDropsLateAnswers();
    void answersFollowTheSiteNotTheIndex_data();
    void answersFollowTheSiteNotTheIndex();
    void oddPlacementsStillEndThePass();
    void wxPageFetchesDirectly();
    void cutAnswersLeaveTheSlotAsItWas_data();
    void cutAnswersLeaveTheSlotAsItWas();
    void wxCutAnswersAreJudgedPerSlot();
    void passesEndAroundAStalledSite();
    void passShowsAndHidesNoPartOfACell();
};

void PageRoadTest::passesFollowTheCheckPictures() {
    Rig rig;
    const QString fresh = u"AB1CD"_s;
    const QString old = u"EF2GH"_s;
    const QString plain = u"IJ3KL"_s;
    const QByteArray freshPicture = stillPicture(u"fresh"_s);
    const QByteArray oldPicture = stillPicture(u"old"_s, QSize(320, 200));
    const QByteArray plainPicture = stillPicture(u"plain"_s);
    rig.placeServed(fresh, 0, 100,
                    freshPicture + trailer(u"XX\u00D8ABC"_s, u"OK"_s, kNow.addDays(-2)));
    rig.placeServed(old, 1, 110, oldPicture + trailer(u"YY9Z"_s, u"Fine"_s, kNow.addDays(-40)));
    rig.place(plain, 4);
    rig.setCheck(plain, 2, 120);
    rig.setPicture(plain, plainPicture);

    // First pass, at start-up: nothing is remembered, so every picture comes.
    QSignalSpy shown(&rig.state.events, &AppEvents::pageShown);
    QSignalSpy finished(&rig.state.events, &AppEvents::passFinished);
    QVERIFY(rig.start());
    QVERIFY(rig.loadingLook()); // loading look while the pass runs
    QVERIFY(rig.waitForPassEnd());
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().first().toInt(), 1);
    QCOMPARE(finished.size(), 1);
    const PageState &page = rig.state.page;
    QCOMPARE(page.ExpectedCount, 3);
    QVERIFY(!page.UpdateCheckPending);
    for (const QString &call : {fresh, old, plain}) {
        QCOMPARE(rig.requests(Rig::checkPath(call)), 1);
        QCOMPARE(rig.requests(Rig::picturePath(call)), 1);
    }
    // The files hold the pictures without their trailers.
    QCOMPARE(readBytes(rig.slotFile(0)), freshPicture);
    QCOMPARE(readBytes(rig.slotFile(1)), oldPicture);
    QCOMPARE(readBytes(rig.slotFile(4)), plainPicture);

    const LanguageTexts &t = rig.texts();
    const QString freshCall = rig.withZeroChar(fresh);
    QCOMPARE(rig.table(0, stSiteCall), freshCall);
    QCOMPARE(rig.table(0, stFrom), u"XX0ABC"_s);
    QCOMPARE(rig.table(0, stInfo), u"OK"_s);
    QCOMPARE(rig.cell(0).lblFrom->text(), t.LngFromPrefix + rig.withZeroChar("XX0ABC"));
    QCOMPARE(rig.site(fresh).LastPictureDate, storedDate(kNow.addDays(-2)));
    QCOMPARE(rig.cell(0).lblCall->text(), ageCaption(freshCall, 2, t));
    QCOMPARE(rig.cell(0).shapeColor(), newPictureFrameColour());

    QCOMPARE(rig.cell(1).lblCall->text(), ageCaption(rig.withZeroChar(old), 40, t));
    QCOMPARE(rig.cell(1).shapeColor(), oldPictureFrameColour());

    // No trailer: an "Old" picture, with no age and no sender.
    QCOMPARE(rig.table(4, stInfo), u"Old"_s);
    QCOMPARE(rig.cell(4).lblCall->text(), rig.withZeroChar(plain) + t.LngCallSep);
    QCOMPARE(rig.cell(4).lblFrom->text(), QString());
    QCOMPARE(rig.cell(4).shapeColor(), rig.w().palette().color(QPalette::Window));
    QVERIFY(rig.site(plain).LastPictureDate.isEmpty());

    for (int slot : {0, 1, 4}) {
        ThumbCell &c = rig.cell(slot);
        QVERIFY(!c.isProgressShown());
        QVERIFY(!c.isWaiting());
        QVERIFY(c.isSenderShown());
        QVERIFY(!c.img->pixmap().isNull());
        QVERIFY(c.AniGIF()->isHidden());
        QVERIFY(c.AniGIF()->isEmpty());
    }
    QCOMPARE(rig.shownImage(0).size(), QSize(320, 240));

    // Nothing new: one check request per site, no picture at all.
    rig.server.clearRequests();
    QVERIFY(rig.reload());
    for (const QString &call : {fresh, old, plain}) {
        QCOMPARE(rig.requests(Rig::checkPath(call)), 1);
        QCOMPARE(rig.requests(Rig::picturePath(call)), 0);
    }
    QCOMPARE(readBytes(rig.slotFile(0)), freshPicture);
    QCOMPARE(rig.cell(0).lblCall->text(), ageCaption(freshCall, 2, t));

    // One site publishes a new picture: only it is fetched.
    rig.server.clearRequests();
    const QByteArray newer = stillPicture(u"newer"_s);
    rig.setCheck(fresh, 1, 101);
    rig.setPicture(fresh, newer + trailer(u"XX9NEW"_s, u"OK"_s, kNow.addSecs(-600)));
    QVERIFY(rig.reload());
    QCOMPARE(rig.requests(Rig::picturePath(fresh)), 1);
    QCOMPARE(rig.requests(Rig::picturePath(old)), 0);
    QCOMPARE(rig.requests(Rig::picturePath(plain)), 0);
    QCOMPARE(readBytes(rig.slotFile(0)), newer);
    QCOMPARE(rig.table(0, stFrom), u"XX9NEW"_s);
    // Today's picture: the check picture's caption stays.
    QCOMPARE(rig.cell(0).lblCall->text(), freshCall + t.LngNewPicPrefix);

    // A changed height with a width other than 1 is remembered, not fetched.
    rig.server.clearRequests();
    rig.setCheck(fresh, 2, 102);
    QVERIFY(rig.reload());
    QCOMPARE(rig.requests(Rig::picturePath(fresh)), 0);
    QCOMPARE(rig.table(0, stCheckHeight), u"102"_s);
    QCOMPARE(rig.cell(0).lblCall->text(), freshCall + t.LngCallSep);
    QCOMPARE(rig.cell(0).shapeColor(), rig.w().palette().color(QPalette::Window));
    QCOMPARE(readBytes(rig.slotFile(0)), newer);
}

void PageRoadTest::withoutCheckPictureEveryPassFetches() {
    Rig rig;
    const QString call = u"AB1CD"_s;
    rig.place(call, 2);
    rig.setFailure(Rig::checkPath(call), 404);
    rig.setPicture(call, stillPicture(u"x"_s));
    QVERIFY(rig.start());
    QVERIFY(rig.waitForPassEnd());
    QVERIFY(rig.reload());
    QCOMPARE(rig.requests(Rig::checkPath(call)), 2);
    QCOMPARE(rig.requests(Rig::picturePath(call)), 2);
    QCOMPARE(rig.table(2, stCheckHeight), u"0"_s);
    QVERIFY(!rig.cell(2).img->pixmap().isNull());
}

void PageRoadTest::failuresShowThePlaceholder_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("pictureRead");
    QTest::addColumn<QString>("earlierDate");
    QTest::newRow("picture answers 404") << u"404"_s << false << QString();
    QTest::newRow("bytes that are no picture") << u"garbage"_s << true << QString();
    QTest::newRow("a picture that reads but does not decode")
        << u"undecodable"_s << true << QString();
    QTest::newRow("a site that failed before keeps its date")
        << u"404"_s << false << u"03/01/2024 20:30"_s;
}

void PageRoadTest::failuresShowThePlaceholder() {
    QFETCH(QString, failure);
    QFETCH(bool, pictureRead);
    QFETCH(QString, earlierDate);
    Rig rig;
    const QString call = u"AB1CD"_s;
    const QString good = u"ZZ9ZZ"_s;
    rig.place(call, 3, 1, earlierDate);
    rig.placeServed(good, 0, 60, stillPicture(u"good"_s));
    rig.setCheck(call, 1, 50);
    if (failure == u"404") {
        rig.setFailure(Rig::picturePath(call), 404);
    } else if (failure == u"garbage") {
        rig.setPicture(call,
                       QByteArray("this is no picture") + trailer(u"XX9ABC"_s, u"OK"_s, kNow));
    } else {
        rig.setPicture(call, pngBomb());
    }

    QVERIFY(rig.start());
    QVERIFY(rig.waitForPassEnd());
    // Counted once, however many steps saw it fail.
    QCOMPARE(rig.state.page.ExpectedCount, 2);
    QCOMPARE(rig.state.page.FinishedCount, 2);

    ThumbCell &c = rig.cell(3);
    // A picture is decoded off the window's thread: its failure shows a moment later.
    QTRY_COMPARE(rig.table(3, stFrom), u"Not found"_s);
    QCOMPARE(c.lblFrom->text(), QString());
    QVERIFY(!c.isProgressShown());
    QVERIFY(c.AniGIF()->isHidden());
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

    // While the next pass waits for a slow check picture, the placeholder
    // stands alone: no "Loading..." beside "failed".
    Route slow;
    slow.body = checkPicture(1, 50);
    slow.delayMs = 300;
    rig.server.setRoute(Rig::checkPath(call), slow);
    rig.page().FinishedCount = 0;
    rig.w().loader().LoadSstvPage();
    QVERIFY(!c.isWaiting());
    QCOMPARE(c.lblFrom->text(), QString());
    QVERIFY(rig.cell(0).isWaiting()); // a slot with its picture waits as before
    QVERIFY(rig.waitForPassEnd());
}

// A site whose check picture and picture are both bytes that are no picture is named once, not
// at every pass: the picture's bytes came, but they are not the site answering well.
void PageRoadTest::aSiteOfNoPicturesIsLoggedOnce() {
    Rig rig;
    const QString call = u"AB1CD"_s;
    rig.place(call, 0);
    rig.serve(Rig::checkPath(call), "no check picture here");
    rig.setPicture(call, "no picture here either");
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(u"download of "_s + rig.url(Rig::checkPath(call)) +
                                    u" failed: not a picture"_s));
    QTest::failOnWarning(QRegularExpression(u"^download of "_s));
    QVERIFY(rig.start());
    QVERIFY(rig.waitForPassEnd());
    for (int pass = 0; pass < 2; ++pass)
        QVERIFY(rig.reload());
    QCOMPARE(rig.requests(Rig::picturePath(call)), 3);
    QCOMPARE(rig.table(0, stFrom), u"Not found"_s);
}

// A picture folder that cannot be written: the user hears so once at start,
// naming it, and a picture that came but could not be kept says so, not
// that it was not found.
void PageRoadTest::unwritablePictureFolderIsToldAndShown() {
    Rig rig;
    const QString call = u"AB1CD"_s;
    rig.placeServed(call, 2, 60, stillPicture(u"came"_s) + trailer(u"XX9ABC"_s, u"OK"_s, kNow));
    // Root writes anywhere: a file where the folder goes stops it all the same.
    QVERIFY(provisionDataFolder(rig.state.paths).ok);
    QVERIFY(QDir(rig.data(u"images/sstv"_s)).removeRecursively());
    QVERIFY(writeBytes(rig.data(u"images/sstv"_s), "not a folder"));

    QVERIFY(rig.start());
    QCOMPARE(rig.prompts.calls.size(), 1);
    QVERIFY2(rig.prompts.calls[0].text.contains(rig.data(u"images/sstv"_s)),
             qPrintable(rig.prompts.calls[0].text));
    QVERIFY(rig.waitForPassEnd());
    const auto notStored = [&] {
        return renderPlaceholder(rig.cell(2).img->size(),
                                 slotNotFoundLines(rig.texts(), false, MissingPicture::NotStored))
            .convertToFormat(QImage::Format_RGB32);
    };
    QTRY_VERIFY(rig.shownImage(2) == notStored());
    QCOMPARE(rig.table(2, stFrom), u"Not found"_s);
    QVERIFY(rig.cell(2).lblFrom->text().contains(u"XX9ABC"_s));
    QCOMPARE(rig.prompts.calls.size(), 1);
}

void PageRoadTest::animatedPictureAnimates() {
    Rig rig;
    const QString call = u"AB1CD"_s;
    rig.placeServed(call, 0, 80,
                    animatedGifBytes(QSize(160, 120), {Qt::red, Qt::green, Qt::blue}, 50) +
                        trailer(u"XX9ABC"_s, u"OK"_s, kNow.addDays(-3)));
    QVERIFY(rig.start());
    QVERIFY(rig.waitForPassEnd());

    ThumbCell &c = rig.cell(0);
    QVERIFY(!c.AniGIF()->isHidden());
    QCOMPARE(c.AniGIF()->frameCount(), 3);
    QVERIFY(c.AniGIF()->isAnimating());
    QCOMPARE(rig.table(0, stInfo), u"Animated"_s);
    // An animation shows no age, however old its date.
    QCOMPARE(c.lblCall->text(), rig.withZeroChar(call) + rig.texts().LngNewPicPrefix);
    QCOMPARE(c.imgUnits().size(), QSize(117, 88));
}

void PageRoadTest::slowPictureShowsProgress() {
    Rig rig;
    const QString call = u"AB1CD"_s;
    Route trickle;
    trickle.trickleChunk = 8192;
    trickle.trickleIntervalMs = 25;
    const QByteArray picture = bmpBytes(QSize(320, 240));
    rig.placeServed(call, 5, 90, picture, trickle);
    QVERIFY(rig.start());

    SlotProgress *bar = rig.cell(5).picProg;
    QVERIFY(QTest::qWaitFor(
        [&] { return bar->isContentShown() && bar->percent() > 0 && bar->percent() < 100; },
        10000));
    QCOMPARE(bar->backColor(), rig.cell(5).shapeColor());
    QVERIFY(rig.waitForPassEnd());
    QVERIFY(!bar->isContentShown());
    QCOMPARE(readBytes(rig.slotFile(5)), picture);
}

void PageRoadTest::pageSwitchDropsLateAnswers() {
    Rig rig;
    rig.downloads.setTransferTimeout(std::chrono::seconds(10));
    const QString slowCheck = u"AA1AA"_s;
    const QString slowPicture = u"BB2BB"_s;
    const QString other = u"CC3CC"_s;
    rig.place(slowCheck, 0);
    Route late;
    late.delayMs = 1500;
    late.body = checkPicture(1, 40);
    rig.server.setRoute(Rig::checkPath(slowCheck), late);
    rig.setPicture(slowCheck, stillPicture(u"a"_s));
    Route trickle;
    trickle.delayMs = 600;
    trickle.trickleChunk = 4096;
    trickle.trickleIntervalMs = 50;
    rig.placeServed(slowPicture, 1, 41, bmpBytes(QSize(160, 120)), trickle);
    rig.place(other, 2, 2);
    rig.setCheck(other, 1, 42);
    rig.setPicture(other, stillPicture(u"c"_s));

    QVERIFY(rig.start());
    QVERIFY(
        QTest::qWaitFor([&] { return rig.requests(Rig::picturePath(slowPicture)) == 1; }, 10000));

    // To page 2 while both answers are on their way. The slot table keeps
    // page 1's callsigns in the slots page 2 leaves empty.
    PageState &page = rig.state.page;
    page.CurrentPage = 2;
    rig.w().grid().ArrangeThumbnailGrid();
    QVERIFY(rig.reload());
    QCOMPARE(page.ExpectedCount, 1);

    const QStringList files = QDir(rig.data(u"images/sstv"_s)).entryList(QDir::Files);
    const SiteList sites = rig.state.SiteList;
    QVERIFY(rig.waitForQuiet());
    QCOMPARE(QDir(rig.data(u"images/sstv"_s)).entryList(QDir::Files), files);
    QVERIFY(!QFileInfo::exists(rig.slotFile(0)));
    QVERIFY(!QFileInfo::exists(rig.slotFile(1)));
    QCOMPARE(rig.state.SiteList, sites);
    QCOMPARE(page.ExpectedCount, 1);
    QCOMPARE(page.FinishedCount, 1);
    for (int slot : {0, 1}) {
        QVERIFY2(rig.cell(slot).isBlank(), qPrintable(QString::number(slot)));
        QVERIFY(!rig.cell(slot).isWaiting());
    }
    QCOMPARE(rig.requests(Rig::picturePath(slowCheck)), 0);
    QVERIFY(rig.passEnded());
}

void PageRoadTest::answersFollowTheSiteNotTheIndex_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("the list was re-sorted") << u"resorted"_s;
    QTest::newRow("the slot was emptied") << u"emptied"_s;
    QTest::newRow("the slot shows another site") << u"reassigned"_s;
}

void PageRoadTest::answersFollowTheSiteNotTheIndex() {
    QFETCH(QString, change);
    Rig rig;
    rig.downloads.setTransferTimeout(std::chrono::seconds(10));
    const QString first = u"AB1CD"_s;
    const QString slow = u"EF2GH"_s;
    const QString unplaced = u"XY9XY"_s;
    rig.placeServed(first, 0, 10, stillPicture(u"first"_s));
    Route late;
    late.delayMs = 800;
    const QByteArray picture = stillPicture(u"slow"_s);
    rig.placeServed(slow, 1, 11, picture + trailer(u"XX9ABC"_s, u"OK"_s, kNow), late);
    rig.place(unplaced, 0, 3);
    QVERIFY(rig.start());
    QVERIFY(QTest::qWaitFor([&] { return rig.requests(Rig::picturePath(slow)) == 1; }, 10000));

    SiteList &sites = rig.state.SiteList;
    SlotTable &table = rig.state.page.SlotTable;
    if (change == u"resorted") {
        SiteRecord added;
        added.Callsign = u"CD5EF"_s;
        sites.insert(1, added); // the slow site moves from index 1 to 2
    } else if (change == u"emptied") {
        rig.w().clearSlot(1);
    } else {
        table.setValue(1, stSiteCall, rig.withZeroChar(unplaced));
        table.setValue(1, stSiteIndex, u"2"_s);
    }

    QVERIFY(rig.waitForPassEnd());
    QVERIFY(rig.waitForQuiet());
    QCOMPARE(rig.state.page.FinishedCount, 2);
    if (change == u"resorted") {
        QCOMPARE(readBytes(rig.slotFile(1)), picture);
        QCOMPARE(rig.site(slow).LastPictureDate, storedDate(kNow));
        QVERIFY(rig.site(u"CD5EF"_s).LastPictureDate.isEmpty());
        QCOMPARE(rig.table(1, stFrom), u"XX9ABC"_s);
    } else {
        QVERIFY(!QFileInfo::exists(rig.slotFile(1)));
        QVERIFY(rig.site(slow).LastPictureDate.isEmpty());
        QVERIFY(rig.site(unplaced).LastPictureDate.isEmpty());
        QCOMPARE(rig.table(1, stFrom), QString());
        QVERIFY(rig.cell(1).img->pixmap().isNull());
        QVERIFY(!rig.cell(1).isProgressShown());
    }
}

void PageRoadTest::oddPlacementsStillEndThePass() {
    Rig rig;
    // Slot 12 is beyond the ten cells of the grid; two sites claim slot 3.
    rig.place(u"AB1CD"_s, 12, 1, QString(), QChar(u'C'));
    rig.place(u"EF2GH"_s, 3);
    rig.place(u"IJ3KL"_s, 3);
    rig.place(u"MN4OP"_s, 0);
    for (const char *call : {"AB1CD", "EF2GH", "IJ3KL", "MN4OP"}) {
        rig.setCheck(QLatin1String(call), 1, 30);
        rig.setPicture(QLatin1String(call), stillPicture(QLatin1String(call)));
    }
    QVERIFY(rig.start());
    QVERIFY(rig.waitForPassEnd());
    QCOMPARE(rig.state.page.ExpectedCount, 2);
    // The later site of the list has the slot.
    QCOMPARE(rig.table(3, stSiteCall), rig.withZeroChar(u"IJ3KL"_s));
    QCOMPARE(rig.requests(Rig::checkPath(u"AB1CD"_s)), 0);
    QCOMPARE(rig.requests(Rig::picturePath(u"IJ3KL"_s)), 1);
    QCOMPARE(rig.w().loader().List1,
             (QStringList{u"EF2GH    4"_s, u"IJ3KL    4"_s, u"MN4OP    1"_s}));
}

void PageRoadTest::wxPageFetchesDirectly() {
    Rig rig;
    // A data folder whose path holds "sstv" must not give WX pictures an age.
    rig.state.paths.dataFolder = rig.root + u"/sstv-home/tavimo"_s;
    // The SSTV site at index 0 has an old picture date that must stay its own.
    const QString oldDate = storedDate(kNow.addDays(-40));
    rig.place(u"AB1CD"_s, 0, 1, oldDate);
    rig.addWxSite(u"NOAA 19"_s, "1", u"/noaa19/image1"_s);
    rig.addWxSite(u"METEOR"_s, "3", u"/meteor/latest.jpg"_s);
    const QByteArray picture = stillPicture(u"wx"_s, QSize(512, 384));
    Route ok;
    ok.body = picture + trailer(u"NOAA"_s, u"pass"_s, kNow.addDays(-5));
    rig.server.setRoute(u"/noaa19/image1"_s, ok);
    rig.setFailure(u"/meteor/latest.jpg"_s, 404);

    QVERIFY(rig.start(1));
    QVERIFY(rig.waitForPassEnd());
    QVERIFY(rig.state.page.isWxPage());
    QCOMPARE(rig.state.page.ExpectedCount, 2);
    QCOMPARE(rig.requests(u"/noaa19/checknew.jpg"_s), 0);
    QCOMPARE(rig.requests(u"/noaa19/image1"_s), 1);
    QCOMPARE(rig.requests(u"/meteor/latest.jpg"_s), 1);

    QCOMPARE(readBytes(rig.slotFile(0, true)), picture);
    QCOMPARE(rig.cell(0).lblCall->text(), u"NOAA 19"_s);
    QCOMPARE(rig.cell(0).lblFrom->text(), rig.texts().LngFromPrefix + u"NOAA"_s);
    QVERIFY(rig.cell(0).shapeColor() != oldPictureFrameColour());
    QCOMPARE(rig.table(0, stTime), QString());

    QCOMPARE(rig.cell(2).lblCall->text(), u"METEOR"_s);
    QCOMPARE(rig.shownImage(2), rig.placeholder(2, true, false));
    QCOMPARE(rig.site(u"AB1CD"_s).LastPictureDate, oldDate);

    // Fetched again while its site still fails: "Loading..." goes with the
    // placeholder.
    rig.state.page.SelectedSlot = 2;
    rig.w().loader().StartSlotFetch();
    QCOMPARE(rig.cell(2).lblFrom->text(), rig.texts().LngLoading);
    QTRY_VERIFY(rig.requests(u"/meteor/latest.jpg"_s) == 2 &&
                rig.w().loader().fetcher()->pendingCount() == 0);
    QCOMPARE(rig.cell(2).lblFrom->text(), QString());

    // Fetching the failed slot again, once its site answers.
    const QByteArray back = stillPicture(u"meteor"_s, QSize(512, 384));
    Route meteor;
    meteor.body = back;
    rig.server.setRoute(u"/meteor/latest.jpg"_s, meteor);
    rig.state.page.SelectedSlot = 2;
    rig.w().loader().StartSlotFetch();
    QVERIFY(QTest::qWaitFor(
        [&] {
            return readBytes(rig.slotFile(2, true)) == back &&
                   rig.shownImage(2).size() == QSize(512, 384);
        },
        10000));
    QCOMPARE(rig.requests(u"/meteor/checknew.jpg"_s), 0);
}

// A site rewriting its picture in place, pass after pass. Answers in the order asked for:
// o(ld) whole, w(hole) new, 0 empty, a to f the new one cut ever longer; the check picture's
// height per pass (the first is 2 pixels wide: nothing announced, the others 1). Per pass:
// the requests of the picture and what the slot shows after it (0: the placeholder). A kept
// answer leaves the slot as it was, caption and frame too; a new picture shown is marked new.
void PageRoadTest::cutAnswersLeaveTheSlotAsItWas_data() {
    QTest::addColumn<QString>("checks");
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QString>("requests");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a new picture met while written at three passes") << "12345"
                                                                     << "oabcdefw"
                                                                     << "12221"
                                                                     << "oooow";
    QTest::newRow("cut for good: shown at its second request, asked at every pass") << "1222"
                                                                                    << "oaaaa"
                                                                                    << "1211"
                                                                                    << "oaaa";
    QTest::newRow("a write that stands still past a pass, then ends") << "1222"
                                                                      << "oaaaw"
                                                                      << "1211"
                                                                      << "oaaw";
    QTest::newRow("one empty answer is never shown, two are, until the whole picture") << "1222"
                                                                                       << "o0a00w"
                                                                                       << "1221"
                                                                                       << "oo0w";
    QTest::newRow("a write that pauses longer than the wait") << "122"
                                                              << "oaaw"
                                                              << "121"
                                                              << "oaw";
}

void PageRoadTest::cutAnswersLeaveTheSlotAsItWas() {
    QFETCH(QString, checks);
    QFETCH(QString, answers);
    QFETCH(QString, requests);
    QFETCH(QString, shown);
    Rig rig;
    const QString call = u"AB1CD"_s;
    const QByteArray rewritten = stillPicture(u"rewritten"_s);
    QHash<QChar, QByteArray> bytes{{u'o', stillPicture(u"old"_s)}, {u'w', rewritten}, {u'0', {}}};
    for (int k = 0; k < 6; ++k)
        bytes[QChar(u'a' + k)] = rewritten.left(rewritten.size() * (k + 1) / 7);
    std::atomic<int> asked = 0;
    rig.place(call, 0);
    rig.server.setHandler([&](const RecordedRequest &request) -> std::optional<Route> {
        if (request.path != Rig::picturePath(call).toLatin1())
            return std::nullopt;
        Route route;
        route.body = bytes.value(answers.at(std::min<int>(asked++, answers.size() - 1)));
        return route;
    });
    rig.window().loader().setCutRetryDelay(std::chrono::milliseconds(50));
    QString keptCaption; // nothing announced
    QColor keptFrame;
    int total = 0;
    for (int pass = 0; pass < checks.size(); ++pass) {
        rig.setCheck(call, pass == 0 ? 2 : 1, checks.at(pass).digitValue());
        QVERIFY(pass == 0 ? rig.start() && rig.waitForPassEnd() : rig.reload());
        total += requests.at(pass).digitValue();
        QVERIFY(QTest::qWaitFor([&] { return asked == total; }, 5000));
        QTest::qWait(150); // no request more
        QVERIFY(rig.waitForQuiet());
        QCOMPARE(int(asked), total);
        rig.w().loader().flushSlotPictures();
        QCOMPARE(readBytes(rig.slotFile(0)), bytes.value(shown.at(pass)));
        if (shown.at(pass) == u'0')
            QCOMPARE(rig.shownImage(0), rig.placeholder(0, false, true));
        if (pass == 0) {
            keptCaption = rig.cell(0).lblCall->text();
            keptFrame = rig.cell(0).shapeColor();
        } else if (shown.at(pass) == u'o') {
            QCOMPARE(rig.cell(0).lblCall->text(), keptCaption);
            QCOMPARE(rig.cell(0).shapeColor(), keptFrame);
        } else if (shown.at(pass) != shown.at(pass - 1)) {
            // Shown at its second request, with the look its check picture gave.
            QCOMPARE(rig.cell(0).shapeColor(), newPictureFrameColour());
        }
    }
    rig.server.setHandler({});
}

// Without check pictures, each WX slot judges its own answers: one site is being written at
// every pass, the other serves the same cut picture every time. The close ends the waits.
void PageRoadTest::wxCutAnswersAreJudgedPerSlot() {
    Rig rig;
    rig.place(u"AB1CD"_s, 0); // the SSTV list the program needs to start
    rig.addWxSite(u"NOAA 19"_s, "1", u"/noaa19/latest.jpg"_s);
    rig.addWxSite(u"METEOR"_s, "2", u"/meteor/latest.jpg"_s);
    const QSize size(512, 384);
    const QByteArray meteor = stillPicture(u"meteor"_s, size).chopped(2);
    rig.serve(u"/meteor/latest.jpg"_s, meteor);
    const QByteArray noaa = stillPicture(u"noaa"_s, size);
    std::atomic<int> asked = 0;
    rig.server.setHandler([&](const RecordedRequest &request) -> std::optional<Route> {
        if (request.path != "/noaa19/latest.jpg")
            return std::nullopt;
        Route route;
        route.body = noaa.left(1000 + 500 * asked++);
        return route;
    });
    rig.window().loader().setCutRetryDelay(std::chrono::milliseconds(50));
    for (int pass = 1; pass <= 3; ++pass) {
        if (pass == 1) {
            QVERIFY(rig.start(1) && rig.waitForPassEnd());
        } else {
            rig.page().FinishedCount = 0;
            rig.w().loader().LoadWxPage();
            QVERIFY(!rig.passEnded() && rig.waitForPassEnd());
        }
        QVERIFY(QTest::qWaitFor([&] { return asked == 2 * pass; }, 5000));
        // The next pass would find the second read still running, and keep it.
        QVERIFY(rig.waitForQuiet());
        QTRY_VERIFY(rig.cell(1).img->hasPicture());
        QVERIFY(!rig.cell(0).img->hasPicture());
    }
    rig.w().loader().flushSlotPictures();
    QCOMPARE(readBytes(rig.slotFile(1, true)), meteor);
    QCOMPARE(rig.requests(u"/meteor/latest.jpg"_s), 4);

    // Once the window closes, a slot waiting to ask again asks for nothing.
    rig.window().loader().setCutRetryDelay(std::chrono::milliseconds(1000));
    rig.page().FinishedCount = 0;
    rig.w().loader().LoadWxPage();
    QVERIFY(rig.waitForQuiet());
    rig.w().loader().cancelAll();
    QTest::qWait(1100);
    QCOMPARE(int(asked), 7);
    rig.server.setHandler({});
}

// The page reloads faster than the transfer timeout: the passes still end, so
// the update check runs and the Refresh item comes back.
void PageRoadTest::passesEndAroundAStalledSite() {
    Rig rig;
    // A reload every 30 ticks of 10 ms, the transfer timeout 500 ms.
    rig.sstvTick = std::chrono::milliseconds(10);
    rig.writeConfig(4, 1, 0, 30);
    rig.place(u"AB1CD"_s, 0);
    rig.servePicture(Rig::picturePath(u"AB1CD"_s), u"AB1CD"_s);
    rig.place(u"EF2GH"_s, 1);
    Route stall;
    stall.stall = true;
    rig.server.setRoute(Rig::checkPath(u"EF2GH"_s), stall);
    rig.setPicture(u"EF2GH"_s, QByteArray(), stall);
    rig.serve(u"/home/"_s, "<html>no news</html>");
    rig.state.endpoints.HomePage = rig.url(u"/home/"_s);
    QSignalSpy passes(&rig.state.events, &AppEvents::passFinished);

    QVERIFY(rig.startUp());
    QTRY_VERIFY_WITH_TIMEOUT(passes.size() > 0, 5000);
    QVERIFY(rig.sstvReloads > 0); // the first pass outlived at least one reload
    QTRY_COMPARE(rig.server.requestCount(u"/home/"_s), 1);
    QVERIFY(!rig.page().UpdateCheckPending);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.loadingLook(), 5000);
    rig.closeWindow();
}

// Showing or hiding a part would cost a round trip to the X server with the
// pointer over the window; every picture still ends decoded at its cell's size.
void PageRoadTest::passShowsAndHidesNoPartOfACell() {
    Rig rig;
    rig.writeConfig(2, 0);
    rig.place(u"AB1CD"_s, 0);
    rig.servePicture(Rig::picturePath(u"AB1CD"_s), u"AB1CD"_s);
    rig.place(u"EF2GH"_s, 1);
    rig.setPicture(u"EF2GH"_s, animatedGifBytes(QSize(64, 48), {Qt::red, Qt::green}));
    rig.place(u"IJ3KL"_s, 2); // not found
    QVERIFY(rig.startShown());
    rig.w().grid().waitForDecodes();

    ShowHideCounter counter;
    for (ThumbCell *cell : rig.w().grid().cells())
        counter.watch(cell->findChildren<QWidget *>());
    for (int pass = 0; pass < 3; ++pass) {
        rig.page().SlotTable.erase(); // every picture counts as new
        rig.click(u"mnuRefresh"_s);
        QVERIFY(rig.waitForQuiet());
    }
    QCOMPARE(counter.seen, QStringList());

    rig.w().grid().waitForDecodes();
    QCoreApplication::processEvents();
    QVERIFY(rig.cell(0).img->isDecoded());
    QVERIFY(!rig.cell(0).img->holdsBytes()); // its file stands in for them
    QVERIFY(rig.cell(1).AniGIF()->playsDecodedFrames() && rig.cell(1).AniGIF()->isAnimating());
    QVERIFY(!rig.cell(2).img->isDecoded()); // the placeholder, drawn as it is
    rig.closeWindow();
}

QTEST_MAIN(PageRoadTest)
#include "tst_pageroad.moc"
