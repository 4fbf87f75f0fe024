#pragma once

#include "core/base/TextFile.h"
#include "core/sites/SiteRecord.h"

#include <QStringList>

namespace tavimo {

struct AppPaths;
class Prompts;

// The two list files, two lines per site, Windows-1252, CR LF:
//   tavimo.lst   Callsign*Map1*Map2*Map3*Map4*Latitude*Longitude*LastPictureDate*CamUrl
//                PictureUrl
//   WXsites.lst  Callsign*Map1*Map2*Map3*Map4
//                PictureUrl
inline const QString kSiteListFile = QStringLiteral("tavimo.lst");
inline const QString kWxSiteListFile = QStringLiteral("WXsites.lst");

enum class ListStatus {
    Read,      // the file was read in full
    Missing,   // there is no such file; the list is empty
    Unreadable // the file is there but could not be read; never write it back
};

struct SiteListFile {
    SiteList sites;
    ListStatus status = ListStatus::Missing;
    QString error; // Unreadable: names the file and the reason
};

// Read a list file and sort it by callsign. Missing fields take their
// defaults; a record without its address line gets an empty address.
SiteListFile readSiteList(const QString &path);
SiteListFile readWxSiteList(const QString &path);

// The file lines of a list: every record with a callsign, in list order, its
// fields cleaned so that no text can break the file.
QStringList siteListLines(const SiteList &sites);
QStringList wxSiteListLines(const WxSiteList &sites);
WriteResult writeSiteList(const QString &path, const SiteList &sites);
WriteResult writeWxSiteList(const QString &path, const WxSiteList &sites);

// Empties the callsign of every record whose address an earlier record (with
// a callsign) already has, so that the writer leaves it out. Returns one text
// per record dropped, "Callsign  PictureUrl". A record dropped once takes no
// part again, so each duplicate is reported once per run.
QStringList removeDuplicateAddresses(SiteList &sites);

// Ascending by callsign, binary comparison of UTF-16 code units; equal
// callsigns keep no particular order.
void SortSiteList(SiteList &sites);
void SortWxSiteList(WxSiteList &sites);

// The one-line-per-page format of older versions: every record line has
// more than eleven fields.
bool isOldFormatSiteList(const QString &path);

struct ConvertResult {
    bool ok = true;
    QString backupPath; // where the original was kept
    QString error;      // names the file and the reason
};

// Rewrites an old-format tavimo.lst in the current format, after keeping a copy
// of the original in backupFolder. Nothing is rewritten when the copy fails.
ConvertResult ConvertOldSiteList(const QString &path, const QString &backupFolder);

struct StartupLists {
    SiteList sites;
    WxSiteList wxSites;
    bool sitesLoaded = false;   // false: the SSTV list must not be written back
    bool wxSitesLoaded = false; // false: the WX list must not be written back
    bool endProgram = false;    // tavimo.lst is missing or unreadable (message shown)
};

// Start-up: converts an old-format SSTV list, then reads and sorts both lists,
// telling the user about a missing or unreadable file.
StartupLists loadSiteLists(const AppPaths &paths, Prompts &prompts);

} // namespace tavimo
