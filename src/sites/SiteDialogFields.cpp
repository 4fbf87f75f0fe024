#include "sites/SiteDialogFields.h"

#include "core/app/AppState.h"
#include "core/sites/SiteEdits.h"
#include "sites/SiteDialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavimo {

// The program-wide busy pointer while a look-up runs, given back exactly once
// however the look-up ends, the dialog's closing included.
class SiteDialogFields::BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

SiteDialogFields::SiteDialogFields(SiteDialog &dialog, AppState &state, QPushButton *lookupButton,
                                   QPushButton *commitButton,
                                   std::unique_ptr<SitePositionLookup> lookup)
    : QObject(&dialog), state_(state), lookupButton_(lookupButton), commitButton_(commitButton),
      ucLookUp(std::move(lookup)) {
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
    txtCall->setFixedWidth(130);
    txtUrl->setMinimumWidth(350);
    txtCamUrl->setMinimumWidth(350);
    txtLat->setFixedWidth(100);
    txtLon->setFixedWidth(100);

    connect(txtCall, &QLineEdit::textChanged, this, &SiteDialogFields::txtCall_Change);
    connect(txtUrl, &QLineEdit::textChanged, this, &SiteDialogFields::updateButtons);
    if (ucLookUp) {
        connect(ucLookUp.get(), &SitePositionLookup::found, this,
                &SiteDialogFields::ucLookUp_GotPage);
        connect(ucLookUp.get(), &SitePositionLookup::notFound, this,
                &SiteDialogFields::ucLookUp_PageNotFound);
    }
    updateButtons();
}

SiteDialogFields::~SiteDialogFields() = default;

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

void SiteDialogFields::updateButtons() {
    const bool call = !txtCall->text().isEmpty();
    if (lookupButton_)
        lookupButton_->setEnabled(call && ucLookUp);
    if (commitButton_)
        commitButton_->setEnabled(call && !txtUrl->text().isEmpty());
}

void SiteDialogFields::startLookup(bool clearPosition) {
    if (txtCall->text().isEmpty() || !ucLookUp)
        return;
    if (!busy_) {
        busy_ = std::make_unique<BusyPointer>();
        latBefore_ = txtLat->text();
        lonBefore_ = txtLon->text();
    }
    if (clearPosition) {
        txtLat->clear();
        txtLon->clear();
    }
    ucLookUp->lookUp(lookupCallsign(txtCall->text()));
}

void SiteDialogFields::ucLookUp_GotPage(double latitude, double longitude, const QString &grid) {
    Q_UNUSED(grid);
    // A position with one coordinate 0 is taken for none.
    if (latitude == 0 || longitude == 0) {
        txtLat->setText(QStringLiteral("0"));
        txtLon->setText(QStringLiteral("0"));
    } else {
        showPosition(latitude, longitude);
    }
    busy_.reset();
}

void SiteDialogFields::ucLookUp_PageNotFound() {
    if (!busy_)
        return;
    txtLat->setText(latBefore_);
    txtLon->setText(lonBefore_);
    busy_.reset();
}

bool SiteDialogFields::storable(bool withPosition) const {
    if (!storableField(state_, txtCall->text(), lblCall->text()) ||
        !storableField(state_, txtUrl->text(), lblUrl->text()))
        return false;
    return !withPosition || (storableField(state_, txtCamUrl->text(), lblCamUrl->text()) &&
                             storableField(state_, txtLat->text(), lblLat->text()) &&
                             storableField(state_, txtLon->text(), lblLon->text()));
}

void SiteDialogFields::showPosition(double latitude, double longitude) {
    txtLat->setText(positionBoxText(latitude));
    txtLon->setText(positionBoxText(longitude));
}

} // namespace tavimo
