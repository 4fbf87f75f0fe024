#pragma once

// The keys that tie download answers to slots, and the test whether an answer
// still belongs on the page.
//
// A check picture is requested under the bare slot number ("7"). A picture is
// requested under page x 100 + slot ("1107" on the WX page) and, on SSTV pages,
// with "-" and the site's SiteList index after it ("307-12"). The gallery uses
// the same picture keys with its owner number in place of the page.
//
// Answers arrive long after the request, and by then the user may have changed
// the page, emptied or reassigned the slot, or the site list may have been
// re-sorted. The main window's handlers therefore begin like this:
//
//     const auto key = parsePictureKey(id);
//     const auto slot = key ? shownSlot(*key, state.page) : std::nullopt;
//     if (!slot)
//         return; // another page, or beyond the layout: not this pass's business
//     const auto target = answerStillFits(*key, state.page, slotTable, state.SiteList);
//     if (!target) { // the slot no longer shows that site: drop the answer...
//         if (pass.finish(*slot)) // ...but the slot still counts, so the pass ends
//             endOfPass();
//         return;
//     }
//     // work on target->slot and target->site (never on the key's own site)
//
// and the same with parseCheckKey for the check-picture answers.

#include "core/sites/SiteRecord.h"
#include "core/sites/SlotTable.h"
#include "core/thumbs/PageState.h"

#include <QString>

#include <optional>

namespace tavimo {

// --- Making keys ------------------------------------------------------------

// "7": the check picture of slot 7.
QString checkKey(int slot);
// "1107": page 11, slot 7 (a WX picture, or any picture without a site).
QString pictureKey(int page, int slot);
// "307-12": page 3, slot 7, site 12 (a picture after its check picture).
QString pictureKey(int page, int slot, int site);

// --- Reading keys -------------------------------------------------------------

struct CheckKey {
    int slot = 0;
};

struct PictureKey {
    int page = 0;            // the leading number divided by 100, rounded down
    int slot = 0;            // the leading number less page x 100
    std::optional<int> site; // the number after the first "-", when there is one
};

// The slot of a check key: the key's leading number, rounded. Nothing when it
// does not fit a whole number.
std::optional<CheckKey> parseCheckKey(const QString &key);

// The page part, slot and site of a picture key, each number read with Val
// (the leading number stops at "-": "307-12" reads as 307). Nothing
// when a number does not fit a whole number.
std::optional<PictureKey> parsePictureKey(const QString &key);

// --- Does the answer still fit? ------------------------------------------------

// Where an answer may be applied: the slot, and the SiteList index of the site
// shown there (-1 on the WX page, whose answers write into no site record).
struct SlotTarget {
    int slot = 0;
    int site = -1;

    bool operator==(const SlotTarget &) const = default;
};

// The slot of the page on show that an answer belongs to, whether or not its
// content can still be used: nothing for a key of another page, for a slot
// beyond the current layout, and for a check answer on the WX page (none is
// ever requested there). A slot returned here is counted for the pass.
std::optional<int> shownSlot(const CheckKey &key, const PageState &page);
std::optional<int> shownSlot(const PictureKey &key, const PageState &page);

// Where the answer may be applied, or nothing when it no longer fits:
// - it belongs to another page, or to a slot beyond the layout (as shownSlot);
// - SSTV page: the slot is now empty (no `stSiteCall`);
// - SSTV page: neither the key's site (picture keys) nor the slot's
//   `stSiteIndex` is a site whose callsign is the slot's callsign any more;
//   then the first site with exactly that callsign is taken instead ("Ø" and
//   "0" count as one), and when none has it the answer is dropped;
// - a check answer on the WX page.
// A WX picture answer fits whenever its page and slot do; it names no site.
std::optional<SlotTarget> answerStillFits(const CheckKey &key, const PageState &page,
                                          const SlotTable &table, const SiteList &sites);
std::optional<SlotTarget> answerStillFits(const PictureKey &key, const PageState &page,
                                          const SlotTable &table, const SiteList &sites);

// The SiteList index of the site shown in an SSTV slot: `stSiteIndex` when
// that site still has the slot's callsign, else the first site with exactly
// that callsign. Nothing for an empty slot or a callsign no site has.
std::optional<int> siteInSlot(int slot, const SlotTable &table, const SiteList &sites,
                              std::optional<int> preferredSite = std::nullopt);

} // namespace tavimo
