#include "gallery/GalleryAnswers.h"

#include "gallery/GalleryPlan.h"

namespace tavimo {

AnswerFit GalleryKeyOwner::fitCheck(const CheckKey &, const std::optional<SlotRequest> &) const {
    return {};
}

AnswerFit GalleryKeyOwner::fitPicture(const PictureKey &key,
                                      const std::optional<SlotRequest> &request) const {
    if (key.page != owner_ || key.slot < 0 || key.slot >= kGalleryCells || !request ||
        request->owner != owner_)
        return {};
    return AnswerFit{key.slot, SlotTarget{key.slot, key.site.value_or(-1)}};
}

GalleryAnswer takeGalleryAnswer(const SplitPicture &split, int cell, SlotTable &table,
                                const LanguageTexts &texts, const QString &zeroChar,
                                const DateOrder &order) {
    table.setValue(cell, stGalFrom, QString());
    table.setValue(cell, stGalInfo, QStringLiteral("Old"));
    table.setValue(cell, stGalTime, QString());
    table.setValue(cell, stGalFailure, QString());

    GalleryAnswer answer{split.picture, QString(), QString()};
    if (!split.hasTrailer)
        return answer;
    TrailerFields fields = parseTrailerText(split.text);
    if (fields.fieldCount == 0)
        return answer;
    answer.sender = fields.sender;
    table.setValue(cell, stGalFrom, fields.sender);
    if (fields.fieldCount >= 2)
        table.setValue(cell, stGalInfo, fields.status);
    if (fields.fieldCount >= 3)
        table.setValue(cell, stGalTime, NormalizeDate(fields.date, order));
    answer.lblFrom = senderCaption(fields, TrailerReader::Gallery, texts.LngFromPrefix, zeroChar);
    return answer;
}

void clearGalleryColumns(int cell, SlotTable &table) {
    for (const int column : {stGalFrom, stGalInfo, stGalTime, stGalFailure})
        table.setValue(cell, column, QString());
}

bool isBlockedSender(const QString &sender, const QStringList &lstBlock) {
    if (sender.isEmpty())
        return false;
    for (const QString &fragment : lstBlock) {
        if (!fragment.isEmpty() && sender.contains(fragment, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

PlaceholderLines galleryBlockedLines(const QString &sender) {
    return PlaceholderLines{QStringLiteral("Blocked"), QStringLiteral("from"), sender};
}

} // namespace tavimo
