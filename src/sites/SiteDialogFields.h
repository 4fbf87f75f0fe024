#pragma once

#include "stations/BusyPointer.h"

#include <QObject>
#include <QString>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tavimo {

struct AppState;
class CallsignLookup;

// The boxes that the add and the edit dialog share, from the callsign to the
// position, with their rules: every "0" of the callsign shows as the user's
// zero at once, the buttons follow the boxes, and a look-up of the callsign
// in the first callbook fills the position boxes (from the record's grid
// square when it gives no coordinates). A position box off the globe or
// without a number shows why and keeps add or save disabled.
class SiteDialogFields : public QObject {
    Q_OBJECT

public:
    // lookupButton starts the look-up; commitButton (add or save) needs a
    // callsign and an address. Without downloads in `state` there is no
    // look-up.
    SiteDialogFields(QWidget &dialog, AppState &state, QPushButton *lookupButton,
                     QPushButton *commitButton);

    // The rows from the callsign to the position instructions, from `row` on,
    // with `note` (if any) under the addresses. Returns the next free row.
    int addRows(QGridLayout &grid, int row, QLabel *note);
    // The look-up button with its "not found" beside it, at `row`.
    void addLookupRow(QGridLayout &grid, int row);

    // Starts a look-up of the callsign in the call box (nothing when it is
    // empty), with the busy pointer until it ends. clearPosition empties the
    // position boxes at once; a look-up that fails gives them back as they
    // were and says so beside the button.
    void startLookup(bool clearPosition);
    bool lookupPending() const { return busy_.isSet(); }

    // The boxes a save stores hold nothing the lists cannot keep; the first
    // that does is named to the user. With the position: no position box is
    // refused (off the globe, or no number at all).
    bool storable(bool withPosition);

    // The position boxes from a record's numbers, and back.
    void showPosition(double latitude, double longitude);
    double latitude() const;
    double longitude() const;

    QLabel *lblCall = nullptr;
    QLineEdit *txtCall = nullptr;
    QLabel *lblUrl = nullptr;
    QLineEdit *txtUrl = nullptr;
    QLabel *lblCamUrl = nullptr;
    QLineEdit *txtCamUrl = nullptr;
    QLabel *lblLat = nullptr;
    QLineEdit *txtLat = nullptr;
    QLabel *lblLon = nullptr;
    QLineEdit *txtLon = nullptr;
    QLabel *lblMsg = nullptr;
    QLabel *lblLookUp = nullptr; // the callsign and "not found" after a fruitless look-up
    CallsignLookup *ucLookUp = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Shows on each usable position box whether it is refused; true when one is.
    bool positionRefused();
    void txtCall_Change();
    void updateButtons();
    void ucLookUp_GotPage();
    void ucLookUp_PageNotFound();

    AppState &state_;
    QPushButton *lookupButton_;
    QPushButton *commitButton_;
    BusyPointer busy_;
    QString latBefore_;
    QString lonBefore_;
};

} // namespace tavimo
