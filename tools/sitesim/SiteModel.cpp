#include "sitesim/SiteModel.h"

#include <QStringList>
#include <QTimeZone>

#include <algorithm>
#include <array>

namespace tavimo::sitesim {

namespace {

struct Place {
    double latitude;
    double longitude;
};

// Spread over every continent, so that maps and distances have something to show.
constexpr std::array<Place, 26> kPlaces = {{
    {52.37, 4.89},    {51.51, -0.13},   {48.86, 2.35},    {40.42, -3.70},  {41.90, 12.50},
    {59.33, 18.07},   {60.17, 24.94},   {50.45, 30.52},   {55.75, 37.62},  {35.68, 139.69},
    {37.57, 126.98},  {-33.87, 151.21}, {-36.85, 174.76}, {1.35, 103.82},  {28.61, 77.21},
    {-23.55, -46.63}, {-34.60, -58.38}, {19.43, -99.13},  {40.71, -74.01}, {41.50, -81.70},
    {34.05, -118.24}, {49.28, -123.12}, {61.22, -149.90}, {-33.92, 18.42}, {30.04, 31.24},
    {64.15, -21.94},
}};

constexpr std::array<const char *, 24> kWxNames = {
    "Alpha",  "Bravo",  "Charlie", "Delta", "Echo",    "Foxtrot",  "Golf",    "Hotel",
    "India",  "Juliet", "Kilo",    "Lima",  "Mike",    "November", "Oscar",   "Papa",
    "Quebec", "Romeo",  "Sierra",  "Tango", "Uniform", "Victor",   "Whiskey", "Xray",
};

// Stations whose pictures the sites receive. One writes its zero slashed, as
// some sites do.
constexpr std::array<const char16_t *, 10> kSenders = {
    u"SIM2QRM", u"SIM7DXA", u"SIM\u00D8SKY", u"SIM3HFX", u"SIM9TVB",
    u"SIM5ABC", u"SIM8ZZT", u"SIM4PIC",      u"SIM6RGB", u"SIM1OLD",
};

constexpr std::array<const char *, 8> kModes = {
    "Scottie 1", "Martin 1", "Robot 36", "PD120", "Scottie DX", "Martin 2", "PD90", "Robot 72",
};

// Index into a table of n entries for any whole number, negatives included.
qsizetype pick(qint64 value, std::size_t n) {
    const auto size = static_cast<qint64>(n);
    return static_cast<qsizetype>(((value % size) + size) % size);
}

qint64 floorDiv(qint64 a, qint64 b) {
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

QString callsignFor(int index) {
    // A bijection of 0..675 onto two letters, so that neighbours look unrelated.
    const int letters = (index * 7 + 3) % 676;
    QString call = QStringLiteral("SIM") + QString::number(index % 10);
    call += QChar(u'A' + letters / 26);
    call += QChar(u'A' + letters % 26);
    if (index >= 676)
        call += QChar(u'A' + (index / 676) % 26);
    return call;
}

} // namespace

QString sstvFolder(int number) {
    return QStringLiteral("/sstv/%1/").arg(number);
}

QString sstvPicturePath(int number) {
    return sstvFolder(number) + QStringLiteral("image1.jpg");
}

QString wxPicturePath(int number) {
    return QStringLiteral("/wx/%1/latest.jpg").arg(number);
}

QList<SstvSiteInfo> makeSstvSites(const SimConfig &config) {
    const int count = std::clamp(config.sstvCount, 0, kMaxSstvSites);
    const qint64 intervalMs = qint64(std::max(1, config.intervalSeconds)) * 1000;
    QList<SstvSiteInfo> sites;
    for (int i = 0; i < count; ++i) {
        SstvSiteInfo site;
        site.number = i + 1;
        site.callsign = callsignFor(i);
        const Place &place = kPlaces[i % kPlaces.size()];
        const int round = i / int(kPlaces.size());
        site.latitude = std::clamp(place.latitude + round * 0.9, -85.0, 85.0);
        site.longitude = place.longitude + round * 1.3;
        if (site.longitude > 180)
            site.longitude -= 360;
        site.animated = i % 6 == 4;
        // Every third site is quiet: its check picture also shows the "nothing
        // new" width between pictures.
        site.periodMs = intervalMs * (i % 3 == 2 ? 3 : 1);
        site.phaseMs = i * intervalMs / count;
        sites.append(site);
    }
    // The news sites are the very last: they are not in the user's list.
    int at = count - std::clamp(config.newsSites, 0, count);
    for (const FaultShare &share : faultShares(config)) {
        for (int k = 0; k < share.count && at > 0; ++k)
            sites[--at].fault = share.fault;
    }
    // A torn site is fetched again by the pass after the one that got a cut
    // answer: it changes its picture only every third interval, the first
    // time one and a half intervals after the start, so that the pass a
    // minute after the first finds the same picture.
    for (SstvSiteInfo &site : sites) {
        if (site.fault == SiteFault::Torn) {
            site.periodMs = intervalMs * 3;
            site.phaseMs += intervalMs * 3 / 2;
        }
    }
    return sites;
}

QList<FaultShare> faultShares(const SimConfig &config) {
    return {
        {SiteFault::NotFound, config.notFound},
        {SiteFault::Slow, config.slow},
        {SiteFault::Stall, config.stall},
        {SiteFault::Garbage, config.garbage},
        {SiteFault::Torn, config.torn},
        {SiteFault::Trickle, config.trickle},
        {SiteFault::NoEndMarker, config.noEndMarker},
        {SiteFault::StarsInText, config.starsInText},
        {SiteFault::Large, config.large},
    };
}

QString faultName(SiteFault fault) {
    switch (fault) {
    case SiteFault::None:
        return QStringLiteral("well");
    case SiteFault::NotFound:
        return QStringLiteral("404");
    case SiteFault::Slow:
        return QStringLiteral("slow");
    case SiteFault::Stall:
        return QStringLiteral("stall");
    case SiteFault::Garbage:
        return QStringLiteral("garbage");
    case SiteFault::Torn:
        return QStringLiteral("torn");
    case SiteFault::Trickle:
        return QStringLiteral("trickle");
    case SiteFault::NoEndMarker:
        return QStringLiteral("no end marker");
    case SiteFault::StarsInText:
        return QStringLiteral("*** in text");
    case SiteFault::Large:
        return QStringLiteral("large");
    }
    return QString();
}

namespace {

// "site 7 (SIM6AB)" or "sites 5-7 (SIM4AA SIM5AB SIM6AC)"; the sites follow
// one another.
QString siteRange(const QList<SstvSiteInfo> &sites) {
    QStringList calls;
    for (const SstvSiteInfo &site : sites)
        calls << site.callsign;
    const QString numbers =
        sites.size() == 1
            ? QStringLiteral("site %1").arg(sites.first().number)
            : QStringLiteral("sites %1-%2").arg(sites.first().number).arg(sites.last().number);
    return numbers + QStringLiteral(" (") + calls.join(u' ') + u')';
}

} // namespace

QString siteRoles(const QList<SstvSiteInfo> &sites, int newsSites) {
    QStringList roles;
    const qsizetype listed = sites.size() - std::clamp<qsizetype>(newsSites, 0, sites.size());
    // In the order the switches are given out, from the end of the list.
    QList<SiteFault> faults;
    for (const FaultShare &share : faultShares(SimConfig()))
        faults << share.fault;
    for (const SiteFault fault : std::as_const(faults)) {
        QList<SstvSiteInfo> marked;
        for (qsizetype i = 0; i < listed; ++i) {
            if (sites[i].fault == fault)
                marked << sites[i];
        }
        if (!marked.isEmpty())
            roles << faultName(fault) + QStringLiteral(": ") + siteRange(marked);
    }
    if (listed < sites.size())
        roles << QStringLiteral("news: ") + siteRange(sites.mid(listed));
    return roles.join(QStringLiteral("; "));
}

QList<WxSiteInfo> makeWxSites(const SimConfig &config) {
    const int count = std::clamp(config.wxCount, 0, kMaxWxSites);
    const qint64 intervalMs = qint64(std::max(1, config.intervalSeconds)) * 1000;
    QList<WxSiteInfo> sites;
    for (int i = 0; i < count; ++i) {
        WxSiteInfo site;
        site.number = i + 1;
        site.name = QStringLiteral("WX ") + QLatin1String(kWxNames[i]);
        site.periodMs = intervalMs;
        site.phaseMs = i * intervalMs / count;
        sites.append(site);
    }
    return sites;
}

PictureTimeline::PictureTimeline(const QDateTime &origin, qint64 periodMs, qint64 phaseMs,
                                 qint64 freshMs)
    : originMs_(origin.toMSecsSinceEpoch()), periodMs_(std::max<qint64>(1, periodMs)),
      phaseMs_(phaseMs), freshMs_(freshMs) {}

qint64 PictureTimeline::currentNumber(const QDateTime &now) const {
    return kHistoryLength + floorDiv(now.toMSecsSinceEpoch() - originMs_ - phaseMs_, periodMs_);
}

QDateTime PictureTimeline::arrival(qint64 number) const {
    return QDateTime::fromMSecsSinceEpoch(
        originMs_ + phaseMs_ + (number - kHistoryLength) * periodMs_, QTimeZone::utc());
}

QSize PictureTimeline::checkPictureSize(const QDateTime &now) const {
    const qint64 number = currentNumber(now);
    const qint64 age = now.toMSecsSinceEpoch() - arrival(number).toMSecsSinceEpoch();
    return QSize(age < freshMs_ ? 1 : 2, 16 + int(((number % 200) + 200) % 200));
}

std::optional<qint64> PictureTimeline::historyNumber(int position, const QDateTime &now) const {
    if (position < 1 || position > kHistoryLength)
        return std::nullopt;
    const qint64 number = currentNumber(now) - (position - 1);
    if (number < 0)
        return std::nullopt;
    return number;
}

PictureCaption sstvCaption(const SstvSiteInfo &site, qint64 number, const QDateTime &time) {
    PictureCaption caption;
    caption.sender =
        QString::fromUtf16(kSenders[pick(site.number * 7 + number * 3, kSenders.size())]);
    caption.status = QLatin1String(kModes[pick(site.number + number, kModes.size())]);
    caption.time = time.toTimeZone(QTimeZone::utc());
    return caption;
}

} // namespace tavimo::sitesim
