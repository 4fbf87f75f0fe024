#include "mainwindow/PageLoader.h"

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "core/sites/SlotMap.h"
#include "core/thumbs/CheckPicture.h"
#include "core/thumbs/PictureAge.h"
#include "core/thumbs/PictureTrailer.h"
#include "core/thumbs/SlotPictures.h"
#include "mainwindow/Logging.h"
#include "mainwindow/Recaption.h"
#include "ui/AnimatedPicture.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"

#include <QFile>

namespace tavimo {

namespace {

const QString kAnimated = QStringLiteral("Animated");
const QString kViewerName = QStringLiteral("PictureViewer");

} // namespace

PageLoader::PageLoader(AppState &state, ThumbGrid &grid, WindowOpener *opener, QObject *parent)
    : QObject(parent), state_(state), grid_(grid), opener_(opener),
      keys_(state.page, state.SiteList, [&grid](int slot) {
          const ThumbCell *c = grid.cell(slot);
          return c ? c->lblCall->text() : QString();
      }) {
    connect(&state_.events, &AppEvents::sitesChanged, this, [this] { sstvPages_.invalidate(); });
    // A picture that reads but does not decode: the placeholder, once.
    connect(&grid_, &ThumbGrid::pictureNotDecoded, this, [this](int slot) {
        if (placeholders_.contains(slot))
            return;
        const auto shown = shownPictures_.constFind(slot);
        ShowNotFound(slot, shown != shownPictures_.cend() ? shown->site : -1, true);
    });
    if (!state_.downloads) {
        qCWarning(lcMainWindow) << "no download context: the window fetches nothing";
        return;
    }
    connect(&cuts_, &CutPictures::askAgain, this, &PageLoader::askAgain);
    fetcher_ = std::make_unique<SlotFetcher>(*state_.downloads, keys_, this);
    SlotFetcher *f = fetcher_.get();
    connect(f, &SlotFetcher::checkPictureReady, this, &PageLoader::checkPictureReady);
    connect(f, &SlotFetcher::checkPictureMissing, this, &PageLoader::checkPictureMissing);
    connect(f, &SlotFetcher::pictureReady, this, &PageLoader::pictureReady);
    connect(f, &SlotFetcher::pictureFailed, this, &PageLoader::pictureFailed);
    connect(f, &SlotFetcher::answerDropped, this, &PageLoader::answerDropped);
    connect(f, &SlotFetcher::pictureRequested, &grid_, &ThumbGrid::startProgress);
    connect(f, &SlotFetcher::pictureProgress, &grid_, &ThumbGrid::showProgress);
    connect(f, &SlotFetcher::slotFinished, &grid_, &ThumbGrid::hideProgress);
    connect(f, &SlotFetcher::passCounted, this, [this](int expected, int finished) {
        state_.page.ExpectedCount = expected;
        state_.page.FinishedCount = finished;
    });
    connect(f, &SlotFetcher::passEnded, this, &PageLoader::passEnded);
    connect(f, &SlotFetcher::pictureNotStored, this, &PageLoader::pictureNotStored);
}

PageLoader::~PageLoader() = default;

// ---- Page loading ------------------------------------------------------------------

void PageLoader::LoadSstvPage() {
    AppState &s = state_;
    PageState &page = s.page;
    const PagePlan plan = sstvPages_.plan(s.SiteList, page.CurrentPage, s.config.ThumbSetting,
                                          page.SlotCount, s.ZeroChar);
    List1 = plan.List1;

    const QList<ThumbCell *> &cells = grid_.cells();
    QList<bool> placed(cells.size(), false);
    const bool samePage = page.CurrentPage == loadedPage_;
    for (const PlannedSlot &p : plan.placed) {
        ThumbCell *c = grid_.cell(p.slot);
        if (!c)
            continue;
        placed[p.slot] = true;
        // What a cut answer leaves: the look of the site's last picture, when
        // this slot showed it; else the bare caption.
        const bool sameSite = samePage && page.SlotTable.value(p.slot, stSiteCall) == p.caption;
        cuts_.setLook(p.slot, sameSite ? SlotLook{c->lblCall->text(), c->shapeColor()}
                                       : SlotLook{p.caption, grid_.backColor()});
        ThumbCell::setLabelText(c->lblCall, p.caption);
        ThumbCell::setLabelText(c->lblConnect(), s.texts.LngLoading);
        // Under a placeholder the waiting text would contradict it ("download
        // failed" and "Loading..." at once) for as long as the site is slow.
        c->setWaiting(!(samePage && placeholders_.contains(p.slot)));
        c->setSenderShown(false);
    }
    // A cell that waits for nothing shows no waiting text, also when it
    // waited on the page shown before.
    for (int slot = 0; slot < cells.size(); ++slot) {
        if (!placed[slot])
            cells[slot]->setWaiting(false);
    }
    plan.writeSlotTable(page.SlotTable);

    startPagePass(plan.slotNumbers());
    for (const PlannedSlot &p : plan.placed)
        requestCheckPicture(p.slot, p.site, p.checkUrl);
    if (plan.placed.isEmpty())
        emit nothingToLoad();
    emit s.events.pageShown(page.CurrentPage);
}

void PageLoader::LoadWxPage() {
    AppState &s = state_;
    PageState &page = s.page;
    const PagePlan plan =
        planWxPage(s.WxSiteList, page.CurrentPage, s.config.ThumbSetting, page.SlotCount);

    for (const PlannedSlot &p : plan.placed) {
        ThumbCell *c = grid_.cell(p.slot);
        if (!c)
            continue;
        ThumbCell::setLabelText(c->lblCall, p.caption);
        ThumbCell::setLabelText(c->lblFrom, s.texts.LngLoading);
        c->setSenderShown(true);
    }
    // Nothing on this page waits for a check picture.
    for (ThumbCell *c : grid_.cells())
        c->setWaiting(false);

    startPagePass(plan.slotNumbers());
    for (const PlannedSlot &p : plan.placed) {
        if (ThumbCell *c = grid_.cell(p.slot))
            ThumbCell::setLabelText(c->lblFrom, QString());
        requestWxPicture(p.slot, p.url, p.caption);
    }
    if (plan.placed.isEmpty())
        emit nothingToLoad();
    emit s.events.pageShown(page.CurrentPage);
}

void PageLoader::startPagePass(const QList<int> &slotList) {
    strayImage1Checked_ = false;
    // Another page empties every slot: nothing shown belongs to the old one.
    if (state_.page.CurrentPage != loadedPage_) {
        loadedPage_ = state_.page.CurrentPage;
        shownPictures_.clear();
        placeholders_.clear();
        cuts_.clear();
    }
    cuts_.startPass();
    if (fetcher_)
        fetcher_->startPass(slotList);
}

// ---- Requests ------------------------------------------------------------------------

void PageLoader::requestCheckPicture(int slot, int site, const QString &url) {
    if (!fetcher_ || site < 0 || site >= state_.SiteList.size())
        return;
    fetcher_->requestCheckPicture(slot, url, state_.SiteList[site].Callsign);
}

void PageLoader::requestSlotPicture(int slot, int site) {
    if (!fetcher_ || state_.page.isWxPage() || site < 0 || site >= state_.SiteList.size())
        return;
    const SiteRecord &record = state_.SiteList[site];
    fetcher_->requestPicture(slot, site, requestUrl(record.PictureUrl), record.Callsign);
}

void PageLoader::requestWxPicture(int slot, const QString &url, const QString &name) {
    if (fetcher_)
        fetcher_->requestPicture(slot, -1, url, name);
}

void PageLoader::StartSlotFetch() {
    AppState &s = state_;
    PageState &page = s.page;
    const int slot = page.SelectedSlot;
    ThumbCell *c = grid_.cell(slot);
    const QString caption = c ? c->lblCall->text() : QString();
    const std::optional<PlannedSlot> planned =
        planSlotRefetch(slot, page, page.SlotTable, s.SiteList, s.WxSiteList, caption);
    if (c && !caption.isEmpty())
        ThumbCell::setLabelText(c->lblFrom, s.texts.LngLoading);
    if (!planned)
        return;
    if (!page.isWxPage())
        requestCheckPicture(slot, planned->site, planned->checkUrl);
    else
        requestWxPicture(slot, planned->url, planned->caption);
}

// ---- Answers -------------------------------------------------------------------------

void PageLoader::checkPictureReady(const SlotTarget &target, QSize size) {
    ThumbCell *c = grid_.cell(target.slot);
    if (!c)
        return;
    AppState &s = state_;
    SlotTable &table = s.page.SlotTable;
    const int slot = target.slot;
    const CheckJudgement j = judgeCheckPicture(table.value(slot, stSiteCall), size,
                                               table.value(slot, stCheckHeight), s.texts);
    // A slot whose last answer was cut asks again whatever its check picture
    // says: the site may have finished writing since.
    const bool fetch = j.decision != CheckDecision::NoNewPicture || cuts_.askAtNextPass(slot);
    // A slot fetched on its own keeps the look it has now.
    if (fetch)
        cuts_.setLookUnlessSet(slot, SlotLook{c->lblCall->text(), c->shapeColor()});
    else
        cuts_.endFetch(slot);
    ThumbCell::setLabelText(c->lblCall, j.caption);
    c->setShapeColor(j.frameColour.value_or(grid_.backColor()));
    c->setWaiting(false);
    c->setSenderShown(true);
    table.setValue(slot, stCheckHeight, j.checkHeight);

    if (!fetch) {
        fetcher_->finishSlot(slot);
        ShowPictureAge(slot, target.site);
        return;
    }
    // Only older versions left such files: one look per pass will do.
    if (!strayImage1Checked_) {
        strayImage1Checked_ = true;
        removeStrayImage1Files(s.paths.data(QStringLiteral("images/sstv")));
    }
    requestSlotPicture(slot, target.site);
}

void PageLoader::checkPictureMissing(const SlotTarget &target) {
    ThumbCell *c = grid_.cell(target.slot);
    if (!c)
        return;
    // Without a check picture the picture is fetched in full every time.
    state_.page.SlotTable.setValue(target.slot, stCheckHeight, QStringLiteral("0"));
    c->setWaiting(false);
    c->setSenderShown(true);
    requestSlotPicture(target.slot, target.site);
}

void PageLoader::answerDropped(int slot) {
    cuts_.endFetch(slot);
    const PageState &page = state_.page;
    if (!page.isWxPage() && page.SlotTable.value(slot, stSiteCall).isEmpty()) {
        if (ThumbCell *c = grid_.cell(slot))
            c->setWaiting(false);
    }
}

void PageLoader::pictureFailed(const SlotTarget &target) {
    cuts_.endFetch(target.slot);
    cuts_.shownAnswerGone(target.slot);
    SlotTable &table = state_.page.SlotTable;
    table.setValue(target.slot, stFrom, QString());
    table.setValue(target.slot, stInfo, QString());
    table.setValue(target.slot, stTime, QString());
    // The cell's tip tells why.
    table.setValue(target.slot, stFailure, fetcher_->failureReason());
    ShowNotFound(target.slot, target.site, false);
}

void PageLoader::pictureReady(const SlotTarget &target, const QByteArray &bytes) {
    ThumbCell *c = grid_.cell(target.slot);
    if (!c)
        return;
    const SplitPicture split = splitPictureTrailer(bytes);
    const CutAnswer cut = cuts_.take(target.slot, split.picture);
    if (!isShown(cut.verdict)) {
        keepAfterCutPicture(target, cut);
        return;
    }
    // An empty one is logged as no picture where it fails to show.
    if (cut.verdict == CutVerdict::ShowCut && !isPictureEmpty(split.picture))
        qCInfo(lcMainWindow).nospace() << "the picture of slot " << target.slot
                                       << " arrived cut with the same bytes twice; it is shown as "
                                          "it is";
    AppState &s = state_;
    PageState &page = s.page;
    const SlotAnswer answer = takeSlotAnswer(split, target, page.isWxPage(), page.SlotTable,
                                             s.SiteList, s.texts, s.ZeroChar);
    const QString file = slotPictureFile(s.paths, page.isWxPage(), target.slot);
    const quint64 write = fetcher_->writeLater(file, answer.picture);
    ThumbCell::setLabelText(c->lblFrom, answer.lblFrom);
    // Not a failed read, but the site's fault all the same, and logged like one.
    if (!ShowSlotPicture(file, target.slot, target.site, answer.picture))
        fetcher_->rejectPicture(QStringLiteral("not a picture"));
    if (!placeholders_.contains(target.slot))
        shownPictures_.insert(target.slot, ShownPicture{write, target.site});
}

void PageLoader::keepAfterCutPicture(const SlotTarget &target, const CutAnswer &cut) {
    AppState &s = state_;
    // A site being written is met pass after pass: no line each time.
    qCDebug(lcMainWindow) << "the picture of slot" << target.slot
                          << "arrived cut or empty; the slot keeps what it shows";
    ThumbCell *c = grid_.cell(target.slot);
    if (c && !s.texts.LngLoading.isEmpty() && c->lblFrom->text().contains(s.texts.LngLoading))
        ThumbCell::setLabelText(c->lblFrom, QString());
    // "New" would announce a picture that is not there.
    std::optional<SlotLook> announced;
    if (c && cut.look) {
        announced = SlotLook{c->lblCall->text(), c->shapeColor()};
        ThumbCell::setLabelText(c->lblCall, cut.look->caption);
        c->setShapeColor(cut.look->frame);
    }
    if (!s.page.isWxPage())
        ShowPictureAge(target.slot, target.site);
    if (cut.verdict == CutVerdict::AskSoon)
        cuts_.askSoon(target, announced, cut.look);
}

void PageLoader::askAgain(const SlotTarget &target, const std::optional<SlotLook> &announced) {
    if (!fetcher_)
        return;
    PageState &page = state_.page;
    ThumbCell *c = grid_.cell(target.slot);
    if (!page.isWxPage()) {
        // The new picture announced while it comes.
        if (c && announced) {
            ThumbCell::setLabelText(c->lblCall, announced->caption);
            c->setShapeColor(announced->frame);
        }
        requestSlotPicture(target.slot, target.site);
        return;
    }
    const std::optional<PlannedSlot> planned =
        planSlotRefetch(target.slot, page, page.SlotTable, state_.SiteList, state_.WxSiteList,
                        c ? c->lblCall->text() : QString());
    if (planned)
        requestWxPicture(target.slot, planned->url, planned->caption);
}

void PageLoader::pictureNotStored(const QString &file, quint64 write) {
    const PageState &page = state_.page;
    for (auto it = shownPictures_.cbegin(); it != shownPictures_.cend(); ++it) {
        if (it->write != write)
            continue;
        const int slot = it.key();
        // Only while the slot still shows that very picture: the viewer,
        // save and paste would find no file behind it.
        if (file == slotPictureFile(state_.paths, page.isWxPage(), slot))
            ShowNotStored(slot);
        return;
    }
}

void PageLoader::forgetSlot(int slot) {
    shownPictures_.remove(slot);
    placeholders_.remove(slot);
    cuts_.forget(slot);
}

// ---- Display -------------------------------------------------------------------------

bool PageLoader::ShowSlotPicture(const QString &file, int slot, int site,
                                 const QByteArray &picture) {
    AppState &s = state_;
    PageState &page = s.page;
    ThumbCell *c = slot < page.SlotCount ? grid_.cell(slot) : nullptr;
    if (!c)
        return true;
    if (!grid_.showPicture(slot, picture, file)) {
        ShowNotFound(slot, site, true);
        return false;
    }
    placeholders_.remove(slot);
    page.SlotTable.setValue(slot, stFailure, QString());
    if (!s.texts.LngLoading.isEmpty() && c->lblFrom->text().contains(s.texts.LngLoading))
        ThumbCell::setLabelText(c->lblFrom, QString());
    if (c->isAnimationShown())
        page.SlotTable.setValue(slot, stInfo, kAnimated);

    // The page says whether there is an age to show, never the file's path.
    if (!page.isWxPage())
        ShowPictureAge(slot, site);

    // A large viewer showing this slot's picture shows the new one, with the
    // date the age has just put in the slot table for its title.
    if (opener_ && opener_->IsFormLoaded(kViewerName) > 0) {
        flushSlotPictures();
        opener_->pictureShown(ViewerSource::pageSlot(slot), file);
    }
    return true;
}

void PageLoader::ShowPictureAge(int slot, int site) {
    AppState &s = state_;
    PageState &page = s.page;
    ThumbCell *c = grid_.cell(slot);
    if (!c || page.isWxPage() || site < 0 || site >= s.SiteList.size())
        return;
    const AgeDisplay age =
        ageDisplay(s.SiteList[site].LastPictureDate, page.SlotTable.value(slot, stInfo),
                   page.SlotTable.value(slot, stSiteCall), AgeRule::SkipOldAndAnimated, s.dateOrder,
                   s.texts, s.utcNow());
    page.SlotTable.setValue(slot, stTime, age.stTime);
    if (!age.caption.isEmpty())
        ThumbCell::setLabelText(c->lblCall, age.caption);
    if (age.frameColour)
        c->setShapeColor(*age.frameColour);
}

void PageLoader::ShowNotFound(int slot, int site, bool pictureRead) {
    AppState &s = state_;
    PageState &page = s.page;
    ThumbCell *c = slot < page.SlotCount ? grid_.cell(slot) : nullptr;
    if (!c)
        return;
    page.SlotTable.setValue(slot, stFrom, QStringLiteral("Not found"));
    if (pictureRead)
        page.SlotTable.setValue(slot, stFailure, QString());
    grid_.showPlaceholder(slot, slotNotFoundLines(s.texts, page.isWxPage(), pictureRead));
    shownPictures_.remove(slot);
    placeholders_.insert(slot, missingPicture(pictureRead));
    // No "Loading..." beside the placeholder, on either kind of page.
    ThumbCell::setLabelText(c->lblFrom, QString());
    c->setWaiting(false);
    if (page.isWxPage())
        return;
    if (site < 0 || site >= s.SiteList.size())
        return;
    // The age of a site that keeps failing counts from its first failure.
    QString &date = s.SiteList[site].LastPictureDate;
    const QDateTime now = s.utcNow();
    stampFirstFailure(date, now);
    const AgeDisplay age =
        ageDisplay(date, page.SlotTable.value(slot, stInfo), page.SlotTable.value(slot, stSiteCall),
                   AgeRule::Always, s.dateOrder, s.texts, now);
    page.SlotTable.setValue(slot, stTime, age.stTime);
    if (!age.caption.isEmpty())
        ThumbCell::setLabelText(c->lblCall, age.caption);
    if (age.frameColour)
        c->setShapeColor(*age.frameColour);
}

void PageLoader::ShowNotStored(int slot) {
    PageState &page = state_.page;
    if (slot >= page.SlotCount || !grid_.cell(slot))
        return;
    // Nothing can open, save or paste it, as with a missing picture; but the
    // site answered, so its captions and age stay as the picture set them.
    page.SlotTable.setValue(slot, stFrom, QStringLiteral("Not found"));
    grid_.showPlaceholder(
        slot, slotNotFoundLines(state_.texts, page.isWxPage(), MissingPicture::NotStored));
    cuts_.shownAnswerGone(slot);
    shownPictures_.remove(slot);
    placeholders_.insert(slot, MissingPicture::NotStored);
}

// ---- Slot assignment -------------------------------------------------------------------

void PageLoader::clearSlot(int slot) {
    if (!grid_.cell(slot))
        return;
    forgetSlot(slot);
    grid_.clearSlot(slot);
    state_.page.SlotTable.setValue(slot, stSiteCall, QString());
}

void PageLoader::assignPickedSite(const SitePick &pick, int siteIndex) {
    AppState &s = state_;
    PageState &page = s.page;
    const std::optional<SlotAssignment> a =
        tavimo::AssignSiteToSlot(pick, siteIndex, page, s.config.ThumbSetting, s.SiteList,
                                 s.WxSiteList, page.SlotTable, s.ZeroChar);
    ThumbCell *c = a ? grid_.cell(a->slot) : nullptr;
    if (!c)
        return;
    const int k = a->slot;
    if (a->clearSlot) {
        clearSlot(*a->clearSlot);
        // The site moved within its own slot: the slot is filled again below.
        if (*a->clearSlot == k && !page.isWxPage())
            page.SlotTable.setValue(k, stSiteCall, a->caption);
    }
    forgetSlot(k);
    if (c->hasAniGIF()) {
        c->AniGIF()->clear();
        c->AniGIF()->hide();
    }
    c->img->clear();
    c->img->setToolTip(QString());
    // The frame told the age of the site that was here; the new site's own
    // picture sets it again.
    c->setShapeColor(grid_.backColor());
    ThumbCell::setLabelText(c->lblCall, a->caption);
    ThumbCell::setLabelText(c->lblFrom, s.texts.LngLoading);
    c->setSenderShown(true);
    c->setWaiting(false);
    if (a->List1)
        List1 = *a->List1;
    // The previous site's picture must not be shown, saved or pasted as the
    // new site's while the new one is on its way, or when it fails.
    flushSlotPictures();
    const QString file = slotPictureFile(s.paths, page.isWxPage(), k);
    if (QFile::exists(file) && !QFile::remove(file))
        qCWarning(lcMainWindow) << "cannot remove" << file;

    startPagePass({k});
    emit slotReassigned(k);
    if (page.isWxPage()) {
        requestWxPicture(k, a->url, a->caption);
    } else if (!a->checkUrl.isEmpty()) {
        // The check picture goes first, judged against no remembered height:
        // it then fetches the picture once, and the height it leaves is the
        // new site's, not the previous one's.
        page.SlotTable.setValue(k, stCheckHeight, QString());
        requestCheckPicture(k, a->site, a->checkUrl);
    } else {
        requestSlotPicture(k, a->site);
    }
    if (opener_)
        opener_->rebuildSiteSelection();
    emit s.events.sitesChanged();
}

void PageLoader::leaveSlotBlank(int slot) {
    AppState &s = state_;
    PageState &page = s.page;
    const LeaveBlankResult blank =
        LeaveSlotBlank(slot, page, s.config.ThumbSetting, s.SiteList, s.WxSiteList, page.SlotTable);
    clearSlot(blank.slot);
    if (ThumbCell *c = grid_.cell(blank.slot)) {
        c->img->setToolTip(QString());
        if (c->hasAniGIF())
            c->AniGIF()->setToolTip(QString());
    }
    if (blank.List1)
        List1 = *blank.List1;
    if (opener_)
        opener_->rebuildSiteSelection();
    emit s.events.sitesChanged();
}

// ---- Files and downloads -----------------------------------------------------------------

void PageLoader::flushSlotPictures() {
    if (fetcher_)
        fetcher_->flush();
}

void PageLoader::cancelAll() {
    // No slot asks again soon inside the message boxes of the shutdown.
    cuts_.clear();
    if (fetcher_)
        fetcher_->cancelAll();
}

// ---- Language and the alphabetical list ---------------------------------------------------

void PageLoader::languageChanged(const LanguageTexts &before) {
    const AppState &s = state_;
    for (ThumbCell *c : grid_.cells()) {
        c->lblCall->setText(recaptionedCall(c->lblCall->text(), before, s.texts));
        c->lblFrom->setText(recaptionedFrom(c->lblFrom->text(), before, s.texts));
        c->lblConnect()->setText(recaptionedFrom(c->lblConnect()->text(), before, s.texts));
    }
    for (auto it = placeholders_.cbegin(); it != placeholders_.cend(); ++it)
        grid_.showPlaceholder(it.key(), slotNotFoundLines(s.texts, s.page.isWxPage(), it.value()));
    cuts_.recaptionLooks(
        [&](const QString &caption) { return recaptionedCall(caption, before, s.texts); });
}

QStringList PageLoader::alphaListOfPage() const {
    const AppState &s = state_;
    if (!s.page.isWxPage())
        return List1;
    // Slot maps are read as the page plan reads them, in list order.
    QStringList list;
    const int setting = s.config.ThumbSetting;
    if (setting < 1 || setting > 4)
        return list;
    for (const SiteRecord &site : s.WxSiteList) {
        const int slot = wxSlotIndex(site.SlotMap[setting]);
        if (slot >= 0 && slot < s.page.SlotCount && !site.Callsign.isEmpty())
            list.append(site.Callsign + QStringLiteral("    ") + QString::number(slot + 1));
    }
    return list;
}

} // namespace tavimo
