#pragma once

// What the pointer does on a gallery cell, worked out without a widget.
//
// Tips: a cell whose picture has a date gets, one second after the pointer
// entered it, a tip with its status and date for three seconds; with Ctrl
// held as the pointer enters, its two captions at once, larger, until the
// pointer leaves the cells. A press opens the picture in the large viewer
// (left button) or the Save and Paste pop-up (any other).
//
//     // picture of cell i: mouse move
//     switch (hover.mouseMove(i, shiftState(modifiers), table, lblCall[i], lblFrom[i])) {
//     case GalleryTip::Caption: show hover.TipText now, 1.5 x the label font; break;
//     case GalleryTip::Delayed: tipShowTimer.start(); break;
//     case GalleryTip::Nothing: break;
//     }
//     // background: hover.leave(); tip hidden; both timers stopped
//     // tipShowTimer: if (const auto cell = hover.tipCell()) show hover.TipText for 3 s
//     // press: galleryClick(mouseButton(button), cellState(i))

#include "core/sites/SlotTable.h"

#include <QString>

#include <optional>

namespace tavimo {

inline constexpr int kGalleryTipDelayMs = 1000;
inline constexpr int kGalleryTipLifetimeMs = 3000;

enum class GalleryTip {
    Nothing, // no date yet, the same cell again, or a "Not found" cell with no reason to tell
    Caption, // Ctrl alone: the captions, shown at once
    Delayed, // the status and date (and why a failed cell failed), after the delay
};

// The two captions of a cell, each between two blanks on either side.
QString galleryCaptionTip(const QString &lblCall, const QString &lblFrom);

// The status and the date with " UTC ", on two lines; "Old" and "Animated"
// are taken out wherever they stand.
QString galleryStatusTip(const QString &info, const QString &time);

class GalleryHover {
public:
    int HoverIndex = -1;  // cell under the pointer; -1 over the background
    int LastTipSlot = -1; // cell whose tip was built last; -1 none
    QString TipText;

    // The pointer moves over cell `index`'s picture with `shift` (1 Shift,
    // 2 Ctrl, 4 Alt, summed).
    GalleryTip mouseMove(int index, int shift, const SlotTable &table, const QString &lblCall,
                         const QString &lblFrom);
    // The pointer is over the window or the surface between the cells.
    void leave();
    // The delay ran out: the cell whose tip to show now, or nothing.
    std::optional<int> tipCell() const;
    // The cell's tip is built afresh next time (a new pass refilled it).
    void forget() { LastTipSlot = -1; }
};

// What a press on a cell's picture finds.
struct GalleryCellState {
    QString from;           // `stGalFrom`
    bool fileReady = false; // the cell's file is there and not empty
    bool readable = false;  // the file holds a picture that can be shown
    QString lblCall;        // the remote file name label
    bool progressVisible = false;
};

enum class GalleryClick {
    Nothing,
    PopUp,      // Save and Paste for this cell
    OpenViewer, // the cell's file in the large viewer
};

// A press with `button` (1 left, 2 right, 4 middle): nothing on a "Not found"
// cell or without a file; any button but the left one opens the pop-up; the
// left one opens the viewer once the picture is in, readable and labelled.
GalleryClick galleryClick(int button, const GalleryCellState &cell);

} // namespace tavimo
