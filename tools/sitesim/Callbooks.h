#pragma once

#include "sitesim/SiteModel.h"
#include "support/CallbookPages.h"
#include "support/LoopbackServer.h"

#include <QByteArray>
#include <QList>

#include <optional>

// The three web callbooks and the station-picture host, as the simulator
// serves them below the roots its data folder names ("/callbook/eham/",
// "/callbook/qrz/", "/callbook/hamdata/", "/qrzpics/"). They hold the
// simulated SSTV sites, in four kinds of record, and the own station.
namespace tavimo::sitesim {

enum class CallbookEntry {
    Full,       // name, address, country, coordinates and a six-character locator
    GridOnly,   // no coordinates, a six-character locator
    SquareOnly, // no coordinates, a four-character square
    Missing,    // the callbooks do not hold the callsign
};

// The own station of the written configuration; a full record.
inline constexpr const char *kOwnCallsign = "SIM0OP";

// Sites 1, 2 and 3 of every six have full records, then one of each other kind.
CallbookEntry callbookEntry(int siteNumber);

// The record of a site, or nothing for a site the callbooks do not hold.
std::optional<test::CallbookStation> callbookStation(const SstvSiteInfo &site);

// A site with a record has a picture on the picture host, except every fourth;
// wide pictures and tall ones alternate.
bool hasStationPicture(int siteNumber);

// The answer for a request target (path and query) of a callbook or the
// picture host; nothing for any other target.
std::optional<test::Route> callbookAnswer(const QByteArray &target,
                                          const QList<SstvSiteInfo> &sites);

} // namespace tavimo::sitesim
