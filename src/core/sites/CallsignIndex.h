#pragma once

#include "core/sites/SiteRecord.h"

#include <QString>

#include <cstddef>
#include <vector>

namespace tavimo {

// The first record of a site list with a given callsign, found without
// walking the list: a window that looks sites up at every pass keeps one,
// built on first use and dropped when the lists change.
//
//     connect(&events, &AppEvents::sitesChanged, [&] { index.clear(); });
//     const qsizetype k = index.first(state.SiteList, storedCallsign(call));
class CallsignIndex {
public:
    // The index of the first record whose callsign, "0" for every "Ø", is
    // `call` exactly; -1 when there is none. A list of another size or in
    // another store is indexed afresh; a callsign changed in place is known
    // after clear(). A record whose callsign no longer matches is never
    // answered.
    qsizetype first(const SiteList &sites, const QString &call);

    // After a change of the list.
    void clear();

private:
    void build(const SiteList &sites);
    qsizetype find(const SiteList &sites, const QString &call) const;

    // An open table of record indexes placed by their callsign's hash, filled
    // in list order with linear probing: the records of one callsign lie along
    // one probe run in list order, so the first that matches is the first of
    // the list. Nothing is copied or sorted per record, so a half-million list
    // is indexed in a few milliseconds.
    struct Slot {
        quint32 hash = 0;  // the hash's low half, to pass over most others unread
        qint32 index = -1; // -1: empty
    };
    std::vector<Slot> table_;
    const SiteRecord *builtFor_ = nullptr;
    qsizetype builtSize_ = -1;
};

} // namespace tavimo
