#include "core/thumbs/PagePlan.h"

#include "core/files/Config.h"
#include "core/sites/SlotMap.h"
#include "core/thumbs/DownloadKeys.h"

namespace tavimo {

namespace {

const QString kNoDelete = QStringLiteral("NoDelete");
constexpr int kSstvPages = kPageCount - 1;

bool validSetting(int thumbSetting) {
    return thumbSetting >= 0 && thumbSetting <= 4;
}

// Places `planned` into the plan; a slot that an earlier site already claimed
// goes to the later one, as its label is the one left on the screen.
void place(PagePlan &plan, PlannedSlot planned) {
    plan.placed.removeIf([&](const PlannedSlot &p) { return p.slot == planned.slot; });
    plan.placed.append(std::move(planned));
}

} // namespace

QString requestUrl(const QString &pictureUrl) {
    QString url = pictureUrl;
    return url.remove(kNoDelete, Qt::CaseSensitive);
}

QString checkPictureUrl(const QString &url) {
    return url.left(url.lastIndexOf(u'/') + 1) + QStringLiteral("checknew.jpg");
}

QList<int> PagePlan::slotNumbers() const {
    QList<int> numbers;
    numbers.reserve(placed.size());
    for (const PlannedSlot &p : placed)
        numbers.append(p.slot);
    return numbers;
}

void PagePlan::writeSlotTable(SlotTable &table) const {
    if (wxPage)
        return;
    for (const PlannedSlot &p : placed) {
        table.setValue(p.slot, stSiteCall, p.caption);
        table.setValue(p.slot, stSiteIndex, QString::number(p.site));
    }
}

// Adds site `i` to the plan of SSTV page `page` when it is placed there.
void planSstvSite(PagePlan &plan, const SiteList &sites, int i, int page, int thumbSetting,
                  int slotCount, const QString &zeroChar) {
    const SiteRecord &site = sites.at(i);
    const int slot = sstvSlotOnPage(site.SlotMap[thumbSetting], page);
    // A slot the layout does not show would never be answered for, and the
    // pass would wait for it for ever.
    if (slot < 0 || slot >= slotCount)
        return;
    plan.List1.append(site.Callsign + QStringLiteral("    ") + QString::number(slot + 1));
    const QString url = requestUrl(site.PictureUrl);
    place(plan, PlannedSlot{slot, i, shownCallsign(site.Callsign, zeroChar), url,
                            checkPictureUrl(url), checkKey(slot)});
}

PagePlan planSstvPage(const SiteList &sites, int page, int thumbSetting, int slotCount,
                      const QString &zeroChar) {
    PagePlan plan;
    if (!validSetting(thumbSetting))
        return plan;
    for (int i = 0; i < sites.size(); ++i)
        planSstvSite(plan, sites, i, page, thumbSetting, slotCount, zeroChar);
    return plan;
}

PagePlan SstvPageIndex::plan(const SiteList &sites, int page, int thumbSetting, int slotCount,
                             const QString &zeroChar) {
    PagePlan plan;
    if (!validSetting(thumbSetting) || page < 1 || page > kSstvPages)
        return planSstvPage(sites, page, thumbSetting, slotCount, zeroChar);
    if (!fits(sites, thumbSetting))
        rebuild(sites, thumbSetting);
    for (const int i : std::as_const(sitesOnPage_[page - 1]))
        planSstvSite(plan, sites, i, page, thumbSetting, slotCount, zeroChar);
    return plan;
}

bool SstvPageIndex::fits(const SiteList &sites, int thumbSetting) const {
    return built_ && thumbSetting_ == thumbSetting && data_ == sites.constData() &&
           size_ == sites.size();
}

void SstvPageIndex::rebuild(const SiteList &sites, int thumbSetting) {
    sitesOnPage_ = QList<QList<int>>(kSstvPages);
    for (int i = 0; i < sites.size(); ++i) {
        const QString &map = sites.at(i).SlotMap[thumbSetting];
        for (int page = 1; page <= kSstvPages; ++page) {
            if (sstvSlotOnPage(map, page) >= 0)
                sitesOnPage_[page - 1].append(i);
        }
    }
    built_ = true;
    thumbSetting_ = thumbSetting;
    data_ = sites.constData();
    size_ = sites.size();
}

PagePlan planWxPage(const WxSiteList &sites, int wxPage, int thumbSetting, int slotCount) {
    PagePlan plan;
    plan.wxPage = true;
    if (!validSetting(thumbSetting))
        return plan;
    for (int i = 0; i < sites.size(); ++i) {
        const SiteRecord &site = sites.at(i);
        const int slot = wxSlotIndex(site.SlotMap[thumbSetting]);
        if (slot < 0 || slot >= slotCount)
            continue;
        // No check picture here: its answer is judged against the SSTV list.
        place(plan, PlannedSlot{slot, i, site.Callsign, site.PictureUrl, QString(),
                                pictureKey(wxPage, slot)});
    }
    return plan;
}

std::optional<PlannedSlot> planSlotRefetch(int slot, const PageState &page, SlotTable &table,
                                           const SiteList &sites, const WxSiteList &wxSites,
                                           const QString &slotCaption) {
    table.setValue(slot, stCheckHeight, QStringLiteral("0"));
    if (slot < 0 || slot >= page.SlotCount)
        return std::nullopt;

    if (!page.isWxPage()) {
        const auto site = siteInSlot(slot, table, sites);
        if (!site)
            return std::nullopt;
        const QString url = requestUrl(sites.at(*site).PictureUrl);
        return PlannedSlot{
            slot, *site, table.value(slot, stSiteCall), url, checkPictureUrl(url), checkKey(slot)};
    }

    if (slotCaption.isEmpty())
        return std::nullopt;
    auto found = [&](auto matches) -> std::optional<int> {
        for (int i = 0; i < wxSites.size(); ++i) {
            if (matches(wxSites.at(i).Callsign))
                return i;
        }
        return std::nullopt;
    };
    // The name exactly first: "NOAA" would otherwise win every "NOAA 19" slot.
    auto site = found([&](const QString &name) { return name == slotCaption; });
    if (!site) {
        site = found(
            [&](const QString &name) { return !name.isEmpty() && slotCaption.contains(name); });
    }
    if (!site)
        return std::nullopt;
    return PlannedSlot{slot,        *site,
                       slotCaption, wxSites.at(*site).PictureUrl,
                       QString(),   pictureKey(page.CurrentPage, slot)};
}

void PassCounter::start(const QList<int> &slotList) {
    expected_ = QSet<int>(slotList.begin(), slotList.end());
    finished_.clear();
}

bool PassCounter::finish(int slot) {
    if (expected_.contains(slot))
        finished_.insert(slot);
    return isComplete();
}

void PassCounter::reopen(int slot) {
    finished_.remove(slot);
}

} // namespace tavimo
