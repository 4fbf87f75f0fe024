// The text trailer behind a picture: cutting it off and reading its fields.
#include "FuzzSupport.h"

#include "core/thumbs/PictureTrailer.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = input(data, size);
    const SplitPicture split = splitPictureTrailer(bytes);
    must(bytes.startsWith(split.picture), "the picture is what comes before the trailer");
    if (!split.hasTrailer)
        return 0;
    const TrailerFields fields = parseTrailerText(split.text);
    for (const TrailerReader reader : {TrailerReader::Slot, TrailerReader::Gallery}) {
        for (const QString &zero : {QStringLiteral("0"), QStringLiteral("\u00D8")})
            senderCaption(fields, reader, QStringLiteral("From "), zero);
    }
    withCenturyYear(fields.date);
    return 0;
}
