#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavimo {

struct AppState;
class SiteDialog;

// What the add and edit dialogs ask of the callbooks: the record page of a
// callsign in the first callbook, and the position it gives.
class SitePositionLookup : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Asks for the callsign's record page; one of the signals follows later,
    // never inside this call.
    virtual void lookUp(const QString &callsign) = 0;

signals:
    // The record page arrived. A page without coordinates gives 0 and 0, a
    // page without a locator an empty grid.
    void found(double latitude, double longitude, const QString &grid);
    // No record page: the request failed or the page is not one.
    void notFound();
};

using SitePositionLookupFactory = std::function<std::unique_ptr<SitePositionLookup>(AppState &)>;

// The boxes that the add and the edit dialog share, from the callsign to the
// position, with their rules: every "0" of the callsign shows as the user's
// zero at once, the buttons follow the boxes, and a look-up fills the
// position boxes.
class SiteDialogFields : public QObject {
    Q_OBJECT

public:
    // lookupButton starts the look-up; commitButton (add or save) needs a
    // callsign and an address.
    SiteDialogFields(SiteDialog &dialog, AppState &state, QPushButton *lookupButton,
                     QPushButton *commitButton, std::unique_ptr<SitePositionLookup> lookup);
    ~SiteDialogFields() override;

    // The rows from the callsign to the position instructions, from `row` on,
    // with `note` (if any) under the addresses. Returns the next free row.
    int addRows(QGridLayout &grid, int row, QLabel *note);

    // Starts a look-up of the callsign in the call box (nothing when it is
    // empty), with the busy pointer until it ends. clearPosition empties the
    // position boxes at once; a look-up that fails gives them back as they
    // were.
    void startLookup(bool clearPosition);
    bool lookupPending() const { return busy_ != nullptr; }

    // The boxes a save stores hold nothing the lists cannot keep; the first
    // that does is named to the user.
    bool storable(bool withPosition) const;

    // Sets the position boxes from a record's numbers.
    void showPosition(double latitude, double longitude);

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

private:
    class BusyPointer;

    void txtCall_Change();
    void updateButtons();
    void ucLookUp_GotPage(double latitude, double longitude, const QString &grid);
    void ucLookUp_PageNotFound();

    AppState &state_;
    QPushButton *lookupButton_;
    QPushButton *commitButton_;
    std::unique_ptr<SitePositionLookup> ucLookUp;
    std::unique_ptr<BusyPointer> busy_;
    QString latBefore_;
    QString lonBefore_;
};

} // namespace tavimo
