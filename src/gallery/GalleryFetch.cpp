#include "gallery/GalleryFetch.h"

#include "core/app/AppState.h"
#include "core/thumbs/NotFoundCanvas.h"
#include "core/thumbs/PictureTrailer.h"
#include "core/thumbs/SlotFetcher.h"
#include "core/thumbs/SlotPictures.h"
#include "gallery/Logging.h"
#include "platform/PictureTransfer.h"
#include "ui/AnimatedPicture.h"
#include "ui/ThumbCell.h"
#include "ui/ThumbGrid.h"

namespace tavimo {

namespace {

const QString kGalleryFolder = QStringLiteral("images/last15");

} // namespace

GalleryFetch::GalleryFetch(AppState &state, ThumbGrid &grid, QObject *parent)
    : QObject(parent), state_(state), grid_(grid) {
    // A picture that reads but does not decode: the placeholder, once.
    connect(&grid_, &ThumbGrid::pictureNotDecoded, this, [this](int cell) {
        shownWrites_.remove(cell);
        ShowNotFound(cell, true);
    });
    if (!state_.downloads)
        return;
    connect(&cuts_, &CutPictures::askAgain, this,
            [this](const SlotTarget &target) { askAgain(target.slot); });
    fetcher_ = std::make_unique<SlotFetcher>(*state_.downloads, keys_);
    SlotFetcher *f = fetcher_.get();
    connect(f, &SlotFetcher::pictureRequested, &grid_, &ThumbGrid::startProgress);
    connect(f, &SlotFetcher::pictureProgress, &grid_, &ThumbGrid::showProgress);
    connect(f, &SlotFetcher::slotFinished, &grid_, &ThumbGrid::hideProgress);
    // Every outcome of a read (picture, failure, dropped answer) finishes its cell.
    connect(f, &SlotFetcher::slotFinished, this, &GalleryFetch::readEnded);
    connect(f, &SlotFetcher::pictureReady, this, &GalleryFetch::pictureReady);
    connect(f, &SlotFetcher::pictureFailed, this, &GalleryFetch::pictureFailed);
    connect(f, &SlotFetcher::passEnded, this, &GalleryFetch::endPass);
    connect(f, &SlotFetcher::pictureNotStored, this, &GalleryFetch::pictureNotStored);
}

GalleryFetch::~GalleryFetch() = default;

QString GalleryFetch::cellFile(int cell) const {
    return PicturePath(PictureRef::galleryCell(cell), state_.paths);
}

void GalleryFetch::cancel() {
    waiting_.clear();
    reading_.clear();
    // No cell of this pass asks again.
    cuts_.clear();
    if (fetcher_)
        fetcher_->cancelAll();
}

void GalleryFetch::flush() {
    if (fetcher_)
        fetcher_->flush();
}

void GalleryFetch::start(int ownerNumber, const GallerySite &site) {
    cancel();
    // Every pass starts on an empty folder: no file of an earlier site may be
    // taken for this one's, whichever cells answer. The writer empties it
    // before it writes this pass's files.
    const QString folder = state_.paths.data(kGalleryFolder);
    if (fetcher_)
        fetcher_->clearFolderLater(folder);
    else
        removeNumberedPictures(folder);
    keys_.setOwnerNumber(ownerNumber);
    shownWrites_.clear();
    site_ = site;
    grid_.ArrangeThumbnailGrid();
    for (int cell = 0; cell < kGalleryCells; ++cell)
        clearGalleryColumns(cell, state_.page.SlotTable);

    running_ = true;
    if (!fetcher_ || !site.base) {
        qCDebug(lcGallery) << "nothing to fetch for site" << site.index;
        labelCells();
        endPass();
        return;
    }
    QList<int> cells;
    for (int cell = 0; cell < kGalleryCells; ++cell)
        cells.append(cell);
    fetcher_->startPass(cells);
    for (int k = 1; k <= kGalleryCells; ++k)
        waiting_.append({k - 1, galleryPictureUrl(*site.base, k)});
    sendWaitingReads();
    labelCells();
}

void GalleryFetch::sendWaitingReads() {
    while (fetcher_ && reading_.size() < kGalleryReadsAtOnce && !waiting_.isEmpty()) {
        const WaitingRead read = waiting_.takeFirst();
        reading_.insert(read.cell);
        fetcher_->requestPicture(read.cell, site_.index, read.url, site_.callsign);
    }
}

void GalleryFetch::readEnded(int cell) {
    // Outcomes arrive from the event loop, never inside a request: the next
    // read may leave at once.
    if (reading_.remove(cell))
        sendWaitingReads();
}

void GalleryFetch::labelCells() {
    for (int cell = 0; cell < kGalleryCells; ++cell) {
        ThumbCell *c = grid_.cell(cell);
        if (!c)
            continue;
        c->lblCall->setText(QStringLiteral("image") + QString::number(cell + 1));
        if (running_ && fetcher_ && fetcher_->pass().isPending(cell)) {
            c->lblFrom->setText(state_.texts.LngLoading);
            grid_.startProgress(cell);
        }
    }
}

void GalleryFetch::endPass() {
    if (!running_)
        return;
    running_ = false;
    emit passEnded();
}

// ---- Answers ------------------------------------------------------------------------

void GalleryFetch::pictureReady(const SlotTarget &target, const QByteArray &bytes) {
    const int cell = target.slot;
    ThumbCell *c = grid_.cell(cell);
    if (!c)
        return;
    const SplitPicture split = splitPictureTrailer(bytes);
    const CutVerdict cut = cuts_.take(cell, split.picture).verdict;
    if (!isShown(cut)) {
        // The cell keeps waiting, and asks for its picture again.
        qCDebug(lcGallery) << "the picture of cell" << cell << "arrived cut or empty; asked again";
        fetcher_->reopenSlot(cell);
        cuts_.askSoon(target, std::nullopt, std::nullopt);
        return;
    }
    // An empty one is logged as no picture where it fails to show.
    if (cut == CutVerdict::ShowCut && !isPictureEmpty(split.picture))
        qCInfo(lcGallery) << "the picture of cell" << cell << "arrived cut; shown as it is";
    AppState &s = state_;
    const GalleryAnswer answer =
        takeGalleryAnswer(split, cell, s.page.SlotTable, s.texts, s.ZeroChar, s.dateOrder);
    c->lblFrom->setText(answer.lblFrom);
    // A blocked sender's picture is tested before anything shows it, and it
    // is not kept: nothing can open, save or paste it.
    if (isBlockedSender(answer.sender, s.lstBlock)) {
        grid_.showPlaceholder(cell, galleryBlockedLines(answer.sender));
        endPassWhenComplete();
        return;
    }
    const QString file = cellFile(cell);
    const quint64 write = fetcher_->writeLater(file, answer.picture);
    if (ShowSlotPicture(file, cell, answer.picture))
        shownWrites_.insert(cell, write);
    endPassWhenComplete();
}

void GalleryFetch::askAgain(int cell) {
    // A new pass or the window's close gave the ask up; this is a last guard.
    if (!running_ || !fetcher_ || !fetcher_->pass().isPending(cell) || !site_.base)
        return;
    // Through the queue like every read, so the page keeps its connections.
    waiting_.prepend({cell, galleryPictureUrl(*site_.base, cell + 1)});
    sendWaitingReads();
}

void GalleryFetch::pictureNotStored(const QString &file, quint64 write) {
    // A cell whose picture has no file behind it shows the placeholder: the
    // viewer, save and paste would find nothing.
    for (auto it = shownWrites_.cbegin(); it != shownWrites_.cend(); ++it) {
        if (it.value() == write && file == cellFile(it.key())) {
            const int cell = it.key();
            shownWrites_.erase(it);
            ShowNotStored(cell);
            return;
        }
    }
}

void GalleryFetch::pictureFailed(const SlotTarget &target) {
    clearGalleryColumns(target.slot, state_.page.SlotTable);
    state_.page.SlotTable.setValue(target.slot, stGalFailure, fetcher_->failureReason());
    ShowNotFound(target.slot, false);
    endPassWhenComplete();
}

void GalleryFetch::endPassWhenComplete() {
    // The pass is over once every cell shows its answer; the files may still
    // be on their way to the disk (whatever reads them waits for them).
    if (fetcher_->pass().isComplete())
        endPass();
}

bool GalleryFetch::ShowSlotPicture(const QString &file, int cell, const QByteArray &picture) {
    ThumbCell *c = grid_.cell(cell);
    if (!c)
        return false;
    if (!grid_.showPicture(cell, picture, file)) {
        ShowNotFound(cell, true);
        return false;
    }
    const QString &loading = state_.texts.LngLoading;
    if (!loading.isEmpty() && c->lblFrom->text().contains(loading))
        c->lblFrom->setText(QString());
    emit cellShown(cell, file);
    return true;
}

void GalleryFetch::ShowNotFound(int cell, bool pictureRead) {
    ThumbCell *c = grid_.cell(cell);
    if (!c)
        return;
    c->lblFrom->setText(QString());
    state_.page.SlotTable.setValue(cell, stGalFrom, QStringLiteral("Not found"));
    grid_.showPlaceholder(cell, galleryNotFoundLines(state_.texts, cell, pictureRead));
}

void GalleryFetch::ShowNotStored(int cell) {
    if (!grid_.cell(cell))
        return;
    // The sender line stays: the picture did come from there.
    state_.page.SlotTable.setValue(cell, stGalFrom, QStringLiteral("Not found"));
    grid_.showPlaceholder(cell,
                          galleryNotFoundLines(state_.texts, cell, MissingPicture::NotStored));
}

} // namespace tavimo
