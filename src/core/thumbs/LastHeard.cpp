#include "core/thumbs/LastHeard.h"

#include "core/base/Numbers.h"
#include "core/base/TextCodec.h"
#include "core/sites/SlotMap.h"
#include "core/thumbs/PagePlan.h"

#include <QRegularExpression>

#include <algorithm>

namespace tavimo {

namespace {

const QString kPictureName = QStringLiteral("image1");

QString closeHintOr(const QString &closeHint) {
    return closeHint.isEmpty() ? QStringLiteral("Click to close") : closeHint;
}

// The least move along one axis that brings [start, start + length) inside
// [low, low + room); a length larger than the room keeps the start at low.
int fitInto(int start, int length, int low, int room) {
    return std::max(low, std::min(start, low + room - length));
}

} // namespace

QString lastHeardAddress(const QString &PictureUrl) {
    QString address = requestUrl(PictureUrl);
    if (!address.contains(kPictureName, Qt::CaseSensitive))
        return {};
    return address.replace(kPictureName, QStringLiteral("list"), Qt::CaseSensitive);
}

QString lastHeardAddress(const SiteList &sites, int thumbSetting, int page, int slot, bool wxPage) {
    if (wxPage || thumbSetting < 0 || thumbSetting > 4 || slot < 0)
        return {};
    for (const SiteRecord &site : sites) {
        if (sstvSlotOnPage(site.SlotMap[std::size_t(thumbSetting)], page) == slot)
            return lastHeardAddress(site.PictureUrl);
    }
    return {};
}

QString lastHeardSizingText(const QString &closeHint) {
    QString text;
    for (int i = 0; i < kLastHeardSampleLines; ++i)
        text += kLastHeardSample + u'\n';
    return text + closeHintOr(closeHint);
}

QString lastHeardText(const QByteArray &reply, const QString &closeHint) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QString list = decodeCp1252(reply.left(kLastHeardCapBytes));
    list.replace(lineEnd, QStringLiteral("\n   "));
    return QStringLiteral("  ") + list + closeHintOr(closeHint) + QStringLiteral("   ");
}

QPoint placeOverSlot(const QRect &slotFrame, const QSize &window, const QRect &screen) {
    QPoint topLeft(screen.left() + (screen.width() - window.width()) / 2,
                   screen.top() + (screen.height() - window.height()) / 2);
    if (!slotFrame.isEmpty()) {
        const double centre = slotFrame.left() + slotFrame.width() / 2.0;
        topLeft = QPoint(int(roundHalfEven(centre - window.width() / 2.0)), slotFrame.top());
    }
    return {fitInto(topLeft.x(), window.width(), screen.left(), screen.width()),
            fitInto(topLeft.y(), window.height(), screen.top(), screen.height())};
}

} // namespace tavimo
