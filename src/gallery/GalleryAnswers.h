#pragma once

// What an answer to a gallery request does to its cell, without a window.
//
// The gallery's requests are keyed owner x 100 + cell, "-" and the site
// (GalleryKeyOwner); an answer of another owner, or of an earlier pass, is
// none of the gallery's business. An answer that belongs is split once, its
// picture judged (CutPictures), and taken apart:
//
//     const SplitPicture split = splitPictureTrailer(bytes);
//     const GalleryAnswer answer = takeGalleryAnswer(split, cell, table, texts, zeroChar, order);
//     if (isBlockedSender(answer.sender, state.lstBlock))
//         grid.showPlaceholder(cell, galleryBlockedLines(answer.sender)); // nothing stored
//     else
//         store answer.picture as the cell's file, show it, label it answer.lblFrom
//
// and a failure empties the cell's columns (clearGalleryColumns) before the
// placeholder is drawn.

#include "core/sites/SlotTable.h"
#include "core/text/DateOrder.h"
#include "core/text/Language.h"
#include "core/thumbs/NotFoundCanvas.h"
#include "core/thumbs/PictureTrailer.h"
#include "core/thumbs/SlotFetcher.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tavimo {

// Whose answers a gallery takes: those keyed with its owner number, for one of
// its 30 cells, that answer a request it made with that number. The gallery
// makes no check-picture requests.
class GalleryKeyOwner final : public KeyOwner {
public:
    void setOwnerNumber(int owner) { owner_ = owner; }

    int ownerNumber() const override { return owner_; }
    AnswerFit fitCheck(const CheckKey &key,
                       const std::optional<SlotRequest> &request) const override;
    AnswerFit fitPicture(const PictureKey &key,
                         const std::optional<SlotRequest> &request) const override;

private:
    int owner_ = 1;
};

struct GalleryAnswer {
    QByteArray picture; // the picture's own bytes, trailer cut off
    QString sender;     // `stGalFrom`: the trailer's sender ("0" digits), or ""
    QString lblFrom;    // the sender line under the cell, or ""
};

// Takes a picture answer for `cell`, split from its trailer: its columns start
// as "", "Old", "" (for `stGalFrom`, `stGalInfo`, `stGalTime`); a trailer
// with a ":" gives the sender and the sender line, a second field the status,
// a third the date in the system's order. Only the gallery's columns change.
GalleryAnswer takeGalleryAnswer(const SplitPicture &split, int cell, SlotTable &table,
                                const LanguageTexts &texts, const QString &zeroChar,
                                const DateOrder &order);

// The cell's columns after a failed download: all empty.
void clearGalleryColumns(int cell, SlotTable &table);

// Whether a sender is blocked: it contains one of the fragments, letter case
// ignored. An empty sender and empty fragments never match.
bool isBlockedSender(const QString &sender, const QStringList &lstBlock);

// The placeholder over a blocked sender's picture: "Blocked", "from", sender.
PlaceholderLines galleryBlockedLines(const QString &sender);

} // namespace tavimo
