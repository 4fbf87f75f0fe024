#pragma once

#include "core/sites/SiteRecord.h"

#include <QHash>
#include <QString>

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
    // `call` exactly; -1 when there is none. A list that is not the one the
    // index was built for (another size, another store, or a hit that no
    // longer matches) is indexed afresh.
    qsizetype first(const SiteList &sites, const QString &call);

    // After a change of the list.
    void clear();

private:
    void build(const SiteList &sites);

    QHash<QString, qsizetype> first_;
    const SiteRecord *builtFor_ = nullptr;
    qsizetype builtSize_ = -1;
};

} // namespace tavimo
