#pragma once

// What loading a page does, worked out without touching a window.
//
// A page load places the sites of the page into their slots, labels the
// slots and starts one request per slot. planSstvPage and planWxPage say which
// slots, with which captions, addresses and keys; the main window then only
// applies the plan:
//
//     // SSTV page (LoadSstvPage)
//     const PagePlan plan = planSstvPage(state.SiteList, page.CurrentPage,
//                                        config.ThumbSetting, page.SlotCount, state.ZeroChar);
//     List1 = plan.List1;
//     for (const PlannedSlot &p : plan.placed) { // label pass
//         lblCall[p.slot] = p.caption; lblConnect[p.slot] shown; lblFrom[p.slot] hidden;
//     }
//     plan.writeSlotTable(slotTable);
//     pass.start(plan.slotNumbers());
//     for (const PlannedSlot &p : plan.placed) // request pass
//         ucCkNew.downloadPicture(p.checkUrl, p.key);
//     if (plan.placed.isEmpty())
//         restorePlainMenuText(mnuRefresh, mnuRefresh->text()); // no pass end will come
//
//     // WX page (LoadWxPage): every picture at once, no check picture
//     const PagePlan plan = planWxPage(state.WxSiteList, page.CurrentPage,
//                                      config.ThumbSetting, page.SlotCount);
//     pass.start(plan.slotNumbers());
//     for (const PlannedSlot &p : plan.placed) {
//         lblCall[p.slot] = p.caption; lblFrom[p.slot] = ""; picProg[p.slot] shown;
//         ucDnLoad.downloadFile(p.url, p.key);
//     }
//
// Every answer, failure or "no new picture" then calls pass.finish(slot), and
// the end-of-pass rule runs whenever that returns true.

#include "core/sites/SiteRecord.h"
#include "core/sites/SlotTable.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavimo {

struct PageState;

// The picture address as requested: every "NoDelete" marker removed
// (case-sensitive).
QString requestUrl(const QString &pictureUrl);

// The check picture beside a picture: the address up to and including its last
// "/", then "checknew.jpg".
QString checkPictureUrl(const QString &url);

// One slot of the page and the one request that fills it.
struct PlannedSlot {
    int slot = 0;
    int site = 0;     // index in SiteList (SSTV) or WxSiteList (WX)
    QString caption;  // lblCall: SSTV callsign with every "0" as ZeroChar; WX name as stored
    QString url;      // the picture address (SSTV: without "NoDelete"; WX: as stored)
    QString checkUrl; // SSTV: the check picture to request first; WX: empty
    QString key;      // SSTV: the check key (slot); WX: the picture key (page x 100 + slot)

    bool operator==(const PlannedSlot &) const = default;
};

struct PagePlan {
    bool wxPage = false;
    // One entry per slot that the pass fills, in list order. When two sites
    // claim one slot the later one in the list has it (its caption is the one
    // that stayed on the label), and only it is requested. A site placed at or
    // beyond the layout's slot count takes no part.
    QList<PlannedSlot> placed;
    // SSTV only: callsign as stored & four blanks & (slot + 1), one item per
    // site placed on the page, for the alphabetical menu and the F2 key.
    QStringList List1;

    // Requests made, which is exactly the number of slots that will finish.
    int ExpectedCount() const { return int(placed.size()); }
    QList<int> slotNumbers() const;

    // SSTV: `stSiteCall` = caption and `stSiteIndex` = site of every planned
    // slot; other rows and columns are left alone. WX: writes nothing.
    void writeSlotTable(SlotTable &table) const;
};

// The SSTV page `page` (1..10) under thumbnail setting `thumbSetting` (1..4,
// the SlotMap element read) with `slotCount` cells.
PagePlan planSstvPage(const SiteList &sites, int page, int thumbSetting, int slotCount,
                      const QString &zeroChar);

// The sites of each SSTV page under one thumbnail setting, so that a page
// load looks at its own sites rather than the whole list. Built on first use
// and kept until invalidate() (the lists changed), another setting, or
// another list (a list replaced or grown or shrunk in place is noticed). The
// plans are planSstvPage's.
class SstvPageIndex {
public:
    PagePlan plan(const SiteList &sites, int page, int thumbSetting, int slotCount,
                  const QString &zeroChar);
    void invalidate() { built_ = false; }

private:
    bool fits(const SiteList &sites, int thumbSetting) const;
    void rebuild(const SiteList &sites, int thumbSetting);

    bool built_ = false;
    int thumbSetting_ = -1;
    const SiteRecord *data_ = nullptr;
    qsizetype size_ = -1;
    // Index in SiteList of every site on page 1 to 10, in list order.
    QList<QList<int>> sitesOnPage_;
};

// The WX page (page number `wxPage`, which goes into the keys).
PagePlan planWxPage(const WxSiteList &sites, int wxPage, int thumbSetting, int slotCount);

// Fetching one slot again on demand (the slot menu's refresh, a click on a
// "Not found" slot). Sets the slot's `stCheckHeight` to "0", so that on an
// SSTV page the next check picture always leads to a download. The site is
// the one shown in the slot: on SSTV pages found as siteInSlot does, on the
// WX page the WX site whose name is the slot's caption (or, failing that, the
// first whose name the caption contains). Nothing when the slot is empty or
// no site matches; the WX page then fetches nothing rather than another
// site's picture. Nothing is added to the pass's expected count.
std::optional<PlannedSlot> planSlotRefetch(int slot, const PageState &page, SlotTable &table,
                                           const SiteList &sites, const WxSiteList &wxSites,
                                           const QString &slotCaption);

// Counts the slots of one pass. Every slot of the plan is counted exactly once,
// however it ends: a picture shown, a picture that cannot be shown, a failed
// download, a check picture saying there is nothing new, or an answer dropped
// because it no longer fits. Counting a slot twice, or a slot that is not part
// of the pass, changes nothing, so a pass always ends and never ends early.
//
// The gallery keeps its own counter for its own passes.
class PassCounter {
public:
    // A new pass over these slots (a slot listed twice counts once). An empty
    // pass is complete at once.
    void start(const QList<int> &slotList);

    // Counts `slot` finished. True when the pass is complete after it: the
    // end-of-pass rule applies (also for answers that come after the end, as
    // the rule has always been applied).
    bool finish(int slot);
    // `slot` waits again: its answer is asked for once more, and the pass
    // ends only once that answer has come too.
    void reopen(int slot);

    bool isComplete() const { return finished_.size() >= expected_.size(); }
    bool isPending(int slot) const { return expected_.contains(slot) && !finished_.contains(slot); }

    // The counts shown as `ExpectedCount` and `FinishedCount`.
    int ExpectedCount() const { return int(expected_.size()); }
    int FinishedCount() const { return int(finished_.size()); }

private:
    QSet<int> expected_;
    QSet<int> finished_;
};

} // namespace tavimo
