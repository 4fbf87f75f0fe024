// The maker's updates list and the news rules applied to a list of sites.
#include "FuzzSupport.h"

#include "core/net/UpdateCheck.h"
#include "core/net/UpdatesList.h"

using namespace tavimo;
using namespace tavimo::fuzz;

namespace {

SiteList sampleSites() {
    SiteList sites;
    for (const char *call : {"K1ABC", "SM0XYZ", "DL0ABC", ""}) {
        SiteRecord r;
        r.Callsign = QString::fromLatin1(call);
        r.PictureUrl = QStringLiteral("http://127.0.0.1/%1/image1.jpg").arg(r.Callsign);
        sites.append(r);
    }
    return sites;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = input(data, size);
    readUpdatesHeader(bytes);
    parseUpdatesListDate(QString::fromLatin1(bytes.left(64)));
    const SiteList sites = sampleSites();
    for (const ListSource source : {ListSource::Main, ListSource::Mirror})
        judgeUpdatesList(source, bytes, QDate(2024, 5, 31), sites);
    const std::optional<UpdatesList> list = readUpdatesList(bytes);
    if (!list)
        return 0;
    compareSiteList(*list, sites);
    SiteList changed = sites;
    applySiteChanges(changed, *list);
    fillMissingPositions(changed, *list);
    for (const NewSiteEntry &entry : list->newSites)
        newSiteRecord(entry);
    return 0;
}
