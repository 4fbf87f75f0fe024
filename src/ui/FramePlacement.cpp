#include "ui/FramePlacement.h"

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

// Places its window again after each move or resize until the frame is
// known; it lives as a child of the window.
class FrameSettler : public QObject {
public:
    explicit FrameSettler(QWidget &window) : QObject(&window), window_(window) {
        setObjectName(kSettlerName);
        deadline_.setSingleShot(true);
        deadline_.setInterval(kFrameSettleMs);
        connect(&deadline_, &QTimer::timeout, this, [this] {
            settling_ = false;
            framePoll_.stop();
        });
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

    void run() {
        if (!settling_ || !place_)
            return;
        // Placed with its frame known, the window stays where it is put.
        const bool known = frameKnown(window_);
        place_();
        if (known) {
            settling_ = false;
            deadline_.stop();
            framePoll_.stop();
        }
    }

    QWidget &window_;
    std::function<void()> place_;
    QTimer deadline_;
    QTimer framePoll_;
    bool pending_ = false;
    bool settling_ = false;
    bool queued_ = false;
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

QPoint besideFrame(const QRect &beside, QSize frame, int rightOffset) {
    return QPoint(beside.x() + beside.width() - frame.width() - rightOffset, beside.y());
}

void placeWhenFramed(QWidget &window, std::function<void()> place) {
    // Only a FrameSettler carries that name.
    auto *settler = static_cast<FrameSettler *>(
        window.findChild<QObject *>(kSettlerName, Qt::FindDirectChildrenOnly));
    if (!settler)
        settler = new FrameSettler(window);
    settler->setPlace(std::move(place));
    settler->armNowOrOnShow();
}

void placeBesideWindow(QWidget &window, QWidget *main, int rightOffset, bool centreWhenMinimised) {
    const QPointer<QWidget> beside = main;
    const auto place = [&window, beside, rightOffset, centreWhenMinimised] {
        const QSize frame = window.size().grownBy(expectedFrameMargins(window, beside));
        if (beside && !(centreWhenMinimised && beside->isMinimized())) {
            moveFrame(window, besideFrame(beside->frameGeometry(), frame, rightOffset), beside);
            return;
        }
        const QScreen *screen = beside ? beside->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect area = screen->availableGeometry();
        moveFrame(window, area.center() - QPoint(frame.width() / 2, frame.height() / 2), beside);
    };
    place();
    placeWhenFramed(window, place);
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
}

} // namespace tavimo
