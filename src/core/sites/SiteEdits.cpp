#include "core/sites/SiteEdits.h"

#include "core/sites/SiteLists.h"
#include "core/sites/SlotMap.h"

#include <utility>

namespace tavimo {

SiteKey siteKey(const SiteRecord &site) {
    return {site.PictureUrl, site.Callsign};
}

qsizetype findSite(const SiteList &sites, const SiteKey &key) {
    for (qsizetype i = 0; i < sites.size(); ++i) {
        if (sites[i].PictureUrl == key.PictureUrl && sites[i].Callsign == key.Callsign)
            return i;
    }
    return -1;
}

qsizetype indexOfAddress(const SiteList &sites, const QString &url, qsizetype except) {
    for (qsizetype i = 0; i < sites.size(); ++i) {
        if (i != except && sites[i].PictureUrl == url)
            return i;
    }
    return -1;
}

bool holdsForbiddenCharacter(QStringView text) {
    for (const QChar c : text) {
        if (c == u'*' || c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

SiteRecord newSstvSite(const QString &callBox, const QString &url, const QString &camUrl,
                       double latitude, double longitude) {
    SiteRecord r;
    r.Callsign = storedCallsign(callBox);
    r.PictureUrl = url;
    for (int k = 1; k <= 4; ++k)
        r.SlotMap[k] = kEmptySlotMap;
    r.Latitude = latitude;
    r.Longitude = longitude;
    r.CamUrl = camUrl;
    return r;
}

SiteRecord newWxSite(const QString &nameBox, const QString &url) {
    SiteRecord r;
    r.Callsign = nameBox;
    r.PictureUrl = url;
    for (int k = 1; k <= 4; ++k)
        r.SlotMap[k] = wxSlotText(-1);
    return r;
}

qsizetype addSiteSorted(SiteList &sites, SiteRecord site, bool wxList) {
    const SiteKey key = siteKey(site);
    sites.append(std::move(site));
    if (wxList)
        SortWxSiteList(sites);
    else
        SortSiteList(sites);
    return findSite(sites, key);
}

SiteRemoval removeSite(SiteList &sites, const SiteKey &key, bool wxList, const PageView &view) {
    const qsizetype i = findSite(sites, key);
    if (i < 0)
        return {};
    const int slot = slotOnPage(sites[i], wxList, view);
    sites.removeAt(i);
    return {true, slot};
}

QList<SlotCaption> renamedCaptions(const QStringList &captions, const QStringList &siteCalls,
                                   bool wxPage, const QString &oldCall, const QString &newCall) {
    QList<SlotCaption> renamed;
    if (oldCall.isEmpty())
        return renamed;
    for (qsizetype slot = 0; slot < captions.size(); ++slot) {
        const QString &caption = captions[slot];
        if (wxPage) {
            if (caption == oldCall)
                renamed.append({int(slot), newCall});
        } else if (slot < siteCalls.size() && siteCalls[slot] == oldCall &&
                   caption.startsWith(oldCall)) {
            renamed.append({int(slot), newCall + caption.mid(oldCall.size())});
        }
    }
    return renamed;
}

} // namespace tavimo
