#include "gallery/GalleryPlan.h"

#include "core/base/Numbers.h"
#include "core/thumbs/DownloadKeys.h"
#include "core/thumbs/PagePlan.h"

#include <cmath>

namespace tavimo {

namespace {

// What is cut off a picture address to reach the pictures' base: "1.jpg".
constexpr int kCutCharacters = 5;

// The title bar's font takes about this many twips a character.
constexpr double kTwipsPerCharacter = 61.2244;

} // namespace

std::optional<QString> galleryBase(const QString &pictureUrl) {
    const QString url = requestUrl(pictureUrl);
    if (url.size() < kCutCharacters)
        return std::nullopt;
    return url.left(url.size() - kCutCharacters);
}

QString galleryPictureUrl(const QString &base, int k) {
    return base + QString::number(k) + QStringLiteral(".jpg");
}

GallerySite resolveGallerySite(const GalleryRequest &request, const PageState &page,
                               const SiteList &sites, const WxSiteList &wxSites) {
    std::optional<int> index;
    const SiteList *list = &sites;
    if (request.mode == GalleryRequest::Mode::PageSlot) {
        if (!page.isWxPage() && SlotTable::isRow(request.index))
            index = siteInSlot(request.index, page.SlotTable, sites);
    } else {
        list = request.list == SiteListKind::Wx ? &wxSites : &sites;
        if (request.index >= 0 && request.index < list->size())
            index = request.index;
    }
    if (!index)
        return {};
    const SiteRecord &record = (*list)[*index];
    return GallerySite{*index, record.Callsign, galleryBase(record.PictureUrl)};
}

int galleryOwnerNumber(const GalleryRequest &request) {
    return request.mode == GalleryRequest::Mode::PageSlot ? request.index : 1;
}

QString galleryCaption(bool slotMode, const QString &callsign) {
    QString caption = QStringLiteral("Images ** on ?\?'s site");
    caption.replace(QStringLiteral("**"), QStringLiteral("1-30"));
    if (slotMode)
        caption += QStringLiteral("  --- Use Scroll Wheel ---");
    caption.replace(QStringLiteral("??"), callsign);
    return caption;
}

QString slotMenuCaption(const QString &lblCall, const LanguageTexts &texts) {
    QString caption = lblCall;
    if (!texts.LngNewPicPrefix.isEmpty() && !caption.contains(texts.LngNewPicPrefix) &&
        !texts.LngCallSep.isEmpty())
        caption.replace(texts.LngCallSep, QStringLiteral("  - "));
    return caption.replace(u'&', QStringLiteral("&&"));
}

QString CenterCaption(const QString &caption, int windowWidthTwips) {
    qsizetype first = 0;
    qsizetype last = caption.size();
    while (first < last && caption[first] == u' ')
        ++first;
    while (last > first && caption[last - 1] == u' ')
        --last;
    const QString text = caption.mid(first, last - first);

    const bool exclamation = text.contains(u'!');
    const bool blank = text.contains(u' ');
    const double perCharacter = exclamation && blank ? 1.5 : (exclamation || blank ? 1.4 : 1.3);
    const double estimate = roundHalfEven(double(text.size()) * perCharacter);
    const double room = roundHalfEven(windowWidthTwips / kTwipsPerCharacter);
    const double diff = room - estimate;
    if (diff <= 1)
        return text;
    return QString(qsizetype(std::floor(diff / 2)), u' ') + text;
}

} // namespace tavimo
