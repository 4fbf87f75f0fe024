#pragma once

// What a window is opened for, captured as a value when it is asked for: the
// window reads nothing of it later from shared data that may have changed
// meanwhile.

#include "core/geo/SitePosition.h"
#include "core/thumbs/SlotAssignment.h"

#include <QString>

namespace tavimo {

// Which of the two site lists a request names.
enum class SiteListKind { Sstv, Wx };

// The gallery's site: the one in a slot of the page shown, or one record of a
// list.
struct GalleryRequest {
    enum class Mode {
        PageSlot,   // `index` is a slot of the main window's page
        ListRecord, // `index` is a record of `list`
    };
    Mode mode = Mode::PageSlot;
    SiteListKind list = SiteListKind::Sstv;
    int index = 0; // zero-based

    static GalleryRequest pageSlot(int slot) { return {Mode::PageSlot, SiteListKind::Sstv, slot}; }
    static GalleryRequest listRecord(int record, SiteListKind list = SiteListKind::Sstv) {
        return {Mode::ListRecord, list, record};
    }
    bool operator==(const GalleryRequest &) const = default;
};

// Whose picture the large viewer shows: a slot of the main window's page or a
// cell of the gallery. The viewer follows that slot or cell alone: when its
// picture is shown anew the viewer shows the new one, and the pictures of
// other slots and cells leave it alone.
struct ViewerSource {
    enum class Kind { PageSlot, GalleryCell };
    Kind kind = Kind::PageSlot;
    int index = 0; // zero-based

    static ViewerSource pageSlot(int slot) { return {Kind::PageSlot, slot}; }
    static ViewerSource galleryCell(int cell) { return {Kind::GalleryCell, cell}; }
    bool operator==(const ViewerSource &) const = default;
};

// One site on a regional map, as the slot's pop-up found it.
struct SiteMapRequest {
    int mapIndex = 0;      // the entry of the map list
    SitePosition position; // 0, 0: the site has none
    QString callsign;      // the slot's site callsign as shown

    bool operator==(const SiteMapRequest &) const = default;
};

// Where a pick of the site-selection grid goes: to the gallery, or into a
// slot, from which list (fixed when the grid opens).
using SelectionRequest = SitePick;

} // namespace tavimo
