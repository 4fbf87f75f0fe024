#pragma once

// The road of the gallery's pictures: one pass asks for the 30 pictures of a
// site under the gallery's keys, and each answer lands in its cell: stored
// without its trailer as the cell's file, shown still or animated with its
// sender line, or replaced by a placeholder ("not found", "failed", or
// "Blocked" for a blocked sender, whose picture is neither stored nor shown).
// Every cell counts once; the pass ends when all 30 have, and at once when
// nothing could be asked for.

#include "gallery/GalleryAnswers.h"
#include "gallery/GalleryPlan.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>

namespace tavimo {

struct AppState;
class SlotFetcher;
class ThumbGrid;

class GalleryFetch : public QObject {
    Q_OBJECT

public:
    // Without a download context in `state` nothing is fetched.
    GalleryFetch(AppState &state, ThumbGrid &grid, QObject *parent = nullptr);
    ~GalleryFetch() override;

    // A new pass for `site` under `ownerNumber`: the reads still running are
    // dropped, the gallery folder emptied, the cells emptied and labelled
    // "image1" to "image30", then the 30 pictures are asked for in order.
    void start(int ownerNumber, const GallerySite &site);
    // Labels the cells for the pass: "image1" to "image30", and the loading
    // text and an empty progress bar while a cell waits. A window that makes
    // its cells after start() (to have the requests on their way sooner)
    // calls it then.
    void labelCells();
    // Drops every running read without a signal.
    void cancel();
    bool passRunning() const { return running_; }

    // Waits until every cell file handed to the writer is on disk; whatever
    // reads cell files calls it first.
    void flush();
    // The file of a cell: images/last15/<cell> under DataFolder.
    QString cellFile(int cell) const;

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
    // False when the placeholder shows instead.
    bool ShowSlotPicture(const QString &file, int cell, const QByteArray &picture);
    void ShowNotFound(int cell, bool pictureRead);
    // The placeholder of a picture that came but could not be kept on disk.
    void ShowNotStored(int cell);
    void endPassWhenComplete();
    void endPass();

    AppState &state_;
    ThumbGrid &grid_;
    GalleryKeyOwner keys_;
    std::unique_ptr<SlotFetcher> fetcher_;
    bool running_ = false;
    QHash<int, quint64> shownWrites_; // cell -> the write of the picture it shows
};

} // namespace tavimo
