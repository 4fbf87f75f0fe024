#pragma once

#include <QString>

#include <array>

namespace tavimo {

class SettingsStore;

// The web addresses outside the sites' own: where the program probes the
// connection, asks the time, looks for a newer version and for site news,
// looks up callsigns and shows map views. Each can be changed in the settings
// store (section "Endpoints", key = the field's name); an empty value switches
// that request off quietly. Tests and the demo point them at a local server.
//
// Every value is a whole address. Those that name a folder end in "/"; the
// caller adds its own path with joinEndpoint():
//   ConnectionProbe  address whose host the start-up check connects to
//   TimePage         the time page (answers with "BR" and the UTC time)
//   HomePage         the maker's home page, which names the latest version
//   UpdatesList      the maker's list of new, discontinued and changed sites
//   UpdatesMirror    folder of the mirror that keeps copies of that list
//   CallbookEham, CallbookQrz, CallbookHamdata
//                    root of each callsign database
//   QrzPictures      root of the host of the QRZ station pictures
//   WebMap           root of the web map service (street and satellite views)
struct Endpoints {
    QString ConnectionProbe;
    QString TimePage;
    QString HomePage;
    QString UpdatesList;
    QString UpdatesMirror;
    QString CallbookEham;
    QString CallbookQrz;
    QString CallbookHamdata;
    QString QrzPictures;
    QString WebMap;

    // The defaults of kEndpointDefaults.
    static Endpoints defaults();

    bool operator==(const Endpoints &) const = default;
};

struct EndpointDefault {
    const char *key; // the settings key and the field's name
    QString Endpoints::*field;
    const char *defaultValue;
};

inline const QString kEndpointsSection = QStringLiteral("Endpoints");

// The one table of defaults.
//
// The probe and the time page are plain HTTP, as the connection check and the
// time page's format expect. The callbooks, the QRZ picture host and the map
// service are the public services whose page layouts the program reads.
//
// The maker's home page, updates list and mirror are off by default: no
// public host publishes a version text and site news for this program in the
// format the update check reads, and any other page would be misread as a
// newer version. Whoever runs such a host sets the three keys.
inline const std::array<EndpointDefault, 10> kEndpointDefaults{{
    {"ConnectionProbe", &Endpoints::ConnectionProbe, "http://www.google.com/"},
    {"TimePage", &Endpoints::TimePage, "http://tycho.usno.navy.mil/cgi-bin/timer.pl"},
    {"HomePage", &Endpoints::HomePage, ""},
    {"UpdatesList", &Endpoints::UpdatesList, ""},
    {"UpdatesMirror", &Endpoints::UpdatesMirror, ""},
    {"CallbookEham", &Endpoints::CallbookEham, "http://www.eham.net/"},
    {"CallbookQrz", &Endpoints::CallbookQrz, "http://www.qrz.com/"},
    {"CallbookHamdata", &Endpoints::CallbookHamdata, "http://www.hamdata.com/"},
    {"QrzPictures", &Endpoints::QrzPictures, "http://files.qrz.com/"},
    {"WebMap", &Endpoints::WebMap, "http://maps.google.com/"},
}};

// The endpoints as the store holds them: a key that is absent takes its
// default, a key that is present (even empty) is used as it stands, without
// blanks around it.
Endpoints readEndpoints(const SettingsStore &store);

// The address of `path` relative to an endpoint, resolved as a browser resolves
// a link: below the endpoint when it ends in "/", beside it otherwise (so a
// mirror given by one of its lists finds the other lists next to it). A
// leading "/" of `path` is ignored: the result never leaves the endpoint's
// folder. Empty when the endpoint is empty (switched off).
QString joinEndpoint(const QString &base, const QString &path);

} // namespace tavimo
