// What the slot pop-up and the Find menu do: put a picked site into a slot or
// empty it, open the site-selection grid and act on its pick, show where a
// site lies on a region map or a web map, blink the slot of a site chosen from
// the alphabetical list, and save or paste a slot's picture.

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "core/base/Prompts.h"
#include "core/geo/MapHandOver.h"
#include "core/thumbs/SlotPictures.h"
#include "mainwindow/Logging.h"
#include "mainwindow/MainWindow.h"
#include "ui/AnimatedPicture.h"
#include "ui/MenuBarPainter.h"
#include "ui/QtFileDialog.h"
#include "ui/ThumbCell.h"

#include <QAction>
#include <QFile>

#include <utility>

namespace tavimo {

// ---- The site-selection grid and its pick ---------------------------------------------

void MainWindow::mnuSelectSite_Click() {
    // Where the pick goes is fixed now: the grid may stay open while other
    // windows change SelectedSlot.
    const SitePick pick = captureSitePick(false, state_.page);
    sitePick_ = pick;
    if (WindowOpener *windows = opener())
        windows->openSiteSelection(pick.galleryPick, pick.slot, pick.wxList);
}

void MainWindow::mnuAll_Click() {
    const SitePick pick = captureSitePick(true, state_.page);
    sitePick_ = pick;
    if (WindowOpener *windows = opener())
        windows->openSiteSelection(pick.galleryPick, pick.slot, pick.wxList);
}

void MainWindow::Timer9_Timer() {
    sitePickTimer.stop();
    const int siteIndex = std::exchange(pickedSite_, -1);
    // A pick from a grid opened some other way fills the slot last pressed.
    const SitePick pick = sitePick_.value_or(captureSitePick(false, state_.page));
    sitePick_.reset();
    if (siteIndex < 0)
        return;
    if (pick.galleryPick) {
        refresh_.StopRefreshTimers();
        state_.page.GalleryRequest = galleryRequestForSite(siteIndex);
        if (WindowOpener *windows = opener())
            windows->openGallery(state_.page.GalleryRequest);
        restartRefreshIfAutomatic();
        return;
    }
    assignPickedSite(pick, siteIndex);
}

void MainWindow::assignPickedSite(const SitePick &pick, int siteIndex) {
    AppState &s = state_;
    PageState &page = s.page;
    const std::optional<SlotAssignment> a =
        tavimo::AssignSiteToSlot(pick, siteIndex, page, s.config.ThumbSetting, s.SiteList,
                                 s.WxSiteList, page.SlotTable, s.ZeroChar);
    ThumbCell *c = a ? cell(a->slot) : nullptr;
    if (!c)
        return;
    const int k = a->slot;
    if (a->clearSlot) {
        clearSlot(*a->clearSlot);
        // The site moved within its own slot: the slot is filled again below.
        if (*a->clearSlot == k && !page.isWxPage())
            page.SlotTable.setValue(k, stSiteCall, a->caption);
    }
    c->AniGIF->clear();
    c->AniGIF->hide();
    c->img->clear();
    c->img->setToolTip(QString());
    // The frame told the age of the site that was here; the new site's own
    // picture sets it again.
    c->setShapeColor(backColor());
    c->lblCall->setText(a->caption);
    c->lblFrom->setText(s.texts.LngLoading);
    c->lblFrom->show();
    c->lblConnect->hide();
    if (a->List1)
        List1 = *a->List1;
    // The previous site's picture must not be shown, saved or pasted as the
    // new site's while the new one is on its way, or when it fails.
    flushSlotPictures();
    const QString file = slotPictureFile(s.paths, page.isWxPage(), k);
    if (QFile::exists(file) && !QFile::remove(file))
        qCWarning(lcMainWindow) << "cannot remove" << file;
    if (hover_.LastTipSlot == k)
        hover_.LastTipSlot = -1;

    page.CurrentUrl = a->url;
    startPagePass({k});
    setRefreshMenuText(mnuRefresh, mnuRefresh->text());
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
    if (WindowOpener *windows = opener())
        windows->rebuildSiteSelection();
}

void MainWindow::mnuLeaveBlank_Click() {
    AppState &s = state_;
    PageState &page = s.page;
    const LeaveBlankResult blank = LeaveSlotBlank(page.SelectedSlot, page, s.config.ThumbSetting,
                                                  s.SiteList, s.WxSiteList, page.SlotTable);
    clearSlot(blank.slot);
    if (ThumbCell *c = cell(blank.slot)) {
        c->img->setToolTip(QString());
        c->AniGIF->setToolTip(QString());
    }
    if (blank.List1)
        List1 = *blank.List1;
    if (WindowOpener *windows = opener())
        windows->rebuildSiteSelection();
}

// ---- Find: this page ----------------------------------------------------------------------

void MainWindow::mnuAlphaList_Click(int Index) {
    if (Index < 0 || Index >= List1.size())
        return;
    startSlotBlink(blinkSlotOf(List1[Index]));
}

// ---- Maps ---------------------------------------------------------------------------------

void MainWindow::mnuMapLoc_Click() {
    AppState &s = state_;
    // The position of the slot the pop-up was opened on, as it was then.
    const SitePosition site = popUpPosition_;
    const MapLocation where = ShowMapLocation(site, s.lstMap);
    MapName = where.MapName;
    for (const QString &text : where.messages)
        s.prompts->message(text);
    if (!where.MapIndex)
        return;
    // The site window and the configuration keep the region map from now on.
    s.config.MapIndex = std::int16_t(*where.MapIndex);
    if (WindowOpener *windows = opener())
        windows->openSiteMap(*where.MapIndex, site.SiteLat, site.SiteLon);
}

void MainWindow::mnuStView_Click(int Index) {
    const AppState &s = state_;
    const std::optional<WebMapJob> job =
        webMapJob(s.page.SlotTable.value(s.page.SelectedSlot, stSiteCall), s.SiteList,
                  Index == 0 ? WebMapView::Street : WebMapView::Satellite, s.endpoints.WebMap);
    if (!job)
        return;
    if (WindowOpener *windows = opener())
        windows->openWebMap(job->callsign, job->address);
}

// ---- Save and paste -------------------------------------------------------------------------

PictureTransferContext MainWindow::transferContext() {
    return PictureTransferContext{
        state_.paths,
        state_.texts,
        *state_.prompts,
        state_.config.AutoRefreshMode == 1,
        [this] { refresh_.StopRefreshTimers(); },
        [this] { refresh_.StartRefreshTimers(); },
        deps_.showFileDialog ? deps_.showFileDialog : ShowFileDialogFunction(qtFileDialog),
        deps_.desktop,
        deps_.clipboard ? deps_.clipboard : ClipboardWriter(writeToClipboard),
        this};
}

void MainWindow::mnuSave_Click() {
    flushSlotPictures();
    const PageState &page = state_.page;
    const TransferResult result = SavePictureAs(
        PictureRef::slot(page.SelectedSlot, page.isWxPage()), state_.SaveFolder, transferContext());
    qCDebug(lcMainWindow) << "save of slot" << page.SelectedSlot << int(result.outcome)
                          << result.target;
}

void MainWindow::mnuPaste_Click() {
    flushSlotPictures();
    const PageState &page = state_.page;
    const TransferResult result =
        PasteIntoMMSSTV(PictureRef::slot(page.SelectedSlot, page.isWxPage()), transferContext());
    qCDebug(lcMainWindow) << "paste of slot" << page.SelectedSlot << int(result.outcome)
                          << "MMSSTV found" << result.windowFound;
}

} // namespace tavimo
