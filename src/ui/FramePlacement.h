#pragma once

// Placing windows with the window manager's frame counted in.
//
// A window manager frames a window (title bar, borders) only some time after
// it is shown, so a window that must lie on the screen or beside another one
// by its frame is placed twice: at once, with the frame of a window already
// framed as the best guess, and again once its own frame is known.
//
//     moveFrame(dialog, besideFrame(main->frameGeometry(), frameSize, 0), main);
//     placeWhenFramed(dialog, [&] { moveFrame(dialog, ...); });

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

namespace tavimo {

// How long a shown window waits for its frame; a desktop without frames
// never gives one.
inline constexpr int kFrameSettleMs = 2000;

// Whether the window manager has framed the window: its frame is known.
bool frameKnown(const QWidget &window);

// What the frame adds around the window's client area: its own once it is
// framed, until then that of `like` (a framed window of ours: the window
// manager frames them alike), else nothing.
QMargins expectedFrameMargins(const QWidget &window, const QWidget *like = nullptr);

// Puts the window's frame with its top-left corner at `topLeft`, whether or
// not the window is created or framed yet (`like` as above). QWidget::move
// alone places the client area there while a created window waits for its
// frame, and the title bar lands above the point.
void moveFrame(QWidget &window, QPoint topLeft, const QWidget *like = nullptr);

// The top-left corner of a frame of `frame` pixels whose right edge stands
// `rightOffset` pixels left of the right edge of `beside`, and whose top is
// on its top, moved just far enough to lie inside `available` (the free area
// of the screen; an empty one moves nothing): a window beside another that
// stands partly off the screen still shows whole.
QPoint besideFrame(const QRect &beside, QSize frame, int rightOffset = 0,
                   const QRect &available = QRect());

// The rule for the dialogs that stand beside the main window: the frame's
// right edge `rightOffset` pixels left of the right edge of `main`'s frame,
// its top on `main`'s top, on the screen `main` is mostly on; now, and again
// once the frames of both are known and `main` has been placed itself.
// Centred on the screen when there is no main window, or it is minimised and
// `centreWhenMinimised`.
void placeBesideWindow(QWidget &window, QWidget *main, int rightOffset = 0,
                       bool centreWhenMinimised = true);

// Runs `place` from the event loop once the window is shown (at once if it
// is, else when it next shows), again after every move or resize of it until
// its frame is known, and once more when the frame is known, for at most
// kFrameSettleMs. With `follow`, the window it is placed by, it also runs
// after every move or resize of `follow` and goes on until `follow` is
// framed and placed too (`follow` placed with placeWhenFramed itself): a
// window shown before the main window was framed lands beside it all the
// same. Called again, it replaces `place` and waits anew: a window whose size
// changes places itself again. Later shows of the window leave it where the
// user put it.
void placeWhenFramed(QWidget &window, std::function<void()> place, QWidget *follow = nullptr);

// Keeps `window` above `main` while it blocks the main window: the window
// manager never lets a window fall behind the one it is transient for. It
// is also modal for the main window, so that a click on the blocked main
// window, its title bar or its body, leaves it the keyboard. Only the native
// windows are linked, so disabling the main window leaves `window` usable.
// Called before `window` shows.
void keepAboveMain(QWidget &window, QWidget *main);

} // namespace tavimo
