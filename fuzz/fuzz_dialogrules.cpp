// What the add and edit dialogs and the own-position window accept: the text
// of a position box, and the text of a callsign or address that a list keeps.
#include "FuzzSupport.h"

#include "core/geo/CoordinateText.h"
#include "core/sites/ListableText.h"
#include "core/sites/SiteEdits.h"

#include <cmath>

using namespace tavimo;
using namespace tavimo::fuzz;

namespace {

void checkPositionBox(const QString &text, CoordinateAxis axis) {
    const CoordinateBox box = readCoordinateBox(text, axis);
    if (box.refused()) {
        must(box.value == 0, "a refused box gives no value");
        return;
    }
    must(isCoordinate(box.value, axis), "an accepted box is on the globe");
    must(box.value == typedCoordinate(text, axis), "an accepted box reads as typed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = input(data, size);
    // What a user types or pastes is any Unicode; read the input both ways.
    for (const QString &text : {QString::fromUtf8(bytes), decodeCp1252(bytes)}) {
        checkPositionBox(text, CoordinateAxis::Latitude);
        checkPositionBox(text, CoordinateAxis::Longitude);

        const std::optional<UnlistableCharacter> refused = firstUnlistableCharacter(text);
        if (refused) {
            must(refused->at >= 0 && refused->at < text.size(), "the refused character is in");
            must(!characterName(refused->character).isEmpty(), "the refused character is named");
            continue;
        }
        // Accepted text stays as typed through a save and a read.
        if (text.isEmpty())
            continue;
        SiteList sites{newSstvSite(text, text, text, 0, 0)};
        const QString path =
            writeScratch(QStringLiteral("dialog.lst"), textFileBytes(siteListLines(sites)));
        const SiteListFile read = readSiteList(path);
        must(read.status == ListStatus::Read && read.sites.size() == 1, "an added site reads");
        must(read.sites[0].Callsign == sites[0].Callsign, "the callsign reads as added");
        must(read.sites[0].PictureUrl == text, "the address reads as added");
        must(read.sites[0].CamUrl == text, "the camera address reads as added");
        must(listedCallsign(text) == text, "accepted text is listed as it is");
    }
    return 0;
}
