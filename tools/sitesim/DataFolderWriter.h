#pragma once

#include "core/base/TextFile.h"
#include "sitesim/SiteModel.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// A data folder and settings file for Tavimo that point at the simulator, so
// that the program started with XDG_DATA_HOME=<home>/data and
// XDG_CONFIG_HOME=<home>/config shows the simulated sites.
namespace tavimo::sitesim {

// Where the files go below home.
QString dataFolderOf(const QString &home);   // <home>/data/tavimo
QString settingsFileOf(const QString &home); // <home>/config/Tavimo/Tavimo.ini

// The slot-map character of a zero-based slot: "1".."9", then "A" for 10 on.
QChar slotCharacter(int slot);

// Slots per page of thumbnail settings 1 to 4.
int slotsPerPage(int thumbSetting);

// The loopback address of a site of its own: 127.0.0.2 for the first SSTV
// site on, the WX sites after the last SSTV site there can be. 127.0.0.1 is
// the services' (time page, updates list, callbooks).
QString siteHost(bool wx, int number);
// base ("http://127.0.0.1:PORT") with the host of that site.
QString siteBase(const QString &base, bool wx, int number);
// Where the site lists send the program: every site at its own host, as real
// sites are (a program opens only a few connections to one host at a time),
// or all at base.
enum class SiteHosts { Shared, OwnHost };

// The lines of tavimo.lst: the sites fill the SSTV pages in order (page 1 first,
// slot 1 first) for every thumbnail setting. base is "http://127.0.0.1:PORT".
QStringList sstvListLines(const QList<SstvSiteInfo> &sites, const QString &base,
                          SiteHosts hosts = SiteHosts::Shared);
// The lines of WXsites.lst: the sites fill the WX page in order.
QStringList wxListLines(const QList<WxSiteInfo> &sites, const QString &base,
                        SiteHosts hosts = SiteHosts::Shared);
// tavimo.cfg: size 1, 24 thumbnails, automatic refresh every 60 s, start on
// page 1, English, own position 52.1 N 5.1 E, kilometres, callsign SIM0OP.
QStringList configLines();
// Keys of the settings section "Endpoints" and their values.
QList<QPair<QString, QString>> endpointSettings(const QString &base);

// Writes the three data files and the endpoint settings (other settings in an
// existing file stay). On failure the message names the file.
WriteResult writeDataFolder(const QString &home, const QList<SstvSiteInfo> &sstv,
                            const QList<WxSiteInfo> &wx, const QString &base,
                            SiteHosts hosts = SiteHosts::Shared);

} // namespace tavimo::sitesim
