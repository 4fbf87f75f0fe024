#pragma once

// Fetching the pictures of a grid of slots, without a widget: the check
// pictures and pictures of the main window's page, or the pictures of a
// gallery. The fetcher makes the requests under their keys, remembers what
// each was made for, sorts the answers out (ignored, dropped but counted, or
// applied), counts the pass and writes the slot files away from the window's
// thread. Whoever owns the keys (the page shown, a gallery) tells it which
// answers still belong; whoever shows the slots listens to its signals.
//
//     SlotFetcher fetcher(downloads, pageKeys);
//     connect(&fetcher, &SlotFetcher::checkPictureReady, ...); // judge, then
//     fetcher.finishSlot(slot) or fetcher.requestPicture(slot, site, url, call)
//     connect(&fetcher, &SlotFetcher::pictureReady, ...);      // store and show
//     connect(&fetcher, &SlotFetcher::passEnded, ...);         // once per pass
//     fetcher.startPass(plan.slotNumbers());
//     for (...) fetcher.requestCheckPicture(slot, checkUrl, call);
//
// A handler connected to the answer signals runs before the end-of-pass rule
// of that answer: what it requests or counts belongs to the pass.

#include "core/thumbs/DownloadKeys.h"
#include "core/thumbs/PagePlan.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include <optional>

namespace tavimo {

class DownloadContext;
class DownloadControl;

// What a request was made for: an answer whose slot shows another site or
// another page by now is not applied.
struct SlotRequest {
    int owner = 0; // the key owner's number when the request was made
    QString call;  // the site's callsign as stored (WX: its name)
};

// Where an answer goes. No slot: it is none of the pass's business and is
// ignored. A slot without a target: it no longer fits and is dropped, but the
// slot counts for the pass. Both: it is applied to the target.
struct AnswerFit {
    std::optional<int> slot;
    std::optional<SlotTarget> target;
};

// Whose keys a fetcher makes and reads: the main window's page or a gallery.
class KeyOwner {
public:
    virtual ~KeyOwner() = default;

    // The number in the hundreds of every picture key: the page shown, or the
    // gallery's owner number.
    virtual int ownerNumber() const = 0;
    // Where a check or picture answer goes, given the request it answers
    // (nothing when the fetcher holds no record of it).
    virtual AnswerFit fitCheck(const CheckKey &key,
                               const std::optional<SlotRequest> &request) const = 0;
    virtual AnswerFit fitPicture(const PictureKey &key,
                                 const std::optional<SlotRequest> &request) const = 0;
};

class SlotFetcher : public QObject {
    Q_OBJECT

public:
    // Timers run as late as a twentieth of their interval: a reload due with a
    // read's deadline may come this much before it.
    static constexpr int kDeadlineMarginDivisor = 20;

    // `owner` must outlive the fetcher.
    SlotFetcher(DownloadContext &context, const KeyOwner &owner, QObject *parent = nullptr);
    ~SlotFetcher() override;

    // --- Requests ---------------------------------------------------------------

    // A request whose read is still running under its key, for the same site
    // and address and by the owner of now, keeps that read: a pass that
    // starts while it runs takes it over, and its answer counts for the pass
    // running when it comes. Started over instead, a site that takes the
    // connection but never answers would keep every pass open for as long as
    // passes come faster than the transfer timeout. A read due at its deadline
    // within a twentieth of it (the margin) is asked anew instead: kept, it would
    // fail a moment later, and the slot wait for the next pass (on the WX
    // page, whose reload comes as often as the deadline, that is every read
    // the reload finds running).

    // The check picture of `slot`, under the bare slot number.
    void requestCheckPicture(int slot, const QString &url, const QString &call);
    // A picture under owner x 100 + slot, followed by "-" and `site` when it
    // is not negative.
    void requestPicture(int slot, int site, const QString &url, const QString &call);

