#pragma once

// The road of the gallery's pictures: one pass asks for the 30 pictures of a
// site under the gallery's keys, and each answer lands in its cell: stored
// without its trailer as the cell's file, shown still or animated with its
// sender line, or replaced by a placeholder ("not found", "failed", or
// "Blocked" for a blocked sender, whose picture is neither stored nor shown).
// Every cell counts once; the pass ends when all 30 have, and at once when
// nothing could be asked for.
//
// The 30 reads do not go out at once: all of them ask one host, and the
// network layer keeps only six connections to a host, so the rest would wait
// in its queue with their transfer timeout already running (and fail on a
// slow but working site), while the main window's reads of other sites on
// that host would wait behind them. At most kGalleryReadsAtOnce run; the next
// leaves as one ends, so two connections stay for the main window.

#include "core/thumbs/CutPictures.h"
#include "gallery/GalleryAnswers.h"
#include "gallery/GalleryPlan.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <chrono>
#include <memory>

namespace tavimo {

struct AppState;
class SlotFetcher;
class ThumbGrid;

// The gallery's reads that run at once; the network layer opens six
// connections to a host.
inline constexpr int kGalleryReadsAtOnce = 4;

class GalleryFetch : public QObject {
    Q_OBJECT

public:
    // Without a download context in `state` nothing is fetched.
    GalleryFetch(AppState &state, ThumbGrid &grid, QObject *parent = nullptr);
    ~GalleryFetch() override;

    // A new pass for `site` under `ownerNumber`: the reads still running are
    // dropped, the gallery folder emptied, the cells emptied and labelled
    // "image1" to "image30", then the 30 pictures are asked for in order,
    // kGalleryReadsAtOnce at a time.
    void start(int ownerNumber, const GallerySite &site);
    // Labels the cells for the pass: "image1" to "image30", and the loading
    // text and an empty progress bar while a cell waits. A window that makes
    // its cells after start() (to have the requests on their way sooner)
    // calls it then.
    void labelCells();
    // Drops every running read, and every one still waiting, without a signal.
    void cancel();
    // Cells whose read waits for one of the running ones to end.
    int waitingReads() const { return int(waiting_.size()); }
    bool passRunning() const { return running_; }

    // Waits until every cell file handed to the writer is on disk; whatever
    // reads cell files calls it first.
    void flush();
    // The file of a cell: images/last15/<cell> under DataFolder.
    QString cellFile(int cell) const;

    // How long a cell whose picture arrived cut or empty waits before it asks
    // again: the site is most likely still writing it. The same bytes twice
    // are shown as they are (two empty answers as the placeholder), and so is
    // the last answer of a site that never stops changing.
    void setCutRetryDelay(std::chrono::milliseconds delay) { cuts_.setRetryDelay(delay); }

    // Null without a download context.
    SlotFetcher *fetcher() const { return fetcher_.get(); }

signals:
    // A cell shows a new picture from `file`.
    void cellShown(int cell, const QString &file);
    // Every cell of the pass has its answer (or no request was made).
    void passEnded();

private:
    void pictureReady(const SlotTarget &target, const QByteArray &bytes);
    void pictureFailed(const SlotTarget &target);
    void pictureNotStored(const QString &file, quint64 write);
    // The retry delay after a cut or empty answer has passed: the cell, still
    // waiting, asks for its picture again.
    void askAgain(int cell);
    // False when the placeholder shows instead.
    bool ShowSlotPicture(const QString &file, int cell, const QByteArray &picture);
    void ShowNotFound(int cell, bool pictureRead);
    // The placeholder of a picture that came but could not be kept on disk.
    void ShowNotStored(int cell);
    void endPassWhenComplete();
    void endPass();
    // Sends waiting reads while fewer than kGalleryReadsAtOnce run.
    void sendWaitingReads();
    void readEnded(int cell);

    // A read that has not left yet.
    struct WaitingRead {
        int cell = 0;
        QString url;
    };

    AppState &state_;
    ThumbGrid &grid_;
    GalleryKeyOwner keys_;
    std::unique_ptr<SlotFetcher> fetcher_;
    bool running_ = false;
    QHash<int, quint64> shownWrites_; // cell -> the write of the picture it shows
    GallerySite site_;                // the site of the pass
    QList<WaitingRead> waiting_;      // in the order they go out
    QSet<int> reading_;               // cells whose read runs
    // The gallery is looked at once, not watched pass after pass: a cell asks
    // a few times more, then shows what it has.
    CutPictures cuts_{kGalleryCutRule};
};

} // namespace tavimo
