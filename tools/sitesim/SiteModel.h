#pragma once

#include <QDateTime>
#include <QList>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

// The simulated reception sites: who they are, where they are, and when each of
// their pictures arrived. Nothing here touches the network or draws.
namespace tavimo::sitesim {

using Clock = std::function<QDateTime()>;

// A site keeps its current picture and the ones before it: image1 (current)
// to image30.
inline constexpr int kHistoryLength = 30;
inline constexpr int kMaxSstvSites = 240; // ten pages of 24 slots
inline constexpr int kMaxWxSites = 24;    // one page

enum class SiteFault {
    None,
    NotFound, // every address of the site answers 404
    Slow,     // answers late and trickles the bytes
    Stall,    // takes the request and never answers
    Garbage,  // answers 200 with bytes that are no picture
    Torn,     // serves each new picture cut the first time it is asked for
    Trickle,  // pictures asked for in its first minutes come at a byte a second
    Large,    // pictures of several megabytes, sent at a steady rate
    // Odd but whole pictures, a new one posted at every pass (every request
    // for the check picture):
    NoEndMarker, // JPEGs without their end marker, with a trailer
    StarsInText, // PNGs with "***" in a text chunk after their data, no trailer
};

// Whether the site posts a new picture whenever its check picture is asked for.
inline bool postsAtEveryPass(SiteFault fault) {
    return fault == SiteFault::NoEndMarker || fault == SiteFault::StarsInText;
}

// The name a fault goes by on the command line and in the start-up line.
QString faultName(SiteFault fault);

// What the maker's updates list looks like on the simulated main host. The
// mirror always serves a good, current list.
enum class UpdatesListState {
    Valid,     // current and whole
    Truncated, // cut short on the way: its header claims more bytes than arrive
    TooOld,    // dated 61 days ago
    Missing,   // answers 404
};

struct SimConfig {
    int sstvCount = 24;
    int wxCount = 4;
    int intervalSeconds = 60; // between new pictures of a site
    // Faulty sites are the last SSTV sites before the news sites: the last
    // notFound ones, the slow ones before them, then the stalling ones, the
    // garbage ones and the torn ones (see faultShares). No two share a site.
    int notFound = 0;
    int slow = 0;
    int stall = 0;
    int garbage = 0;
    int torn = 0;
    int trickle = 0;
    int noEndMarker = 0;
    int starsInText = 0;
    int large = 0;
    // The rate of a large site: its server sends no faster, and no faster
    // than the program takes the bytes.
    int largeBytesPerSecond = 150 * 1024;
    // The version the home page names; the program's own shows no notice.
    QString homeVersion = QStringLiteral("4.91");
    UpdatesListState updatesList = UpdatesListState::Valid;
    // The last this many SSTV sites are announced as new in the updates list
    // (and left out of the written site list, so that they are news).
    int newsSites = 0;
};

struct SstvSiteInfo {
    int number = 0; // 1-based, the folder in the site's address
    QString callsign;
    double latitude = 0;
    double longitude = 0;
    bool animated = false; // serves animated GIFs under image*.jpg
    SiteFault fault = SiteFault::None;
    qint64 periodMs = 0; // between new pictures
    qint64 phaseMs = 0;  // offset of this site's changes, so that sites change apart
};

struct WxSiteInfo {
    int number = 0;
    QString name;
    qint64 periodMs = 0;
    qint64 phaseMs = 0;
};

// Served addresses (paths on the server). SSTV pictures end in "image1.jpg"
// with "checknew.jpg" and image2.jpg to image30.jpg beside them; WX pictures
// do not, and have no check picture.
QString sstvFolder(int number);      // "/sstv/<n>/"
QString sstvPicturePath(int number); // "/sstv/<n>/image1.jpg"
QString wxPicturePath(int number);   // "/wx/<n>/latest.jpg"

// How many sites each fault takes, in the order they are given out from the
// end of the list (after the news sites, which are not in the user's list and
// so could show no fault).
struct FaultShare {
    SiteFault fault;
    int count;
};
QList<FaultShare> faultShares(const SimConfig &config);

QList<SstvSiteInfo> makeSstvSites(const SimConfig &config);

// Which sites misbehave and which are news, for the start-up line:
// "404: sites 22-23 (SIM1AB SIM2CD); news: site 24 (SIM3EF)", or "" when all
// are well.
QString siteRoles(const QList<SstvSiteInfo> &sites, int newsSites);
QList<WxSiteInfo> makeWxSites(const SimConfig &config);

// When a site's pictures arrive. Picture numbers count up from 0; the current
// picture at the origin is number kHistoryLength - 1, so a full history of
// pictures exists from the start.
class PictureTimeline {
public:
    PictureTimeline(const QDateTime &origin, qint64 periodMs, qint64 phaseMs, qint64 freshMs);

    qint64 currentNumber(const QDateTime &now) const;
    QDateTime arrival(qint64 number) const;
    // The check picture beside the current picture: width 1 while the picture
    // is fresh (younger than the fresh time), else 2; the height changes with
    // every new picture.
    QSize checkPictureSize(const QDateTime &now) const;
    // The picture served as image<position>.jpg (position 1 = current), or
    // nothing outside 1..kHistoryLength.
    std::optional<qint64> historyNumber(int position, const QDateTime &now) const;

private:
    qint64 originMs_;
    qint64 periodMs_;
    qint64 phaseMs_;
    qint64 freshMs_;
};

// What a picture's trailer and drawing show.
struct PictureCaption {
    QString sender; // may hold "Ø", as sites write it
    QString status;
    QDateTime time; // UTC
};

PictureCaption sstvCaption(const SstvSiteInfo &site, qint64 number, const QDateTime &time);

} // namespace tavimo::sitesim
