#include "sites/AddSiteDialog.h"

#include "core/app/AppState.h"
#include "core/base/Prompts.h"
#include "core/sites/SiteEdits.h"
#include "ui/OpenOnce.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tavimo {

AddSiteDialog::AddSiteDialog(AppState &state) : SiteDialog(state) {
    const LanguageTexts &texts = state.texts;
    Option1 = new QRadioButton(texts.LngAddToSstv, this);
    Option2 = new QRadioButton(texts.LngAddToWx, this);
    Label2 = new QLabel(texts.LngUrlRules, this);
    cmdGetLatLon = makeButton(texts.LngGetLatLon);
    cmdAdd = makeButton(texts.LngAddButton);
    fields = new SiteDialogFields(*this, state, cmdGetLatLon, cmdAdd);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Option1, 0, 0, 1, 4);
    grid->addWidget(Option2, 1, 0, 1, 4);
    grid->setRowMinimumHeight(2, 20);
    int row = fields->addRows(*grid, 3, Label2);
    fields->addLookupRow(*grid, row++);
    grid->addWidget(cmdAdd, row, 3, Qt::AlignRight);

    // Nothing can be typed for a site before its list is chosen.
    fields->txtCall->setEnabled(false);
    fields->txtLat->setEnabled(false);
    fields->txtLon->setEnabled(false);

    connect(Option1, &QRadioButton::clicked, this, &AddSiteDialog::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &AddSiteDialog::Option2_Click);
    connect(cmdGetLatLon, &QPushButton::clicked, this, [this] { fields->startLookup(false); });
    connect(cmdAdd, &QPushButton::clicked, this, &AddSiteDialog::cmdAdd_Click);

    resize(467, 467);
    placeBesideMain();
}

void AddSiteDialog::Option1_Click() {
    listChosen(true);
}

void AddSiteDialog::Option2_Click() {
    // A WX site has no position; what the boxes hold stays for the SSTV list.
    listChosen(false);
}

void AddSiteDialog::listChosen(bool sstv) {
    fields->txtCall->setEnabled(true);
    fields->txtCall->setFocus();
    fields->txtUrl->setEnabled(true);
    fields->txtLat->setEnabled(sstv);
    fields->txtLon->setEnabled(sstv);
}

void AddSiteDialog::cmdAdd_Click() {
    AppState &s = state();
    const QString call = fields->txtCall->text();
    const QString url = fields->txtUrl->text();
    const bool sstv = Option1->isChecked();
    if (call.isEmpty() || url.isEmpty() || (!sstv && !Option2->isChecked())) {
        close();
        return;
    }
    if (!fields->storable(sstv))
        return;
    SiteList &list = sstv ? s.SiteList : s.WxSiteList;
    if (indexOfAddress(list, url) >= 0) {
        // The dialog stays open, so that the address can be put right.
        s.prompts->message(url + QStringLiteral("\r\n") +
                               (sstv ? QStringLiteral(" already in Tavimo list")
                                     : QStringLiteral(" already in WX list")),
                           QStringLiteral("Tavimo"));
        return;
    }
    addSiteSorted(list,
                  sstv ? newSstvSite(call, url, fields->txtCamUrl->text(), fields->latitude(),
                                     fields->longitude())
                       : newWxSite(call, url),
                  !sstv);
    listsChanged();
    close();
}

AddSiteDialog *openAddSite(AppState &state, WindowRegistry &registry) {
    return openOnce<AddSiteDialog>(registry, kAddSiteDialog,
                                   [&state] { return new AddSiteDialog(state); });
}

} // namespace tavimo
