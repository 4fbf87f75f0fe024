#include "core/net/UpdateCheck.h"

#include "core/base/Logging.h"
#include "core/base/Numbers.h"
#include "core/sites/ListablePosition.h"
#include "core/sites/SiteLists.h"

namespace tavimo {
namespace {

UpdateDecision refused(ListSource source, QString reason) {
    UpdateDecision decision;
    decision.action = UpdateDecision::Action::Refuse;
    decision.source = source;
    decision.reason = std::move(reason);
    return decision;
}

UpdateDecision mirrorInstead(ListSource source, QString reason, QString mirrorPath) {
    // Only the main list has a mirror to fall back on; the mirror's own failure ends the
    // check, so a dead or stale mirror can never be asked in a loop.
    if (source == ListSource::Mirror)
        return refused(source, std::move(reason));
    UpdateDecision decision = refused(source, std::move(reason));
    decision.action = UpdateDecision::Action::TryMirror;
    decision.mirrorPath = std::move(mirrorPath);
    return decision;
}

UpdateDecision ignored(ListSource source) {
    UpdateDecision decision;
    decision.action = UpdateDecision::Action::Ignore;
    decision.source = source;
    return decision;
}

// The position the news gives a site: each field's leading number, kept only as a pair the
// lists keep.
void takeListedPosition(SiteRecord &record, const NewSiteEntry &entry) {
    setListedPosition(record, Val(entry.latitude), Val(entry.longitude));
}

qsizetype firstWithAddress(const SiteList &sites, const QString &address) {
    for (qsizetype i = 0; i < sites.size(); ++i) {
        if (sites[i].PictureUrl == address)
            return i;
    }
    return -1;
}

} // namespace

SiteNews applySiteChanges(SiteList &sites, const UpdatesList &list) {
    SiteNews news;
    // Moves take effect at once, so a later entry sees the address an earlier one gave.
    for (const AddressEntry &entry : list.addressEntries) {
        // Another site at the new address already: the move is not made (two records of one
        // address would lose one at the next save), and it is listed once.
        const bool targetTaken = !entry.discontinued && firstWithAddress(sites, entry.newUrl) >= 0;
        bool listed = false;
        for (SiteRecord &site : sites) {
            if (site.PictureUrl != entry.pictureUrl)
                continue;
            if (entry.discontinued) {
                news.discontinued.append({site.Callsign, site.PictureUrl});
            } else if (targetTaken) {
                if (!listed)
                    news.blockedMoves.append({site.Callsign, site.PictureUrl, entry.newUrl});
                listed = true;
            } else {
                news.movedSites.append({site.Callsign, site.PictureUrl, entry.newUrl});
                site.PictureUrl = entry.newUrl;
            }
        }
    }
    for (const CallsignEntry &entry : list.callsignEntries) {
        for (SiteRecord &site : sites) {
            if (site.Callsign == entry.oldCallsign) {
                site.Callsign = entry.newCallsign;
                news.renamedSites.append(entry);
                break;
            }
        }
    }
    SortSiteList(sites);
    for (const NewSiteEntry &entry : list.newSites) {
        if (firstWithAddress(sites, entry.pictureUrl) < 0)
            news.newSites.append(entry);
    }
    for (const NewSiteEntry &entry : list.cameraSites) {
        if (firstWithAddress(sites, entry.pictureUrl) < 0)
            news.cameraSites.append(entry);
    }
    return news;
}

ClosingChanges applyClosingChanges(SiteList &sites, const SiteNews &news,
                                   const QList<bool> &removeChecked) {
    ClosingChanges changes;
    for (const NewSiteEntry &entry : news.newSites) {
        if (firstWithAddress(sites, entry.pictureUrl) >= 0)
            continue;
        sites.append(newSiteRecord(entry));
        ++changes.added;
    }
    if (changes.added > 0)
        SortSiteList(sites);
    for (qsizetype i = 0; i < news.discontinued.size(); ++i) {
        const DiscontinuedSite &gone = news.discontinued[i];
        const qsizetype index = firstWithAddress(sites, gone.pictureUrl);
        if (index < 0)
            continue;
        if (removeChecked.value(i, true)) {
            if (sites.size() <= 1)
                continue;
            changes.removed.append({sites[index].Callsign, sites[index].PictureUrl});
            sites.removeAt(index);
        } else {
            sites[index].PictureUrl += kNoDeleteMark;
            changes.keptAddresses.append(gone.pictureUrl);
        }
    }
    return changes;
}

SiteNews compareSiteList(const UpdatesList &list, const SiteList &sites) {
    SiteList copy = sites;
    return applySiteChanges(copy, list);
}

SiteRecord newSiteRecord(const NewSiteEntry &entry) {
    SiteRecord record;
    record.Callsign = entry.callsign;
    record.PictureUrl = entry.pictureUrl;
    takeListedPosition(record, entry);
    record.CamUrl = entry.camUrl;
    for (std::size_t layout = 1; layout < record.SlotMap.size(); ++layout)
        record.SlotMap[layout] = QStringLiteral("0000000000");
    return record;
}

int fillMissingPositions(SiteList &sites, const UpdatesList &list) {
    int changed = 0;
    for (const NewSiteEntry &entry : list.newSites) {
        const qsizetype index = firstWithAddress(sites, entry.pictureUrl);
        if (index < 0)
            continue;
        SiteRecord &site = sites[index];
        // Each unknown coordinate on its own, so a site on the equator or the zero meridian
        // learns its other half; but the pair must stay a place: 52 beside 200 is none.
        double latitude = site.Latitude;
        double longitude = site.Longitude;
        if (latitude == 0 && !entry.latitude.isEmpty())
            latitude = Val(entry.latitude);
        if (longitude == 0 && !entry.longitude.isEmpty())
            longitude = Val(entry.longitude);
        if (!isListablePosition(latitude, longitude) ||
            (latitude == site.Latitude && longitude == site.Longitude))
            continue;
        site.Latitude = latitude;
        site.Longitude = longitude;
        ++changed;
    }
    return changed;
}

UpdateDecision judgeUpdatesList(ListSource source, const QByteArray &bytes, const QDate &todayUtc,
                                const SiteList &sites) {
    const std::optional<UpdatesListHeader> header = readUpdatesHeader(bytes);
    if (!header)
        return refused(source, QStringLiteral("no header"));
    if (header->declaredSize != double(bytes.size())) {
        return refused(source, QStringLiteral("%1 bytes received, the header says %2")
                                   .arg(bytes.size())
                                   .arg(numberText(header->declaredSize)));
    }
    const std::optional<QDate> date = parseUpdatesListDate(header->dateText);
    if (!date)
        return refused(source, QStringLiteral("unreadable date \"%1\"").arg(header->dateText));
    const qint64 age = date->daysTo(todayUtc);
    if (age > kUpdatesListMaxAgeDays) {
        return mirrorInstead(source, QStringLiteral("%1 days old").arg(age),
                             kMirrorListAfterOldList);
    }
    std::optional<UpdatesList> list = readUpdatesList(bytes);
    if (!list)
        return refused(source, QStringLiteral("fewer than %1 sections").arg(kUpdatesSectionCount));

    UpdateDecision decision;
    decision.action = UpdateDecision::Action::Accept;
    decision.source = source;
    decision.news = compareSiteList(*list, sites);
    decision.list = std::move(list);
    return decision;
}

UpdateDecision judgeFailedList(ListSource source) {
    return mirrorInstead(source, QStringLiteral("not fetched"), kMirrorListAfterFailure);
}

UpdateDecision UpdateCheck::listReceived(ListSource source, const QByteArray &bytes,
                                         const QDate &todayUtc, const SiteList &sites) {
    if (awaited_ != source)
        return ignored(source);
    return follow(judgeUpdatesList(source, bytes, todayUtc, sites));
}

UpdateDecision UpdateCheck::listFailed(ListSource source) {
    if (awaited_ != source)
        return ignored(source);
    return follow(judgeFailedList(source));
}

UpdateDecision UpdateCheck::follow(UpdateDecision decision) {
    const char *from = decision.source == ListSource::Main ? "main" : "mirror";
    switch (decision.action) {
    case UpdateDecision::Action::TryMirror:
        qCInfo(lcCore) << "Updates list from the" << from << "host refused:" << decision.reason
                       << "- asking the mirror for" << decision.mirrorPath;
        awaited_ = ListSource::Mirror;
        break;
    case UpdateDecision::Action::Refuse:
        qCInfo(lcCore) << "Updates list from the" << from << "host refused:" << decision.reason;
        awaited_.reset();
        break;
    case UpdateDecision::Action::Accept:
    case UpdateDecision::Action::Ignore:
        awaited_.reset();
        break;
    }
    return decision;
}

} // namespace tavimo
