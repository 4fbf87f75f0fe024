#include "core/net/TimePage.h"

#include "core/base/Logging.h"
#include "core/base/TextCodec.h"

#include <QStringView>
#include <QTime>

namespace tavimo {
namespace {

constexpr QStringView timeMarker = u"BR";
// From the start of the marker to the first digit of the time.
constexpr qsizetype timeOffset = 12;
constexpr qsizetype timeLength = 8;

bool isTwoDigits(QStringView text) {
    return text.size() == 2 && text[0] >= u'0' && text[0] <= u'9' && text[1] >= u'0' &&
           text[1] <= u'9';
}

} // namespace

std::optional<QString> timePageUtcTime(const QByteArray &page) {
    const QString text = decodeCp1252(page);
    const qsizetype marker = text.indexOf(timeMarker);
    if (marker < 0) {
        qCInfo(lcCore) << "Time page without its marker: clock left alone";
        return std::nullopt;
    }
    const QString time = text.mid(marker + timeOffset, timeLength);
    const QStringView view(time);
    const bool shaped = time.size() == timeLength && view[2] == u':' && view[5] == u':' &&
                        isTwoDigits(view.sliced(0, 2)) && isTwoDigits(view.sliced(3, 2)) &&
                        isTwoDigits(view.sliced(6, 2));
    if (!shaped || !QTime::fromString(time, QStringLiteral("HH:mm:ss")).isValid()) {
        qCInfo(lcCore) << "Time page gives no valid time:" << time << "- clock left alone";
        return std::nullopt;
    }
    return time;
}

} // namespace tavimo
