#include "core/thumbs/SlotAssignment.h"

#include "core/base/Logging.h"
#include "core/base/Numbers.h"
#include "core/sites/SlotMap.h"
#include "core/thumbs/DownloadKeys.h"
#include "core/thumbs/PagePlan.h"

namespace tavimo {

namespace {

const QString kListGap = QStringLiteral("    ");

bool validSetting(int thumbSetting) {
    return thumbSetting >= 0 && thumbSetting <= 4;
}

QStringList sstvList1(const SiteList &sites, const PageState &page, int thumbSetting) {
    // The captions are not read here, so the zero character does not matter.
    return planSstvPage(sites, page.CurrentPage, thumbSetting, page.SlotCount, QString(u'0')).List1;
}

// Takes `slot` of the page away from every SSTV site that holds it.
void clearSstvSlot(SiteList &sites, int page, int thumbSetting, int slot) {
    for (SiteRecord &site : sites) {
        QString &map = site.SlotMap[thumbSetting];
        if (sstvSlotOnPage(map, page) == slot)
            map = withSstvSlotOnPage(map, page, -1);
    }
}

void clearWxSlot(WxSiteList &sites, int thumbSetting, int slot) {
    for (SiteRecord &site : sites) {
        QString &map = site.SlotMap[thumbSetting];
        if (wxSlotIndex(map) == slot)
            map = wxSlotText(-1);
    }
}

} // namespace

SitePick captureSitePick(bool galleryPick, const PageState &page) {
    return {page.SelectedSlot, galleryPick ? false : page.isWxPage(), galleryPick};
}

std::optional<SlotAssignment> AssignSiteToSlot(const SitePick &pick, int siteIndex,
                                               const PageState &page, int thumbSetting,
                                               SiteList &sites, WxSiteList &wxSites,
                                               SlotTable &table, const QString &zeroChar) {
    const bool wx = page.isWxPage();
    const int k = pick.slot;
    const qsizetype count = wx ? wxSites.size() : sites.size();
    if (pick.galleryPick || pick.wxList != wx || k < 0 || k >= page.SlotCount ||
        k >= SlotTable::Rows || siteIndex < 0 || siteIndex >= count ||
        !validSetting(thumbSetting)) {
        qCDebug(lcCore) << "site pick dropped: slot" << k << "site" << siteIndex << "wx" << wx;
        return std::nullopt;
    }

    SlotAssignment a;
    a.slot = k;
    a.site = siteIndex;
    const int p = page.CurrentPage;
    auto oldSlotToClear = [&](int old) -> std::optional<int> {
        if (old < 0)
            return std::nullopt;
        table.setValue(old, stSiteCall, QString());
        if (old >= page.SlotCount)
            return std::nullopt;
        return old;
    };

    if (!wx) {
        SiteRecord &site = sites[siteIndex];
        const int old = sstvSlotOnPage(site.SlotMap[thumbSetting], p);
        table.setValue(k, stSiteIndex, QString::number(siteIndex));
        a.clearSlot = oldSlotToClear(old);
        clearSstvSlot(sites, p, thumbSetting, k);
        site.SlotMap[thumbSetting] = withSstvSlotOnPage(site.SlotMap[thumbSetting], p, k);
        a.caption = shownCallsign(site.Callsign, zeroChar);
        table.setValue(k, stSiteCall, a.caption);
        a.url = requestUrl(site.PictureUrl);
        if (a.url.toLower().endsWith(QStringLiteral("image1"))) {
            a.checkUrl = checkPictureUrl(a.url);
            a.checkKey = checkKey(k);
        }
        a.List1 = sstvList1(sites, page, thumbSetting);
    } else {
        SiteRecord &site = wxSites[siteIndex];
        const int old = wxSlotIndex(site.SlotMap[thumbSetting]);
        a.clearSlot = oldSlotToClear(old);
        clearWxSlot(wxSites, thumbSetting, k);
        site.SlotMap[thumbSetting] = wxSlotText(k);
        a.caption = site.Callsign;
        a.url = site.PictureUrl;
    }
    a.pictureKey = pictureKey(p, k, siteIndex);
    return a;
}

LeaveBlankResult LeaveSlotBlank(int slot, const PageState &page, int thumbSetting, SiteList &sites,
                                WxSiteList &wxSites, SlotTable &table) {
    LeaveBlankResult result;
    result.slot = slot;
    table.setValue(slot, stSiteCall, QString());
    if (slot < 0 || !validSetting(thumbSetting))
        return result;
    if (!page.isWxPage()) {
        clearSstvSlot(sites, page.CurrentPage, thumbSetting, slot);
        result.List1 = sstvList1(sites, page, thumbSetting);
    } else {
        clearWxSlot(wxSites, thumbSetting, slot);
    }
    return result;
}

QList<AlphaMenuItem> alphaMenu(const QStringList &List1, const QString &zeroChar) {
    QList<AlphaMenuItem> items;
    for (const QString &item : List1) {
        if (items.size() == kAlphaMenuItems)
            break;
        // Only the callsign shows the zero character; slot 10 stays "10".
        const qsizetype gap = item.lastIndexOf(kListGap);
        const qsizetype callEnd = gap < 0 ? item.size() : gap;
        const QString caption = shownCallsign(item.left(callEnd), zeroChar) + item.mid(callEnd);
        items.append({caption, blinkSlotOf(item)});
    }
    return items;
}

int blinkSlotOf(const QString &list1Item) {
    const auto value = toInt32(roundHalfEven(Val(list1Item.right(2))));
    return value ? *value - 1 : -1;
}

} // namespace tavimo
