#include "core/sites/CallsignIndex.h"

#include <QHash>

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
    table_.clear();
    builtFor_ = nullptr;
    builtSize_ = -1;
}

void CallsignIndex::build(const SiteList &sites) {
    // At most half full, so that probe runs stay short.
    std::size_t size = 16;
    while (size < std::size_t(sites.size()) * 2)
        size *= 2;
    table_.assign(size, Slot{});
    const std::size_t mask = size - 1;
    for (qsizetype i = 0; i < sites.size(); ++i) {
        const std::size_t hash = callHash(sites.at(i).Callsign);
        std::size_t at = hash & mask;
        while (table_[at].index >= 0)
            at = (at + 1) & mask;
        table_[at] = Slot{quint32(hash), qint32(i)};
    }
    builtFor_ = sites.constData();
    builtSize_ = sites.size();
}

qsizetype CallsignIndex::find(const SiteList &sites, const QString &call) const {
    if (table_.empty())
        return -1;
    const std::size_t hash = qHash(call);
    const std::size_t mask = table_.size() - 1;
    for (std::size_t at = hash & mask; table_[at].index >= 0; at = (at + 1) & mask) {
        const Slot &slot = table_[at];
        if (slot.hash == quint32(hash) && slot.index < sites.size() &&
            sameCall(sites.at(slot.index).Callsign, call))
            return slot.index;
    }
    return -1;
}

} // namespace tavimo
