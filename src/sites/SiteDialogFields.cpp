#include "sites/SiteDialogFields.h"

#include "core/app/AppState.h"
#include "core/geo/CoordinateText.h"
#include "core/net/CallbookPage.h"
#include "core/net/CallsignLookup.h"
#include "core/text/ProgramTexts.h"
#include "sites/SiteDialog.h"
#include "ui/RefusedBox.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavimo {

SiteDialogFields::SiteDialogFields(QWidget &dialog, AppState &state, QPushButton *lookupButton,
                                   QPushButton *commitButton)
    : QObject(&dialog), state_(state), lookupButton_(lookupButton), commitButton_(commitButton) {
    const LanguageTexts &texts = state.texts;
    lblCall = new QLabel(texts.LngCall, &dialog);
    txtCall = new QLineEdit(&dialog);
    lblUrl = new QLabel(QStringLiteral("Url:"), &dialog);
    txtUrl = new QLineEdit(&dialog);
    lblCamUrl = new QLabel(QStringLiteral("Cam Url:"), &dialog);
    txtCamUrl = new QLineEdit(&dialog);
    lblLat = new QLabel(texts.LngLat, &dialog);
    txtLat = new QLineEdit(&dialog);
    lblLon = new QLabel(texts.LngLon, &dialog);
    txtLon = new QLineEdit(&dialog);
    lblMsg = new QLabel(texts.LngInstructions, &dialog);
    lblMsg->setWordWrap(true);
    lblLookUp = new QLabel(&dialog);
    txtCall->setFixedWidth(130);
    txtUrl->setMinimumWidth(350);
    txtCamUrl->setMinimumWidth(350);
    txtLat->setFixedWidth(100);
    txtLon->setFixedWidth(100);

    if (state.downloads) {
        ucLookUp = new CallsignLookup(*state.downloads, state.endpoints, this);
        connect(ucLookUp, &CallsignLookup::GotPage, this, &SiteDialogFields::ucLookUp_GotPage);
        connect(ucLookUp, &CallsignLookup::PageNotFound, this,
                &SiteDialogFields::ucLookUp_PageNotFound);
    }
    connect(txtCall, &QLineEdit::textChanged, this, &SiteDialogFields::txtCall_Change);
    connect(txtUrl, &QLineEdit::textChanged, this, &SiteDialogFields::updateButtons);
    for (QLineEdit *box : {txtLat, txtLon}) {
        connect(box, &QLineEdit::textChanged, this, &SiteDialogFields::updateButtons);
        // A box that is switched off no longer counts (a WX site has no position).
        box->installEventFilter(this);
    }
    updateButtons();
}

int SiteDialogFields::addRows(QGridLayout &grid, int row, QLabel *note) {
    grid.addWidget(lblCall, row, 0);
    grid.addWidget(txtCall, row++, 1, 1, 3, Qt::AlignLeft);
    grid.addWidget(lblUrl, row, 0);
    grid.addWidget(txtUrl, row++, 1, 1, 3);
    grid.addWidget(lblCamUrl, row, 0);
    grid.addWidget(txtCamUrl, row++, 1, 1, 3);
    if (note) {
        note->setWordWrap(true);
        grid.addWidget(note, row++, 1, 1, 3);
    }
    grid.addWidget(lblLat, row, 0);
    grid.addWidget(txtLat, row, 1, Qt::AlignLeft);
    grid.addWidget(lblLon, row, 2, Qt::AlignRight);
    grid.addWidget(txtLon, row++, 3, Qt::AlignLeft);
    grid.addWidget(lblMsg, row++, 0, 1, 4);
    // The labels keep their width; the boxes take what is left.
    grid.setColumnStretch(1, 1);
    grid.setColumnStretch(3, 1);
    return row;
}

void SiteDialogFields::addLookupRow(QGridLayout &grid, int row) {
    grid.addWidget(lookupButton_, row, 0, 1, 2, Qt::AlignLeft);
    grid.addWidget(lblLookUp, row, 2, 1, 2);
}

void SiteDialogFields::txtCall_Change() {
    // Every "0" shows as the user's zero; the length stays, and so the caret.
    const QString text = txtCall->text();
    const QString shown = shownCallsign(text, state_.ZeroChar);
    if (shown != text) {
        const int caret = txtCall->cursorPosition();
        txtCall->setText(shown);
        txtCall->setCursorPosition(caret);
        return; // the change of the text comes back here
    }
    updateButtons();
}

bool SiteDialogFields::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::EnabledChange && (watched == txtLat || watched == txtLon))
        updateButtons();
    return QObject::eventFilter(watched, event);
}

bool SiteDialogFields::positionRefused() {
    const int language = state_.config.LanguageIndex;
    bool refused = false;
    for (const auto &[box, axis] : {std::pair{txtLat, CoordinateAxis::Latitude},
                                    std::pair{txtLon, CoordinateAxis::Longitude}}) {
        if (!box->isEnabled()) {
            showRefusal(*box, QString());
            continue;
        }
        const CoordinateBox read = readCoordinateBox(box->text(), axis);
        showRefusal(*box, coordinateRefusalText(read.refusal, axis, language));
        refused = read.refused() || refused;
    }
    return refused;
}

void SiteDialogFields::updateButtons() {
    const bool call = !txtCall->text().isEmpty();
    if (lookupButton_)
        lookupButton_->setEnabled(call && ucLookUp);
    const bool refused = positionRefused();
    if (commitButton_)
        commitButton_->setEnabled(call && !txtUrl->text().isEmpty() && !refused);
}

void SiteDialogFields::startLookup(bool clearPosition) {
    if (txtCall->text().isEmpty() || !ucLookUp)
        return;
    if (!busy_.isSet()) {
        latBefore_ = txtLat->text();
        lonBefore_ = txtLon->text();
    }
    busy_.set();
    lblLookUp->clear();
    if (clearPosition) {
        txtLat->clear();
        txtLon->clear();
    }
    ucLookUp->Database(1);
    ucLookUp->GetPage(cutLookupCall(txtCall->text()));
}

void SiteDialogFields::ucLookUp_GotPage() {
    const SitePosition at = ucLookUp->Position();
    showPosition(at.SiteLat, at.SiteLon);
    busy_.restore();
}

void SiteDialogFields::ucLookUp_PageNotFound() {
    if (busy_.isSet()) {
        txtLat->setText(latBefore_);
        txtLon->setText(lonBefore_);
    }
    busy_.restore();
    lblLookUp->setText(ucLookUp->PageCallsign() +
                       programText(ProgramText::StationNotFound, state_.config.LanguageIndex));
}

bool SiteDialogFields::storable(bool withPosition) {
    if (!storableField(state_, txtCall->text(), lblCall->text()) ||
        !storableField(state_, txtUrl->text(), lblUrl->text()))
        return false;
    // A refused position box says why itself.
    return !withPosition ||
           (storableField(state_, txtCamUrl->text(), lblCamUrl->text()) && !positionRefused());
}

void SiteDialogFields::showPosition(double latitude, double longitude) {
    txtLat->setText(regionalNumberText(latitude));
    txtLon->setText(regionalNumberText(longitude));
}

double SiteDialogFields::latitude() const {
    return readCoordinateBox(txtLat->text(), CoordinateAxis::Latitude).value;
}

double SiteDialogFields::longitude() const {
    return readCoordinateBox(txtLon->text(), CoordinateAxis::Longitude).value;
}

} // namespace tavimo
