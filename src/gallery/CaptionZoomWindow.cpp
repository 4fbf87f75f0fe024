#include "gallery/CaptionZoomWindow.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/sites/SlotTable.h"
#include "ui/OpenOnce.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>

#include <algorithm>

namespace tavimo {

namespace {

constexpr double kEnlargement = 1.5;

// The top of the main window's grid on the screen: its central widget.
int gridTopOnScreen(QWidget *main) {
    auto *window = qobject_cast<QMainWindow *>(main);
    const QWidget *grid = window && window->centralWidget() ? window->centralWidget() : main;
    return grid->mapToGlobal(QPoint(0, 0)).y();
}

} // namespace

QString captionZoomText(const QString &lblCall, const QString &lblFrom) {
    return QStringLiteral("  ") + lblCall + QStringLiteral("  \n  ") + lblFrom +
           QStringLiteral("  ");
}

QPoint captionZoomTopLeft(const QRect &frameOnScreen, int gridTopOnScreen, int mainOuterTop,
                          QSize zoomSize) {
    const int frameBottomInGrid = frameOnScreen.top() + frameOnScreen.height() - gridTopOnScreen;
    const int centreX = frameOnScreen.left() + frameOnScreen.width() / 2;
    return QPoint(centreX - zoomSize.width() / 2, mainOuterTop + frameBottomInGrid);
}

CaptionZoomWindow::CaptionZoomWindow(MainWindowAccess &main, int hoverSlot, QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                          Qt::WindowTransparentForInput),
      hoverSlot_(hoverSlot) {
    setObjectName(kCaptionZoomName);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);

    lblBig = new QLabel(this);
    lblBig->setObjectName(QStringLiteral("lblBig"));
    lblBig->setTextFormat(Qt::PlainText);
    lblBig->setAlignment(Qt::AlignCenter);
    lblBig->setAutoFillBackground(true);
    QFont font = main.labelFont();
    font.setFamily(QStringLiteral("Arial"));
    font.setPointSizeF(font.pointSizeF() * kEnlargement);
    font.setBold(true);
    lblBig->setFont(font);
    lblBig->setText(
        captionZoomText(main.slotCallCaption(hoverSlot), main.slotFromCaption(hoverSlot)));
    lblBig->adjustSize();
    lblBig->move(0, 0);
    resize(lblBig->size());

    QWidget *window = main.window();
    mainWindow_ = window;
    for (int slot = 0; slot < SlotTable::Rows; ++slot) {
        if (const QRect frame = main.slotFrameOnScreen(slot); !frame.isEmpty())
            slotFrames_.append(frame);
    }
    move(captionZoomTopLeft(main.slotFrameOnScreen(hoverSlot), gridTopOnScreen(window),
                            window->frameGeometry().top(), size()));
    // Moves reach the widgets under the window, not the window: every move
    // of the program is looked at while it is open.
    qApp->installEventFilter(this);
}

CaptionZoomWindow::~CaptionZoomWindow() {
    qApp->removeEventFilter(this);
}

bool CaptionZoomWindow::eventFilter(QObject *watched, QEvent *event) {
    if (isHidden())
        return false;
    switch (event->type()) {
    case QEvent::MouseMove: {
        const QPoint at = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        const bool onASlot = std::any_of(slotFrames_.cbegin(), slotFrames_.cend(),
                                         [at](const QRect &frame) { return frame.contains(at); });
        if (!onASlot || geometry().contains(at))
            leave();
        break;
    }
    case QEvent::Leave:
        if (watched == mainWindow_)
            leave();
        break;
    default:
        break;
    }
    return false;
}

void CaptionZoomWindow::leave() {
    hide();
    deleteLater();
}

CaptionZoomWindow *openCaptionZoomWindow(AppState &state, WindowRegistry &registry, int hoverSlot) {
    if (!state.mainWindow)
        return nullptr;
    if (QWidget *open = registry.find(kCaptionZoomName)) {
        // Asked again while it shows, it stays as it is, on its first slot;
        // one that has left but is not deleted yet makes way for a new one.
        if (!open->isHidden())
            return qobject_cast<CaptionZoomWindow *>(open);
        delete open;
    }
    return openOnce<CaptionZoomWindow>(registry, kCaptionZoomName, [&] {
        return new CaptionZoomWindow(*state.mainWindow, hoverSlot);
    });
}

void closeCaptionZoomWindow(WindowRegistry &registry) {
    // Gone at once, not later: the next Ctrl-hover may come before the event
    // loop turns, and must open a window of its own slot.
    delete registry.find(kCaptionZoomName);
}

} // namespace tavimo
