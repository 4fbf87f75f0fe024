#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace tavimo {

// The maker's list of site news, read both by the main window's check and by the site-news
// dialog, so that the two always agree on what counts as news.
//
// Layout (Windows-1252, lines ending in CR LF or LF): the text is cut at every "/////5" into
// sections numbered from 0.
//   section 0  header "size*date": the size of the whole file in bytes and the list's date
//   section 2  "callsign*address*DELETE" (discontinued) or "callsign*address*newAddress"
//   section 4  "oldCallsign*newCallsign"
//   section 6  pairs of lines: "callsign*latitude*longitude[*camAddress]", then the address
//   sections 1, 3, 5 and any after 6 carry nothing we read
// Within sections 2 and 4 the first line (the rest of the marker's own line) and the last line
// (what stands before the next marker) are no entries; in section 6 lines 1 and 2, 3 and 4, ...
// form the pairs.
inline constexpr QStringView kUpdatesSectionMarker = u"/////5";
inline constexpr int kUpdatesSectionCount = 7;

struct UpdatesListHeader {
    double declaredSize = 0; // the leading number of the size field; 0 when none
    QString dateText;        // as the list gives it, blanks trimmed
};

// Section 2: a site moved to another address, or discontinued.
struct AddressEntry {
    QString callsign;   // informative only: the address is what identifies the site
    QString pictureUrl; // the address as stored in the SSTV list
    QString newUrl;     // empty when discontinued
    bool discontinued = false;
};

// Section 4.
struct CallsignEntry {
    QString oldCallsign;
    QString newCallsign;
};

// Section 6: a site the user's list may not have yet. The position is kept as text, as the
// list gives it; it is read as a number only when a record is made from it.
struct NewSiteEntry {
    QString callsign;
    QString latitude;
    QString longitude;
    QString camUrl; // empty when the list gives none
    QString pictureUrl;
};

struct UpdatesList {
    UpdatesListHeader header;
    QList<AddressEntry> addressEntries;
    QList<CallsignEntry> callsignEntries;
    QList<NewSiteEntry> newSites;
    // New-site pairs that mention "(Cam)": cameras, shown to the user but never added as
    // sites and never news by themselves.
    QList<NewSiteEntry> cameraSites;
};

// The header of a list: nothing when the text before the first marker holds no "*".
std::optional<UpdatesListHeader> readUpdatesHeader(const QByteArray &bytes);

// The whole list: nothing without a header or with fewer than seven sections. Entries that
// could only do harm are left out, so neither reader can act on them:
//   - any entry with fewer fields than it needs, or with an empty address or callsign;
//   - a new site whose callsign or address the list file would write as nothing;
//   - a move to the same address or a rename to the same callsign (no change: it would be
//     news at every check);
//   - a new site whose address an earlier pair of the list already gave.
// A new site that mentions "(Cam)" in any of its fields is a camera: it goes to cameraSites,
// not newSites.
// A carriage return never takes part in a field.
std::optional<UpdatesList> readUpdatesList(const QByteArray &bytes);

// The same from the list's text already cut at every marker (as the main window hands it to
// the site-news dialog).
std::optional<UpdatesList> readUpdatesSections(const QStringList &sections);

// The list's date: year first when the first number has four digits ("2024-05-31"),
// otherwise month first ("05/31/2024", "5/31/24"), with "/", "-" or "." between the numbers;
// a time after a blank is ignored. Two-digit years 00 to 29 are 2000 to 2029, 30 to 99 are
// 1930 to 1999. Nothing when it is no such date.
std::optional<QDate> parseUpdatesListDate(QStringView text);

} // namespace tavimo
