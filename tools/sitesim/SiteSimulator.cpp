#include "sitesim/SiteSimulator.h"

#include "core/base/Numbers.h"
#include "sitesim/Callbooks.h"
#include "sitesim/DataFolderWriter.h"
#include "sitesim/PictureArt.h"
#include "sitesim/SitePages.h"
#include "support/Fixtures.h"
#include "support/UpdateServices.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>

namespace tavimo::sitesim {

namespace {

// Pictures drawn once are kept; a long run starts afresh now and then.
constexpr qsizetype kCacheEntries = 4000;
constexpr qint64 kCacheBytes = qint64(256) * 1024 * 1024; // large pictures fill it sooner

test::Route pictureRoute(const QByteArray &bytes) {
    test::Route route;
    route.body = bytes;
    // Sites name every picture .jpg, whatever it holds.
    route.contentType = "image/jpeg";
    return route;
}

test::Route notFound() {
    test::Route route;
    route.status = 404;
    route.body = "not found\n";
    route.contentType = "text/plain";
    return route;
}

QByteArray garbage(int seed) {
    QRandomGenerator random(quint32(seed) * 2654435761u);
    QByteArray bytes("\x00\x01no picture here, just noise\n", 29);
    while (bytes.size() < 3000)
        bytes.append(static_cast<char>(random.bounded(256)));
    return bytes;
}

} // namespace

Clock SiteSimulator::systemClock() {
    return [] { return QDateTime::currentDateTimeUtc(); };
}

SiteSimulator::SiteSimulator(const SimConfig &config, Clock clock)
    : config_(config), clock_(std::move(clock)), sstv_(makeSstvSites(config)),
      wx_(makeWxSites(config)) {
    const QDateTime origin = clock_();
    started_ = origin;
    const qint64 freshMs = qint64(std::max(1, config.intervalSeconds)) * 1000;
    for (const SstvSiteInfo &site : std::as_const(sstv_))
        sstvTimelines_.append(PictureTimeline(origin, site.periodMs, site.phaseMs, freshMs));
    for (const WxSiteInfo &site : std::as_const(wx_))
        wxTimelines_.append(PictureTimeline(origin, site.periodMs, site.phaseMs, freshMs));
}

QByteArray SiteSimulator::cached(const QString &key, const std::function<QByteArray()> &make) {
    {
        QMutexLocker lock(&cacheMutex_);
        const auto it = cache_.constFind(key);
        if (it != cache_.constEnd())
            return it.value();
    }
    // Drawn without the lock; two threads may draw the same picture, with the same result.
    const QByteArray bytes = make();
    QMutexLocker lock(&cacheMutex_);
    if (cache_.size() >= kCacheEntries || cacheBytes_ + bytes.size() > kCacheBytes) {
        cache_.clear();
        cacheBytes_ = 0;
    }
    if (!cache_.contains(key))
        cacheBytes_ += bytes.size();
    cache_.insert(key, bytes);
    return bytes;
}

QByteArray SiteSimulator::sstvPicture(qsizetype index, qint64 number) {
    const SstvSiteInfo &site = sstv_[index];
    // A picture posted at a pass arrived no later than now.
    const PictureCaption caption =
        sstvCaption(site, number, std::min(sstvTimelines_[index].arrival(number), clock_()));
    return cached(QStringLiteral("s%1-%2").arg(index).arg(number), [&] {
        QByteArray picture;
        if (site.fault == SiteFault::StarsInText) {
            const QByteArray png = test::encodeImage(drawSstvPicture(site, number, caption), "PNG");
            const QString comment =
                QStringLiteral("*** %1 *** %2 *** 73").arg(caption.sender, caption.status);
            return test::withTextChunk(png, "Comment", comment.toLatin1());
        }
        if (site.fault == SiteFault::NoEndMarker) {
            picture = test::encodeImage(drawSstvPicture(site, number, caption), "JPG", 85);
            picture.chop(2);
        } else if (site.fault == SiteFault::Large) {
            picture = test::encodeImage(drawLargePicture(site, number, caption), "JPG", 95);
        } else if (site.animated) {
            QList<test::GifFrame> frames;
            for (int frame = 0; frame < kAnimationFrames; ++frame)
                frames.append({drawSstvPicture(site, number, caption, frame), 400});
            picture = test::encodeAnimatedGif(frames);
        } else {
            picture = test::encodeImage(drawSstvPicture(site, number, caption), "JPG", 85);
        }
        return test::withTrailer(picture, caption.sender, caption.status, caption.time);
    });
}

qint64 SiteSimulator::posted(qsizetype index) {
    QMutexLocker lock(&postedMutex_);
    return posted_.value(index);
}

qint64 SiteSimulator::currentSstvNumber(qsizetype index) {
    return sstvTimelines_[index].currentNumber(clock_()) + posted(index);
}

QByteArray SiteSimulator::checkPicture(qsizetype index) {
    QSize size = sstvTimelines_[index].checkPictureSize(clock_());
    if (postsAtEveryPass(sstv_[index].fault))
        size = QSize(1, 16 + int(currentSstvNumber(index) % 200));
    return cached(QStringLiteral("c%1x%2").arg(size.width()).arg(size.height()),
                  [&] { return test::checkPicture(size.width(), size.height()); });
}

QByteArray SiteSimulator::wxPicture(qsizetype index, qint64 number) {
    return cached(QStringLiteral("w%1-%2").arg(index).arg(number), [&] {
        const QImage image = drawWxPicture(wx_[index], number, wxTimelines_[index].arrival(number));
        return test::encodeImage(image, "JPG", 85);
    });
}

std::optional<test::Route> SiteSimulator::answer(const test::RecordedRequest &request) {
    static const QRegularExpression address(QStringLiteral("^/(sstv|wx)/(\\d{1,4})/([^/]+)$"));
    if (std::optional<test::Route> callbook = callbookAnswer(request.path, sstv_))
        return callbook;
    QString path = QString::fromUtf8(request.path);
    path = path.left(path.indexOf(u'?') < 0 ? path.size() : path.indexOf(u'?'));
    if (path == u"/") {
        // The program's connection probe.
        test::Route route;
        route.body = "Tavimo site simulator\n";
        route.contentType = "text/plain";
        return route;
    }
    if (path == kMapPagePath) {
        test::Route route;
        route.contentType = "text/html; charset=utf-8";
        route.body = mapPage(request.path);
        return route;
    }
    const QByteArray host = request.headers.value("host");
    if (std::optional<test::Route> service =
            serviceAnswer(path, QStringLiteral("http://") + QString::fromLatin1(host)))
        return service;
    const QRegularExpressionMatch match = address.match(path);
    if (!match.hasMatch())
        return std::nullopt;
    const qsizetype index = match.captured(2).toInt() - 1;
    if (match.captured(1) == u"sstv")
        return index >= 0 && index < sstv_.size() ? sstvAnswer(index, match.captured(3))
                                                  : std::nullopt;
    return index >= 0 && index < wx_.size() ? wxAnswer(index, match.captured(3)) : std::nullopt;
}

std::optional<test::Route> SiteSimulator::sstvAnswer(qsizetype index, const QString &file) {
    static const QRegularExpression picture(QStringLiteral("^image(\\d{1,3})\\.jpg$"));
    static const QRegularExpression message(QStringLiteral("^text([1-8])\\.txt\\.jpg$"));
    const SstvSiteInfo &site = sstv_[index];
    if (const QRegularExpressionMatch text = message.match(file); text.hasMatch())
        return textMessage(site, text.captured(1).toInt());
    const QRegularExpressionMatch match = picture.match(file);
    const bool isCheck = file == u"checknew.jpg";
    const bool isList = file == u"list.jpg";
    if (isCheck && postsAtEveryPass(site.fault)) {
        QMutexLocker lock(&postedMutex_);
        ++posted_[index];
    }
    std::optional<qint64> number;
    if (match.hasMatch())
        number = sstvTimelines_[index].historyNumber(match.captured(1).toInt(), clock_());
    if (number)
        *number += posted(index);
    if (!isCheck && !isList && !number)
        return std::nullopt;

    switch (site.fault) {
    case SiteFault::NotFound:
        return notFound();
    case SiteFault::Stall: {
        test::Route route;
        route.stall = true;
        return route;
    }
    case SiteFault::Garbage:
        return pictureRoute(garbage(site.number * 31 + (number ? int(*number % 1000) : 0)));
    case SiteFault::None:
    case SiteFault::Slow:
    case SiteFault::Torn:
    case SiteFault::Trickle:
    case SiteFault::NoEndMarker:
    case SiteFault::StarsInText:
    case SiteFault::Large:
        break;
    }
    test::Route route;
    if (isList) {
        // The last-heard list: text, under the .jpg name sites give it.
        route.body = lastHeardList(site, sstvTimelines_[index], clock_());
        route.contentType = "text/plain; charset=windows-1252";
    } else {
        route = pictureRoute(isCheck ? checkPicture(index) : sstvPicture(index, *number));
    }
    // Only the current picture is rewritten in place.
    if (site.fault == SiteFault::Torn && !isCheck && !isList && match.captured(1) == u"1") {
        QMutexLocker lock(&tornMutex_);
        TornWrite &write = tornWrites_[index];
        if (write.number != *number)
            write = TornWrite{*number, 0};
        if (write.served < kTornCuts)
            route.body = cutPicture(route.body, write.served++);
    }
    if (site.fault == SiteFault::Slow) {
        route.delayMs = kSlowDelayMs;
        route.trickleChunk = kSlowChunk;
        route.trickleIntervalMs = kSlowIntervalMs;
    }
    if (site.fault == SiteFault::Large && number) {
        // Ten steps a second, each taken only once the program has the last.
        route.trickleChunk = std::max(1, config_.largeBytesPerSecond / 10);
        route.trickleIntervalMs = 100;
        route.paced = true;
    }
    if (site.fault == SiteFault::Trickle && number && started_.msecsTo(clock_()) < kTrickleSpanMs) {
        route.trickleChunk = 1;
        route.trickleIntervalMs = 1000;
    }
    return route;
}

std::optional<test::Route> SiteSimulator::textMessage(const SstvSiteInfo &site, int k) const {
    // Every site publishes its first five messages; the others are missing.
    if (site.fault == SiteFault::NotFound || k > 5)
        return notFound();
    const QDateTime time = clock_().toUTC().addSecs(-3600 * k);
    test::Route route;
    route.contentType = "text/plain";
    route.body = QStringLiteral("%1 message %2, %3 UTC\r\nGood pictures today from %4.\r\n73\r\n")
                     .arg(site.callsign)
                     .arg(k)
                     .arg(time.toString(QStringLiteral("HH:mm")), site.callsign)
                     .toLatin1();
    return route;
}

std::optional<test::Route> SiteSimulator::wxAnswer(qsizetype index, const QString &file) {
    if (file != u"latest.jpg")
        return std::nullopt; // no check pictures on WX sites
    return pictureRoute(wxPicture(index, wxTimelines_[index].currentNumber(clock_())));
}

QByteArray SiteSimulator::cutPicture(const QByteArray &whole, int request) {
    // Past the header, short of the end marker and of the trailer, and longer
    // at every request, as the file grows.
    return whole.left(whole.size() * (2 + request) / (3 + kTornCuts));
}

QList<SstvSiteInfo> SiteSimulator::newsSites() const {
    const qsizetype count = std::clamp<qsizetype>(config_.newsSites, 0, sstv_.size());
    return sstv_.mid(sstv_.size() - count);
}

QByteArray SiteSimulator::updatesList(const QString &base, int ageDays) const {
    test::UpdatesListContent content;
    for (const SstvSiteInfo &site : newsSites()) {
        content.newSites.append(
            {site.callsign + u'*' + numberText(site.latitude) + u'*' + numberText(site.longitude),
             (ownHosts_ ? siteBase(base, false, site.number) : base) +
                 sstvPicturePath(site.number)});
    }
    return test::updatesListBytes(content, clock_().toUTC().date().addDays(-ageDays));
}

std::optional<test::Route> SiteSimulator::serviceAnswer(const QString &path, const QString &base) {
    test::Route route;
    route.contentType = "text/plain";
    if (path == u"/time") {
        route.contentType = "text/html";
        route.body = test::timePageBytes(clock_());
        return route;
    }
    if (path == u"/home/" || path == u"/home") {
        route.contentType = "text/html";
        route.body = test::homePageBytes(config_.homeVersion);
        return route;
    }
    if (path == u"/mirror/updates/sstvupdates.txt" || path == u"/mirror/updates/updates.txt") {
        route.body = updatesList(base, 0);
        return route;
    }
    if (path != u"/updates/sstvupdates.txt")
        return std::nullopt;
    switch (config_.updatesList) {
    case UpdatesListState::Valid:
        route.body = updatesList(base, 0);
        break;
    case UpdatesListState::Truncated:
        route.body = updatesList(base, 0).chopped(1);
        break;
    case UpdatesListState::TooOld:
        route.body = updatesList(base, 61);
        break;
    case UpdatesListState::Missing:
        return notFound();
    }
    return route;
}

} // namespace tavimo::sitesim
