// The road of one picture through the main window: a page load places the
// sites and asks each for its check picture; the check picture decides
// whether the picture itself is fetched; the picture is stored without its
// trailer and shown, with its age, or a placeholder takes its place; and once
// every slot of the page has finished, the pass ends.
//
// The decisions live in core (PagePlan, DownloadKeys, CheckPicture,
// SlotPictures, PictureAge, NotFoundCanvas); what is here applies them to the
// cells.

#include "mainwindow/PageRoad.h"

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "core/base/Numbers.h"
#include "core/net/DownloadControl.h"
#include "core/thumbs/CheckPicture.h"
#include "core/thumbs/NotFoundCanvas.h"
#include "core/thumbs/PictureAge.h"
#include "core/thumbs/SlotPictures.h"
#include "mainwindow/Logging.h"
#include "mainwindow/MainWindow.h"
#include "ui/AnimatedPicture.h"
#include "ui/MenuBarPainter.h"
#include "ui/ThumbCell.h"

#include <QAction>
#include <QCursor>
#include <QFile>
#include <QPixmap>

#include <algorithm>

namespace tavimo {

namespace {

// The picture area of a cell, from the frame's corner.
constexpr int kPictureTop = 4;
constexpr double kFitWidth = 118;
constexpr double kFitHeight = 88;
constexpr int kCentreX = 65;
constexpr int kCentreY = 49;
// The placeholder sits one unit further right, at the full picture size.
constexpr int kPlaceholderLeft = 5;
constexpr int kPlaceholderWidth = 120;
constexpr int kPlaceholderHeight = 90;

const QString kAnimated = QStringLiteral("Animated");
const QString kViewerName = QStringLiteral("PictureViewer");

int rounded(double value) {
    return int(roundHalfEven(value));
}

QRect roundedRect(const QRectF &r) {
    return QRect(rounded(r.x()), rounded(r.y()), rounded(r.width()), rounded(r.height()));
}

// The bar of a download that starts, drawn on the cell's colour.
void showEmptyProgress(ThumbCell &c) {
    c.picProg->setPercent(0);
    c.picProg->setBackColor(c.shapeColor());
    c.picProg->show();
}

} // namespace

QRectF fitPictureInCell(QSize picture, const QRect &shape1) {
    const double w = picture.width();
    const double h = picture.height();
    if (w <= 0 || h <= 0)
        return {};
    const double s = h / w < kFitHeight / kFitWidth ? w / kFitWidth : h / kFitHeight;
    const double dw = w / s;
    const double dh = h / s;
    return QRectF(shape1.left() + kCentreX - dw / 2, shape1.top() + kCentreY - dh / 2, dw, dh);
}

// ---- Wiring ----------------------------------------------------------------------

void MainWindow::connectPageRoad() {
    // One thread keeps the writes of a slot's file in the order they came.
    slotFileWriter_.setMaxThreadCount(1);
    connect(ucCkNew, &DownloadControl::ready, this, &MainWindow::ucCkNew_PictureReady);
    connect(ucCkNew, &DownloadControl::failed, this, &MainWindow::ucCkNew_NoCkNew);
    connect(ucDnLoad, &DownloadControl::ready, this, &MainWindow::ucDnLoad_PictureReady);
    connect(ucDnLoad, &DownloadControl::failed, this, &MainWindow::ucDnLoad_NoImage);
    connect(ucDnLoad, &DownloadControl::progress, this, &MainWindow::ucDnLoad_Progress);
}

// ---- Page loading ------------------------------------------------------------------

void MainWindow::LoadSstvPage() {
    AppState &s = state_;
    PageState &page = s.page;
    const PagePlan plan = planSstvPage(s.SiteList, page.CurrentPage, s.config.ThumbSetting,
                                       page.SlotCount, s.ZeroChar);
    List1 = plan.List1;

    QList<bool> placed(cells_.size(), false);
    for (const PlannedSlot &p : plan.placed) {
        ThumbCell *c = cell(p.slot);
        if (!c)
            continue;
        placed[p.slot] = true;
        c->lblCall->setText(p.caption);
        c->lblConnect->setText(s.texts.LngLoading);
        c->lblConnect->show();
        c->lblFrom->hide();
    }
    // A cell that waits for nothing shows no waiting text, also when it
    // waited on the page shown before.
    for (int slot = 0; slot < cells_.size(); ++slot) {
        if (!placed[slot])
            cells_[slot]->lblConnect->hide();
    }
    plan.writeSlotTable(page.SlotTable);

    startPagePass(plan.slotNumbers());
    for (const PlannedSlot &p : plan.placed) {
        page.CurrentUrl = p.url;
        requestCheckPicture(p.slot, p.site, p.checkUrl);
    }
    // No pass end will come to put the plain item back.
    if (plan.placed.isEmpty())
        restorePlainMenuText(mnuRefresh, mnuRefresh->text());
}

void MainWindow::LoadWxPage() {
    AppState &s = state_;
    PageState &page = s.page;
    const PagePlan plan =
        planWxPage(s.WxSiteList, page.CurrentPage, s.config.ThumbSetting, page.SlotCount);

    for (const PlannedSlot &p : plan.placed) {
        ThumbCell *c = cell(p.slot);
        if (!c)
            continue;
        c->lblCall->setText(p.caption);
        c->lblFrom->setText(s.texts.LngLoading);
        c->lblFrom->show();
    }
    // Nothing on this page waits for a check picture.
    for (ThumbCell *c : std::as_const(cells_))
        c->lblConnect->hide();

    startPagePass(plan.slotNumbers());
    for (const PlannedSlot &p : plan.placed) {
        if (ThumbCell *c = cell(p.slot))
            c->lblFrom->setText(QString());
        page.CurrentUrl = p.url;
        requestWxPicture(p.slot, p.url, p.caption);
    }
    if (plan.placed.isEmpty())
        restorePlainMenuText(mnuRefresh, mnuRefresh->text());
}

// ---- Requests ------------------------------------------------------------------------

void MainWindow::requestCheckPicture(int slot, int site, const QString &url) {
    if (!ucCkNew || site < 0 || site >= state_.SiteList.size())
        return;
    const QString key = checkKey(slot);
    checkRequests_.insert(key,
                          SlotRequest{state_.page.CurrentPage, state_.SiteList[site].Callsign});
    ucCkNew->DownloadPicture(url, key);
}

void MainWindow::requestSlotPicture(int slot, int site) {
    PageState &page = state_.page;
    if (!ucDnLoad || page.isWxPage() || site < 0 || site >= state_.SiteList.size())
        return;
    const SiteRecord &record = state_.SiteList[site];
    page.CurrentUrl = requestUrl(record.PictureUrl);
    const QString key = pictureKey(page.CurrentPage, slot, site);
    pictureRequests_.insert(key, SlotRequest{page.CurrentPage, record.Callsign});
    if (ThumbCell *c = cell(slot))
        showEmptyProgress(*c);
    ucDnLoad->DownloadFile(page.CurrentUrl, key);
}

void MainWindow::requestWxPicture(int slot, const QString &url, const QString &name) {
    if (!ucDnLoad)
        return;
    const QString key = pictureKey(state_.page.CurrentPage, slot);
    pictureRequests_.insert(key, SlotRequest{state_.page.CurrentPage, name});
    if (ThumbCell *c = cell(slot))
        showEmptyProgress(*c);
    ucDnLoad->DownloadFile(url, key);
}

void MainWindow::StartSlotFetch() {
    AppState &s = state_;
    PageState &page = s.page;
    const int slot = page.SelectedSlot;
    ThumbCell *c = cell(slot);
    const QString caption = c ? c->lblCall->text() : QString();
    const std::optional<PlannedSlot> planned =
        planSlotRefetch(slot, page, page.SlotTable, s.SiteList, s.WxSiteList, caption);
    if (c && !caption.isEmpty())
        c->lblFrom->setText(s.texts.LngLoading);
    if (!planned)
        return;
    page.CurrentUrl = planned->url;
    if (!page.isWxPage())
        requestCheckPicture(slot, planned->site, planned->checkUrl);
    else
        requestWxPicture(slot, planned->url, planned->caption);
}

// ---- Whether an answer still belongs ---------------------------------------------------

bool MainWindow::requestStillFits(const std::optional<SlotRequest> &request,
                                  const SlotTarget &target) {
    if (!request)
        return true;
    if (state_.page.isWxPage()) {
        const ThumbCell *c = cell(target.slot);
        return c && c->lblCall->text() == request->call;
    }
    return target.site >= 0 && target.site < state_.SiteList.size() &&
           storedCallsign(state_.SiteList[target.site].Callsign) == storedCallsign(request->call);
}

void MainWindow::dropAnswer(int slot) {
    finishSlot(slot);
    const PageState &page = state_.page;
    if (!page.isWxPage() && page.SlotTable.value(slot, stSiteCall).isEmpty()) {
        if (ThumbCell *c = cell(slot))
            c->lblConnect->hide();
    }
    applyEndOfPassRule();
}

std::optional<SlotTarget> MainWindow::checkAnswerTarget(const QString &key) {
    const PageState &page = state_.page;
    const std::optional<SlotRequest> request =
        checkRequests_.contains(key) ? std::optional(checkRequests_.take(key)) : std::nullopt;
    const std::optional<CheckKey> parsed = parseCheckKey(key);
    const std::optional<int> slot = parsed ? shownSlot(*parsed, page) : std::nullopt;
    if (!slot)
        return std::nullopt;
    // Check keys carry no page: an answer asked for on another page is not
    // this pass's business, whatever the slot shows now.
    if (request && request->page != page.CurrentPage)
        return std::nullopt;
    const std::optional<SlotTarget> target =
        answerStillFits(*parsed, page, page.SlotTable, state_.SiteList);
    if (target && requestStillFits(request, *target))
        return target;
    dropAnswer(*slot);
    return std::nullopt;
}

std::optional<SlotTarget> MainWindow::pictureAnswerTarget(const QString &key, AnswerUse use) {
    const PageState &page = state_.page;
    std::optional<SlotRequest> request;
    if (const auto it = pictureRequests_.constFind(key); it != pictureRequests_.cend()) {
        request = *it;
        if (use == AnswerUse::Outcome)
            pictureRequests_.erase(it);
    }
    const std::optional<PictureKey> parsed = parsePictureKey(key);
    const std::optional<int> slot = parsed ? shownSlot(*parsed, page) : std::nullopt;
    if (!slot)
        return std::nullopt;
    const std::optional<SlotTarget> target =
        answerStillFits(*parsed, page, page.SlotTable, state_.SiteList);
    if (target && requestStillFits(request, *target))
        return target;
    if (use == AnswerUse::Outcome)
        dropAnswer(*slot);
    return std::nullopt;
}

// ---- Answers -------------------------------------------------------------------------

void MainWindow::ucCkNew_PictureReady(const QString &Ky) {
    const std::optional<SlotTarget> target = checkAnswerTarget(Ky);
    ThumbCell *c = target ? cell(target->slot) : nullptr;
    if (!c)
        return;
    AppState &s = state_;
    PageState &page = s.page;
    const int slot = target->slot;
    const int site = target->site;

    const CheckJudgement j =
        judgeCheckPicture(page.SlotTable.value(slot, stSiteCall), ucCkNew->Picture().size(),
                          page.SlotTable.value(slot, stCheckHeight), s.texts);
    c->lblCall->setText(j.caption);
    c->setShapeColor(j.frameColour.value_or(backColor()));
    page.CurrentUrl = requestUrl(s.SiteList[site].PictureUrl);
    c->lblConnect->hide();
    c->lblFrom->show();
    page.SlotTable.setValue(slot, stCheckHeight, j.checkHeight);

    if (j.decision == CheckDecision::NoNewPicture) {
        finishSlot(slot);
        ShowPictureAge(slot, site);
    } else {
        // Only older versions left such files: one look per pass will do.
        if (!strayImage1Checked_) {
            strayImage1Checked_ = true;
            removeStrayImage1Files(s.paths.data(QStringLiteral("images/sstv")));
        }
        requestSlotPicture(slot, site);
    }
    applyEndOfPassRule();
}

void MainWindow::ucCkNew_NoCkNew(const QString &id) {
    const std::optional<SlotTarget> target = checkAnswerTarget(id);
    ThumbCell *c = target ? cell(target->slot) : nullptr;
    if (!c)
        return;
    // Without a check picture the picture is fetched in full every time.
    state_.page.SlotTable.setValue(target->slot, stCheckHeight, QStringLiteral("0"));
    c->lblConnect->hide();
    c->lblFrom->show();
    requestSlotPicture(target->slot, target->site);
}

void MainWindow::ucDnLoad_NoImage(const QString &id) {
    const std::optional<SlotTarget> target = pictureAnswerTarget(id, AnswerUse::Outcome);
    if (!target)
        return;
    SlotTable &table = state_.page.SlotTable;
    table.setValue(target->slot, stFrom, QString());
    table.setValue(target->slot, stInfo, QString());
    table.setValue(target->slot, stTime, QString());
    ShowNotFound(target->slot, target->site, false);
}

void MainWindow::ucDnLoad_Progress(const QString &id, qint64 BytesMax, qint64 BytesDone) {
    const std::optional<SlotTarget> target = pictureAnswerTarget(id, AnswerUse::Progress);
    ThumbCell *c = target ? cell(target->slot) : nullptr;
    if (!c)
        return;
    c->picProg->setBackColor(c->shapeColor());
    if (BytesDone >= BytesMax) {
        c->picProg->hide();
        return;
    }
    c->picProg->setPercent(rounded(double(BytesDone) / (double(BytesMax) / 100)));
    c->picProg->show();
}

void MainWindow::ucDnLoad_PictureReady(const QString &id, const QByteArray &bytes) {
    AppState &s = state_;
    const std::optional<SlotTarget> target = pictureAnswerTarget(id, AnswerUse::Outcome);
    ThumbCell *c = target ? cell(target->slot) : nullptr;
    if (!c)
        return;
    PageState &page = s.page;
    finishSlot(target->slot);
    const SlotAnswer answer = takeSlotAnswer(bytes, *target, page.isWxPage(), page.SlotTable,
                                             s.SiteList, s.texts, s.ZeroChar);
    const QString file = slotPictureFile(s.paths, page.isWxPage(), target->slot);
    writeSlotPictureLater(file, answer.picture);
    c->lblFrom->setText(answer.lblFrom);
    ShowSlotPicture(file, target->slot, target->site, answer.picture);
    applyEndOfPassRule();
}

void MainWindow::writeSlotPictureLater(const QString &file, const QByteArray &picture) {
    slotFileWriter_.start([file, picture] {
        const WriteResult written = replaceCachedPicture(file, picture);
        if (!written.ok) {
            // No older picture may stand in for this one under its captions.
            qCWarning(lcMainWindow) << "slot picture not stored:" << written.error;
            QFile::remove(file);
        }
    });
}

void MainWindow::flushSlotPictures() {
    slotFileWriter_.waitForDone();
}

// ---- The pass ------------------------------------------------------------------------

void MainWindow::startPagePass(const QList<int> &slotList) {
    pass_.start(slotList);
    // A page without sites has no end to wait for: the loader puts the plain
    // item back itself, and the update check waits for a pass that ends.
    passEndApplied_ = slotList.isEmpty();
    strayImage1Checked_ = false;
    mirrorPassCounts();
}

void MainWindow::mirrorPassCounts() {
    state_.page.ExpectedCount = pass_.ExpectedCount();
    state_.page.FinishedCount = pass_.FinishedCount();
}

void MainWindow::finishSlot(int slot) {
    pass_.finish(slot);
    mirrorPassCounts();
    if (ThumbCell *c = cell(slot))
        c->picProg->hide();
}

void MainWindow::applyEndOfPassRule() {
    if (passEndApplied_ || !pass_.isComplete())
        return;
    passEndApplied_ = true;
    // A finished pass leaves every slot's file in place.
    flushSlotPictures();
    PageState &page = state_.page;
    if (page.UpdateCheckPending) {
        page.UpdateCheckPending = false;
        CheckForUpdates();
    }
    restorePlainMenuText(mnuRefresh, mnuRefresh->text());
}

// ---- Display -------------------------------------------------------------------------

void MainWindow::ShowSlotPicture(const QString &file, int slot, int site,
                                 const QByteArray &picture) {
    AppState &s = state_;
    PageState &page = s.page;
    ThumbCell *c = slot < page.SlotCount ? cell(slot) : nullptr;
    if (!c)
        return;
    if (picture.isEmpty()) {
        ShowNotFound(slot, site, true);
        return;
    }

    // Nothing is painted while this runs, so the picture box moves once,
    // straight to its fitted place.
    const QRect shape = c->geometryUnits().shape1;
    // A still picture whose header gives its size is only measured here: the
    // cell decodes it once, at its own size, when it paints.
    const std::optional<PictureHeader> header = readPictureHeader(picture);
    const bool stillBytes = header && header->frames < 2;
    const bool loaded = stillBytes || c->AniGIF->loadBytes(picture);
    const QSize size = stillBytes ? header->size : c->AniGIF->pictureSize();
    const QRectF fitted = loaded ? fitPictureInCell(size, shape) : QRectF();
    if (fitted.isEmpty()) {
        c->AniGIF->clear();
        ShowNotFound(slot, site, true);
        return;
    }
    c->moveImg(roundedRect(fitted));

    if (!s.texts.LngLoading.isEmpty() && c->lblFrom->text().contains(s.texts.LngLoading))
        c->lblFrom->setText(QString());

    if (!stillBytes && c->AniGIF->frameCount() >= 2) {
        c->img->clear();
        c->AniGIF->setBackColor(Qt::black);
        c->AniGIF->show();
        c->AniGIF->startAnimation();
        page.SlotTable.setValue(slot, stInfo, kAnimated);
    } else {
        c->AniGIF->hide();
        if (stillBytes) {
            c->AniGIF->clear();
            c->img->setPicture(picture);
        } else {
            // Once the part lets go of the frame it converts in place, uncopied.
            QImage frame = c->AniGIF->firstFrame();
            c->AniGIF->clear();
            c->img->setPixmap(QPixmap::fromImage(std::move(frame)));
        }
    }
    c->img->show();
    c->img->update();

    // The large viewer showing this slot shows the new picture; it reads the
    // picture from the slot's animation part, as its openers leave it.
    if (opener() && opener()->IsFormLoaded(kViewerName) > 0 && page.SelectedSlot == slot) {
        flushSlotPictures();
        if (c->AniGIF->isEmpty())
            c->AniGIF->loadFile(file);
        if (WindowOpener *windows = opener())
            windows->openPictureViewer(file, slot, QCursor::pos());
    }

    // The page says whether there is an age to show, never the file's path.
    if (!page.isWxPage())
        ShowPictureAge(slot, site);
}

void MainWindow::ShowPictureAge(int slot, int site) {
    AppState &s = state_;
    PageState &page = s.page;
    ThumbCell *c = cell(slot);
    if (!c || page.isWxPage() || site < 0 || site >= s.SiteList.size())
        return;
    const AgeDisplay age =
        ageDisplay(s.SiteList[site].LastPictureDate, page.SlotTable.value(slot, stInfo),
                   page.SlotTable.value(slot, stSiteCall), AgeRule::SkipOldAndAnimated, s.dateOrder,
                   s.texts, s.utcNow());
    page.SlotTable.setValue(slot, stTime, age.stTime);
    if (!age.caption.isEmpty())
        c->lblCall->setText(age.caption);
    if (age.frameColour)
        c->setShapeColor(*age.frameColour);
}

void MainWindow::ShowNotFound(int slot, int site, bool pictureRead) {
    AppState &s = state_;
    PageState &page = s.page;
    finishSlot(slot);
    ThumbCell *c = slot < page.SlotCount ? cell(slot) : nullptr;
    if (!c)
        return;
    page.SlotTable.setValue(slot, stFrom, QStringLiteral("Not found"));
    const PlaceholderLines lines = slotNotFoundLines(s.texts, page.isWxPage(), pictureRead);

    c->AniGIF->clear();
    c->img->clear();
    c->img->show();
    const QRect shape = c->geometryUnits().shape1;
    c->moveImg(QRect(shape.left() + kPlaceholderLeft, shape.top() + kPictureTop, kPlaceholderWidth,
                     kPlaceholderHeight));
    c->AniGIF->hide();
    c->img->setPixmap(QPixmap::fromImage(renderPlaceholder(c->img->size(), lines)));

    if (!page.isWxPage()) {
        c->lblFrom->setText(QString());
        if (site >= 0 && site < s.SiteList.size()) {
            // The age of a site that keeps failing counts from its first failure.
            QString &date = s.SiteList[site].LastPictureDate;
            const QDateTime now = s.utcNow();
            stampFirstFailure(date, now);
            const AgeDisplay age = ageDisplay(date, page.SlotTable.value(slot, stInfo),
                                              page.SlotTable.value(slot, stSiteCall),
                                              AgeRule::Always, s.dateOrder, s.texts, now);
            page.SlotTable.setValue(slot, stTime, age.stTime);
            if (!age.caption.isEmpty())
                c->lblCall->setText(age.caption);
            if (age.frameColour)
                c->setShapeColor(*age.frameColour);
        }
    }
    applyEndOfPassRule();
}

} // namespace tavimo
