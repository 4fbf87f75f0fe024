#include "stations/StationPictureWindow.h"

#include "stations/StationPicture.h"
#include "ui/FramePlacement.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

namespace tavimo {

namespace {

constexpr int kPictureInset = 7;
constexpr int kWindowMargin = 20;

} // namespace

StationPictureWindow::StationPictureWindow(const QImage &picture, QWidget *stationWindow,
                                           QWidget *mainWindow, const QString &title)
    : QWidget(nullptr), stationWindow_(stationWindow) {
    setWindowTitle(title);
    if (stationWindow_)
        stationWindow_->setEnabled(false);
    // The main window stays blocked behind the station window: a click on it
    // must not bury the picture.
    keepAboveMain(*this, mainWindow);
    const QRect mainFrame = mainWindow ? mainWindow->frameGeometry() : QRect();

    const QScreen *screen = QGuiApplication::screenAt(mainFrame.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const QSize shown = stationPictureShownSize(picture.size(), available.size());

    Image1 = new QLabel(this);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->setGeometry(kPictureInset, kPictureInset, shown.width(), shown.height());
    // Clicks on the picture are the window's own.
    Image1->setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(shown.width() + kWindowMargin, shown.height() + kWindowMargin);

    const QRect over = mainFrame.isEmpty() ? available : mainFrame;
    int left = over.left() + over.width() / 2 - width() / 2;
    int top = mainFrame.isEmpty() ? over.top() + (over.height() - height()) / 2 : over.top();
    if (!available.isEmpty()) {
        left = std::clamp(left, available.left(),
                          std::max(available.left(), available.right() + 1 - width()));
        top = std::clamp(top, available.top(),
                         std::max(available.top(), available.bottom() + 1 - height()));
    }
    move(left, top);
}

StationPictureWindow::~StationPictureWindow() {
    if (stationWindow_) {
        stationWindow_->setEnabled(true);
        stationWindow_->raise();
        stationWindow_->activateWindow();
    }
}

void StationPictureWindow::mousePressEvent(QMouseEvent *event) {
    event->accept();
    close();
}

} // namespace tavimo
