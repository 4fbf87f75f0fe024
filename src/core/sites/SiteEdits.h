#pragma once

#include "core/sites/SiteGrid.h"
#include "core/sites/SiteRecord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tavimo {

// What the add, edit and remove dialogs do to the site lists, without a window.
//
// A dialog refers to a record by its SiteKey, never by its index: the list may
// have been sorted, or a record removed, between the user's pick and the
// action.
//
//     add:    if (holdsForbiddenCharacter(field)) refuse;
//             if (indexOfAddress(list, url) >= 0) refuse;
//             addSiteSorted(list, newSstvSite(...), false);
//     edit:   const qsizetype i = findSite(list, key);
//             if (indexOfAddress(list, url, i) >= 0) refuse;
//             update the fields of list[i];
//             for (const SlotCaption &c : renamedCaptions(...)) set slot c.slot's caption;
//     remove: const SiteRemoval r = removeSite(list, key, wxList, view);
//             if (r.slotToClear >= 0) clear that slot;

// Finds a record again: its address and its callsign as they were when the
// user picked it. The callsign tells a record apart from an emptied duplicate
// of the same address that stays in memory until the program ends.
struct SiteKey {
    QString PictureUrl;
    QString Callsign;

    bool operator==(const SiteKey &) const = default;
};

SiteKey siteKey(const SiteRecord &site);

// The index of the record with that key, -1 when there is none any more.
qsizetype findSite(const SiteList &sites, const SiteKey &key);

// The index of the first record whose address equals `url` exactly (letter
// case counts, nothing trimmed), leaving out the record at `except`; -1 when
// no other record has it.
qsizetype indexOfAddress(const SiteList &sites, const QString &url, qsizetype except = -1);

// "*" separates the fields of the list files and a line break would split a
// record: a text holding either cannot be stored as the user typed it.
bool holdsForbiddenCharacter(QStringView text);

// What the add dialog stores. SSTV: the callsign with "Ø" as "0", on no page.
// WX: the name as typed, on no page, no position and no camera address.
SiteRecord newSstvSite(const QString &callBox, const QString &url, const QString &camUrl,
                       double latitude, double longitude);
SiteRecord newWxSite(const QString &nameBox, const QString &url);

// Appends the record to the SSTV list (wxList false) or the WX list and sorts
// the list by callsign; the index the record ends at.
qsizetype addSiteSorted(SiteList &sites, SiteRecord site, bool wxList);

struct SiteRemoval {
    bool removed = false;
    int slotToClear = -1; // the slot the site held on the page shown, or -1
};

// Removes the record with that key from the SSTV list (wxList false) or the WX
// list. The slot it held on the page shown is given back to be emptied.
SiteRemoval removeSite(SiteList &sites, const SiteKey &key, bool wxList, const PageView &view);

struct SlotCaption {
    int slot = 0;
    QString caption;

    bool operator==(const SlotCaption &) const = default;
};

// The thumbnail captions that name a renamed site, with their new text.
// `captions` and `siteCalls` hold, per slot of the page shown, the callsign
// caption and the slot table's site callsign. On an SSTV page a slot names the
// site when its site callsign is exactly oldCall; its caption then starts with
// it and may go on with the picture's age, which is kept. On the WX page,
// whose captions are the names alone, the caption must be exactly oldCall. A
// callsign that merely contains oldCall, or starts like it, is left alone.
QList<SlotCaption> renamedCaptions(const QStringList &captions, const QStringList &siteCalls,
                                   bool wxPage, const QString &oldCall, const QString &newCall);

} // namespace tavimo
