#include "gallery/GalleryHover.h"

namespace tavimo {

namespace {

const QString kNotFound = QStringLiteral("Not found");
constexpr int kCtrlAlone = 2;
constexpr int kLeftButton = 1;

} // namespace

QString galleryCaptionTip(const QString &lblCall, const QString &lblFrom) {
    return QStringLiteral("  ") + lblCall + QStringLiteral("  \n  ") + lblFrom +
           QStringLiteral("  ");
}

QString galleryStatusTip(const QString &info, const QString &time) {
    QString text = QStringLiteral(" ") + info + QStringLiteral("  \n ") + time;
    if (!time.isEmpty())
        text += QStringLiteral(" UTC ");
    text.remove(QStringLiteral("Old"), Qt::CaseSensitive);
    text.remove(QStringLiteral("Animated"), Qt::CaseSensitive);
    return text;
}

GalleryTip GalleryHover::mouseMove(int index, int shift, const SlotTable &table,
                                   const QString &lblCall, const QString &lblFrom) {
    HoverIndex = index;
    const bool notFound = table.value(index, stGalFrom) == kNotFound;
    const QString failure = notFound ? table.value(index, stGalFailure) : QString();
    if ((table.value(index, stGalTime).isEmpty() && failure.isEmpty()) || index == LastTipSlot)
        return GalleryTip::Nothing;
    LastTipSlot = index;
    TipText.clear();
    if (shift == kCtrlAlone) {
        TipText = galleryCaptionTip(lblCall, lblFrom);
        return GalleryTip::Caption;
    }
    if (notFound && failure.isEmpty())
        return GalleryTip::Nothing;
    if (!table.value(index, stGalTime).isEmpty())
        TipText = galleryStatusTip(table.value(index, stGalInfo), table.value(index, stGalTime));
    // A cell whose picture could not be read says why.
    if (!failure.isEmpty())
        TipText += (TipText.isEmpty() ? QStringLiteral(" ") : QStringLiteral("\n ")) + failure +
                   QStringLiteral(" ");
    return GalleryTip::Delayed;
}

void GalleryHover::leave() {
    HoverIndex = -1;
    LastTipSlot = -1;
}

std::optional<int> GalleryHover::tipCell() const {
    if (HoverIndex < 0)
        return std::nullopt;
    return HoverIndex;
}

GalleryClick galleryClick(int button, const GalleryCellState &cell) {
    if (cell.from == kNotFound || !cell.fileReady)
        return GalleryClick::Nothing;
    if (button != kLeftButton)
        return GalleryClick::PopUp;
    if (!cell.readable || cell.lblCall.isEmpty() || cell.progressVisible)
        return GalleryClick::Nothing;
    return GalleryClick::OpenViewer;
}

} // namespace tavimo
