#include "core/sites/CallsignIndex.h"

namespace tavimo {

qsizetype CallsignIndex::first(const SiteList &sites, const QString &call) {
    if (builtFor_ != sites.constData() || builtSize_ != sites.size())
        build(sites);
    qsizetype k = first_.value(call, -1);
    if (k >= 0 && storedCallsign(sites.at(k).Callsign) != call) {
        // Changed in place without word of it.
        build(sites);
        k = first_.value(call, -1);
    }
    return k;
}

void CallsignIndex::clear() {
    first_.clear();
    builtFor_ = nullptr;
    builtSize_ = -1;
}

void CallsignIndex::build(const SiteList &sites) {
    first_.clear();
    first_.reserve(sites.size());
    // From the end, so that the first of several records with one callsign stays.
    for (qsizetype i = sites.size() - 1; i >= 0; --i)
        first_.insert(storedCallsign(sites.at(i).Callsign), i);
    builtFor_ = sites.constData();
    builtSize_ = sites.size();
}

} // namespace tavimo
