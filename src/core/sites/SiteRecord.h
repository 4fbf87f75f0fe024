#pragma once

#include <QList>
#include <QString>

#include <array>
#include <limits>

namespace tavimo {

// Callsigns are kept with the digit "0"; a slashed zero "Ø" read from a trailer
// or a caption stands for the same character.
inline QString storedCallsign(QString callsign) {
    return callsign.replace(QChar(0x00D8), u'0');
}

// A callsign as the user sees it: every "0" as their zero character.
inline QString shownCallsign(QString callsign, const QString &zeroChar) {
    return callsign.replace(u'0', zeroChar);
}

// One picture site. SSTV and WX sites share the record; WX sites leave the
// position and camera address empty.
struct SiteRecord {
    // Callsign or, for WX sites, the site's name; the sort key. An empty
    // callsign marks a record that is left out when the lists are written.
    QString Callsign;
    // Address of the latest picture; unique within a list. May hold the marker
    // "NoDelete", which requesters strip before use.
    QString PictureUrl;
    // One slot-map text per thumbnail setting 1 to 4 (see SlotMap.h); element 0
    // never reaches the files and is only in force while ThumbSetting is 0.
    std::array<QString, 5> SlotMap;
    double Latitude = 0;  // degrees, south negative; 0 = unknown
    double Longitude = 0; // degrees, west negative; 0 = unknown
    QString LastPictureDate;
    QString CamUrl; // stored and edited only, never fetched

    // The record's place in the list file it was read from; a record made
    // during the run comes after all of them. Of two records with one address
    // the older one is kept. Not part of the record's value.
    static constexpr int kMadeDuringRun = std::numeric_limits<int>::max();
    int LoadOrder = kMadeDuringRun;

    bool operator==(const SiteRecord &other) const {
        return Callsign == other.Callsign && PictureUrl == other.PictureUrl &&
               SlotMap == other.SlotMap && Latitude == other.Latitude &&
               Longitude == other.Longitude && LastPictureDate == other.LastPictureDate &&
               CamUrl == other.CamUrl;
    }
};

// The SSTV sites of pages 1 to 10 and the WX sites of the WX page, each kept in
// callsign order. Other code refers to a site by its index, so a sort moves it.
using SiteList = QList<SiteRecord>;
using WxSiteList = QList<SiteRecord>;

} // namespace tavimo
