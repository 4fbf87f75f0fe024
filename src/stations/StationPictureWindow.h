#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QLabel;

namespace tavimo {

// The looked-up station's picture at its own size (scaled down only when it
// would not fit the screen), centred over the main window. The station window
// that opened it takes no input while it is open and comes back to the front
// when it closes; any click closes it.
class StationPictureWindow : public QWidget {
    Q_OBJECT

public:
    // mainWindow: the main window, to centre over and to stay above while the
    // station window keeps it blocked; null centres on the screen.
    StationPictureWindow(const QImage &picture, QWidget *stationWindow, QWidget *mainWindow,
                         const QString &title);
    ~StationPictureWindow() override;

    QLabel *Image1 = nullptr;

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QPointer<QWidget> stationWindow_;
};

} // namespace tavimo
