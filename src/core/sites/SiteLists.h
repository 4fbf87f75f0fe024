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
    Read,       // the file was read in full
    Missing,    // there is no such file; the list is empty
    Unreadable, // the file is there but cannot be read or holds no text; never write it back
    // A record line stands where an address belongs, so records and addresses
    // are out of step (a line was lost): the sites before it are read, and the
    // file is never written back, which would scramble every site after it.
    Misaligned
};

struct SiteListFile {
    SiteList sites;
    ListStatus status = ListStatus::Missing;
    QString error;   // Unreadable, Misaligned: names the file and the reason
    int badLine = 0; // Misaligned: the line, counted from 1
};

// Read a list file and sort it by callsign. Missing fields take their
// defaults; a record without its address line gets an empty address. The
// writer puts no "*" in an address, so an address line holding one means the
// file is misaligned. A file with a UTF-16 or UTF-8 mark is read as such (and
// written back in Windows-1252); each field is read as the writer would write
// it, so that the list does not change from one save to the next. A position
// that is not finite or off the globe reads as none.
SiteListFile readSiteList(const QString &path);
SiteListFile readWxSiteList(const QString &path);

// The file lines of a list: every record with a callsign, in list order, its
// fields cleaned so that no text can break the file.
QStringList siteListLines(const SiteList &sites);
QStringList wxSiteListLines(const WxSiteList &sites);
WriteResult writeSiteList(const QString &path, const SiteList &sites);
WriteResult writeWxSiteList(const QString &path, const WxSiteList &sites);

// Of the records (with a callsign) that share an address, keeps the one that
// came first in the file (records made during the run after those read, among
// equals the earlier in the list) and empties the callsign of the others, so
// that the writer leaves them out. Returns one text per record dropped,
// "Callsign  PictureUrl", in list order. A record dropped once takes no part
// again, so each duplicate is reported once per run.
QStringList removeDuplicateAddresses(SiteList &sites);

// Ascending by callsign, binary comparison of UTF-16 code units; records with
// equal callsigns keep their order.
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

// Where the list file as it was at start-up is kept, in the backup folder:
// "tavimo.lst" gives "tavimo.previous.lst".
QString previousCopyName(const QString &listFileName);

struct StartupLists {
    SiteList sites;
    WxSiteList wxSites;
    bool sitesLoaded = false;   // false: the SSTV list must not be written back
    bool wxSitesLoaded = false; // false: the WX list must not be written back
    bool endProgram = false;    // tavimo.lst is missing or unreadable (message shown)
};

// Start-up: converts an old-format SSTV list, then reads and sorts both lists,
// telling the user about a missing, unreadable or misaligned file (one message
// each). Each list that will be written back is first copied to the backup
// folder (previousCopyName), so that the session's first save can be undone.
StartupLists loadSiteLists(const AppPaths &paths, Prompts &prompts);

} // namespace tavimo
