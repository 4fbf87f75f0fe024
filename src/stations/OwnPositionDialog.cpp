#include "stations/OwnPositionDialog.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/geo/CoordinateText.h"
#include "core/geo/GridLocator.h"
#include "core/net/CallbookPage.h"
#include "core/net/CallsignLookup.h"
#include "core/text/ProgramTexts.h"
#include "ui/FixedColours.h"
#include "ui/FramePlacement.h"
#include "ui/OpenOnce.h"
#include "ui/RefusedBox.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace tavimo {

OwnPositionDialog::OwnPositionDialog(AppState &state) : QWidget(nullptr), state_(state) {
    if (state_.mainWindow) {
        state_.mainWindow->setMainEnabled(false);
        keepAboveMain(*this, state_.mainWindow->window());
    }
    setWindowTitle(QStringLiteral("Tavimo"));
    setFont(QFont(QStringLiteral("Arial"), 9));
    setFixedSize(kWidth, kHeight);

    ucLookUp = new CallsignLookup(*state_.downloads, state_.endpoints, this);
    connect(ucLookUp, &CallsignLookup::GotPage, this, &OwnPositionDialog::ucLookUp_GotPage);
    connect(ucLookUp, &CallsignLookup::PageNotFound, this,
            &OwnPositionDialog::ucLookUp_PageNotFound);

    buildControls();
    placeBesideMain();

    // The boxes show the settings as they stand; only what the user or a
    // look-up changes afterwards is written back.
    const Config &config = state_.config;
    openedLat_ = config.MyLat;
    openedLon_ = config.MyLon;
    txtCall->setText(config.MyCall);
    cmdGetLatLon->setEnabled(!config.MyCall.isEmpty());
    (config.Units == 1 ? optMi : optKm)->setChecked(true);
    txtLat->setText(regionalNumberText(config.MyLat));
    txtLon->setText(regionalNumberText(config.MyLon));
    txtLat->setCursorPosition(0);
    txtLon->setCursorPosition(0);
    ShowGridLocator();

    connect(txtCall, &QLineEdit::textChanged, this, &OwnPositionDialog::txtCall_Change);
    connect(txtLat, &QLineEdit::textChanged, this, &OwnPositionDialog::txtLat_Change);
    connect(txtLon, &QLineEdit::textChanged, this, &OwnPositionDialog::txtLon_Change);
    connect(optMi, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setUnits(1);
    });
    connect(optKm, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setUnits(0);
    });
    connect(cmdGetLatLon, &QPushButton::clicked, this, &OwnPositionDialog::cmdGetLatLon_Click);
}

OwnPositionDialog::~OwnPositionDialog() {
    hide();
    if (state_.mainWindow) {
        state_.mainWindow->setMainEnabled(true);
        state_.mainWindow->activateMain();
    }
}

void OwnPositionDialog::buildControls() {
    const LanguageTexts &texts = state_.texts;
    const auto label = [this](const QString &text, QRect where) {
        auto *l = new QLabel(text, this);
        l->setGeometry(where);
        return l;
    };
    Label1 = label(texts.LngInstructions, QRect(15, 5, kWidth - 30, 60));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblCall = label(texts.LngCall, QRect(0, 63, 88, 25));
    lblCall->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtCall = new QLineEdit(this);
    txtCall->setGeometry(90, 57, 80, 25);

    cmdGetLatLon = new QPushButton(texts.LngGetLatLon, this);
    cmdGetLatLon->setGeometry(175, 52, 270, 30);
    cmdGetLatLon->setStyleSheet(
        QStringLiteral("QPushButton { background-color: rgb(162, 200, 255);"
                       " border: 1px solid rgb(57, 140, 190); border-radius: 3px; } "
                       "QPushButton:pressed { background-color: rgb(110, 180, 220); }") +
        fixedButtonTextStyle());
    lblLookUp = label(QString(), QRect(175, 83, 270, 16));
    lblLookUp->setTextFormat(Qt::PlainText);

    Label2 = label(texts.LngLat, QRect(8, 102, 60, 20));
    txtLat = new QLineEdit(this);
    txtLat->setGeometry(70, 100, 80, 20);
    Label3 = label(texts.LngLon, QRect(168, 102, 70, 20));
    txtLon = new QLineEdit(this);
    txtLon->setGeometry(240, 100, 80, 20);
    lblGrid = label(texts.LngGrid, QRect(155, 140, 150, 25));
    lblDx = label(texts.LngDx, QRect(8, 180, 200, 25));
    optMi = new QRadioButton(texts.LngMiles, this);
    optMi->setGeometry(225, 167, 150, 25);
    optKm = new QRadioButton(texts.LngKm, this);
    optKm->setGeometry(225, 190, 150, 25);
}

