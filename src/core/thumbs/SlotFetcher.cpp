#include "core/thumbs/SlotFetcher.h"

#include "core/base/Logging.h"
#include "core/net/DownloadControl.h"
#include "core/thumbs/SlotPictures.h"

#include <QDir>
#include <QFile>

namespace tavimo {

SlotFetcher::SlotFetcher(DownloadContext &context, const KeyOwner &owner, QObject *parent)
    : QObject(parent), context_(context), owner_(owner) {
    ucDnLoad = new DownloadControl(context, DownloadControl::Flavour::Bytes, this);
    ucCkNew = new DownloadControl(context, DownloadControl::Flavour::Picture, this);
    ucDnLoad->setObjectName(QStringLiteral("ucDnLoad"));
    ucCkNew->setObjectName(QStringLiteral("ucCkNew"));
    // A check picture is judged by its size alone.
    ucCkNew->setPictureSizeOnly(true);
    connect(ucCkNew, &DownloadControl::ready, this,
            [this](const QString &key) { ucCkNew_PictureReady(key); });
    connect(ucCkNew, &DownloadControl::failed, this, &SlotFetcher::ucCkNew_NoCkNew);
    connect(ucDnLoad, &DownloadControl::ready, this, &SlotFetcher::ucDnLoad_PictureReady);
    connect(ucDnLoad, &DownloadControl::failed, this, &SlotFetcher::ucDnLoad_NoImage);
    connect(ucDnLoad, &DownloadControl::progress, this, &SlotFetcher::ucDnLoad_Progress);
    // One thread keeps the writes of a slot's file in the order they came.
    writer_.setMaxThreadCount(1);
}

SlotFetcher::~SlotFetcher() {
    cancelAll();
    writer_.waitForDone();
}

// ---- Requests ------------------------------------------------------------------------

void SlotFetcher::requestCheckPicture(int slot, const QString &url, const QString &call) {
    const QString key = checkKey(slot);
    Asked request{{owner_.ownerNumber(), call}, url, {}};
    if (stillRunning(*ucCkNew, checkRequests_, key, request)) {
        qCDebug(lcCore) << "check picture" << key << "keeps its running read";
        return;
    }
    request.running.start();
    checkRequests_.insert(key, request);
    ucCkNew->DownloadPicture(url, key);
}

void SlotFetcher::requestPicture(int slot, int site, const QString &url, const QString &call) {
    const int owner = owner_.ownerNumber();
    const QString key = site >= 0 ? pictureKey(owner, slot, site) : pictureKey(owner, slot);
    Asked request{{owner, call}, url, {}};
    if (stillRunning(*ucDnLoad, pictureRequests_, key, request)) {
        qCDebug(lcCore) << "picture" << key << "keeps its running read";
        return;
    }
    request.running.start();
    pictureRequests_.insert(key, request);
    emit pictureRequested(slot);
    ucDnLoad->DownloadFile(url, key);
}

bool SlotFetcher::stillRunning(const DownloadControl &control, const QHash<QString, Asked> &asked,
                               const QString &key, const Asked &again) const {
    const auto it = asked.constFind(key);
    if (it == asked.cend() || it->request.owner != again.request.owner ||
        it->request.call != again.request.call || it->url != again.url || !control.isPending(key))
        return false;
    const qint64 deadline = context_.readDeadline().count();
    return deadline <= 0 || it->running.elapsed() < deadline - deadline / kDeadlineMarginDivisor;
}

void SlotFetcher::cancelAll() {
    ucDnLoad->cancelAll();
    ucCkNew->cancelAll();
    checkRequests_.clear();
    pictureRequests_.clear();
}

int SlotFetcher::pendingCount() const {
    return ucDnLoad->pendingCount() + ucCkNew->pendingCount();
}

QString SlotFetcher::failureReason() const {
    return ucDnLoad->failureReason();
}

void SlotFetcher::rejectPicture(const QString &reason) {
    ucDnLoad->rejectAnswer(reason);
}

// ---- Whether an answer still belongs ----------------------------------------------------

std::optional<SlotTarget> SlotFetcher::checkTarget(const QString &key) {
    const std::optional<SlotRequest> request = checkRequests_.contains(key)
                                                   ? std::optional(checkRequests_.take(key).request)
                                                   : std::nullopt;
    const std::optional<CheckKey> parsed = parseCheckKey(key);
    const AnswerFit fit = parsed ? owner_.fitCheck(*parsed, request) : AnswerFit{};
    if (fit.slot && !fit.target)
        dropAnswer(*fit.slot);
    return fit.slot ? fit.target : std::nullopt;
}

std::optional<SlotTarget> SlotFetcher::pictureTarget(const QString &key, bool outcome) {
    std::optional<SlotRequest> request;
    if (const auto it = pictureRequests_.constFind(key); it != pictureRequests_.cend()) {
        request = it->request;
        if (outcome)
            pictureRequests_.erase(it);
    }
    const std::optional<PictureKey> parsed = parsePictureKey(key);
    const AnswerFit fit = parsed ? owner_.fitPicture(*parsed, request) : AnswerFit{};
    if (outcome && fit.slot && !fit.target)
        dropAnswer(*fit.slot);
    return fit.slot ? fit.target : std::nullopt;
}

void SlotFetcher::dropAnswer(int slot) {
    finishSlot(slot);
    emit answerDropped(slot);
    applyEndOfPassRule();
}

// ---- Answers ---------------------------------------------------------------------------

void SlotFetcher::ucCkNew_PictureReady(const QString &Ky) {
    const std::optional<SlotTarget> target = checkTarget(Ky);
    if (!target)
        return;
    emit checkPictureReady(*target, ucCkNew->PictureSize());
    applyEndOfPassRule();
}

void SlotFetcher::ucCkNew_NoCkNew(const QString &id) {
    if (const std::optional<SlotTarget> target = checkTarget(id))
        emit checkPictureMissing(*target);
}

void SlotFetcher::ucDnLoad_PictureReady(const QString &id, const QByteArray &bytes) {
    const std::optional<SlotTarget> target = pictureTarget(id, true);
    if (!target)
        return;
    finishSlot(target->slot);
    emit pictureReady(*target, bytes);
    applyEndOfPassRule();
}

void SlotFetcher::ucDnLoad_NoImage(const QString &id) {
    const std::optional<SlotTarget> target = pictureTarget(id, true);
    if (!target)
        return;
    finishSlot(target->slot);
    emit pictureFailed(*target);
    applyEndOfPassRule();
}

void SlotFetcher::ucDnLoad_Progress(const QString &id, qint64 BytesMax, qint64 BytesDone) {
    if (const std::optional<SlotTarget> target = pictureTarget(id, false))
        emit pictureProgress(target->slot, BytesMax, BytesDone);
}

// ---- The pass --------------------------------------------------------------------------

void SlotFetcher::startPass(const QList<int> &slotList) {
    pass_.start(slotList);
    passEndApplied_ = slotList.isEmpty();
    emit passCounted(pass_.ExpectedCount(), pass_.FinishedCount());
}

void SlotFetcher::finishSlot(int slot) {
    pass_.finish(slot);
    emit passCounted(pass_.ExpectedCount(), pass_.FinishedCount());
    emit slotFinished(slot);
}

void SlotFetcher::reopenSlot(int slot) {
    if (!pass_.isPending(slot) && !passEndApplied_) {
        pass_.reopen(slot);
        emit passCounted(pass_.ExpectedCount(), pass_.FinishedCount());
    }
}

void SlotFetcher::applyEndOfPassRule() {
    if (passEndApplied_ || !pass_.isComplete())
        return;
    passEndApplied_ = true;
    // A finished pass leaves every slot's file in place.
    flush();
    emit passEnded();
}

// ---- Slot files ------------------------------------------------------------------------

quint64 SlotFetcher::writeLater(const QString &file, const QByteArray &picture) {
    const quint64 write = ++lastWrite_;
    writer_.start([this, file, picture, write] {
        const WriteResult written = replaceCachedPicture(file, picture);
        if (!written.ok) {
            // No older picture may stand in for this one under its captions.
            qCWarning(lcCore) << "slot picture not stored:" << written.error;
            QFile::remove(file);
            // Told on the fetcher's own thread; dropped if the fetcher is gone.
            QMetaObject::invokeMethod(
                this, [this, file, write] { emit pictureNotStored(file, write); },
                Qt::QueuedConnection);
        }
    });
    return write;
}

void SlotFetcher::clearFolderLater(const QString &folder) {
    writer_.start([folder] { removeNumberedPictures(folder); });
}

void SlotFetcher::flush() {
    writer_.waitForDone();
}

} // namespace tavimo
