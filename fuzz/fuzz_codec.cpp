// Windows-1252 and the text-file decoder: every byte round-trips, and text
// folded into the code page stays as it is.
#include "FuzzSupport.h"

#include "core/base/TextCodec.h"
#include "core/base/TextFile.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = input(data, size);
    must(encodeCp1252(decodeCp1252(bytes)) == bytes, "every byte round-trips");
    splitTextLines(bytes);
    if (const std::optional<QString> text = decodeTextFile(bytes)) {
        const QString folded = cp1252Text(*text);
        must(cp1252Text(folded) == folded, "folding twice changes nothing");
        for (const QString &line : splitTextLines(QStringView(*text)))
            must(!line.contains(u'\r') && !line.contains(u'\n'), "lines hold no line break");
    }
    return 0;
}
