#pragma once

// What the pointer does on a thumbnail, worked out without touching a widget.
//
// The main window keeps one ThumbHover and applies what it answers:
//
//     // img / AniGIF mouse move over slot i
//     const ThumbTipPlan tip = hover.mouseMove(i, modifiers, context());
//     applyTip(i, tip); // below
//
//     // pointer over the window or the grid background
//     hover.leave();
//     opener.closeCaptionZoom(); lblToolTip hidden; tipHideTimer.stop();
//     tipShowTimer.stop(); tipShowTimer.setInterval(kTipDelayMs);
//
//     // tipShowTimer fired
//     if (const auto slot = hover.tipSlot()) {
//         lblToolTip->setText(hover.TipText); lblToolTip->adjustSize();
//         lblToolTip->move(tipLabelTopLeft(img[*slot]->geometry(), Shape1[*slot],
//                                          lblToolTip->width()));
//         lblToolTip shown and raised; tipShowTimer.stop(); tipHideTimer.start(kTipLifetimeMs);
//     }
//
//     // a button pressed on slot i
//     const ThumbClickPlan click = hover.click(i, button, modifiers,
//                                              context(), slotState(i));
//     page.SelectedSlot = click.SelectedSlot;
//     tipShowTimer.stop(); tipShowTimer.setInterval(kTipDelayAfterClickMs);
//     applyTip(i, click.tip);
//     apply click.popUp to mnuPopMenu (visibility and captions);
//     switch (click.action) {
//     case ThumbClickAction::Refetch:    StartSlotFetch(); break;
//     case ThumbClickAction::OpenViewer:
//         if (click.loadPictureFirst && the file opens but holds no picture) break;
//         busy pointer; lblToolTip hidden; tipShowTimer.stop();
//         opener.openPictureViewer(click.PicturePath, i, QCursor::pos());
//         break;
//     case ThumbClickAction::PopUp:      popUpPosition = click.position; mnuPopMenu->exec(...);
//     case ThumbClickAction::Nothing:    break;
//     }
//
// where applyTip does: CaptionZoom -> opener.openCaptionZoom(i); Prepared ->
// img[i] and AniGIF[i] tool tips = tip.pictureToolTip, and when
// tip.startTipTimer, tipShowTimer started.
//
// The pop-up items' handlers take the clicked slot's site position from the
// click (`position`), never from a value that a later hover may overwrite.

#include "core/files/Config.h"
#include "core/geo/SitePosition.h"
#include "core/sites/SiteRecord.h"
#include "core/sites/SlotTable.h"
#include "core/text/Language.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <Qt>

#include <optional>

