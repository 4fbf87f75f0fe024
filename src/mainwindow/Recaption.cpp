#include "mainwindow/Recaption.h"

#include <optional>

namespace tavimo {

namespace {

// Swaps the suffix `from` of `text` for `to`; nothing when it does not end so.
std::optional<QString> swapSuffix(const QString &text, const QString &from, const QString &to) {
    if (from.isEmpty() || !text.endsWith(from))
        return std::nullopt;
    return text.chopped(from.size()) + to;
}

bool allDigits(QStringView text) {
    if (text.isEmpty())
        return false;
    for (const QChar ch : text) {
        if (!ch.isDigit())
            return false;
    }
    return true;
}

} // namespace

QString recaptionedCall(const QString &caption, const LanguageTexts &before,
                        const LanguageTexts &now) {
    if (const auto fresh = swapSuffix(caption, before.LngNewPicPrefix, now.LngNewPicPrefix))
        return *fresh;
    // The age: callsign, separator, a blank, the days and the day word.
    const QString ageStart = before.LngCallSep + u' ';
    const qsizetype at = before.LngCallSep.isEmpty() ? -1 : caption.lastIndexOf(ageStart);
    if (at >= 0) {
        const QStringView rest = QStringView(caption).mid(at + ageStart.size());
        for (const QString *word : {&before.LngDays, &before.LngDay}) {
            if (word->isEmpty() || !rest.endsWith(*word))
                continue;
            const QStringView days = rest.chopped(word->size());
            if (!allDigits(days))
                continue;
            return caption.left(at) + now.LngCallSep + u' ' + days.toString() +
                   (days.toInt() > 1 ? now.LngDays : now.LngDay);
        }
    }
    if (const auto plain = swapSuffix(caption, before.LngCallSep, now.LngCallSep))
        return *plain;
    return caption;
}

QString recaptionedFrom(const QString &caption, const LanguageTexts &before,
                        const LanguageTexts &now) {
    if (!before.LngLoading.isEmpty() && caption == before.LngLoading)
        return now.LngLoading;
    if (!before.LngFromPrefix.isEmpty() && caption.startsWith(before.LngFromPrefix))
        return now.LngFromPrefix + caption.mid(before.LngFromPrefix.size());
    return caption;
}

} // namespace tavimo