    // Drops every running read without a signal.
    void cancelAll();
    // Reads still running, check pictures and pictures together.
    int pendingCount() const;
    // Inside a pictureFailed handler: why the picture could not be read.
    QString failureReason() const;
    // Inside a pictureReady handler: the bytes hold no picture. Logged as a
    // failure of the site, once per site and reason, as a failed read is.
    void rejectPicture(const QString &reason);

    // --- The pass ----------------------------------------------------------------

    // A new pass over these slots. A pass over no slot has no end: its caller
    // deals with the empty page itself.
    void startPass(const QList<int> &slotList);
    // Counts `slot` finished (once per pass; a slot outside the pass changes
    // nothing).
    void finishSlot(int slot);
    // `slot` waits again, for a picture asked for once more (a cut answer):
    // called from a pictureReady handler, it keeps the pass open until that
    // answer has come.
    void reopenSlot(int slot);
    const PassCounter &pass() const { return pass_; }

    // --- Slot files ------------------------------------------------------------

    // Writes a slot's picture file on the writer thread, one file after the
    // other in the order given. A failed write removes the file, so that no
    // older picture stands in for this one, and is told by pictureNotStored
    // with the number returned here.
    quint64 writeLater(const QString &file, const QByteArray &picture);
    // Removes the numbered pictures in `folder` (removeNumberedPictures) on
    // the writer thread: after the files handed to writeLater before, before those handed
    // over after.
    void clearFolderLater(const QString &folder);
    // Waits until every file handed to writeLater is on disk; anything that
    // reads slot files calls it first.
    void flush();

signals:
    // A check picture arrived for a slot that still shows its site.
    void checkPictureReady(const SlotTarget &target, QSize size);
    // The slot's check picture could not be read.
    void checkPictureMissing(const SlotTarget &target);
    // A picture arrived, or could not be read; the slot has been counted.
    void pictureReady(const SlotTarget &target, const QByteArray &bytes);
    void pictureFailed(const SlotTarget &target);
    // A picture is on its way (asked for, or arriving).
    void pictureRequested(int slot);
    void pictureProgress(int slot, qint64 bytesMax, qint64 bytesDone);
    // An answer no longer fitted its slot and was dropped; the slot counted.
    void answerDropped(int slot);
    void slotFinished(int slot);
    // The counts of the pass after every change.
    void passCounted(int expected, int finished);
    // Every slot of the pass has finished: once per pass, after the files
    // are written.
    void passEnded();
    // The write that writeLater numbered `write` failed: `file` is missing.
    void pictureNotStored(const QString &file, quint64 write);

private:
    void ucCkNew_PictureReady(const QString &Ky);
    void ucCkNew_NoCkNew(const QString &id);
    void ucDnLoad_PictureReady(const QString &id, const QByteArray &bytes);
    void ucDnLoad_NoImage(const QString &id);
    void ucDnLoad_Progress(const QString &id, qint64 BytesMax, qint64 BytesDone);

    // A request made, the address it asked for, and since when it runs.
    struct Asked {
        SlotRequest request;
        QString url;
        QElapsedTimer running;
    };
    // Whether the read under `key` was asked for alike and still runs, with
    // time left before its deadline.
    bool stillRunning(const DownloadControl &control, const QHash<QString, Asked> &asked,
                      const QString &key, const Asked &again) const;

    // The target of an answer, or nothing. An outcome (not a progress report)
    // that no longer fits is dropped and counted here.
    std::optional<SlotTarget> checkTarget(const QString &key);
    std::optional<SlotTarget> pictureTarget(const QString &key, bool outcome);
    void dropAnswer(int slot);
    void applyEndOfPassRule();

    DownloadContext &context_;
    const KeyOwner &owner_;
    DownloadControl *ucDnLoad = nullptr; // pictures
    DownloadControl *ucCkNew = nullptr;  // check pictures
    QHash<QString, Asked> checkRequests_;
    QHash<QString, Asked> pictureRequests_;
    PassCounter pass_;
    bool passEndApplied_ = false;
    QThreadPool writer_;
    quint64 lastWrite_ = 0;
};

} // namespace tavimo
