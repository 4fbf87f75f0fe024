#pragma once

#include "core/app/DialogGuard.h"
#include "stations/BusyPointer.h"
#include "stations/StationPicture.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>

class QAction;
class QLabel;
class QMenu;
class QToolButton;

namespace tavimo {

struct AppState;
class CallsignLookup;
class StationPictureWindow;
class WindowRegistry;

// What the station window is asked to show, taken when the user asks.
struct StationRequest {
    // The callsign as the slot's caption (or the picture's sender) shows it;
    // the window looks up the part before the first blank, "-" or "/".
    QString callsign;
    // The callsign is the sender of the slot's picture, not the slot's site.
    bool lookupFromCall = false;
    // The slot's frame on the screen, which the window lies over; empty:
    // centred over the main window.
    QRect slotFrame;

    // The request for the slot selected now: its frame is read from the main
    // window at once.
    static StationRequest forSelectedSlot(const AppState &state, const QString &callsign,
                                          bool lookupFromCall);
};

// A small panel over a thumbnail with what a web callbook holds about one
// station: callsign, name, two address lines, country and picture. The
// database can be switched (eHam, QRZ, Hamdata), which reads the record
// again. While it is open the main window takes no input and the pages do
// not refresh. Clicking a text line closes it; a left click on the picture
// shows it large, a right click offers Save and Paste (into EasyPal).
// Text from the callbook is shown as plain text.
class StationWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 175;
    static constexpr int kHeight = 108;

    StationWindow(AppState &state, WindowRegistry &windows, const StationRequest &request,
                  StationPictureServices services);
    ~StationWindow() override;

    const QString &StationCall() const { return StationCall_; }
    // The database the record was last asked from: 1 eHam, 2 QRZ, 3 Hamdata.
    int database() const { return database_; }
    // Asks the record again from another database.
    void selectDatabase(int databaseIndex);
    // The station's picture at its own size; null until it arrived.
    const QImage &picture() const { return picEmail_; }
    StationPictureWindow *pictureWindow() const;

    // A mouse button pressed on the picture at a point of the screen.
    void Image1_MouseDown(Qt::MouseButton button, QPoint globalPos);
    void mnuSave_Click();
    void mnuPaste_Click();

    QLabel *lblCall = nullptr;
    QLabel *lblName = nullptr;
    QLabel *lblAdd1 = nullptr;
    QLabel *lblAdd2 = nullptr;
    QLabel *lblCtry = nullptr;
    QLabel *Image1 = nullptr;
    QList<QToolButton *> optDatabase; // 0 eHam, 1 QRZ, 2 Hamdata
    QMenu *mnuPop = nullptr;
    QAction *mnuSave = nullptr;
    QAction *mnuPaste = nullptr;
    CallsignLookup *ucLookUp = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPanel();
    void placeOverSlot(QRect slotFrame);
    void LookUpCall();
    void showNotFound(const QString &callsign);
    void ucLookUp_GotPage(const QString &id);
    void ucLookUp_PageNotFound(const QString &id);
    void ucLookUp_CallNotFound(const QString &Cal);
    void ucLookUp_PictureReady(const QString &Ky);

    AppState &state_;
    WindowRegistry &windows_;
    StationPictureServices services_;
    QString StationCall_;
    QString NotFoundText_;
    int database_ = 1;
    QImage picEmail_;
    BusyPointer busy_;
    std::optional<DialogGuard> guard_;
    QPointer<StationPictureWindow> pictureWindow_;
};

// Opens the station window for a request; a station window that is open
// already is brought to the front instead.
StationWindow *openStationWindow(AppState &state, WindowRegistry &windows,
                                 const StationRequest &request, StationPictureServices services);

} // namespace tavimo
