// tavimo.lst: the old-format conversion, the reader and the duplicate pass;
// what is written reads back to the same lines.
#include "FuzzSupport.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = input(data, size);
    const QString path = writeScratch(QStringLiteral("old.lst"), bytes);
    if (isOldFormatSiteList(path)) {
        const QString backups = scratch().filePath(QStringLiteral("Backups"));
        ConvertOldSiteList(path, backups);
        QDir(backups).removeRecursively();
        checkListRoundTrip(QStringLiteral("tavimo.lst"), readBytes(path), readSiteList,
                           siteListLines);
    }
    checkListRoundTrip(QStringLiteral("tavimo.lst"), bytes, readSiteList, siteListLines);
    return 0;
}