void OwnPositionDialog::placeBesideMain() {
    placeBesideWindow(*this, state_.mainWindow ? state_.mainWindow->window() : nullptr, 0, false);
}

void OwnPositionDialog::txtCall_Change(const QString &text) {
    // Emptying the box keeps the callsign it held.
    if (!text.isEmpty() && text != state_.config.MyCall) {
        state_.config.MyCall = text;
        ownPositionChanged();
    }
    cmdGetLatLon->setEnabled(!text.isEmpty());
}

void OwnPositionDialog::txtLat_Change() {
    storeCoordinate(*txtLat, CoordinateAxis::Latitude, state_.config.MyLat, openedLat_);
}

void OwnPositionDialog::txtLon_Change() {
    storeCoordinate(*txtLon, CoordinateAxis::Longitude, state_.config.MyLon, openedLon_);
}

void OwnPositionDialog::storeCoordinate(QLineEdit &box, CoordinateAxis axis, double &setting,
                                        double opened) {
    lblLookUp->clear();
    // The setting follows every keystroke, so on the way to a refused "95" it held "9". While
    // a box is refused the setting is the value the window opened with, and the box's tip
    // says so: closing the window then stores nothing the user did not finish typing.
    const int language = state_.config.LanguageIndex;
    const CoordinateBox read = readCoordinateBox(box.text(), axis);
    QString why = coordinateRefusalText(read.refusal, axis, language);
    if (read.refused()) {
        why += u'\n';
        why += keptWhileRefusedText(regionalNumberText(opened), language);
    }
    showRefusal(box, why);
    const double value = read.refused() ? opened : read.value;
    if (value != setting) {
        setting = value;
        ownPositionChanged();
    }
    ShowGridLocator();
}

void OwnPositionDialog::setUnits(int units) {
    if (state_.config.Units == units)
        return;
    state_.config.Units = static_cast<std::int16_t>(units);
    ownPositionChanged();
}

void OwnPositionDialog::cmdGetLatLon_Click() {
    const QString call = txtCall->text();
    if (call.isEmpty())
        return;
    lblLookUp->clear();
    busy_.set();
    ucLookUp->Database(1);
    ucLookUp->GetPage(cutLookupCall(call));
}

void OwnPositionDialog::ucLookUp_GotPage(const QString &id) {
    Q_UNUSED(id);
    const SitePosition at = ucLookUp->Position();
    busy_.restore();
    // A record without a position leaves the user's own as it is.
    if (!at.isSet()) {
        ucLookUp_PageNotFound(id);
        return;
    }
    txtLat->setText(regionalNumberText(at.SiteLat));
    txtLon->setText(regionalNumberText(at.SiteLon));
    // A long number shows from its start.
    txtLat->setCursorPosition(0);
    txtLon->setCursorPosition(0);
}

void OwnPositionDialog::ucLookUp_PageNotFound(const QString &id) {
    Q_UNUSED(id);
    busy_.restore();
    lblLookUp->setText(ucLookUp->PageCallsign() +
                       programText(ProgramText::StationNotFound, state_.config.LanguageIndex));
}

void OwnPositionDialog::ShowGridLocator() {
    lblGrid->setText(gridLabelText(state_.texts.LngGrid, state_.config.MyLat, state_.config.MyLon));
}

void OwnPositionDialog::ownPositionChanged() {
    emit state_.events.ownPositionChanged();
}

OwnPositionDialog *openOwnPositionDialog(AppState &state, WindowRegistry &windows) {
    return openOnce<OwnPositionDialog>(windows, QStringLiteral("OwnPositionDialog"),
                                       [&] { return new OwnPositionDialog(state); });
}

} // namespace tavimo
