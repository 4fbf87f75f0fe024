#pragma once

#include "sitesim/SiteModel.h"
#include "support/LoopbackServer.h"

#include <QHash>
#include <QMutex>
#include <atomic>

// The simulated sites behind one loopback server: every answer is made on
// request from the site model and the clock.
namespace tavimo::sitesim {

// How a slow site answers: late, then in small pieces.
inline constexpr int kSlowDelayMs = 1500;
inline constexpr int kSlowChunk = 2048;
inline constexpr int kSlowIntervalMs = 400;
// A trickling site sends its pictures a byte a second when they are asked for
// this soon after the start, then answers like any other: a read of it ends
// at the program's deadline, and a later pass finds the site well again.
inline constexpr qint64 kTrickleSpanMs = 150'000;

class SiteSimulator {
public:
    explicit SiteSimulator(const SimConfig &config, Clock clock = systemClock());

    static Clock systemClock();

    const SimConfig &config() const { return config_; }
    // Whether the sites answer at addresses of their own (siteHost), so that
    // the updates list announces new sites there too. Set before the first
    // request that needs it; read on the server's thread.
    void setSitesOnOwnHosts(bool own) { ownHosts_ = own; }
    const QList<SstvSiteInfo> &sstvSites() const { return sstv_; }
    const QList<WxSiteInfo> &wxSites() const { return wx_; }
    const PictureTimeline &sstvTimeline(qsizetype index) const { return sstvTimelines_[index]; }
    const PictureTimeline &wxTimeline(qsizetype index) const { return wxTimelines_[index]; }
    QDateTime now() const { return clock_(); }

    // The bytes a healthy site serves. SSTV pictures carry a trailer; those of
    // animated sites are GIF files. A --no-end site's JPEGs lack their end
    // marker; a --png-text site's are PNGs with "***" in a text chunk after
    // their data, and no trailer.
    QByteArray sstvPicture(qsizetype index, qint64 number);
    QByteArray checkPicture(qsizetype index); // as of now
    // The number of the site's current picture, as of now: a site that posts
    // at every pass counts the passes it has seen on top of its timeline.
    qint64 currentSstvNumber(qsizetype index);
    QByteArray wxPicture(qsizetype index, qint64 number);

    // How many requests of each new picture a torn site answers cut.
    static constexpr int kTornCuts = 2;
    // What a torn site serves at the `request`-th request (from 0) of its
    // current picture while it rewrites the file: its first part, longer at
    // every request.
    static QByteArray cutPicture(const QByteArray &whole, int request);

    // The sites announced as new by the updates list.
    QList<SstvSiteInfo> newsSites() const;

    // The answer to one request, faults applied; nothing for an address that no
    // site has (the server answers 404). Safe to call from any thread.
    std::optional<test::Route> answer(const test::RecordedRequest &request);

private:
    QByteArray cached(const QString &key, const std::function<QByteArray()> &make);
    std::optional<test::Route> sstvAnswer(qsizetype index, const QString &file);
    std::optional<test::Route> wxAnswer(qsizetype index, const QString &file);
    // Text message k (1 to 8) beside the site's picture: text<k>.txt.jpg.
    std::optional<test::Route> textMessage(const SstvSiteInfo &site, int k) const;
    // The time page, the home page and the updates lists; nothing for any
    // other path. base is "http://host:port" as the request named it.
    std::optional<test::Route> serviceAnswer(const QString &path, const QString &base);
    QByteArray updatesList(const QString &base, int ageDays) const;

    SimConfig config_;
    std::atomic<bool> ownHosts_{false};
    Clock clock_;
    QDateTime started_;
    QList<SstvSiteInfo> sstv_;
    QList<WxSiteInfo> wx_;
    QList<PictureTimeline> sstvTimelines_;
    QList<PictureTimeline> wxTimelines_;
    QMutex cacheMutex_;
    QHash<QString, QByteArray> cache_;
    qint64 cacheBytes_ = 0;
    // Per torn site, the picture being written and how many requests it has
    // answered cut.
    struct TornWrite {
        qint64 number = -1;
        int served = 0;
    };
    QMutex tornMutex_;
    QHash<qsizetype, TornWrite> tornWrites_;
    // Per site that posts at every pass, the pictures posted so far.
    QMutex postedMutex_;
    QHash<qsizetype, qint64> posted_;
    qint64 posted(qsizetype index);
};

} // namespace tavimo::sitesim
