#include "core/thumbs/ThumbTip.h"

#include "core/base/Numbers.h"
#include "core/files/AppPaths.h"
#include "core/geo/Geodesy.h"
#include "core/thumbs/SlotPictures.h"

#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace tavimo {

namespace {

const QString kNotFound = QStringLiteral("Not found");

// A whole number with `separator` between groups of three digits, whatever
// the locale's own options say (the C locale would leave the groups out).
QString groupedWholeNumber(qint64 value, const QString &separator) {
    QString digits = QString::number(value < 0 ? -value : value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, separator);
    return value < 0 ? QStringLiteral("-") + digits : digits;
}

QString withCallsign(QString text, const QString &call) {
    return text.replace(QStringLiteral("??"), call);
}

} // namespace

int shiftState(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift += 1;
    if (modifiers & Qt::ControlModifier)
        shift += 2;
    if (modifiers & Qt::AltModifier)
        shift += 4;
    return shift;
}

int mouseButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

SitePosition slotSitePosition(int slot, const SlotTable &table, const SiteList &sites) {
    const QString call = storedCallsign(table.value(slot, stSiteCall));
    if (call.isEmpty() || isTransmitCall(call))
        return {};
    for (const SiteRecord &site : sites) {
        if (site.Callsign == call)
            return {site.Latitude, site.Longitude};
    }
    return {};
}

QString thumbTipText(const QString &info, const QString &time, SitePosition site,
                     const Config &config) {
    double distance = 0;
    double azimuth = 0;
    if (!site.isSet()) {
        distance = 0;
    } else if (config.MyLat == site.SiteLat && config.MyLon == site.SiteLon) {
        distance = 0;
        azimuth = 0;
    } else {
        const DistanceAzimuth da = DistanceAndAzimuth(config.MyLat, config.MyLon, site.SiteLat,
                                                      site.SiteLon, config.Units);
        distance = da.Distance;
        azimuth = da.Azimuth;
    }
    // A position no file should hold (infinite, say) gives no distance rather than garbage.
    if (!std::isfinite(distance) || !std::isfinite(azimuth)) {
        distance = 0;
        azimuth = 0;
    }
    const QString bearing = distance == 0 ? QStringLiteral("0") : numberText(azimuth);
    const QString unit = config.Units == 1 ? QStringLiteral("mi") : QStringLiteral("km");
    const QString utc = time.isEmpty() ? QString() : QStringLiteral(" UTC ");
    const QString distanceText =
        groupedWholeNumber(qint64(roundHalfEven(distance)), QLocale().groupSeparator()) +
        QStringLiteral(" ");
    const QString measure =
        distanceText + unit + QStringLiteral(" ") + bearing + QStringLiteral("\u00B0 ");

    QString text;
    if (info != QStringLiteral("Old") && info != QStringLiteral("Animated")) {
        text = QStringLiteral(" ") + info + QStringLiteral("  ") + measure + QStringLiteral("\n ") +
               time + utc;
    } else {
        text = QStringLiteral(" ") + measure;
    }
    text.remove(QStringLiteral("Old"), Qt::CaseSensitive);
    text.remove(QStringLiteral("Animated"), Qt::CaseSensitive);
    return text;
}

ThumbTipPlan ThumbHover::mouseMove(int index, Qt::KeyboardModifiers modifiers,
                                   const ThumbContext &context) {
    // The rule is written in the old codes: 1 Shift, 2 Ctrl, 4 Alt, summed.
    const int shift = shiftState(modifiers);
    HoverIndex = index;
    return ShowThumbTooltip(index, shift, context);
}

void ThumbHover::leave() {
    HoverIndex = -1;
    LastTipSlot = -1;
}

std::optional<int> ThumbHover::tipSlot() const {
    if (HoverIndex < 0)
        return std::nullopt;
    return HoverIndex;
}

ThumbTipPlan ThumbHover::ShowThumbTooltip(int index, int shift, const ThumbContext &context) {
    ThumbTipPlan plan;
    if (context.wxPage || index == LastTipSlot)
        return plan;
    LastTipSlot = index;
    TipText.clear();

    if (shift == 2) {
        plan.kind = ThumbTipPlan::Kind::CaptionZoom;
        return plan;
    }

    plan.kind = ThumbTipPlan::Kind::Prepared;
    const QString call = storedCallsign(context.table.value(index, stSiteCall));
    if (call.isEmpty() || isTransmitCall(call))
        return plan;
    plan.position = slotSitePosition(index, context.table, context.sites);
    // A slot whose picture could not be read says why, below the usual lines.
    const QString failure = context.table.value(index, stFrom) == kNotFound
                                ? context.table.value(index, stFailure)
                                : QString();
    if (context.table.value(index, stFrom) == kNotFound && failure.isEmpty())
        return plan;
    if (!plan.position.isSet())
        plan.pictureToolTip = withCallsign(context.texts.LngNoPosTpl, call);
    if (context.config.MyLat == 0 && context.config.MyLon == 0) {
        plan.pictureToolTip = context.texts.LngNoHome;
        if (failure.isEmpty())
            return plan;
        TipText = QStringLiteral(" ") + failure + QStringLiteral(" ");
        plan.startTipTimer = true;
        return plan;
    }
    TipText = thumbTipText(context.table.value(index, stInfo), context.table.value(index, stTime),
                           plan.position, context.config);
    if (!failure.isEmpty())
        TipText += QStringLiteral("\n ") + failure + QStringLiteral(" ");
    plan.startTipTimer = true;
    return plan;
}

