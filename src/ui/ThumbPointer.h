#pragma once

#include "core/thumbs/ThumbTip.h"

#include <QObject>
#include <QPoint>
#include <QTimer>

#include <functional>

class QLabel;

namespace tavimo {

struct AppPaths;
class ThumbCell;
class ThumbGrid;
class WindowOpener;

// The mouse on a grid's cells, as three events: the pointer moves over a
// cell's picture (still or animated), a button goes down on one, or the
// pointer moves over the grid's background (the bare frames included; the
// captions are neither). The main window's and the gallery's pointer rules
// hang on it.
class GridMouse : public QObject {
    Q_OBJECT

public:
    // `grid` must outlive the object; cells made later are wired as they come.
    explicit GridMouse(ThumbGrid &grid, QObject *parent = nullptr);

signals:
    void pictureMoved(int slot, Qt::KeyboardModifiers modifiers);
    void picturePressed(int slot, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void backgroundMoved();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void wireCells();

    ThumbGrid &grid_;
};

// A grid's tip label: tooltip colours, plain text, hidden; the pointer passes
// through it to the thumbnail below, so touching the tip is not leaving the
// thumbnails.
QLabel *makeTipLabel(QWidget *grid);

// What the pointer does on a grid's thumbnails: the tip under a hovered
// picture, the enlarged captions with Ctrl, and a press, which selects the
// slot and prepares its pop-up menu, then opens the large viewer, asks for
// the slot to be fetched again, or asks for the pop-up. The rules are
// ThumbHover's; this part feeds it the grid's mouse events and applies its
// answers.
class ThumbPointer : public QObject {
    Q_OBJECT

public:
    // Everything the rules read besides the slot: called at every event.
    using ContextSource = std::function<ThumbContext()>;
    // The map views item's caption as the language gives it ("??" the callsign).
    using CaptionSource = std::function<QString()>;

    // `opener` may be null (nothing opens then); every reference must outlive
    // the pointer.
    ThumbPointer(ThumbGrid &grid, ContextSource context, const AppPaths &paths,
                 WindowOpener *opener, QObject *parent = nullptr);

    void setEarthViewCaption(CaptionSource caption) { earthViewCaption_ = std::move(caption); }

    // The pointer moves over a slot's picture, still or animated: prepares the
    // slot's tip, or with Ctrl alone opens its enlarged captions.
    void img_MouseMove(int slot, Qt::KeyboardModifiers modifiers);
    // A button goes down on a slot's picture.
    void img_MouseDown(int slot, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // The pointer is over the grid's background: the tip goes, the enlarged
    // captions close.
    void picAll_MouseMove();

    // Nothing hovered, no tip prepared, the enlarged captions closed (the page
    // changes under the pointer).
    void clearHover();
    // Both tip timers off (shutdown).
    void stopTimers();
    // The slot's tip is prepared afresh next time (its site changed).
    void forgetTip(int slot);

    // The tip label, what the pointer has done so far, and whether a tip is
    // waiting for its delay.
    QLabel *tipLabel() const { return lblToolTip; }
    const ThumbHover &thumbHover() const { return hover_; }
    bool tipPending() const { return tipShowTimer.isActive(); }

signals:
    // A slot is about to be pressed: its picture file must be on disk.
    void slotFilesNeeded();
    // A press selected the slot: `plan` holds the slot, the site position and
    // the pop-up menu as the press leaves them.
    void slotPressed(const ThumbClickPlan &plan);
    // The slot's picture was not found: fetch it again.
    void refetchRequested();
    // Show the slot's pop-up menu at `at` (screen).
    void popUpRequested(QPoint at);

private:
    void applyTip(int slot, const ThumbTipPlan &tip);
    ThumbSlotState slotState(int slot) const;
    void showViewer(int slot, const QString &path, QPoint cursorPos);
    void tipShowTimer_Timer();
    void tipHideTimer_Timer();

    ThumbGrid &grid_;
    ContextSource context_;
    CaptionSource earthViewCaption_;
    const AppPaths &paths_;
    WindowOpener *opener_;
    ThumbHover hover_;
    QLabel *lblToolTip = nullptr;
    QTimer tipShowTimer; // hover tip delay
    QTimer tipHideTimer; // hover tip lifetime
};

} // namespace tavimo
