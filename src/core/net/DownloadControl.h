#pragma once

#include "core/net/HeldBytesBudget.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <QSize>
#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>
#include <unordered_map>

namespace tavimo {

class DownloadControl;

// What every download control of the program shares: the one network manager,
// the limits of a transfer, and `DownloadBuffer`. Made once (the program keeps
// it in AppState); tests make their own with short limits. Must outlive the
// controls that use it.
class DownloadContext {
public:
    static constexpr std::chrono::milliseconds DefaultTransferTimeout{30'000};
    // A picture of a few hundred kilobytes needs seconds even on a poor line;
    // a server that trickles keeps the read no longer than this.
    static constexpr std::chrono::milliseconds DefaultReadDeadline{180'000};
    // The time page, the home page and the updates list are a few lines.
    static constexpr std::chrono::milliseconds DefaultTextReadDeadline{60'000};
    static constexpr qint64 DefaultBodyCap = qint64(32) * 1024 * 1024;
    // What the network thread may hold of a reply before it stops reading
    // from the connection until the window's thread has taken the bytes: the
    // cap is checked where the bytes arrive, so it holds to within this.
    static constexpr qint64 ReadBufferSize = qint64(256) * 1024;
    static constexpr int MaxRedirects = 5;
    // An answer of ordinary size (an SSTV picture) is always held in memory,
    // whatever other reads hold: it never waits for room, nor fails for want
    // of it.
    static constexpr qint64 MemoryAllowancePerRead = qint64(1) * 1024 * 1024;
    // What the running reads of all controls together keep in memory of
    // their answers beyond that allowance: twenty servers each sending
    // without end must not take twenty caps of memory. A read that finds no
    // room goes on at its server's pace into a spill file of its own, and its
    // answer comes back into memory when it is complete.
    static constexpr qint64 DefaultHeldBytesBudget = qint64(8) * 1024 * 1024;

    DownloadContext();
    ~DownloadContext();
    DownloadContext(const DownloadContext &) = delete;
    DownloadContext &operator=(const DownloadContext &) = delete;

    QNetworkAccessManager &network() { return network_; }

    // A read fails when no byte of the answer's body arrives for this long
    // (connecting and waiting for the answer included).
    std::chrono::milliseconds transferTimeout() const { return transferTimeout_; }
    void setTransferTimeout(std::chrono::milliseconds timeout) { transferTimeout_ = timeout; }

    // A read fails when it has not completed this long after it was asked
    // for, however steadily its bytes come: the Bytes and Picture flavours
    // (pictures) and the Text flavour (short texts) have a deadline each.
    // 0: none.
    std::chrono::milliseconds readDeadline() const { return readDeadline_; }
    void setReadDeadline(std::chrono::milliseconds deadline) { readDeadline_ = deadline; }
    std::chrono::milliseconds textReadDeadline() const { return textReadDeadline_; }
    void setTextReadDeadline(std::chrono::milliseconds deadline) { textReadDeadline_ = deadline; }

    // A reply announced or grown larger than this is aborted and fails.
    qint64 bodyCap() const { return bodyCap_; }
    void setBodyCap(qint64 bytes) { bodyCap_ = bytes; }

    qint64 heldBytesBudget() const { return budget_.limit(); }
    void setHeldBytesBudget(qint64 bytes) { budget_.setLimit(bytes); }
    // The bytes the running reads hold in memory now beyond their allowance.
    qint64 heldBytes() const { return budget_.held(); }
    HeldBytesBudget &budget() { return budget_; }

    // Where answers that find no room in the budget are kept while they
    // arrive, in files without a name; the system's temporary folder takes
    // them when this one takes no file or no more bytes. Our cache folder
    // unless set.
    const QString &spillFolder() const { return spillFolder_; }
    void setSpillFolder(const QString &folder) { spillFolder_ = folder; }

    // Logs a failed read at the warning level, once per site (the address's
    // folder) and reason: a site that fails alike on every pass is named
    // once, until one of its reads has worked again.
    void logFailure(const QString &address, const QString &reason);
    // A read of `address` worked: its site's next failure is logged again.
    void forgetFailure(const QString &address);

    // "Tavimo/" and the program's version.
    const QByteArray &userAgent() const { return userAgent_; }
    void setUserAgent(const QByteArray &agent) { userAgent_ = agent; }

    // A GET request as every download sends it: straight from the server (no
    // cache on our side, "Cache-Control: no-cache" for the ones in between), our
    // user agent, at most MaxRedirects redirects and never from https to http.
    QNetworkRequest request(const QUrl &url) const;

    // `DownloadBuffer`: the bytes of the most recent byte or text download that
    // completed on any control. Replaced whole just before that download's ready
    // signal; a failed download leaves it alone. The next download overwrites
    // it, so handlers read the bytes their ready signal carries instead.
    QByteArray DownloadBuffer;

private:
    QNetworkAccessManager network_;
    std::chrono::milliseconds transferTimeout_ = DefaultTransferTimeout;
    std::chrono::milliseconds readDeadline_ = DefaultReadDeadline;
    std::chrono::milliseconds textReadDeadline_ = DefaultTextReadDeadline;
    qint64 bodyCap_ = DefaultBodyCap;
    QByteArray userAgent_;
    QHash<QString, QStringList> loggedFailures_; // site -> the reasons logged
    HeldBytesBudget budget_{DefaultHeldBytesBudget};
    QString spillFolder_;
};

// A keyed web reader placed on a window. Requests never block: the outcome of
// each arrives later, on the event loop, as exactly one of ready() or failed(),
// and never inside the request call. ready() carries the answer's own bytes. At most one read runs
// per key; asking again for a key that is still running drops the older read without a signal. The
// key is no longer pending when its signal arrives, so a handler may ask for the same key again.
// Destroying the control (or cancelAll) drops every running read without a signal.
//
// The three flavours differ in what a read delivers:
//   Bytes   (slot pictures, gallery pictures, text messages): the body goes to
//           DownloadBuffer too; progress() is raised while it arrives. The hosts'
//           PictureReady, NoImage and Progress handlers hang on ready(),
//           failed() and progress().
//   Picture (check pictures): the body is decoded (BMP, GIF, JPEG or PNG) into
//           Picture(); bytes that are no such picture fail. DownloadBuffer
//           is left alone. PictureReady and
//           NoCkNew hang on ready() and failed().
//   Text    (time page, home page, updates list, last-heard list): the body goes
//           to DownloadBuffer too, without progress. updatesReady and noUpdates hang
//           on ready() and failed().
//
// A read fails on a network error, an HTTP status other than 2xx, an address
// that is not http or https, a stall longer than the transfer timeout, a read
// still running at its deadline, or a body larger than the cap (unless the
// control keeps the head of a longer answer). A failed read leaves
// DownloadBuffer and Picture() as they were; failureReason() tells why.
class DownloadControl : public QObject {
    Q_OBJECT

public:
    enum class Flavour { Bytes, Picture, Text };
    Q_ENUM(Flavour)

    DownloadControl(DownloadContext &context, Flavour flavour, QObject *parent = nullptr);
    ~DownloadControl() override;

    Flavour flavour() const { return flavour_; }

    // Starts reading url under key (Bytes and Text flavours). Every read goes to
    // the server, so the callers' cache option has no counterpart here.
    void DownloadFile(const QString &url, const QString &key);
    // The same for the Picture flavour.
    void DownloadPicture(const QString &url, const QString &key);

    // The picture of the last read that completed on this control (Picture
    // flavour); null before the first one, and with the size only read.
    const QImage &Picture() const { return picture_; }
    // Its size in pixels.
    QSize PictureSize() const { return pictureSize_; }
    // Picture flavour: reads only the size from each picture's header, for
    // callers that need no more (a check picture is judged by its size).
    void setPictureSizeOnly(bool sizeOnly) { pictureSizeOnly_ = sizeOnly; }

    // What a longer answer does: fail, or end at the cap and be delivered
    // cut (texts, of which the head is worth showing).
    enum class OverCap { Fail, KeepHead };
    // Reads of this control end at `bytes` instead of the context's cap.
    void setBodyCap(qint64 bytes, OverCap rule);
    // Inside a ready handler: the bytes are the head of a longer answer.
    bool answerCut() const { return answerCut_; }
    // Inside a ready handler: the answer is of no use after all (bytes that
    // are no picture). It is logged as a failure of its site, once per site
    // and reason, and does not count as the site having answered.
    void rejectAnswer(const QString &reason) { rejection_ = reason; }
    // Inside a failed handler (and until the next failure): why the read
    // failed, in a few words ("connection refused", "HTTP status 404 Not
    // Found", "certificate self-signed").
    const QString &failureReason() const { return failureReason_; }

    bool isPending(const QString &key) const;
    int pendingCount() const { return int(reads_.size()); }

    // Drops every running read without a signal (shutdown, a window closing).
    void cancelAll();

signals:
    // `bytes`: the body as it arrived (for the Picture flavour, the picture
    // before it was decoded).
    void ready(const QString &key, const QByteArray &bytes);
    void failed(const QString &key);
    // Bytes flavour only, at most about every 100 ms. bytesMax is 0 while the
    // server has not announced a size (the last report of such a body may carry
    // the size received).
    void progress(const QString &key, qint64 bytesMax, qint64 bytesDone);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    struct Read;

    void start(const QString &url, const QString &key);
    void onReplyFinished(QNetworkReply *reply);
    // Keys are taken by value: a handler may replace or drop the read, and with
    // it the connection that holds the caller's copy.
    void onProgress(QString key, quint64 serial, qint64 done, qint64 total);
    void onReadyRead(QString key, quint64 serial);
    // Takes what the reply has of the body, to one byte past the cap. False,
    // with why, when the answer cannot be held.
    bool keep(Read &read, QString &why);
    // Moves the body so far, and all that follows, into a spill file.
    bool spill(Read &read, QString &why);
    // The whole body once the reply has ended: the rest taken, a spilled
    // body read back. Nothing, with why, when it cannot be had.
    std::optional<QByteArray> wholeBody(Read &read, QString &why);
    // What the read holds of the budget is free again.
    void release(Read &read);
    // Gives back what the read holds of the budget beyond what its body needs.
    void releaseUnused(Read &read);
    void onFinished(QString key, quint64 serial);
    void fail(QString key, quint64 serial, const QString &why);
    void fail(std::unique_ptr<Read> read, const QString &key, const QString &why);
    // A read whose answer is in: delivered, unless a picture does not decode.
    void complete(std::unique_ptr<Read> read, const QString &key, QByteArray body, bool cut);
    qint64 bodyCap() const;
    std::chrono::milliseconds readDeadline() const;
    Read *current(const QString &key, quint64 serial) const;
    std::unique_ptr<Read> take(const QString &key);
    void drop(Read &read);

    DownloadContext &context_;
    const Flavour flavour_;
    QImage picture_;
    QSize pictureSize_;
    bool pictureSizeOnly_ = false;
    qint64 bodyCap_ = 0; // 0: the context's
    OverCap overCap_ = OverCap::Fail;
    bool answerCut_ = false;
    QString rejection_;
    QString failureReason_;
    std::unordered_map<QString, std::unique_ptr<Read>> reads_;
    QHash<QNetworkReply *, QString> replyKeys_; // the key of each running read
    quint64 nextSerial_ = 1;
};

} // namespace tavimo
