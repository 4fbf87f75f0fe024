#include "core/thumbs/PictureAge.h"

#include "core/base/Numbers.h"

#include <QStringList>

namespace tavimo {

namespace {} // namespace

std::optional<QDate> readPictureDate(const QString &monthFirstDate) {
    QString date = monthFirstDate.trimmed();
    date = date.left(date.indexOf(u' ')); // the whole text when there is no blank
    date.replace(u'-', u'/').replace(u'.', u'/');
    const QStringList parts = date.split(u'/');
    if (parts.size() != 3)
        return std::nullopt;
    const std::optional<int> monthValue = digitsValue(parts.at(0));
    const std::optional<int> dayValue = digitsValue(parts.at(1));
    const std::optional<int> yearValue = digitsValue(parts.at(2));
    if (!monthValue || !dayValue || !yearValue || *yearValue > 9999)
        return std::nullopt;
    int month = *monthValue;
    int day = *dayValue;
    int year = *yearValue;
    if (parts.at(2).size() <= 2)
        year += 2000;
    if (month > 12 && day <= 12)
        std::swap(month, day);
    const QDate result(year, month, day);
    if (!result.isValid())
        return std::nullopt;
    return result;
}

qint64 pictureAgeDays(const QDate &pictureDate, const QDateTime &now) {
    return pictureDate.daysTo(now.toUTC().date());
}

QString ageCaption(const QString &siteCall, qint64 days, const LanguageTexts &texts) {
    if (days <= 0)
        return {};
    return siteCall + texts.LngCallSep + u' ' + QString::number(days) +
           (days > 1 ? texts.LngDays : texts.LngDay);
}

QColor oldPictureFrameColour() {
    return QColor(255, 136, 136);
}

std::optional<QColor> ageFrameColour(qint64 days) {
    if (days > 30)
        return oldPictureFrameColour();
    return std::nullopt;
}

AgeDisplay ageDisplay(QString &lastPictureDate, const QString &stInfo, const QString &stSiteCall,
                      AgeRule rule, const DateOrder &order, const LanguageTexts &texts,
                      const QDateTime &now) {
    AgeDisplay display;
    display.stTime = NormalizeDate(lastPictureDate, order);
    if (rule == AgeRule::SkipOldAndAnimated &&
        (stInfo == QLatin1String("Old") || stInfo == QLatin1String("Animated")))
        return display;
    // The record keeps its date month first; reading that, rather than the
    // text just put into the system's order, gives the same day.
    const auto date = readPictureDate(lastPictureDate);
    if (!date)
        return display;
    const qint64 days = pictureAgeDays(*date, now);
    display.days = days;
    display.caption = ageCaption(stSiteCall, days, texts);
    display.frameColour = ageFrameColour(days);
    return display;
}

QString pictureDateText(const QDateTime &now) {
    return now.toUTC().toString(QStringLiteral("MM/dd/yyyy hh:mm"));
}

bool stampFirstFailure(QString &lastPictureDate, const QDateTime &now) {
    if (!lastPictureDate.isEmpty())
        return false;
    lastPictureDate = pictureDateText(now);
    return true;
}

} // namespace tavimo
