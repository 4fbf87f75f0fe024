#pragma once

#include "sitesim/SiteModel.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Text and pages the simulator serves besides pictures.
namespace tavimo::sitesim {

// How many stations a last-heard list names.
inline constexpr int kLastHeardEntries = 10;

// The list.jpg beside an SSTV site's picture: a heading, then the senders of
// the site's latest pictures, newest first, with the UTC time of day they
// arrived; Windows-1252, CR LF.
QByteArray lastHeardList(const SstvSiteInfo &site, const PictureTimeline &timeline,
                         const QDateTime &now);

// The path of the small page that stands in for the web map service: the
// program's WebMap endpoint is "<base>/map/", and its views ask for "maps".
inline const QString kMapPagePath = QStringLiteral("/map/maps");

// That page for a request target ("/map/maps?q=51.5,-0.12&t=h&z=18"): a
// coloured page (green for the street view, the one with "layer", blue for
// the satellite view) that names the position asked for. UTF-8 HTML.
QByteArray mapPage(const QByteArray &target);

} // namespace tavimo::sitesim
