#pragma once

// Putting a site into a slot, emptying a slot, and finding a site on the
// page, worked out on the lists without touching a window.
//
// Opening the site-selection grid captures the pick's destination at once:
//
//     // slot pop-up "select"               // Find menu "all sites"
//     pick = captureSitePick(false, page);    pick = captureSitePick(true, page);
//     opener.openSiteSelection(pick);
//
// and the pick handed back later (sitePickTimer) lands there, whatever
// SelectedSlot says by then:
//
//     if (pick.galleryPick) {
//         refresh.StopRefreshTimers();
//         opener.openGallery(GalleryRequest::listRecord(siteIndex));
//         resume refresh timers when automatic;
//     } else if (const auto a = AssignSiteToSlot(pick, siteIndex, page, config.ThumbSetting,
//                                                state.SiteList, state.WxSiteList, slotTable,
//                                                state.ZeroChar)) {
//         clear slot a->slot's pictures;
//         if (a->clearSlot) clear that slot whole (pictures, frame, captions);
//         lblCall[a->slot] = a->caption; lblFrom[a->slot] = LngLoading;
//         if (a->List1) List1 = *a->List1;
//         QFile::remove(slotPictureFile(paths, page.isWxPage(), a->slot));
//         pass.start({a->slot});
//         if (!a->checkUrl.isEmpty()) ucCkNew.downloadPicture(a->checkUrl, a->checkKey);
//         Refresh item in its loading look;
//         ucDnLoad.downloadFile(a->url, a->pictureKey);
//         opener.rebuildSiteSelection();
//     }
//
// "Leave blank" empties the slot the menu was opened on:
//
//     const auto blank = LeaveSlotBlank(page.SelectedSlot, page, config.ThumbSetting, ...);
//     clear the slot whole; if (blank.List1) List1 = *blank.List1;
//     opener.rebuildSiteSelection();

#include "core/sites/SiteRecord.h"
#include "core/sites/SlotTable.h"
#include "core/thumbs/PageState.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavimo {

// Where a pick from the site-selection grid goes, fixed when the grid opens.
struct SitePick {
    int slot = 0;             // the slot the pop-up was opened on
    bool wxList = false;      // the grid shows WxSiteList (its indexes are WX sites)
    bool galleryPick = false; // the pick opens the gallery instead of filling a slot

    bool operator==(const SitePick &) const = default;
};

// The pick of a grid opened now. A gallery pick always lists the SSTV sites:
// the gallery shows SiteList sites only, whatever page is on show.
SitePick captureSitePick(bool galleryPick, const PageState &page);

// What the window does with the slot. On either page the slot's picture file
// goes before the new picture is fetched: a failed fetch must not leave the
// previous site's picture there to be viewed, saved or pasted under the new
// site's name.
struct SlotAssignment {
    int slot = 0;
    int site = 0;
    // The slot the site held before on this page, now empty: clear it whole.
    // Nothing when it held none, or one beyond the layout.
    std::optional<int> clearSlot;
    QString caption;  // lblCall: SSTV callsign with "0" as ZeroChar; WX name as stored
    QString url;      // the picture to fetch now
    QString checkUrl; // SSTV picture "image1": its check picture, requested too
    QString checkKey;
    QString pictureKey; // page x 100 + slot "-" site
    // SSTV: the page's List1 afterwards; WX: nothing (List1 stays).
    std::optional<QStringList> List1;
};

// AssignSiteToSlot: puts site `siteIndex` of the pick's list into the pick's
// slot on the page shown. Its slot-map entry of `thumbSetting` names the slot
// on this page (SSTV: the page's character, "1".."9", "A".. ; WX: the slot
// plus one); every other site of the same list loses that slot on this page.
// SSTV: `stSiteIndex` and `stSiteCall` of the slot are written, and the old
// slot's `stSiteCall` is emptied.
//
// Nothing changes, and nothing is returned, when the pick no longer fits: the
// page shown now uses the other list, the slot is beyond the layout, or the
// index names no site.
std::optional<SlotAssignment> AssignSiteToSlot(const SitePick &pick, int siteIndex,
                                               const PageState &page, int thumbSetting,
                                               SiteList &sites, WxSiteList &wxSites,
                                               SlotTable &table, const QString &zeroChar);

struct LeaveBlankResult {
    int slot = 0;
    std::optional<QStringList> List1; // SSTV page: List1 afterwards
};

// mnuLeaveBlank: no site of the page's list keeps `slot` on this page, and the
// slot's `stSiteCall` is emptied.
LeaveBlankResult LeaveSlotBlank(int slot, const PageState &page, int thumbSetting, SiteList &sites,
                                WxSiteList &wxSites, SlotTable &table);

// One item of the alphabetical menu of the sites on the page (the F2 key).
struct AlphaMenuItem {
    QString caption; // callsign with "0" as ZeroChar, four blanks, slot + 1
    int slot = 0;    // the slot whose frame blinks when the item is chosen

    bool operator==(const AlphaMenuItem &) const = default;
};

inline constexpr int kAlphaMenuItems = 24;

// The items of the alphabetical menu from List1, at most kAlphaMenuItems.
QList<AlphaMenuItem> alphaMenu(const QStringList &List1, const QString &zeroChar);

// The slot a List1 item names: the number in its last two characters, less one.
int blinkSlotOf(const QString &list1Item);

} // namespace tavimo
