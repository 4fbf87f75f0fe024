// Numbers read from text and written to files, download keys and slot maps.
#include "FuzzSupport.h"

#include "core/base/Numbers.h"
#include "core/base/TextCodec.h"
#include "core/sites/SlotMap.h"
#include "core/thumbs/DownloadKeys.h"

#include <cmath>
#include <cstring>

using namespace tavimo;
using namespace tavimo::fuzz;

namespace {

void writtenNumberReadsBack(double value) {
    const QString text = numberText(value);
    must(!text.contains(u'e') && !text.contains(u'E'), "no exponent");
    must(numberText(Val(text)) == text, "a written number reads back the same");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = input(data, size);
    const QString text = decodeCp1252(bytes);
    const double value = Val(text);
    toInt16(value);
    toInt32(value);
    writtenNumberReadsBack(value);
    if (size == sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        writtenNumberReadsBack(raw);
        roundHalfEven(raw);
        toInt16(raw);
        toInt32(raw);
    }
    digitsValue(text);
    parseCheckKey(text);
    parsePictureKey(text);
    for (int page = 0; page <= 11; ++page) {
        sstvSlotOnPage(text, page);
        withSstvSlotOnPage(text, page, page * 3 - 1);
    }
    wxSlotIndex(text);
    for (const QChar c : text)
        slotChar(slotIndexFromChar(c));
    return 0;
}
