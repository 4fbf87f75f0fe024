#pragma once

#include "core/net/UpdatesList.h"
#include "core/sites/SiteRecord.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace tavimo {

// Where an updates list came from. The main list is the maker's own; the mirror holds two
// lists in one folder, asked for by the paths below.
enum class ListSource { Main, Mirror };

// Asked for when the main list could not be fetched.
inline const QString kMirrorListAfterFailure = QStringLiteral("updates/sstvupdates.txt");
// Asked for when the main list is too old.
inline const QString kMirrorListAfterOldList = QStringLiteral("updates/updates.txt");

// Older lists are refused; a list exactly this old, or dated ahead, is taken.
inline constexpr int kUpdatesListMaxAgeDays = 60;

// A site the list reports as discontinued, as the SSTV list holds it.
struct DiscontinuedSite {
    QString callsign;
    QString pictureUrl;
};

// A site whose address the list changed.
struct MovedSite {
    QString callsign;
    QString oldUrl;
    QString newUrl;
};

// The marker appended to the address of a site the user kept although the list reports it as
// discontinued: the stored address no longer equals the listed one, so it is not news again.
// Requests remove it first.
inline const QString kNoDeleteMark = QStringLiteral("NoDelete");

// What an updates list means for the user's SSTV list.
struct SiteNews {
    QList<NewSiteEntry> newSites;         // not in the list yet
    QList<DiscontinuedSite> discontinued; // every record holding a discontinued address
    QList<CallsignEntry> renamedSites;    // only those that renamed a record
    QList<MovedSite> movedSites;          // every record that took a new address
    // Shown for information only, and never news by themselves: cameras not in the list yet,
    // which are never added, and moves onto an address another record already holds, which
    // are not made (each such entry once, however many records hold its old address).
    QList<NewSiteEntry> cameraSites;
    QList<MovedSite> blockedMoves;

    bool isEmpty() const {
        return newSites.isEmpty() && discontinued.isEmpty() && renamedSites.isEmpty() &&
               movedSites.isEmpty();
    }
};

// What the site-news dialog does to the list as it opens: every record holding a listed old
// address takes the new one (unless another record holds the new address already: two records
// of one address would lose one of them at the next save), the first record with a listed old
// callsign takes the new callsign, and the list is sorted again. Returns the changes made,
// with the new sites (whose addresses no record holds after those changes) and the
// discontinued ones, which the dialog applies as the user decides.
SiteNews applySiteChanges(SiteList &sites, const UpdatesList &list);

// What closing the site-news dialog changed.
struct ClosingChanges {
    int added = 0;
    QList<DiscontinuedSite> removed; // the records taken out
    QStringList keptAddresses;       // the addresses that took the "NoDelete" mark
};

// What the site-news dialog does as it closes, whichever way: every new site whose address
// no record holds yet is added (the list is sorted again when one was); then each
// discontinued site is removed when removeChecked says so at its index (the first record of
// that address; never the last record of the list), and otherwise kept with the "NoDelete"
// mark. An index beyond removeChecked counts as checked.
ClosingChanges applyClosingChanges(SiteList &sites, const SiteNews &news,
                                   const QList<bool> &removeChecked);

// The news the dialog would show, leaving `sites` alone: the main window opens the dialog only
// when this is not empty.
SiteNews compareSiteList(const UpdatesList &list, const SiteList &sites);

// The record of a new site: its position read as numbers ("." as the point, 0 when none) and
// kept when the lists keep the pair (none otherwise), every slot map "0000000000" (no slot on
// any page), no picture date.
SiteRecord newSiteRecord(const NewSiteEntry &entry);

// Fills each coordinate of a listed site that is exactly 0 from the list's field for it, when
// that field is not empty, and keeps the result only when the lists keep the pair; otherwise
// the site keeps what it had. Each listed address fills the first record that holds it.
// Returns how many records changed.
int fillMissingPositions(SiteList &sites, const UpdatesList &list);

struct UpdateDecision {
    enum class Action {
        Accept,    // the list is good: keep `list` for the dialog when `news` is not empty
        Refuse,    // the list is dropped and the check ends
        TryMirror, // the list is dropped: ask the mirror for `mirrorPath`
        Ignore,    // an answer the check no longer waits for: change nothing
    };
    Action action = Action::Refuse;
    ListSource source = ListSource::Main;
    QString mirrorPath;              // TryMirror only
    QString reason;                  // why a list was refused, for the log
    std::optional<UpdatesList> list; // Accept only
    SiteNews news;                   // Accept only
};

// Judges a list that arrived from `source`, on `todayUtc`. In this order: a list without a
// header is refused; a list whose header size differs from the bytes received is refused
// (damaged on the way: the mirror would not help); a list whose date cannot be read is
// refused; a list more than 60 days old is refused and, when it came from the main host,
// replaced by the mirror's recent list; a list without its seven sections is refused. A good
// list is compared with `sites`.
UpdateDecision judgeUpdatesList(ListSource source, const QByteArray &bytes, const QDate &todayUtc,
                                const SiteList &sites);

// A list that could not be fetched: the main one is asked of the mirror, the mirror's is not.
UpdateDecision judgeFailedList(ListSource source);

// One check of the updates list, from the main request to the end: the mirror is asked at most
// once, and answers the check no longer waits for are ignored.
class UpdateCheck {
public:
    // The main list has been requested.
    void begin() { awaited_ = ListSource::Main; }
    bool isRunning() const { return awaited_.has_value(); }

    UpdateDecision listReceived(ListSource source, const QByteArray &bytes, const QDate &todayUtc,
                                const SiteList &sites);
    UpdateDecision listFailed(ListSource source);

private:
    UpdateDecision follow(UpdateDecision decision);

    std::optional<ListSource> awaited_;
};

} // namespace tavimo