ThumbPopUp thumbPopUp(const ThumbContext &context, int slot, const ThumbSlotState &state,
                      SitePosition position, const QString &earthViewCaption) {
    const LanguageTexts &t = context.texts;
    const QString call = context.table.value(slot, stSiteCall);

    ThumbPopUp menu;
    // Items the menu never offers.
    menu.mnuLast10.visible = false;
    menu.mnuTX.visible = false;
    menu.mnuText.visible = false;
    menu.mnuQrzFrom.visible = false;
    menu.mnuCamSite.visible = false;

    menu.mnuRefreshSite.caption = t.LngRefreshSite;
    menu.mnuReloadPage.caption = t.LngReloadPage;
    menu.mnuLast15.caption = withCallsign(
        QString(t.LngLast30Tpl).replace(QStringLiteral("**"), QStringLiteral("30")), call);
    menu.mnuMapLoc.caption = withCallsign(t.LngMapLocTpl, call);
    menu.mnuNoLat.caption = withCallsign(t.LngNoPosTpl, call);
    // Filled from the language's template each time: once a callsign has
    // replaced the "??", the caption could not name the next slot's site. The
    // WX page and an empty slot have no site callsign: the caption stays as it
    // was rather than name nobody.
    if (!context.wxPage && !call.isEmpty())
        menu.mnuEarthView.caption = withCallsign(earthViewCaption, call);
    menu.mnuQrzCall.caption = withCallsign(t.LngLookupTpl, call);
    menu.mnuSave.caption = t.LngSave;
    menu.mnuPaste.caption = t.LngPaste;
    menu.mnuLeaveBlank.caption = t.LngLeave;
    menu.mnuSelectSite.caption = t.LngSelectSite;

    if (!context.wxPage) {
        // Either coordinate 0 counts as no position here.
        if (position.SiteLat == 0 || position.SiteLon == 0)
            menu.mnuMapLoc.visible = false;
        else
            menu.mnuNoLat.visible = false;
    } else {
        for (PopUpItem *item : {&menu.mnuRefreshSep, &menu.mnuLast15, &menu.mnuMapSep,
                                &menu.mnuNoLat, &menu.mnuMapLoc, &menu.mnuQrzCall})
            item->visible = false;
    }
    if (state.lblCall.isEmpty()) {
        // The map views belong to a site too: on an empty slot they could
        // only name a site that has gone, or none, and show nothing.
        for (PopUpItem *item : {&menu.mnuRefreshSite, &menu.mnuReloadPage, &menu.mnuRefreshSep,
                                &menu.mnuLast15, &menu.mnuMapLoc, &menu.mnuQrzCall, &menu.mnuMapSep,
                                &menu.mnuNoLat, &menu.mnuEarthView, &menu.mnuSave, &menu.mnuPaste,
                                &menu.mnuPasteSep, &menu.mnuQrzSep, &menu.mnuLeaveBlank})
            item->visible = false;
    }
    return menu;
}

ThumbClickPlan ThumbHover::click(int index, Qt::MouseButton qtButton,
                                 Qt::KeyboardModifiers modifiers, const ThumbContext &context,
                                 const ThumbSlotState &state, const AppPaths &paths,
                                 const QString &earthViewCaption) {
    // The rule is written in the old codes: button 1 left, 2 right, 4 middle.
    const int button = mouseButton(qtButton);
    const int shift = shiftState(modifiers);
    ThumbClickPlan plan;
    plan.SelectedSlot = index;
    LastTipSlot = -1;
    plan.tip = ShowThumbTooltip(index, shift, context);
    plan.position =
        context.wxPage ? SitePosition{} : slotSitePosition(index, context.table, context.sites);
    plan.popUp = thumbPopUp(context, index, state, plan.position, earthViewCaption);

    if (button != 1) {
        plan.action = ThumbClickAction::PopUp;
        return plan;
    }
    if (context.table.value(index, stFrom) == kNotFound) {
        plan.action = ThumbClickAction::Refetch;
        return plan;
    }
    if (state.lblCall.isEmpty() || state.progressVisible)
        return plan;
    // Slot files carry no extension; without one there is nothing to show.
    // Something else in the file's place (a named pipe, a folder) goes to the
    // viewer, which names it.
    const QString file = slotPictureFile(paths, context.wxPage, index);
    if (!QFileInfo::exists(file))
        return plan;
    plan.action = ThumbClickAction::OpenViewer;
    plan.PicturePath = file;
    plan.loadPictureFirst = !state.animationShown;
    return plan;
}

QPoint tipLabelTopLeft(const QRect &picture, const QRect &frame, int tipWidth) {
    return {frame.left() + frame.width() / 2 - tipWidth / 2, picture.top() + picture.height()};
}

} // namespace tavimo
