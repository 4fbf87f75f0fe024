#include "core/thumbs/DownloadKeys.h"

#include "core/base/Numbers.h"

#include <cmath>

namespace tavimo {

namespace {

bool isSstvPage(const PageState &page) {
    return page.CurrentPage < page.PageCount;
}

bool inLayout(int slot, const PageState &page) {
    return slot >= 0 && slot < page.SlotCount;
}

} // namespace

QString checkKey(int slot) {
    return QString::number(slot);
}

QString pictureKey(int page, int slot) {
    return QString::number(page * 100 + slot);
}

QString pictureKey(int page, int slot, int site) {
    return pictureKey(page, slot) + u'-' + QString::number(site);
}

std::optional<CheckKey> parseCheckKey(const QString &key) {
    const auto slot = toInt32(Val(key));
    if (!slot)
        return std::nullopt;
    return CheckKey{*slot};
}

std::optional<PictureKey> parsePictureKey(const QString &key) {
    const double value = Val(key);
    const auto page = toInt32(std::floor(value / 100));
    const auto slot = page ? toInt32(value - double(*page) * 100) : std::nullopt;
    if (!page || !slot)
        return std::nullopt;
    PictureKey result{*page, *slot, std::nullopt};
    const qsizetype dash = key.indexOf(u'-');
    if (dash >= 0) {
        const auto site = toInt32(Val(QStringView(key).mid(dash + 1)));
        if (!site)
            return std::nullopt;
        result.site = *site;
    }
    return result;
}

std::optional<int> shownSlot(const CheckKey &key, const PageState &page) {
    if (!isSstvPage(page) || !inLayout(key.slot, page))
        return std::nullopt;
    return key.slot;
}

std::optional<int> shownSlot(const PictureKey &key, const PageState &page) {
    if (key.page != page.CurrentPage || !inLayout(key.slot, page))
        return std::nullopt;
    return key.slot;
}

std::optional<int> siteInSlot(int slot, const SlotTable &table, const SiteList &sites,
                              std::optional<int> preferredSite) {
    const QString call = storedCallsign(table.value(slot, stSiteCall));
    if (call.isEmpty())
        return std::nullopt;
    auto matches = [&](std::optional<int> site) {
        return site && *site >= 0 && *site < sites.size() &&
               storedCallsign(sites.at(*site).Callsign) == call;
    };
    if (matches(preferredSite))
        return preferredSite;
    const QString indexText = table.value(slot, stSiteIndex);
    if (!indexText.isEmpty()) {
        const auto indexed = toInt32(Val(indexText));
        if (matches(indexed))
            return indexed;
    }
    for (int i = 0; i < sites.size(); ++i) {
        if (storedCallsign(sites.at(i).Callsign) == call)
            return i;
    }
    return std::nullopt;
}

std::optional<SlotTarget> answerStillFits(const CheckKey &key, const PageState &page,
                                          const SlotTable &table, const SiteList &sites) {
    const auto slot = shownSlot(key, page);
    if (!slot)
        return std::nullopt;
    const auto site = siteInSlot(*slot, table, sites);
    if (!site)
        return std::nullopt;
    return SlotTarget{*slot, *site};
}

std::optional<SlotTarget> answerStillFits(const PictureKey &key, const PageState &page,
                                          const SlotTable &table, const SiteList &sites) {
    const auto slot = shownSlot(key, page);
    if (!slot)
        return std::nullopt;
    if (!isSstvPage(page))
        return SlotTarget{*slot, -1};
    const auto site = siteInSlot(*slot, table, sites, key.site);
    if (!site)
        return std::nullopt;
    return SlotTarget{*slot, *site};
}

} // namespace tavimo
