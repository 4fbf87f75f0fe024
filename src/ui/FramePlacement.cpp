#include "ui/FramePlacement.h"

#include "ui/Placement.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace tavimo {

namespace {

const QString kSettlerName = QStringLiteral("tavimoFrameSettler");

// How often a settling window is asked whether its frame has come.
constexpr int kFramePollMs = 20;

QMargins frameMargins(const QWidget &window) {
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

class FrameSettler;
FrameSettler *settlerOf(const QWidget &window);

// Places its window again after each move or resize until the frame is
// known, and after each move or resize of the window it follows until that
// one has settled too; it lives as a child of the window.
class FrameSettler : public QObject {
public:
    explicit FrameSettler(QWidget &window) : QObject(&window), window_(window) {
        setObjectName(kSettlerName);
        deadline_.setSingleShot(true);
        deadline_.setInterval(kFrameSettleMs);
        connect(&deadline_, &QTimer::timeout, this, [this] { stop(); });
        // A window put where its client area was (a stored placement) is
        // framed around that spot: neither moved nor resized, it gets no
        // event when its frame arrives, and is looked at instead.
        framePoll_.setInterval(kFramePollMs);
        connect(&framePoll_, &QTimer::timeout, this, [this] {
            if (frameKnown(window_))
                queue();
        });
        window_.installEventFilter(this);
    }

    void setPlace(std::function<void()> place) { place_ = std::move(place); }

    void setFollow(QWidget *follow) {
        if (follow == &window_)
            follow = nullptr;
        if (follow_ == follow)
            return;
        if (follow_)
            follow_->removeEventFilter(this);
        follow_ = follow;
        if (follow_)
            follow_->installEventFilter(this);
    }

    // Still placing its window, or waiting for it to show to do so.
    bool busy() const { return settling_ || pending_; }

    // Settles at once when the window is shown, else when it next shows.
    void armNowOrOnShow() {
        if (window_.isVisible())
            arm();
        else
            pending_ = true;
    }

    void arm() {
        pending_ = false;
        settling_ = true;
        deadline_.start();
        framePoll_.start();
        queue();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == &window_) {
            switch (event->type()) {
            case QEvent::Show:
                if (pending_) {
                    arm();
                    // A platform that knows the frame at once gets the
                    // window placed before it appears.
                    if (frameKnown(window_))
                        run();
                }
                break;
            case QEvent::Move:
            case QEvent::Resize:
                if (settling_)
                    queue();
                break;
            default:
                break;
            }
        } else if (watched == follow_.data() && settling_) {
            // The window followed is placed itself once framed: this one
            // goes with it.
            if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
                queue();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void queue() {
        if (queued_)
            return;
        queued_ = true;
        QTimer::singleShot(0, this, [this] {
            queued_ = false;
            if (window_.isVisible())
                run();
        });
    }

    // The window followed stands where it stays: framed and placed, or not
    // shown (its frame comes only when it shows).
    bool followSettled() const {
        if (!follow_ || !follow_->isVisible())
            return true;
        const FrameSettler *settler = settlerOf(*follow_);
        return frameKnown(*follow_) && !(settler && settler->busy());
    }

    void run() {
        if (!settling_ || !place_)
            return;
        resyncNativeGeometry();
        const bool known = frameKnown(window_) && followSettled();
        place_();
        // Placed with its frame known, beside a window that stays, the
        // window stays where it is put.
        if (known)
            stop();
    }

    // Qt keeps two records of where a window is: the widget's, which is what
    // was last asked for, and the native window's, which an answer of the
    // window manager sets. An answer to an earlier request that comes after a
    // later one sets the native record back without a word to the widget,
    // and the next resize then asks for the old place again. The widget's
    // record is what the window is placed by: the native window is asked for
    // it again.
    void resyncNativeGeometry() {
        QWindow *handle = window_.windowHandle();
        if (!handle || !window_.testAttribute(Qt::WA_WState_Created) ||
            (window_.windowState() &
             (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)))
            return;
        if (handle->geometry() != window_.geometry())
            handle->setGeometry(window_.geometry());
    }

    void stop() {
        settling_ = false;
        deadline_.stop();
        framePoll_.stop();
    }

    QWidget &window_;
    QPointer<QWidget> follow_;
    std::function<void()> place_;
    QTimer deadline_;
    QTimer framePoll_;
    bool pending_ = false;
    bool settling_ = false;
    bool queued_ = false;
};

FrameSettler *settlerOf(const QWidget &window) {
    // Only a FrameSettler carries that name.
    return static_cast<FrameSettler *>(
        window.findChild<QObject *>(kSettlerName, Qt::FindDirectChildrenOnly));
}

const QString kKeyboardRelayName = QStringLiteral("tavimoKeyboardRelay");

// Gives the keyboard back to its window, modal for the main window, when the
// main window is activated all the same, as a click on its body does: the
// window manager focuses the modal window, but Qt then asks for the clicked
// window itself and, the focused window being its transient, sets the focus
// on it directly. Qt hands a blocked window's focus on to the window that
// blocks it, but for a window-modal one it names the blocked window as the
// blocker and hands nothing on. It lives as a child of the window.
class KeyboardRelay : public QObject {
public:
    KeyboardRelay(QWidget &window, QWidget &main) : QObject(&window), window_(window) {
        setObjectName(kKeyboardRelayName);
        main.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::WindowActivate && blocksMain()) {
            // From the event loop: the activation under way ends first.
            QTimer::singleShot(0, this, [this] {
                if (blocksMain())
                    window_.activateWindow();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Shown, and the uppermost of the windows that block (another opened
    // over it keeps the keyboard for itself).
    bool blocksMain() const {
        return window_.isVisible() && QApplication::activeModalWidget() == &window_;
    }

    QWidget &window_;
};

} // namespace

bool frameKnown(const QWidget &window) {
    return window.frameGeometry() != window.geometry();
}

QMargins expectedFrameMargins(const QWidget &window, const QWidget *like) {
    if (frameKnown(window))
        return frameMargins(window);
    if (like && like != &window && like->isVisible() && frameKnown(*like))
        return frameMargins(*like);
    return QMargins();
}

void moveFrame(QWidget &window, QPoint topLeft, const QWidget *like) {
    // A window not yet created keeps the point as its frame's, and so does
    // one whose frame is known. A created one waiting for its frame is moved
    // by its client area.
    if (!window.testAttribute(Qt::WA_WState_Created) || frameKnown(window)) {
        window.move(topLeft);
        return;
    }
    const QMargins margins = expectedFrameMargins(window, like);
    window.move(topLeft + QPoint(margins.left(), margins.top()));
}

QPoint besideFrame(const QRect &beside, QSize frame, int rightOffset, const QRect &available) {
    const QPoint topLeft(beside.x() + beside.width() - frame.width() - rightOffset, beside.y());
    return frameOnScreen(QRect(topLeft, frame), available).topLeft();
}

void placeWhenFramed(QWidget &window, std::function<void()> place, QWidget *follow) {
    FrameSettler *settler = settlerOf(window);
    if (!settler)
        settler = new FrameSettler(window);
    settler->setPlace(std::move(place));
    settler->setFollow(follow);
    settler->armNowOrOnShow();
}

void placeBesideWindow(QWidget &window, QWidget *main, int rightOffset, bool centreWhenMinimised) {
    const QPointer<QWidget> beside = main;
    const auto place = [&window, beside, rightOffset, centreWhenMinimised] {
        const QSize frame = window.size().grownBy(expectedFrameMargins(window, beside));
        if (beside && !(centreWhenMinimised && beside->isMinimized())) {
            const QRect besideFrameNow = beside->frameGeometry();
            const QScreen *screen = QGuiApplication::screenAt(besideFrameNow.center());
            if (!screen)
                screen = beside->screen();
            const QRect area = screen ? screen->availableGeometry() : QRect();
            moveFrame(window, besideFrame(besideFrameNow, frame, rightOffset, area), beside);
            return;
        }
        const QScreen *screen = beside ? beside->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect area = screen->availableGeometry();
        moveFrame(window, area.center() - QPoint(frame.width() / 2, frame.height() / 2), beside);
    };
    place();
    placeWhenFramed(window, place, beside);
}

void keepAboveMain(QWidget &window, QWidget *main) {
    if (!main || main == &window)
        return;
    QWindow *mainHandle = main->window()->windowHandle();
    if (!mainHandle)
        return;
    // On X11 Qt names a window's transient parent to the window manager
    // (WM_TRANSIENT_FOR) for dialogs only: the window becomes one, keeping
    // the buttons of its title bar.
    if (window.windowType() != Qt::Dialog) {
        Qt::WindowFlags flags = window.windowFlags() & ~Qt::WindowType_Mask;
        if (!(flags & (Qt::CustomizeWindowHint | Qt::FramelessWindowHint)))
            flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                     Qt::WindowCloseButtonHint;
        window.setWindowFlags(flags | Qt::Dialog);
    }
    // Modal for the main window alone: a click on the blocked main window,
    // its title bar included, hands the keyboard to this window (the window
    // manager focuses a modal window in place of the one it is transient
    // for), while the program's other windows stay usable. It takes effect
    // when the window next shows.
    window.setWindowModality(Qt::WindowModal);
    window.createWinId();
    if (QWindow *handle = window.windowHandle())
        handle->setTransientParent(mainHandle);
    delete window.findChild<QObject *>(kKeyboardRelayName, Qt::FindDirectChildrenOnly);
    new KeyboardRelay(window, *main->window());
}

} // namespace tavimo
