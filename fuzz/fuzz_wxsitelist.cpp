// WXsites.lst: the reader and the duplicate pass; what is written reads back
// to the same lines.
#include "FuzzSupport.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    checkListRoundTrip(QStringLiteral("WXsites.lst"), input(data, size), readWxSiteList,
                       wxSiteListLines);
    return 0;
}
