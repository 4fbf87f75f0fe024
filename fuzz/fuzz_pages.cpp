// The maker's home page (the version offered) and the web time page.
#include "FuzzSupport.h"

#include "core/net/TimePage.h"
#include "core/net/VersionCheck.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = input(data, size);
    if (const std::optional<QString> text = homePageVersionText(bytes))
        parseProgramVersion(*text);
    newerVersionOnHomePage(bytes, u"4.91");
    parseProgramVersion(QString::fromLatin1(bytes.left(64)));
    timePageUtcTime(bytes);
    return 0;
}
