#include "core/files/Endpoints.h"

#include "core/files/SettingsStore.h"

#include <QUrl>

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
    qsizetype start = 0;
    while (start < path.size() && path.at(start) == u'/')
        ++start;
    const QUrl relative(path.mid(start), QUrl::TolerantMode);
    return QUrl(base, QUrl::TolerantMode).resolved(relative).toString(QUrl::FullyEncoded);
}

} // namespace tavimo
