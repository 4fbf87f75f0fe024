#include "core/sites/CallsignIndex.h"

#include <QHash>

#include <algorithm>

namespace tavimo {

namespace {

constexpr QChar kSlashedZero(0x00D8);

// Equal callsigns, "0" for every "Ø", hash equal.
std::size_t callHash(const QString &callsign) {
    return callsign.contains(kSlashedZero) ? qHash(storedCallsign(callsign)) : qHash(callsign);
}

bool sameCall(const QString &callsign, const QString &call) {
    return callsign.contains(kSlashedZero) ? storedCallsign(callsign) == call : callsign == call;
}

} // namespace

qsizetype CallsignIndex::first(const SiteList &sites, const QString &call) {
    if (builtFor_ != sites.constData() || builtSize_ != sites.size())
        build(sites);
    return find(sites, call);
}

void CallsignIndex::clear() {
    byHash_.clear();
    builtFor_ = nullptr;
    builtSize_ = -1;
}

void CallsignIndex::build(const SiteList &sites) {
    byHash_.clear();
    byHash_.reserve(std::size_t(sites.size()));
    for (qsizetype i = 0; i < sites.size(); ++i)
        byHash_.emplace_back(callHash(sites.at(i).Callsign), i);
    std::sort(byHash_.begin(), byHash_.end());
    builtFor_ = sites.constData();
    builtSize_ = sites.size();
}

qsizetype CallsignIndex::find(const SiteList &sites, const QString &call) const {
    const std::size_t hash = qHash(call);
    auto at = std::lower_bound(byHash_.begin(), byHash_.end(), std::make_pair(hash, qsizetype(0)));
    for (; at != byHash_.end() && at->first == hash; ++at) {
        if (at->second < sites.size() && sameCall(sites.at(at->second).Callsign, call))
            return at->second;
    }
    return -1;
}

} // namespace tavimo
