#pragma once

// How old a site's latest picture is, for SSTV slots.
//
// A site's `LastPictureDate` holds a month-first date ("10/14/2009 12:34",
// from the picture trailer, which the sites stamp in UTC). The age is the
// number of calendar-day boundaries between that date and the present UTC
// date: a picture from 23:59 is one day old at 00:01. The caption then reads
// "<callsign><LngCallSep> <days><LngDay or LngDays>", and a picture more than
// 30 days old gets a light-red frame.
//
// The present time is always passed in (the main window passes
// QDateTime::currentDateTimeUtc(); tests pass fixed times), and only its UTC
// date counts, whatever zone it is given in.
//
// In the main window (after "no new picture" and after a picture was shown):
//
//     QString &date = state.SiteList[site].LastPictureDate;
//     const AgeDisplay age = ageDisplay(date, slotTable.value(slot, stInfo),
//                                       slotTable.value(slot, stSiteCall),
//                                       AgeRule::SkipOldAndAnimated, state.dateOrder,
//                                       state.texts, QDateTime::currentDateTimeUtc());
//     slotTable.setValue(slot, stTime, age.stTime);
//     if (!age.caption.isEmpty()) lblCall[slot] = age.caption;
//     if (age.frameColour) Shape1[slot] colour = *age.frameColour;
//
// and for the "not found" placeholder on SSTV pages:
//
//     stampFirstFailure(date, nowUtc);
//     ...ageDisplay(date, ..., AgeRule::Always, ...) as above, repainting the frame.

#include "core/text/DateOrder.h"
#include "core/text/Language.h"

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace tavimo {

// The calendar date of a month-first picture date: month, day and year
// separated by "/", "-" or ".", then optionally a blank and a time. A two-digit
// year is in this century. A month above 12 with a day of 12 or less is read
// day first, as such dates were always read. Nothing when no valid date can be
// read (a year above 9999 among them, which a four-digit trailer year turns
// into).
std::optional<QDate> readPictureDate(const QString &monthFirstDate);

// Calendar-day boundaries from `pictureDate` to the UTC date of `now`.
qint64 pictureAgeDays(const QDate &pictureDate, const QDateTime &now);

// The caption for an age: "" for 0 days or less (the caption set before
// stays), else callsign & LngCallSep & " " & days & LngDay (1) or LngDays.
QString ageCaption(const QString &siteCall, qint64 days, const LanguageTexts &texts);

// The frame of a picture more than 30 days old: RGB(255, 136, 136).
QColor oldPictureFrameColour();
std::optional<QColor> ageFrameColour(qint64 days);

enum class AgeRule {
    SkipOldAndAnimated, // pictures without a trailer ("Old") and animated ones get no age
    Always,             // the placeholder's age: whatever `stInfo` says
};

struct AgeDisplay {
    QString stTime;                    // the date in the system's order, for the slot table
    std::optional<qint64> days;        // nothing: no age (rule, or an unreadable date)
    QString caption;                   // lblCall; "" = leave it as it is
    std::optional<QColor> frameColour; // set only for pictures more than 30 days old
};

// What the slot shows for its site's `lastPictureDate`. The date is put into
// the system's order with NormalizeDate, which also rewrites the argument's
// "-" and "." to "/" in place (that is how the record keeps it).
AgeDisplay ageDisplay(QString &lastPictureDate, const QString &stInfo, const QString &stSiteCall,
                      AgeRule rule, const DateOrder &order, const LanguageTexts &texts,
                      const QDateTime &now);

// The present moment as a picture date, month first in UTC: "03/01/2024 20:30".
QString pictureDateText(const QDateTime &now);

// When a site is first found without a picture, its date becomes the present
// UTC moment, so that its age counts from the first failure. A date already
// there is kept. True when the date was set.
bool stampFirstFailure(QString &lastPictureDate, const QDateTime &now);

} // namespace tavimo
