#include "core/Endpoints.h"

#include "core/SettingsStore.h"

namespace tavimo {

Endpoints Endpoints::defaults() {
    Endpoints endpoints;
    for (const EndpointDefault &row : kEndpointDefaults)
        endpoints.*row.field = QString::fromLatin1(row.defaultValue);
    return endpoints;
}

Endpoints readEndpoints(const SettingsStore &store) {
    Endpoints endpoints;
    for (const EndpointDefault &row : kEndpointDefaults) {
        const QString key = QString::fromLatin1(row.key);
        endpoints.*row.field = store.contains(kEndpointsSection, key)
                                   ? store.value(kEndpointsSection, key).trimmed()
                                   : QString::fromLatin1(row.defaultValue);
    }
    return endpoints;
}

QString joinEndpoint(const QString &base, const QString &path) {
    if (base.isEmpty())
        return {};
    QString head = base;
    while (head.endsWith(u'/'))
        head.chop(1);
    qsizetype start = 0;
    while (start < path.size() && path.at(start) == u'/')
        ++start;
    return head + u'/' + path.mid(start);
}

} // namespace tavimo