namespace tavimo {

struct AppPaths;

inline constexpr int kTipDelayMs = 1000;            // pointer rests, tip appears
inline constexpr int kTipDelayAfterClickMs = 60000; // after a press the tip waits
inline constexpr int kTipLifetimeMs = 3000;         // tip shown, then hidden

// The mouse values the thumbnail rules compare: Shift 1, Ctrl 2, Alt 4 (summed)
// and Button 1 left, 2 right, 4 middle.
int shiftState(Qt::KeyboardModifiers modifiers);
int mouseButton(Qt::MouseButton button);

// The position of the site shown in an SSTV slot: the first SiteList record
// whose callsign is the slot's `stSiteCall` (with "Ø" as "0"). 0, 0 for an
// empty slot, a "TX" slot, or a callsign no site has.
SitePosition slotSitePosition(int slot, const SlotTable &table, const SiteList &sites);

// Everything the tip and the pop-up read besides the slot number.
struct ThumbContext {
    const SlotTable &table;
    const SiteList &sites;
    const Config &config; // MyLat, MyLon, Units
    const LanguageTexts &texts;
    bool wxPage = false;
};

struct ThumbTipPlan {
    enum class Kind {
        Nothing,     // WX page, or the slot's tip is already prepared
        CaptionZoom, // Ctrl alone: open the enlarged captions of the slot
        Prepared,    // set the pictures' tool tips; maybe start the tip timer
    };
    Kind kind = Kind::Nothing;
    // Prepared: the tool tip of the slot's still and animated picture ("" none).
    QString pictureToolTip;
    // Prepared: the tip label's text is ready in ThumbHover::TipText; start
    // the tip timer.
    bool startTipTimer = false;
    // Prepared: the position of the slot's site (0, 0 when it has none).
    SitePosition position;
};

// The tip text for a slot whose site position is known (or 0, 0), as the tip
// shows it: the status (left out for pictures without trailer and animated
// ones), the distance rounded to whole units with the locale's thousands
// separator, the unit, the bearing, and on a second line the picture time
// with " UTC ". Every "Old" and "Animated" is taken out of the text.
QString thumbTipText(const QString &info, const QString &time, SitePosition site,
                     const Config &config);

enum class ThumbClickAction {
    Nothing,
    Refetch,    // the slot's picture was not found: fetch the slot again
    OpenViewer, // show PicturePath in the large viewer
    PopUp,      // show the slot's pop-up menu at the pointer
};

// What the window knows of a slot that the slot table does not say.
struct ThumbSlotState {
    QString lblCall;              // the callsign label's caption; "" = no site in the slot
    bool progressVisible = false; // a download is under way
    bool animationShown = false;  // the slot shows an animated picture
};

struct PopUpItem {
    bool visible = true;
    QString caption; // "" for separators and items whose caption stays as designed
};

// The slot pop-up menu as one click leaves it. Items the menu always hides
// (transmitted pictures, text messages, last-heard list, sender look-up) and
// the camera item, which has nothing to do, are never visible.
struct ThumbPopUp {
    PopUpItem mnuRefreshSite;
    PopUpItem mnuReloadPage;
    PopUpItem mnuRefreshSep;
    PopUpItem mnuLast15;
    PopUpItem mnuLast10;
    PopUpItem mnuTX;
    PopUpItem mnuText;
    PopUpItem mnuCamSite;
    PopUpItem mnuMapSep;
    PopUpItem mnuMapLoc;
    PopUpItem mnuNoLat;
    PopUpItem mnuEarthView; // its two sub-items stay as they are
    PopUpItem mnuQrzCall;
    PopUpItem mnuQrzFrom;
    PopUpItem mnuQrzSep;
    PopUpItem mnuSave;
    PopUpItem mnuPaste;
    PopUpItem mnuPasteSep;
    PopUpItem mnuLeaveBlank;
    PopUpItem mnuSelectSite;
};

// The pop-up of a slot. `earthViewCaption` is the map views item's caption
// as the language gives it ("??" = the callsign); `position` the slot's site
// position.
ThumbPopUp thumbPopUp(const ThumbContext &context, int slot, const ThumbSlotState &state,
                      SitePosition position, const QString &earthViewCaption);

struct ThumbClickPlan {
    int SelectedSlot = 0;
    ThumbTipPlan tip; // prepared for the slot, shown only after kTipDelayAfterClickMs
    // The clicked slot's site position, for the map and street view items;
    // always the clicked slot's, whatever keys were held.
    SitePosition position;
    ThumbPopUp popUp; // applied on every click, whatever the button
    ThumbClickAction action = ThumbClickAction::Nothing;
    // OpenViewer: the slot's picture file.
    QString PicturePath;
    // OpenViewer: the slot shows a still picture; open nothing when
    // PicturePath holds no picture.
    bool loadPictureFirst = false;
};

// The hover and click state of the main window's thumbnails.
class ThumbHover {
public:
    int HoverIndex = -1;  // slot under the pointer; -1 over the background
    int LastTipSlot = -1; // slot whose tip was prepared last; -1 none
    QString TipText;      // the tip label's text

    // The pointer moves over slot `index`'s picture.
    ThumbTipPlan mouseMove(int index, Qt::KeyboardModifiers modifiers, const ThumbContext &context);

    // The pointer is over the window or the grid background: nothing is
    // hovered any more. The window hides the tip, closes the enlarged captions
    // and stops both tip timers.
    void leave();

    // The tip timer fired: the slot whose tip to show now, or nothing.
    std::optional<int> tipSlot() const;

    // A mouse button went down on slot `index`. `wxPage` picks the picture
    // folder; `paths` gives DataFolder.
    ThumbClickPlan click(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                         const ThumbContext &context, const ThumbSlotState &state,
                         const AppPaths &paths, const QString &earthViewCaption);

    // ShowThumbTooltip: prepares slot `index`'s tip, or opens the enlarged
    // captions with Ctrl alone.
    ThumbTipPlan ShowThumbTooltip(int index, int shift, const ThumbContext &context);
};

// Where the tip label goes: just under the picture, centred under the frame.
QPoint tipLabelTopLeft(const QRect &picture, const QRect &frame, int tipWidth);

} // namespace tavimo
