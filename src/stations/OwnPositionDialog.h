#pragma once

#include "core/geo/CoordinateText.h"
#include "stations/BusyPointer.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tavimo {

struct AppState;
class CallsignLookup;
class WindowRegistry;

// The user's own callsign, position (latitude and longitude in degrees, south
// and west negative), its grid locator and the distance unit. Every box
// writes its setting as it changes (MyCall, MyLat, MyLon, Units) and tells
// the windows that show distances; the configuration file takes them at
// shutdown. A button looks the callsign up in the callbook and fills in the
// position, from the record's grid square when the record has no
// coordinates; the position stays as it was until a usable answer arrives.
// A position box that holds no number or one off the globe shows why, and
// while it does the setting is the value the window opened with.
// The main window takes no input while the dialog is open; its pages go on
// refreshing.
class OwnPositionDialog : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 467;
    static constexpr int kHeight = 253;

    explicit OwnPositionDialog(AppState &state);
    ~OwnPositionDialog() override;

    QLabel *Label1 = nullptr;
    QLabel *lblCall = nullptr;
    QLineEdit *txtCall = nullptr;
    QPushButton *cmdGetLatLon = nullptr;
    QLabel *lblLookUp = nullptr; // the callsign and "not found" after a fruitless look-up
    QLabel *Label2 = nullptr;
    QLineEdit *txtLat = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *txtLon = nullptr;
    QLabel *lblGrid = nullptr;
    QLabel *lblDx = nullptr;
    QRadioButton *optMi = nullptr;
    QRadioButton *optKm = nullptr;
    CallsignLookup *ucLookUp = nullptr;

    void cmdGetLatLon_Click();

protected:
private:
    void buildControls();
    void placeBesideMain();
    void txtCall_Change(const QString &text);
    void txtLat_Change();
    void txtLon_Change();
    void storeCoordinate(QLineEdit &box, CoordinateAxis axis, double &setting, double opened);
    void setUnits(int units);
    void ucLookUp_GotPage(const QString &id);
    void ucLookUp_PageNotFound(const QString &id);
    void ShowGridLocator();
    void ownPositionChanged();

    AppState &state_;
    BusyPointer busy_;
    double openedLat_ = 0; // kept while a box is refused
    double openedLon_ = 0;
};

// Opens the own-position dialog, or brings the open one to the front.
OwnPositionDialog *openOwnPositionDialog(AppState &state, WindowRegistry &windows);

} // namespace tavimo
