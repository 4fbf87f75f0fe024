#include "mainwindow/SlotActions.h"

#include "core/app/AppState.h"
#include "core/app/WindowOpener.h"
#include "core/base/Prompts.h"
#include "core/geo/MapHandOver.h"
#include "core/sites/SlotMap.h"
#include "mainwindow/Logging.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/PageLoader.h"
#include "mainwindow/RefreshSchedule.h"
#include "ui/QtFileDialog.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"

#include <QLabel>

#include <utility>

namespace tavimo {

namespace {

constexpr int kOneShotMs = 100;

// The callsign at the start of a slot's caption, which may go on with the
// picture's age after a blank or a "-".
QString captionCallsign(const QString &caption) {
    const QString text = caption.trimmed();
    qsizetype end = 0;
    while (end < text.size() && text[end] != u' ' && text[end] != u'-')
        ++end;
    return text.left(end);
}

// The site whose views a slot's street and satellite items show: the slot
// table's callsign on an SSTV page. The WX page keeps no callsigns there, so
// its slot is named by the WX site placed in it, which has no position.
QString webMapSiteCall(const AppState &s, int slot) {
    if (!s.page.isWxPage())
        return s.page.SlotTable.value(slot, stSiteCall);
    const int setting = s.config.ThumbSetting;
    if (setting < 1 || setting > 4)
        return {};
    for (const SiteRecord &site : s.WxSiteList) {
        if (wxSlotIndex(site.SlotMap[setting]) == slot)
            return site.Callsign;
    }
    return {};
}

} // namespace

SlotActions::SlotActions(Parts parts, Transfer transfer, QObject *parent)
    : QObject(parent), parts_(parts), transfer_(std::move(transfer)) {
    if (!transfer_.showFileDialog)
        transfer_.showFileDialog = qtFileDialog;
    if (!transfer_.clipboard)
        transfer_.clipboard = writeToClipboard;
    sitePickTimer.setSingleShot(true);
    sitePickTimer.setInterval(kOneShotMs);
    connect(&sitePickTimer, &QTimer::timeout, this, &SlotActions::sitePickTimer_Timer);
}

void SlotActions::slotPressed(const ThumbClickPlan &plan) {
    PageState &page = parts_.state.page;
    page.SelectedSlot = plan.SelectedSlot;
    popUpSite_ = {plan.position, page.SlotTable.value(plan.SelectedSlot, stSiteCall)};
    parts_.menus.applyPopUp(plan.popUp);
}

// ---- The site-selection grid and its pick ---------------------------------------------

void SlotActions::openSelection(bool galleryPick) {
    // Where the pick goes is fixed now: the grid may stay open while other
    // windows change SelectedSlot.
    const SelectionRequest pick = captureSitePick(galleryPick, parts_.state.page);
    sitePick_ = pick;
    if (parts_.opener)
        parts_.opener->openSiteSelection(pick);
}

void SlotActions::mnuSelectSite_Click() {
    openSelection(false);
}

void SlotActions::mnuAll_Click() {
    openSelection(true);
}

void SlotActions::handOverPickedSite(int siteIndex) {
    pickedSite_ = siteIndex;
    sitePickTimer.start();
}

void SlotActions::sitePickTimer_Timer() {
    sitePickTimer.stop();
    const int siteIndex = std::exchange(pickedSite_, -1);
    // A pick from a grid opened some other way fills the slot last pressed.
    const SelectionRequest pick = sitePick_.value_or(captureSitePick(false, parts_.state.page));
    sitePick_.reset();
    if (siteIndex < 0)
        return;
    if (!pick.galleryPick) {
        parts_.loader.assignPickedSite(pick, siteIndex);
        return;
    }
    parts_.schedule.StopRefreshTimers();
    if (parts_.opener)
        parts_.opener->openGallery(GalleryRequest::listRecord(
            siteIndex, pick.wxList ? SiteListKind::Wx : SiteListKind::Sstv));
    parts_.schedule.restartIfAutomatic();
}

void SlotActions::mnuLeaveBlank_Click() {
    parts_.loader.leaveSlotBlank(parts_.state.page.SelectedSlot);
}

// ---- Find: this page ----------------------------------------------------------------------

void SlotActions::showAlphaList() {
    // Left edge at the third slot's frame, top at the top of the grid.
    QPoint at = parts_.grid.mapToGlobal(QPoint(0, 0));
    if (const QRect third = parts_.grid.slotFrameOnScreen(2); !third.isNull())
        at.setX(third.left());
    // WX names are shown as stored, zeros and all.
    const QString zeroChar =
        parts_.state.page.isWxPage() ? QStringLiteral("0") : parts_.state.ZeroChar;
    parts_.menus.showAlphaList(alphaMenu(parts_.loader.alphaListOfPage(), zeroChar), at);
}

void SlotActions::mnuAlphaList_Click(int Index) {
    const QStringList list = parts_.loader.alphaListOfPage();
    if (Index >= 0 && Index < list.size())
        parts_.grid.startSlotBlink(blinkSlotOf(list[Index]));
}

// ---- Maps, gallery and look-up -------------------------------------------------------------

void SlotActions::mnuMapLoc_Click() {
    AppState &s = parts_.state;
    // The slot the pop-up was opened on, as it was then.
    const PopUpSite site = popUpSite_;
    const MapLocation where = ShowMapLocation(site.position, s.lstMap);
    MapName = where.MapName;
    for (const QString &text : where.messages)
        s.prompts->message(text);
    if (!where.MapIndex)
        return;
    // The site window and the configuration keep the region map from now on.
    s.config.MapIndex = std::int16_t(*where.MapIndex);
    if (parts_.opener)
        parts_.opener->openSiteMap(SiteMapRequest{*where.MapIndex, site.position, site.callsign});
}

void SlotActions::mnuStView_Click(int Index) {
    const AppState &s = parts_.state;
    const std::optional<WebMapJob> job =
        webMapJob(webMapSiteCall(s, s.page.SelectedSlot), s.SiteList,
                  Index == 0 ? WebMapView::Street : WebMapView::Satellite, s.endpoints.WebMap);
    if (job && parts_.opener)
        parts_.opener->openWebMap(job->callsign, job->address);
}

void SlotActions::mnuQrzCall_Click() {
    // The site's own callsign, not the sender of its picture.
    const ThumbCell *c = parts_.grid.cell(parts_.state.page.SelectedSlot);
    const QString callsign = captionCallsign(c ? c->lblCall->text() : QString());
    if (parts_.opener)
        parts_.opener->openStation(callsign, /*lookupFromCall=*/false);
}

void SlotActions::mnuLast15_Click() {
    parts_.schedule.StopRefreshTimers();
    // The gallery's downloads show as loading until its own pass ends.
    parts_.menus.showLoadingLook();
    if (parts_.opener)
        parts_.opener->openGallery(GalleryRequest::pageSlot(parts_.state.page.SelectedSlot));
    // The page goes on refreshing while the gallery is open.
    parts_.schedule.restartIfAutomatic();
}

// ---- Save and paste -------------------------------------------------------------------------

PictureTransferContext SlotActions::transferContext() {
    AppState &s = parts_.state;
    RefreshSchedule &schedule = parts_.schedule;
    return PictureTransferContext{s.paths,
                                  s.texts,
                                  *s.prompts,
                                  s.config.AutoRefreshMode == 1,
                                  [&schedule] { schedule.StopRefreshTimers(); },
                                  [&schedule] { schedule.StartRefreshTimers(); },
                                  transfer_.showFileDialog,
                                  transfer_.desktop,
                                  transfer_.clipboard,
                                  parts_.window};
}

void SlotActions::mnuSave_Click() {
    parts_.loader.flushSlotPictures();
    const PageState &page = parts_.state.page;
    const TransferResult result =
        SavePictureAs(PictureRef::slot(page.SelectedSlot, page.isWxPage()), parts_.state.SaveFolder,
                      transferContext());
    qCDebug(lcMainWindow) << "save of slot" << page.SelectedSlot << int(result.outcome)
                          << result.target;
}

void SlotActions::mnuPaste_Click() {
    parts_.loader.flushSlotPictures();
    const PageState &page = parts_.state.page;
    const TransferResult result =
        PasteIntoMMSSTV(PictureRef::slot(page.SelectedSlot, page.isWxPage()), transferContext());
    qCDebug(lcMainWindow) << "paste of slot" << page.SelectedSlot << int(result.outcome)
                          << "MMSSTV found" << result.windowFound;
}

} // namespace tavimo
