#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

class QLabel;

namespace tavimo {

struct AppState;
class MainWindowAccess;
class WindowRegistry;

// The name the window is registered under.
inline const QString kCaptionZoomName = QStringLiteral("CaptionZoomWindow");

// The two caption lines of a slot, each between two blanks on either side.
QString captionZoomText(const QString &lblCall, const QString &lblFrom);

// Where the window goes: centred across the slot's frame, its top as far below
// the main window's outer top as the frame's bottom lies below the top of the
// grid, so that it lies over the slot's captions. Screen coordinates.
QPoint captionZoomTopLeft(const QRect &frameOnScreen, int gridTopOnScreen, int mainOuterTop,
                          QSize zoomSize);

// The captions of a main-window thumbnail again, half as large again and
// bold, in a small window without a frame over the slot. It takes neither the
// focus nor the pointer, and keeps the slot it opened for until it closes.
// Since the pointer passes through it, it watches the pointer itself: it goes
// when the pointer moves onto the window itself, anywhere outside every slot's
// frame, or leaves the main window. Inside a slot's frame the main window
// decides: its background closes the window, while another thumbnail's
// picture, reached straight from this one, leaves it on its first slot.
class CaptionZoomWindow : public QWidget {
    Q_OBJECT

public:
    CaptionZoomWindow(MainWindowAccess &main, int hoverSlot, QWidget *parent = nullptr);
    ~CaptionZoomWindow() override;

    int hoverSlot() const { return hoverSlot_; }
    QLabel *lblBig = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Hidden at once, deleted from the event loop.
    void leave();

    int hoverSlot_;
    QWidget *mainWindow_ = nullptr;
    QList<QRect> slotFrames_; // of every slot the page has, on the screen
};

// Opens the window for `hoverSlot` (nothing without a main window); while it
// is open it stays on the slot it was opened for, neither moved nor raised.
CaptionZoomWindow *openCaptionZoomWindow(AppState &state, WindowRegistry &registry, int hoverSlot);
void closeCaptionZoomWindow(WindowRegistry &registry);

} // namespace tavimo
